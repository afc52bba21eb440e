// Downloads one web resource in the background and, once the transfer has
// completed, writes it to a local file; the outcome goes to the log.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "support/run_log.h"
#include "update/http_client.h"
#include "update/http_custo.h"

namespace dimmscope {

class TFileGrabber {
 public:
  using TDoneEvent = std::function<void(TFileGrabber& Sender)>;

  // `Log` is not owned and may be null.
  explicit TFileGrabber(TRunLog* Log);
  // Frees the HTTP client, abandoning a running download, then the stream.
  ~TFileGrabber();
  TFileGrabber(const TFileGrabber&) = delete;
  TFileGrabber& operator=(const TFileGrabber&) = delete;

  // Starts fetching `URL` and returns at once. An empty `FileName` keeps the
  // body in memory only. A download still running is abandoned silently. An
  // error while starting is swallowed: nothing is logged, OnDone never runs.
  void Download(const std::string& URL, const std::string& FileName, TDoneEvent OnDone);

  const std::string& URL() const { return url_; }
  const std::string& FileName() const { return fileName_; }
  // The body of the last completed download.
  const TMemoryStream& Stream() const { return stream_; }
  // The HTTP status of the last completed download, 0 before one.
  std::int32_t StatusCode() const { return client_ ? client_->StatusCode() : 0; }

  TProxySettings Proxy;

 private:
  void RequestDone(std::int32_t ErrorCode);

  std::uint32_t startTicks_ = 0;
  TRunLog* log_;
  std::string url_;
  std::string fileName_;
  TDoneEvent onDone_;
  TMemoryStream stream_;
  std::unique_ptr<THttpClient> client_;
};

// A millisecond tick count for measuring durations (wraps after 49 days).
std::uint32_t TickCountMs();

}  // namespace dimmscope
