// The request engine against libcurl on the same loopback nginx, and the gzip codec against
// zlib's own inflate, each in alternated rounds of the same run: medians, ranges and the ratio of
// the medians. The downloaded files are made and read once before any round, so that no side
// meets them colder than the other. Run: build/<dir>/bench/bench_http_engine.
#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <sys/resource.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <stdexcept>

#include "platform/foundation/RunLoop.h"
#include "src/http/DataDecompressor.h"
#include "src/http/HTTPRequest.h"

#include "bench/AlternatedMedians.h"
#include "bench/LoopbackNginx.h"
#include "bench/Measurement.h"
#include "bench/SmallGets.h"

namespace {

constexpr int kSmallRounds = 5;
constexpr std::uint64_t kMiB = 1 << 20;
constexpr std::uint64_t kLargeDownload = 1024 * kMiB;
constexpr std::uint64_t kParallelDownload = 256 * kMiB;
constexpr int kParallelCount = 4;
constexpr std::size_t kCompressedTarget = 100 * 1000 * 1000;
constexpr std::size_t kInflateChunk = 262144;

using bench::Measurement;

constexpr int kDownloadRounds = 5;
constexpr int kInflateRounds = 5;

// One side's figures of one download round.
struct Figures {
  double rate = 0;  // MB/s
  double cpu = 0;
  double peakGrowthMiB = 0;
};

// One nginx for the whole run, serving sparse files (no disk reads) and a small file.
class Fixture {
 public:
  static Fixture& get() {
    static Fixture fixture;
    return fixture;
  }
  std::string url(const std::string& path) const { return nginx_.url(path); }
  std::string downloadPath(const std::string& name) const { return (downloads_.path() / name).string(); }

 private:
  static void fill(const std::string& www) {
    http::test::writeFile(www + "/small.bin", foundation::Bytes(100, 's'));
    std::filesystem::resize_file(makeEmpty(www + "/large.bin"), kLargeDownload);
    std::filesystem::resize_file(makeEmpty(www + "/quarter.bin"), kParallelDownload);
    // The first read of a new sparse file is about twice as slow as the next ones, whoever reads.
    readThrough(www + "/large.bin");
    readThrough(www + "/quarter.bin");
  }
  static std::string makeEmpty(const std::string& path) {
    std::ofstream(path, std::ios::binary | std::ios::trunc);
    return path;
  }
  static void readThrough(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::vector<char> chunk(1 << 20);
    while (file.read(chunk.data(), static_cast<std::streamsize>(chunk.size()))) {
    }
  }

  http::test::TemporaryDirectory downloads_;
  bench::LoopbackNginx nginx_{fill};
};

std::size_t discard(char*, std::size_t size, std::size_t count, void*) { return size * count; }
std::size_t toFile(char* data, std::size_t size, std::size_t count, void* file) {
  return std::fwrite(data, size, count, static_cast<FILE*>(file)) * size;
}

// One round of bench::kSmallRequests sequential GETs on one keep-alive connection; false on a failure.
bool curlSmallRound(const std::string& url) {
  CURL* handle = curl_easy_init();
  curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, discard);
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  bool ok = true;
  for (int i = 0; i < bench::kSmallRequests && ok; ++i) ok = curl_easy_perform(handle) == CURLE_OK;
  curl_easy_cleanup(handle);
  return ok;
}

void smallGets(benchmark::State& state) {
  const std::string url = Fixture::get().url("/small.bin");
  for (auto _ : state) {
    bench::SmallGetFigures curl;
    bench::SmallGetFigures engine;
    bool ok = true;
    bench::medianOfAlternatedRounds(
        kSmallRounds, [&] { return curlSmallRound(url); }, [&] { return bench::engineSmallRound(url); }, curl, engine,
        ok);
    if (!ok) state.SkipWithError("a request failed");
    bench::addSpreadCounters(state, "curl_requests_per_s", curl.rate);
    bench::addSpreadCounters(state, "engine_requests_per_s", engine.rate);
    state.counters["rate_vs_curl"] = engine.rate.median / curl.rate.median;
    state.counters["cpu_vs_curl"] = engine.cpu.median / curl.cpu.median;
    state.counters["engine_peak_rss_growth_MiB"] = engine.peakGrowthMiB;
    bench::printComparison("5000 small GETs in turn, rate against curl", engine.rate.median / curl.rate.median,
                           "at least 0.8x", "engine", engine.rate, "curl", curl.rate, "requests/s");
  }
}

bool curlDownloadRound(const std::string& path, int count, std::uint64_t size, Figures& figures) {
  std::vector<FILE*> files;
  std::vector<CURL*> handles;
  Measurement measurement;
  CURLM* multi = curl_multi_init();
  for (int i = 0; i < count; ++i) {
    files.push_back(std::fopen(Fixture::get().downloadPath("curl" + std::to_string(i)).c_str(), "wb"));
    CURL* handle = curl_easy_init();
    std::string url = Fixture::get().url(path);
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, toFile);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, files.back());
    curl_easy_setopt(handle, CURLOPT_BUFFERSIZE, 262144L);  // the engine's largest read
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_multi_add_handle(multi, handle);
    handles.push_back(handle);
  }
  int running = count;
  while (running > 0) {
    curl_multi_perform(multi, &running);
    if (running > 0) curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
  }
  for (std::size_t i = 0; i < handles.size(); ++i) {
    curl_multi_remove_handle(multi, handles[i]);
    curl_easy_cleanup(handles[i]);
    std::fclose(files[i]);
  }
  curl_multi_cleanup(multi);
  figures = {static_cast<double>(size) * count / 1e6 / measurement.seconds(), measurement.cpu(),
             measurement.peakGrowthMiB()};
  bool whole = true;
  for (int i = 0; i < count; ++i) {
    const std::string file = Fixture::get().downloadPath("curl" + std::to_string(i));
    whole = std::filesystem::file_size(file) == size && whole;
    std::filesystem::remove(file);
  }
  return whole;
}

bool engineDownloadRound(const std::string& path, int count, std::uint64_t size, Figures& figures) {
  Measurement measurement;
  int ended = 0;
  bool ok = true;
  std::vector<std::shared_ptr<http::HTTPRequest>> requests;
  for (int i = 0; i < count; ++i) {
    auto request = http::HTTPRequest::requestWithURL(Fixture::get().url(path));
    request->setDownloadDestinationPath(Fixture::get().downloadPath("engine" + std::to_string(i)));
    request->setCompletionBlock([&ended] { ++ended; });
    request->setFailureBlock([&] { ++ended, ok = false; });
    requests.push_back(request);
    request->startAsynchronous();
  }
  foundation::RunLoop::main().runUntil([&] { return ended == count; }, foundation::Duration(600));
  figures = {static_cast<double>(size) * count / 1e6 / measurement.seconds(), measurement.cpu(),
             measurement.peakGrowthMiB()};
  for (int i = 0; i < count; ++i) {
    const std::string file = Fixture::get().downloadPath("engine" + std::to_string(i));
    ok = std::filesystem::exists(file) && std::filesystem::file_size(file) == size && ok;
    std::filesystem::remove(file);
  }
  return ok;
}

void downloads(benchmark::State& state, const std::string& title, const std::string& path, int count,
               std::uint64_t size) {
  Fixture::get();
  for (auto _ : state) {
    std::vector<double> curlRates, engineRates, curlCpu, engineCpu, engineGrowth;
    bool ok = true;
    bench::alternateRounds(
        kDownloadRounds,
        [&] {
          Figures figures;
          ok = engineDownloadRound(path, count, size, figures) && ok;
          engineRates.push_back(figures.rate);
          engineCpu.push_back(figures.cpu);
          engineGrowth.push_back(figures.peakGrowthMiB);
        },
        [&] {
          Figures figures;
          ok = curlDownloadRound(path, count, size, figures) && ok;
          curlRates.push_back(figures.rate);
          curlCpu.push_back(figures.cpu);
        });
    if (!ok) state.SkipWithError("a download failed or was incomplete");
    const auto engine = bench::Spread::of(engineRates);
    const auto curl = bench::Spread::of(curlRates);
    bench::addSpreadCounters(state, "engine_MB_per_s", engine);
    bench::addSpreadCounters(state, "curl_MB_per_s", curl);
    state.counters["rate_vs_curl"] = engine.median / curl.median;
    state.counters["cpu_vs_curl"] = bench::Spread::of(engineCpu).median / bench::Spread::of(curlCpu).median;
    bench::addSpreadCounters(state, "engine_peak_rss_growth_MiB", bench::Spread::of(engineGrowth));
    bench::printComparison(title + ", rate against curl", engine.median / curl.median, "at least 0.9x", "engine",
                           engine, "curl", curl, "MB/s");
  }
}

// About kCompressedTarget bytes of gzip: text-like data that compresses about five to one.
const foundation::Bytes& gzipInput() {
  static const foundation::Bytes compressed = [] {
    const std::size_t plainSize = 5 * kCompressedTarget;
    foundation::Bytes plain(plainSize);
    unsigned state = 12345;
    const char* words[] = {"radio ", "channel ", "song ", "programme ", "album ", "offline ", "play ", "list "};
    std::size_t at = 0;
    while (at < plainSize) {
      state = state * 1103515245u + 12345u;
      const char* word = words[(state >> 16) % 8];
      for (const char* c = word; *c && at < plainSize; ++c) plain[at++] = static_cast<std::uint8_t>(*c);
      if (((state >> 8) & 3) == 0 && at < plainSize) plain[at++] = static_cast<std::uint8_t>('0' + (state >> 20) % 10);
    }
    z_stream stream{};
    deflateInit2(&stream, 1, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY);
    foundation::Bytes out(deflateBound(&stream, plainSize));
    stream.next_in = plain.data();
    stream.avail_in = static_cast<uInt>(plain.size());
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
  }();
  return compressed;
}

// Seconds of zlib's own inflate of the input and of the codec's, in the same pieces.
double zlibInflateChunks() {
  const auto& input = gzipInput();
  auto start = std::chrono::steady_clock::now();
  z_stream stream{};
  inflateInit2(&stream, 47);
  foundation::Bytes out(4 * kInflateChunk);
  for (std::size_t offset = 0; offset < input.size(); offset += kInflateChunk) {
    stream.next_in = const_cast<Bytef*>(input.data() + offset);
    stream.avail_in = static_cast<uInt>(std::min(kInflateChunk, input.size() - offset));
    do {
      stream.next_out = out.data();
      stream.avail_out = static_cast<uInt>(out.size());
      inflate(&stream, Z_NO_FLUSH);
    } while (stream.avail_out == 0);
  }
  inflateEnd(&stream);
  benchmark::DoNotOptimize(out.data());
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double codecInflateChunks(bool& ok) {
  const auto& input = gzipInput();
  auto start = std::chrono::steady_clock::now();
  auto decompressor = http::DataDecompressor::decompressor();
  foundation::Bytes out;
  for (std::size_t offset = 0; offset < input.size(); offset += kInflateChunk) {
    out.clear();
    ok = decompressor
             ->uncompressBytesAppending(input.data() + offset, std::min(kInflateChunk, input.size() - offset), out)
             .ok() &&
         ok;
  }
  benchmark::DoNotOptimize(out.data());
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double zlibInflateWhole() {
  const auto& input = gzipInput();
  auto start = std::chrono::steady_clock::now();
  z_stream stream{};
  inflateInit2(&stream, 47);
  foundation::Bytes out(input.size() + input.size() / 2);
  stream.next_in = const_cast<Bytef*>(input.data());
  stream.avail_in = static_cast<uInt>(input.size());
  std::size_t produced = 0;
  for (;;) {
    if (produced == out.size()) out.resize(out.size() * 2);
    stream.next_out = out.data() + produced;
    stream.avail_out = static_cast<uInt>(out.size() - produced);
    int status = inflate(&stream, Z_NO_FLUSH);
    produced = out.size() - stream.avail_out;
    if (status != Z_OK) break;
  }
  out.resize(produced);
  inflateEnd(&stream);
  benchmark::DoNotOptimize(out.data());
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double codecInflateWhole(bool& ok) {
  auto start = std::chrono::steady_clock::now();
  auto inflated = http::DataDecompressor::uncompressData(gzipInput());
  ok = inflated.ok() && ok;
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void inflateAgainstZlib(benchmark::State& state, const std::string& title, const std::function<double()>& zlibRound,
                        const std::function<double(bool&)>& codecRound) {
  (void)gzipInput();  // made before any round
  for (auto _ : state) {
    std::vector<double> zlibRates, codecRates;
    bool ok = true;
    const double megabytes = static_cast<double>(gzipInput().size()) / 1e6;
    bench::alternateRounds(
        kInflateRounds, [&] { codecRates.push_back(megabytes / codecRound(ok)); },
        [&] { zlibRates.push_back(megabytes / zlibRound()); });
    if (!ok) state.SkipWithError("inflate failed");
    const auto codec = bench::Spread::of(codecRates);
    const auto zlib = bench::Spread::of(zlibRates);
    bench::addSpreadCounters(state, "codec_input_MB_per_s", codec);
    bench::addSpreadCounters(state, "zlib_input_MB_per_s", zlib);
    state.counters["rate_vs_zlib"] = codec.median / zlib.median;
    bench::printComparison(title + ", rate against zlib", codec.median / zlib.median, "at least 0.95x", "codec", codec,
                           "zlib", zlib, "MB/s of gzip");
  }
}

void registerAll() {
  auto once = [](benchmark::internal::Benchmark* b) { b->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime(); };
  once(benchmark::RegisterBenchmark("a_small_gets/curl_and_engine", smallGets));
  once(benchmark::RegisterBenchmark("b_1GiB_to_file/curl_and_engine", [](benchmark::State& s) {
    downloads(s, "1 GiB to a file", "/large.bin", 1, kLargeDownload);
  }));
  once(benchmark::RegisterBenchmark("c_4x256MiB_parallel/curl_and_engine", [](benchmark::State& s) {
    downloads(s, "4 x 256 MiB in parallel", "/quarter.bin", kParallelCount, kParallelDownload);
  }));
  once(benchmark::RegisterBenchmark("d_inflate_256KiB_chunks/zlib_and_codec", [](benchmark::State& s) {
    inflateAgainstZlib(s, "inflating 100 MB of gzip in 256 KiB pieces", zlibInflateChunks, codecInflateChunks);
  }));
  once(benchmark::RegisterBenchmark("d_inflate_whole/zlib_and_codec", [](benchmark::State& s) {
    inflateAgainstZlib(s, "inflating 100 MB of gzip whole", zlibInflateWhole, codecInflateWhole);
  }));
}

}  // namespace

int main(int argc, char** argv) {
  registerAll();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
