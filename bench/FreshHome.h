#pragma once

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace bench {

// A fresh application home for one run of the program, removed when it goes.
class FreshHome {
 public:
  FreshHome() {
    char pattern[] = "/tmp/zunoradio-bench-XXXXXX";
    if (!::mkdtemp(pattern)) throw std::runtime_error("mkdtemp");
    path_ = pattern;
    ::setenv("ZUNORADIO_HOME", path_.c_str(), 1);
  }
  ~FreshHome() { std::filesystem::remove_all(path_); }
  FreshHome(const FreshHome&) = delete;
  FreshHome& operator=(const FreshHome&) = delete;

 private:
  std::string path_;
};

}  // namespace bench
