// A 100 MB multipart upload from a file: the form request against libcurl's multipart upload of
// the same file to the same loopback sink, in alternated rounds of the same run. Figures: the
// medians and ranges of throughput (target: at least 0.8x curl's), of the time to the first
// body byte at the server, and of the send phase: the engine's time from the first body byte to
// the last at the server (the body file is built before it) against curl's whole upload (target:
// at most 1.0x).
// Run: build/<dir>/bench/bench_http_multipart_upload
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>

#include "bench/AlternatedMedians.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/ProxySettings.h"
#include "src/http/FormDataRequest.h"
#include "tests/http/TemporaryDirectory.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::uint64_t kUploadSize = 100 * 1000 * 1000;
constexpr int kRounds = 7;

// A loopback HTTP sink on its own thread: reads one request per connection (its head, then
// Content-Length body bytes), notes when the first body byte came, answers 200 and closes.
class UploadSink {
 public:
  struct Upload {
    Clock::time_point firstBodyByte;
    Clock::time_point lastBodyByte;
    std::uint64_t bodyBytes = 0;
  };

  UploadSink() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(listener_, 8) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      throw std::runtime_error("cannot listen on loopback");
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
  }
  ~UploadSink() {
    ::shutdown(listener_, SHUT_RDWR);
    ::close(listener_);
    thread_.join();
  }

  std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/upload"; }
  // The next upload the sink finished reading.
  Upload waitForUpload() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return finished_.has_value(); });
    return *std::exchange(finished_, std::nullopt);
  }

 private:
  void serve() {
    std::vector<char> buffer(1 << 20);
    for (;;) {
      int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (connection < 0) return;
      Upload upload = receive(connection, buffer);
      const char reply[] = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok";
      (void)!::write(connection, reply, sizeof reply - 1);
      ::close(connection);
      std::scoped_lock lock(mutex_);
      finished_ = upload;
      changed_.notify_all();
    }
  }
  static Upload receive(int connection, std::vector<char>& buffer) {
    Upload upload;
    std::string head;
    std::uint64_t expected = 0;
    bool inBody = false;
    for (;;) {
      ssize_t count = ::read(connection, buffer.data(), buffer.size());
      if (count <= 0) return upload;
      std::size_t bodyStart = 0;
      if (!inBody) {
        head.append(buffer.data(), static_cast<std::size_t>(count));
        auto end = head.find("\r\n\r\n");
        if (end == std::string::npos) continue;
        inBody = true;
        expected = contentLength(head);
        if (head.find("100-continue") != std::string::npos)
          (void)!::write(connection, "HTTP/1.1 100 Continue\r\n\r\n", 25);
        bodyStart = static_cast<std::size_t>(count) - (head.size() - end - 4);
      }
      std::uint64_t bodyBytes = static_cast<std::size_t>(count) - bodyStart;
      if (bodyBytes > 0 && upload.bodyBytes == 0) upload.firstBodyByte = Clock::now();
      upload.bodyBytes += bodyBytes;
      if (upload.bodyBytes >= expected) {
        upload.lastBodyByte = Clock::now();
        return upload;
      }
    }
  }
  static std::uint64_t contentLength(const std::string& head) {
    std::string lower;
    for (char c : head) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    auto at = lower.find("content-length:");
    return at == std::string::npos ? 0 : std::stoull(head.substr(at + 15));
  }

  int listener_ = -1;
  int port_ = 0;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::optional<Upload> finished_;
};

class Fixture {
 public:
  static Fixture& get() {
    static Fixture fixture;
    return fixture;
  }
  const std::string& file() const { return file_; }
  UploadSink& sink() { return sink_; }

 private:
  Fixture() : file_(files_.file("upload.bin")) {
    foundation::RunLoop::main();
    foundation::Paths::setHomeForTesting(home_.path().string());
    net::ProxySettings::setSystemForTesting(net::ProxySettings());
    http::test::writeFile(file_, http::test::noise(kUploadSize, 3));
  }

  http::test::TemporaryDirectory home_;
  http::test::TemporaryDirectory files_;
  std::string file_;
  UploadSink sink_;
};

struct Figures {
  double firstByteMs = 0;
  double megabytesPerSecond = 0;
  double wholeSeconds = 0;
  double sendSeconds = 0;  // first body byte to last, at the server
};

Figures measure(Clock::time_point start, Clock::time_point end, const UploadSink::Upload& upload) {
  double total = std::chrono::duration<double>(end - start).count();
  double firstByte = std::chrono::duration<double, std::milli>(upload.firstBodyByte - start).count();
  double send = std::chrono::duration<double>(upload.lastBodyByte - upload.firstBodyByte).count();
  return {firstByte, static_cast<double>(upload.bodyBytes) / 1e6 / total, total, send};
}

std::size_t discard(char*, std::size_t size, std::size_t count, void*) { return size * count; }

// One upload through libcurl; false when it failed or did not arrive whole.
bool curlUpload(Figures& figures) {
  auto& fixture = Fixture::get();
  auto start = Clock::now();
  CURL* handle = curl_easy_init();
  curl_mime* mime = curl_mime_init(handle);
  curl_mimepart* value = curl_mime_addpart(mime);
  curl_mime_name(value, "id");
  curl_mime_data(value, "1", CURL_ZERO_TERMINATED);
  curl_mimepart* file = curl_mime_addpart(mime);
  curl_mime_name(file, "upload");
  curl_mime_filedata(file, fixture.file().c_str());
  curl_mime_type(file, "application/octet-stream");
  curl_slist* headers = curl_slist_append(nullptr, "Expect:");  // no 100-continue round trip
  std::string url = fixture.sink().url();
  curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
  curl_easy_setopt(handle, CURLOPT_MIMEPOST, mime);
  curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, discard);
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  bool ok = curl_easy_perform(handle) == CURLE_OK;
  auto end = Clock::now();
  curl_easy_cleanup(handle);
  curl_mime_free(mime);
  curl_slist_free_all(headers);
  auto upload = fixture.sink().waitForUpload();
  figures = measure(start, end, upload);
  return ok && upload.bodyBytes >= kUploadSize;
}

// One upload through the form request; false when it failed or did not arrive whole.
bool engineUpload(Figures& figures) {
  auto& fixture = Fixture::get();
  auto start = Clock::now();
  bool done = false;
  bool ok = true;
  auto form = http::FormDataRequest::requestWithURL(fixture.sink().url());
  form->addPostValue("1", "id");
  form->addFile(fixture.file(), std::nullopt, "application/octet-stream", "upload");
  form->setCompletionBlock([&done] { done = true; });
  form->setFailureBlock([&] { done = true, ok = false; });
  form->startAsynchronous();
  foundation::RunLoop::main().runUntil([&done] { return done; }, foundation::Duration(600));
  auto end = Clock::now();
  auto upload = fixture.sink().waitForUpload();
  figures = measure(start, end, upload);
  return ok && upload.bodyBytes >= kUploadSize;
}

void upload(benchmark::State& state) {
  Fixture::get();
  for (auto _ : state) {
    std::vector<double> curlRates, engineRates, curlFirstBytes, engineFirstBytes, curlWholes, engineWholes, engineSends;
    bool ok = true;
    bench::alternateRounds(
        kRounds,
        [&] {
          Figures figures;
          ok = engineUpload(figures) && ok;
          engineRates.push_back(figures.megabytesPerSecond);
          engineFirstBytes.push_back(figures.firstByteMs);
          engineWholes.push_back(figures.wholeSeconds);
          engineSends.push_back(figures.sendSeconds);
        },
        [&] {
          Figures figures;
          ok = curlUpload(figures) && ok;
          curlRates.push_back(figures.megabytesPerSecond);
          curlFirstBytes.push_back(figures.firstByteMs);
          curlWholes.push_back(figures.wholeSeconds);
        });
    if (!ok) state.SkipWithError("an upload failed or did not arrive whole");
    const auto engine = bench::Spread::of(engineRates);
    const auto curl = bench::Spread::of(curlRates);
    const auto engineFirst = bench::Spread::of(engineFirstBytes);
    const auto curlFirst = bench::Spread::of(curlFirstBytes);
    const auto engineWhole = bench::Spread::of(engineWholes);
    const auto curlWhole = bench::Spread::of(curlWholes);
    const auto engineSend = bench::Spread::of(engineSends);
    bench::addSpreadCounters(state, "engine_MB_per_s", engine);
    bench::addSpreadCounters(state, "curl_MB_per_s", curl);
    bench::addSpreadCounters(state, "engine_first_byte_ms", engineFirst);
    bench::addSpreadCounters(state, "curl_first_byte_ms", curlFirst);
    bench::addSpreadCounters(state, "engine_send_s", engineSend);
    bench::addSpreadCounters(state, "engine_whole_s", engineWhole);
    bench::addSpreadCounters(state, "curl_whole_s", curlWhole);
    state.counters["throughput_vs_curl"] = engine.median / curl.median;
    state.counters["send_vs_curl_upload"] = engineSend.median / curlWhole.median;
    state.counters["whole_vs_curl_upload"] = engineWhole.median / curlWhole.median;
    bench::printComparison("multipart 100 MB upload, throughput against curl", engine.median / curl.median,
                           "at least 0.8x", "engine", engine, "curl", curl, "MB/s");
    bench::printComparison("multipart 100 MB upload, engine's send phase, time against curl's whole upload",
                           engineSend.median / curlWhole.median, "at most 1.0x", "engine", engineSend, "curl",
                           curlWhole, "s");
    bench::printComparison("multipart 100 MB upload, whole upload, time against curl",
                           engineWhole.median / curlWhole.median, "none", "engine", engineWhole, "curl", curlWhole,
                           "s");
    bench::printComparison("multipart 100 MB upload, first body byte, time against curl",
                           engineFirst.median / curlFirst.median, "none", "engine", engineFirst, "curl", curlFirst,
                           "ms");
  }
}

}  // namespace

int main(int argc, char** argv) {
  auto once = [](benchmark::internal::Benchmark* b) { b->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime(); };
  once(benchmark::RegisterBenchmark("multipart_100MB_from_file/engine_and_curl", upload));
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
