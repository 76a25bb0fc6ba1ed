#include "src/http/AuthenticationDialog.h"

#include <algorithm>
#include <numbers>

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Url.h"
#include "platform/net/HTTPAuthentication.h"
#include "platform/ui/Application.h"
#include "platform/ui/ApplicationNotifications.h"
#include "platform/ui/Device.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TextField.h"
#include "platform/ui/Window.h"
#include "src/http/HTTPRequest.h"

namespace http {
namespace {

constexpr double kFieldInset = 10;
constexpr double kTitleHeight = 30;
constexpr double kTurnSeconds = 0.3;

struct Shared {
  std::shared_ptr<AuthenticationDialog> onScreen;
  std::vector<std::shared_ptr<HTTPRequest>> waiting;
  std::shared_ptr<AutorotatingViewController> presenting;
};

Shared& shared() {
  static Shared* state = new Shared();  // requests and views may reach it at exit
  return *state;
}

// The controller every sheet is presented from: an empty view in the application's first window.
std::shared_ptr<AutorotatingViewController> presentingController() {
  std::vector<ui::Window*> windows = ui::Application::shared().windows();
  if (windows.empty()) return nullptr;
  ui::Window* first = windows.front();
  auto& presenting = shared().presenting;
  if (!presenting) presenting = std::make_shared<AutorotatingViewController>();
  const auto& view = presenting->view();
  if (view->window() != first) {
    view->setFrame({});
    view->setUserInteractionEnabled(false);
    first->addSubview(view);
  }
  return presenting;
}

void removeWaiting(const std::shared_ptr<HTTPRequest>& request) {
  auto& waiting = shared().waiting;
  waiting.erase(std::remove(waiting.begin(), waiting.end(), request), waiting.end());
}

double turnFor(ui::InterfaceOrientation orientation) {
  switch (orientation) {
    case ui::InterfaceOrientation::portraitUpsideDown:
      return std::numbers::pi;
    case ui::InterfaceOrientation::landscapeRight:
      return std::numbers::pi / 2;
    case ui::InterfaceOrientation::landscapeLeft:
      return -std::numbers::pi / 2;
    case ui::InterfaceOrientation::portrait:
      return 0;
  }
  return 0;
}

bool isLandscape(ui::InterfaceOrientation orientation) {
  return orientation == ui::InterfaceOrientation::landscapeLeft ||
         orientation == ui::InterfaceOrientation::landscapeRight;
}

}  // namespace

void AuthenticationDialog::presentAuthenticationDialogForRequest(std::shared_ptr<HTTPRequest> request) {
  if (!request) return;
  if (shared().onScreen) {
    shared().waiting.push_back(std::move(request));
    return;
  }
  Type type = request->authenticationNeeded() == 2 ? proxy : server;
  auto dialog = std::make_shared<AuthenticationDialog>(request, type);
  shared().onScreen = dialog;
  if (!dialog->show()) {
    // Nobody can answer a sheet that cannot be shown; waiting for it would hang the request.
    shared().onScreen = nullptr;
    request->cancelAuthentication();
  }
}

void AuthenticationDialog::dismissDialogOnScreen() {
  if (auto dialog = shared().onScreen) dialog->dismiss();
}

std::shared_ptr<AuthenticationDialog> AuthenticationDialog::dialogOnScreen() { return shared().onScreen; }

std::vector<std::shared_ptr<HTTPRequest>> AuthenticationDialog::waitingRequests() { return shared().waiting; }

void AuthenticationDialog::resetForTesting() {
  Shared& state = shared();
  if (state.presenting && state.presenting->isViewLoaded()) state.presenting->view()->removeFromSuperview();
  state = Shared();
}

void AuthenticationDialog::presentNextDialog() {
  auto& waiting = shared().waiting;
  if (shared().onScreen || waiting.empty()) return;
  auto next = waiting.front();
  waiting.erase(waiting.begin());
  presentAuthenticationDialogForRequest(std::move(next));
}

AuthenticationDialog::AuthenticationDialog(std::shared_ptr<HTTPRequest> request, Type type)
    : request_(std::move(request)), type_(type) {
  const char* placeholders[] = {"User", "Password", "Domain"};
  for (int i = 0; i < 3; ++i) {
    auto field = std::make_shared<ui::TextField>();
    field->setPlaceholder(placeholders[i]);
    field->setAutocapitalizationType(ui::TextAutocapitalizationType::None);
    field->setAutocorrectionType(ui::TextAutocorrectionType::No);
    field->setAutoresizingMask(ui::kFlexibleWidth | ui::kFlexibleHeight);
    fields_[i] = std::move(field);
  }
  fields_[1]->setSecureTextEntry(true);
}

AuthenticationDialog::~AuthenticationDialog() {
  foundation::NotificationCenter::defaultCenter().removeObserver(this);
  if (didEnableRotationNotifications_) ui::Device::current().endGeneratingDeviceOrientationNotifications();
}

std::string AuthenticationDialog::scheme() const {
  return type_ == proxy ? request_->proxyAuthenticationScheme() : request_->authenticationScheme();
}

std::optional<std::string> AuthenticationDialog::realm() const {
  return type_ == proxy ? request_->proxyAuthenticationRealm() : request_->authenticationRealm();
}

bool AuthenticationDialog::usesNTLM() const { return scheme() == net::kHTTPAuthenticationSchemeNTLM; }

bool AuthenticationDialog::sendsPasswordInTheClear() const {
  if (scheme() != net::kHTTPAuthenticationSchemeBasic) return false;
  // The way to a proxy is plain whatever the address's scheme, so proxy Basic is always in the clear.
  if (type_ == proxy) return true;
  auto url = foundation::Url::parse(request_->url());
  return !url.ok() || url->scheme() != "https";
}

bool AuthenticationDialog::show() {
  auto presenting = presentingController();
  if (!presenting) return false;
  const auto& root = view();
  for (auto subview : std::vector(root->subviews())) subview->removeFromSuperview();

  auto self = std::static_pointer_cast<AuthenticationDialog>(shared_from_this());
  std::weak_ptr<AuthenticationDialog> weak = self;
  ui::NavigationItem& item = navigationItem();
  if (type_ == proxy) {
    item.title = request_->proxyHost();
  } else if (auto url = foundation::Url::parse(request_->url()); url.ok()) {
    item.title = url->host();
  }
  item.leftBarButtonItem = std::make_shared<ui::BarButtonItem>("Cancel", [weak] {
    if (auto dialog = weak.lock()) dialog->cancelAuthenticationFromDialog();
  });
  item.rightBarButtonItem = std::make_shared<ui::BarButtonItem>("Login", [weak] {
    if (auto dialog = weak.lock()) dialog->loginWithCredentialsFromDialog();
  });
  item.rightBarButtonItem->setStyle(ui::BarButtonItem::Style::Done);
  navigationBar_ =
      std::make_shared<ui::NavigationBar>(ui::Rect{0, 0, root->bounds().width(), ui::NavigationBar::kHeight});
  navigationBar_->setAutoresizingMask(ui::kFlexibleWidth);
  root->addSubview(navigationBar_);
  tableView_ = std::make_shared<ui::TableView>(ui::Rect{}, ui::TableView::Style::Grouped);
  tableView_->setAutoresizingMask(ui::kFlexibleWidth | ui::kFlexibleHeight);
  tableView_->setDataSource(this);
  tableView_->setTableDelegate(this);
  root->addSubview(tableView_);
  showTitle();

  auto& center = foundation::NotificationCenter::defaultCenter();
  center.addObserver(this, ui::kKeyboardWillShowNotification, [this](const foundation::Notification& notification) {
    keyboardWillShow(ui::keyboardFrameEnd(notification.userInfo));
  });
  // Phones only, and this port has no tablets: the sheet follows the device.
  ui::Device& device = ui::Device::current();
  if (!device.isGeneratingDeviceOrientationNotifications()) {
    device.beginGeneratingDeviceOrientationNotifications();
    didEnableRotationNotifications_ = true;
  }
  center.addObserver(this, ui::kDeviceOrientationDidChangeNotification,
                     [this](const foundation::Notification&) { orientationChanged(); });

  if (!presenting->presentViewController(self, true)) return false;
  tableView_->layoutIfNeeded();
  usernameField().becomeFirstResponder();
  return true;
}

void AuthenticationDialog::showTitle() {
  ui::InterfaceOrientation orientation = ui::Application::shared().statusBarOrientation();
  bool upright = !isLandscape(orientation);
  std::string prompt = type_ == proxy ? "Login to this secure proxy server." : "Login to this secure server.";
  navigationItem().prompt = upright ? prompt : "";
  navigationBar_->show(navigationItem(), {});
  navigationBar_->sizeToFit();
  ui::Rect whole = view()->bounds();
  double top = navigationBar_->frame().maxY();
  tableView_->setFrame({0, top, whole.width(), std::max(0.0, whole.height() - top)});
}

void AuthenticationDialog::orientationChanged() {
  ui::InterfaceOrientation orientation = ui::Application::shared().statusBarOrientation();
  ui::Rect frame = ui::Screen::main().applicationFrame();
  ui::Size size = isLandscape(orientation) ? ui::Size{frame.height(), frame.width()} : frame.size;
  const auto& root = view();
  ui::View::animate(foundation::Duration(kTurnSeconds), [&] {
    root->setTransform(ui::AffineTransform::rotation(turnFor(orientation)));
    root->setBounds({0, 0, size.width, size.height});
    // Turned about its centre, the view covers the application frame.
    root->setCenter(frame.center());
  });
  showTitle();
}

void AuthenticationDialog::keyboardWillShow(const ui::Rect& keyboardFrame) {
  if (!tableView_) return;
  ui::EdgeInsets content = tableView_->contentInset();
  content.bottom = keyboardFrame.height();
  tableView_->setContentInset(content);
  ui::EdgeInsets indicators = tableView_->scrollIndicatorInsets();
  indicators.bottom = keyboardFrame.height();
  tableView_->setScrollIndicatorInsets(indicators);
}

void AuthenticationDialog::dismiss() {
  for (const auto& field : fields_) field->resignFirstResponder();
  dismissViewController(true);
}

void AuthenticationDialog::viewDidDisappear(bool /*animated*/) {
  foundation::NotificationCenter::defaultCenter().removeObserver(this);
  if (std::exchange(didEnableRotationNotifications_, false)) {
    ui::Device::current().endGeneratingDeviceOrientationNotifications();
  }
  if (shared().onScreen.get() == this) shared().onScreen = nullptr;
  foundation::performOnMainThread(&AuthenticationDialog::presentNextDialog);
}

AuthenticationDialog::CredentialsKey AuthenticationDialog::keyOf(const HTTPRequest& request) {
  if (request.authenticationNeeded() == 2) {
    return {2, request.proxyHost(), "", request.proxyPort(), request.proxyAuthenticationRealm()};
  }
  CredentialsKey key{request.authenticationNeeded(), "", "", std::nullopt, request.authenticationRealm()};
  if (auto url = foundation::Url::parse(request.url()); url.ok()) {
    key.host = url->host();
    key.scheme = url->scheme();
    if (url->port()) key.port = *url->port();
  }
  return key;
}

std::vector<std::shared_ptr<HTTPRequest>> AuthenticationDialog::requestsRequiringTheseCredentials() const {
  CredentialsKey mine = keyOf(*request_);
  std::vector<std::shared_ptr<HTTPRequest>> requests;
  for (const auto& waiting : shared().waiting) {
    if (keyOf(*waiting) == mine) requests.push_back(waiting);
  }
  requests.push_back(request_);
  return requests;
}

void AuthenticationDialog::loginWithCredentialsFromDialog() {
  std::string user = usernameField().text();
  std::string password = passwordField().text();
  bool withDomain = usesNTLM();
  std::string domain = domainField().text();
  for (const auto& request : requestsRequiringTheseCredentials()) {
    if (type_ == proxy) {
      request->setProxyUsername(user);
      request->setProxyPassword(password);
      if (withDomain) request->setProxyDomain(domain);
    } else {
      request->setUsername(user);
      request->setPassword(password);
      if (withDomain) request->setDomain(domain);
    }
    request->retryUsingSuppliedCredentials();
    removeWaiting(request);
  }
  dismiss();
}

void AuthenticationDialog::cancelAuthenticationFromDialog() {
  for (const auto& request : requestsRequiringTheseCredentials()) {
    request->cancelAuthentication();
    removeWaiting(request);
  }
  dismiss();
}

ui::TextField& AuthenticationDialog::textFieldInRow(int row, int section) {
  return section == 1 ? domainField() : *fields_[row == 1 ? 1 : 0];
}

int AuthenticationDialog::numberOfSections(ui::TableView&) { return usesNTLM() ? 2 : 1; }

int AuthenticationDialog::numberOfRows(ui::TableView&, int section) { return section == 0 ? 2 : 1; }

std::shared_ptr<ui::TableViewCell> AuthenticationDialog::cellForRow(ui::TableView&, const ui::IndexPath& indexPath) {
  auto cell = std::make_shared<ui::TableViewCell>();
  cell->setSelectionStyle(ui::TableViewCell::SelectionStyle::None);
  ui::TextField& field = textFieldInRow(indexPath.row, indexPath.section);
  ui::Rect content = cell->contentView().bounds();
  field.setFrame(content.insetBy(kFieldInset, kFieldInset));
  cell->contentView().addSubview(field.shared_from_this());
  return cell;
}

std::optional<std::string> AuthenticationDialog::titleForHeader(ui::TableView&, int section) {
  if (section != 0) return std::nullopt;
  return realm();
}

std::optional<std::string> AuthenticationDialog::titleForFooter(ui::TableView& table, int section) {
  if (section != numberOfSections(table) - 1) return std::nullopt;
  return sendsPasswordInTheClear() ? "Password will be sent in the clear." : "Password will be sent securely.";
}

std::optional<double> AuthenticationDialog::heightForHeader(ui::TableView&, int section) {
  return section == 0 ? kTitleHeight : 0;
}

std::optional<double> AuthenticationDialog::heightForFooter(ui::TableView& table, int section) {
  return section == numberOfSections(table) - 1 ? kTitleHeight : 0;
}

}  // namespace http
