// The Windows WMI provider: reaches WMI through the scripting objects'
// automation interface, calling every member by name, so nothing beyond the
// system's own COM and automation support is needed to build or run it.
#include <atomic>
#include <cstdint>
#include <limits>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/win_api.h"
#include "wmi/platform_provider.h"
#include "wmi/variant.h"
#include "wmi/wmi_provider.h"

namespace dimmscope {
namespace {

// WMI's "not found" code, as WMI reports a property an instance lacks. The
// WMI headers are not pulled in for one constant.
constexpr HRESULT kWbemNotFound = static_cast<HRESULT>(0x80041002UL);

// ---------------------------------------------------------------------------
// Ownership helpers

// Owns one COM reference; copies add a reference, moves hand it over.
template <typename T>
class TComPtr {
 public:
  TComPtr() = default;
  // Takes over a reference the caller already holds.
  explicit TComPtr(T* adopted) : ptr_(adopted) {}
  TComPtr(const TComPtr& other) : ptr_(other.ptr_) {
    if (ptr_ != nullptr) ptr_->AddRef();
  }
  TComPtr(TComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
  TComPtr& operator=(TComPtr other) noexcept {
    std::swap(ptr_, other.ptr_);
    return *this;
  }
  ~TComPtr() { Reset(); }

  // Shares a reference held by someone else.
  static TComPtr Retain(T* shared) {
    if (shared != nullptr) shared->AddRef();
    return TComPtr(shared);
  }

  void Reset() {
    // Cleared before Release, in case the release calls back into us.
    if (T* old = std::exchange(ptr_, nullptr)) old->Release();
  }
  T* Get() const { return ptr_; }
  T* operator->() const { return ptr_; }
  explicit operator bool() const { return ptr_ != nullptr; }
  // For an out parameter: drops the current reference first.
  T** Put() {
    Reset();
    return &ptr_;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }

 private:
  T* ptr_ = nullptr;
};

using TDispatchPtr = TComPtr<IDispatch>;

// Text in the ANSI code page, the single-byte text the rest of the program uses.
std::wstring AnsiToWide(const std::string& text) {
  if (text.empty()) return {};
  if (text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) throw std::length_error("Text too long");
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  if (length <= 0) throw std::runtime_error("Text cannot be converted to Unicode");
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), size, &wide[0], length);
  return wide;
}

std::string WideToAnsi(const wchar_t* text, std::size_t size) {
  if (text == nullptr || size == 0) return {};
  if (size > static_cast<std::size_t>(std::numeric_limits<int>::max())) throw std::length_error("Text too long");
  const int wideSize = static_cast<int>(size);
  const int length = WideCharToMultiByte(CP_ACP, 0, text, wideSize, nullptr, 0, nullptr, nullptr);
  if (length <= 0) throw std::runtime_error("Text cannot be converted to the ANSI code page");
  std::string ansi(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, wideSize, &ansi[0], length, nullptr, nullptr);
  return ansi;
}

// A BSTR may hold embedded zeros, so its length comes from the string itself.
std::string BStrToAnsi(BSTR text) { return text == nullptr ? std::string() : WideToAnsi(text, SysStringLen(text)); }

// Owns one BSTR.
class TBStr {
 public:
  TBStr() = default;
  explicit TBStr(const std::string& text) {
    const std::wstring wide = AnsiToWide(text);
    // Never a null BSTR, even for "": some servers tell the two apart.
    bstr_ = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    if (bstr_ == nullptr) throw std::bad_alloc();
  }
  ~TBStr() { SysFreeString(bstr_); }
  TBStr(const TBStr&) = delete;
  TBStr& operator=(const TBStr&) = delete;

  BSTR Get() const { return bstr_; }
  // For a by-reference argument, which the callee may replace.
  BSTR* Ref() { return &bstr_; }

 private:
  BSTR bstr_ = nullptr;
};

// Owns a VARIANT's contents: cleared on every path out.
class TVariantGuard {
 public:
  TVariantGuard() { VariantInit(&value_); }
  ~TVariantGuard() { VariantClear(&value_); }
  TVariantGuard(const TVariantGuard&) = delete;
  TVariantGuard& operator=(const TVariantGuard&) = delete;

  VARIANT* Get() { return &value_; }
  const VARIANT& operator*() const { return value_; }
  // For an out parameter: clears what was there.
  VARIANT* Put() {
    VariantClear(&value_);
    return &value_;
  }

 private:
  VARIANT value_;
};

// Owns the strings a failed call leaves in its exception information.
class TExcepInfo {
 public:
  TExcepInfo() = default;
  ~TExcepInfo() {
    SysFreeString(info_.bstrSource);
    SysFreeString(info_.bstrDescription);
    SysFreeString(info_.bstrHelpFile);
  }
  TExcepInfo(const TExcepInfo&) = delete;
  TExcepInfo& operator=(const TExcepInfo&) = delete;

  EXCEPINFO* Get() { return &info_; }
  // Servers may postpone filling in the details until someone asks.
  void Complete() {
    if (info_.pfnDeferredFillIn != nullptr) {
      auto fill = info_.pfnDeferredFillIn;
      info_.pfnDeferredFillIn = nullptr;
      fill(&info_);
    }
  }
  SCODE Code() const { return info_.scode; }
  std::string Description() const { return BStrToAnsi(info_.bstrDescription); }

 private:
  EXCEPINFO info_{};
};

// ---------------------------------------------------------------------------
// Calling members by name

std::string HexCode(HRESULT code) {
  static const char kDigits[] = "0123456789ABCDEF";
  const auto value = static_cast<std::uint32_t>(code);
  std::string text = "0x";
  for (int shift = 28; shift >= 0; shift -= 4) text += kDigits[(value >> shift) & 0xFu];
  return text;
}

// What a failed call reported: its own result and, when the server raised an
// exception, the server's code and description.
struct TCallFailure {
  HRESULT Result = S_OK;
  SCODE Detail = 0;
  std::string Description;
  int Argument = -1;  // the rejected argument, in call order, for a type mismatch
};

[[noreturn]] void ThrowFailure(const char* member, const TCallFailure& failure) {
  std::string message = std::string("WMI ") + member + " failed (" + HexCode(failure.Result);
  if (failure.Detail != 0 && failure.Detail != failure.Result) message += ", error " + HexCode(failure.Detail);
  message += ")";
  if (!failure.Description.empty()) message += ": " + failure.Description;
  throw std::runtime_error(message);
}

[[noreturn]] void ThrowResult(const char* member, HRESULT result) {
  TCallFailure failure;
  failure.Result = result;
  ThrowFailure(member, failure);
}

// Member names here are plain ASCII.
std::wstring WidenAscii(const char* text) {
  std::wstring wide;
  for (; *text != '\0'; ++text) wide += static_cast<wchar_t>(static_cast<unsigned char>(*text));
  return wide;
}

HRESULT LookUpMember(IDispatch* object, const char* member, DISPID* id) {
  std::wstring name = WidenAscii(member);
  LPOLESTR names[] = {&name[0]};
  return object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, id);
}

enum class TCallKind { Get, Method, Put };

// Calls member `id` with `args` in call order; automation wants them last
// first, so they are reversed here. The arguments stay owned by the caller.
HRESULT TryInvokeId(IDispatch* object, DISPID id, TCallKind kind, const std::vector<VARIANT>& args, VARIANT* result,
                    TCallFailure& failure) {
  std::vector<VARIANT> reversed(args.rbegin(), args.rend());
  DISPPARAMS params{};
  params.rgvarg = reversed.empty() ? nullptr : reversed.data();
  params.cArgs = static_cast<UINT>(reversed.size());
  DISPID putId = DISPID_PROPERTYPUT;
  WORD flags = DISPATCH_METHOD;
  switch (kind) {
    case TCallKind::Get:
      // Scripting clients read properties this way, and some servers list a
      // readable member as a method.
      flags = DISPATCH_PROPERTYGET | DISPATCH_METHOD;
      break;
    case TCallKind::Method: flags = DISPATCH_METHOD; break;
    case TCallKind::Put:
      // The new value is the one named argument of a property put.
      flags = DISPATCH_PROPERTYPUT;
      params.rgdispidNamedArgs = &putId;
      params.cNamedArgs = 1;
      break;
  }
  TExcepInfo excepInfo;
  UINT argError = 0;
  const HRESULT hr =
      object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, excepInfo.Get(), &argError);
  failure = TCallFailure();
  failure.Result = hr;
  if ((hr == DISP_E_TYPEMISMATCH || hr == DISP_E_PARAMNOTFOUND) && argError < reversed.size()) {
    failure.Argument = static_cast<int>(reversed.size() - 1 - argError);
  }
  if (hr == DISP_E_EXCEPTION) {
    excepInfo.Complete();
    failure.Detail = excepInfo.Code();
    failure.Description = excepInfo.Description();
  }
  return hr;
}

HRESULT TryInvoke(IDispatch* object, const char* member, TCallKind kind, const std::vector<VARIANT>& args,
                  VARIANT* result, TCallFailure& failure) {
  DISPID id = DISPID_UNKNOWN;
  const HRESULT hr = LookUpMember(object, member, &id);
  if (FAILED(hr)) {
    failure = TCallFailure();
    failure.Result = hr;
    return hr;
  }
  return TryInvokeId(object, id, kind, args, result, failure);
}

void Invoke(IDispatch* object, const char* member, TCallKind kind, const std::vector<VARIANT>& args, VARIANT* result) {
  TCallFailure failure;
  if (FAILED(TryInvoke(object, member, kind, args, result, failure))) ThrowFailure(member, failure);
}

// Argument variants that borrow their value; the caller keeps ownership.
VARIANT BStrArg(const TBStr& text) {
  VARIANT arg;
  VariantInit(&arg);
  V_VT(&arg) = VT_BSTR;
  V_BSTR(&arg) = text.Get();
  return arg;
}

VARIANT BStrRefArg(TBStr& text) {
  VARIANT arg;
  VariantInit(&arg);
  V_VT(&arg) = VT_BSTR | VT_BYREF;
  V_BSTRREF(&arg) = text.Ref();
  return arg;
}

VARIANT IntArg(int value) {
  VARIANT arg;
  VariantInit(&arg);
  V_VT(&arg) = VT_I4;
  V_I4(&arg) = value;
  return arg;
}

VARIANT NullArg() {
  VARIANT arg;
  VariantInit(&arg);
  V_VT(&arg) = VT_NULL;
  return arg;
}

// The automation object a call returned; throws when it returned none.
TDispatchPtr TakeDispatch(const VARIANT& value, const char* member) {
  if (V_VT(&value) == VT_DISPATCH && V_DISPATCH(&value) != nullptr) return TDispatchPtr::Retain(V_DISPATCH(&value));
  if (V_VT(&value) == VT_UNKNOWN && V_UNKNOWN(&value) != nullptr) {
    TDispatchPtr dispatch;
    const HRESULT hr = V_UNKNOWN(&value)->QueryInterface(IID_IDispatch, dispatch.PutVoid());
    if (FAILED(hr)) ThrowResult(member, hr);
    return dispatch;
  }
  throw std::runtime_error(std::string("WMI ") + member + " returned no object");
}

// Reads an object-valued member.
TDispatchPtr GetObject(IDispatch* object, const char* member) {
  TVariantGuard result;
  Invoke(object, member, TCallKind::Get, {}, result.Get());
  return TakeDispatch(*result, member);
}

// The enumerator behind a collection's _NewEnum.
TComPtr<IEnumVARIANT> NewEnum(IDispatch* collection) {
  static const char kMember[] = "_NewEnum";
  DISPID id = DISPID_UNKNOWN;
  // Collections are required to answer the fixed member id even when the
  // name is not published.
  if (FAILED(LookUpMember(collection, kMember, &id))) id = DISPID_NEWENUM;
  TVariantGuard result;
  TCallFailure failure;
  if (FAILED(TryInvokeId(collection, id, TCallKind::Get, {}, result.Get(), failure))) ThrowFailure(kMember, failure);
  IUnknown* unknown = nullptr;
  if (V_VT(result.Get()) == VT_UNKNOWN) unknown = V_UNKNOWN(result.Get());
  if (V_VT(result.Get()) == VT_DISPATCH) unknown = V_DISPATCH(result.Get());
  if (unknown == nullptr) throw std::runtime_error("WMI _NewEnum returned no enumerator");
  TComPtr<IEnumVARIANT> items;
  const HRESULT hr = unknown->QueryInterface(IID_IEnumVARIANT, items.PutVoid());
  if (FAILED(hr)) ThrowResult(kMember, hr);
  return items;
}

// ---------------------------------------------------------------------------
// Values

// An object held by a variant; keeps its COM reference as long as any copy
// of the variant lives.
class TComVariantObject : public TVariantObject {
 public:
  explicit TComVariantObject(TDispatchPtr dispatch) : Dispatch(std::move(dispatch)) {}
  explicit TComVariantObject(TComPtr<IUnknown> unknown) : Unknown(std::move(unknown)) {}
  TDispatchPtr Dispatch;      // automation objects
  TComPtr<IUnknown> Unknown;  // anything else
};

TVariant ToVariant(const VARIANT& value) {
  // The copy and change functions take their source as non-const, though
  // neither writes to it.
  VARIANT* source = const_cast<VARIANT*>(&value);
  const VARTYPE type = V_VT(&value);
  if ((type & VT_BYREF) != 0) {
    // Rare in results, but a copy of what it points to is the value.
    TVariantGuard direct;
    const HRESULT hr = VariantCopyInd(direct.Get(), source);
    if (FAILED(hr)) throw std::runtime_error("WMI value cannot be read (" + HexCode(hr) + ")");
    return ToVariant(*direct);
  }
  // None of the properties read here is an array.
  if ((type & VT_ARRAY) != 0) return TVariant::Null();
  switch (type) {
    case VT_EMPTY: return TVariant();
    case VT_NULL:
    case VT_ERROR:  // a missing optional value
      return TVariant::Null();
    case VT_BSTR: return TVariant(BStrToAnsi(V_BSTR(&value)));
    case VT_I1: return TVariant(static_cast<std::int64_t>(static_cast<signed char>(V_I1(&value))));
    case VT_I2: return TVariant(static_cast<std::int64_t>(V_I2(&value)));
    case VT_I4: return TVariant(static_cast<std::int64_t>(V_I4(&value)));
    case VT_INT: return TVariant(static_cast<std::int64_t>(V_INT(&value)));
    case VT_I8: return TVariant(static_cast<std::int64_t>(V_I8(&value)));
    case VT_UI1: return TVariant(static_cast<std::int64_t>(V_UI1(&value)));
    case VT_UI2: return TVariant(static_cast<std::int64_t>(V_UI2(&value)));
    case VT_UI4: return TVariant(static_cast<std::int64_t>(V_UI4(&value)));
    case VT_UINT: return TVariant(static_cast<std::int64_t>(V_UINT(&value)));
    case VT_UI8: {
      const std::uint64_t number = V_UI8(&value);
      // Beyond the signed range only text keeps the number exact.
      if (number > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
        return TVariant(std::to_string(number));
      }
      return TVariant(static_cast<std::int64_t>(number));
    }
    case VT_R4: return TVariant(static_cast<double>(V_R4(&value)));
    case VT_R8: return TVariant(static_cast<double>(V_R8(&value)));
    case VT_DATE: return TVariant(static_cast<double>(V_DATE(&value)));
    case VT_BOOL: return TVariant(V_BOOL(&value) != VARIANT_FALSE);
    case VT_DISPATCH:
      if (V_DISPATCH(&value) == nullptr) return TVariant::Null();
      return TVariant(std::shared_ptr<TVariantObject>(
          std::make_shared<TComVariantObject>(TDispatchPtr::Retain(V_DISPATCH(&value)))));
    case VT_UNKNOWN:
      if (V_UNKNOWN(&value) == nullptr) return TVariant::Null();
      return TVariant(std::shared_ptr<TVariantObject>(
          std::make_shared<TComVariantObject>(TComPtr<IUnknown>::Retain(V_UNKNOWN(&value)))));
    default: break;
  }
  // Anything else (currency, decimal) is kept as its text.
  TVariantGuard text;
  const HRESULT hr = VariantChangeType(text.Get(), source, 0, VT_BSTR);
  if (FAILED(hr)) throw std::runtime_error("WMI value of type " + std::to_string(type) + " cannot be read");
  return TVariant(BStrToAnsi(V_BSTR(text.Get())));
}

// ---------------------------------------------------------------------------
// The provider objects. Each holds its own reference to the service it came
// from, so the service lives as long as anything obtained through it.

class TComInstance : public IWmiInstance {
 public:
  TComInstance(TDispatchPtr service, TDispatchPtr object) : service_(std::move(service)), object_(std::move(object)) {}

  TVariant AsVariant() override {
    return TVariant(std::shared_ptr<TVariantObject>(std::make_shared<TComVariantObject>(object_)));
  }

  // Throws when the property set cannot be walked; the caller then falls
  // back on the names it knows.
  std::vector<std::string> PropertyNames() override {
    TComPtr<IEnumVARIANT> items = NewEnum(Properties());
    std::vector<std::string> names;
    for (;;) {
      TVariantGuard item;
      ULONG fetched = 0;
      const HRESULT hr = items->Next(1, item.Get(), &fetched);
      if (hr != S_OK) {
        if (FAILED(hr)) ThrowResult("Properties_", hr);
        break;
      }
      TDispatchPtr property = TakeDispatch(*item, "Properties_");
      TVariantGuard name;
      Invoke(property.Get(), "Name", TCallKind::Get, {}, name.Get());
      names.push_back(ToVariant(*name).AsString());
    }
    return names;
  }

  TVariant PropertyValue(const std::string& name) override {
    TBStr propertyName(name);
    TVariantGuard item;
    TCallFailure failure;
    const HRESULT hr = TryInvoke(Properties(), "Item", TCallKind::Method, {BStrArg(propertyName)}, item.Get(), failure);
    if (FAILED(hr)) {
      // A property the class lacks (one newer Windows versions added, say)
      // is a missing value, not a failed load.
      // Other failures (access denied, a broken provider) still fail the load.
      const bool notFound = hr == kWbemNotFound || (hr == DISP_E_EXCEPTION && failure.Detail == kWbemNotFound);
      if (notFound) return TVariant::Null();
      ThrowFailure("Item", failure);
    }
    TDispatchPtr property = TakeDispatch(*item, "Item");
    TVariantGuard value;
    Invoke(property.Get(), "Value", TCallKind::Get, {}, value.Get());
    return ToVariant(*value);
  }

 private:
  // Fetched once: every value is read through it.
  IDispatch* Properties() {
    if (!properties_) properties_ = GetObject(object_.Get(), "Properties_");
    return properties_.Get();
  }

  TDispatchPtr service_;
  TDispatchPtr object_;
  TDispatchPtr properties_;
};

class TComEnumerator : public IWmiEnumerator {
 public:
  TComEnumerator(TDispatchPtr service, TDispatchPtr objectSet, TComPtr<IEnumVARIANT> items)
      : service_(std::move(service)), objectSet_(std::move(objectSet)), items_(std::move(items)) {}

  std::unique_ptr<IWmiInstance> Next() override {
    if (!items_) return nullptr;
    TVariantGuard item;
    ULONG fetched = 0;
    // With results returned immediately, query errors such as an unknown
    // class only show up here.
    const HRESULT hr = items_->Next(1, item.Get(), &fetched);
    if (FAILED(hr)) ThrowResult("ExecQuery", hr);
    if (hr != S_OK || fetched == 0) {
      items_.Reset();
      objectSet_.Reset();
      return nullptr;
    }
    return std::make_unique<TComInstance>(service_, TakeDispatch(*item, "ExecQuery"));
  }

 private:
  TDispatchPtr service_;
  TDispatchPtr objectSet_;
  TComPtr<IEnumVARIANT> items_;
};

class TComService : public IWmiService {
 public:
  TComService(TDispatchPtr locator, TDispatchPtr service)
      : locator_(std::move(locator)), service_(std::move(service)) {}

  void SetImpersonationLevel(int level) override {
    TDispatchPtr security = GetObject(service_.Get(), "Security_");
    Invoke(security.Get(), "ImpersonationLevel", TCallKind::Put, {IntArg(level)}, nullptr);
  }

  std::unique_ptr<IWmiEnumerator> ExecQuery(const std::string& query, const std::string& language, int flags) override {
    TBStr queryText(query);
    TBStr languageText(language);
    TVariantGuard result;
    Invoke(service_.Get(), "ExecQuery", TCallKind::Method, {BStrArg(queryText), BStrArg(languageText), IntArg(flags)},
           result.Get());
    TDispatchPtr objectSet = TakeDispatch(*result, "ExecQuery");
    TComPtr<IEnumVARIANT> items = NewEnum(objectSet.Get());
    return std::make_unique<TComEnumerator>(service_, std::move(objectSet), std::move(items));
  }

  TVariant GetClass(const std::string& className) override {
    static const char kMember[] = "Get";
    // Some automation servers will not take Null for "no named values";
    // leaving the optional argument out means the same. Once refused, Null is
    // not offered again: Wine's refusal leaks a little memory each time.
    static std::atomic<bool> nullRefused{false};
    TBStr path(className);
    TVariantGuard result;
    TCallFailure failure;
    HRESULT hr = DISP_E_TYPEMISMATCH;
    if (!nullRefused) {
      hr = TryInvoke(service_.Get(), kMember, TCallKind::Method, {BStrRefArg(path), IntArg(0), NullArg()}, result.Get(),
                     failure);
      if (hr == DISP_E_TYPEMISMATCH && failure.Argument == 2) nullRefused = true;
    }
    if (nullRefused && hr == DISP_E_TYPEMISMATCH) {
      hr = TryInvoke(service_.Get(), kMember, TCallKind::Method, {BStrRefArg(path), IntArg(0)}, result.Put(), failure);
    }
    if (FAILED(hr)) ThrowFailure(kMember, failure);
    return TVariant(
        std::shared_ptr<TVariantObject>(std::make_shared<TComVariantObject>(TakeDispatch(*result, kMember))));
  }

 private:
  TDispatchPtr locator_;
  TDispatchPtr service_;
};

class TComLocator : public IWmiLocator {
 public:
  explicit TComLocator(TDispatchPtr locator) : locator_(std::move(locator)) {}

  std::shared_ptr<IWmiService> ConnectServer(const std::string& server, const std::string& nameSpace,
                                             const std::string& user, const std::string& password) override {
    TBStr serverText(server);
    TBStr nameSpaceText(nameSpace);
    TBStr userText(user);
    TBStr passwordText(password);
    TVariantGuard result;
    Invoke(locator_.Get(), "ConnectServer", TCallKind::Method,
           {BStrArg(serverText), BStrArg(nameSpaceText), BStrArg(userText), BStrArg(passwordText)}, result.Get());
    return std::make_shared<TComService>(locator_, TakeDispatch(*result, "ConnectServer"));
  }

 private:
  TDispatchPtr locator_;
};

// COM is initialised by the process at start, never here.
std::unique_ptr<IWmiLocator> CreateComLocator() {
  CLSID locatorClass;
  HRESULT hr = CLSIDFromProgID(L"WbemScripting.SWbemLocator", &locatorClass);
  if (FAILED(hr)) ThrowResult("SWbemLocator", hr);
  TDispatchPtr locator;
  hr = CoCreateInstance(locatorClass, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                        locator.PutVoid());
  if (FAILED(hr)) ThrowResult("SWbemLocator", hr);
  if (!locator) throw std::runtime_error("WMI SWbemLocator could not be created");
  return std::make_unique<TComLocator>(std::move(locator));
}

}  // namespace

TWmiLocatorFactory PlatformWmiLocatorFactory(std::vector<std::string>*) { return CreateComLocator; }

}  // namespace dimmscope
