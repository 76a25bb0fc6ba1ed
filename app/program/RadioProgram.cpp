#include "app/program/RadioProgram.h"

#include <arpa/inet.h>

#include <utility>

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Url.h"
#include "platform/media/AudioBackend.h"
#include "platform/media/MprisPublisher.h"
#include "src/api/models/RadioModel.h"
#include "src/api/models/UserModel.h"
#include "src/api/requests/ApiRequests.h"
#include "src/framework/cache/DataCacheManager.h"
#include "src/framework/request/QRVDataRequestManager.h"
#include "src/playback/managers/PlayApiManager.h"
#include "src/playback/offline/DBManager.h"
#include "src/playback/offline/DownloadManager.h"
#include "src/playback/timer/SleepTimer.h"
#include "src/services/shell/AppDelegate.h"

namespace zunoradio {

struct CallOutcome {
  bool ended = false;
  std::string problem;  // why the call failed; empty when it was answered
  foundation::Dictionary result;
};

namespace {

constexpr foundation::Duration kServerWait{15};
constexpr const char* kUserLoginEvent = "userLoginEvent";

std::string errorSentence(const foundation::ErrorPtr& error) {
  return error ? sentenceEnd(error->description()) : std::string("no answer came");
}

std::string minutesAndSeconds(std::int64_t minute, std::int64_t second) {
  char text[32];
  std::snprintf(text, sizeof text, "%02lld:%02lld", static_cast<long long>(minute), static_cast<long long>(second));
  return text;
}

// The sleep timer's seconds for a choice of minutes, as the sleep-timing screen hands them over.
std::optional<std::int64_t> sleepSeconds(const std::string& minutes) {
  if (minutes == "15") return 899;
  if (minutes == "30") return 1799;
  if (minutes == "60") return 3599;
  if (minutes == "90") return 5399;
  return std::nullopt;
}

// Sends a request; its outcome is shared with the callbacks, which may come after any wait.
template <class Request>
std::shared_ptr<CallOutcome> send(foundation::Dictionary parameters) {
  auto outcome = std::make_shared<CallOutcome>();
  Request::requestWithParameters(std::move(parameters),
                                 {.onRequestFinished =
                                      [outcome](framework::QRVBaseDataRequest& request) {
                                        outcome->ended = true;
                                        outcome->result = request.resultDic();
                                      },
                                  .onRequestFailed =
                                      [outcome](framework::QRVBaseDataRequest&, const foundation::ErrorPtr& error) {
                                        outcome->ended = true;
                                        outcome->problem = errorSentence(error);
                                      }});
  return outcome;
}

}  // namespace

// Runs the main loop until the request is answered, has waited long enough or the listener quit.
CallOutcome RadioProgram::waitFor(const std::shared_ptr<CallOutcome>& outcome) {
  foundation::RunLoop::main().runUntil([&] { return outcome->ended || quitAsked_; }, kServerWait);
  CallOutcome result = *outcome;
  if (!result.ended) result.problem = "it did not answer within 15 seconds";
  return result;
}

RadioProgram::RadioProgram(ProgramOptions options, Console& console)
    : options_(std::move(options)), console_(console) {}

RadioProgram::~RadioProgram() {
  foundation::NotificationCenter::defaultCenter().removeObserver(this);
  media::MprisPublisher::stop();
}

void RadioProgram::fail(const std::string& sentence) {
  console_.error(sentence);
  finished_ = true;
}

// The start-up of the shell, in its order, as far as the player needs it: the programme of a
// launching notification, the reachability notifier, the offline database, the window with the
// main pane, whose first load builds the player panel; then one press of play.
bool RadioProgram::start() {
  if (!chooseServer()) return false;
  // The sound backend gets ready while the station's first replies are on their way.
  media::AudioBackend::prepare();
  auto& delegate = services::AppDelegate::sharedDelegate();
  delegate.setInitProgramId(options_.programId);
  startReachability(api::BaseDataRequest::apiBaseUrl());
  // Remote commands from the desktop reach the player like the phone's lock-screen ones.
  media::MprisPublisher::start("zunoradio");
  // The station's channels are on their way while the offline database opens.
  const std::shared_ptr<CallOutcome> channels = options_.offline ? nullptr : send<api::ListAllChannelsRequest>({});
  playback::DBManager::sharedManager().initDBAndTable();
  // Started with the shell, so that it hears the login below and takes up a download that an
  // earlier run left unfinished.
  playback::DownloadManager::sharedManager();
  if (options_.offline) {
    delegate.setIsOffline(true);
    console_.line("ZunoRadio offline, with " + serverDescription_ + " for what is not stored.");
  } else if (const CallOutcome answer = waitFor(channels); quitAsked_ || !showStation(answer)) {
    return false;
  }
  storedProgrammeWatch_ = std::make_unique<StoredProgrammeWatch>(console_, [this] { finished_ = true; });
  if (options_.loginEmail && !logIn()) return false;
  observeSleepTimer();
  playerWatch_ = std::make_unique<PlayerWatch>(console_, options_.songs, [this] { finished_ = true; });
  panelKeys_ = std::make_unique<PanelKeys>(console_, options_.snapshotFolder);
  offlineKeys_ = std::make_unique<OfflineKeys>(console_, options_.snapshotFolder);
  // A channel or programme asked for replaces what is on air before anything of it plays.
  if (!playerWatch_->loadPanel(!options_.channelId, [this] { return quitAsked_; })) {
    if (quitAsked_) return false;
    fail("The player could not load what is on air from " + api::BaseDataRequest::apiBaseUrl() + ".");
    return false;
  }
  if (options_.channelId)
    playerWatch_->playChannel(*options_.channelId);
  else if (!options_.programId)
    playerWatch_->pressPlay();
  started_ = true;
  for (const std::string& line : std::exchange(keysBeforeStart_, {})) handleKey(line);
  return true;
}

bool RadioProgram::chooseServer() {
  if (options_.server) {
    api::BaseDataRequest::setApiBaseUrl(*options_.server);
    serverDescription_ = api::BaseDataRequest::apiBaseUrl();
    return true;
  }
  station_ = std::make_unique<station::SampleStation>(station::SampleStation::builtInMediaDirectory());
  if (foundation::Status started = station_->start(); !started) {
    fail("The sample station could not start: " + errorSentence(started.error()) + ".");
    return false;
  }
  api::BaseDataRequest::setApiBaseUrl(station_->baseUrl());
  serverDescription_ = "the sample station at " + station_->baseUrl();
  return true;
}

// Watches the web host itself, so that a station on this machine counts as reachable even where
// there is no route to the internet.
void RadioProgram::startReachability(const std::string& serverUrl) {
  foundation::Result<foundation::Url> url = foundation::Url::parse(serverUrl);
  const std::string host = url.ok() ? url->host() : std::string();
  sockaddr_in address{};
  address.sin_family = AF_INET;
  if (::inet_pton(AF_INET, host.c_str(), &address.sin_addr) == 1)
    reachability_ = framework::Reachability::reachabilityWithAddress(address);
  else
    reachability_ = framework::Reachability::reachabilityWithHostName(host);
  if (!reachability_) reachability_ = framework::Reachability::reachabilityForInternetConnection();
  reachability_->startNotifier();
  // The notifier speaks only of changes; without this first reading the application would take
  // itself for offline (and keep every play log) until the network next changed.
  foundation::NotificationCenter::defaultCenter().postNotificationName(framework::kReachabilityChangedNotification,
                                                                       reachability_);
}

// The station's radios and channels, as the side menu loads them; false when the server cannot
// be reached or does not answer like the web API.
bool RadioProgram::showStation(const CallOutcome& outcome) {
  std::string problem = outcome.problem;
  const foundation::Dictionary& result = outcome.result;
  const std::string server = api::BaseDataRequest::apiBaseUrl();
  if (problem.empty() && result["err"] != foundation::Value("hapn.ok")) problem = "it does not answer like the web API";
  if (!problem.empty()) {
    fail("Cannot reach the server at " + server + ": " + problem + ".");
    return false;
  }
  console_.line("ZunoRadio on " + serverDescription_);
  if (const foundation::Array* radios = result["radioArray"].getArray()) {
    for (const foundation::Value& value : *radios) {
      auto radio = value.objectAs<api::RadioModel>();
      if (!radio) continue;
      std::string line = radio->radioName().value_or("?") + ":";
      for (const api::ChannelModelPtr& channel : radio->channelsArr())
        line += "  " + channel->channelId().value_or("?") + " " + channel->channelName().value_or("");
      console_.line(line);
    }
  }
  return true;
}

// Logs in through the login request and keeps the user as the login screen does.
bool RadioProgram::logIn() {
  const CallOutcome outcome =
      waitFor(send<api::LoginRequest>({{"email", *options_.loginEmail}, {"passwd", options_.loginPassword}}));
  if (quitAsked_) return false;
  std::string problem = outcome.problem;
  const foundation::Dictionary& result = outcome.result;
  auto user = result["user"].objectAs<api::UserModel>();
  if (problem.empty() && (!user || result["err"] != foundation::Value("hapn.ok"))) {
    const std::string* err = result["err"].getString();
    problem = "the server refused it (" + (err ? *err : std::string("no answer")) + ")";
  }
  if (!problem.empty()) {
    fail("Could not log in as " + *options_.loginEmail + ": " + problem + ".");
    return false;
  }
  if (const std::string* luid = result["luid"].getString()) user->setLuid(*luid);
  (void)framework::DataCacheManager::sharedManager().addObject(user, framework::kUserIsLoginCacheKey);
  foundation::NotificationCenter::defaultCenter().postNotificationName(kUserLoginEvent);
  console_.line("Logged in as " + user->uname().value_or(*options_.loginEmail) + ".");
  return true;
}

void RadioProgram::observeSleepTimer() {
  auto& center = foundation::NotificationCenter::defaultCenter();
  auto timeOf = [](const foundation::Notification& notification) {
    return minutesAndSeconds(notification.userInfo["minute"].toInt64(), notification.userInfo["second"].toInt64());
  };
  center.addObserver(this, playback::kTimerStartNotification, [this, timeOf](const foundation::Notification& n) {
    console_.line("Sleep timer set: playback stops in " + timeOf(n) + ".");
  });
  center.addObserver(this, playback::kTimerProgressNotification, [this, timeOf](const foundation::Notification& n) {
    if (n.userInfo["second"].toInt64(-1) == 0) console_.line("Sleep timer: " + timeOf(n) + " left.");
  });
  center.addObserver(this, playback::kTimerDoneNotification,
                     [this](const foundation::Notification&) { console_.line("Sleep timer ended: playback paused."); });
  center.addObserver(this, playback::kTimerStopNotification,
                     [this](const foundation::Notification&) { console_.line("Sleep timer stopped."); });
}

void RadioProgram::letRequestsFinish(foundation::Duration patience) {
  // A commit of stored play logs that the last answer asked for posts its batches meanwhile.
  foundation::RunLoop::main().runUntil(
      [] {
        return framework::QRVDataRequestManager::sharedManager().requests().empty() &&
               !playback::PlayApiManager::isCommitting();
      },
      patience);
  const auto [stored, lost] = playback::PlayApiManager::storeUnanswered();
  if (stored) console_.line(counted(stored, "play log", "play logs") + " kept for the next run.");
  if (lost)
    console_.line(counted(lost, "play log", "play logs") + " could not be stored and " + (lost == 1 ? "is" : "are") +
                  " lost.");
}

void RadioProgram::handleKey(const std::string& line) {
  const std::size_t space = line.find(' ');
  const std::string key = line.substr(0, space);
  std::string argument = space == std::string::npos ? std::string() : line.substr(space + 1);
  argument.erase(0, argument.find_first_not_of(' '));
  argument.erase(argument.find_last_not_of(" \r") + 1);
  if (key == "q") {
    quitAsked_ = finished_ = true;
  } else if (!started_) {
    if (key.empty()) return;
    keysBeforeStart_.push_back(line);
    console_.line("\"" + key + (argument.empty() ? "" : " " + argument) + "\" waits until the program has started.");
  } else if (key == "p" && argument.empty()) {
    playerWatch_->playOrPause();
  } else if (key == "n" && argument.empty()) {
    playerWatch_->next();
  } else if (key == "c" && !argument.empty()) {
    playerWatch_->playChannel(argument);
  } else if (key == "g" && !argument.empty()) {
    playerWatch_->playProgram(argument);
  } else if (key == "t") {
    handleSleepKey(argument);
  } else if (key == "b" && !argument.empty()) {
    playerWatch_->answerAlert(argument);
  } else if (!key.empty() && !(argument.empty() && panelKeys_ && panelKeys_->handleKey(key)) &&
             !(argument.empty() && offlineKeys_ && offlineKeys_->handleKey(key))) {
    console_.line(
        "Keys: p play/pause, n next, c ID channel, g ID programme, t 15|30|60|90 sleep, t stop, "
        "o offline, f collect, i information, l link, w offline list, d pause/resume offline, "
        "a play all offline, b N answer an alert, q quit.");
  }
}

void RadioProgram::handleSleepKey(const std::string& argument) {
  auto& timer = playback::SleepTimer::shareSleepTimer();
  if (argument.empty()) {
    if (timer.isTiming())
      timer.stop();
    else
      console_.line("The sleep timer is not running.");
    return;
  }
  const auto seconds = sleepSeconds(argument);
  if (!seconds) {
    console_.line("The sleep timer takes 15, 30, 60 or 90 minutes.");
    return;
  }
  timer.startWithSecond(*seconds);
}

}  // namespace zunoradio
