#pragma once

// A programme-list reply of about 1 MB, as the server sends it, for the parsing benchmarks.
#include <string>

#include "platform/foundation/Json.h"
#include "platform/foundation/Value.h"

namespace bench {

using foundation::Array;
using foundation::Dictionary;
using foundation::Value;

// One programme as the server lists it; numbers come sometimes as text, sometimes as numbers.
inline Value programme(int index) {
  const std::string id = std::to_string(100000 + index);
  Array channels;
  for (int c = 0; c < 2; ++c)
    channels.emplace_back(
        Dictionary{{"channel_id", std::to_string(10 + c)},
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
      {"cover",
       Dictionary{{"num", 3},
                  {"pics", Array{"http://img.zunoradio.com/cover/a1.jpg", "http://img.zunoradio.com/cover/a2.jpg",
                                 "http://img.zunoradio.com/cover/a3.jpg"}}}},
  };
}

inline const std::string& programmeListReply() {
  static const std::string text = [] {
    Array lists;
    std::string serialized;
    for (int index = 0; serialized.size() < 1'000'000; ++index) {
      lists.push_back(programme(index));
      if (index % 64 == 0)
        serialized =
            foundation::Json::serialize(Dictionary{{"err", "hapn.ok"}, {"data", Dictionary{{"lists", lists}}}}).value();
    }
    Dictionary envelope{{"err", "hapn.ok"}, {"data", Dictionary{{"total", lists.size()}, {"lists", std::move(lists)}}}};
    return foundation::Json::serialize(envelope).value();
  }();
  return text;
}

}  // namespace bench
