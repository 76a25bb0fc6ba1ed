#pragma once

#include <memory>
#include <string>

#include "platform/ui/View.h"

namespace ui {

// One row of a table. Its content goes into contentView, which fills the cell. Main thread only.
class TableViewCell : public View {
 public:
  enum class SelectionStyle { None, Blue, Gray, Default };

  // Main thread. Cells with a reuse identifier are kept for reuse when they scroll away.
  explicit TableViewCell(std::string reuseIdentifier = "", const Rect& frame = {0, 0, 320, 44});

  const std::string& reuseIdentifier() const { return reuseIdentifier_; }
  void setReuseIdentifier(std::string identifier) { reuseIdentifier_ = std::move(identifier); }
  View& contentView() { return *contentView_; }
  const std::shared_ptr<View>& contentViewPtr() const { return contentView_; }
  SelectionStyle selectionStyle() const { return selectionStyle_; }
  void setSelectionStyle(SelectionStyle style) { selectionStyle_ = style; }

  // Main thread.
  bool isSelected() const { return selected_; }
  virtual void setSelected(bool selected, bool animated);
  // Main thread. Called before the table hands the cell out again.
  virtual void prepareForReuse() {}

  void layoutSubviews() override;
  void draw(GraphicsContext& context, const Rect& rect) override;
  DrawnContent drawnContent() const override;

 private:
  std::string reuseIdentifier_;
  std::shared_ptr<View> contentView_;
  SelectionStyle selectionStyle_ = SelectionStyle::Default;
  bool selected_ = false;
};

}  // namespace ui
