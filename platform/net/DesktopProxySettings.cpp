// The desktop's proxy settings, read through GSettings and put into the same form as the
// environment's variables.
#include <gio/gio.h>

#include <memory>

#include "platform/foundation/GioDefaults.h"
#include "platform/foundation/Url.h"
#include "platform/net/ProxySettings.h"

namespace net {
namespace {

constexpr const char* kProxySchema = "org.gnome.system.proxy";

struct GObjectUnref {
  void operator()(gpointer object) const { g_object_unref(object); }
};
using SettingsPtr = std::unique_ptr<GSettings, GObjectUnref>;

std::string stringValue(GSettings* settings, const char* key) {
  gchar* value = g_settings_get_string(settings, key);
  std::string text = value ? value : "";
  g_free(value);
  return text;
}

// "scheme://host:port" for a child schema ("http", "https", "socks") that names a host and port.
std::string proxyOf(GSettings* settings, const char* child, const std::string& scheme) {
  SettingsPtr proxy(g_settings_get_child(settings, child));
  const std::string host = stringValue(proxy.get(), "host");
  const int port = g_settings_get_int(proxy.get(), "port");
  if (host.empty() || port <= 0) return "";
  const bool bareIPv6 = host.find(':') != std::string::npos && host.front() != '[';
  return scheme + "://" + (bareIPv6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

// The HTTP proxy with the login the desktop keeps for it, when it is told to use one.
std::string httpProxyOf(GSettings* settings) {
  std::string proxy = proxyOf(settings, "http", "http");
  SettingsPtr http(g_settings_get_child(settings, "http"));
  if (proxy.empty() || !g_settings_get_boolean(http.get(), "use-authentication")) return proxy;
  const std::string unreserved = std::string(foundation::Url::kAlphanumerics) + "-._~";
  const std::string login =
      foundation::Url::percentEscape(stringValue(http.get(), "authentication-user"), unreserved) + ":" +
      foundation::Url::percentEscape(stringValue(http.get(), "authentication-password"), unreserved) + "@";
  return proxy.insert(std::string("http://").size(), login);
}

std::string ignoredHosts(GSettings* settings) {
  gchar** hosts = g_settings_get_strv(settings, "ignore-hosts");
  std::string list;
  for (gchar** host = hosts; host && *host; ++host) list += (list.empty() ? "" : ",") + std::string(*host);
  g_strfreev(hosts);
  return list;
}

}  // namespace

ProxySettings ProxySettings::fromDesktop() {
  foundation::ensureGioDefaults();
  // A desktop without the schema keeps no proxy settings (and GSettings aborts on an unknown one).
  GSettingsSchemaSource* source = g_settings_schema_source_get_default();
  GSettingsSchema* schema = source ? g_settings_schema_source_lookup(source, kProxySchema, TRUE) : nullptr;
  if (!schema) return {};
  SettingsPtr settings(g_settings_new_full(schema, nullptr, nullptr));
  g_settings_schema_unref(schema);

  const std::string mode = stringValue(settings.get(), "mode");
  ProxySettings result;
  if (mode == "auto") {
    result.autoConfigURL_ = stringValue(settings.get(), "autoconfig-url");
  } else if (mode == "manual") {
    // https without a host of its own goes through the HTTP proxy, as the desktop's own resolver
    // sends it: on a network that requires the proxy, direct would fail.
    const std::string http = httpProxyOf(settings.get());
    const std::string https = proxyOf(settings.get(), "https", "http");
    result = fromVariables({{"http_proxy", http},
                            {"https_proxy", https.empty() ? http : https},
                            {"all_proxy", proxyOf(settings.get(), "socks", "socks5")}});
  } else {
    return result;
  }
  result.noProxy_ = ignoredHosts(settings.get());
  result.bypassRules_ = BypassRules::kDesktopIgnoreHosts;
  return result;
}

}  // namespace net
