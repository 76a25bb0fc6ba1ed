#include "platform/ui/TextField.h"

#include <gtest/gtest.h>

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/ApplicationNotifications.h"
#include "platform/ui/Renderer.h"
#include "platform/ui/Window.h"
#include "tests/platform/ui/UiFixture.h"

namespace {

using ui::Rect;

class TextFieldTest : public uitest::UiFixture {
 protected:
  void SetUp() override {
    UiFixture::SetUp();
    window = std::make_shared<ui::Window>();
    window->makeKeyAndVisible();
  }
  void TearDown() override {
    foundation::NotificationCenter::defaultCenter().removeObserver(this);
    UiFixture::TearDown();
  }

  std::shared_ptr<ui::TextField> addField(const Rect& frame) {
    auto field = std::make_shared<ui::TextField>(frame);
    field->setBorderStyle(ui::TextBorderStyle::RoundedRect);
    window->addSubview(field);
    return field;
  }

  std::shared_ptr<ui::Window> window;
};

TEST_F(TextFieldTest, ATapEditsWithTheKeyboardAndOneFieldAtATimeTakesTheKeys) {
  std::vector<Rect> keyboardFrames;
  foundation::NotificationCenter::defaultCenter().addObserver(
      this, ui::kKeyboardWillShowNotification,
      [&](const foundation::Notification& n) { keyboardFrames.push_back(ui::keyboardFrameEnd(n.userInfo)); });
  auto name = addField({10, 40, 300, 30});
  auto secret = addField({10, 80, 300, 30});
  name->insertText("ignored");
  EXPECT_EQ(name->text(), "") << "keys reach only the field being edited";

  window->tap({100, 55});
  ASSERT_TRUE(name->isEditing());
  ASSERT_EQ(keyboardFrames.size(), 1u);
  EXPECT_EQ(keyboardFrames[0], (Rect{0, 352, 320, 216}));
  name->insertText("ann");
  window->tap({100, 95});
  EXPECT_FALSE(name->isEditing());
  ASSERT_TRUE(secret->isEditing());
  EXPECT_NE(ui::Application::shared().keyboardHostView(), nullptr);

  secret->setSecureTextEntry(true);
  secret->insertText("密码x");
  EXPECT_EQ(secret->displayedText(), "•••");
  secret->deleteBackward();
  secret->deleteBackward();
  EXPECT_EQ(secret->text(), "密") << "a character goes whole, never a byte of it";
  EXPECT_EQ(name->text(), "ann");

  secret->resignFirstResponder();
  EXPECT_EQ(ui::Application::shared().keyboardHostView(), nullptr);
}

TEST_F(TextFieldTest, PlaceholderShowsGreyUntilThereIsText) {
  auto field = addField({0, 0, 200, 30});
  field->setPlaceholder("User");
  auto empty = ui::render(*field);
  field->setText("W");
  auto filled = ui::render(*field);
  ASSERT_TRUE(empty.ok() && filled.ok());
  int grey = 0, dark = 0;
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 60; ++x) {
      grey += uitest::rgbaAt(*empty.value(), x, y).red < 200;
      dark += uitest::rgbaAt(*filled.value(), x, y).red < 60;
    }
  }
  EXPECT_GT(grey, 10);
  EXPECT_GT(dark, 10);
}

}  // namespace
