#include "app/station/SampleCatalogue.h"

#include <algorithm>

namespace station {
namespace {

std::vector<SampleProgram> samplePrograms() {
  return {
      {"1001",
       "清晨的第一杯茶",
       "醒来，泡一杯茶，听几首轻快的歌。",
       "阿青",
       "cover-1.jpg",
       {{"2001", "晨光", "林小雨", "窗外", 2},
        {"2002", "风吹过的街", "陈默", "旧城", 2},
        {"2003", "早安，城市", "白鹭乐队", "白鹭", 2}}},
      {"1002",
       "午后慢时光",
       "一杯咖啡，几首老歌，陪你度过安静的下午。",
       "小鹿",
       "cover-2.jpg",
       {{"2004", "慢一点", "许青禾", "午后", 2},
        {"2005", "纸飞机", "林小雨", "窗外", 3},
        {"2006", "阳台上的猫", "周晓南", "日常", 2}}},
      {"1003",
       "城市夜归人",
       "写给每一个晚归的人。",
       "夜行者",
       "cover-1.jpg",
       {{"2007", "末班车", "陈默", "旧城", 2}, {"2008", "路灯下", "白鹭乐队", "白鹭", 2}}},
      {"1004",
       "夜色温柔",
       "关上灯，让音乐慢慢说话。",
       "月亮船长",
       "cover-2.jpg",
       {{"2009", "月光信", "许青禾", "午后", 3}, {"2010", "星河", "周晓南", "日常", 2}}},
      {"1005",
       "雨天听什么",
       "下雨的时候，适合听这些歌。",
       "阿青",
       "cover-1.jpg",
       {{"2011", "雨伞", "林小雨", "窗外", 2}, {"2012", "潮湿的信", "陈默", "旧城", 2}}},
      {"1006",
       "咖啡馆里的歌",
       "磨豆机的声音和吉他。",
       "小鹿",
       "cover-2.jpg",
       {{"2013", "拿铁", "白鹭乐队", "白鹭", 2}, {"2014", "角落的座位", "许青禾", "午后", 2}}},
  };
}

std::vector<SampleRadio> sampleRadios() {
  return {
      {"1", "流行电台", {{"11", "华语流行", {"1001", "1002", "1003"}}, {"12", "夜色温柔", {"1004", "1003"}}}},
      {"2", "心情电台", {{"21", "雨天", {"1005", "1002"}}, {"22", "咖啡馆", {"1006", "1004"}}}},
  };
}

template <class Item>
const Item* findById(const std::vector<Item>& items, const std::string& id) {
  const auto found = std::find_if(items.begin(), items.end(), [&](const Item& item) { return item.id == id; });
  return found == items.end() ? nullptr : &*found;
}

}  // namespace

SampleCatalogue::SampleCatalogue(std::string baseUrl)
    : baseUrl_(std::move(baseUrl)), radios_(sampleRadios()), programs_(samplePrograms()) {}

const SampleChannel* SampleCatalogue::channel(const std::string& id) const {
  for (const SampleRadio& radio : radios_)
    if (const SampleChannel* found = findById(radio.channels, id)) return found;
  return nullptr;
}

const SampleProgram* SampleCatalogue::program(const std::string& id) const { return findById(programs_, id); }

const SampleSong* SampleCatalogue::song(const std::string& id) const {
  for (const SampleProgram& program : programs_)
    if (const SampleSong* found = findById(program.songs, id)) return found;
  return nullptr;
}

const SampleChannel& SampleCatalogue::channelOnAir() const { return radios_.front().channels.front(); }

foundation::Dictionary SampleCatalogue::songDictionary(const SampleSong& song) const {
  return {{"song_id", song.id},
          {"song_name", song.name},
          {"artists_name", song.artist},
          {"salbums_name", song.album},
          {"duration", std::to_string(song.seconds)},
          {"audio_url", songUrl(song)},
          {"pic_url", pictureUrl("cover-1.jpg")}};
}

foundation::Dictionary SampleCatalogue::programDictionary(const SampleProgram& program) const {
  const std::string cover = pictureUrl(program.cover);
  return {{"program_id", program.id},
          {"program_name", program.name},
          {"program_desc", program.description},
          {"pic_url", cover},
          {"song_num", std::to_string(program.songs.size())},
          {"play_num", "1024"},
          {"subscribe_num", "32"},
          {"creator_uid", "7" + program.id},
          {"uid", "7" + program.id},
          {"user", foundation::Dictionary{{"uid", "7" + program.id}, {"uname", program.dj}, {"pic_url", cover}}},
          {"cover", foundation::Dictionary{{"num", 1}, {"pics", foundation::Array{cover}}}}};
}

foundation::Dictionary SampleCatalogue::playReply(const SampleProgram& program) const {
  foundation::Array songs;
  for (const SampleSong& song : program.songs) songs.emplace_back(songDictionary(song));
  return {{"program", programDictionary(program)}, {"songs", std::move(songs)}};
}

foundation::Dictionary SampleCatalogue::programDetail(const SampleProgram& program) const {
  foundation::Dictionary detail = programDictionary(program);
  foundation::Array songs;
  for (const SampleSong& song : program.songs) songs.emplace_back(songDictionary(song));
  foundation::Array channels;
  for (const SampleRadio& radio : radios_)
    for (const SampleChannel& channel : radio.channels)
      if (std::ranges::find(channel.programIds, program.id) != channel.programIds.end())
        channels.emplace_back(foundation::Dictionary{{"channel_id", channel.id}, {"channel_name", channel.name}});
  detail.set("channels", std::move(channels));
  detail.set("songs",
             foundation::Dictionary{{"total", static_cast<int>(program.songs.size())}, {"lists", std::move(songs)}});
  return detail;
}

foundation::Array SampleCatalogue::allChannels() const {
  foundation::Array radios;
  for (const SampleRadio& radio : radios_) {
    foundation::Array channels;
    for (const SampleChannel& channel : radio.channels)
      channels.emplace_back(foundation::Dictionary{{"channel_id", channel.id},
                                                   {"channel_name", channel.name},
                                                   {"radio_id", radio.id},
                                                   {"pic_url", pictureUrl("cover-2.jpg")}});
    radios.emplace_back(
        foundation::Dictionary{{"radio_id", radio.id}, {"radio_name", radio.name}, {"channels", std::move(channels)}});
  }
  return radios;
}

foundation::Dictionary SampleCatalogue::adPlan() const {
  foundation::Dictionary advert{
      {"img", pictureUrl("advert.jpg")}, {"ad", advertUrl()}, {"link", baseUrl_ + "/ad/page.html"}};
  return {{"per_count", kSongsPerAdvert}, {"ads", foundation::Array{std::move(advert)}}};
}

}  // namespace station
