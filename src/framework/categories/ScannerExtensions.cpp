#include "src/framework/categories/ScannerExtensions.h"

#include "src/framework/categories/CharacterSetExtensions.h"

namespace framework::scanner_extensions {
namespace {

foundation::ErrorPtr scannerError(ScannerErrorCode code, const char* description) {
  return foundation::makeError(kScannerErrorDomain, static_cast<long long>(code), description);
}

}  // namespace

std::string remainingString(const foundation::Scanner& scanner) {
  return foundation::encodeUtf8(scanner.characters(scanner.scanLocation()));
}

std::optional<char32_t> currentCharacter(const foundation::Scanner& scanner) {
  if (scanner.isAtEnd()) return std::nullopt;
  return scanner.characters(scanner.scanLocation()).front();
}

std::optional<char32_t> scanCharacter(foundation::Scanner& scanner) {
  std::optional<char32_t> character = currentCharacter(scanner);
  if (character) scanner.setScanLocation(scanner.scanLocation() + 1);
  return character;
}

bool scanCharacter(foundation::Scanner& scanner, char32_t expected) {
  if (currentCharacter(scanner) != expected) return false;
  scanner.setScanLocation(scanner.scanLocation() + 1);
  return true;
}

foundation::Status backtrack(foundation::Scanner& scanner, std::size_t count) {
  if (count > scanner.scanLocation()) return scannerError(ScannerErrorCode::backtrackedTooFar, "Backtracked too far.");
  scanner.setScanLocation(scanner.scanLocation() - count);
  return foundation::Status::success();
}

foundation::Result<std::optional<std::string>> scanCStyleComment(foundation::Scanner& scanner) {
  const std::size_t start = scanner.scanLocation();
  if (!scanner.scanString("/*", nullptr)) return std::optional<std::string>();
  std::string comment;
  if (!scanner.scanUpToString("*/", &comment) && !scanner.scanString("*/", nullptr)) {
    scanner.setScanLocation(start);
    return scannerError(ScannerErrorCode::commentNotTerminated,
                        "Started to scan a C style comment but it wasn't terminated.");
  }
  if (comment.find("/*") != std::string::npos) {
    scanner.setScanLocation(start);
    return scannerError(ScannerErrorCode::nestedComment, "C style comments should not be nested.");
  }
  // An empty comment has had its end taken above already.
  if (!comment.empty() && !scanner.scanString("*/", nullptr)) {
    scanner.setScanLocation(start);
    return scannerError(ScannerErrorCode::commentNotEnded, "C style comment did not end correctly.");
  }
  return std::optional<std::string>(std::move(comment));
}

std::optional<std::string> scanCPlusPlusStyleComment(foundation::Scanner& scanner) {
  if (!scanner.scanString("//", nullptr)) return std::nullopt;
  std::string comment;
  (void)scanner.scanUpToCharactersFromSet(character_set_extensions::linebreaksCharacterSet(), &comment);
  return comment;
}

}  // namespace framework::scanner_extensions
