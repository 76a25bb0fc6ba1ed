// The request engine against Qt's network access manager, a client of the same design: HTTP on a
// thread of its own, every reply delivered to the main thread's event loop. Both make 5,000
// sequential keep-alive GETs of a small file on the same loopback nginx. Also measured: the bare
// main -> network thread -> main round trip that each engine request pays on top of its I/O.
// Run: build/<dir>/bench/bench_http_engine_qt (built only where Qt 6 is installed).
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>
#include <functional>
#include <stdexcept>

#include "bench/LoopbackNginx.h"
#include "bench/Measurement.h"
#include "bench/SmallGets.h"
#include "platform/foundation/RunLoop.h"
#include "src/http/HTTPRequest.h"

namespace {

constexpr int kSmallRounds = 5;
constexpr int kRoundTrips = 20000;

// One nginx for the whole run and the Qt application object the access manager needs.
class Fixture {
 public:
  static Fixture& get() {
    static Fixture fixture;
    return fixture;
  }
  std::string url() const { return nginx_.url("/small.bin"); }

 private:
  int argc_ = 1;
  char name_[16] = "bench";
  char* argv_[2] = {name_, nullptr};
  QCoreApplication application_{argc_, argv_};
  bench::LoopbackNginx nginx_{
      [](const std::string& www) { http::test::writeFile(www + "/small.bin", foundation::Bytes(100, 's')); }};
};

// Each reply's end asks for the next request, as the engine's round does.
bool qtRound(const std::string& url) {
  QNetworkAccessManager manager;
  manager.setProxy(QNetworkProxy::NoProxy);
  QEventLoop loop;
  const QNetworkRequest request{QUrl(QString::fromStdString(url))};
  int remaining = bench::kSmallRequests;
  bool ok = true;
  std::function<void()> next = [&] {
    QNetworkReply* reply = manager.get(request);
    QObject::connect(reply, &QNetworkReply::finished, [&, reply] {
      ok = ok && reply->error() == QNetworkReply::NoError && reply->readAll().size() == 100;
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

// Alternated rounds of Qt and of the engine on the same machine, medians and ranges.
void smallGetsAgainstQt(benchmark::State& state) {
  const std::string url = Fixture::get().url();
  for (auto _ : state) {
    bench::SmallGetFigures qt;
    bench::SmallGetFigures engine;
    bool ok = true;
    bench::medianOfAlternatedRounds(
        kSmallRounds, [&] { return qtRound(url); }, [&] { return bench::engineSmallRound(url); }, qt, engine, ok);
    if (!ok) state.SkipWithError("a request failed");
    bench::addSpreadCounters(state, "qt_requests_per_s", qt.rate);
    bench::addSpreadCounters(state, "engine_requests_per_s", engine.rate);
    state.counters["rate_vs_qt"] = engine.rate.median / qt.rate.median;
    state.counters["cpu_vs_qt"] = engine.cpu.median / qt.cpu.median;
    bench::printComparison("5000 small GETs in turn, rate against Qt", engine.rate.median / qt.rate.median,
                           "at least 1.0x", "engine", engine.rate, "Qt", qt.rate, "requests/s");
    bench::printComparison("5000 small GETs in turn, CPU time against Qt", engine.cpu.median / qt.cpu.median,
                           "at most 1.0x", "engine", engine.cpu, "Qt", qt.cpu, "s");
  }
}

// The hop every request makes without any I/O: the main thread hands work to the network thread,
// which hands the answer back; one at a time, as sequential requests do.
void networkThreadRoundTrip(benchmark::State& state) {
  Fixture::get();
  for (auto _ : state) {
    bench::Measurement measurement;
    for (int i = 0; i < kRoundTrips; ++i) {
      bool back = false;
      http::HTTPRequest::networkLoop().post([&back] { foundation::performOnMainThread([&back] { back = true; }); });
      foundation::RunLoop::main().runUntil([&back] { return back; }, foundation::Duration(30));
    }
    state.counters["round_trip_us"] = measurement.seconds() / kRoundTrips * 1e6;
    state.counters["cpu_us_per_round_trip"] = measurement.cpu() / kRoundTrips * 1e6;
  }
}

}  // namespace

BENCHMARK(smallGetsAgainstQt)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(networkThreadRoundTrip)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_MAIN();
