// Splitting an http:// address into the pieces a request needs, and following
// a Location answer from one address to the next. Shared by every HTTP client.
#pragma once

#include <cstdint>
#include <string>

namespace dimmscope {

struct THttpUrl {
  bool Secure = false;     // https
  std::string Host;        // without brackets or port
  std::uint16_t Port = 0;  // 80 or 443 when the address names none
  std::string PathAndQuery = "/";
};

// False for anything but an absolute http:// or https:// address with a host
// and, if given, a port from 1 to 65535. Whitespace and control bytes are
// refused so that no header can be smuggled in through an address.
bool ParseHttpUrl(const std::string& Url, THttpUrl& Out);

// The address a redirect leads to: `Location` absolute, scheme-relative
// ("//host/x"), absolute path ("/x") or relative to the current path ("x").
std::string ResolveLocation(const std::string& BaseUrl, const std::string& Location);

}  // namespace dimmscope
