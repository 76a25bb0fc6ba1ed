#pragma once

#include <string>
#include <string_view>

#include "src/framework/request/QRVHTTPBaseDataRequest.h"

namespace api {

// Result keys the request classes file their models under.
inline constexpr const char* kKeyArray = "KEY_ARRAY";
inline constexpr const char* kKeyTotal = "KEY_TOTAL";

// "err" codes of the web API that callers act on.
inline constexpr const char* kErrOk = "hapn.ok";
inline constexpr const char* kErrLoginExpired = "hapn.u_login";
inline constexpr const char* kErrPublishedSongCount = "radio.u_pub_song";
inline constexpr const char* kErrDuplicateSong = "radio.u_dupsong";
inline constexpr const char* kErrRepeatedShare = "share.u_repeat";
inline constexpr const char* kErrDuplicateAccount = "user.u_DupAccount";

// The base of the request classes of the web API: "<base>/api/<module>.<method>.json?".
class BaseDataRequest : public framework::QRVHTTPBaseDataRequest {
 public:
  // Main thread. The web host every call goes to, without a trailing slash.
  static const std::string& apiBaseUrl();
  // Main thread. Sends every call to another web host, such as one given on the command line
  // (trailing slashes are dropped; "" restores the compiled-in one).
  static void setApiBaseUrl(std::string_view url);
  // Main thread. Test hook: the same as setApiBaseUrl.
  static void setApiBaseUrlForTesting(const std::string& url);

  // Main thread. The URL of a server method ("play.playChannel"); the batch method "call" has
  // neither ".json" nor "?".
  static std::string urlForMethod(std::string_view method);

  // Main thread. Whether the reply stated success both ways: the base result and "err".
  bool succeeded() const;
};

}  // namespace api
