#include "platform/foundation/Url.h"

#include <boost/url/encode.hpp>
#include <boost/url/grammar/lut_chars.hpp>
#include <boost/url/parse.hpp>
#include <boost/url/pct_string_view.hpp>
#include <boost/url/url.hpp>

namespace foundation {
namespace {

namespace urls = boost::urls;

ErrorPtr malformed(std::string_view what, std::string_view text) {
  return makeError(kUrlErrorDomain, kMalformedUrlError, std::string(what) + " \"" + std::string(text) + "\"");
}

}  // namespace

Result<Url> Url::fromParsed(const urls::url_view_base& parsed) {
  urls::url normalized(parsed);
  normalized.normalize_scheme();
  Url url;
  url.absolute_ = normalized.buffer();
  url.scheme_ = normalized.scheme();
  if (normalized.has_authority()) url.host_ = normalized.host_address();
  if (normalized.has_port() && !normalized.port().empty()) {
    // port_number() reads 0 for a port beyond 65535; such a URL is unusable.
    if (normalized.port_number() == 0 && normalized.port() != "0")
      return malformed("Port out of range in", url.absolute_);
    url.port_ = normalized.port_number();
  }
  if (normalized.has_userinfo()) url.user_ = normalized.user();
  if (normalized.has_password()) url.password_ = normalized.password();
  url.path_ = normalized.path();
  if (normalized.has_query()) url.query_ = std::string(normalized.encoded_query());
  if (normalized.has_fragment()) url.fragment_ = std::string(normalized.encoded_fragment());
  return url;
}

Result<Url> Url::parse(std::string_view text) {
  auto parsed = urls::parse_absolute_uri(text);
  if (!parsed) {
    // parse_absolute_uri refuses fragments; a full URI may carry one.
    auto withFragment = urls::parse_uri(text);
    if (!withFragment) return malformed("Not an absolute URL:", text);
    return fromParsed(*withFragment);
  }
  return fromParsed(*parsed);
}

Result<Url> Url::resolve(std::string_view reference) const {
  auto base = urls::parse_uri(absolute_);
  auto parsedReference = urls::parse_uri_reference(reference);
  if (!base || !parsedReference) return malformed("Not a URL reference:", reference);
  urls::url resolved;
  if (auto result = urls::resolve(*base, *parsedReference, resolved); !result) {
    return malformed("Cannot resolve", reference);
  }
  // RFC 3986 5.2 in two points where Boost.URL 1.81 strays: the target's fragment is the
  // reference's alone, and ".." segments that climb above the root are dropped.
  if (!parsedReference->has_fragment()) resolved.remove_fragment();
  std::string_view path = resolved.encoded_path();
  std::size_t climbing = 0;
  while (path.substr(climbing, 3) == "/.." && (path.size() == climbing + 3 || path[climbing + 3] == '/')) {
    climbing += 3;
  }
  if (climbing > 0) {
    std::string rest(path.substr(climbing));
    resolved.set_encoded_path(rest.empty() ? "/" : rest);
  }
  return fromParsed(resolved);
}

std::string Url::percentEscape(std::string_view text, std::string_view allowed) {
  std::string allowedText(allowed);  // lut_chars reads up to the terminating NUL
  urls::grammar::lut_chars allowedSet(allowedText.c_str());
  urls::encoding_opts options;
  options.space_as_plus = false;
  options.lower_case = false;
  return urls::encode(text, allowedSet, options);
}

Result<std::string> Url::percentUnescape(std::string_view text) {
  auto escaped = urls::make_pct_string_view(text);
  if (!escaped) return malformed("Malformed percent escape in", text);
  return escaped->decode();
}

}  // namespace foundation
