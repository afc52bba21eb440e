// The maker's web addresses and the server override used by tests and staging.
#include "update/maker_urls.h"

#include <cstdlib>

#include "support/text_helpers.h"

namespace dimmscope {

std::string MakerServerFrom(const char* Override) {
  if (Override == nullptr || *Override == '\0') return kMakerServer;
  std::string server = Override;
  // Keep "scheme://host[:port]": everything from the first "/" after the
  // authority on would otherwise be doubled in front of every path.
  const std::size_t authority = server.find("://");
  const std::size_t pathStart = server.find('/', authority == std::string::npos ? 0 : authority + 3);
  if (pathStart != std::string::npos) server.erase(pathStart);
  if (authority == std::string::npos) server.insert(0, "http://");
  return server;
}

std::string MakerServer() { return MakerServerFrom(std::getenv(kServerOverrideVariable)); }

std::string HomePageUrl() { return MakerServer() + "/"; }
std::string LinksFileUrl() { return MakerServer() + kLinksFilePath; }
std::string UpdateCheckUrl() { return MakerServer() + kUpdateCheckPath; }
std::string DriversPageUrl() { return MakerServer() + kDriversPagePath; }
std::string ProductPageUrl() { return MakerServer() + kProductPagePath; }
std::string ForumUrl() { return MakerServer() + kForumPath; }
std::string MakerMailtoUrl() { return std::string("mailto:") + kMakerEmailAddress; }

std::string SearchUrl(const std::string& Text) {
  return std::string(kSearchServer) + kSearchPath + "?cx=" + UrlEncode(kSearchEngineId) + "&q=" + UrlEncode(Text);
}

}  // namespace dimmscope
