// The HTTP client's POSIX half: a small blocking HTTP/1.1 GET over a socket on
// the worker thread (plain http only), and a completion queue that
// PumpHttpCompletions empties on the thread that started each request.
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include "support/text_helpers.h"
#include "update/http_client.h"
#include "update/http_transport.h"
#include "update/http_url.h"

namespace dimmscope {

namespace {

constexpr std::size_t kMaxHeaderBytes = 64 * 1024;

class TSocket {
 public:
  ~TSocket() {
    if (fd_ >= 0) close(fd_);
  }
  int fd_ = -1;
};

std::int32_t Connect(const THttpUrl& Url, std::int32_t TimeoutMs, TSocket& Socket) {
  addrinfo hints = {};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(Url.Host.c_str(), std::to_string(Url.Port).c_str(), &hints, &found) != 0 || found == nullptr) {
    return kHttpErrorNameNotResolved;
  }
  std::int32_t result = kHttpErrorCannotConnect;
  for (addrinfo* address = found; address != nullptr; address = address->ai_next) {
    const int fd = socket(address->ai_family, address->ai_socktype | SOCK_CLOEXEC, address->ai_protocol);
    if (fd < 0) continue;
    // Non-blocking connect so that an unreachable host is bounded too.
    const int flags = fcntl(fd, F_GETFL, 0);
    fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    int rc = connect(fd, address->ai_addr, address->ai_addrlen);
    if (rc != 0 && errno == EINPROGRESS) {
      pollfd waiting = {fd, POLLOUT, 0};
      rc = poll(&waiting, 1, TimeoutMs);
      if (rc == 0) {
        close(fd);
        result = kHttpErrorTimeout;
        continue;
      }
      int error = 0;
      socklen_t length = sizeof(error);
      rc = (rc > 0 && getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0) ? 0 : -1;
    }
    if (rc != 0) {
      close(fd);
      continue;
    }
    fcntl(fd, F_SETFL, flags);
    timeval limit = {TimeoutMs / 1000, (TimeoutMs % 1000) * 1000};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof(limit));
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof(limit));
    Socket.fd_ = fd;
    result = 0;
    break;
  }
  freeaddrinfo(found);
  return result;
}

std::string Base64(const std::string& Text) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (std::size_t i = 0; i < Text.size(); i += 3) {
    std::uint32_t group = static_cast<unsigned char>(Text[i]) << 16;
    if (i + 1 < Text.size()) group |= static_cast<unsigned char>(Text[i + 1]) << 8;
    if (i + 2 < Text.size()) group |= static_cast<unsigned char>(Text[i + 2]);
    out += kDigits[(group >> 18) & 63];
    out += kDigits[(group >> 12) & 63];
    out += i + 1 < Text.size() ? kDigits[(group >> 6) & 63] : '=';
    out += i + 2 < Text.size() ? kDigits[group & 63] : '=';
  }
  return out;
}

// Reads what the socket has into Buffer; 0 on data, an error code otherwise
// (kHttpErrorConnectionClosed also for a clean end, which callers tell apart
// through Ended).
std::int32_t ReadMore(int Fd, std::string& Buffer, bool& Ended, const std::atomic<bool>& Cancelled) {
  char chunk[16384];
  for (;;) {
    if (Cancelled.load()) return kHttpErrorTimeout;
    const ssize_t count = recv(Fd, chunk, sizeof(chunk), 0);
    if (count > 0) {
      Buffer.append(chunk, static_cast<std::size_t>(count));
      return 0;
    }
    if (count == 0) {
      Ended = true;
      return kHttpErrorConnectionClosed;
    }
    if (errno == EINTR) continue;
    return (errno == EAGAIN || errno == EWOULDBLOCK) ? kHttpErrorTimeout : kHttpErrorConnectionClosed;
  }
}

struct TResponseHead {
  int Status = 0;
  bool Chunked = false;
  bool HasLength = false;
  std::size_t Length = 0;
  std::string Location;
};

bool ParseHead(const std::string& Head, TResponseHead& Out) {
  std::size_t lineEnd = Head.find("\r\n");
  const std::string statusLine = Head.substr(0, lineEnd);
  if (!StartsText(statusLine, "HTTP/1.") || statusLine.size() < 12 || statusLine[8] != ' ') return false;
  Out.Status = 0;
  for (int i = 9; i < 12; ++i) {
    if (statusLine[i] < '0' || statusLine[i] > '9') return false;
    Out.Status = Out.Status * 10 + (statusLine[i] - '0');
  }
  while (lineEnd != std::string::npos && lineEnd + 2 < Head.size()) {
    const std::size_t start = lineEnd + 2;
    lineEnd = Head.find("\r\n", start);
    const std::string line = Head.substr(start, lineEnd == std::string::npos ? std::string::npos : lineEnd - start);
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    const std::string name = line.substr(0, colon);
    const std::string value = TrimControls(line.substr(colon + 1));
    if (SameText(name, "Content-Length")) {
      if (value.empty() || value.size() > 18) return false;
      std::size_t length = 0;
      for (char c : value) {
        if (c < '0' || c > '9') return false;
        length = length * 10 + static_cast<std::size_t>(c - '0');
      }
      Out.HasLength = true;
      Out.Length = length;
    } else if (SameText(name, "Transfer-Encoding")) {
      Out.Chunked = ContainsText("chunked", value);
    } else if (SameText(name, "Location")) {
      Out.Location = value;
    }
  }
  return true;
}

// Decodes a chunked body held whole in Raw; false while it is incomplete.
// Sets Error on a malformed or oversized body.
bool DecodeChunked(const std::string& Raw, std::size_t MaxBody, std::string& Body, std::int32_t& Error) {
  Body.clear();
  std::size_t at = 0;
  for (;;) {
    const std::size_t lineEnd = Raw.find("\r\n", at);
    if (lineEnd == std::string::npos) return false;
    std::size_t size = 0;
    std::size_t digits = 0;
    for (std::size_t i = at; i < lineEnd; ++i, ++digits) {
      const char c = Raw[i];
      int value;
      if (c >= '0' && c <= '9')
        value = c - '0';
      else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
      else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
      else
        break;
      if (digits >= 15) {
        Error = kHttpErrorInvalidResponse;
        return true;
      }
      size = size * 16 + static_cast<std::size_t>(value);
    }
    if (digits == 0) {
      Error = kHttpErrorInvalidResponse;
      return true;
    }
    if (size == 0) return true;  // trailers are not needed
    if (Body.size() + size > MaxBody) {
      Error = kHttpErrorBodyTooLarge;
      return true;
    }
    at = lineEnd + 2;
    if (Raw.size() < at + size + 2) return false;
    Body.append(Raw, at, size);
    at += size + 2;
  }
}

std::int32_t FetchOnce(THttpExchange& Exchange, const std::string& Url, TResponseHead& Head) {
  const THttpRequestProfile& profile = Exchange.Profile;
  THttpUrl url;
  if (!ParseHttpUrl(Url, url)) return kHttpErrorInvalidUrl;
  if (url.Secure) return kHttpErrorNotSupported;
  THttpUrl target = url;
  const bool viaProxy = !profile.Proxy.empty();
  if (viaProxy &&
      !ParseHttpUrl("http://" + profile.Proxy + (profile.ProxyPort.empty() ? "" : ":" + profile.ProxyPort), target)) {
    return kHttpErrorInvalidUrl;
  }
  TSocket socket;
  if (const std::int32_t error = Connect(target, profile.TimeoutMs, socket)) return error;

  const bool defaultPort = url.Port == 80;
  const std::string host = (url.Host.find(':') != std::string::npos ? "[" + url.Host + "]" : url.Host) +
                           (defaultPort ? "" : ":" + std::to_string(url.Port));
  std::string request = "GET " + (viaProxy ? Url : url.PathAndQuery) + " HTTP/" + profile.RequestVer + "\r\n";
  request += "Host: " + host + "\r\n";
  if (!profile.Agent.empty()) request += "User-Agent: " + profile.Agent + "\r\n";
  if (!profile.Accept.empty()) request += "Accept: " + profile.Accept + "\r\n";
  if (!profile.AcceptLanguage.empty()) request += "Accept-Language: " + profile.AcceptLanguage + "\r\n";
  if (viaProxy && !profile.ProxyUsername.empty()) {
    request += "Proxy-Authorization: Basic " + Base64(profile.ProxyUsername + ":" + profile.ProxyPassword) + "\r\n";
  }
  request += "Connection: close\r\n\r\n";
  for (std::size_t sent = 0; sent < request.size();) {
    const ssize_t count = send(socket.fd_, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return (errno == EAGAIN || errno == EWOULDBLOCK) ? kHttpErrorTimeout : kHttpErrorConnectionClosed;
    sent += static_cast<std::size_t>(count);
  }

  std::string raw;
  bool ended = false;
  std::size_t headEnd;
  for (;;) {
    // Interim 1xx answers precede the real one.
    while ((headEnd = raw.find("\r\n\r\n")) == std::string::npos) {
      if (raw.size() > kMaxHeaderBytes) return kHttpErrorInvalidResponse;
      if (const std::int32_t error = ReadMore(socket.fd_, raw, ended, Exchange.Cancelled)) {
        return ended && raw.empty() ? kHttpErrorConnectionClosed : error;
      }
    }
    if (!ParseHead(raw.substr(0, headEnd + 2), Head)) return kHttpErrorInvalidResponse;
    if (Head.Status >= 200 || Head.Status < 100) break;
    raw.erase(0, headEnd + 4);
    Head = TResponseHead();
  }
  raw.erase(0, headEnd + 4);

  const bool isRedirect =
      (Head.Status == 301 || Head.Status == 302 || Head.Status == 303 || Head.Status == 307 || Head.Status == 308);
  if (isRedirect && !Head.Location.empty()) {
    Head.Location = ResolveLocation(Url, Head.Location);
    return 0;
  }
  Head.Location.clear();

  std::string& body = Exchange.Body;
  if (Head.Status == 204 || Head.Status == 304) {
    body.clear();
    return 0;
  }
  if (Head.Chunked) {
    for (;;) {
      std::int32_t error = 0;
      if (DecodeChunked(raw, profile.MaxBodyBytes, body, error)) return error;
      if (raw.size() > profile.MaxBodyBytes + kMaxHeaderBytes) return kHttpErrorBodyTooLarge;
      if (const std::int32_t readError = ReadMore(socket.fd_, raw, ended, Exchange.Cancelled)) return readError;
    }
  }
  if (Head.HasLength && Head.Length > profile.MaxBodyBytes) return kHttpErrorBodyTooLarge;
  for (;;) {
    if (raw.size() > profile.MaxBodyBytes) return kHttpErrorBodyTooLarge;
    if (Head.HasLength && raw.size() >= Head.Length) {
      raw.resize(Head.Length);
      break;
    }
    const std::int32_t error = ReadMore(socket.fd_, raw, ended, Exchange.Cancelled);
    if (ended && !Head.HasLength) break;  // the body runs to the end of the connection
    if (error != 0) return error;
  }
  body = std::move(raw);
  return 0;
}

// The completion queue: filled by workers, emptied by the starting thread.
struct TCompletionQueue {
  std::mutex Lock;
  std::condition_variable Arrived;
  std::deque<std::pair<std::uintptr_t, std::uint64_t>> Items;
};

TCompletionQueue& Queue() {
  static TCompletionQueue* queue = new TCompletionQueue;  // outlives detached workers
  return *queue;
}

// Deadlines of this thread's requests.
std::map<std::uint64_t, std::chrono::steady_clock::time_point>& Deadlines() {
  thread_local std::map<std::uint64_t, std::chrono::steady_clock::time_point> deadlines;
  return deadlines;
}

std::uintptr_t ThisThreadPort() { return std::hash<std::thread::id>()(std::this_thread::get_id()) | 1; }

}  // namespace

void HttpFetchBlocking(THttpExchange& Exchange) {
  std::string url = Exchange.Profile.Url;
  for (int redirects = 0;; ++redirects) {
    TResponseHead head;
    const std::int32_t error = FetchOnce(Exchange, url, head);
    if (error != 0 || head.Location.empty()) {
      Exchange.ErrorCode = error;
      Exchange.StatusCode = head.Status;
      return;
    }
    if (redirects >= Exchange.Profile.MaxRedirects) {
      Exchange.ErrorCode = kHttpErrorTooManyRedirects;
      return;
    }
    if (Exchange.Cancelled.load()) return;
    url = head.Location;
  }
}

std::uintptr_t HttpCurrentThreadPort() { return ThisThreadPort(); }

void HttpPostCompletion(std::uintptr_t Port, std::uint64_t RequestId) {
  TCompletionQueue& queue = Queue();
  {
    std::lock_guard<std::mutex> hold(queue.Lock);
    queue.Items.emplace_back(Port, RequestId);
  }
  queue.Arrived.notify_all();
}

void HttpArmDeadline(std::uintptr_t, std::uint64_t RequestId, std::int32_t Milliseconds) {
  Deadlines()[RequestId] = std::chrono::steady_clock::now() + std::chrono::milliseconds(Milliseconds);
}

void HttpDisarmDeadline(std::uintptr_t, std::uint64_t RequestId) { Deadlines().erase(RequestId); }

void PumpHttpCompletions(std::int32_t WaitMs) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(WaitMs > 0 ? WaitMs : 0);
  const std::uintptr_t port = ThisThreadPort();
  TCompletionQueue& queue = Queue();
  for (;;) {
    std::deque<std::uint64_t> due;
    Clock::time_point wakeUp = end;
    {
      std::unique_lock<std::mutex> hold(queue.Lock);
      for (auto item = queue.Items.begin(); item != queue.Items.end();) {
        if (item->first == port) {
          due.push_back(item->second);
          item = queue.Items.erase(item);
        } else {
          ++item;
        }
      }
      if (due.empty()) {
        for (const auto& deadline : Deadlines()) wakeUp = std::min(wakeUp, deadline.second);
        if (Clock::now() < wakeUp) queue.Arrived.wait_until(hold, wakeUp);
      }
    }
    bool delivered = false;
    for (std::uint64_t id : due) {
      HttpDeliverCompletion(id, false);
      delivered = true;
    }
    const Clock::time_point now = Clock::now();
    std::deque<std::uint64_t> expired;
    for (const auto& deadline : Deadlines()) {
      if (deadline.second <= now) expired.push_back(deadline.first);
    }
    for (std::uint64_t id : expired) {
      Deadlines().erase(id);
      HttpDeliverCompletion(id, true);
      delivered = true;
    }
    if (delivered || now >= end) return;
  }
}

}  // namespace dimmscope
