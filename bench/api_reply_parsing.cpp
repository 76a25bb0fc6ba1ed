// Parsing a programme-list reply of about 1 MB into models, against Boost.JSON's own parse of
// the same bytes. Target: the whole road (JSON reader, reply dictionary, list-pattern models)
// at most 2x the bare parse; the "x_boost_json" counter of BM_ReplyToModels is that ratio.
#include <benchmark/benchmark.h>

#include <boost/json/parse.hpp>

#include <algorithm>
#include <ctime>
#include <functional>
#include <memory>
#include <string>

#include "platform/foundation/Json.h"
#include "src/api/requests/RadioRequests.h"

namespace {

using foundation::Array;
using foundation::Dictionary;
using foundation::Value;

// One programme as the server lists it; numbers come sometimes as text, sometimes as numbers.
Value programme(int index) {
  const std::string id = std::to_string(100000 + index);
  Array channels;
  for (int c = 0; c < 2; ++c)
    channels.emplace_back(Dictionary{{"channel_id", std::to_string(10 + c)},
                                     {"channel_name", c == 0 ? "华语流行" : "咖啡馆"},
                                     {"radio_id", 2 + c},
                                     {"pic_url", "http://img.zunoradio.com/channel/" + std::to_string(10 + c) + ".jpg"}});
  return Dictionary{
      {"program_id", index % 2 ? Value(id) : Value(100000 + index)},
      {"program_name", "午后的慵懒时光 第" + std::to_string(index) + "期"},
      {"program_desc", "一杯咖啡，几首老歌，陪你度过安静的下午。适合工作、阅读和发呆。"},
      {"pic_url", "http://img.zunoradio.com/program/" + id + ".jpg"},
      {"creator_uid", 5821 + index % 50},
      {"create_time", "2013-05-12 14:03:22"},
      {"song_num", index % 3 ? Value(12) : Value("12")},
      {"play_num", std::to_string(3388 + index)},
      {"subscribe_num", 41},
      {"tags", "轻音乐,午后,咖啡"},
      {"status", "1"},
      {"audit_status", 2},
      {"fav", "0"},
      {"user", Dictionary{{"uid", std::to_string(5821 + index % 50)},
                          {"uname", "小鹿DJ"},
                          {"pic_url", "http://img.zunoradio.com/user/5821.jpg"},
                          {"user_type", 2}}},
      {"channels", std::move(channels)},
      {"cover", Dictionary{{"num", 3},
                           {"pics", Array{"http://img.zunoradio.com/cover/a1.jpg", "http://img.zunoradio.com/cover/a2.jpg",
                                          "http://img.zunoradio.com/cover/a3.jpg"}}}},
  };
}

const std::string& reply() {
  static const std::string text = [] {
    Array lists;
    std::string serialized;
    for (int index = 0; serialized.size() < 1'000'000; ++index) {
      lists.push_back(programme(index));
      if (index % 64 == 0)
        serialized = foundation::Json::serialize(Dictionary{{"err", "hapn.ok"}, {"data", Dictionary{{"lists", lists}}}}).value();
    }
    Dictionary envelope{{"err", "hapn.ok"}, {"data", Dictionary{{"total", lists.size()}, {"lists", std::move(lists)}}}};
    return foundation::Json::serialize(envelope).value();
  }();
  return text;
}

double threadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// CPU time of the calling thread, so that a busy machine does not skew the ratio.
double secondsOf(const std::function<void()>& work) {
  const double start = threadCpuSeconds();
  work();
  return threadCpuSeconds() - start;
}

// The best of a few bare parses: the yardstick of the ratio.
double boostParseSeconds() {
  static const double best = [] {
    double fastest = 1e9;
    for (int run = 0; run < 15; ++run)
      fastest = std::min(fastest, secondsOf([] { benchmark::DoNotOptimize(boost::json::parse(reply())); }));
    return fastest;
  }();
  return best;
}

void BM_BoostJsonParse(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(boost::json::parse(reply()));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * reply().size()));
}
BENCHMARK(BM_BoostJsonParse)->Unit(benchmark::kMillisecond);

// Runs `work` once per iteration and reports its best time as a multiple of the bare parse.
void reportAgainstBoost(benchmark::State& state, const std::function<void()>& work) {
  double fastest = 1e9;
  for (auto _ : state) fastest = std::min(fastest, secondsOf(work));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * reply().size()));
  state.counters["x_boost_json"] = fastest / boostParseSeconds();
}

// The whole road of a reply: text to the request's result dictionary of programme models.
void BM_ReplyToModels(benchmark::State& state) {
  std::size_t programmes = 0;
  reportAgainstBoost(state, [&] {
    auto request = std::make_shared<api::ListChannelProgramsRequest>();
    request->handleResultString(reply());
    programmes = request->resultDic()[api::kKeyArray].getArray()->size();
  });
  state.counters["programmes"] = static_cast<double>(programmes);
}
BENCHMARK(BM_ReplyToModels)->Unit(benchmark::kMillisecond);

// The two halves of the road, to show where its time goes: the platform's JSON reader ...
void BM_PlatformJsonParse(benchmark::State& state) {
  reportAgainstBoost(state, [] { benchmark::DoNotOptimize(foundation::Json::parse(reply())); });
}
BENCHMARK(BM_PlatformJsonParse)->Unit(benchmark::kMillisecond);

// ... and the list pattern's models from the parsed reply.
void BM_ListModelsFromParsedReply(benchmark::State& state) {
  const Value parsed = foundation::Json::parse(reply()).value();
  reportAgainstBoost(state, [&] {
    benchmark::DoNotOptimize(api::ReplyReader::listProgrammes(parsed["data"]["lists"], api::ReplyReader::Channels::listed));
  });
}
BENCHMARK(BM_ListModelsFromParsedReply)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
