#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/PickerView.h"
#include "src/playback/timer/SleepTimingPickerRowView.h"
#include "src/services/shell/BaseViewController.h"

namespace playback {

// The screen on which the listener picks 15, 30, 60 or 90 minutes and starts or stops the sleep
// timer; presented modally. One instance for the run. Main thread only.
class SleepTimingViewController : public services::BaseViewController,
                                  public ui::PickerViewDataSource,
                                  public ui::PickerViewDelegate {
 public:
  ~SleepTimingViewController() override;

  // Main thread. The one screen.
  static const std::shared_ptr<SleepTimingViewController>& share();

  void loadView() override;
  void viewDidLoad() override;

  // Main thread. The timing button's action: stops a running countdown, else starts one with the
  // chosen duration and closes the screen.
  void handleStartTiminButtonEvent();
  // Main thread. The dismiss button's action.
  void closeSelf();
  void leftBarButtonItemClicked();

  int numberOfComponents(ui::PickerView& picker) override;
  int numberOfRows(ui::PickerView& picker, int component) override;
  std::shared_ptr<ui::View> viewForRow(ui::PickerView& picker, int row, int component,
                                       std::shared_ptr<ui::View> reusing) override;
  void didSelectRow(ui::PickerView& picker, int row, int component) override;

  bool isStartTiming() const { return isStartTiming_; }
  void setIsStartTiming(bool isStartTiming) { isStartTiming_ = isStartTiming; }
  std::int64_t selectRow() const { return selectRow_; }
  const std::shared_ptr<ui::View>& pickerContentView() const { return pickerContentView_; }
  const std::shared_ptr<ui::Button>& timingButton() const { return timingButton_; }
  const std::shared_ptr<ui::Button>& dismissButton() const { return dismissButton_; }
  const std::shared_ptr<ui::Label>& minuteLabel() const { return minuteLabel_; }
  const std::shared_ptr<ui::Label>& secondLabel() const { return secondLabel_; }
  const std::shared_ptr<ui::View>& timingView() const { return timingView_; }
  const std::shared_ptr<ui::PickerView>& timingPickerView() const { return timingPickerView_; }

  // Main thread; tests only. Forgets the instance and its observers.
  static void resetForTesting();

 private:
  SleepTimingViewController();
  void startTiming();
  void stopTiming();
  void timingDone();
  void updateSleepTiming(const foundation::Notification& notification);
  void showPicker(bool shown);
  void styleViews();
  void placeForSystemVersion();
  void addMinuteUnitLabel();

  std::int64_t selectRow_ = 0;
  bool isStartTiming_ = false;
  std::shared_ptr<ui::View> pickerContentView_;
  std::shared_ptr<ui::Button> timingButton_;
  std::shared_ptr<ui::Button> dismissButton_;
  std::shared_ptr<ui::ImageView> titleicon_;
  std::shared_ptr<ui::Label> minuteLabel_;
  std::shared_ptr<ui::Label> secondLabel_;
  std::shared_ptr<ui::View> timingView_;
  std::shared_ptr<ui::PickerView> timingPickerView_;
  const std::vector<std::string> timingData_{"15", "30", "60", "90"};
  // One second short of the minutes: the countdown ends one tick after it shows 00 : 00.
  const std::vector<std::string> dataWithSecond_{"899", "1799", "3599", "5399"};
};

}  // namespace playback
