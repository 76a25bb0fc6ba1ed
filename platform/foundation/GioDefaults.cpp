#include "platform/foundation/GioDefaults.h"

#define G_SETTINGS_ENABLE_BACKEND
#include <gio/gio.h>
#include <gio/gsettingsbackend.h>

#include <mutex>

namespace foundation {

void ensureGioDefaults() {
  static std::once_flag once;
  std::call_once(once, [] {
    // The settings backend before the proxy resolver, whose desktop module opens settings of its
    // own as it is made.
    (void)g_settings_schema_source_get_default();
    g_object_unref(g_settings_backend_get_default());
    (void)g_proxy_resolver_get_default();
    (void)g_tls_backend_get_default();
  });
}

}  // namespace foundation
