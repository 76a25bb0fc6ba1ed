#include "src/playback/offlinescreens/OfflineViewController.h"

#include <algorithm>

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Value.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"
#include "src/framework/cache/DataCacheManager.h"
#include "src/framework/categories/ButtonAdditions.h"
#include "src/framework/network/Reachability.h"
#include "src/playback/offline/DBManager.h"
#include "src/playback/offline/DownloadManager.h"
#include "src/playback/offlinescreens/OfflineViewCell.h"
#include "src/playback/player/AudioPlayerView.h"

namespace playback {

namespace {

constexpr const char* kPlainCellIdentifier = "OfflineViewCell";
constexpr const char* kWiFiOnlyNotice = "当前仅支持WIFI离线(点击修改设置)";
constexpr const char* kMobileDownloadQuestion =
    "真的要在非WIFI条件下载歌曲吗?\r\n它可能消耗您的4G/3G/GPRS流量\r\n(可以在设置中修改回来)";

DownloadManager& downloads() { return DownloadManager::sharedManager(); }

}  // namespace

OfflineViewController::~OfflineViewController() {
  foundation::NotificationCenter::defaultCenter().removeObserver(this);
  if (secondLoad_) secondLoad_->invalidate();
}

void OfflineViewController::loadView() {
  BaseViewController::loadView();
  const ui::Rect bounds = view()->bounds();
  mainTableView_ = std::make_shared<ui::TableView>(bounds);
  mainTableView_->setDataSource(this);
  mainTableView_->setTableDelegate(this);
  noDownloadView_ = std::make_shared<ui::View>(bounds);
  auto empty = std::make_shared<ui::Label>(ui::Rect{0, bounds.height() / 2 - 40, bounds.width(), 20});
  empty->setText("还没有离线节目");
  empty->setTextColor(ui::Color::white(0.55));
  empty->setFont(ui::Font::systemFont(15));
  empty->setTextAlignment(ui::TextAlignment::Center);
  noDownloadView_->addSubview(empty);
  noDownloadView_->setHidden(true);
  view()->addSubview(mainTableView_);
  view()->addSubview(noDownloadView_);
}

void OfflineViewController::viewDidLoad() {
  BaseViewController::viewDidLoad();
  setTitle("离线节目");
  setLeftBarButtonItemTitle("", [this] { leftBarButtonItemClicked(); }, "nav_back.png", std::nullopt, {0, 0, 30, 30});
  observeDownloads();
  setRightBarButtonItemTitle("", [this] { pauseButtonSelected(); }, "zuno.png", std::nullopt, {0, 0, 60, 30});
  configDownloadButtonTitleForState(downloads().isDownloading());
  mainTableView_->setTableHeaderView(playAllHeader());
  requestData();
  // Once more a moment later: a sync started with the screen may have added rows meanwhile.
  std::weak_ptr<ViewController> weak = weak_from_this();
  secondLoad_ = foundation::RunLoop::main().scheduleTimer(foundation::Duration(0.1), false, [weak] {
    if (auto self = std::static_pointer_cast<OfflineViewController>(weak.lock())) self->requestData();
  });
}

void OfflineViewController::viewDidUnload() {
  foundation::NotificationCenter::defaultCenter().removeObserver(this);
  mainTableView_.reset();
  noDownloadView_.reset();
}

void OfflineViewController::observeDownloads() {
  auto& center = foundation::NotificationCenter::defaultCenter();
  auto reload = [this](const foundation::Notification&) { requestData(); };
  auto reloadRows = [this](const foundation::Notification&) { reloadFirstRows(); };
  center.addObserver(this, DownloadManager::kNewSynclist, reload);
  center.addObserver(this, DownloadManager::kProgramIsStartDownload, reloadRows);
  center.addObserver(this, DownloadManager::kProgramIsDownloaded,
                     [this](const foundation::Notification& note) { handleProgramIsDownloaded(note); });
  center.addObserver(this, DownloadManager::kProgramPauseDownload, reloadRows);
  center.addObserver(this, DownloadManager::kProgramCancelDownload, reload);
  center.addObserver(this, DownloadManager::kSongIsDownloaded,
                     [this](const foundation::Notification& note) { handleSongDownloadOk(note); });
  center.addObserver(this, "userLogoutEvent", reload);
  center.addObserver(this, framework::kReachabilityChangedNotification, reload);
}

std::shared_ptr<ui::View> OfflineViewController::playAllHeader() {
  auto header = std::make_shared<ui::View>(ui::Rect{0, 0, 320, 45});
  header->addSubview(framework::button_additions::buttonWithFrame(
      {80, 10, 160, 30}, "全部播放", ui::Color::white(0.5), ui::Color::rgb255(0, 122, 255), ui::Font::systemFont(15),
      ui::Image::named("playallfavbg.png"), nullptr, [this](ui::Control&) { playAllFavButton(); }, -1));
  return header;
}

std::shared_ptr<ui::Button> OfflineViewController::pauseButton() const {
  const auto& item = const_cast<OfflineViewController*>(this)->navigationItem().rightBarButtonItem;
  return item ? std::dynamic_pointer_cast<ui::Button>(item->customView()) : nullptr;
}

ui::Button* OfflineViewController::playAllButton() const {
  const auto& header = mainTableView_ ? mainTableView_->tableHeaderView() : nullptr;
  return header ? dynamic_cast<ui::Button*>(header->viewWithTag(-1)) : nullptr;
}

void OfflineViewController::requestData() {
  if (!mainTableView_) return;
  std::vector<DownloadDataModelPtr> rows = DBManager::sharedManager().fetchProgramByStatus(-1);
  sourceArray_.clear();
  for (const auto& row : rows)
    if (row->status() == 0) sourceArray_.push_back(row);
  for (auto row = rows.rbegin(); row != rows.rend(); ++row)
    if ((*row)->status() == 1) sourceArray_.push_back(*row);
  noDownloadView_->setHidden(!sourceArray_.empty());
  mainTableView_->setHidden(sourceArray_.empty());
  mainTableView_->reloadData();
}

void OfflineViewController::configDownloadButtonTitleForState(bool downloading) {
  if (auto button = pauseButton()) button->setTitle(downloading ? "暂停离线" : "开始离线");
}

void OfflineViewController::pauseButtonSelected() {
  isPause_ = downloads().isDownloadPause();
  // The title and the action both follow the stored flag, so the button always offers the opposite
  // of what the manager is doing.
  if (isPause_) {
    downloads().setDownlodPause(false);
    configDownloadButtonTitleForState(true);
    downloads().continueDownload();
  } else {
    downloads().setDownlodPause(true);
    configDownloadButtonTitleForState(false);
    downloads().pauseDownload();
  }
}

void OfflineViewController::leftBarButtonItemClicked() {
  if (fromType_ == kFromNavigationStack && navigationController()) {
    navigationController()->popViewController(true);
  } else {
    backToSideBar();
  }
}

void OfflineViewController::changeDownloadSetting() {
  settingAlert_ = std::make_shared<ui::AlertView>(kMobileDownloadQuestion, std::nullopt, this, "点错剁手",
                                                  std::vector<std::string>{"流量小意思"});
  settingAlert_->show();
}

void OfflineViewController::clickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) {
  if (&alert != settingAlert_.get() || buttonIndex != 1) return;
  // A setting that cannot be written keeps Wi-Fi only; the notice row then stays.
  (void)framework::DataCacheManager::sharedManager().addObject(std::string("0"),
                                                               framework::kUserSettingDownloadOfflineWifiOnlyCacheKey);
  downloads().continueDownload();
  requestData();
}

void OfflineViewController::reloadFirstRows() {
  if (sourceArray_.empty() || !mainTableView_) return;
  mainTableView_->reloadRows({{0, 0}, {0, 1}});
}

std::vector<DownloadDataModelPtr>::iterator OfflineViewController::entryOf(
    const foundation::Notification& notification) {
  const std::int64_t programId = notification.userInfo["ProgramId"].toInt64();
  return std::find_if(sourceArray_.begin(), sourceArray_.end(),
                      [programId](const auto& row) { return row->programId() == programId; });
}

void OfflineViewController::handleProgramIsDownloaded(const foundation::Notification& notification) {
  // The completed programme is found by id: after a pause and a resume it need not be the first.
  if (entryOf(notification) == sourceArray_.end()) return;
  requestData();
  configDownloadButtonTitleForState(!downloads().isDownloadPause());
}

void OfflineViewController::handleSongDownloadOk(const foundation::Notification& notification) {
  if (sourceArray_.empty()) return;
  // The row of the programme the song belongs to is patched, wherever it stands in the list.
  auto entry = entryOf(notification);
  if (entry != sourceArray_.end()) {
    if (DownloadDataModelPtr fresh = DBManager::sharedManager().getDownloadInfoById((*entry)->programId()))
      *entry = fresh;
    const int row = static_cast<int>(entry - sourceArray_.begin()) + 1;
    mainTableView_->reloadRows({{0, 0}, {0, row}});
  } else {
    reloadFirstRows();
  }
  configDownloadButtonTitleForState(downloads().isDownloading());
}

void OfflineViewController::playAllFavButton() {
  const auto player = AudioPlayerView::sharedAudioPlayer();
  std::vector<api::ProgramModelPtr>& queue = player->prePlayPrograms();
  queue.clear();
  std::vector<api::ProgramModelPtr> recommended;
  std::vector<api::ProgramModelPtr> others;
  for (const auto& entry : sourceArray_) {
    if (const api::ProgramModelPtr& programme = entry->program())
      (programme->recommend() != "0" ? recommended : others).push_back(programme);
  }
  std::shuffle(recommended.begin(), recommended.end(), random_);
  std::shuffle(others.begin(), others.end(), random_);
  queue.insert(queue.end(), recommended.begin(), recommended.end());
  queue.insert(queue.end(), others.begin(), others.end());
  if (sourceArray_.empty() || queue.empty()) return;
  const api::ProgramModelPtr first = queue.front();
  player->playProgram(first->programId().value_or(""), std::nullopt);
  queue.erase(queue.begin());
}

int OfflineViewController::numberOfRows(ui::TableView&, int) { return static_cast<int>(sourceArray_.size()) + 2; }

std::optional<double> OfflineViewController::heightForRow(ui::TableView&, const ui::IndexPath& indexPath) {
  if (indexPath.row == 0) return downloads().isNetStatusAllowDownloading() ? 0 : kNoticeRowHeight;
  return OfflineViewCell::kRowHeight;
}

bool OfflineViewController::canEditRow(ui::TableView&, const ui::IndexPath&) { return false; }

std::shared_ptr<ui::TableViewCell> OfflineViewController::cellForRow(ui::TableView& table,
                                                                     const ui::IndexPath& indexPath) {
  const int entry = indexPath.row - 1;
  if (indexPath.row == 0) return noticeCell(table);
  if (entry < static_cast<int>(sourceArray_.size())) {
    if (auto cell = OfflineViewCell::initWithProgramDownloadData(*sourceArray_[entry])) return cell;
  }
  auto cell = table.dequeueReusableCell(kPlainCellIdentifier);
  if (!cell) cell = std::make_shared<ui::TableViewCell>(kPlainCellIdentifier);
  cell->setSelectionStyle(ui::TableViewCell::SelectionStyle::None);
  return cell;
}

std::shared_ptr<ui::TableViewCell> OfflineViewController::noticeCell(ui::TableView&) {
  auto cell = std::make_shared<ui::TableViewCell>(kPlainCellIdentifier);
  cell->setSelectionStyle(ui::TableViewCell::SelectionStyle::None);
  if (downloads().isNetStatusAllowDownloading()) return cell;
  auto notice = std::make_shared<ui::Label>(ui::Rect{0, 6, 320, 20});
  notice->setBackgroundColor(ui::Color::clear());
  notice->setTextColor(ui::Color::white(0.5));
  notice->setFont(ui::Font::systemFont(14));
  notice->setTextAlignment(ui::TextAlignment::Center);
  notice->setText(kWiFiOnlyNotice);
  notice->setUserInteractionEnabled(true);
  notice->addGestureRecognizer(
      std::make_shared<ui::TapGestureRecognizer>([this](ui::GestureRecognizer&) { changeDownloadSetting(); }));
  cell->contentView().addSubview(notice);
  return cell;
}

}  // namespace playback
