#include <gtest/gtest.h>

#include "src/api/models/SongModel.h"
#include "tests/framework/network/ManualNetwork.h"

namespace api {
namespace {

// The song's stream is picked by the kind of network the shared NetWorkUitil sees now.
class NetWorkKindStreamTest : public framework::testing::ManualNetwork {
 protected:
  std::string streamOn(std::optional<net::ReachabilityFlags> flags) {
    source->setFlags(flags);
    return song->getAudioPlayUrl(framework::NetWorkUitil::defaultUitil().KindOfNetWork());
  }

  std::shared_ptr<SongModel> song =
      SongModel::initWithDataDic(foundation::Dictionary{{"audio_url", "http://m.invalid/song/7.mp3"}});
};

TEST_F(NetWorkKindStreamTest, QualityFollowsTheNetwork) {
  const net::ReachabilityFlags cellular =
      net::kReachabilityReachable | net::kReachabilityIsWWAN | net::kReachabilityTransientConnection;
  EXPECT_EQ(streamOn(net::kReachabilityReachable), "http://m.invalid/song/high/7.mp3");
  EXPECT_EQ(streamOn(cellular), "http://m.invalid/song/medium/7.mp3");
  EXPECT_EQ(streamOn(cellular | net::kReachabilityConnectionRequired), "http://m.invalid/song/log/7.mp3");
  EXPECT_EQ(streamOn(0), "http://m.invalid/song/7.mp3");
  EXPECT_EQ(streamOn(std::nullopt), "http://m.invalid/song/7.mp3");
}

}  // namespace
}  // namespace api
