#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <thread>
#include <vector>

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/RunLoop.h"
#include "platform/media/AudioSession.h"
#include "platform/media/CallCenter.h"
#include "platform/media/MotionManager.h"
#include "platform/media/RemoteCommandCenter.h"

namespace {

using foundation::NotificationCenter;
using foundation::RunLoop;
using namespace media;

class DeviceEventsTest : public ::testing::Test {
 protected:
  void TearDown() override {
    NotificationCenter::defaultCenter().removeObserver(this);
    AudioSession::sharedInstance().resetForTesting();
    RemoteCommandCenter::sharedCenter().resetForTesting();
  }
  void listen(const char* name) {
    NotificationCenter::defaultCenter().addObserver(this, name,
                                                    [this](const foundation::Notification& n) { heard.push_back(n); });
  }
  std::vector<foundation::Notification> heard;
};

TEST_F(DeviceEventsTest, SessionChangesAreAnnouncedLaterOnTheMainLoop) {
  auto& session = AudioSession::sharedInstance();
  listen(kSystemVolumeDidChangeNotification);
  listen(kAudioSessionRouteChangeNotification);
  listen(kAudioSessionInterruptionNotification);
  listen(kWirelessRoutesAvailableDidChangeNotification);

  session.setOutputVolume(1.7f);
  session.injectRouteChange(AudioRouteDescription{{kAudioOutputHeadphones, kAudioOutputAirPlay}}, 1);
  session.injectInterruption(true);
  session.injectWirelessRoutesAvailable(true);
  EXPECT_TRUE(heard.empty());
  EXPECT_EQ(session.outputVolume(), 1.0f) << "the volume stays within 0..1";
  EXPECT_EQ(session.currentRoute()->outputs.back(), kAudioOutputAirPlay);

  RunLoop::main().runUntil([&] { return heard.size() == 4; });
  ASSERT_EQ(heard.size(), 4u);
  EXPECT_EQ(heard[0].userInfo[kSystemVolumeParameter].toDouble(-1), 1.0);
  EXPECT_EQ(heard[1].userInfo["reason"].toInt64(-1), 1);
  EXPECT_EQ(heard[2].userInfo["type"].toInt64(-1), 1);
  EXPECT_TRUE(session.wirelessRoutesAvailable());

  session.injectRouteChange(std::nullopt, 2);
  EXPECT_FALSE(session.currentRoute().has_value()) << "a route the system cannot describe";
}

TEST_F(DeviceEventsTest, RemoteCommandsArriveOnlyWhileReceiving) {
  auto& center = RemoteCommandCenter::sharedCenter();
  std::vector<RemoteCommand> commands;
  center.setHandler([&](RemoteCommand command) { commands.push_back(command); });
  center.injectCommand(RemoteCommand::play);
  RunLoop::main().pumpOnce();
  EXPECT_TRUE(commands.empty());

  center.beginReceivingRemoteControlEvents();
  std::thread([&] { center.injectCommand(RemoteCommand::nextTrack); }).join();
  EXPECT_TRUE(commands.empty());
  RunLoop::main().runUntil([&] { return !commands.empty(); });
  EXPECT_EQ(commands, std::vector<RemoteCommand>{RemoteCommand::nextTrack});
}

TEST_F(DeviceEventsTest, CallEventsArriveOnTheCallThreadWithIdAndState) {
  auto centre = CallCenter::create();
  auto gone = CallCenter::create();
  std::atomic<int> goneCalls = 0;
  gone->setCallEventHandler([&](const Call&) { ++goneCalls; });
  gone.reset();
  std::optional<Call> received;
  bool onMain = true;
  centre->setCallEventHandler([&](const Call& call) {
    bool main = RunLoop::isMainThread();
    RunLoop::main().post([&, call, main] {
      received = call;
      onMain = main;
    });
  });
  CallCenter::injectCall(Call{"call-1", CallState::incoming});
  ASSERT_TRUE(RunLoop::main().runUntil([&] { return received.has_value(); }));
  EXPECT_EQ(received->callID, "call-1");
  EXPECT_EQ(received->callState, CallState::incoming);
  EXPECT_FALSE(onMain);
  EXPECT_EQ(goneCalls, 0);
}

TEST_F(DeviceEventsTest, GyroUpdatesRunOnTheGivenQueueUntilStopped) {
  auto motion = MotionManager::create();
  auto queue = std::make_shared<foundation::OperationQueue>();
  std::atomic<double> lastY = 0;
  std::atomic<int> updates = 0;
  motion->startGyroUpdates(queue, [&](const GyroData& data) {
    lastY = data.rotationRate.y;
    ++updates;
  });
  EXPECT_TRUE(motion->isGyroActive());
  MotionManager::injectRotationRate({0.1, 0.25, 0});
  queue->waitUntilAllOperationsAreFinished();
  EXPECT_EQ(updates, 1);
  EXPECT_EQ(lastY, 0.25);

  motion->stopGyroUpdates();
  EXPECT_FALSE(motion->isGyroActive());
  MotionManager::injectRotationRate({1, 1, 1});
  queue->waitUntilAllOperationsAreFinished();
  EXPECT_EQ(updates, 1);
}

}  // namespace
