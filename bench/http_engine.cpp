// The request engine against libcurl on the same loopback nginx, and the gzip codec against
// zlib's own inflate. Run: build/<dir>/bench/bench_http_engine (figures are ratios to curl/zlib).
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

struct Figures {
  double rate = 0;  // requests/s or MB/s
  double cpu = 0;
  double peakGrowthMiB = 0;
};
std::map<std::string, Figures> curlFigures;

void report(benchmark::State& state, const std::string& scenario, bool isCurl, const Figures& figures,
            const char* unit) {
  state.counters[unit] = figures.rate;
  state.counters["cpu_s"] = figures.cpu;
  state.counters["peak_rss_growth_MiB"] = figures.peakGrowthMiB;
  if (isCurl) {
    curlFigures[scenario] = figures;
    return;
  }
  auto found = curlFigures.find(scenario);
  if (found == curlFigures.end()) return;
  state.counters["rate_vs_curl"] = figures.rate / found->second.rate;
  state.counters["cpu_vs_curl"] = figures.cpu / found->second.cpu;
  state.counters["rss_growth_vs_curl"] =
      found->second.peakGrowthMiB > 0 ? figures.peakGrowthMiB / found->second.peakGrowthMiB : 0;
}

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
  }
  static std::string makeEmpty(const std::string& path) {
    std::ofstream(path, std::ios::binary | std::ios::trunc);
    return path;
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

// Rounds of curl and of the engine on the same machine (bench::bestOfAlternatedRounds).
void smallGets(benchmark::State& state) {
  const std::string url = Fixture::get().url("/small.bin");
  for (auto _ : state) {
    bench::RoundFigures curl;
    bench::RoundFigures engine;
    bool ok = true;
    bench::bestOfAlternatedRounds(
        kSmallRounds, [&] { return curlSmallRound(url); }, [&] { return bench::engineSmallRound(url); }, curl, engine,
        ok);
    if (!ok) state.SkipWithError("a request failed");
    state.counters["curl_requests_per_s"] = curl.rate;
    state.counters["engine_requests_per_s"] = engine.rate;
    state.counters["rate_vs_curl"] = engine.rate / curl.rate;
    state.counters["cpu_vs_curl"] = engine.cpu / curl.cpu;
    state.counters["engine_peak_rss_growth_MiB"] = engine.peakGrowthMiB;
  }
}

void curlDownloads(benchmark::State& state, const std::string& scenario, const std::string& path, int count,
                   std::uint64_t size) {
  for (auto _ : state) {
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
    double megabytes = static_cast<double>(size) * count / 1e6;
    report(state, scenario, true, {megabytes / measurement.seconds(), measurement.cpu(), measurement.peakGrowthMiB()},
           "MB_per_s");
    for (int i = 0; i < count; ++i) {
      if (std::filesystem::file_size(Fixture::get().downloadPath("curl" + std::to_string(i))) != size) {
        state.SkipWithError("curl download incomplete");
      }
      std::filesystem::remove(Fixture::get().downloadPath("curl" + std::to_string(i)));
    }
  }
}

void engineDownloads(benchmark::State& state, const std::string& scenario, const std::string& path, int count,
                     std::uint64_t size) {
  for (auto _ : state) {
    Measurement measurement;
    int ended = 0;
    std::vector<std::shared_ptr<http::HTTPRequest>> requests;
    for (int i = 0; i < count; ++i) {
      auto request = http::HTTPRequest::requestWithURL(Fixture::get().url(path));
      request->setDownloadDestinationPath(Fixture::get().downloadPath("engine" + std::to_string(i)));
      request->setCompletionBlock([&ended] { ++ended; });
      request->setFailureBlock([&] {
        ++ended;
        state.SkipWithError("engine download failed");
      });
      requests.push_back(request);
      request->startAsynchronous();
    }
    foundation::RunLoop::main().runUntil([&] { return ended == count; }, foundation::Duration(600));
    double megabytes = static_cast<double>(size) * count / 1e6;
    report(state, scenario, false, {megabytes / measurement.seconds(), measurement.cpu(), measurement.peakGrowthMiB()},
           "MB_per_s");
    for (int i = 0; i < count; ++i) {
      if (std::filesystem::file_size(Fixture::get().downloadPath("engine" + std::to_string(i))) != size) {
        state.SkipWithError("engine download incomplete");
      }
      std::filesystem::remove(Fixture::get().downloadPath("engine" + std::to_string(i)));
    }
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

void reportInflate(benchmark::State& state, const std::string& scenario, bool isZlib, double seconds,
                   std::size_t produced) {
  double rate = static_cast<double>(gzipInput().size()) / 1e6 / seconds;
  state.counters["input_MB_per_s"] = rate;
  state.counters["input_MB"] = static_cast<double>(gzipInput().size()) / 1e6;
  state.counters["output_MB"] = static_cast<double>(produced) / 1e6;
  if (isZlib) {
    curlFigures[scenario] = {rate, 0, 0};
  } else if (curlFigures.count(scenario)) {
    state.counters["rate_vs_zlib"] = rate / curlFigures[scenario].rate;
  }
}

void zlibInflateChunks(benchmark::State& state) {
  const auto& input = gzipInput();
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    z_stream stream{};
    inflateInit2(&stream, 47);
    foundation::Bytes out(4 * kInflateChunk);
    std::size_t produced = 0;
    for (std::size_t offset = 0; offset < input.size(); offset += kInflateChunk) {
      stream.next_in = const_cast<Bytef*>(input.data() + offset);
      stream.avail_in = static_cast<uInt>(std::min(kInflateChunk, input.size() - offset));
      do {
        stream.next_out = out.data();
        stream.avail_out = static_cast<uInt>(out.size());
        inflate(&stream, Z_NO_FLUSH);
        produced += out.size() - stream.avail_out;
      } while (stream.avail_out == 0);
    }
    inflateEnd(&stream);
    benchmark::DoNotOptimize(out.data());
    reportInflate(state, "chunks", true,
                  std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), produced);
  }
}

void codecInflateChunks(benchmark::State& state) {
  const auto& input = gzipInput();
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    auto decompressor = http::DataDecompressor::decompressor();
    foundation::Bytes out;
    std::size_t produced = 0;
    for (std::size_t offset = 0; offset < input.size(); offset += kInflateChunk) {
      out.clear();
      auto status = decompressor->uncompressBytesAppending(input.data() + offset,
                                                           std::min(kInflateChunk, input.size() - offset), out);
      if (!status.ok()) state.SkipWithError("inflate failed");
      produced += out.size();
    }
    benchmark::DoNotOptimize(out.data());
    reportInflate(state, "chunks", false,
                  std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), produced);
  }
}

void zlibInflateWhole(benchmark::State& state) {
  const auto& input = gzipInput();
  for (auto _ : state) {
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
    reportInflate(state, "whole", true, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
                  produced);
  }
}

void codecInflateWhole(benchmark::State& state) {
  const auto& input = gzipInput();
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    auto inflated = http::DataDecompressor::uncompressData(input);
    if (!inflated.ok()) state.SkipWithError("inflate failed");
    reportInflate(state, "whole", false,
                  std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
                  inflated.ok() ? inflated->size() : 0);
  }
}

void registerAll() {
  auto once = [](benchmark::internal::Benchmark* b) { b->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime(); };
  once(benchmark::RegisterBenchmark("a_small_gets/curl_and_engine", smallGets));
  once(benchmark::RegisterBenchmark(
      "b_1GiB_to_file/curl", [](benchmark::State& s) { curlDownloads(s, "large", "/large.bin", 1, kLargeDownload); }));
  once(benchmark::RegisterBenchmark("b_1GiB_to_file/engine", [](benchmark::State& s) {
    engineDownloads(s, "large", "/large.bin", 1, kLargeDownload);
  }));
  once(benchmark::RegisterBenchmark("c_4x256MiB_parallel/curl", [](benchmark::State& s) {
    curlDownloads(s, "parallel", "/quarter.bin", kParallelCount, kParallelDownload);
  }));
  once(benchmark::RegisterBenchmark("c_4x256MiB_parallel/engine", [](benchmark::State& s) {
    engineDownloads(s, "parallel", "/quarter.bin", kParallelCount, kParallelDownload);
  }));
  once(benchmark::RegisterBenchmark("d_inflate_256KiB_chunks/zlib", zlibInflateChunks));
  once(benchmark::RegisterBenchmark("d_inflate_256KiB_chunks/codec", codecInflateChunks));
  once(benchmark::RegisterBenchmark("d_inflate_whole/zlib", zlibInflateWhole));
  once(benchmark::RegisterBenchmark("d_inflate_whole/codec", codecInflateWhole));
}

}  // namespace

int main(int argc, char** argv) {
  registerAll();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
