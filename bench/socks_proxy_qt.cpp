// The request engine against Qt's network access manager (the peer of the same thread design) and
// libcurl, all three making 5,000 sequential keep-alive GETs of a small file from a loopback
// nginx through the same loopback Dante SOCKS5 proxy. (Not microsocks: it leaves Nagle's
// algorithm on, so nginx's head and body, written apart, wait for a delayed ACK and every client
// measures that 40 ms timer instead.) Figures: the median round of each, rounds alternated, with
// the slowest and fastest round beside it.
// Run: build/<dir>/bench/bench_socks_proxy_qt (built only where Qt 6 is installed).
#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>
#include <algorithm>
#include <functional>
#include <stdexcept>
#include <vector>

#include "bench/LoopbackNginx.h"
#include "bench/SmallGets.h"
#include "tests/http/SOCKSServers.h"

namespace {

constexpr int kRounds = 7;
constexpr std::size_t kBodySize = 100;
constexpr int kNobodysPort = 1;  // the one port the proxy refuses; nothing here uses it

// One nginx and one Dante for the whole run, the engine's system proxy set to the latter,
// and the Qt application object the access manager needs.
class Fixture {
 public:
  static Fixture& get() {
    static Fixture fixture;
    return fixture;
  }
  std::string url() const { return nginx_.url("/small.bin"); }
  int proxyPort() const { return proxy_.port(); }

 private:
  Fixture() {
    if (http::test::DanteServer::program().empty()) throw std::runtime_error("Dante is not installed");
    if (auto failure = proxy_.start(kNobodysPort); !failure.empty()) throw std::runtime_error(failure);
    net::ProxySettings::setSystemForTesting(
        net::ProxySettings::fromVariables({{"all_proxy", "socks5h://127.0.0.1:" + std::to_string(proxyPort())}}));
  }

  int argc_ = 1;
  char name_[16] = "bench";
  char* argv_[2] = {name_, nullptr};
  QCoreApplication application_{argc_, argv_};
  bench::LoopbackNginx nginx_{
      [](const std::string& www) { http::test::writeFile(www + "/small.bin", foundation::Bytes(kBodySize, 's')); }};
  http::test::DanteServer proxy_;
};

// Each reply's end asks for the next request, as the engine's round does.
bool qtRound(const std::string& url, int proxyPort) {
  QNetworkAccessManager manager;
  manager.setProxy(QNetworkProxy(QNetworkProxy::Socks5Proxy, "127.0.0.1", static_cast<quint16>(proxyPort)));
  QEventLoop loop;
  const QNetworkRequest request{QUrl(QString::fromStdString(url))};
  int remaining = bench::kSmallRequests;
  bool ok = true;
  std::function<void()> next = [&] {
    QNetworkReply* reply = manager.get(request);
    QObject::connect(reply, &QNetworkReply::finished, [&, reply] {
      ok = ok && reply->error() == QNetworkReply::NoError && reply->readAll().size() == kBodySize;
      reply->deleteLater();
      if (--remaining == 0 || !ok) {
        loop.quit();
      } else {
        next();
      }
    });
  };
  next();
  loop.exec();
  return ok;
}

std::size_t discard(char*, std::size_t size, std::size_t count, void*) { return size * count; }

bool curlRound(const std::string& url, int proxyPort) {
  CURL* handle = curl_easy_init();
  const std::string proxy = "socks5h://127.0.0.1:" + std::to_string(proxyPort);
  curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
  curl_easy_setopt(handle, CURLOPT_PROXY, proxy.c_str());
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, discard);
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  bool ok = true;
  for (int i = 0; i < bench::kSmallRequests && ok; ++i) ok = curl_easy_perform(handle) == CURLE_OK;
  curl_easy_cleanup(handle);
  return ok;
}

// Requests per second of every round of one side.
struct Rates {
  std::vector<double> rounds;
  void add(const std::function<bool()>& round, bool& ok) {
    bench::Measurement measurement;
    ok = round() && ok;
    rounds.push_back(bench::kSmallRequests / measurement.seconds());
  }
  double median() const {
    auto sorted = rounds;
    std::sort(sorted.begin(), sorted.end());
    return sorted[sorted.size() / 2];
  }
  double slowest() const { return *std::min_element(rounds.begin(), rounds.end()); }
  double fastest() const { return *std::max_element(rounds.begin(), rounds.end()); }
};

void report(benchmark::State& state, const std::string& side, const Rates& rates) {
  state.counters[side + "_requests_per_s"] = rates.median();
  state.counters[side + "_slowest"] = rates.slowest();
  state.counters[side + "_fastest"] = rates.fastest();
}

void smallGetsThroughSOCKS(benchmark::State& state) {
  const std::string url = Fixture::get().url();
  const int port = Fixture::get().proxyPort();
  for (auto _ : state) {
    Rates qt;
    Rates engine;
    Rates curl;
    bool ok = true;
    for (int round = 0; round < kRounds; ++round) {
      qt.add([&] { return qtRound(url, port); }, ok);
      engine.add([&] { return bench::engineSmallRound(url); }, ok);
      curl.add([&] { return curlRound(url, port); }, ok);
    }
    if (!ok) state.SkipWithError("a request failed");
    report(state, "qt", qt);
    report(state, "engine", engine);
    report(state, "curl", curl);
    state.counters["rate_vs_qt"] = engine.median() / qt.median();
    state.counters["rate_vs_curl"] = engine.median() / curl.median();
  }
}

}  // namespace

BENCHMARK(smallGetsThroughSOCKS)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_MAIN();
