#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace zunoradio {

enum class SinkChoice { automatic, fake };

// What the command line asks for.
struct ProgramOptions {
  std::optional<std::string> server;  // the web host; the sample station when absent
  std::optional<std::string> channelId;
  std::optional<std::string> programId;
  std::optional<std::string> loginEmail;
  std::string loginPassword;
  bool offline = false;
  SinkChoice sink = SinkChoice::automatic;
  std::optional<int> songs;                   // quit after this many song ends
  std::optional<std::string> snapshotFolder;  // the panel drawn there at each song change
  bool help = false;
};

// A command line that cannot be followed, with the sentence that says why.
struct CommandLineError {
  std::string message;
};

// Reads the arguments after the program name.
std::variant<ProgramOptions, CommandLineError> parseCommandLine(const std::vector<std::string>& arguments);
// What --help prints.
std::string helpText();

}  // namespace zunoradio
