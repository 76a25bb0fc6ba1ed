#pragma once

#include <optional>
#include <string>

#include "platform/foundation/Result.h"
#include "platform/foundation/Scanner.h"

// Character-level reading and comment scanning on the platform's text scanner. A scan that
// fails leaves the scan location where it was. Not thread-safe (as the scanner).
namespace framework::scanner_extensions {

inline constexpr const char* kScannerErrorDomain = "ScannerExtensionsErrorDomain";
enum class ScannerErrorCode : long long {
  backtrackedTooFar = 1,
  nestedComment = 2,
  commentNotEnded = 3,
  commentNotTerminated = 4,
};

// The text from the scan location to the end.
std::string remainingString(const foundation::Scanner& scanner);
// The character at the scan location, not consumed; nothing at the end.
std::optional<char32_t> currentCharacter(const foundation::Scanner& scanner);
// The character at the scan location, consumed; nothing at the end.
std::optional<char32_t> scanCharacter(foundation::Scanner& scanner);
// Consumes `expected` when it is the next character.
bool scanCharacter(foundation::Scanner& scanner, char32_t expected);
// Moves the scan location back by `count` characters; "Backtracked too far." before the start.
foundation::Status backtrack(foundation::Scanner& scanner, std::size_t count);
// A "/* ... */" comment at the scan location: nothing when there is none, its text when there is
// one; an error for a comment that holds another's start, that is never closed, or that is cut
// off right after its opening.
foundation::Result<std::optional<std::string>> scanCStyleComment(foundation::Scanner& scanner);
// A "// ..." comment up to its line break (which stays), or nothing.
std::optional<std::string> scanCPlusPlusStyleComment(foundation::Scanner& scanner);

}  // namespace framework::scanner_extensions
