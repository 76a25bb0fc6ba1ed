// The desktop's proxy settings, read through GSettings and put into the same form as the
// environment's variables.
#include <gio/gio.h>

#include <memory>

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

std::string ignoredHosts(GSettings* settings) {
  gchar** hosts = g_settings_get_strv(settings, "ignore-hosts");
  std::string list;
  for (gchar** host = hosts; host && *host; ++host) list += (list.empty() ? "" : ",") + std::string(*host);
  g_strfreev(hosts);
  return list;
}

}  // namespace

ProxySettings ProxySettings::fromDesktop() {
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
    result = fromVariables({{"http_proxy", proxyOf(settings.get(), "http", "http")},
                            {"https_proxy", proxyOf(settings.get(), "https", "http")},
                            {"all_proxy", proxyOf(settings.get(), "socks", "socks5")},
                            {"no_proxy", ignoredHosts(settings.get())}});
  }
  return result;
}

}  // namespace net
