#include "platform/net/ProxyAutoConfig.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>

#include "duktape.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/NoDestructor.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/WorkerPool.h"
#include "platform/net/PACHelpers.h"
#include "platform/net/URLParts.h"

namespace net {

// The script heap's state: the allocation cap and the deadline the interpreter polls.
struct PACScript::Heap {
  duk_context* context = nullptr;
  PACLimits limits;
  std::size_t usedBytes = 0;
  std::size_t peakBytes = 0;
  bool outOfMemory = false;
  std::chrono::steady_clock::time_point deadline;
  bool timedOut = false;

  ~Heap() {
    if (context) duk_destroy_heap(context);
  }
};

}  // namespace net

// Polled by the interpreter (see the patched duk_config.h): true stops the running script.
extern "C" int zr_duk_exec_timeout_check(void* udata) {
  auto* heap = static_cast<net::PACScript::Heap*>(udata);
  if (!heap || std::chrono::steady_clock::now() < heap->deadline) return 0;
  heap->timedOut = true;
  return 1;
}

namespace net {
namespace {

// Each block carries its size in front so that frees and reallocations keep the count exact.
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* capAlloc(void* udata, duk_size_t size) {
  auto* heap = static_cast<PACScript::Heap*>(udata);
  if (size == 0) return nullptr;
  if (heap->usedBytes + size > heap->limits.maxHeapBytes) {
    heap->outOfMemory = true;
    return nullptr;
  }
  auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
  if (!block) return nullptr;
  std::memcpy(block, &size, sizeof size);
  heap->usedBytes += size;
  heap->peakBytes = std::max(heap->peakBytes, heap->usedBytes);
  return block + kHeader;
}

std::size_t blockSize(void* pointer) {
  std::size_t size = 0;
  std::memcpy(&size, static_cast<unsigned char*>(pointer) - kHeader, sizeof size);
  return size;
}

void capFree(void* udata, void* pointer) {
  if (!pointer) return;
  static_cast<PACScript::Heap*>(udata)->usedBytes -= blockSize(pointer);
  std::free(static_cast<unsigned char*>(pointer) - kHeader);
}

void* capRealloc(void* udata, void* pointer, duk_size_t size) {
  if (!pointer) return capAlloc(udata, size);
  if (size == 0) {
    capFree(udata, pointer);
    return nullptr;
  }
  auto* heap = static_cast<PACScript::Heap*>(udata);
  std::size_t old = blockSize(pointer);
  if (size > old && heap->usedBytes + (size - old) > heap->limits.maxHeapBytes) {
    heap->outOfMemory = true;
    return nullptr;
  }
  auto* block =
      static_cast<unsigned char*>(std::realloc(static_cast<unsigned char*>(pointer) - kHeader, size + kHeader));
  if (!block) return nullptr;
  std::memcpy(block, &size, sizeof size);
  heap->usedBytes = heap->usedBytes - old + size;
  heap->peakBytes = std::max(heap->peakBytes, heap->usedBytes);
  return block + kHeader;
}

// Errors inside calls are caught by protected calls; this only runs for errors outside them.
void fatalError(void*, const char*) { std::abort(); }

std::optional<std::string> systemResolve(const std::string& host) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) return std::nullopt;
  char text[INET_ADDRSTRLEN] = {};
  ::inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr, text, sizeof text);
  ::freeaddrinfo(found);
  return std::string(text);
}

std::mutex resolverLock;
foundation::NoDestructor<PACScript::HostResolver> testResolver;  // guarded by resolverLock

PACScript::HostResolver currentResolver() {
  std::scoped_lock lock(resolverLock);
  return *testResolver ? *testResolver : PACScript::HostResolver(systemResolve);
}

// Look-ups still running; past the limit a script's look-up fails at once rather than leave
// yet another thread waiting on a resolver that does not answer.
std::atomic<int> pendingLookups{0};
constexpr int kMaxPendingLookups = 16;

struct Lookup {
  std::mutex mutex;
  std::condition_variable answered;
  bool done = false;
  std::optional<std::string> address;
};

// The address of `host`, or nullopt; false when the answer did not come before `deadline`.
bool resolveBefore(const std::string& host, std::chrono::steady_clock::time_point deadline,
                   std::optional<std::string>& address) {
  in_addr literal{};
  if (::inet_pton(AF_INET, host.c_str(), &literal) == 1) {
    address = host;
    return true;
  }
  if (pendingLookups.load() >= kMaxPendingLookups) return false;
  auto lookup = std::make_shared<Lookup>();
  ++pendingLookups;
  try {
    std::thread([lookup, host, resolver = currentResolver()] {
      auto found = resolver(host);
      std::scoped_lock lock(lookup->mutex);
      lookup->address = std::move(found);
      lookup->done = true;
      lookup->answered.notify_all();
      --pendingLookups;
    }).detach();
  } catch (const std::system_error&) {
    --pendingLookups;
    return false;
  }
  std::unique_lock lock(lookup->mutex);
  if (!lookup->answered.wait_until(lock, deadline, [&] { return lookup->done; })) return false;
  address = lookup->address;
  return true;
}

PACScript::Heap& heapOf(duk_context* context) {
  duk_memory_functions functions{};
  duk_get_memory_functions(context, &functions);
  return *static_cast<PACScript::Heap*>(functions.udata);
}

duk_ret_t dnsResolve(duk_context* context) {
  std::string host = duk_safe_to_string(context, 0);
  PACScript::Heap& heap = heapOf(context);
  std::optional<std::string> address;
  if (!resolveBefore(host, heap.deadline, address)) {
    heap.timedOut = true;
    return DUK_RET_RANGE_ERROR;  // the look-up ran past the script's time limit
  }
  if (address)
    duk_push_string(context, address->c_str());
  else
    duk_push_null(context);
  return 1;
}

duk_ret_t myIpAddress(duk_context* context) {
  std::string address = "127.0.0.1";
  ifaddrs* interfaces = nullptr;
  if (::getifaddrs(&interfaces) == 0) {
    for (ifaddrs* at = interfaces; at; at = at->ifa_next) {
      if (!at->ifa_addr || at->ifa_addr->sa_family != AF_INET || (at->ifa_flags & IFF_LOOPBACK)) continue;
      char text[INET_ADDRSTRLEN] = {};
      ::inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(at->ifa_addr)->sin_addr, text, sizeof text);
      address = text;
      break;
    }
    ::freeifaddrs(interfaces);
  }
  duk_push_string(context, address.c_str());
  return 1;
}

duk_ret_t now(duk_context* context) {
  duk_push_number(context, foundation::Clock::current().wallNow().secondsSince1970 * 1000.0);
  return 1;
}

foundation::ErrorPtr scriptError(long long code, std::string description) {
  return foundation::makeError(kProxyAutoConfigErrorDomain, code, std::move(description));
}

}  // namespace

// Runs `body` in a protected call under the time and memory limits; the error says which one broke.
template <class Body>
foundation::Status runLimited(PACScript::Heap& heap, Body body) {
  heap.deadline = std::chrono::steady_clock::now() + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                                         std::chrono::duration<double>(heap.limits.timeoutSeconds));
  heap.timedOut = false;
  heap.outOfMemory = false;
  const bool succeeded = body() == DUK_EXEC_SUCCESS;
  std::string message = succeeded ? "" : duk_safe_to_string(heap.context, -1);
  if (!succeeded) duk_pop(heap.context);
  // Also after a success: a script that caught the error of a look-up past the limit is late.
  if (heap.timedOut) return scriptError(kPACScriptTimedOut, "The proxy script ran too long");
  if (succeeded) return foundation::Status::success();
  if (heap.outOfMemory) return scriptError(kPACScriptOutOfMemory, "The proxy script used too much memory");
  return scriptError(kPACScriptFailed, "The proxy script failed: " + message);
}

foundation::Result<std::unique_ptr<PACScript>> PACScript::compile(std::string_view script, PACLimits limits) {
  if (script.size() > kMaxScriptBytes) return scriptError(kPACScriptTooLarge, "The proxy script is larger than 1 MiB");
  std::unique_ptr<PACScript> compiled(new PACScript);
  compiled->heap_ = std::make_unique<Heap>();
  Heap& heap = *compiled->heap_;
  heap.limits = limits;
  heap.context = duk_create_heap(capAlloc, capRealloc, capFree, &heap, fatalError);
  if (!heap.context) return scriptError(kPACScriptOutOfMemory, "The proxy script engine could not start");
  duk_context* context = heap.context;
  duk_push_c_function(context, dnsResolve, 1);
  duk_put_global_string(context, "dnsResolve");
  duk_push_c_function(context, myIpAddress, 0);
  duk_put_global_string(context, "myIpAddress");
  duk_push_c_function(context, now, 0);
  duk_put_global_string(context, "__zrNow");
  std::string source = std::string(kPACHelperScript) + "\n" + std::string(script);
  auto status = runLimited(heap, [&] {
    duk_push_lstring(context, source.data(), source.size());
    duk_push_string(context, "proxy.pac");
    int result = duk_pcompile(context, DUK_COMPILE_EVAL);
    if (result != 0) return result;
    result = duk_pcall(context, 0);
    if (result == 0) duk_pop(context);
    return result;
  });
  if (!status) return status.error();
  return compiled;
}

PACScript::~PACScript() = default;

std::size_t PACScript::peakHeapBytes() const { return heap_->peakBytes; }

foundation::Result<std::vector<PACProxy>> PACScript::proxiesForURL(const std::string& url) {
  duk_context* context = heap_->context;
  auto parts = parseHTTPURL(url);
  std::string host = parts.ok() ? parts->host : "";
  std::string answer;
  auto status = runLimited(*heap_, [&] {
    if (!duk_get_global_string(context, "FindProxyForURL") || !duk_is_function(context, -1)) {
      duk_pop(context);
      duk_push_string(context, "FindProxyForURL is not a function");
      return DUK_EXEC_ERROR;
    }
    duk_push_string(context, url.c_str());
    duk_push_string(context, host.c_str());
    int result = duk_pcall(context, 2);
    if (result == DUK_EXEC_SUCCESS) {
      answer = duk_safe_to_string(context, -1);
      duk_pop(context);
    }
    return result;
  });
  if (!status) return status.error();
  return parsePACAnswer(answer);
}

void PACScript::setHostResolverForTesting(HostResolver resolver) {
  std::scoped_lock lock(resolverLock);
  *testResolver = std::move(resolver);
}

void PACScript::proxiesForURLAsync(std::string script, std::string url, foundation::RunLoop& loop,
                                   std::function<void(foundation::Result<std::vector<PACProxy>>)> done,
                                   PACLimits limits) {
  foundation::WorkerPool::shared().run(
      [script = std::move(script), url = std::move(url), &loop, done = std::move(done), limits]() mutable {
        foundation::Result<std::vector<PACProxy>> result = [&]() -> foundation::Result<std::vector<PACProxy>> {
          auto compiled = compile(script, limits);
          if (!compiled) return compiled.error();
          return (*compiled)->proxiesForURL(url);
        }();
        loop.post([done = std::move(done), result = std::move(result)]() mutable { done(std::move(result)); });
      });
}

std::vector<PACProxy> parsePACAnswer(std::string_view answer) {
  std::vector<PACProxy> proxies;
  while (!answer.empty()) {
    auto end = answer.find(';');
    std::string entry(answer.substr(0, end));
    answer = end == std::string_view::npos ? std::string_view() : answer.substr(end + 1);
    auto first = entry.find_first_not_of(" \t");
    if (first == std::string::npos) continue;
    entry = entry.substr(first);
    auto space = entry.find_first_of(" \t");
    std::string keyword = toLowerASCII(entry.substr(0, space));
    if (keyword == "direct") {
      proxies.push_back({"DIRECT", "", 0});
      continue;
    }
    if (space == std::string::npos) continue;
    std::string address = entry.substr(entry.find_first_not_of(" \t", space));
    address = address.substr(0, address.find_first_of(" \t"));
    auto colon = address.rfind(':');
    if (colon == std::string::npos || colon == 0) continue;
    int port = std::atoi(address.c_str() + colon + 1);
    if (port <= 0 || port > 65535) continue;
    std::string host = address.substr(0, colon);
    if (keyword == "proxy" || keyword == "http" || keyword == "https") {
      proxies.push_back({"HTTP", host, port});
    } else if (keyword == "socks" || keyword == "socks5") {
      proxies.push_back({"SOCKS", host, port});
    } else if (keyword == "socks4") {
      proxies.push_back({"SOCKS4", host, port});
    }
  }
  return proxies;
}

}  // namespace net
