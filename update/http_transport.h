// What the portable HTTP client asks of each platform: a blocking fetch run on
// a worker thread, and a way to hand a finished request back to the thread
// that started it. Included only by the client and its platform files.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace dimmscope {

struct THttpRequestProfile {
  std::string Url;
  std::string Agent, Accept, AcceptLanguage, RequestVer;
  std::string Proxy, ProxyPort, ProxyUsername, ProxyPassword;
  std::int32_t TimeoutMs = 0;
  std::size_t MaxBodyBytes = 0;
  int MaxRedirects = 0;
};

// Shared by the starting thread and the worker. The worker writes the result
// fields and then sets Finished (release) before it posts the completion; the
// starting thread reads them only after seeing Finished (acquire).
struct THttpExchange {
  explicit THttpExchange(THttpRequestProfile Profile) : Profile(std::move(Profile)) {}
  const THttpRequestProfile Profile;
  std::atomic<bool> Cancelled{false};  // set by the starting thread when it gives up
  std::atomic<bool> Finished{false};
  std::int32_t ErrorCode = 0;
  std::int32_t StatusCode = 0;
  std::string Body;
};

// Platform: performs the request, blocking, following redirects and honouring
// the limits of the profile; returns early when Cancelled is seen.
void HttpFetchBlocking(THttpExchange& Exchange);

// Platform: a token for the calling thread's completion queue, created on
// first use; throws std::runtime_error when none can be made.
std::uintptr_t HttpCurrentThreadPort();
// Platform, called from the worker: queue the completion of RequestId.
void HttpPostCompletion(std::uintptr_t Port, std::uint64_t RequestId);
// Platform, on the starting thread: deliver a timeout for RequestId after
// Milliseconds unless disarmed first.
void HttpArmDeadline(std::uintptr_t Port, std::uint64_t RequestId, std::int32_t Milliseconds);
void HttpDisarmDeadline(std::uintptr_t Port, std::uint64_t RequestId);

// Portable, called by the platform on the starting thread when a request's
// completion or its deadline arrives; unknown or abandoned requests are ignored.
void HttpDeliverCompletion(std::uint64_t RequestId, bool TimedOut);

}  // namespace dimmscope
