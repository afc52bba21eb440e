// The common HTTP request profile.
#include "update/http_custo.h"

#include <utility>

namespace dimmscope {

void CustomizeHttpClient(THttpClient& Client) {
  Client.Agent = "Mozilla/5.0";
  Client.RequestVer = "1.1";
  Client.Accept = "text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8";
  Client.AcceptLanguage = "fr,fr-fr;q=0.8,en-us;q=0.5,en;q=0.3";
  Client.Timeout = 3;  // seconds
}

void ApplyProxySettings(THttpClient& Client, const TProxySettings& Proxy) {
  if (Proxy.UseProxy) {
    Client.Proxy = Proxy.ProxyHost;
    Client.ProxyPort = std::to_string(Proxy.ProxyPort);
    Client.ProxyUsername = Proxy.ProxyUser;
    Client.ProxyPassword = Proxy.ProxyPassword;
  } else {
    Client.Proxy.clear();
    Client.ProxyPort.clear();
    Client.ProxyUsername.clear();
    Client.ProxyPassword.clear();
  }
}

std::unique_ptr<THttpClient> NewProfiledClient(const std::string& URL, const TProxySettings& Proxy, TMemoryStream& Body,
                                               THttpRequestDone OnRequestDone) {
  auto client = std::make_unique<THttpClient>();
  CustomizeHttpClient(*client);
  client->Timeout = 10;  // seconds
  client->OnRequestDone = std::move(OnRequestDone);
  ApplyProxySettings(*client, Proxy);
  client->URL = URL;
  client->RcvdStream = &Body;
  return client;
}

}  // namespace dimmscope
