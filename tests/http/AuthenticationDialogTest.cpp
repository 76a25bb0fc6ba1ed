#include <gtest/gtest.h>

#include <filesystem>

#include "platform/ui/Application.h"
#include "platform/ui/Button.h"
#include "platform/ui/Device.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/Renderer.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TextField.h"
#include "platform/ui/Window.h"
#include "src/http/AuthenticationDialog.h"
#include "src/http/HTTPRequestErrors.h"
#include "src/http/SessionCredentialStore.h"
#include "tests/http/EngineTestSupport.h"

namespace http::test {
namespace {

using testsupport::hasBasicCredentials;
using testsupport::RecordedRequest;
using testsupport::Reply;

// Where rendered pictures go for people to look at: a folder in the build tree.
std::string renderedPath(const std::string& name) {
  std::filesystem::create_directories("rendered");
  return "rendered/" + name + ".png";
}

// Each request keeps its own delegate, so that every one's end can be awaited.
struct Challenged {
  std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
  std::shared_ptr<HTTPRequest> request;
};

class AuthenticationDialogTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    clock = std::make_shared<foundation::ManualClock>();
    foundation::Clock::setCurrent(clock);
    ui::Screen::setMain(ui::Screen());
    ui::Application::shared().resetForTesting();
    ui::Device::current().resetForTesting();
    HTTPRequest::clearSession();
    SessionCredentialStore::proxy().clear();
    window = std::make_shared<ui::Window>();
    window->makeKeyAndVisible();
  }
  void TearDown() override {
    AuthenticationDialog::resetForTesting();
    clock->advance(foundation::Duration(600));
    window = nullptr;
    ui::Application::shared().resetForTesting();
    ui::Device::current().resetForTesting();
    foundation::Clock::useRealClock();
    EngineTest::TearDown();
  }

  Challenged start(const std::string& url) {
    Challenged challenged;
    challenged.request = HTTPRequest::requestWithURL(url);
    challenged.request->setDelegate(challenged.delegate);
    challenged.request->setShouldPresentAuthenticationDialog(true);
    wakeMainLoopWhenFinished(*challenged.request);
    challenged.request->startAsynchronous();
    return challenged;
  }

  // Waits for a sheet with `waiting` requests behind it, then lets it slide in.
  std::shared_ptr<AuthenticationDialog> awaitSheet(std::size_t waiting = 0) {
    bool shown = runUntil([&] {
      return AuthenticationDialog::dialogOnScreen() && AuthenticationDialog::waitingRequests().size() == waiting;
    });
    EXPECT_TRUE(shown) << "no sheet with " << waiting << " waiting";
    clock->advance(foundation::Duration(1));
    return AuthenticationDialog::dialogOnScreen();
  }

  // The sheet slides away, and the next one (if any) is shown from what that posts to the main loop.
  void awaitDismissal() {
    clock->advance(foundation::Duration(1));
    while (foundation::RunLoop::main().pumpOnce() > 0) {
    }
  }

  static void awaitEnd(const Challenged& challenged) {
    ASSERT_TRUE(runUntil([&] { return challenged.delegate->ended() && challenged.request->isFinished(); }))
        << "request did not end";
  }

  static void expectAuthenticationNeeded(const Challenged& challenged) {
    const auto& error = challenged.request->error();
    EXPECT_TRUE(isRequestError(error, HTTPRequestErrorCode::authenticationNeeded))
        << (error ? error->debugText() : "no error");
  }

  static std::string labelText(ui::View& box) {
    auto* label = box.subviews().empty() ? nullptr : dynamic_cast<ui::Label*>(box.subviews().front().get());
    return label ? label->text() : "";
  }
  static std::string headerText(AuthenticationDialog& sheet, int section) {
    auto& table = sheet.tableView();
    for (const auto& view : table.subviews()) {
      if (view->frame() == table.rectForHeader(section)) return labelText(*view);
    }
    return "";
  }
  static std::string footerText(AuthenticationDialog& sheet, int section) {
    auto& table = sheet.tableView();
    for (const auto& view : table.subviews()) {
      if (view->frame() == table.rectForFooter(section)) return labelText(*view);
    }
    return "";
  }

  void tapBarButton(AuthenticationDialog& sheet, ui::View* button) {
    ASSERT_NE(button, nullptr);
    ui::Rect frame = button->frame();
    window->tap(sheet.navigationBar().convertPoint(frame.center(), nullptr));
  }

  void protect(const std::string& path) {
    server.route("GET", path, [](const RecordedRequest& request) {
      return hasBasicCredentials(request, "ann", "secret") ? Reply::text("welcome") : Reply::basicChallenge("vault");
    });
  }

  std::shared_ptr<foundation::ManualClock> clock;
  std::shared_ptr<ui::Window> window;
};

TEST_F(AuthenticationDialogTest, TwoRequestsChallengedAtOnceShareOneSheetAndBothRestartAfterLogin) {
  protect("/a");
  protect("/b");
  Challenged first = start(server.url("/a"));
  Challenged second = start(server.url("/b"));
  auto sheet = awaitSheet(1);
  ASSERT_TRUE(sheet);
  EXPECT_EQ(sheet->type(), AuthenticationDialog::server);
  EXPECT_EQ(sheet->navigationItem().title, "127.0.0.1");
  EXPECT_EQ(sheet->navigationItem().prompt, "Login to this secure server.");
  EXPECT_EQ(sheet->navigationBar().frame().height(), 74);
  EXPECT_EQ(sheet->tableView().numberOfSections(), 1);
  EXPECT_EQ(headerText(*sheet, 0), "vault");
  EXPECT_EQ(footerText(*sheet, 0), "Password will be sent in the clear.");
  EXPECT_EQ(sheet->usernameField().placeholder(), "User");
  EXPECT_EQ(sheet->passwordField().placeholder(), "Password");
  EXPECT_TRUE(sheet->passwordField().isSecureTextEntry());
  ASSERT_TRUE(sheet->usernameField().isEditing()) << "the user field has the keyboard";
  EXPECT_EQ(sheet->tableView().contentInset().bottom, 216) << "rows stay clear of the keyboard";

  sheet->usernameField().insertText("ann");
  ui::Rect password = sheet->passwordField().frame();
  window->tap(sheet->passwordField().superview()->convertPoint(password.center(), nullptr));
  ASSERT_TRUE(sheet->passwordField().isEditing());
  sheet->passwordField().insertText("secret");
  EXPECT_EQ(sheet->passwordField().displayedText(), "••••••");
  ASSERT_TRUE(ui::renderToPNG(*window, renderedPath("credentials_sheet"), {.scale = 2}).ok());

  tapBarButton(*sheet, sheet->navigationBar().rightView());
  awaitEnd(first);
  awaitEnd(second);
  EXPECT_EQ(first.request->responseString(), "welcome");
  EXPECT_EQ(second.request->responseString(), "welcome");
  EXPECT_EQ(server.requestCount("/a"), 2u);
  EXPECT_EQ(server.requestCount("/b"), 2u);
  awaitDismissal();
  EXPECT_FALSE(AuthenticationDialog::dialogOnScreen());
  EXPECT_TRUE(AuthenticationDialog::waitingRequests().empty());
  EXPECT_EQ(ui::Application::shared().keyboardHostView(), nullptr) << "the keyboard leaves with the sheet";
}

TEST_F(AuthenticationDialogTest, CancelFailsEveryRequestTheSheetServedThenTheNextSheetAsksForTheOtherServer) {
  protect("/a");
  testsupport::LoopbackServer other;
  other.route("GET", "/n", [](const RecordedRequest&) {
    Reply reply = Reply::text("who?", 401);
    reply.header("WWW-Authenticate", "NTLM");
    return reply;
  });
  Challenged first = start(server.url("/a"));
  ASSERT_TRUE(awaitSheet(0));
  Challenged second = start(server.url("/a"));
  Challenged elsewhere = start(other.url("/n"));
  auto sheet = awaitSheet(2);
  ASSERT_TRUE(sheet);
  EXPECT_EQ(sheet->requestsRequiringTheseCredentials().size(), 2u) << "the other server's request is not served";

  tapBarButton(*sheet, sheet->navigationBar().leftView());
  awaitEnd(first);
  awaitEnd(second);
  expectAuthenticationNeeded(first);
  expectAuthenticationNeeded(second);
  EXPECT_EQ(server.requestCount("/a"), 2u) << "nothing was sent again";
  EXPECT_FALSE(elsewhere.request->isFinished());

  awaitDismissal();
  auto next = awaitSheet(0);
  ASSERT_TRUE(next);
  EXPECT_EQ(next->request(), elsewhere.request);
  EXPECT_EQ(next->tableView().numberOfSections(), 2) << "NTLM asks for a domain";
  EXPECT_EQ(next->domainField().placeholder(), "Domain");
  EXPECT_EQ(footerText(*next, 1), "Password will be sent securely.");
  next->cancelAuthenticationFromDialog();
  awaitEnd(elsewhere);
  expectAuthenticationNeeded(elsewhere);
}

TEST_F(AuthenticationDialogTest, AProxySheetFollowsTheDeviceAndRetriesWithProxyCredentials) {
  testsupport::LoopbackServer proxy({.proxy = true, .proxyCredentials = "pat:pass"});
  server.route("GET", "/via", Reply::text("through"));
  Challenged challenged;
  challenged.request = HTTPRequest::requestWithURL(server.url("/via"));
  challenged.request->setDelegate(challenged.delegate);
  challenged.request->setProxy("127.0.0.1", proxy.port());
  wakeMainLoopWhenFinished(*challenged.request);
  challenged.request->startAsynchronous();  // the proxy sheet is on by default
  auto sheet = awaitSheet();
  ASSERT_TRUE(sheet);
  EXPECT_EQ(sheet->type(), AuthenticationDialog::proxy);
  EXPECT_EQ(sheet->navigationItem().prompt, "Login to this secure proxy server.");
  EXPECT_EQ(headerText(*sheet, 0), "proxy");
  EXPECT_EQ(footerText(*sheet, 0), "Password will be sent in the clear.") << "Basic to a proxy is never private";

  ui::Application::shared().setStatusBarOrientation(ui::InterfaceOrientation::landscapeRight);
  ui::Device::current().setOrientation(ui::DeviceOrientation::landscapeLeft);
  clock->advance(foundation::Duration(1));
  EXPECT_EQ(sheet->navigationItem().prompt, "") << "no prompt in landscape";
  EXPECT_EQ(sheet->navigationBar().frame().height(), 44);
  EXPECT_EQ(sheet->view()->bounds().size, (ui::Size{548, 320}));
  EXPECT_EQ(sheet->view()->center(), ui::Screen::main().applicationFrame().center());
  sheet->usernameField().insertText("pat");
  sheet->passwordField().setText("pass");
  ASSERT_TRUE(ui::renderToPNG(*sheet->view(), renderedPath("credentials_sheet_proxy_landscape"), {.scale = 2}).ok());

  sheet->loginWithCredentialsFromDialog();
  awaitEnd(challenged);
  EXPECT_EQ(challenged.request->responseString(), "through");
  ASSERT_EQ(proxy.requestCount(), 2u);
  EXPECT_TRUE(hasBasicCredentials(proxy.requests()[1], "pat", "pass", true));
  awaitDismissal();
  EXPECT_FALSE(ui::Device::current().isGeneratingDeviceOrientationNotifications()) << "the sheet stops what it began";
}

TEST_F(AuthenticationDialogTest, WithoutAWindowForTheSheetTheRequestFailsInsteadOfWaiting) {
  protect("/a");
  window = nullptr;
  Challenged challenged = start(server.url("/a"));
  awaitEnd(challenged);
  expectAuthenticationNeeded(challenged);
  EXPECT_FALSE(AuthenticationDialog::dialogOnScreen());
}

}  // namespace
}  // namespace http::test
