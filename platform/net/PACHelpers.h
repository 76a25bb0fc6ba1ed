#pragma once

namespace net {

// The helper functions of proxy auto-configuration scripts that need no system access, in
// script form; dnsResolve, myIpAddress and the clock (__zrNow) are native.
extern const char* const kPACHelperScript;

}  // namespace net
