#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/View.h"

namespace ui {

class PanGestureRecognizer;
class PickerView;

// Supplies a picker's wheels and rows. Main thread.
class PickerViewDataSource {
 public:
  virtual ~PickerViewDataSource() = default;
  virtual int numberOfComponents(PickerView& picker) = 0;
  virtual int numberOfRows(PickerView& picker, int component) = 0;
};

// Shapes the rows and hears about choices; every method is optional. A row shows the delegate's
// view, else its title. Main thread.
class PickerViewDelegate {
 public:
  virtual ~PickerViewDelegate() = default;
  // `reusing` is a row view that went out of sight, or nullptr.
  virtual std::shared_ptr<View> viewForRow(PickerView& /*picker*/, int /*row*/, int /*component*/,
                                           std::shared_ptr<View> /*reusing*/) {
    return nullptr;
  }
  virtual std::optional<std::string> titleForRow(PickerView& /*picker*/, int /*row*/, int /*component*/) {
    return std::nullopt;
  }
  virtual void didSelectRow(PickerView& /*picker*/, int /*row*/, int /*component*/) {}
};

// Side-by-side wheels of rows; the chosen row of each wheel sits in the middle band. A tap on a
// row or a drag of a wheel chooses a row and tells the delegate. Main thread only.
class PickerView : public View {
 public:
  static constexpr double kRowHeight = 32;

  // Main thread. 320 x 216 unless given a frame.
  explicit PickerView(const Rect& frame = {0, 0, 320, 216});
  ~PickerView() override;

  // Main thread. Unretained; asked at the next layout.
  void setDataSource(PickerViewDataSource* dataSource);
  void setDelegate(PickerViewDelegate* delegate);

  // Main thread.
  int numberOfComponents() const { return static_cast<int>(components_.size()); }
  int numberOfRows(int component) const;
  // Main thread. Chooses a row without telling the delegate; out-of-range rows are ignored.
  void selectRow(int row, int component, bool animated = false);
  // Main thread. The chosen row, -1 for an unknown wheel or one without rows.
  int selectedRow(int component) const;
  void reloadAllComponents();
  // Main thread. The view showing the row now, when it is in sight.
  std::shared_ptr<View> viewForRow(int row, int component) const;

  void layoutSubviews() override;
  void touchesEnded(const Touch& touch) override;

 private:
  struct Component {
    int rows = 0;
    int selected = 0;
    std::map<int, std::shared_ptr<View>> shown;
    std::vector<std::shared_ptr<View>> spare;
  };
  void reloadIfNeeded();
  void layoutComponent(int index);
  std::shared_ptr<View> makeRowView(int row, int component);
  void choose(int row, int component);
  void handlePan();
  double componentWidth() const;

  PickerViewDataSource* dataSource_ = nullptr;
  PickerViewDelegate* delegate_ = nullptr;
  std::vector<Component> components_;
  bool needsReload_ = true;
  std::shared_ptr<PanGestureRecognizer> pan_;
  int panComponent_ = 0;
  int panStartRow_ = 0;
};

}  // namespace ui
