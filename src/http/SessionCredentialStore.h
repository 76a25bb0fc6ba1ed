#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/net/HTTPAuthentication.h"

namespace http {

// One entry of a session credential list: for a server (url set) or a proxy (host and port).
struct SessionCredentials {
  std::shared_ptr<net::HTTPAuthentication> authentication;  // may be null (pre-emptive Basic)
  net::CredentialsPtr credentials;
  std::string url;
  std::string host;
  int port = 0;
  std::string authenticationScheme;
  std::optional<std::string> authenticationRealm;
};

// The two process-wide credential lists of this run, guarded by the session-credentials lock.
// Entries are matched by the credential object they hold, never by equal values. Any thread.
class SessionCredentialStore {
 public:
  static SessionCredentialStore& server();
  static SessionCredentialStore& proxy();
  // The lock guarding both lists.
  static std::recursive_mutex& lock();

  std::vector<SessionCredentials> entries() const;
  // Removes the entry holding the same credential object, then appends.
  void store(SessionCredentials entry);
  // Removes the first entry holding that very credential object.
  void remove(const net::CredentialsPtr& credentials);
  void clear();
  // A server entry for the request: the exact URL wins, else the first of the same origin;
  // realms must agree when both are known, and given user name and password must match.
  std::optional<SessionCredentials> findForServer(const std::string& url, const std::optional<std::string>& realm,
                                                  const std::optional<std::string>& username,
                                                  const std::optional<std::string>& password) const;
  // The first proxy entry for that host and port; given user name and password must match, so
  // that a request with a login of its own is never sent under another one.
  std::optional<SessionCredentials> findForProxy(const std::string& host, int port,
                                                 const std::optional<std::string>& username,
                                                 const std::optional<std::string>& password) const;

 private:
  std::vector<SessionCredentials> entries_;
};

}  // namespace http
