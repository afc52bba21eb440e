// The portable half of the HTTP client: request bookkeeping on the starting
// thread, the worker thread, and the single delivery of each completion.
#include "update/http_client.h"

#include <atomic>
#include <map>
#include <stdexcept>
#include <thread>

#include "update/http_transport.h"
#include "update/http_url.h"

namespace dimmscope {

namespace {

// Requests started on this thread and not yet delivered or abandoned. Only
// the owning thread touches its map, so it needs no lock.
std::map<std::uint64_t, THttpClient*>& PendingRequests() {
  thread_local std::map<std::uint64_t, THttpClient*> pending;
  return pending;
}

std::atomic<std::uint64_t> nextRequestId{1};

}  // namespace

void TMemoryStream::Write(const char* Data, std::size_t Count) {
  if (Count == 0) return;
  if (position_ + Count > bytes_.size()) bytes_.resize(position_ + Count);
  bytes_.replace(position_, Count, Data, Count);
  position_ += Count;
}

std::string TMemoryStream::ReadToEnd() {
  std::string rest = bytes_.substr(position_);
  position_ = bytes_.size();
  return rest;
}

THttpClient::~THttpClient() { Abandon(); }

void THttpClient::Abandon() {
  if (requestId_ == 0) return;
  PendingRequests().erase(requestId_);
  HttpDisarmDeadline(port_, requestId_);
  // The worker may still be blocked in the network; it sees this flag, stops,
  // and its late completion finds no pending request.
  exchange_->Cancelled.store(true);
  exchange_.reset();
  requestId_ = 0;
}

void THttpClient::GetASync() {
  Abandon();
  statusCode_ = 0;
  THttpUrl parsed;
  if (!ParseHttpUrl(URL, parsed)) throw std::runtime_error("Invalid address: " + URL);

  THttpRequestProfile profile;
  profile.Url = URL;
  profile.Agent = Agent;
  profile.Accept = Accept;
  profile.AcceptLanguage = AcceptLanguage;
  profile.RequestVer = RequestVer.empty() ? "1.1" : RequestVer;
  profile.Proxy = Proxy;
  profile.ProxyPort = ProxyPort;
  profile.ProxyUsername = ProxyUsername;
  profile.ProxyPassword = ProxyPassword;
  profile.TimeoutMs = (Timeout > 0 && Timeout < 86400 ? Timeout : kHttpDefaultTimeout) * 1000;
  profile.MaxBodyBytes = kHttpMaxBodyBytes;
  profile.MaxRedirects = kHttpMaxRedirects;

  const std::uintptr_t port = HttpCurrentThreadPort();
  auto exchange = std::make_shared<THttpExchange>(std::move(profile));
  const std::uint64_t id = nextRequestId.fetch_add(1);
  std::thread worker([exchange, port, id] {
    HttpFetchBlocking(*exchange);
    exchange->Finished.store(true, std::memory_order_release);
    if (!exchange->Cancelled.load()) HttpPostCompletion(port, id);
  });
  worker.detach();

  exchange_ = std::move(exchange);
  requestId_ = id;
  port_ = port;
  PendingRequests()[id] = this;
  HttpArmDeadline(port, id, exchange_->Profile.TimeoutMs);
}

void THttpClient::Finish(std::int32_t ErrorCode, const THttpExchange* Exchange) {
  if (ErrorCode == 0 && Exchange != nullptr) {
    statusCode_ = Exchange->StatusCode;
    if (RcvdStream != nullptr) RcvdStream->Write(Exchange->Body.data(), Exchange->Body.size());
  }
  // The callback may destroy this client: nothing of it is touched afterwards.
  THttpRequestDone done = OnRequestDone;
  if (done) done(*this, ErrorCode);
}

void HttpDeliverCompletion(std::uint64_t RequestId, bool TimedOut) {
  auto& pending = PendingRequests();
  const auto found = pending.find(RequestId);
  if (found == pending.end()) return;
  THttpClient* client = found->second;
  const std::shared_ptr<THttpExchange> exchange = client->exchange_;
  const bool finished = exchange->Finished.load(std::memory_order_acquire);
  if (!TimedOut && !finished) return;  // a stray message; the real one follows
  pending.erase(found);
  HttpDisarmDeadline(client->port_, RequestId);
  client->exchange_.reset();
  client->requestId_ = 0;
  if (TimedOut && !finished) {
    exchange->Cancelled.store(true);
    client->Finish(kHttpErrorTimeout, nullptr);
  } else {
    client->Finish(exchange->ErrorCode, exchange.get());
  }
}

}  // namespace dimmscope
