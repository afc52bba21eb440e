// The HTTP client's Windows half: WinHTTP in synchronous mode on a worker
// thread, completions posted to a hidden message-only window of the thread
// that started the request, and the request's deadline as a timer of that
// window. A worker with blocking calls keeps each request a straight sequence
// (no callback state machine, no handle-closing races); the window keeps every
// caller-visible effect on the user-interface thread.
//
// winhttp.dll is not one of the DLLs Windows always loads from its own folder,
// so it is loaded at run time from the system folder by full search rule,
// never imported: a planted copy beside the program is never picked up.
#include <exception>
#include <stdexcept>
#include <string>

#include "platform/win32/error_handler_win32.h"
#include "platform/win32/system_library_win32.h"
#include "platform/win32/text_win32.h"
#include "platform/win32/win_api.h"
#include "update/http_client.h"
#include "update/http_transport.h"
#include "update/http_url.h"

namespace dimmscope {

namespace {

struct TWinHttpApi {
  decltype(&::WinHttpOpen) Open = nullptr;
  decltype(&::WinHttpConnect) Connect = nullptr;
  decltype(&::WinHttpOpenRequest) OpenRequest = nullptr;
  decltype(&::WinHttpSetOption) SetOption = nullptr;
  decltype(&::WinHttpSetTimeouts) SetTimeouts = nullptr;
  decltype(&::WinHttpSendRequest) SendRequest = nullptr;
  decltype(&::WinHttpReceiveResponse) ReceiveResponse = nullptr;
  decltype(&::WinHttpQueryHeaders) QueryHeaders = nullptr;
  decltype(&::WinHttpQueryDataAvailable) QueryDataAvailable = nullptr;
  decltype(&::WinHttpReadData) ReadData = nullptr;
  decltype(&::WinHttpCloseHandle) CloseHandle = nullptr;
  bool Loaded = false;
};

template <typename T>
void Resolve(const TSystemLibrary& Library, const char* Name, T& Out, bool& AllFound) {
  Out = Library.Function<T>(Name);
  if (Out == nullptr) AllFound = false;
}

// Loaded once, on first use, and deliberately never freed, like the POSIX
// side's completion queue. A worker abandoned by its caller (the window closed
// during the links download or the update check) may still sit in a WinHTTP
// call, up to its timeout, while the process runs its exit; a static library
// object would be destroyed then, and its FreeLibrary would unmap the code
// under that worker. The process's end releases the module.
const TWinHttpApi& WinHttp() {
  static const TSystemLibrary& library = *new TSystemLibrary(L"winhttp.dll");
  static const TWinHttpApi api = [] {
    TWinHttpApi table;
    if (!library) return table;
    bool all = true;
    Resolve(library, "WinHttpOpen", table.Open, all);
    Resolve(library, "WinHttpConnect", table.Connect, all);
    Resolve(library, "WinHttpOpenRequest", table.OpenRequest, all);
    Resolve(library, "WinHttpSetOption", table.SetOption, all);
    Resolve(library, "WinHttpSetTimeouts", table.SetTimeouts, all);
    Resolve(library, "WinHttpSendRequest", table.SendRequest, all);
    Resolve(library, "WinHttpReceiveResponse", table.ReceiveResponse, all);
    Resolve(library, "WinHttpQueryHeaders", table.QueryHeaders, all);
    Resolve(library, "WinHttpQueryDataAvailable", table.QueryDataAvailable, all);
    Resolve(library, "WinHttpReadData", table.ReadData, all);
    Resolve(library, "WinHttpCloseHandle", table.CloseHandle, all);
    table.Loaded = all;
    return table;
  }();
  return api;
}

class TInternetHandle {
 public:
  explicit TInternetHandle(HINTERNET Handle = nullptr) : handle_(Handle) {}
  ~TInternetHandle() {
    if (handle_ != nullptr) WinHttp().CloseHandle(handle_);
  }
  TInternetHandle(const TInternetHandle&) = delete;
  TInternetHandle& operator=(const TInternetHandle&) = delete;
  operator HINTERNET() const { return handle_; }

 private:
  HINTERNET handle_;
};

std::int32_t LastErrorOr(std::int32_t Fallback) {
  const DWORD code = GetLastError();
  return code != 0 ? static_cast<std::int32_t>(code) : Fallback;
}

bool QueryNumber(HINTERNET Request, DWORD Query, DWORD& Value) {
  DWORD size = sizeof(Value);
  return WinHttp().QueryHeaders(Request, Query | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX, &Value, &size,
                                WINHTTP_NO_HEADER_INDEX) != FALSE;
}

bool QueryText(HINTERNET Request, DWORD Query, std::wstring& Value) {
  DWORD size = 0;
  WinHttp().QueryHeaders(Request, Query, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER, &size,
                         WINHTTP_NO_HEADER_INDEX);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) return false;
  std::wstring buffer(size / sizeof(wchar_t) + 1, L'\0');
  if (!WinHttp().QueryHeaders(Request, Query, WINHTTP_HEADER_NAME_BY_INDEX, &buffer[0], &size,
                              WINHTTP_NO_HEADER_INDEX)) {
    return false;
  }
  buffer.resize(size / sizeof(wchar_t));
  Value = buffer;
  return true;
}

bool IsRedirect(DWORD Status) {
  return Status == 301 || Status == 302 || Status == 303 || Status == 307 || Status == 308;
}

// One request/response on an open session. Returns 0 and the status, the
// body or the next address; or an error code.
std::int32_t FetchOnce(HINTERNET Session, THttpExchange& Exchange, const std::string& Url, DWORD& Status,
                       std::string& Location) {
  const TWinHttpApi& api = WinHttp();
  const THttpRequestProfile& profile = Exchange.Profile;
  THttpUrl url;
  if (!ParseHttpUrl(Url, url)) return kHttpErrorInvalidUrl;
  TInternetHandle connection(api.Connect(Session, Utf8ToWide(url.Host).c_str(), url.Port, 0));
  if (connection == nullptr) return LastErrorOr(kHttpErrorCannotConnect);
  TInternetHandle request(api.OpenRequest(connection, L"GET", Utf8ToWide(url.PathAndQuery).c_str(),
                                          Utf8ToWide("HTTP/" + profile.RequestVer).c_str(), WINHTTP_NO_REFERER,
                                          WINHTTP_DEFAULT_ACCEPT_TYPES, url.Secure ? WINHTTP_FLAG_SECURE : 0));
  if (request == nullptr) return LastErrorOr(kHttpErrorInvalidUrl);

  // Redirects are followed here, not by WinHTTP, so that the limit of five is
  // the same on every system and under Wine.
  DWORD policy = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
  api.SetOption(request, WINHTTP_OPTION_REDIRECT_POLICY, &policy, sizeof(policy));
  DWORD disable = WINHTTP_DISABLE_REDIRECTS;
  api.SetOption(request, WINHTTP_OPTION_DISABLE_FEATURE, &disable, sizeof(disable));
  if (!profile.Proxy.empty() && !profile.ProxyUsername.empty()) {
    const std::wstring user = Utf8ToWide(profile.ProxyUsername), password = Utf8ToWide(profile.ProxyPassword);
    api.SetOption(request, WINHTTP_OPTION_PROXY_USERNAME, const_cast<wchar_t*>(user.c_str()),
                  static_cast<DWORD>(user.size()));
    api.SetOption(request, WINHTTP_OPTION_PROXY_PASSWORD, const_cast<wchar_t*>(password.c_str()),
                  static_cast<DWORD>(password.size()));
  }

  std::wstring headers;
  if (!profile.Accept.empty()) headers += L"Accept: " + Utf8ToWide(profile.Accept) + L"\r\n";
  if (!profile.AcceptLanguage.empty()) headers += L"Accept-Language: " + Utf8ToWide(profile.AcceptLanguage) + L"\r\n";
  if (!api.SendRequest(request, headers.empty() ? WINHTTP_NO_ADDITIONAL_HEADERS : headers.c_str(),
                       headers.empty() ? 0 : static_cast<DWORD>(-1L), WINHTTP_NO_REQUEST_DATA, 0, 0, 0)) {
    return LastErrorOr(kHttpErrorCannotConnect);
  }
  if (!api.ReceiveResponse(request, nullptr)) return LastErrorOr(kHttpErrorConnectionClosed);
  if (!QueryNumber(request, WINHTTP_QUERY_STATUS_CODE, Status)) return kHttpErrorInvalidResponse;

  std::wstring location;
  if (IsRedirect(Status) && QueryText(request, WINHTTP_QUERY_LOCATION, location)) {
    Location = ResolveLocation(Url, WideToUtf8(location));
    return 0;
  }

  // A declared length over the cap is refused before anything is read.
  DWORD declared = 0;
  const bool hasLength = QueryNumber(request, WINHTTP_QUERY_CONTENT_LENGTH, declared);
  if (hasLength && declared > profile.MaxBodyBytes) return kHttpErrorBodyTooLarge;

  std::string& body = Exchange.Body;
  body.clear();
  char chunk[16384];
  for (;;) {
    if (Exchange.Cancelled.load()) return kHttpErrorTimeout;
    DWORD read = 0;
    if (!api.ReadData(request, chunk, sizeof(chunk), &read)) return LastErrorOr(kHttpErrorConnectionClosed);
    if (read == 0) break;
    if (body.size() + read > profile.MaxBodyBytes) return kHttpErrorBodyTooLarge;
    body.append(chunk, read);
  }
  // WinHTTP may end a body cut short by the server as if it were complete.
  if (hasLength && body.size() < declared) return kHttpErrorConnectionClosed;
  return 0;
}

// The window that receives the completions and deadlines of its thread.
constexpr UINT kCompletionMessage = WM_APP + 0x48;
constexpr wchar_t kWindowClass[] = L"DimmscopeHttpCompletions";

// A completion runs the caller's handler (the update question, the log), which
// may throw. As in every window procedure, nothing may unwind into user32's
// frames (the i686 build's DWARF unwinder cannot cross them and would end in
// std::terminate): the message goes to the general error handler.
void Deliver(std::uint64_t RequestId, bool TimedOut) {
  try {
    HttpDeliverCompletion(RequestId, TimedOut);
  } catch (const std::exception& error) {
    win::ShowException(error.what());
  } catch (...) {
    win::ShowException("Unknown error");
  }
}

LRESULT CALLBACK CompletionWindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
  if (Message == kCompletionMessage) {
    Deliver(static_cast<std::uint64_t>(WParam), false);
    return 0;
  }
  if (Message == WM_TIMER) {
    KillTimer(Window, WParam);
    Deliver(static_cast<std::uint64_t>(WParam), true);
    return 0;
  }
  return DefWindowProcW(Window, Message, WParam, LParam);
}

struct TThreadWindow {
  HWND Window = nullptr;
  ~TThreadWindow() {
    if (Window != nullptr) DestroyWindow(Window);
  }
};

}  // namespace

void HttpFetchBlocking(THttpExchange& Exchange) {
  const TWinHttpApi& api = WinHttp();
  const THttpRequestProfile& profile = Exchange.Profile;
  std::wstring proxy;
  if (!profile.Proxy.empty())
    proxy = Utf8ToWide(profile.Proxy + (profile.ProxyPort.empty() ? "" : ":" + profile.ProxyPort));
  TInternetHandle session(api.Open(Utf8ToWide(profile.Agent).c_str(),
                                   proxy.empty() ? WINHTTP_ACCESS_TYPE_NO_PROXY : WINHTTP_ACCESS_TYPE_NAMED_PROXY,
                                   proxy.empty() ? WINHTTP_NO_PROXY_NAME : proxy.c_str(), WINHTTP_NO_PROXY_BYPASS, 0));
  if (session == nullptr) {
    Exchange.ErrorCode = LastErrorOr(kHttpErrorCannotConnect);
    return;
  }
  // Each step is also bounded, so a worker whose caller has given up ends on its own.
  const int limit = profile.TimeoutMs;
  api.SetTimeouts(session, limit, limit, limit, limit);

  std::string url = profile.Url;
  for (int redirects = 0;; ++redirects) {
    DWORD status = 0;
    std::string location;
    const std::int32_t error = FetchOnce(session, Exchange, url, status, location);
    if (error != 0 || location.empty()) {
      Exchange.ErrorCode = error;
      Exchange.StatusCode = static_cast<std::int32_t>(status);
      return;
    }
    if (redirects >= profile.MaxRedirects) {
      Exchange.ErrorCode = kHttpErrorTooManyRedirects;
      return;
    }
    if (Exchange.Cancelled.load()) return;
    url = location;
  }
}

std::uintptr_t HttpCurrentThreadPort() {
  if (!WinHttp().Loaded) throw std::runtime_error("WinHTTP is not available");
  thread_local TThreadWindow window;
  if (window.Window == nullptr) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = CompletionWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWindowClass;
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
      throw std::runtime_error("Cannot register the HTTP completion window");
    }
    window.Window = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    if (window.Window == nullptr) throw std::runtime_error("Cannot create the HTTP completion window");
  }
  return reinterpret_cast<std::uintptr_t>(window.Window);
}

void HttpPostCompletion(std::uintptr_t Port, std::uint64_t RequestId) {
  PostMessageW(reinterpret_cast<HWND>(Port), kCompletionMessage, static_cast<WPARAM>(RequestId), 0);
}

void HttpArmDeadline(std::uintptr_t Port, std::uint64_t RequestId, std::int32_t Milliseconds) {
  SetTimer(reinterpret_cast<HWND>(Port), static_cast<UINT_PTR>(RequestId), static_cast<UINT>(Milliseconds), nullptr);
}

void HttpDisarmDeadline(std::uintptr_t Port, std::uint64_t RequestId) {
  KillTimer(reinterpret_cast<HWND>(Port), static_cast<UINT_PTR>(RequestId));
}

void PumpHttpCompletions(std::int32_t WaitMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD elapsed = GetTickCount() - start;
    const DWORD remaining = elapsed >= static_cast<DWORD>(WaitMs) ? 0 : static_cast<DWORD>(WaitMs) - elapsed;
    MsgWaitForMultipleObjectsEx(0, nullptr, remaining, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    bool dispatched = false;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
      dispatched = true;
    }
    if (dispatched || remaining == 0) return;
  }
}

}  // namespace dimmscope
