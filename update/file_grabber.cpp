// The background download of the links file.
#include "update/file_grabber.h"

#include <chrono>
#include <exception>

#include "support/ansi_text.h"
#include "support/file_io.h"

namespace dimmscope {

std::uint32_t TickCountMs() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

TFileGrabber::TFileGrabber(TRunLog* Log) : log_(Log) {}

TFileGrabber::~TFileGrabber() { client_.reset(); }

void TFileGrabber::Download(const std::string& URL, const std::string& FileName, TDoneEvent OnDone) {
  url_ = URL;
  fileName_ = FileName;
  client_.reset();  // an earlier request still running is abandoned and reports nothing
  onDone_ = std::move(OnDone);
  stream_.Clear();

  client_ =
      NewProfiledClient(url_, Proxy, stream_, [this](THttpClient&, std::int32_t ErrorCode) { RequestDone(ErrorCode); });

  startTicks_ = TickCountMs();
  try {
    client_->GetASync();
  } catch (const std::exception&) {
    // Starting failed (bad address, no HTTP support): the download simply
    // does not happen, as for a start-up that found no network.
  }
}

void TFileGrabber::RequestDone(std::int32_t ErrorCode) {
  if (ErrorCode != 0) {
    // The destination is not touched: an earlier copy stays usable.
    LogAdd(log_, "File downloaded : Server error (" + std::to_string(ErrorCode) + ")", LogError);
  } else {
    LogAdd(log_, "File downloaded in " + std::to_string(TickCountMs() - startTicks_) + "ms", LogInfo);
    stream_.SetPosition(0);
    // Written through a temporary file and swapped in whole, so a failed
    // write (full disk, read-only folder) leaves the earlier file as it was.
    if (!fileName_.empty() && !ReplaceFileAtomically(fileName_, stream_.Bytes())) {
      LogAdd(log_, "File downloaded : Cannot write " + AnsiFromUtf8(fileName_), LogError);
    }
  }
  // OnDone may start another download, which frees the client that is
  // calling us: a copy of the callback is made first and nothing of this
  // object is used after it.
  TDoneEvent done = onDone_;
  if (done) done(*this);
}

}  // namespace dimmscope
