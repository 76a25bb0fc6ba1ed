#include <gio/gio.h>
#include <gst/gst.h>

#include <atomic>
#include <cmath>
#include <condition_variable>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/foundation/GioDefaults.h"
#include "platform/foundation/NoDestructor.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/WorkerPool.h"
#include "platform/media/AudioBackend.h"
#include "platform/media/GStreamerFailure.h"
#include "platform/media/PlayerEngine.h"

namespace media {
namespace {

constexpr double kUnknown = std::numeric_limits<double>::quiet_NaN();
constexpr unsigned kPlayFlagAudio = 1u << 1;
constexpr unsigned kPlayFlagSoftVolume = 1u << 4;
// How long a song waits for GStreamer's start before it fails, so that a listener hears why.
constexpr foundation::Duration kSoundStartWait{15};

// Why a song cannot play while GStreamer has not started: the time it has really been waited for,
// which a song made after the first one gave up counts too.
std::string soundStartFailure(foundation::TimePoint began) {
  const double waited = std::chrono::duration<double>(foundation::Clock::current().now() - began).count();
  return "the sound system did not start within " + std::to_string(std::llround(waited)) + " seconds";
}

bool initialiseGStreamer(std::string& failure) {
  static std::once_flag once;
  static foundation::NoDestructor<std::string> initFailure;
  std::call_once(once, [] {
    GError* error = nullptr;
    if (!gst_init_check(nullptr, nullptr, &error)) {
      *initFailure = error ? error->message : "GStreamer could not start";
      g_clear_error(&error);
    }
  });
  failure = *initFailure;
  return failure.empty();
}

std::string uriFor(const std::string& source) {
  if (source.starts_with("http:") || source.starts_with("https:")) return source;
  GError* error = nullptr;
  gchar* uri = gst_filename_to_uri(source.c_str(), &error);
  g_clear_error(&error);
  std::string text = uri ? uri : "";
  g_free(uri);
  return text;
}

// What the bus reported, copied off the streaming thread.
struct BusEvent {
  enum Kind { asyncDone, durationChanged, endOfStream, error, missingDecoder } kind = asyncDone;
  bool seekRefused = false;  // an error about seeking (a server that ignores Range)
  GStreamerFailure failure;
  MissingDecoder missing;
  unsigned generation = 0;
};

// Shared by a pipeline and its bus handler. The generation moves on when the pipeline restarts,
// so that what the old run still reported is told apart from the new run's news.
struct BusContext {
  std::weak_ptr<class Pipeline> pipeline;
  std::atomic<unsigned> generation{0};
};

GstElement* makeSink(const GStreamerOptions& options) {
  GstElement* sink = nullptr;
  if (options.sink == AudioSink::automatic) sink = gst_element_factory_make("autoaudiosink", nullptr);
  if (!sink) {
    sink = gst_element_factory_make("fakesink", nullptr);
    g_object_set(sink, "sync", options.sink == AudioSink::automatic || options.sync ? TRUE : FALSE, nullptr);
  }
  return sink;
}

// Drops what the element's bus still holds, so that its next owner hears only its own run.
void drainBus(GstElement* element) {
  GstBus* bus = gst_element_get_bus(element);
  while (GstMessage* message = gst_bus_pop(bus)) gst_message_unref(message);
  gst_object_unref(bus);
}

// Any thread. A new playbin of ours (audio only, into the chosen sink), owned by the caller.
GstElement* makePlaybin(const GStreamerOptions& options) {
  GstElement* playbin = gst_element_factory_make("playbin", nullptr);
  if (!playbin) return nullptr;
  gst_object_ref_sink(playbin);
  g_object_set(playbin, "flags", kPlayFlagAudio | kPlayFlagSoftVolume, "audio-sink", makeSink(options), nullptr);
  return playbin;
}

// Any thread. Loads the first http: song's source element's plugin, with its HTTP library.
void loadHttpSource() {
  if (GstElement* source = gst_element_make_from_uri(GST_URI_SRC, "http://127.0.0.1/", nullptr, nullptr)) {
    gst_object_ref_sink(source);
    gst_object_unref(source);
  }
}

// Any thread. Makes GIO's defaults and the TLS backend's database of the system's certificates,
// which the HTTP library's session reads as it starts, even for http: (tens of milliseconds, spent
// while the player waits). All are kept for the process, so the session finds them made. Needs
// nothing of GStreamer, so it runs beside GStreamer's own start.
void warmNetworkServices() {
  foundation::ensureGioDefaults();
  if (GTlsDatabase* certificates = g_tls_backend_get_default_database(g_tls_backend_get_default()))
    g_object_unref(certificates);
}

// Any thread. Loads the plugins that every song's pipeline uses whatever its format: the type
// finders, and the conversion and volume of the audio chain, which are otherwise loaded on the
// streaming threads as the first song starts.
void loadCommonPlugins() {
  if (GstPlugin* finders = gst_plugin_load_by_name("typefindfunctions")) gst_object_unref(finders);
  for (const char* name : {"audioconvert", "audioresample", "volume"}) {
    if (GstPluginFeature* feature = gst_registry_lookup_feature(gst_registry_get(), name)) {
      if (GstPluginFeature* loaded = gst_plugin_feature_load(feature)) gst_object_unref(loaded);
      gst_object_unref(feature);
    }
  }
}

// Keeps up to two idle playbins, at READY, for the songs to come: making a playbin and taking it
// down to NULL is most of what a song of a few seconds costs, and GStreamer does not free all of
// one taken down with software volume. Two, because a player that made the next song from its own
// end's callback is let go only after it, so two playbins take turns; a list replaced between songs
// lets its player go first, and that playbin finds room beside the other. Main thread. Each pool
// belongs to one factory, so a playbin taken from it has that factory's sink. A factory replaced
// (tests) takes its idle playbins down; the program's factory is never destroyed, so at exit its
// idle playbins are left at READY, untouched, for the process's end to take back.
class PlaybinPool {
 public:
  PlaybinPool() = default;
  PlaybinPool(const PlaybinPool&) = delete;
  PlaybinPool& operator=(const PlaybinPool&) = delete;
  ~PlaybinPool() {
    for (GstElement* playbin : idle_) discard(playbin);
  }

  GstElement* take() {
    if (idle_.empty()) return nullptr;
    GstElement* playbin = idle_.back();
    idle_.pop_back();
    return playbin;
  }
  void give(GstElement* playbin) {
    if (idle_.size() == kMostIdle) return discard(playbin);
    idle_.push_back(playbin);
  }

  static void discard(GstElement* playbin) {
    gst_element_set_state(playbin, GST_STATE_NULL);
    gst_object_unref(playbin);
  }

 private:
  static constexpr std::size_t kMostIdle = 2;
  std::vector<GstElement*> idle_;
};

// The pipeline and its state on the main thread; the bus handler reaches it only through a weak
// reference carried to the main loop.
class Pipeline {
 public:
  Pipeline(std::shared_ptr<PlayerEvents> events, const GStreamerOptions& options, std::weak_ptr<PlaybinPool> pool)
      : events_(std::move(events)), options_(options), pool_(std::move(pool)) {}
  // Only a playbin that played without fault goes back to the pool: one that failed may hold a
  // broken source or sink. Without the pool (its factory replaced, the process ending) the
  // playbin goes.
  ~Pipeline() {
    if (!playbin_) return;
    auto pool = pool_.lock();
    bool reusable =
        pool && ready_ && !stopped_ && gst_element_set_state(playbin_, GST_STATE_READY) == GST_STATE_CHANGE_SUCCESS;
    if (!reusable) gst_element_set_state(playbin_, GST_STATE_NULL);
    detach();
    if (reusable) {
      pool->give(playbin_);
    } else {
      gst_object_unref(playbin_);
    }
  }

  void start(const std::string& source, const std::weak_ptr<Pipeline>& self) {
    std::string failure;
    std::string uri = initialiseGStreamer(failure) ? uriFor(source) : "";
    if (failure.empty() && uri.empty()) failure = "Not a playable location: " + source;
    // The source's streaming thread reaches GIO's defaults as the song opens.
    foundation::ensureGioDefaults();
    if (failure.empty()) playbin_ = obtainPlaybin();
    if (failure.empty() && !playbin_) failure = "The GStreamer playbin element is missing";
    if (!failure.empty()) {
      events_->failed(foundation::makeError(kMediaErrorDomain, kMediaErrorLoadFailed, failure));
      return;
    }
    g_object_set(playbin_, "uri", uri.c_str(), nullptr);
    g_signal_connect(playbin_, "source-setup", G_CALLBACK(&Pipeline::setUpSource), this);
    GstBus* bus = gst_element_get_bus(playbin_);
    busContext_->pipeline = self;
    gst_bus_set_sync_handler(bus, &Pipeline::onBusMessage, new std::shared_ptr<BusContext>(busContext_),
                             [](gpointer data) { delete static_cast<std::shared_ptr<BusContext>*>(data); });
    gst_object_unref(bus);
    if (gst_element_set_state(playbin_, GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) {
      stopped_ = true;
      events_->failed(foundation::makeError(kMediaErrorDomain, kMediaErrorLoadFailed, "Cannot open " + source));
    }
  }

  // Main thread, before start(). The song fails without being opened.
  void fail(const std::string& reason) {
    stopped_ = true;
    events_->failed(foundation::makeError(kMediaErrorDomain, kMediaErrorLoadFailed, reason));
  }

  void setPlaying(bool playing) {
    wantPlaying_ = playing;
    if (ready_ && !stopped_) gst_element_set_state(playbin_, playing ? GST_STATE_PLAYING : GST_STATE_PAUSED);
  }

  double position() const {
    gint64 nanos = 0;
    if (ready_ && !stopped_ && gst_element_query_position(playbin_, GST_FORMAT_TIME, &nanos) && nanos >= 0) {
      lastPosition_ = nanos / 1e9;
    }
    return lastPosition_;
  }

  void seek(double to, std::uint64_t seekId) {
    if (seekId_ != 0) events_->seekFinished(seekId_, false);
    seekId_ = 0;
    auto flags = static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
    if (!ready_ || stopped_ || !seekable_ ||
        !gst_element_seek_simple(playbin_, GST_FORMAT_TIME, flags, static_cast<gint64>(to * 1e9))) {
      events_->seekFinished(seekId, false);
      return;
    }
    seekId_ = seekId;
    seekTarget_ = to;
  }

  void handle(const BusEvent& event) {
    drainBus();
    if (event.generation != busContext_->generation.load()) return;
    switch (event.kind) {
      case BusEvent::asyncDone:
        return onAsyncDone();
      case BusEvent::durationChanged:
        if (ready_) events_->durationChanged(queryDuration());
        return;
      case BusEvent::endOfStream:
        return onEndOfStream();
      case BusEvent::error:
        return onError(event);
      case BusEvent::missingDecoder:
        missingDecoder_ = event.missing;
        return;
    }
  }

 private:
  GstElement* obtainPlaybin() const {
    auto pool = pool_.lock();
    if (GstElement* idle = pool ? pool->take() : nullptr) return idle;
    return makePlaybin(options_);
  }

  // Leaves the playbin with nothing of this pipeline: no handler that could reach it and no
  // message of its run left on the bus for the next owner.
  void detach() {
    g_signal_handlers_disconnect_by_data(playbin_, this);
    GstBus* bus = gst_element_get_bus(playbin_);
    gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
    gst_object_unref(bus);
    drainBus();
  }

  // Streaming thread. Lets a dropped connection fail within the time-out instead of the source's
  // own minutes-long default.
  static void setUpSource(GstElement*, GstElement* source, gpointer data) {
    auto* self = static_cast<Pipeline*>(data);
    GObjectClass* type = G_OBJECT_GET_CLASS(source);
    if (g_object_class_find_property(type, "timeout")) {
      auto seconds = static_cast<guint>(std::max(1.0, std::ceil(self->options_.sourceTimeout.count())));
      g_object_set(source, "timeout", seconds, nullptr);
    }
    if (g_object_class_find_property(type, "retries")) {
      g_object_set(source, "retries", self->options_.sourceRetries, nullptr);
    }
  }

  // Any GStreamer thread. Copies what matters and carries it to the main loop.
  static GstBusSyncReply onBusMessage(GstBus*, GstMessage* message, gpointer data) {
    BusEvent event;
    switch (GST_MESSAGE_TYPE(message)) {
      case GST_MESSAGE_ASYNC_DONE:
        event.kind = BusEvent::asyncDone;
        break;
      case GST_MESSAGE_DURATION_CHANGED:
        event.kind = BusEvent::durationChanged;
        break;
      case GST_MESSAGE_EOS:
        event.kind = BusEvent::endOfStream;
        break;
      case GST_MESSAGE_ERROR: {
        GError* error = nullptr;
        gst_message_parse_error(message, &error, nullptr);
        event.kind = BusEvent::error;
        event.failure = readFailure(message);
        event.seekRefused = error && error->domain == GST_RESOURCE_ERROR && error->code == GST_RESOURCE_ERROR_SEEK;
        g_clear_error(&error);
        break;
      }
      case GST_MESSAGE_ELEMENT:
        if (!readMissingDecoder(message, event.missing)) return GST_BUS_PASS;
        event.kind = BusEvent::missingDecoder;
        break;
      default:
        return GST_BUS_PASS;
    }
    const auto& context = *static_cast<std::shared_ptr<BusContext>*>(data);
    event.generation = context->generation.load();
    foundation::RunLoop::main().post([weak = context->pipeline, event] {
      if (auto self = weak.lock()) self->handle(event);
    });
    return GST_BUS_PASS;
  }

  // Messages are left on the bus rather than dropped in the handler: dropping them on the
  // streaming threads made every finished pipeline leave about 170 KiB behind. Nothing reads
  // them, so they go whenever an event of ours reaches the main loop.
  void drainBus() { media::drainBus(playbin_); }

  void onAsyncDone() {
    if (stopped_) return;
    if (!ready_) {
      ready_ = true;
      GstQuery* query = gst_query_new_seeking(GST_FORMAT_TIME);
      if (gst_element_query(playbin_, query)) {
        gboolean seekable = FALSE;
        gst_query_parse_seeking(query, nullptr, &seekable, nullptr, nullptr);
        seekable_ = seekable;
      }
      gst_query_unref(query);
      events_->ready(queryDuration());
      if (wantPlaying_) gst_element_set_state(playbin_, GST_STATE_PLAYING);
      return;
    }
    if (seekId_ != 0) {
      lastPosition_ = seekTarget_;
      events_->seekFinished(std::exchange(seekId_, 0), true);
    }
  }

  void onEndOfStream() {
    if (!ready_ || stopped_) return;
    // A stream that never told its length has shown it by ending.
    double duration = queryDuration();
    events_->durationChanged(std::isnan(duration) ? position() : duration);
    events_->reachedEnd();
  }

  void onError(const BusEvent& event) {
    if (stopped_) return;
    if (seekId_ != 0 && event.seekRefused) {
      // The server ignored the range: the seek fails and the song starts again from where the
      // source can serve it, which is the beginning.
      events_->seekFinished(std::exchange(seekId_, 0), false);
      seekable_ = false;
      lastPosition_ = 0;
      ready_ = false;
      restarting_ = true;
      gst_element_set_state(playbin_, GST_STATE_READY);
      ++busContext_->generation;
      gst_element_set_state(playbin_, GST_STATE_PAUSED);
      return;
    }
    const bool began = ready_ || restarting_;
    const std::string reason = describeFailure(event.failure, missingDecoder_, began ? position() : -1);
    stopped_ = true;
    gst_element_set_state(playbin_, GST_STATE_READY);
    if (seekId_ != 0) events_->seekFinished(std::exchange(seekId_, 0), false);
    auto code = began ? kMediaErrorPlaybackFailed : kMediaErrorLoadFailed;
    events_->failed(foundation::makeError(kMediaErrorDomain, code, reason));
  }

  double queryDuration() const {
    gint64 nanos = -1;
    if (!gst_element_query_duration(playbin_, GST_FORMAT_TIME, &nanos) || nanos <= 0) return kUnknown;
    return nanos / 1e9;
  }

  std::shared_ptr<PlayerEvents> events_;
  GStreamerOptions options_;
  std::weak_ptr<PlaybinPool> pool_;
  GstElement* playbin_ = nullptr;
  std::shared_ptr<BusContext> busContext_ = std::make_shared<BusContext>();
  bool ready_ = false;
  bool restarting_ = false;
  bool stopped_ = false;
  bool wantPlaying_ = false;
  bool seekable_ = true;
  MissingDecoder missingDecoder_;  // what the pipeline said it lacked before it failed
  std::uint64_t seekId_ = 0;
  double seekTarget_ = 0;
  mutable double lastPosition_ = 0;
};

class GStreamerEngine final : public PlayerEngine {
 public:
  GStreamerEngine(std::shared_ptr<PlayerEvents> events, const GStreamerOptions& options,
                  std::weak_ptr<PlaybinPool> pool)
      : pipeline_(std::make_shared<Pipeline>(std::move(events), options, std::move(pool))) {}
  // Until it starts, the pipeline keeps whether it should play and reports position 0.
  void start(const std::string& source) { pipeline_->start(source, pipeline_); }
  void fail(const std::string& reason) { pipeline_->fail(reason); }
  std::weak_ptr<Pipeline> pipeline() const { return pipeline_; }
  void setPlaying(bool playing) override { pipeline_->setPlaying(playing); }
  Seconds position() const override { return pipeline_->position(); }
  void seek(Seconds to, std::uint64_t seekId) override { pipeline_->seek(to, seekId); }

 private:
  std::shared_ptr<Pipeline> pipeline_;
};

class GStreamerFactory final : public EngineFactory, public std::enable_shared_from_this<GStreamerFactory> {
 public:
  explicit GStreamerFactory(const GStreamerOptions& options) : options_(options) {}
  // A song made while the warm-up runs starts when it ends, with the playbin made there: a
  // playbin of its own would only wait for the same plugins to load, and waiting here would hold
  // up the main loop, and the quit key with it, for as long as GStreamer takes to start.
  std::unique_ptr<PlayerEngine> make(const std::string& source, std::shared_ptr<PlayerEvents> events) override {
    auto engine = std::make_unique<GStreamerEngine>(std::move(events), options_, pool_);
    if (warmUpEnded()) {
      takeWarmPlaybin();
      engine->start(source);
    } else if (soundStartGivenUp_) {
      engine->fail(soundStartFailure(warmUp_->began));
    } else {
      waitForWarmUp(engine->pipeline(), source);
    }
    return engine;
  }
  // Opening the registry, loading the plugins and finding the sound output take a few tens of
  // milliseconds: on workers, while the program waits for its first replies.
  void prepare() override {
    if (warmUp_) return;
    warmUp_ = std::make_shared<WarmUp>();
    warmUp_->factory = weak_from_this();
    auto& workers = foundation::WorkerPool::shared();
    workers.run([warmUp = warmUp_] {
      warmNetworkServices();
      warmUp->finishPart(nullptr);
    });
    workers.run([options = options_, warmUp = warmUp_] { warmUp->finishPart(prepareFirstPlaybin(options)); });
  }
  bool waitUntilPrepared(foundation::Duration patience) override {
    if (!warmUp_) return true;
    std::unique_lock lock(warmUp_->mutex);
    return warmUp_->ended.wait_for(lock, patience, [this] { return warmUp_->done(); });
  }

 private:
  // What the workers made, handed to the main thread.
  struct WarmUp {
    std::mutex mutex;
    std::condition_variable ended;
    const foundation::TimePoint began = foundation::Clock::current().now();
    int partsLeft = 2;              // guarded by mutex
    GstElement* playbin = nullptr;  // guarded by mutex; at READY, until the main thread takes it
    std::weak_ptr<GStreamerFactory> factory;
    bool done() const { return partsLeft == 0; }
    // Worker thread. One part ended, with the playbin it made if any. The last part wakes a main
    // thread that waits to exit and has the songs made meanwhile started on the main loop. It may
    // race with the process's end: an exit that stopped waiting leaves without unloading the
    // libraries under this worker, and a factory replaced meanwhile starts nothing.
    void finishPart(GstElement* made) {
      std::lock_guard lock(mutex);
      if (made) playbin = made;
      if (--partsLeft > 0) return;
      ended.notify_all();
      foundation::RunLoop::main().post([factory = factory] {
        if (auto self = factory.lock()) self->startWaitingSongs();
      });
    }
    ~WarmUp() {
      if (playbin) PlaybinPool::discard(playbin);
    }
  };
  struct WaitingSong {
    std::weak_ptr<Pipeline> pipeline;
    std::string source;
  };

  void waitForWarmUp(std::weak_ptr<Pipeline> pipeline, const std::string& source) {
    waiting_.push_back({std::move(pipeline), source});
    if (giveUpTimer_) return;
    giveUpTimer_ = foundation::RunLoop::main().scheduleTimer(kSoundStartWait, false, [factory = weak_from_this()] {
      if (auto self = factory.lock()) self->failWaitingSongs();
    });
  }

  // Main thread. The songs that waited too long for the warm-up, which has not ended, fail, and so
  // do the songs made after them until it ends.
  void failWaitingSongs() {
    giveUpTimer_.reset();
    if (warmUpEnded()) return;
    soundStartGivenUp_ = true;
    for (WaitingSong& song : std::exchange(waiting_, {}))
      if (auto pipeline = song.pipeline.lock()) pipeline->fail(soundStartFailure(warmUp_->began));
  }

  bool warmUpEnded() const {
    if (!warmUp_) return true;
    std::lock_guard lock(warmUp_->mutex);
    return warmUp_->done();
  }

  // Main thread, once the warm-up has ended. Songs whose players went meanwhile are dropped.
  void startWaitingSongs() {
    if (giveUpTimer_) std::exchange(giveUpTimer_, nullptr)->invalidate();
    takeWarmPlaybin();
    for (WaitingSong& song : std::exchange(waiting_, {}))
      if (auto pipeline = song.pipeline.lock()) pipeline->start(song.source, pipeline);
  }

  // Main thread, once the warm-up has ended. Puts its playbin in the pool.
  void takeWarmPlaybin() {
    if (!warmUp_) return;
    std::lock_guard lock(warmUp_->mutex);
    if (GstElement* playbin = std::exchange(warmUp_->playbin, nullptr)) pool_->give(playbin);
  }

  // Worker thread. A playbin at READY with its plugins loaded, or null when GStreamer cannot make
  // one (the first song reports why).
  static GstElement* prepareFirstPlaybin(const GStreamerOptions& options) {
    std::string failure;
    if (!initialiseGStreamer(failure)) return nullptr;
    loadHttpSource();
    loadCommonPlugins();
    GstElement* playbin = makePlaybin(options);
    if (!playbin) return nullptr;
    if (gst_element_set_state(playbin, GST_STATE_READY) != GST_STATE_CHANGE_SUCCESS) {
      PlaybinPool::discard(playbin);
      return nullptr;
    }
    drainBus(playbin);
    return playbin;
  }

  GStreamerOptions options_;
  std::shared_ptr<PlaybinPool> pool_ = std::make_shared<PlaybinPool>();
  std::shared_ptr<WarmUp> warmUp_;                  // from the first prepare() on
  std::vector<WaitingSong> waiting_;                // songs made before the warm-up ended, in their order
  std::shared_ptr<foundation::Timer> giveUpTimer_;  // while songs wait
  bool soundStartGivenUp_ = false;                  // a song waited its longest for the warm-up
};

}  // namespace

std::shared_ptr<EngineFactory> makeGStreamerFactory(const GStreamerOptions& options) {
  return std::make_shared<GStreamerFactory>(options);
}

}  // namespace media
