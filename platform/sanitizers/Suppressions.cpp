// Every sanitizer suppression for the third-party libraries we load, in one place. Only their
// names are given. A race suppression matches a library anywhere in a report's stacks, so a race
// of our own code on a thread one of them started (a GStreamer streaming thread) is hidden too.

#include "platform/sanitizers/Suppressions.h"

// GCC announces the sanitizers by macro, clang by feature test.
#if defined(__SANITIZE_ADDRESS__)
#define ZR_ADDRESS_SANITIZER 1
#endif
#if defined(__SANITIZE_THREAD__)
#define ZR_THREAD_SANITIZER 1
#endif
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZR_ADDRESS_SANITIZER 1
#endif
#if __has_feature(thread_sanitizer)
#define ZR_THREAD_SANITIZER 1
#endif
#endif

#if defined(ZR_ADDRESS_SANITIZER)
// Fontconfig links its patterns by encoded offsets the leak checker cannot follow; GLib, GObject
// and GStreamer keep type tables, plugin registries and per-thread caches for the whole run.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n"
         "leak:libglib-2.0.so\n"
         "leak:libgobject-2.0.so\n"
         "leak:libgio-2.0.so\n"
         "leak:libgstreamer-1.0.so\n"
         "leak:libgstbase-1.0.so\n"
         "leak:libgstaudio-1.0.so\n"
         "leak:libgstpbutils-1.0.so\n"
         "leak:libgst\n";
}
#endif

#if defined(ZR_THREAD_SANITIZER)
// These libraries synchronise their caches, queues, reference counts and the media buffers they
// hand from thread to thread with atomics and locks of their own that the uninstrumented code
// hides from the race detector; a TLS session (GnuTLS) is handed between the source's threads so,
// and so is the proxy lookup (libproxy) between the thread that made it and GIO's pool. Keyring
// look-ups that overlap meet in libsecret's secure-memory pool and in libgcrypt, which libsecret
// guards with a GMutex of GLib's that the detector cannot see; no state of ours is involved.
extern "C" const char* __tsan_default_suppressions() {
  return "race:libfontconfig.so\n"
         "race:libglib-2.0.so\n"
         "race:libgobject-2.0.so\n"
         "race:libgio-2.0.so\n"
         "race:libpango-1.0.so\n"
         "race:libgstreamer-1.0.so\n"
         "race:libgstbase-1.0.so\n"
         "race:libgst\n"
         "race:libsoup-2.4.so\n"
         "race:libgnutls.so\n"
         "race:libproxy.so\n"
         "race:libmpg123.so\n"
         "race:libsecret-1.so\n"
         "race:libgcrypt.so\n"
         "deadlock:libgstreamer-1.0.so\n";
}
#endif

namespace sanitizers {
void keepSuppressions() {}
}  // namespace sanitizers
