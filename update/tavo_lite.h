// The self-update check: asks the maker's server for the latest version of
// the running program and tells whether it is newer. The outcome goes to the
// log; the caller reads NewVersion and ReplyValid in its OnDone.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "support/run_log.h"
#include "update/http_client.h"
#include "update/http_custo.h"
#include "update/version.h"

namespace dimmscope {

// What the update query says about the running program.
struct TProductIdentity {
  std::string ProductName;
  std::string Company;
  std::string Version;  // dotted, e.g. "1.8.0.19"
};

// Product name and company from the executable's version strings and its
// fixed file version. Names the file lacks fall back to the program's own
// ("Dimmscope", "Orvel Studio"), so the query is always well formed.
TProductIdentity ReadProductIdentity(const std::string& ExePath);

// "/tavo/check.php?uid=0&ProductName=…&Company=…&VH=…&VL=…" with both names
// URL-encoded.
std::string UpdateCheckPathAndQuery(const std::string& ProductName, const std::string& Company,
                                    const TTavoVersion& Version);

// The reply body read as sent: no blank or line break is removed. Only a
// valid reply can be a new version.
struct TUpdateReply {
  TTavoVersion Version;
  bool ReplyValid = false;
  bool NewVersion = false;
};
TUpdateReply ParseUpdateReply(const std::string& Reply, std::uint32_t VH, std::uint32_t VL);

class TTavoLite {
 public:
  using TDoneEvent = std::function<void(TTavoLite& Sender)>;

  // `Log` is not owned and may be null; `Title` prefixes every log line.
  TTavoLite(TRunLog* Log, std::string Title);
  ~TTavoLite();
  TTavoLite(const TTavoLite&) = delete;
  TTavoLite& operator=(const TTavoLite&) = delete;

  // Starts a check for the program at `ExePath` and returns at once.
  void Check(const std::string& ExePath, TDoneEvent OnDone);
  // The same for a product given directly (a host without version resources).
  void Check(const TProductIdentity& Product, TDoneEvent OnDone);

  // While held, a check logs its start as usual but asks the server only
  // once released (the program shows its scan first).
  void HoldRequests() { held_ = true; }
  void ReleaseRequests();

  bool Busy() const { return busy_; }
  bool NewVersion() const { return newVersion_; }
  bool ReplyValid() const { return replyValid_; }
  const std::string& Title() const { return title_; }
  // The address of the last check.
  const std::string& URL() const { return url_; }

  TProxySettings Proxy;

 private:
  void StartRequest();
  void RequestDone(std::int32_t ErrorCode);

  std::uint32_t startTicks_ = 0;
  TRunLog* log_;
  bool busy_ = false;
  TDoneEvent onDone_;
  std::uint32_t localVH_ = 0;
  std::uint32_t localVL_ = 0;
  std::string title_;
  std::string url_;
  TMemoryStream stream_;
  std::unique_ptr<THttpClient> client_;
  bool newVersion_ = false;
  bool replyValid_ = false;
  bool held_ = false;
  bool requestHeld_ = false;  // a check waits for ReleaseRequests
};

}  // namespace dimmscope
