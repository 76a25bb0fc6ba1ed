#include "platform/media/MprisPublisher.h"

#include <gio/gio.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/foundation/GioDefaults.h"
#include "platform/foundation/NoDestructor.h"
#include "platform/media/NowPlayingInfoCenter.h"
#include "platform/media/RemoteCommandCenter.h"

namespace media {
namespace {

constexpr const char* kObjectPath = "/org/mpris/MediaPlayer2";
constexpr const char* kPlayerInterface = "org.mpris.MediaPlayer2.Player";

constexpr const char* kIntrospection = R"(<node>
  <interface name="org.mpris.MediaPlayer2">
    <method name="Raise"/>
    <method name="Quit"/>
    <property name="CanQuit" type="b" access="read"/>
    <property name="CanRaise" type="b" access="read"/>
    <property name="HasTrackList" type="b" access="read"/>
    <property name="Identity" type="s" access="read"/>
    <property name="SupportedUriSchemes" type="as" access="read"/>
    <property name="SupportedMimeTypes" type="as" access="read"/>
  </interface>
  <interface name="org.mpris.MediaPlayer2.Player">
    <method name="Next"/>
    <method name="Previous"/>
    <method name="Pause"/>
    <method name="PlayPause"/>
    <method name="Stop"/>
    <method name="Play"/>
    <method name="Seek"><arg direction="in" name="Offset" type="x"/></method>
    <method name="SetPosition"><arg direction="in" name="TrackId" type="o"/><arg direction="in" name="Position" type="x"/></method>
    <method name="OpenUri"><arg direction="in" name="Uri" type="s"/></method>
    <signal name="Seeked"><arg name="Position" type="x"/></signal>
    <property name="PlaybackStatus" type="s" access="read"/>
    <property name="Rate" type="d" access="read"/>
    <property name="Metadata" type="a{sv}" access="read"/>
    <property name="Volume" type="d" access="read"/>
    <property name="Position" type="x" access="read"/>
    <property name="MinimumRate" type="d" access="read"/>
    <property name="MaximumRate" type="d" access="read"/>
    <property name="CanGoNext" type="b" access="read"/>
    <property name="CanGoPrevious" type="b" access="read"/>
    <property name="CanPlay" type="b" access="read"/>
    <property name="CanPause" type="b" access="read"/>
    <property name="CanSeek" type="b" access="read"/>
    <property name="CanControl" type="b" access="read"/>
  </interface>
</node>)";

// Whether a session bus can be reached without starting one (GIO would otherwise try to launch
// a bus of its own on a machine without one).
bool sessionBusExists() {
  if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address) return true;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::error_code error;
  return runtime && std::filesystem::exists(std::filesystem::path(runtime) / "bus", error);
}

// Whether the two tell of the same song; its picture and length may come later.
bool sameSong(const NowPlayingInfo& a, const NowPlayingInfo& b) {
  return a.title == b.title && a.artist == b.artist && a.albumTitle == b.albumTitle;
}

}  // namespace

// The bus side: everything here but start/stop runs on the bus thread.
struct MprisPublisher::Impl {
  std::thread thread;
  GMainContext* context = nullptr;
  GMainLoop* loop = nullptr;
  GDBusConnection* connection = nullptr;
  GDBusNodeInfo* introspection = nullptr;
  guint ownerId = 0;
  std::vector<guint> registrations;  // unregistered as the thread ends: the connection is shared
  std::uint64_t watcherId = 0;

  std::mutex mutex;  // guards the snapshot below, written on the main thread
  NowPlayingInfo info;
  bool hasInfo = false;
  bool playing = false;
  unsigned trackNumber = 0;
  PlaybackPosition position;
  std::uint64_t positionJumps = 0;

  GVariant* metadata() {
    std::lock_guard lock(mutex);
    GVariantBuilder builder;
    g_variant_builder_init(&builder, G_VARIANT_TYPE("a{sv}"));
    if (hasInfo) {
      std::string track = "/org/zunoradio/track/" + std::to_string(trackNumber);
      g_variant_builder_add(&builder, "{sv}", "mpris:trackid", g_variant_new_object_path(track.c_str()));
      g_variant_builder_add(&builder, "{sv}", "xesam:title", g_variant_new_string(info.title.c_str()));
      const char* artists[] = {info.artist.c_str(), nullptr};
      g_variant_builder_add(&builder, "{sv}", "xesam:artist", g_variant_new_strv(artists, 1));
      g_variant_builder_add(&builder, "{sv}", "xesam:album", g_variant_new_string(info.albumTitle.c_str()));
      if (info.duration > 0) {
        const auto microseconds = static_cast<gint64>(info.duration * 1e6);
        g_variant_builder_add(&builder, "{sv}", "mpris:length", g_variant_new_int64(microseconds));
      }
      if (gchar* art =
              info.artworkFile.empty() ? nullptr : g_filename_to_uri(info.artworkFile.c_str(), nullptr, nullptr)) {
        g_variant_builder_add(&builder, "{sv}", "mpris:artUrl", g_variant_new_string(art));
        g_free(art);
      }
    }
    return g_variant_builder_end(&builder);
  }

  GVariant* playbackStatus() {
    std::lock_guard lock(mutex);
    return g_variant_new_string(playing ? "Playing" : "Paused");
  }

  // Any thread. In microseconds, as the desktop counts, within the song's length when known.
  gint64 positionNow() {
    std::lock_guard lock(mutex);
    double seconds = std::max(0.0, position.at(foundation::Clock::current().now()));
    if (hasInfo && info.duration > 0) seconds = std::min(seconds, info.duration);
    return static_cast<gint64>(seconds * 1e6);
  }

  static void onMethod(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* method, GVariant*,
                       GDBusMethodInvocation* invocation, gpointer) {
    const std::string name = method;
    auto& commands = RemoteCommandCenter::sharedCenter();
    if (name == "Play") commands.injectCommand(RemoteCommand::play);
    if (name == "Pause" || name == "Stop") commands.injectCommand(RemoteCommand::pause);
    if (name == "PlayPause") commands.injectCommand(RemoteCommand::togglePlayPause);
    if (name == "Next") commands.injectCommand(RemoteCommand::nextTrack);
    if (name == "Previous") commands.injectCommand(RemoteCommand::previousTrack);
    g_dbus_method_invocation_return_value(invocation, nullptr);
  }

  static GVariant* onGetProperty(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* property,
                                 GError**, gpointer data) {
    auto* self = static_cast<Impl*>(data);
    const std::string name = property;
    if (name == "Metadata") return self->metadata();
    if (name == "PlaybackStatus") return self->playbackStatus();
    if (name == "Identity") return g_variant_new_string("ZunoRadio");
    if (name == "SupportedUriSchemes" || name == "SupportedMimeTypes") return g_variant_new_strv(nullptr, 0);
    if (name == "Rate" || name == "Volume" || name == "MinimumRate" || name == "MaximumRate") {
      return g_variant_new_double(1.0);
    }
    if (name == "Position") return g_variant_new_int64(self->positionNow());
    bool yes = name == "CanGoNext" || name == "CanGoPrevious" || name == "CanPlay" || name == "CanPause" ||
               name == "CanControl";
    return g_variant_new_boolean(yes);
  }

  // Bus thread.
  void announceSeek() {
    if (!connection) return;
    g_dbus_connection_emit_signal(connection, nullptr, kObjectPath, kPlayerInterface, "Seeked",
                                  g_variant_new("(x)", positionNow()), nullptr);
  }

  // Bus thread.
  void announceChanges() {
    if (!connection) return;
    GVariantBuilder changed;
    g_variant_builder_init(&changed, G_VARIANT_TYPE("a{sv}"));
    g_variant_builder_add(&changed, "{sv}", "Metadata", metadata());
    g_variant_builder_add(&changed, "{sv}", "PlaybackStatus", playbackStatus());
    g_dbus_connection_emit_signal(connection, nullptr, kObjectPath, "org.freedesktop.DBus.Properties",
                                  "PropertiesChanged", g_variant_new("(sa{sv}as)", kPlayerInterface, &changed, nullptr),
                                  nullptr);
  }

  // Main thread. Takes a copy of what the centre holds and tells the bus thread what changed.
  void snapshot() {
    auto& center = NowPlayingInfoCenter::defaultCenter();
    bool changed = false, jumped = false;
    {
      std::lock_guard lock(mutex);
      const bool hadInfo = hasInfo;
      const NowPlayingInfo previous = info;
      hasInfo = center.nowPlayingInfo().has_value();
      if (hasInfo) info = *center.nowPlayingInfo();
      info.artwork = nullptr;  // pictures stay on the main thread
      const bool newSong = hasInfo != hadInfo || (hasInfo && !sameSong(info, previous));
      if (newSong) ++trackNumber;
      changed = newSong || info.artworkFile != previous.artworkFile || info.duration != previous.duration ||
                playing != center.isPlaying();
      playing = center.isPlaying();
      position = center.playbackPosition();
      jumped = positionJumps != center.positionJumps();
      positionJumps = center.positionJumps();
    }
    if (changed) onBusThread([](Impl& self) { self.announceChanges(); });
    if (jumped) onBusThread([](Impl& self) { self.announceSeek(); });
  }

  // Main thread. Runs `work` on the bus thread, after what was handed over before.
  void onBusThread(void (*work)(Impl&)) {
    struct Call {
      Impl* self;
      void (*work)(Impl&);
    };
    g_main_context_invoke_full(
        context, G_PRIORITY_DEFAULT,
        [](gpointer data) -> gboolean {
          auto* call = static_cast<Call*>(data);
          call->work(*call->self);
          return G_SOURCE_REMOVE;
        },
        new Call{this, work}, [](gpointer data) { delete static_cast<Call*>(data); });
  }

  // Bus thread. Connects, registers the objects and takes the name; answers through `published`.
  void run(const std::string& busName, std::promise<bool>& published) {
    g_main_context_push_thread_default(context);
    foundation::ensureGioDefaults();
    GError* error = nullptr;
    connection = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    g_clear_error(&error);
    bool registered = connection && registerObjects();
    if (registered) {
      ownerId = g_bus_own_name_on_connection(connection, busName.c_str(), G_BUS_NAME_OWNER_FLAGS_NONE, nullptr, nullptr,
                                             nullptr, nullptr);
      // A round trip makes sure the name request has been handled before anyone calls us.
      GVariant* reply = g_dbus_connection_call_sync(connection, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                    "org.freedesktop.DBus", "GetId", nullptr, nullptr,
                                                    G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
      if (reply) g_variant_unref(reply);
    }
    published.set_value(registered);
    if (registered) g_main_loop_run(loop);
    if (ownerId) g_bus_unown_name(ownerId);
    for (guint id : registrations) g_dbus_connection_unregister_object(connection, id);
    if (connection) g_object_unref(connection);
    connection = nullptr;
    g_main_context_pop_thread_default(context);
  }

  bool registerObjects() {
    introspection = g_dbus_node_info_new_for_xml(kIntrospection, nullptr);
    static const GDBusInterfaceVTable vtable = {&Impl::onMethod, &Impl::onGetProperty, nullptr, {}};
    for (GDBusInterfaceInfo** interface = introspection->interfaces; *interface; ++interface) {
      const guint id =
          g_dbus_connection_register_object(connection, kObjectPath, *interface, &vtable, this, nullptr, nullptr);
      if (id == 0) return false;
      registrations.push_back(id);
    }
    return true;
  }

  ~Impl() {
    if (introspection) g_dbus_node_info_unref(introspection);
    if (loop) g_main_loop_unref(loop);
    if (context) g_main_context_unref(context);
  }
};

namespace {
std::unique_ptr<MprisPublisher::Impl>& running() {
  static foundation::NoDestructor<std::unique_ptr<MprisPublisher::Impl>> impl;
  return *impl;
}
}  // namespace

bool MprisPublisher::start(const std::string& name) {
  if (running()) return true;
  if (!sessionBusExists()) return false;
  auto impl = std::make_unique<Impl>();
  impl->context = g_main_context_new();
  impl->loop = g_main_loop_new(impl->context, FALSE);
  std::promise<bool> published;
  auto answer = published.get_future();
  Impl* raw = impl.get();
  impl->thread =
      std::thread([raw, busName = "org.mpris.MediaPlayer2." + name, &published] { raw->run(busName, published); });
  if (!answer.get()) {
    impl->thread.join();
    return false;
  }
  impl->watcherId = NowPlayingInfoCenter::defaultCenter().addWatcher([raw] { raw->snapshot(); });
  raw->snapshot();
  running() = std::move(impl);
  return true;
}

void MprisPublisher::stop() {
  auto& impl = running();
  if (!impl) return;
  NowPlayingInfoCenter::defaultCenter().removeWatcher(impl->watcherId);
  // Through the context, so that a loop that has not begun to run yet still hears it.
  g_main_context_invoke(
      impl->context,
      [](gpointer loop) -> gboolean {
        g_main_loop_quit(static_cast<GMainLoop*>(loop));
        return G_SOURCE_REMOVE;
      },
      impl->loop);
  impl->thread.join();
  impl.reset();
}

}  // namespace media
