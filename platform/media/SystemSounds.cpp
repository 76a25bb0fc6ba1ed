#include "platform/media/SystemSounds.h"

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>

#include "platform/foundation/RunLoop.h"

namespace media {
namespace {

std::uint32_t littleEndian(const char* bytes, int count) {
  std::uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[i]);
  return value;
}

// The playing time of a PCM WAV file: its data chunk's size over the format's byte rate.
std::optional<foundation::Duration> wavLength(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::array<char, 12> riff{};
  if (!file.read(riff.data(), riff.size()) || std::memcmp(riff.data(), "RIFF", 4) != 0 ||
      std::memcmp(riff.data() + 8, "WAVE", 4) != 0)
    return std::nullopt;
  std::uint32_t byteRate = 0;
  std::array<char, 8> header{};
  while (file.read(header.data(), header.size())) {
    std::uint32_t size = littleEndian(header.data() + 4, 4);
    if (std::memcmp(header.data(), "fmt ", 4) == 0) {
      std::array<char, 16> format{};
      if (size < format.size() || !file.read(format.data(), format.size())) return std::nullopt;
      if (littleEndian(format.data(), 2) != 1) return std::nullopt;  // PCM only
      byteRate = littleEndian(format.data() + 8, 4);
      size -= static_cast<std::uint32_t>(format.size());
    } else if (std::memcmp(header.data(), "data", 4) == 0) {
      if (byteRate == 0) return std::nullopt;
      return foundation::Duration(static_cast<double>(size) / byteRate);
    }
    // Chunks are padded to an even size.
    file.seekg(static_cast<std::streamoff>(size + (size & 1)), std::ios::cur);
  }
  return std::nullopt;
}

}  // namespace

SystemSounds& SystemSounds::shared() {
  static auto* sounds = new SystemSounds();  // lives for the run
  return *sounds;
}

SystemSounds::SoundID SystemSounds::create(const std::string& path) {
  std::optional<foundation::Duration> length = wavLength(path);
  if (!length) return kNoSound;
  SoundID id = nextID_++;
  sounds_[id] = Sound{std::filesystem::path(path).filename().string(), *length, nullptr};
  return id;
}

void SystemSounds::play(SoundID sound, std::function<void()> completion) {
  auto found = sounds_.find(sound);
  if (found == sounds_.end()) return;
  played_.push_back(found->second.fileName);
  if (found->second.playing) found->second.playing->invalidate();
  found->second.playing =
      foundation::RunLoop::main().scheduleTimer(found->second.length, false, [completion = std::move(completion)] {
        if (completion) completion();
      });
}

void SystemSounds::dispose(SoundID sound) {
  auto found = sounds_.find(sound);
  if (found == sounds_.end()) return;
  if (found->second.playing) found->second.playing->invalidate();
  sounds_.erase(found);
}

void SystemSounds::resetForTesting() {
  for (auto& [id, sound] : sounds_)
    if (sound.playing) sound.playing->invalidate();
  sounds_.clear();
  played_.clear();
}

}  // namespace media
