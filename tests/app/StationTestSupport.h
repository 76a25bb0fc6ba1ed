#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include "app/station/SampleStation.h"

namespace apptest {

// A media folder of small stand-in files, each with its own bytes, for a station under test.
inline std::string writeStandInMedia(const std::filesystem::path& folder) {
  std::filesystem::create_directories(folder);
  for (const char* name : station::SampleStation::kMediaFiles) {
    std::ofstream file(folder / name, std::ios::binary);
    file << "stand-in " << name << ' ' << std::string(200, 'x');
  }
  return folder.string();
}

}  // namespace apptest
