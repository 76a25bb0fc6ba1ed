#pragma once

#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace zunoradio {

// Reads lines from a file descriptor on a thread of its own and hands each one, and the end of
// the input, to the main run loop, so that waiting for a key never holds up playback.
class KeyReader {
 public:
  using LineHandler = std::function<void(const std::string& line)>;

  // Main thread. `onLine` and `onEnd` run on the main loop.
  KeyReader(int fd, LineHandler onLine, std::function<void()> onEnd);
  // Main thread. Stops reading and waits for the thread.
  ~KeyReader();
  KeyReader(const KeyReader&) = delete;
  KeyReader& operator=(const KeyReader&) = delete;

 private:
  // What the posted lines reach; `alive` is cleared (main thread) when the reader goes.
  struct Receiver {
    LineHandler onLine;
    std::function<void()> onEnd;
    bool alive = true;
  };

  void readLines(int fd);

  std::shared_ptr<Receiver> receiver_;
  int wakePipe_[2] = {-1, -1};
  std::thread thread_;
};

}  // namespace zunoradio
