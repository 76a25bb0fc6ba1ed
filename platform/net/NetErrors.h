#pragma once

#include <string>

#include "platform/foundation/Error.h"

// The numbering of the errors that HTTP read streams report (HTTPReadStream::error()). A caller
// decides from these whether to send a request again or how to describe the failure:
//
//  * Restart cases: POSIX kSocketNotConnected (57), POSIX kBrokenPipe (32) and
//    kCFNetworkErrorDomain kNetworkConnectionLost (-1005). They are reported only for a stream
//    that was sent on a reused idle socket and only before any byte of the response arrived:
//    the server had dropped the idle connection, so nothing was processed and sending again on a
//    fresh connection is safe. The same events on a freshly dialled connection are reported as
//    kConnectionLostDuringResponse, which is never a cue to send again.
//  * TLS failures: domain kOSStatusErrorDomain, codes kTLSErrorFirst..kTLSErrorLast.
//  * Everything else: the CFNetwork domain codes below, or POSIX errno values (Linux numbering)
//    for other socket errors.
namespace net {

inline constexpr const char* kCFNetworkErrorDomain = "kCFErrorDomainCFNetwork";
inline constexpr const char* kOSStatusErrorDomain = "NSOSStatusErrorDomain";
// POSIX errors use foundation::kPOSIXErrorDomain.

// POSIX numbers as the restart rule counts them (independent of the host's errno values).
inline constexpr long long kBrokenPipe = 32;
inline constexpr long long kSocketNotConnected = 57;

// kCFNetworkErrorDomain codes.
inline constexpr long long kConnectionLostDuringResponse = 302;  // closed or reset mid-exchange
inline constexpr long long kResponseParseFailure = 303;          // malformed status line, header or framing
inline constexpr long long kCannotFindHost = -1003;              // name resolution failed
inline constexpr long long kCannotConnectToHost = -1004;         // refused, unreachable
inline constexpr long long kNetworkConnectionLost = -1005;       // restart case, see above
inline constexpr long long kResponseHeaderTooLarge = -1011;      // head above kMaxResponseHeadBytes
inline constexpr long long kRequestBodyReadFailed = -1021;       // the request body stream failed
inline constexpr long long kUnsupportedURL = -1002;              // scheme other than http/https, no host
inline constexpr long long kInvalidProxySetting = 310;           // a proxy variable that cannot be used
inline constexpr long long kSOCKSProtocolError = 120;            // a SOCKS proxy's answer made no sense
inline constexpr long long kSOCKSConnectRefused = 121;           // the SOCKS proxy would not reach the host
inline constexpr long long kSOCKSBadCredentials = 122;           // user name and password refused
inline constexpr long long kSOCKSNoAcceptableMethod = 124;       // no login method both sides know

// kOSStatusErrorDomain codes (TLS). Every TLS failure lies in [kTLSErrorFirst, kTLSErrorLast].
inline constexpr long long kTLSErrorFirst = -9818;
inline constexpr long long kTLSErrorLast = -9800;
inline constexpr long long kTLSProtocolError = -9800;       // handshake or record failure
inline constexpr long long kTLSCertificateInvalid = -9807;  // chain or host name does not verify
inline constexpr long long kTLSUnknownRoot = -9812;         // issuer not trusted (self-signed)
inline constexpr long long kTLSCertificateExpired = -9814;
inline constexpr long long kTLSCertificateNotYetValid = -9815;
inline constexpr long long kTLSClientCredentialUnusable = -9808;  // our identity's files cannot be used

// A sane limit on a response head (status line and all header fields).
inline constexpr std::size_t kMaxResponseHeadBytes = 64 * 1024;

// Any thread. Whether the error is one of the three restart cases above.
bool isRestartCase(const foundation::Error& error);
// Any thread. Whether the error is a TLS failure.
bool isTLSError(const foundation::Error& error);

}  // namespace net
