#include "app/program/KeyReader.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "platform/foundation/RunLoop.h"

namespace zunoradio {

KeyReader::KeyReader(int fd, LineHandler onLine, std::function<void()> onEnd)
    : receiver_(std::make_shared<Receiver>(Receiver{std::move(onLine), std::move(onEnd)})) {
  if (::pipe(wakePipe_) != 0) wakePipe_[0] = wakePipe_[1] = -1;
  thread_ = std::thread([this, fd] { readLines(fd); });
}

KeyReader::~KeyReader() {
  receiver_->alive = false;
  if (wakePipe_[1] >= 0) (void)!::write(wakePipe_[1], "x", 1);
  thread_.join();
  for (int end : wakePipe_)
    if (end >= 0) ::close(end);
}

// Waits on the input and on the wake pipe together, so that the destructor can end the wait.
void KeyReader::readLines(int fd) {
  std::string pending;
  char buffer[256];
  for (;;) {
    pollfd watched[2] = {{fd, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
    if (::poll(watched, wakePipe_[0] >= 0 ? 2 : 1, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (watched[1].revents != 0) return;
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got <= 0) break;
    pending.append(buffer, static_cast<std::size_t>(got));
    for (std::size_t end = pending.find('\n'); end != std::string::npos; end = pending.find('\n')) {
      std::string line = pending.substr(0, end);
      pending.erase(0, end + 1);
      foundation::RunLoop::main().post([receiver = receiver_, line = std::move(line)] {
        if (receiver->alive) receiver->onLine(line);
      });
    }
  }
  foundation::RunLoop::main().post([receiver = receiver_, line = std::move(pending)] {
    if (receiver->alive && !line.empty()) receiver->onLine(line);
    if (receiver->alive) receiver->onEnd();
  });
}

}  // namespace zunoradio
