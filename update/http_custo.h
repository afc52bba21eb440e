// The request profile every HTTP request of the program carries, and the
// proxy step its two users apply after it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "update/http_client.h"

namespace dimmscope {

// Proxy settings as both network jobs hold them; never set by the program,
// so no proxy is used.
struct TProxySettings {
  bool UseProxy = false;
  std::int32_t ProxyPort = 0;
  std::string ProxyHost;
  std::string ProxyUser;
  std::string ProxyPassword;
};

// Agent, protocol version, accepted types and languages, and a 3 s timeout.
void CustomizeHttpClient(THttpClient& Client);
// Copies the proxy settings into the client, or clears its four proxy
// settings when no proxy is used.
void ApplyProxySettings(THttpClient& Client, const TProxySettings& Proxy);

// A client for one GET of `URL` into `Body`, as both network jobs make it:
// the common profile, a 10 s bound, then the proxy step.
std::unique_ptr<THttpClient> NewProfiledClient(const std::string& URL, const TProxySettings& Proxy, TMemoryStream& Body,
                                               THttpRequestDone OnRequestDone);

}  // namespace dimmscope
