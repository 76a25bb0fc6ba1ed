#pragma once

#include <memory>
#include <string>

#include "platform/ui/Control.h"
#include "platform/ui/Font.h"

namespace ui {

enum class TextBorderStyle { None = 0, Line = 1, Bezel = 2, RoundedRect = 3 };
// When an overlay view (the clear button, the left view) shows.
enum class TextFieldViewMode { Never = 0, WhileEditing = 1, UnlessEditing = 2, Always = 3 };
enum class KeyboardType {
  Default = 0,
  ASCIICapable = 1,
  NumbersAndPunctuation = 2,
  URL = 3,
  NumberPad = 4,
  PhonePad = 5,
  NamePhonePad = 6,
  EmailAddress = 7
};
enum class ReturnKeyType { Default = 0, Go = 1, Next = 4, Search = 6, Send = 7, Done = 9 };
enum class TextAutocorrectionType { Default = 0, No = 1, Yes = 2 };
enum class TextAutocapitalizationType { None = 0, Words = 1, Sentences = 2, AllCharacters = 3 };

// One line of editable text with a grey placeholder while empty. Secure entry draws each
// character as a dot. A tap starts editing: the field becomes the one first responder and the
// on-screen keyboard comes up; the keyboard's keys arrive through insertText and deleteBackward.
// Main thread only.
class TextField : public Control {
 public:
  // Main thread.
  explicit TextField(const Rect& frame = {});
  ~TextField() override;

  // Main thread. Content.
  const std::string& text() const { return text_; }
  void setText(std::string text);
  const std::string& placeholder() const { return placeholder_; }
  void setPlaceholder(std::string placeholder);
  const Font& font() const { return font_; }
  void setFont(const Font& font);
  Color textColor() const { return textColor_; }
  void setTextColor(Color color);
  TextBorderStyle borderStyle() const { return borderStyle_; }
  void setBorderStyle(TextBorderStyle style);
  bool isSecureTextEntry() const { return secure_; }
  void setSecureTextEntry(bool secure);
  // Main thread. What is drawn for the text: the text, or a dot per character in secure entry.
  std::string displayedText() const;

  // Main thread. Overlay views.
  TextFieldViewMode clearButtonMode() const { return clearButtonMode_; }
  void setClearButtonMode(TextFieldViewMode mode);
  const std::shared_ptr<View>& leftView() const { return leftView_; }
  void setLeftView(std::shared_ptr<View> view);
  TextFieldViewMode leftViewMode() const { return leftViewMode_; }
  void setLeftViewMode(TextFieldViewMode mode);

  // Main thread. How the keyboard behaves for this field.
  KeyboardType keyboardType() const { return keyboardType_; }
  void setKeyboardType(KeyboardType type) { keyboardType_ = type; }
  ReturnKeyType returnKeyType() const { return returnKeyType_; }
  void setReturnKeyType(ReturnKeyType type) { returnKeyType_ = type; }
  TextAutocorrectionType autocorrectionType() const { return autocorrectionType_; }
  void setAutocorrectionType(TextAutocorrectionType type) { autocorrectionType_ = type; }
  TextAutocapitalizationType autocapitalizationType() const { return autocapitalizationType_; }
  void setAutocapitalizationType(TextAutocapitalizationType type) { autocapitalizationType_ = type; }

  // Main thread. Editing: one field at a time is the first responder; the keyboard shows while
  // one is. False when the field is in no window.
  bool becomeFirstResponder();
  void resignFirstResponder();
  bool isEditing() const { return editing_; }
  // Main thread. Keys typed while editing; ignored otherwise.
  void insertText(const std::string& text);
  void deleteBackward();

  void touchesEnded(const Touch& touch) override;
  void layoutSubviews() override;
  void draw(GraphicsContext& context, const Rect& rect) override;

 private:
  bool shows(TextFieldViewMode mode) const;
  bool showsClearButton() const;
  Rect textRect() const;
  Rect clearButtonRect() const;
  void drawBorder(GraphicsContext& context, const Rect& rect) const;
  void drawClearButton(GraphicsContext& context) const;

  std::string text_;
  std::string placeholder_;
  Font font_ = Font::systemFont(17);
  Color textColor_ = Color::black();
  TextBorderStyle borderStyle_ = TextBorderStyle::None;
  bool secure_ = false;
  TextFieldViewMode clearButtonMode_ = TextFieldViewMode::Never;
  std::shared_ptr<View> leftView_;
  TextFieldViewMode leftViewMode_ = TextFieldViewMode::Never;
  KeyboardType keyboardType_ = KeyboardType::Default;
  ReturnKeyType returnKeyType_ = ReturnKeyType::Default;
  TextAutocorrectionType autocorrectionType_ = TextAutocorrectionType::Default;
  TextAutocapitalizationType autocapitalizationType_ = TextAutocapitalizationType::Sentences;
  bool editing_ = false;
};

}  // namespace ui
