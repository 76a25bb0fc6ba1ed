#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/TableView.h"
#include "src/http/AutorotatingViewController.h"

namespace ui {
class NavigationBar;
class TextField;
}  // namespace ui

namespace http {

class HTTPRequest;

// The sheet that asks the user for a user name and password (and a domain for NTLM) when a
// server (type 0) or a proxy (type 1) challenges a request. One sheet is on screen at a time;
// requests challenged meanwhile wait, and one answer serves every waiting request for the same
// host, port, scheme, realm and kind. Presented over the application's first window. Main
// thread only.
class AuthenticationDialog : public AutorotatingViewController,
                             public ui::TableViewDataSource,
                             public ui::TableViewDelegate {
 public:
  enum Type { server = 0, proxy = 1 };

  // Main thread. Shows the sheet for the request, or puts the request on the waiting list while
  // a sheet is on screen. Without a window to show it in, the request fails with code 3 at once.
  static void presentAuthenticationDialogForRequest(std::shared_ptr<HTTPRequest> request);
  // Main thread. Dismisses the sheet on screen, if any, animated.
  static void dismissDialogOnScreen();
  // Main thread. The sheet on screen, or nullptr; the requests waiting for a sheet.
  static std::shared_ptr<AuthenticationDialog> dialogOnScreen();
  static std::vector<std::shared_ptr<HTTPRequest>> waitingRequests();
  // Main thread. Forgets the sheet on screen, the waiting list and the presenting controller
  // (tests only).
  static void resetForTesting();

  // Main thread.
  AuthenticationDialog(std::shared_ptr<HTTPRequest> request, Type type);
  ~AuthenticationDialog() override;

  const std::shared_ptr<HTTPRequest>& request() const { return request_; }
  Type type() const { return type_; }
  ui::TableView& tableView() { return *tableView_; }
  ui::NavigationBar& navigationBar() { return *navigationBar_; }
  // Main thread. The sheet's fields; the domain field is in the table only for NTLM.
  ui::TextField& usernameField() { return *fields_[0]; }
  ui::TextField& passwordField() { return *fields_[1]; }
  ui::TextField& domainField() { return *fields_[2]; }

  // Main thread. What the Login and Cancel buttons do.
  void loginWithCredentialsFromDialog();
  void cancelAuthenticationFromDialog();
  // Main thread. Dismisses this sheet, animated.
  void dismiss();
  // Main thread. The waiting requests this sheet's answer serves, then its own request.
  std::vector<std::shared_ptr<HTTPRequest>> requestsRequiringTheseCredentials() const;

  void viewDidDisappear(bool animated) override;

  // The table: user and password, and the domain in a section of its own for NTLM.
  int numberOfSections(ui::TableView& table) override;
  int numberOfRows(ui::TableView& table, int section) override;
  std::shared_ptr<ui::TableViewCell> cellForRow(ui::TableView& table, const ui::IndexPath& indexPath) override;
  std::optional<std::string> titleForHeader(ui::TableView& table, int section) override;
  std::optional<std::string> titleForFooter(ui::TableView& table, int section) override;
  std::optional<double> heightForHeader(ui::TableView& table, int section) override;
  std::optional<double> heightForFooter(ui::TableView& table, int section) override;

 private:
  // Where one answer applies: requests with equal keys share the sheet's answer.
  struct CredentialsKey {
    int kind;
    std::string host;
    std::string scheme;
    std::optional<int> port;
    std::optional<std::string> realm;
    friend bool operator==(const CredentialsKey&, const CredentialsKey&) = default;
  };
  static CredentialsKey keyOf(const HTTPRequest& request);
  static void presentNextDialog();

  bool show();
  void showTitle();
  void orientationChanged();
  void keyboardWillShow(const ui::Rect& keyboardFrame);
  ui::TextField& textFieldInRow(int row, int section);
  // The scheme and realm of this sheet's side of the request (the proxy's for type 1).
  std::string scheme() const;
  std::optional<std::string> realm() const;
  bool usesNTLM() const;
  bool sendsPasswordInTheClear() const;

  std::shared_ptr<HTTPRequest> request_;
  Type type_;
  std::shared_ptr<ui::NavigationBar> navigationBar_;
  std::shared_ptr<ui::TableView> tableView_;
  std::shared_ptr<ui::TextField> fields_[3];
  bool didEnableRotationNotifications_ = false;
};

}  // namespace http
