// The self-update check.
#include "update/tavo_lite.h"

#include <exception>

#include "support/text_helpers.h"
#include "update/file_grabber.h"
#include "update/maker_urls.h"
#include "update/version_info.h"

namespace dimmscope {

TProductIdentity ReadProductIdentity(const std::string& ExePath) {
  const TVersionInfoRecord info = GetVersionInfo(ExePath);
  TProductIdentity product;
  product.ProductName = info.ProductName.empty() ? "Dimmscope" : info.ProductName;
  product.Company = info.CompanyName.empty() ? "Orvel Studio" : info.CompanyName;
  product.Version = GetFileVersion(ExePath);
  return product;
}

std::string UpdateCheckPathAndQuery(const std::string& ProductName, const std::string& Company,
                                    const TTavoVersion& Version) {
  return std::string(kUpdateCheckPath) + "?uid=0" + "&ProductName=" + UrlEncode(ProductName) +
         "&Company=" + UrlEncode(Company) + "&VH=" + Version.VHString() + "&VL=" + Version.VLString();
}

TUpdateReply ParseUpdateReply(const std::string& Reply, std::uint32_t VH, std::uint32_t VL) {
  TUpdateReply result;
  result.Version = TTavoVersion(Reply);
  result.ReplyValid = result.Version.IsValid();
  // An invalid reply sets neither flag: "-1.0.0.0" has the highest halves
  // of all, yet names no version anyone could download.
  result.NewVersion = result.ReplyValid && result.Version.IsNewerThanHL(VH, VL);
  return result;
}

TTavoLite::TTavoLite(TRunLog* Log, std::string Title) : log_(Log), title_(std::move(Title)) {}

TTavoLite::~TTavoLite() { client_.reset(); }

void TTavoLite::Check(const std::string& ExePath, TDoneEvent OnDone) {
  Check(ReadProductIdentity(ExePath), std::move(OnDone));
}

void TTavoLite::Check(const TProductIdentity& Product, TDoneEvent OnDone) {
  client_.reset();
  busy_ = true;
  newVersion_ = false;
  replyValid_ = false;
  LogAdd(log_, title_ + " Update self check : Initialization", LogInfo);
  onDone_ = std::move(OnDone);

  const TTavoVersion version(Product.Version);
  localVH_ = version.VH();
  localVL_ = version.VL();
  url_ = MakerServer() + UpdateCheckPathAndQuery(Product.ProductName, Product.Company, version);

  stream_.Clear();
  requestHeld_ = held_;
  if (!held_) StartRequest();
}

void TTavoLite::ReleaseRequests() {
  held_ = false;
  if (!requestHeld_) return;
  requestHeld_ = false;
  StartRequest();
}

void TTavoLite::StartRequest() {
  client_ =
      NewProfiledClient(url_, Proxy, stream_, [this](THttpClient&, std::int32_t ErrorCode) { RequestDone(ErrorCode); });
  startTicks_ = TickCountMs();
  try {
    client_->GetASync();
  } catch (const std::exception&) {
    // Nothing would ever complete this check, leaving it busy and the menu
    // command disabled for the rest of the run: end it now as a failed one.
    RequestDone(kHttpErrorNotStarted);
  }
}

void TTavoLite::RequestDone(std::int32_t ErrorCode) {
  if (ErrorCode != 0) {
    LogAdd(log_, title_ + " Update self check : Server error (" + std::to_string(ErrorCode) + ")", LogError);
  } else {
    stream_.SetPosition(0);
    const std::string reply = stream_.ReadToEnd();
    const TUpdateReply parsed = ParseUpdateReply(reply, localVH_, localVL_);
    LogAdd(log_,
           title_ + " Update self check : Server replied " + parsed.Version.AsString() + " in " +
               std::to_string(TickCountMs() - startTicks_) + "ms",
           LogInfo);
    if (!parsed.ReplyValid) LogAdd(log_, title_ + " Update self check : Server error (" + reply + ")", LogVerbose);
    replyValid_ = parsed.ReplyValid;
    newVersion_ = parsed.NewVersion;
  }
  busy_ = false;
  TDoneEvent done = onDone_;
  if (done) done(*this);
}

}  // namespace dimmscope
