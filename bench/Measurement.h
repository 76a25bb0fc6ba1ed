#pragma once

#include <sys/resource.h>

#include <chrono>
#include <fstream>
#include <string>

namespace bench {

// Wall time, CPU time of the whole process and growth of its peak resident set.
class Measurement {
 public:
  Measurement() : residentAtStart_(statusKiB("VmRSS:")), cpuAtStart_(cpuSeconds()) {
    std::ofstream("/proc/self/clear_refs") << "5";  // the peak starts again from here
    start_ = std::chrono::steady_clock::now();
  }
  double seconds() const { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count(); }
  double cpu() const { return cpuSeconds() - cpuAtStart_; }
  double peakGrowthMiB() const { return static_cast<double>(statusKiB("VmHWM:") - residentAtStart_) / 1024.0; }

 private:
  static long statusKiB(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
      if (line.rfind(field, 0) == 0) return std::stol(line.substr(field.size()));
    }
    return 0;
  }
  static double cpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) {
      return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
  }

  long residentAtStart_;
  double cpuAtStart_;
  std::chrono::steady_clock::time_point start_;
};

}  // namespace bench
