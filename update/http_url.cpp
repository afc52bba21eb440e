// Address parsing and redirect resolution for the HTTP clients.
#include "update/http_url.h"

#include "support/text_helpers.h"

namespace dimmscope {

bool ParseHttpUrl(const std::string& Url, THttpUrl& Out) {
  for (char c : Url) {
    if (static_cast<unsigned char>(c) <= ' ' || c == 0x7F) return false;
  }
  std::string rest;
  THttpUrl url;
  if (StartsText(Url, "http://")) {
    rest = Url.substr(7);
  } else if (StartsText(Url, "https://")) {
    url.Secure = true;
    rest = Url.substr(8);
  } else {
    return false;
  }
  const std::size_t pathStart = rest.find_first_of("/?#");
  std::string authority = rest.substr(0, pathStart);
  if (pathStart != std::string::npos) {
    url.PathAndQuery = rest.substr(pathStart);
    const std::size_t fragment = url.PathAndQuery.find('#');
    if (fragment != std::string::npos) url.PathAndQuery.erase(fragment);
    if (url.PathAndQuery.empty() || url.PathAndQuery[0] != '/') url.PathAndQuery.insert(0, "/");
  }
  if (authority.find('@') != std::string::npos) return false;  // no credentials in addresses
  std::string portText;
  if (!authority.empty() && authority[0] == '[') {
    const std::size_t close = authority.find(']');
    if (close == std::string::npos) return false;
    url.Host = authority.substr(1, close - 1);
    if (close + 1 < authority.size()) {
      if (authority[close + 1] != ':') return false;
      portText = authority.substr(close + 2);
    }
  } else {
    const std::size_t colon = authority.find(':');
    url.Host = authority.substr(0, colon);
    if (colon != std::string::npos) portText = authority.substr(colon + 1);
  }
  if (url.Host.empty()) return false;
  url.Port = url.Secure ? 443 : 80;
  if (!portText.empty()) {
    if (portText.size() > 5) return false;
    std::uint32_t port = 0;
    for (char c : portText) {
      if (c < '0' || c > '9') return false;
      port = port * 10 + static_cast<std::uint32_t>(c - '0');
    }
    if (port == 0 || port > 65535) return false;
    url.Port = static_cast<std::uint16_t>(port);
  }
  Out = url;
  return true;
}

std::string ResolveLocation(const std::string& BaseUrl, const std::string& Location) {
  if (StartsText(Location, "http://") || StartsText(Location, "https://")) return Location;
  const std::size_t schemeEnd = BaseUrl.find("://");
  if (schemeEnd == std::string::npos) return Location;
  if (Location.compare(0, 2, "//") == 0) return BaseUrl.substr(0, schemeEnd + 1) + Location;
  const std::size_t pathStart = BaseUrl.find_first_of("/?#", schemeEnd + 3);
  const std::string origin = BaseUrl.substr(0, pathStart);
  if (!Location.empty() && Location[0] == '/') return origin + Location;
  std::string directory = "/";
  if (pathStart != std::string::npos) {
    std::string path = BaseUrl.substr(pathStart);
    const std::size_t query = path.find_first_of("?#");
    if (query != std::string::npos) path.erase(query);
    const std::size_t lastSlash = path.rfind('/');
    if (lastSlash != std::string::npos) directory = path.substr(0, lastSlash + 1);
  }
  return origin + directory + Location;
}

}  // namespace dimmscope
