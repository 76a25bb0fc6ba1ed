#include <gio/gio.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/http/EngineTestSupport.h"

namespace http::test {
namespace {

using testsupport::Reply;

constexpr const char* kSchema = "org.gnome.system.proxy";

// The desktop's proxy settings held in GSettings' memory backend, never the real desktop's.
class DesktopProxyTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    ::setenv("GSETTINGS_BACKEND", "memory", 1);  // before GIO picks its backend
    for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
      ::unsetenv(name);
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* schema = source ? g_settings_schema_source_lookup(source, kSchema, TRUE) : nullptr;
    if (!schema) return;
    g_settings_schema_unref(schema);
    settings = g_settings_new(kSchema);
  }
  void TearDown() override {
    if (settings) {
      for (const char* key : {"mode", "autoconfig-url", "ignore-hosts"}) g_settings_reset(settings, key);
      for (const char* child : {"http", "https", "socks"}) setProxy(child, "", 0);
      g_object_unref(settings);
    }
    EngineTest::TearDown();
  }

  void setProxy(const char* scheme, const char* host, int port) {
    GSettings* child = g_settings_get_child(settings, scheme);
    g_settings_set_string(child, "host", host);
    g_settings_set_int(child, "port", port);
    g_object_unref(child);
  }

  std::vector<net::ProxyInfo> desktopProxiesFor(const std::string& url) {
    auto proxies = net::ProxySettings::fromEnvironmentOrDesktop().proxiesForURL(url);
    EXPECT_TRUE(proxies.ok()) << url;
    return proxies.ok() ? *proxies : std::vector<net::ProxyInfo>{};
  }

  GSettings* settings = nullptr;
};

#define SKIP_WITHOUT_SCHEMA() \
  if (!settings) GTEST_SKIP() << "the desktop's proxy schema is missing (Debian package gsettings-desktop-schemas)"

TEST_F(DesktopProxyTest, ManualHostsPerSchemeAndIgnoredHostsUnlessTheEnvironmentNamesAProxy) {
  SKIP_WITHOUT_SCHEMA();
  g_settings_set_string(settings, "mode", "manual");
  setProxy("http", "web.proxy", 3128);
  setProxy("socks", "tunnel.proxy", 1081);
  const char* ignored[] = {"localhost", "*.local", "10.0.0.0/8", nullptr};
  g_settings_set_strv(settings, "ignore-hosts", ignored);

  using net::ProxyType;
  EXPECT_EQ(desktopProxiesFor("http://music.example/"),
            (std::vector<net::ProxyInfo>{{ProxyType::kHTTP, "web.proxy", 3128}}));
  EXPECT_EQ(desktopProxiesFor("https://music.example/"),
            (std::vector<net::ProxyInfo>{{ProxyType::kSOCKS5, "tunnel.proxy", 1081}}))
      << "without an https host the SOCKS proxy serves https";
  for (const char* url : {"http://localhost/", "http://box.local/", "https://10.1.2.3/"})
    EXPECT_TRUE(desktopProxiesFor(url).empty()) << url;

  ::setenv("http_proxy", "http://env.proxy:8080", 1);
  EXPECT_EQ(desktopProxiesFor("http://music.example/"),
            (std::vector<net::ProxyInfo>{{ProxyType::kHTTP, "env.proxy", 8080}}));
  EXPECT_TRUE(desktopProxiesFor("https://music.example/").empty()) << "the environment replaces the desktop whole";
  ::unsetenv("http_proxy");

  g_settings_set_string(settings, "mode", "none");
  EXPECT_TRUE(desktopProxiesFor("http://music.example/").empty());
}

TEST_F(DesktopProxyTest, AutomaticConfigurationFetchesAndRunsTheScript) {
  SKIP_WITHOUT_SCHEMA();
  testsupport::LoopbackServer proxy{{.proxy = true}};
  testsupport::LoopbackServer origin;
  origin.route("GET", "/page", Reply::text("page"));
  server.route("GET", "/auto.pac",
               Reply::text("function FindProxyForURL(url, host) { return \"PROXY 127.0.0.1:" +
                           std::to_string(proxy.port()) + "\"; }"));
  g_settings_set_string(settings, "mode", "auto");
  g_settings_set_string(settings, "autoconfig-url", server.url("/auto.pac").c_str());
  net::ProxySettings::setSystemForTesting(net::ProxySettings::fromEnvironmentOrDesktop());

  auto request = makeRequest(origin.url("/page"));
  runToEnd(request);
  EXPECT_EQ(request->responseString(), "page");
  EXPECT_EQ(proxy.requestCount(), 1u);
  EXPECT_EQ(server.requestCount("/auto.pac"), 1u);
}

TEST_F(DesktopProxyTest, AChangeMadeWhileTheProgramRunsAppliesToTheNextRequest) {
  SKIP_WITHOUT_SCHEMA();
  net::ProxySettings::setSystemForTesting(std::nullopt);  // the settings as the engine reads them
  testsupport::LoopbackServer first{{.proxy = true}};
  testsupport::LoopbackServer second{{.proxy = true}};
  server.route("GET", "/page", Reply::text("page"));
  g_settings_set_string(settings, "mode", "manual");
  const char* nothing[] = {nullptr};
  g_settings_set_strv(settings, "ignore-hosts", nothing);  // the default list keeps loopback direct
  for (auto* proxy : {&first, &second}) {
    setProxy("http", "127.0.0.1", proxy->port());
    delegate = std::make_shared<RecordingDelegate>();
    auto request = makeRequest(server.url("/page"));
    runToEnd(request);
    EXPECT_EQ(request->responseString(), "page");
    EXPECT_EQ(proxy->requestCount(), 1u) << "the proxy set before this request";
  }
}

}  // namespace
}  // namespace http::test
