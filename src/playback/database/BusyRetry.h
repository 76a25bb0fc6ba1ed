#pragma once

namespace playback {

// The retry rule for a database that answers "busy": wait 20 microseconds before every retry;
// with a limit T of 0 retry for ever, otherwise give up once more than T retries were made, so
// that at most T + 2 attempts are made in all. One object per retried call; any thread.
class BusyRetry {
 public:
  explicit BusyRetry(int limit);

  // After a busy answer: waits and answers true when another attempt is allowed, else false.
  bool waitBeforeRetry();

 private:
  int limit_;
  int retries_ = 0;
};

}  // namespace playback
