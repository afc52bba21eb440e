// The network jobs' portable rules: the maker's addresses and their override,
// address parsing and redirects, the request profile, the update query and
// the reading of the update reply.
#include <gtest/gtest.h>

#include "update/http_client.h"
#include "update/http_custo.h"
#include "update/http_url.h"
#include "update/maker_urls.h"
#include "update/tavo_lite.h"

namespace dimmscope {
namespace {

TEST(MakerUrls, OverrideReplacesSchemeHostAndPortOnly) {
  EXPECT_EQ(MakerServerFrom(nullptr), "http://www.orvelstudio.com");
  EXPECT_EQ(MakerServerFrom(""), "http://www.orvelstudio.com");
  EXPECT_EQ(MakerServerFrom("http://127.0.0.1:8765"), "http://127.0.0.1:8765");
  EXPECT_EQ(MakerServerFrom("http://127.0.0.1:8765/"), "http://127.0.0.1:8765");
  EXPECT_EQ(MakerServerFrom("https://staging.example.com/some/path?x=1"), "https://staging.example.com");
  EXPECT_EQ(MakerServerFrom("localhost:9000"), "http://localhost:9000");
}

TEST(MakerUrls, AddressesAreBuiltFromTheServer) {
  // The test runner may point the program at its own server; the paths stay.
  const std::string server = MakerServer();
  EXPECT_EQ(LinksFileUrl(), server + "/dimmscope/dimmscope.ini");
  EXPECT_EQ(UpdateCheckUrl(), server + "/tavo/check.php");
  EXPECT_EQ(DriversPageUrl(), server + "/tavo/drivers.php");
  EXPECT_EQ(ProductPageUrl(), server + "/dimmscope");
  EXPECT_EQ(ForumUrl(), server + "/forum");
  EXPECT_EQ(HomePageUrl(), server + "/");
  // Mail goes to the maker whatever server the web addresses point at.
  EXPECT_EQ(MakerMailtoUrl(), "mailto:support@orvelstudio.com");
  // The search keeps its own host whatever the override, with q last.
  EXPECT_EQ(SearchUrl("Samsung M378B5273DH0-CH9"),
            "http://search.orvelstudio.com/search?cx=017436221953208405726%3Adimmscope&q=Samsung%20M378B5273DH0-CH9");
}

TEST(HttpUrl, ParsesAbsoluteAddresses) {
  THttpUrl url;
  ASSERT_TRUE(ParseHttpUrl("http://www.orvelstudio.com/tavo/check.php?uid=0&VH=1", url));
  EXPECT_FALSE(url.Secure);
  EXPECT_EQ(url.Host, "www.orvelstudio.com");
  EXPECT_EQ(url.Port, 80);
  EXPECT_EQ(url.PathAndQuery, "/tavo/check.php?uid=0&VH=1");
  ASSERT_TRUE(ParseHttpUrl("HTTP://127.0.0.1:8765", url));
  EXPECT_EQ(url.Host, "127.0.0.1");
  EXPECT_EQ(url.Port, 8765);
  EXPECT_EQ(url.PathAndQuery, "/");
  ASSERT_TRUE(ParseHttpUrl("https://[::1]:444/a#frag", url));
  EXPECT_TRUE(url.Secure);
  EXPECT_EQ(url.Host, "::1");
  EXPECT_EQ(url.Port, 444);
  EXPECT_EQ(url.PathAndQuery, "/a");
  ASSERT_TRUE(ParseHttpUrl("http://host?q=1", url));
  EXPECT_EQ(url.PathAndQuery, "/?q=1");
}

TEST(HttpUrl, RefusesWhatCannotBeRequestedSafely) {
  THttpUrl url;
  for (const char* bad :
       {"", "ftp://host/", "host/path", "http://", "http://:80/", "http://host:0/", "http://host:65536/",
        "http://host:8x/", "http://user:pw@host/", "http://host/a b", "http://host/a\r\nX-Evil: 1", "http://[::1/"}) {
    EXPECT_FALSE(ParseHttpUrl(bad, url)) << bad;
  }
}

TEST(HttpUrl, RedirectsResolveAgainstTheCurrentAddress) {
  const std::string base = "http://127.0.0.1:8765/redirect/3?of=5";
  EXPECT_EQ(ResolveLocation(base, "http://other/x"), "http://other/x");
  EXPECT_EQ(ResolveLocation(base, "//other:81/x"), "http://other:81/x");
  EXPECT_EQ(ResolveLocation(base, "/redirect/2?of=5"), "http://127.0.0.1:8765/redirect/2?of=5");
  EXPECT_EQ(ResolveLocation(base, "2"), "http://127.0.0.1:8765/redirect/2");
  EXPECT_EQ(ResolveLocation("http://host", "page"), "http://host/page");
}

TEST(HttpCusto, ProfileAndProxyStep) {
  THttpClient client;
  CustomizeHttpClient(client);
  EXPECT_EQ(client.Agent, "Mozilla/5.0");
  EXPECT_EQ(client.RequestVer, "1.1");
  EXPECT_EQ(client.Accept, "text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8");
  EXPECT_EQ(client.AcceptLanguage, "fr,fr-fr;q=0.8,en-us;q=0.5,en;q=0.3");
  EXPECT_EQ(client.Timeout, 3);

  TProxySettings proxy;
  proxy.UseProxy = true;
  proxy.ProxyHost = "proxy.lan";
  proxy.ProxyPort = 3128;
  proxy.ProxyUser = "me";
  proxy.ProxyPassword = "secret";
  ApplyProxySettings(client, proxy);
  EXPECT_EQ(client.Proxy, "proxy.lan");
  EXPECT_EQ(client.ProxyPort, "3128");
  EXPECT_EQ(client.ProxyUsername, "me");
  EXPECT_EQ(client.ProxyPassword, "secret");
  proxy.UseProxy = false;
  ApplyProxySettings(client, proxy);
  EXPECT_EQ(client.Proxy + client.ProxyPort + client.ProxyUsername + client.ProxyPassword, "");
}

TEST(MemoryStream, WritesAtThePositionAndReadsTheRest) {
  TMemoryStream stream;
  stream.Write("hello", 5);
  stream.SetPosition(1);
  stream.Write("EL", 2);
  EXPECT_EQ(stream.Bytes(), "hELlo");
  EXPECT_EQ(stream.ReadToEnd(), "lo");
  stream.SetPosition(99);
  EXPECT_EQ(stream.Position(), 5u);
  stream.Clear();
  EXPECT_EQ(stream.Size(), 0u);
}

TEST(UpdateQuery, IsBuiltByteForByte) {
  EXPECT_EQ(UpdateCheckPathAndQuery("Dimmscope", "Orvel Studio", TTavoVersion("1.8.0.19")),
            "/tavo/check.php?uid=0&ProductName=Dimmscope&Company=Orvel%20Studio&VH=65544&VL=19");
  EXPECT_EQ(UpdateCheckPathAndQuery("A&B", "x/y+z", TTavoVersion("2.1.3.65535")),
            "/tavo/check.php?uid=0&ProductName=A%26B&Company=x%2Fy%2Bz&VH=131073&VL=262143");
}

TEST(UpdateReply, IsReadExactlyAsReceived) {
  const TTavoVersion running("1.8.0.19");
  const auto read = [&](const std::string& Reply) { return ParseUpdateReply(Reply, running.VH(), running.VL()); };
  TUpdateReply reply = read("1.8.0.20");
  EXPECT_EQ(reply.Version.AsString(), "1.8.0.20");
  EXPECT_TRUE(reply.ReplyValid);
  EXPECT_TRUE(reply.NewVersion);
  reply = read("1.8.0.19");
  EXPECT_TRUE(reply.ReplyValid);
  EXPECT_FALSE(reply.NewVersion);
  reply = read("1.8.0.18");
  EXPECT_TRUE(reply.ReplyValid);
  EXPECT_FALSE(reply.NewVersion);
  reply = read("1.9");
  EXPECT_EQ(reply.Version.AsString(), "1.9.0.0");
  EXPECT_TRUE(reply.NewVersion);
  reply = read("1.8.0.20\r\n");  // the line break makes the last number 0
  EXPECT_EQ(reply.Version.AsString(), "1.8.0.0");
  EXPECT_TRUE(reply.ReplyValid);
  EXPECT_FALSE(reply.NewVersion);
  for (const char* unreadable : {"", "0.0.0.0", "<html><body>404</body></html>"}) {
    reply = read(unreadable);
    EXPECT_EQ(reply.Version.AsString(), "0.0.0.0") << unreadable;
    EXPECT_FALSE(reply.ReplyValid) << unreadable;
    EXPECT_FALSE(reply.NewVersion) << unreadable;
  }
}

TEST(ProductIdentity, FallsBackToTheProgramsOwnNames) {
  const TProductIdentity product = ReadProductIdentity("no such file.exe");
  EXPECT_EQ(product.ProductName, "Dimmscope");
  EXPECT_EQ(product.Company, "Orvel Studio");
  EXPECT_EQ(product.Version, "File not found");
}

}  // namespace
}  // namespace dimmscope
