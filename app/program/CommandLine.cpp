#include "app/program/CommandLine.h"

#include <charconv>

namespace zunoradio {
namespace {

using Outcome = std::variant<ProgramOptions, CommandLineError>;

std::optional<int> positiveNumber(const std::string& text) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < 1) return std::nullopt;
  return value;
}

bool isDecimalId(const std::string& text) {
  return !text.empty() && text.size() <= 18 && text.find_first_not_of("0123456789") == std::string::npos;
}

bool takesValue(const std::string& name) {
  for (const char* known : {"--server", "--channel", "--program", "--login", "--sink", "--songs", "--snapshot"})
    if (name == known) return true;
  return false;
}

// Applies one option that takes a value; an error sentence, or nothing when it was fine.
std::optional<std::string> applyValue(ProgramOptions& options, const std::string& name, const std::string& value) {
  if (name == "--server") {
    if (!value.starts_with("http://") && !value.starts_with("https://"))
      return "--server needs an http:// or https:// address, not \"" + value + "\".";
    options.server = value;
  } else if (name == "--channel" || name == "--program") {
    if (!isDecimalId(value)) return name + " needs a numeric id, not \"" + value + "\".";
    (name == "--channel" ? options.channelId : options.programId) = value;
  } else if (name == "--login") {
    const std::size_t colon = value.find(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == value.size()) return "--login needs EMAIL:PASSWORD.";
    options.loginEmail = value.substr(0, colon);
    options.loginPassword = value.substr(colon + 1);
  } else if (name == "--sink") {
    if (value != "auto" && value != "fake") return "--sink is auto or fake, not \"" + value + "\".";
    options.sink = value == "fake" ? SinkChoice::fake : SinkChoice::automatic;
  } else if (name == "--songs") {
    const auto count = positiveNumber(value);
    if (!count) return "--songs needs a whole number above 0, not \"" + value + "\".";
    options.songs = count;
  } else if (name == "--snapshot") {
    if (value.empty()) return "--snapshot needs a folder.";
    options.snapshotFolder = value;
  }
  return std::nullopt;
}

}  // namespace

Outcome parseCommandLine(const std::vector<std::string>& arguments) {
  ProgramOptions options;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    std::string name = arguments[i];
    std::optional<std::string> value;
    if (const std::size_t equals = name.find('='); name.starts_with("--") && equals != std::string::npos) {
      value = name.substr(equals + 1);
      name.resize(equals);
    }
    if (name == "--help" || name == "-h") {
      options.help = true;
      continue;
    }
    if (name == "--offline") {
      options.offline = true;
      continue;
    }
    if (!name.starts_with("--")) return CommandLineError{"Unexpected argument \"" + name + "\" (see --help)."};
    if (!takesValue(name)) return CommandLineError{"Unknown option " + name + " (see --help)."};
    if (!value) {
      if (i + 1 == arguments.size()) return CommandLineError{name + " needs a value (see --help)."};
      value = arguments[++i];
    }
    if (auto error = applyValue(options, name, *value)) return CommandLineError{*error};
  }
  if (options.channelId && options.programId) return CommandLineError{"Give --channel or --program, not both."};
  return options;
}

std::string helpText() {
  return R"(Usage: zunoradio [options]

Plays the radio: the channel on air, or the channel or programme you name, song after song,
with adverts, play logs and the sleep timer. Without --server it starts the built-in sample
station on a free loopback port and plays from it.

Options:
  --server URL            play from the web API at URL instead of the sample station
  --channel ID            play that channel
  --program ID            play that programme, as a notification would open it
  --login EMAIL:PASSWORD  log in first (o and f need it)
  --offline               offline mode: only programmes stored for offline use play
  --sink auto|fake        sound output: the system's (auto, the default) or none at real speed
  --songs N               quit after N songs have ended
  --snapshot DIR          draw the player panel, shrunk and expanded, to PNG files in DIR at
                          every song change, and the offline list and settings at every w
  --help                  show this text

Keys (type one and press Enter):
  p               play or pause
  n               next song
  c ID            play channel ID
  g ID            play programme ID
  t 15|30|60|90   sleep after that many minutes; t alone stops the sleep timer
  o               keep the playing programme offline, or stop keeping it (needs --login)
  f               collect the playing programme, or stop collecting it (needs --login)
  i               the playing programme's information
  l               open the playing programme's web link
  w               list the offline programmes with their states and progress
  d               pause or resume offline downloading
  a               play all offline programmes, recommended ones first
  b N             answer the alert on screen with its button N (each alert lists its buttons)
  q               quit
)";
}

}  // namespace zunoradio
