// The HTTP client both network jobs use: one asynchronous GET at a time, the
// body collected into a caller-owned memory stream, and one completion call on
// the thread that started the request, delivered through that thread's
// message loop (Windows) or PumpHttpCompletions (elsewhere).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace dimmscope {

// Completion codes that are not 0. Where a WinHTTP error means the same thing
// its number is used, so a log line reads the same whatever the platform.
enum : std::int32_t {
  kHttpErrorTimeout = 12002,           // the request did not end within Timeout
  kHttpErrorInvalidUrl = 12005,        // URL is not an absolute http(s) address
  kHttpErrorNameNotResolved = 12007,   // the host name has no address
  kHttpErrorCannotConnect = 12029,     // connection refused or unreachable
  kHttpErrorConnectionClosed = 12030,  // the connection ended before the whole response
  kHttpErrorInvalidResponse = 12152,   // the server's answer is not HTTP
  kHttpErrorTooManyRedirects = 12156,  // more than kHttpMaxRedirects Location answers in a row
  kHttpErrorBodyTooLarge = 13001,      // the body is larger than kHttpMaxBodyBytes
  kHttpErrorNotSupported = 13002,      // e.g. https where the platform has no TLS
  kHttpErrorNotStarted = 13003,        // the request could not be started at all
};

// Both users fetch small text files; a larger body is refused rather than
// held in memory.
inline constexpr std::size_t kHttpMaxBodyBytes = 1024 * 1024;
inline constexpr int kHttpMaxRedirects = 5;
// Used when Timeout is not positive, so that no request is ever unbounded.
inline constexpr std::int32_t kHttpDefaultTimeout = 10;  // seconds

// A growable byte buffer with a read/write position.
class TMemoryStream {
 public:
  void Clear() {
    bytes_.clear();
    position_ = 0;
  }
  // Writes at the position, overwriting or extending, and moves past it.
  void Write(const char* Data, std::size_t Count);
  std::size_t Size() const { return bytes_.size(); }
  std::size_t Position() const { return position_; }
  void SetPosition(std::size_t Position) { position_ = Position < bytes_.size() ? Position : bytes_.size(); }
  // Everything from the position to the end; the position moves to the end.
  std::string ReadToEnd();
  const std::string& Bytes() const { return bytes_; }

 private:
  std::string bytes_;
  std::size_t position_ = 0;
};

class THttpClient;
struct THttpExchange;
using THttpRequestDone = std::function<void(THttpClient& Sender, std::int32_t ErrorCode)>;

class THttpClient {
 public:
  THttpClient() = default;
  // Abandons a running request: its OnRequestDone is never called.
  ~THttpClient();
  THttpClient(const THttpClient&) = delete;
  THttpClient& operator=(const THttpClient&) = delete;

  std::string URL;
  std::string Agent;           // sent as User-Agent
  std::string Accept;          // sent as Accept
  std::string AcceptLanguage;  // sent as Accept-Language
  std::string RequestVer;      // "1.1": the protocol version of the request line
  // Seconds the whole request, redirects included, may take; past it the
  // request ends with kHttpErrorTimeout, so a silent server cannot keep a
  // caller waiting for ever.
  std::int32_t Timeout = kHttpDefaultTimeout;
  std::string Proxy;  // host; empty: no proxy
  std::string ProxyPort;
  std::string ProxyUsername;
  std::string ProxyPassword;
  // Receives the body at its position when the response is complete (any
  // status); not owned, and touched only on the starting thread.
  TMemoryStream* RcvdStream = nullptr;
  // Called once per request, on the starting thread: 0 when a response was
  // received completely whatever its status, otherwise a non-zero code. The
  // callback may destroy the client.
  THttpRequestDone OnRequestDone;

  // Starts a GET of URL and returns at once. A request still running is
  // abandoned first. Throws std::runtime_error when the request cannot start.
  void GetASync();
  bool Running() const { return requestId_ != 0; }
  // The status of the last complete response, 0 before one arrives.
  std::int32_t StatusCode() const { return statusCode_; }

 private:
  friend void HttpDeliverCompletion(std::uint64_t RequestId, bool TimedOut);
  void Abandon();
  void Finish(std::int32_t ErrorCode, const THttpExchange* Exchange);

  std::shared_ptr<THttpExchange> exchange_;
  std::uint64_t requestId_ = 0;
  std::uintptr_t port_ = 0;
  std::int32_t statusCode_ = 0;
};

// Runs the completions of requests started on the calling thread that are
// due, waiting up to WaitMs for the first one. On Windows this is a message
// loop turn (the program's own loop does the same); elsewhere it is the only
// way completions arrive.
void PumpHttpCompletions(std::int32_t WaitMs);

}  // namespace dimmscope
