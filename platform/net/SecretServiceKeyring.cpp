#include "platform/net/SecretServiceKeyring.h"

#include <libsecret/secret.h>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/foundation/GioDefaults.h"
#include "platform/foundation/WorkerPool.h"
#include "platform/net/CredentialStorage.h"

namespace net {
namespace {

SecretSchema makeCredentialSchema() {
  SecretSchema schema{};
  schema.name = "org.zunoradio.Credential";
  schema.flags = SECRET_SCHEMA_NONE;
  const SecretSchemaAttribute attributes[] = {
      {"host", SECRET_SCHEMA_ATTRIBUTE_STRING},   {"port", SECRET_SCHEMA_ATTRIBUTE_INTEGER},
      {"scheme", SECRET_SCHEMA_ATTRIBUTE_STRING}, {"realm", SECRET_SCHEMA_ATTRIBUTE_STRING},
      {"user", SECRET_SCHEMA_ATTRIBUTE_STRING},   {"domain", SECRET_SCHEMA_ATTRIBUTE_STRING},
      {"saved", SECRET_SCHEMA_ATTRIBUTE_STRING}};
  std::copy(std::begin(attributes), std::end(attributes), schema.attributes);
  return schema;
}

const SecretSchema* credentialSchema() {
  static const SecretSchema schema = makeCredentialSchema();
  return &schema;
}

// A proxy's space has no protocol: its type names it, so a server and a proxy on one host and
// port stay apart.
std::string schemeOf(const ProtectionSpace& space) {
  return space.proxyType.empty() ? space.protocol : space.proxyType + " proxy";
}

struct Attributes {
  explicit Attributes(const ProtectionSpace& space)
      : table(g_hash_table_new_full(g_str_hash, g_str_equal, nullptr, g_free)) {
    add("host", space.host);
    add("port", std::to_string(space.port));
    add("scheme", schemeOf(space));
    add("realm", space.realm);
  }
  ~Attributes() { g_hash_table_unref(table); }
  Attributes(const Attributes&) = delete;
  Attributes& operator=(const Attributes&) = delete;
  void add(const char* name, const std::string& value) {
    g_hash_table_insert(table, const_cast<char*>(name), g_strdup(value.c_str()));
  }
  GHashTable* table;
};

std::optional<std::string> attribute(GHashTable* attributes, const char* name) {
  const auto* value = static_cast<const char*>(g_hash_table_lookup(attributes, name));
  return value ? std::optional<std::string>(value) : std::nullopt;
}

// Seconds since 1970 as text: an integer attribute would drop the fraction that orders two saves
// of one second.
std::string savedAttribute(foundation::Date savedAt) {
  char text[48];
  std::snprintf(text, sizeof text, "%.6f", savedAt.secondsSince1970);
  return text;
}

// Items stored before the time of saving was kept, or with a garbled one, count as older than any.
foundation::Date savedAtOf(GHashTable* attributes) {
  std::optional<std::string> text = attribute(attributes, "saved");
  if (!text) return {};
  char* end = nullptr;
  double seconds = std::strtod(text->c_str(), &end);
  return end && *end == '\0' && std::isfinite(seconds) ? foundation::Date{seconds} : foundation::Date{};
}

// Answers the item's credential and when it was saved.
void readItem(SecretItem* item, KeyringAnswer& answer) {
  SecretValue* secret = secret_item_get_secret(item);
  if (!secret) return;
  const char* password = secret_value_get_text(secret);
  GHashTable* attributes = secret_item_get_attributes(item);
  if (password) {
    answer.credential =
        Credentials{attribute(attributes, "user").value_or(""), password, attribute(attributes, "domain")};
    answer.savedAt = savedAtOf(attributes);
  }
  g_hash_table_unref(attributes);
  secret_value_unref(secret);
}

constexpr const char* kSecretServiceBusName = "org.freedesktop.secrets";

// The bus daemon's own answers: quick, whatever the Secret Service itself does.
GVariant* callBus(GDBusConnection* bus, const char* method, GVariant* parameters) {
  GError* error = nullptr;
  GVariant* reply =
      g_dbus_connection_call_sync(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", method,
                                  parameters, nullptr, G_DBUS_CALL_FLAGS_NONE, -1, nullptr, &error);
  g_clear_error(&error);
  return reply;
}

bool nameHasOwner(GDBusConnection* bus) {
  GVariant* reply = callBus(bus, "NameHasOwner", g_variant_new("(s)", kSecretServiceBusName));
  if (!reply) return false;
  gboolean owned = FALSE;
  g_variant_get(reply, "(b)", &owned);
  g_variant_unref(reply);
  return owned;
}

bool nameIsActivatable(GDBusConnection* bus) {
  GVariant* reply = callBus(bus, "ListActivatableNames", nullptr);
  if (!reply) return false;
  GVariantIter* names = nullptr;
  g_variant_get(reply, "(as)", &names);
  bool found = false;
  const char* name = nullptr;
  while (!found && g_variant_iter_loop(names, "&s", &name)) found = std::string_view(name) == kSecretServiceBusName;
  g_variant_iter_free(names);
  g_variant_unref(reply);
  return found;
}

bool isMissingService(const GError* error) {
  if (error->domain != G_DBUS_ERROR) return false;
  return error->code == G_DBUS_ERROR_SERVICE_UNKNOWN || error->code == G_DBUS_ERROR_NAME_HAS_NO_OWNER ||
         (error->code >= G_DBUS_ERROR_SPAWN_EXEC_FAILED && error->code <= G_DBUS_ERROR_SPAWN_NO_MEMORY);
}

bool isNoAnswer(const GError* error) {
  return g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED) ||
         g_error_matches(error, G_IO_ERROR, G_IO_ERROR_TIMED_OUT) ||
         g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_NO_REPLY) ||
         g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_TIMEOUT) ||
         g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_TIMED_OUT);
}

// Takes the error of a failed call; `what` says what the keyring would not do.
KeyringAnswer failure(GError* error, const char* what) {
  KeyringAnswer answer{KeyringAnswer::Outcome::refused, what, std::nullopt, {}};
  if (error) {
    if (isMissingService(error)) answer.outcome = KeyringAnswer::Outcome::absent;
    if (isNoAnswer(error)) answer.outcome = KeyringAnswer::Outcome::noAnswer;
    answer.reason = std::string(what) + ": " + error->message;
    g_error_free(error);
  }
  return answer;
}

// The shared Secret Service, with a session open for secrets.
SecretService* serviceFor(GCancellable* cancellable, GError** error) {
  return secret_service_get_sync(SECRET_SERVICE_OPEN_SESSION, cancellable, error);
}

// Runs `call` on a worker thread and waits for it at most `timeOut`; then cancels it, and its
// late answer is dropped.
KeyringAnswer callWithin(foundation::Duration timeOut, std::function<KeyringAnswer(GCancellable*)> call) {
  struct Pending {
    Pending() : cancellable(g_cancellable_new()) {}
    ~Pending() { g_object_unref(cancellable); }
    Pending(const Pending&) = delete;
    Pending& operator=(const Pending&) = delete;
    GCancellable* cancellable;
    std::mutex lock;
    std::condition_variable answered;
    std::optional<KeyringAnswer> answer;
  };
  if (timeOut <= foundation::Duration::zero()) timeOut = kDefaultKeyringTimeOut;
  auto pending = std::make_shared<Pending>();
  foundation::WorkerPool::shared().run([pending, call = std::move(call)] {
    KeyringAnswer answer = call(pending->cancellable);
    std::scoped_lock lock(pending->lock);
    pending->answer = std::move(answer);
    pending->answered.notify_all();
  });
  std::unique_lock lock(pending->lock);
  if (pending->answered.wait_for(lock, timeOut, [&] { return pending->answer.has_value(); })) {
    return *pending->answer;
  }
  g_cancellable_cancel(pending->cancellable);
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%g", timeOut.count());
  return {KeyringAnswer::Outcome::noAnswer,
          std::string("The keyring did not answer within ") + seconds + " s",
          std::nullopt,
          {}};
}

KeyringAnswer clearItems(SecretService* service, const ProtectionSpace& space, GCancellable* cancellable) {
  Attributes attributes(space);
  GError* error = nullptr;
  // False with no error when there was nothing to remove.
  if (!secret_service_clear_sync(service, credentialSchema(), attributes.table, cancellable, &error) && error) {
    return failure(error, "The keyring would not remove the password");
  }
  return {};
}

}  // namespace

std::unique_ptr<SecretServiceKeyring> SecretServiceKeyring::connect() {
  foundation::ensureGioDefaults();
  GError* error = nullptr;
  GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
  if (!bus) {
    g_clear_error(&error);
    return nullptr;
  }
  bool present = nameHasOwner(bus) || nameIsActivatable(bus);
  g_object_unref(bus);
  return present ? std::unique_ptr<SecretServiceKeyring>(new SecretServiceKeyring()) : nullptr;
}

SecretServiceKeyring::~SecretServiceKeyring() = default;

KeyringAnswer SecretServiceKeyring::find(const ProtectionSpace& space, foundation::Duration timeOut) const {
  return callWithin(timeOut, [space](GCancellable* cancellable) {
    GError* error = nullptr;
    SecretService* service = serviceFor(cancellable, &error);
    if (!service) return failure(error, "The keyring could not be opened");
    Attributes attributes(space);
    GList* items = secret_service_search_sync(service, credentialSchema(), attributes.table, SECRET_SEARCH_LOAD_SECRETS,
                                              cancellable, &error);
    g_object_unref(service);
    if (error) return failure(error, "The keyring could not be searched");
    KeyringAnswer answer;
    for (GList* at = items; at && !answer.credential; at = at->next) readItem(SECRET_ITEM(at->data), answer);
    g_list_free_full(items, g_object_unref);
    return answer;
  });
}

KeyringAnswer SecretServiceKeyring::store(const ProtectionSpace& space, const Credentials& credential,
                                          foundation::Date savedAt, foundation::Duration timeOut) {
  return callWithin(timeOut, [space, credential, savedAt](GCancellable* cancellable) {
    GError* error = nullptr;
    SecretService* service = serviceFor(cancellable, &error);
    if (!service) return failure(error, "The keyring could not be opened");
    if (KeyringAnswer cleared = clearItems(service, space, cancellable);
        cleared.outcome != KeyringAnswer::Outcome::done) {
      g_object_unref(service);
      return cleared;
    }
    Attributes attributes(space);
    attributes.add("user", credential.username);
    if (credential.accountDomain) attributes.add("domain", *credential.accountDomain);
    attributes.add("saved", savedAttribute(savedAt));
    std::string label = "Password for " + credential.username + " on " + space.host;
    SecretValue* secret = secret_value_new(credential.password.c_str(), -1, "text/plain");
    bool stored = secret_service_store_sync(service, credentialSchema(), attributes.table, SECRET_COLLECTION_DEFAULT,
                                            label.c_str(), secret, cancellable, &error);
    secret_value_unref(secret);
    g_object_unref(service);
    return stored ? KeyringAnswer{} : failure(error, "The keyring would not keep the password");
  });
}

KeyringAnswer SecretServiceKeyring::remove(const ProtectionSpace& space, foundation::Duration timeOut) {
  return callWithin(timeOut, [space](GCancellable* cancellable) {
    GError* error = nullptr;
    SecretService* service = serviceFor(cancellable, &error);
    if (!service) return failure(error, "The keyring could not be opened");
    KeyringAnswer answer = clearItems(service, space, cancellable);
    g_object_unref(service);
    return answer;
  });
}

}  // namespace net
