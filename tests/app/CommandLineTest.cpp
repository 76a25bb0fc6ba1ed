#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "app/program/CommandLine.h"

namespace zunoradio {
namespace {

TEST(CommandLineTest, EveryOptionIsReadInBothSpellings) {
  const auto parsed = parseCommandLine({"--server", "http://radio.example:8080/", "--channel=11", "--login",
                                        "me@example.com:pa:ss", "--offline", "--sink", "fake", "--songs=3"});
  const auto* options = std::get_if<ProgramOptions>(&parsed);
  ASSERT_TRUE(options);
  EXPECT_EQ(options->server, "http://radio.example:8080/");
  EXPECT_EQ(options->channelId, "11");
  EXPECT_EQ(options->loginEmail, "me@example.com");
  EXPECT_EQ(options->loginPassword, "pa:ss");
  EXPECT_TRUE(options->offline);
  EXPECT_EQ(options->sink, SinkChoice::fake);
  EXPECT_EQ(options->songs, 3);
  EXPECT_TRUE(std::get<ProgramOptions>(parseCommandLine({"--help"})).help);
}

TEST(CommandLineTest, ABadCommandLineIsOneSentenceNamingTheOption) {
  const std::vector<std::vector<std::string>> bad = {{"--volume", "3"},       {"--songs", "0"},
                                                     {"--songs", "two"},      {"--sink", "alsa"},
                                                     {"--channel", "../etc"}, {"--server", "radio.example"},
                                                     {"--login", "nobody"},   {"--channel", "1", "--program", "2"},
                                                     {"--channel"},           {"stray"}};
  for (const auto& arguments : bad) {
    const auto parsed = parseCommandLine(arguments);
    const auto* error = std::get_if<CommandLineError>(&parsed);
    ASSERT_TRUE(error) << arguments.front();
    EXPECT_EQ(error->message.find('\n'), std::string::npos);
    EXPECT_TRUE(error->message.ends_with(".") || error->message.ends_with(").")) << error->message;
  }
  const auto last = parseCommandLine({"--sink", "fake", "--bogus"});
  ASSERT_TRUE(std::holds_alternative<CommandLineError>(last));
  EXPECT_EQ(std::get<CommandLineError>(last).message, "Unknown option --bogus (see --help).");
}

// Every row's description starts in the same column as the others of its table.
TEST(CommandLineTest, HelpRowsAreAligned) {
  std::istringstream help(helpText());
  std::set<std::size_t> optionColumns, keyColumns;
  bool inKeys = false;
  for (std::string line; std::getline(help, line);) {
    inKeys = inKeys || line.starts_with("Keys");
    if (!line.starts_with("  ") || line.starts_with("   ")) continue;
    const std::size_t gap = line.find("  ", 2);
    (inKeys ? keyColumns : optionColumns).insert(line.find_first_not_of(' ', gap));
  }
  EXPECT_EQ(optionColumns.size(), 1u);
  EXPECT_EQ(keyColumns.size(), 1u);
}

}  // namespace
}  // namespace zunoradio
