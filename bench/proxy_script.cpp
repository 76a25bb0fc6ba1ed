// A proxy auto-configuration script answered for 1,000 URLs: our script engine (helper
// functions, capped allocator, time-out checks) against the same script and calls on a bare
// Duktape heap with the default allocator, in the same run.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

#include "bench/AlternatedMedians.h"
#include "duktape.h"
#include "platform/net/PACHelpers.h"
#include "platform/net/ProxyAutoConfig.h"

namespace {

constexpr int kURLs = 1000;
constexpr int kRounds = 5;

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
    std::vector<double> ours, bare;
    std::size_t peak = 0;
    bool failed = false;
    bench::alternateRounds(
        kRounds,
        [&] {
          const double seconds = ourEngine(urls, peak);
          failed = failed || seconds < 0;
          ours.push_back(seconds / kURLs * 1e6);
        },
        [&] { bare.push_back(bareLibrary(urls, failed) / kURLs * 1e6); });
    if (failed) state.SkipWithError("the script failed");
    const auto o = bench::Spread::of(ours);
    const auto b = bench::Spread::of(bare);
    bench::addSpreadCounters(state, "ours_us_per_url", o);
    bench::addSpreadCounters(state, "bare_us_per_url", b);
    state.counters["x_of_bare"] = o.median / b.median;
    state.counters["peak_heap_KiB"] = static_cast<double>(peak) / 1024.0;
    bench::printComparison("proxy script per URL, time against bare Duktape", o.median / b.median, "at most 1.5x",
                           "ours", o, "bare Duktape", b, "us");
  }
}
BENCHMARK(BM_ProxyScriptAgainstBareDuktape)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
