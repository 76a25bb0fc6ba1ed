#include "src/playback/timer/SleepTimingViewController.h"

#include <cstdio>

#include "platform/foundation/NoDestructor.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Screen.h"
#include "src/playback/timer/SleepTimer.h"

namespace playback {
namespace {

constexpr double kTallScreenHeight = 568;
constexpr double kFirstFlatSystem = 7.0;
constexpr ui::Color kBackground = ui::Color::rgb255(20, 30, 50);
constexpr ui::Color kButtonBlue = ui::Color::rgb255(65, 125, 240);
constexpr ui::Color kButtonFill = ui::Color::rgb255(23, 49, 85);
constexpr const char* kStartTitle = "开始计时";
constexpr const char* kStopTitle = "停止计时";
constexpr const char* kZero = "00";

std::shared_ptr<SleepTimingViewController>& sharedInstance() {
  static foundation::NoDestructor<std::shared_ptr<SleepTimingViewController>> instance;
  return *instance;
}

bool isFlatSystem() { return ui::Screen::main().systemVersionNumber() >= kFirstFlatSystem; }
bool isTallScreen() { return ui::Screen::main().bounds().height() == kTallScreenHeight; }

// Minutes as "%d" above 9 else "0%d"; seconds as "0%d" below 10 else "%d".
std::string minuteText(long long minutes) {
  char text[24];
  std::snprintf(text, sizeof text, minutes > 9 ? "%lld" : "0%lld", minutes);
  return text;
}
std::string secondText(long long seconds) {
  char text[24];
  std::snprintf(text, sizeof text, seconds < 10 ? "0%lld" : "%lld", seconds);
  return text;
}

std::shared_ptr<ui::Label> bigNumber(const ui::Rect& frame, const std::string& text) {
  auto label = std::make_shared<ui::Label>(frame);
  label->setText(text);
  label->setFont(ui::Font::systemFont(64));
  label->setTextColor(ui::Color::white());
  label->setTextAlignment(ui::TextAlignment::Center);
  return label;
}

}  // namespace

SleepTimingViewController::SleepTimingViewController() = default;

SleepTimingViewController::~SleepTimingViewController() {
  foundation::NotificationCenter::defaultCenter().removeObserver(this);
}

const std::shared_ptr<SleepTimingViewController>& SleepTimingViewController::share() {
  auto& instance = sharedInstance();
  if (instance) return instance;
  instance.reset(new SleepTimingViewController());
  auto& center = foundation::NotificationCenter::defaultCenter();
  SleepTimingViewController* screen = instance.get();
  center.addObserver(screen, kTimerProgressNotification,
                     [screen](const foundation::Notification& note) { screen->updateSleepTiming(note); });
  center.addObserver(screen, kTimerDoneNotification,
                     [screen](const foundation::Notification&) { screen->timingDone(); });
  return instance;
}

void SleepTimingViewController::resetForTesting() { sharedInstance().reset(); }

void SleepTimingViewController::loadView() {
  // The layout of the screen's interface file, for a 568-point screen.
  auto root = std::make_shared<ui::View>(ui::Screen::main().bounds());
  dismissButton_ = std::make_shared<ui::Button>(ui::Rect{20, 34, 15, 27});
  dismissButton_->setTitle("×");
  dismissButton_->addAction(ui::kTouchUpInside, [this](ui::Control&) { closeSelf(); });
  titleicon_ = std::make_shared<ui::ImageView>(ui::Rect{147, 34, 25, 27});
  timingButton_ = std::make_shared<ui::Button>(ui::Rect{10, 80, 300, 40});
  timingButton_->setTitle(kStartTitle);
  timingButton_->addAction(ui::kTouchUpInside, [this](ui::Control&) { handleStartTiminButtonEvent(); });
  timingView_ = std::make_shared<ui::View>(ui::Rect{0, 200, 320, 216});
  minuteLabel_ = bigNumber({40, 60, 100, 80}, kZero);
  secondLabel_ = bigNumber({180, 60, 100, 80}, kZero);
  timingView_->addSubview(minuteLabel_);
  timingView_->addSubview(bigNumber({140, 56, 40, 80}, ":"));
  timingView_->addSubview(secondLabel_);
  timingView_->setHidden(true);
  pickerContentView_ = std::make_shared<ui::View>(ui::Rect{0, 200, 320, 216});
  timingPickerView_ = std::make_shared<ui::PickerView>(ui::Rect{0, 0, 320, 216});
  pickerContentView_->addSubview(timingPickerView_);
  for (const auto& view : std::initializer_list<std::shared_ptr<ui::View>>{dismissButton_, titleicon_, timingButton_,
                                                                           timingView_, pickerContentView_})
    root->addSubview(view);
  setView(root);
}

void SleepTimingViewController::viewDidLoad() {
  BaseViewController::viewDidLoad();
  timingPickerView_->setDataSource(this);
  timingPickerView_->setDelegate(this);
  styleViews();
  placeForSystemVersion();
  selectRow_ = 0;
  timingPickerView_->selectRow(0, 0, false);
  addMinuteUnitLabel();
}

void SleepTimingViewController::styleViews() {
  view()->setBackgroundColor(kBackground);
  timingButton_->layer().setBorderColor(kButtonBlue);
  timingButton_->layer().setBorderWidth(0.4);
  timingButton_->layer().setCornerRadius(5.0);
  timingButton_->setBackgroundColor(kButtonFill);
  timingButton_->setClipsToBounds(true);
  timingButton_->setTitleColor(kButtonBlue);
  dismissButton_->setFrame({20, 34, 15, 27});
  dismissButton_->setImageEdgeInsets({0, 0, 10, 10});
}

void SleepTimingViewController::placeForSystemVersion() {
  if (isFlatSystem()) {
    if (!isTallScreen()) pickerContentView_->setFrame({0, 140, 320, 216});
    return;
  }
  dismissButton_->setFrame({20, 14, 15, 27});
  titleicon_->setFrame({147, 14, 25, 27});
  timingButton_->setFrame({10, 60, 300, 40});
  pickerContentView_->setFrame(isTallScreen() ? ui::Rect{0, 332, 320, 216} : ui::Rect{0, 244, 320, 216});
}

void SleepTimingViewController::addMinuteUnitLabel() {
  const double pickerHeight = timingPickerView_->frame().height();
  auto unit = std::make_shared<ui::Label>(ui::Rect{180, pickerHeight / 2 - 22, 100, 44});
  unit->setBackgroundColor(ui::Color::clear());
  unit->setFont(ui::Font::systemFont(12));
  unit->setText("分钟");
  unit->setTextColor(isFlatSystem() ? ui::Color::white() : ui::Color::black());
  timingPickerView_->addSubview(unit);
}

void SleepTimingViewController::handleStartTiminButtonEvent() {
  if (isStartTiming_) {
    stopTiming();
  } else {
    startTiming();
  }
  isStartTiming_ = !isStartTiming_;
}

void SleepTimingViewController::closeSelf() { dismissViewController(true); }

void SleepTimingViewController::leftBarButtonItemClicked() {
  if (auto* navigation = navigationController()) navigation->popViewController(true);
}

void SleepTimingViewController::showPicker(bool shown) {
  pickerContentView_->setHidden(!shown);
  timingView_->setHidden(shown);
}

void SleepTimingViewController::startTiming() {
  showPicker(false);
  const std::int64_t seconds = foundation::Value(dataWithSecond_[static_cast<std::size_t>(selectRow_)]).toInt64();
  timingButton_->setTitle(kStopTitle);
  SleepTimer::shareSleepTimer().startWithSecond(seconds);
  dismissViewController(true);
}

void SleepTimingViewController::stopTiming() {
  showPicker(true);
  minuteLabel_->setText(kZero);
  secondLabel_->setText(kZero);
  timingButton_->setTitle(kStartTitle);
  SleepTimer::shareSleepTimer().stop();
}

void SleepTimingViewController::timingDone() {
  if (!isViewLoaded()) return;
  minuteLabel_->setText(kZero);
  secondLabel_->setText(kZero);
  showPicker(true);
  timingButton_->setTitle(kStartTitle);
  isStartTiming_ = false;
}

void SleepTimingViewController::updateSleepTiming(const foundation::Notification& notification) {
  if (!isViewLoaded()) return;
  minuteLabel_->setText(minuteText(notification.userInfo["minute"].toInt64()));
  secondLabel_->setText(secondText(notification.userInfo["second"].toInt64()));
}

int SleepTimingViewController::numberOfComponents(ui::PickerView& /*picker*/) { return 1; }

int SleepTimingViewController::numberOfRows(ui::PickerView& /*picker*/, int /*component*/) {
  return static_cast<int>(timingData_.size());
}

std::shared_ptr<ui::View> SleepTimingViewController::viewForRow(ui::PickerView& /*picker*/, int row, int /*component*/,
                                                                std::shared_ptr<ui::View> reusing) {
  auto rowView = std::dynamic_pointer_cast<SleepTimingPickerRowView>(reusing);
  if (!rowView) rowView = SleepTimingPickerRowView::loadRow();
  if (!rowView) return nullptr;
  rowView->timingLabel()->setText(timingData_.at(static_cast<std::size_t>(row)));
  if (!isFlatSystem()) rowView->timingLabel()->setTextColor(ui::Color::black());
  return rowView;
}

void SleepTimingViewController::didSelectRow(ui::PickerView& /*picker*/, int row, int /*component*/) {
  if (row >= 0 && row < static_cast<int>(dataWithSecond_.size())) selectRow_ = row;
}

}  // namespace playback
