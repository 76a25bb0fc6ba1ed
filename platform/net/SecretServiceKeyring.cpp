#include "platform/net/SecretServiceKeyring.h"

#include <libsecret/secret.h>

#include <algorithm>
#include <iterator>
#include <string>

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
      {"user", SECRET_SCHEMA_ATTRIBUTE_STRING},   {"domain", SECRET_SCHEMA_ATTRIBUTE_STRING}};
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

std::optional<Credentials> credentialsOf(SecretItem* item) {
  SecretValue* secret = secret_item_get_secret(item);
  if (!secret) return std::nullopt;
  const char* password = secret_value_get_text(secret);
  GHashTable* attributes = secret_item_get_attributes(item);
  std::optional<Credentials> found;
  if (password) {
    found = Credentials{attribute(attributes, "user").value_or(""), password, attribute(attributes, "domain")};
  }
  g_hash_table_unref(attributes);
  secret_value_unref(secret);
  return found;
}

}  // namespace

struct SecretServiceKeyring::Service {
  explicit Service(SecretService* connected) : service(connected) {}
  ~Service() { g_object_unref(service); }
  SecretService* service;
};

std::unique_ptr<SecretServiceKeyring> SecretServiceKeyring::connect() {
  GError* error = nullptr;
  SecretService* service = secret_service_get_sync(SECRET_SERVICE_OPEN_SESSION, nullptr, &error);
  if (!service) {
    g_clear_error(&error);
    return nullptr;
  }
  // The bus may answer while nothing owns the Secret Service name; only an open session proves one.
  if (!secret_service_get_session_algorithms(service)) {
    g_object_unref(service);
    return nullptr;
  }
  return std::unique_ptr<SecretServiceKeyring>(new SecretServiceKeyring(std::make_unique<Service>(service)));
}

SecretServiceKeyring::SecretServiceKeyring(std::unique_ptr<Service> service) : service_(std::move(service)) {}

SecretServiceKeyring::~SecretServiceKeyring() = default;

std::optional<Credentials> SecretServiceKeyring::find(const ProtectionSpace& space) const {
  Attributes attributes(space);
  GError* error = nullptr;
  GList* items = secret_service_search_sync(service_->service, credentialSchema(), attributes.table,
                                            SECRET_SEARCH_LOAD_SECRETS, nullptr, &error);
  g_clear_error(&error);
  std::optional<Credentials> found;
  for (GList* at = items; at && !found; at = at->next) found = credentialsOf(SECRET_ITEM(at->data));
  g_list_free_full(items, g_object_unref);
  return found;
}

bool SecretServiceKeyring::store(const ProtectionSpace& space, const Credentials& credential) {
  remove(space);
  Attributes attributes(space);
  attributes.add("user", credential.username);
  if (credential.accountDomain) attributes.add("domain", *credential.accountDomain);
  std::string label = "Password for " + credential.username + " on " + space.host;
  SecretValue* secret = secret_value_new(credential.password.c_str(), -1, "text/plain");
  GError* error = nullptr;
  bool stored = secret_service_store_sync(service_->service, credentialSchema(), attributes.table,
                                          SECRET_COLLECTION_DEFAULT, label.c_str(), secret, nullptr, &error);
  g_clear_error(&error);
  secret_value_unref(secret);
  return stored;
}

void SecretServiceKeyring::remove(const ProtectionSpace& space) {
  Attributes attributes(space);
  GError* error = nullptr;
  (void)secret_service_clear_sync(service_->service, credentialSchema(), attributes.table, nullptr, &error);
  g_clear_error(&error);
}

}  // namespace net
