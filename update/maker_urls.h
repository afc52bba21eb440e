// The maker's web addresses, all built here from one host so that a test or a
// staging run can point the whole program at another server with one setting.
#pragma once

#include <string>

namespace dimmscope {

// Scheme and host of the maker's web site.
inline constexpr char kMakerServer[] = "http://www.orvelstudio.com";
// The web search has its own host, which the server override leaves alone.
inline constexpr char kSearchServer[] = "http://search.orvelstudio.com";
inline constexpr char kSearchEngineId[] = "017436221953208405726:dimmscope";
// The maker's e-mail address. Mail has no server to redirect, so the server
// override leaves it alone too.
inline constexpr char kMakerEmailAddress[] = "support@orvelstudio.com";

inline constexpr char kLinksFilePath[] = "/dimmscope/dimmscope.ini";
inline constexpr char kUpdateCheckPath[] = "/tavo/check.php";
inline constexpr char kDriversPagePath[] = "/tavo/drivers.php";
inline constexpr char kProductPagePath[] = "/dimmscope";
inline constexpr char kForumPath[] = "/forum";
inline constexpr char kSearchPath[] = "/search";

// Names the environment variable that replaces scheme, host and port of the
// maker's addresses, e.g. "http://127.0.0.1:8765".
inline constexpr char kServerOverrideVariable[] = "DIMMSCOPE_SERVER";

// The maker's server given an override value (null or empty: none). Only the
// scheme, host and port of the override are kept; a trailing path is dropped.
std::string MakerServerFrom(const char* Override);
// The maker's server for this run: the override from the environment, else kMakerServer.
std::string MakerServer();

std::string HomePageUrl();     // the maker's home page
std::string LinksFileUrl();    // the links file fetched at start-up
std::string UpdateCheckUrl();  // the update check endpoint, without its query
std::string DriversPageUrl();  // the driver-update product's page
std::string ProductPageUrl();  // this program's page: the default empty-slot link
std::string ForumUrl();        // the maker's forum
std::string MakerMailtoUrl();  // a new e-mail to the maker: "mailto:" and its address
// The module search, with `Text` URL-encoded as the last key "q".
std::string SearchUrl(const std::string& Text);

}  // namespace dimmscope
