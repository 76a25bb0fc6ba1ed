#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/program/CommandLine.h"
#include "app/program/Console.h"
#include "app/program/HomeClaim.h"
#include "app/program/KeyReader.h"
#include "app/program/QuitSignals.h"
#include "app/program/RadioProgram.h"
#include "platform/foundation/RunLoop.h"
#include "platform/media/AudioBackend.h"

namespace {

// From the quit on: the last requests' three seconds of patience, then storing what is left.
constexpr foundation::Duration kLeavingPatience{6};
constexpr foundation::Duration kSoundStartPatience{2};

// A worker still inside the sound libraries (a start of GStreamer that never ends) would have them
// unloaded under it by exit's clean-up: then the process leaves without it. Everything worth
// keeping is stored by then, and the console has written every line through.
int leave(int status) {
  if (!media::AudioBackend::waitUntilPrepared(kSoundStartPatience)) std::_Exit(status);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace zunoradio;
  QuitSignals::blockInEveryThread();
  const auto parsed = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (const auto* error = std::get_if<CommandLineError>(&parsed)) {
    std::fprintf(stderr, "zunoradio: %s\n", error->message.c_str());
    return 2;
  }
  const ProgramOptions& options = std::get<ProgramOptions>(parsed);
  if (options.help) {
    std::fputs(helpText().c_str(), stdout);
    return 0;
  }
  if (const foundation::Status claimed = claimHomeForThisRun(); !claimed.ok()) {
    std::fprintf(stderr, "zunoradio: %s\n", claimed.error()->description().c_str());
    return 1;
  }
  // Two malloc arenas rather than one per thread: the program's threads mostly wait, and an arena
  // of each would keep its own freed memory resident.
  ::mallopt(M_ARENA_MAX, 2);
  foundation::RunLoop& loop = foundation::RunLoop::main();
  media::GStreamerOptions sound;
  sound.sink = options.sink == SinkChoice::fake ? media::AudioSink::fake : media::AudioSink::automatic;
  media::AudioBackend::useGStreamer(sound);

  Console console(stdout, stderr, ::isatty(STDOUT_FILENO) == 1);
  RadioProgram program(options, console);
  QuitSignals quitSignals([&] { program.handleKey("q"); }, kLeavingPatience);
  // Keys are read from the start on: q ends a start that waits for the server, as Ctrl-C does.
  KeyReader keys(
      STDIN_FILENO, [&](const std::string& line) { program.handleKey(line); }, [] {});
  if (!program.start()) {
    quitSignals.leaveWithin();
    if (!program.quitAsked()) return leave(1);
    console.line("Bye.");
    return leave(0);
  }
  while (!program.finished()) loop.runUntil([&] { return program.finished(); }, foundation::Duration(3600));
  quitSignals.leaveWithin();
  program.letRequestsFinish();
  console.line("Bye.");
  return leave(0);
}
