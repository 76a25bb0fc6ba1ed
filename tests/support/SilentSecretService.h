#pragma once

#include <gio/gio.h>

#include <atomic>
#include <string>

#include "platform/foundation/RunLoop.h"

namespace testsupport {

// A Secret Service that takes every call and never answers: the service's bus name, owned on a
// session-bus connection of its own whose filter swallows every method call sent to it. Owns the
// name from construction (when the bus lets it) until destruction. Each call taken wakes the main
// run loop.
class SilentSecretService {
 public:
  SilentSecretService() {
    GError* error = nullptr;
    const char* address = g_getenv("DBUS_SESSION_BUS_ADDRESS");
    if (!address) return;
    bus_ = g_dbus_connection_new_for_address_sync(
        address,
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, &error);
    if (!bus_) {
      why_ = error->message;
      g_error_free(error);
      return;
    }
    g_dbus_connection_add_filter(bus_, swallowCalls, this, nullptr);
    GVariant* reply = g_dbus_connection_call_sync(
        bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
        g_variant_new("(su)", "org.freedesktop.secrets", 4u /* do not queue */), G_VARIANT_TYPE("(u)"),
        G_DBUS_CALL_FLAGS_NONE, -1, nullptr, &error);
    if (!reply) {
      why_ = error->message;
      g_error_free(error);
      return;
    }
    guint32 result = 0;
    g_variant_get(reply, "(u)", &result);
    g_variant_unref(reply);
    owned_ = result == 1;  // the primary owner
    if (!owned_) why_ = "something else owns org.freedesktop.secrets";
  }
  ~SilentSecretService() {
    if (bus_) {
      g_dbus_connection_close_sync(bus_, nullptr, nullptr);
      g_object_unref(bus_);
    }
  }
  SilentSecretService(const SilentSecretService&) = delete;
  SilentSecretService& operator=(const SilentSecretService&) = delete;

  bool owned() const { return owned_; }
  // Any thread. How many calls it took (and left unanswered).
  int callsTaken() const { return callsTaken_; }
  const std::string& why() const { return why_; }

 private:
  // On GDBus's own thread.
  static GDBusMessage* swallowCalls(GDBusConnection*, GDBusMessage* message, gboolean incoming, gpointer self) {
    if (incoming && g_dbus_message_get_message_type(message) == G_DBUS_MESSAGE_TYPE_METHOD_CALL) {
      ++static_cast<SilentSecretService*>(self)->callsTaken_;
      foundation::performOnMainThread([] {});
      g_object_unref(message);
      return nullptr;
    }
    return message;
  }

  GDBusConnection* bus_ = nullptr;
  bool owned_ = false;
  std::atomic<int> callsTaken_ = 0;
  std::string why_ = "no session bus";
};

}  // namespace testsupport
