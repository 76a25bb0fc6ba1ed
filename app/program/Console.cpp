#include "app/program/Console.h"

#include <cctype>

namespace zunoradio {

std::string counted(std::size_t count, const std::string& one, const std::string& many) {
  return std::to_string(count) + ' ' + (count == 1 ? one : many);
}

std::string sentenceEnd(std::string text) {
  while (!text.empty() && (text.back() == '.' || text.back() == ' ')) text.pop_back();
  auto upper = [&](std::size_t at) { return at < text.size() && std::isupper(static_cast<unsigned char>(text[at])); };
  if (upper(0) && !upper(1)) text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
  return text;
}

Console::Console(std::FILE* out, std::FILE* errors, bool terminal) : out_(out), errors_(errors), terminal_(terminal) {}

void Console::line(const std::string& text) {
  clearStatus();
  std::fputs(text.c_str(), out_);
  std::fputc('\n', out_);
  std::fflush(out_);
}

void Console::error(const std::string& text) {
  clearStatus();
  std::fflush(out_);
  std::fprintf(errors_, "zunoradio: %s\n", text.c_str());
  std::fflush(errors_);
}

void Console::status(const std::string& text) {
  if (!terminal_) return;
  // Carriage return and "erase line": the new text replaces the old, whatever its length.
  std::fprintf(out_, "\r\033[2K%s", text.c_str());
  std::fflush(out_);
  statusShown_ = true;
}

void Console::clearStatus() {
  if (!statusShown_) return;
  std::fputs("\r\033[2K", out_);
  statusShown_ = false;
}

}  // namespace zunoradio
