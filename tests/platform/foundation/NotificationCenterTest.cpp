#include "platform/foundation/NotificationCenter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace foundation {
namespace {

struct Poster : Object {};

class NotificationCenterTest : public ::testing::Test {
 protected:
  NotificationCenter::Handler note(std::string label) {
    return [this, label](const Notification&) { heard.push_back(label); };
  }

  NotificationCenter center;
  std::vector<std::string> heard;
};

TEST_F(NotificationCenterTest, DeliversByNameInRegistrationOrderWithObjectAndUserInfo) {
  auto poster = std::make_shared<Poster>();
  Notification received;
  center.addObserver(nullptr, "Changed", note("first"));
  center.addObserver(nullptr, "Other", note("other"));
  center.addObserver(nullptr, "Changed", [&](const Notification& n) {
    heard.push_back("second");
    received = n;
  });

  center.postNotificationName("Changed", Value(poster), Dictionary{{"ProgramId", "12"}});

  EXPECT_EQ(heard, (std::vector<std::string>{"first", "second"}));
  EXPECT_EQ(received.name, "Changed");
  EXPECT_EQ(received.object.objectAs<Poster>(), poster);
  EXPECT_EQ(received.userInfo["ProgramId"], Value("12"));
}

TEST_F(NotificationCenterTest, ObserversOfAnObjectHearOnlyThatObject) {
  auto mine = std::make_shared<Poster>();
  auto theirs = std::make_shared<Poster>();
  center.addObserver(nullptr, "Changed", note("mine"), Value(mine));
  center.addObserver(nullptr, "Changed", note("text"), Value("subject"));
  center.addObserver(nullptr, "Changed", note("any"));

  center.postNotificationName("Changed", Value(theirs));
  center.postNotificationName("Changed", Value(mine));
  center.postNotificationName("Changed", Value("subject"));

  EXPECT_EQ(heard, (std::vector<std::string>{"any", "mine", "any", "text", "any"}));
}

TEST_F(NotificationCenterTest, RemovesByTokenByOwnerAndByOwnerAndName) {
  int owner = 0, otherOwner = 0;
  auto token = center.addObserver(nullptr, "A", note("token"));
  center.addObserver(&owner, "A", note("owner-a"));
  center.addObserver(&owner, "B", note("owner-b"));
  center.addObserver(&otherOwner, "A", note("other-a"));
  center.addObserver(&otherOwner, "B", note("other-b"));

  center.removeObserver(token);
  center.removeObserver(&otherOwner, "A");
  center.postNotificationName("A");
  center.postNotificationName("B");
  EXPECT_EQ(heard, (std::vector<std::string>{"owner-a", "owner-b", "other-b"}));

  heard.clear();
  center.removeObserver(&owner);
  center.removeObserver(ObserverToken());  // ignored
  center.postNotificationName("A");
  center.postNotificationName("B");
  EXPECT_EQ(heard, (std::vector<std::string>{"other-b"}));
}

TEST_F(NotificationCenterTest, ChangesDuringDeliveryTakeEffectAtOnce) {
  auto captured = std::make_shared<int>(0);
  ObserverToken later, self;
  center.addObserver(nullptr, "Tick", [&](const Notification&) {
    heard.push_back("remover");
    center.removeObserver(later);
    center.addObserver(nullptr, "Tick", note("added"));
    center.postNotificationName("Nested");  // posting from a handler must not deadlock
  });
  later = center.addObserver(nullptr, "Tick", note("removed"));
  center.addObserver(nullptr, "Nested", note("nested"));
  self = center.addObserver(nullptr, "Tick", [&, captured](const Notification&) {
    heard.push_back("once");
    center.removeObserver(self);
  });

  center.postNotificationName("Tick");
  EXPECT_EQ(heard, (std::vector<std::string>{"remover", "nested", "once"}));
  EXPECT_EQ(captured.use_count(), 1);  // a removed observer lets go of what it holds
  heard.clear();
  center.postNotificationName("Tick");
  EXPECT_EQ(heard, (std::vector<std::string>{"remover", "nested", "added"}));
}

TEST_F(NotificationCenterTest, RegistrationIsSafeFromManyThreadsWhilePosting) {
  std::atomic<int> delivered{0};
  center.addObserver(nullptr, "Busy", [&](const Notification&) { ++delivered; });
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 200; ++i) {
        if (t == 0) center.postNotificationName("Busy");
        center.removeObserver(center.addObserver(nullptr, "Busy", [](const Notification&) {}));
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(delivered.load(), 200);
}

}  // namespace
}  // namespace foundation
