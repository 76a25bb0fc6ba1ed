// A proxy auto-configuration script answered for 1,000 URLs: our script engine (helper
// functions, capped allocator, time-out checks) against the same script and calls on a bare
// Duktape heap with the default allocator, in the same run.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

#include "duktape.h"
#include "platform/net/PACHelpers.h"
#include "platform/net/ProxyAutoConfig.h"

namespace {

constexpr int kURLs = 1000;

const char* const kScript = R"JS(
function FindProxyForURL(url, host) {
  if (isPlainHostName(host) || dnsDomainIs(host, ".intranet.example")) return "DIRECT";
  // Address literals only: names would be looked up, and the benchmark measures the script.
  if (/^\d+\.\d+\.\d+\.\d+$/.test(host) &&
      (isInNet(host, "10.0.0.0", "255.0.0.0") || isInNet(host, "192.168.0.0", "255.255.0.0"))) return "DIRECT";
  if (shExpMatch(url, "*://*.media.example/*") || shExpMatch(host, "cdn?.example.org")) return "PROXY media:3128; DIRECT";
  if (dnsDomainLevels(host) > 3) return "PROXY deep:8080";
  return "PROXY proxy.example:8080; DIRECT";
}
)JS";

std::vector<std::pair<std::string, std::string>> urlsAndHosts() {
  std::vector<std::pair<std::string, std::string>> list;
  const char* hosts[] = {"www.example.org",        "10.1.2.3",    "cdn3.example.org", "a.b.c.d.example", "intranet",
                         "files.intranet.example", "192.168.7.9", "api.media.example"};
  for (int i = 0; i < kURLs; ++i) {
    std::string host = hosts[i % 8];
    list.emplace_back("http://" + host + "/path/" + std::to_string(i) + "?q=" + std::to_string(i * 7), host);
  }
  return list;
}

double ourEngine(const std::vector<std::pair<std::string, std::string>>& urls, std::size_t& peakBytes) {
  auto script = net::PACScript::compile(kScript);
  if (!script) return -1;
  auto start = std::chrono::steady_clock::now();
  for (const auto& [url, host] : urls) benchmark::DoNotOptimize((*script)->proxiesForURL(url));
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  peakBytes = (*script)->peakHeapBytes();
  return seconds;
}

double bareLibrary(const std::vector<std::pair<std::string, std::string>>& urls, bool& failed) {
  duk_context* context = duk_create_heap_default();
  std::string source = std::string(net::kPACHelperScript) + kScript;
  duk_peval_string_noresult(context, source.c_str());
  auto start = std::chrono::steady_clock::now();
  for (const auto& [url, host] : urls) {
    duk_get_global_string(context, "FindProxyForURL");
    duk_push_string(context, url.c_str());
    duk_push_string(context, host.c_str());
    if (duk_pcall(context, 2) != DUK_EXEC_SUCCESS) failed = true;
    benchmark::DoNotOptimize(net::parsePACAnswer(duk_safe_to_string(context, -1)));
    duk_pop(context);
  }
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  duk_destroy_heap(context);
  return seconds;
}

void BM_ProxyScriptAgainstBareDuktape(benchmark::State& state) {
  auto urls = urlsAndHosts();
  for (auto _ : state) {
    std::size_t peak = 0;
    double ours = ourEngine(urls, peak);
    bool failed = false;
    double bare = bareLibrary(urls, failed);
    if (ours < 0 || failed) state.SkipWithError("the script failed");
    state.counters["ours_us_per_url"] = ours / kURLs * 1e6;
    state.counters["bare_us_per_url"] = bare / kURLs * 1e6;
    state.counters["x_of_bare"] = ours / bare;
    state.counters["peak_heap_KiB"] = static_cast<double>(peak) / 1024.0;
  }
}
BENCHMARK(BM_ProxyScriptAgainstBareDuktape)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
