#pragma once

namespace foundation {

// Any thread. Makes GIO's process-wide defaults that this program's threads reach (the settings
// backend, the proxy resolver, the TLS backend), one at a time and always in that order, the first
// time any thread asks; a thread that asks meanwhile waits until all are made. Made at once from
// two threads, two of them can deadlock inside GIO: the proxy module makes its settings while it
// holds GIO's module lock, which the settings backend's own first use needs. So every platform
// call into GIO, or into a library that reaches these defaults (GStreamer's HTTP source, the
// keyring, the session bus), asks for this first; a further default that such a call reaches
// belongs in this list.
void ensureGioDefaults();

}  // namespace foundation
