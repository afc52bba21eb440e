// The network jobs' portable rules, each from its table under tests/cases: the
// maker's server and its override, address parsing and redirects, the update
// query, what it says of an exe without version information, and the reading
// of the update reply; and the proxy settings step.
#include <gtest/gtest.h>

#include "tests/case_table.h"
#include "update/http_custo.h"
#include "update/http_url.h"
#include "update/maker_urls.h"
#include "update/tavo_lite.h"

namespace dimmscope {
namespace {

// What the rule of `table` gives for the inputs of a row (all fields but the last).
std::string Apply(const std::string& table, const std::vector<std::string>& in) {
  if (table == "maker_servers.txt")
    return in.at(0) == "(none)" ? MakerServerFrom(nullptr) : MakerServerFrom(in[0].c_str());
  if (table == "search_urls.txt") return SearchUrl(in.at(0));
  if (table == "http_redirects.txt") return ResolveLocation(in.at(0), in.at(1));
  if (table == "update_queries.txt") return UpdateCheckPathAndQuery(in.at(0), in.at(1), TTavoVersion(in.at(2)));
  if (table == "product_identities.txt") {
    const TProductIdentity product = ReadProductIdentity(in.at(0));
    return product.ProductName + " / " + product.Company + " / " + product.Version;
  }
  if (table == "http_urls.txt") {
    THttpUrl url;
    if (!ParseHttpUrl(in.at(0), url)) return "refused";
    return std::string(url.Secure ? "https " : "http ") + url.Host + " " + std::to_string(url.Port) + " " +
           url.PathAndQuery;
  }
  const TTavoVersion running("1.8.0.19");
  const TUpdateReply reply = ParseUpdateReply(in.at(0), running.VH(), running.VL());
  return reply.Version.AsString() + (reply.ReplyValid ? " valid" : " invalid") + (reply.NewVersion ? " new" : "");
}

TEST(UpdateRules, GiveWhatTheirTablesSay) {
  for (const std::string table : {"maker_servers.txt", "search_urls.txt", "http_urls.txt", "http_redirects.txt",
                                  "update_queries.txt", "product_identities.txt", "update_replies.txt"}) {
    const auto rows = testing::CaseTable(table, '|');
    for (const auto& row : rows) {
      const std::vector<std::string> in(row.Fields.begin(), row.Fields.end() - 1);
      EXPECT_EQ(Apply(table, in), row.Fields.back()) << row.Where;
    }
  }
}

TEST(HttpCusto, ProxySettingsAreCopiedOrCleared) {
  THttpClient client;
  ApplyProxySettings(client, {true, 3128, "proxy.lan", "me", "secret"});
  EXPECT_EQ(client.Proxy + "|" + client.ProxyPort + "|" + client.ProxyUsername + "|" + client.ProxyPassword,
            "proxy.lan|3128|me|secret");
  ApplyProxySettings(client, {});
  EXPECT_EQ(client.Proxy + client.ProxyPort + client.ProxyUsername + client.ProxyPassword, "");
}

}  // namespace
}  // namespace dimmscope
