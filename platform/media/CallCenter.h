#pragma once

#include <functional>
#include <memory>
#include <string>

namespace media {

enum class CallState { dialing, incoming, connected, disconnected };

struct Call {
  std::string callID;
  CallState callState;
};

// Telephony call events. The handler runs on the call centre's own thread (not the main one), as
// the phone delivers them; its users move the work they do to the main thread themselves.
// Any thread.
class CallCenter {
 public:
  static std::shared_ptr<CallCenter> create();
  ~CallCenter();

  void setCallEventHandler(std::function<void(const Call&)> handler);

  // Any thread. Stands for the telephone: every live call centre hears of the call, later.
  static void injectCall(const Call& call);

  struct Shared;  // the handler, shared with events in flight

 private:
  CallCenter() = default;
  std::shared_ptr<Shared> shared_;
};

}  // namespace media
