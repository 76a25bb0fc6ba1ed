#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/Result.h"

namespace boost::urls {
class url_view_base;
}

namespace foundation {

inline constexpr const char* kUrlErrorDomain = "URLErrorDomain";
// Code of kUrlErrorDomain for text that is not a URL (or not a well-formed percent escape).
inline constexpr long long kMalformedUrlError = 1;

// An absolute URL (RFC 3986), parsed once; immutable and cheap to copy. Any thread.
class Url {
 public:
  // ASCII letters and digits; the core of most allowed sets for percentEscape().
  static constexpr std::string_view kAlphanumerics = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

  // Any thread. An absolute URL ("scheme:..."); an error for anything else, spaces and other
  // characters that a URL must escape included.
  static Result<Url> parse(std::string_view text);
  // Any thread. The reference (absolute, or relative such as "/a", "b?c", "//host/x") resolved
  // against this URL, dot segments removed.
  Result<Url> resolve(std::string_view reference) const;

  // As written, except that the scheme is lower-cased.
  const std::string& absoluteString() const { return absolute_; }
  const std::string& scheme() const { return scheme_; }
  // Decoded; "" when absent. IPv6 hosts come without brackets.
  const std::string& host() const { return host_; }
  // The port as written; nullopt when the URL names none.
  std::optional<std::uint16_t> port() const { return port_; }
  // Decoded user and password of the authority; nullopt when absent.
  const std::optional<std::string>& user() const { return user_; }
  const std::optional<std::string>& password() const { return password_; }
  // Decoded path; "" when empty.
  const std::string& path() const { return path_; }
  // Query and fragment as written (still escaped), without "?" and "#"; nullopt when absent.
  const std::optional<std::string>& query() const { return query_; }
  const std::optional<std::string>& fragment() const { return fragment_; }

  friend bool operator==(const Url& a, const Url& b) { return a.absolute_ == b.absolute_; }

  // Any thread. Each byte of the text not in `allowed` becomes "%" and two upper-case hex digits;
  // a space is "%20", never "+".
  static std::string percentEscape(std::string_view text, std::string_view allowed);
  // Any thread. Each "%XX" back to its byte ("+" stays "+"); an error for a malformed escape.
  static Result<std::string> percentUnescape(std::string_view text);

 private:
  Url() = default;
  static Result<Url> fromParsed(const boost::urls::url_view_base& parsed);

  std::string absolute_;
  std::string scheme_;
  std::string host_;
  std::optional<std::uint16_t> port_;
  std::optional<std::string> user_;
  std::optional<std::string> password_;
  std::string path_;
  std::optional<std::string> query_;
  std::optional<std::string> fragment_;
};

}  // namespace foundation
