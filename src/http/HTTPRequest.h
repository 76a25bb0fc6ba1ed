#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Clock.h"
#include "platform/foundation/Operation.h"
#include "platform/foundation/OutputFileStream.h"
#include "platform/foundation/Result.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Value.h"
#include "platform/net/Certificate.h"
#include "platform/net/ClientIdentity.h"
#include "platform/net/CookieStore.h"
#include "platform/net/HTTPAuthentication.h"
#include "src/http/CacheDelegate.h"
#include "src/http/HTTPRequestDelegate.h"
#include "src/http/HTTPRequestErrors.h"
#include "src/http/HTTPRequestQueueDelegate.h"
#include "src/http/HTTPRequestSettings.h"
#include "src/http/ProgressDelegate.h"

namespace foundation {
class OperationQueue;
}

namespace net {
class HTTPMessage;
class HTTPReadStream;
class InputStream;
struct ProtectionSpace;
}  // namespace net

namespace http {

class DataDecompressor;
struct ConnectionRecord;
struct SessionCredentials;

// One HTTP exchange, run as a concurrent operation. The caller configures it (URL, method,
// headers, body, destination file, delegate) on any thread and starts it; all stream work runs
// on the one network thread of the process, and every callback, block and progress report
// arrives on the main thread (RunLoop::main(), which the main thread must have claimed before the
// first request starts). Every field is read and written under the request's own lock, so
// accessors may be called from any thread.
class HTTPRequest : public foundation::Operation {
 public:
  // Configurable delegate methods, standing in for the delegate's selectors.
  using RequestSelector = void (HTTPRequestDelegate::*)(HTTPRequest&);
  using HeadersSelector = void (HTTPRequestDelegate::*)(HTTPRequest&, const foundation::Dictionary&);
  using RedirectSelector = void (HTTPRequestDelegate::*)(HTTPRequest&, const std::string&);
  using DataSelector = void (HTTPRequestDelegate::*)(HTTPRequest&, const foundation::Bytes&);

  using BasicBlock = std::function<void()>;
  using HeadersBlock = std::function<void(const foundation::Dictionary&)>;
  using ProgressBlock = std::function<void(std::uint64_t amount, std::uint64_t total)>;
  using SizeBlock = std::function<void(std::int64_t amount)>;
  using DataBlock = std::function<void(const foundation::Bytes&)>;

  // --- Creation (any thread) ---
  static std::shared_ptr<HTTPRequest> requestWithURL(const std::string& url);
  ~HTTPRequest() override;

  // --- Starting (any thread) ---
  // Adds the request to the shared queue (at most 4 run at once).
  void startAsynchronous();
  // Operation entry, called by a queue: marks the request executing and runs main() on the
  // network thread without waiting.
  void start() override;
  // Network thread. The main step: builds the message and opens the connection; also run
  // again by a redirect.
  void main() override;
  bool isConcurrent() const override { return true; }
  // start() only posts the main step to the network thread.
  bool startsWithoutBlocking() const override { return true; }
  // Any thread. Asks for cancellation on the network thread and returns at once.
  void cancel() override;
  // Any thread. Silences the request (delegate, queue, progress delegates and blocks are
  // dropped), then cancels it.
  void clearDelegatesAndCancel();
  // Any thread. Continues a redirect that the delegate or queue was asked to confirm.
  void redirectToURL(const std::string& url);
  // Any thread. A HEAD request for the same URL and settings, working for this request.
  std::shared_ptr<HTTPRequest> HEADRequest();
  // Any thread but the network thread. Runs the request and returns once it has finished,
  // running the calling thread's loop meanwhile (callbacks for the main thread arrive when the
  // caller is the main thread).
  void startSynchronous();
  bool isSynchronous() const;
  // Any thread. A new request of the same class for the same URL with this one's configuration
  // (delegates, method, body, headers, cookies, switches, progress settings, user info); none of
  // the exchange's state is copied.
  std::shared_ptr<HTTPRequest> copy() const;
  // Any thread. What copy() takes over.
  HTTPRequestSettings settings() const;
  // Network thread. Holds the read stream while the bandwidth throttle wants it held, and
  // schedules it again once it may read.
  void performThrottling();

  // --- Class-wide (any thread) ---
  static foundation::OperationQueue& sharedQueue();
  // The network thread's run loop, started on first use.
  static foundation::RunLoop& networkLoop();
  static bool isNetworkInUse();
  // Whether requests drive the status bar's network activity indicator (on by default).
  static void setShouldUpdateNetworkActivityIndicator(bool update);
  static double defaultTimeOutSeconds();
  static void setDefaultTimeOutSeconds(double seconds);
  // Succeeds when nothing is at the path or it was removed; otherwise the code-8 error.
  static foundation::Status removeFileAtPath(const std::string& path);
  // Whether the device can run work in the background.
  static bool isMultitaskingSupported();
  // Closes and forgets every kept connection that no request uses and whose idle time is over.
  static void expirePersistentConnections();

  // --- Response cache (any thread) ---
  // A request that consults `cache` with `cachePolicy` (CachePolicy bits; 0 takes the cache's default).
  static std::shared_ptr<HTTPRequest> requestWithURL(const std::string& url, std::shared_ptr<CacheDelegate> cache,
                                                     int cachePolicy = kUseDefaultCachePolicy);
  // The cache every new request takes; none unless set.
  static std::shared_ptr<CacheDelegate> defaultCache();
  static void setDefaultCache(std::shared_ptr<CacheDelegate> cache);
  // Until when the request's response stays current: now + maxAge when it is not 0, else from
  // the response's "Cache-Control" max-age (which wins, even when 0) or "Expires".
  static std::optional<foundation::Date> expiryDateForRequest(HTTPRequest& request, double maxAge);
  // "Sun, 06 Nov 1994 08:49:37 GMT" and its forms without weekday or seconds.
  static std::optional<foundation::Date> dateFromRFC1123String(std::string_view text);
  std::shared_ptr<CacheDelegate> downloadCache() const;
  void setDownloadCache(std::shared_ptr<CacheDelegate> cache);
  int cachePolicy() const;
  void setCachePolicy(int policy);
  // CacheStoragePolicy: 0 for this run only, anything else permanent.
  int cacheStoragePolicy() const;
  void setCacheStoragePolicy(int policy);
  // Whether the response came from the cache.
  bool didUseCachedResponse() const;
  // When not 0, how long a stored response stays current, whatever its headers say.
  double secondsToCache() const;
  void setSecondsToCache(double seconds);

  // --- Class-wide options (any thread) ---
  // "<app> <version> (<model>; <system> <version>; <locale>)", computed once; nullopt when the
  // application has no name. Sent by requests that set no "User-Agent" of their own.
  static std::optional<std::string> defaultUserAgentString();
  // nullopt computes the default again on next use.
  static void setDefaultUserAgentString(std::optional<std::string> userAgent);
  // The MIME type of the file's extension ("application/octet-stream" when unknown); nullopt
  // when nothing is at the path.
  static std::optional<std::string> mimeTypeForFileAtPath(const std::string& path);
  // Reads a "Content-Type" header: the MIME type, and the charset when it names one this
  // system knows (else `encoding` stays). Nothing changes without a header.
  static void parseMimeType(std::string& mimeType, std::string& encoding,
                            const std::optional<std::string>& contentType);
  // Standard Base64 with padding, on one line.
  static std::string base64forData(const foundation::Bytes& data);

  // --- Bandwidth (any thread; the process-wide BandwidthThrottle) ---
  static bool isBandwidthThrottled();
  // Bytes per second for every request's body reads; 0 (the default) is no limit.
  static std::uint64_t maxBandwidthPerSecond();
  static void setMaxBandwidthPerSecond(std::uint64_t bytes);
  static std::uint64_t averageBandwidthUsedPerSecond();
  // True: 14800 bytes per second while on the mobile network. False: no limit anywhere.
  static void setShouldThrottleBandwidthForWWAN(bool throttle);
  // Limits only while the device is on the mobile network.
  static void throttleBandwidthForWWANUsingLimit(std::uint64_t limit);

  // --- Configuration (any thread) ---
  std::string url() const;
  void setURL(const std::string& url);
  std::string originalURL() const;
  std::string redirectURL() const;
  std::shared_ptr<HTTPRequestDelegate> delegate() const;
  void setDelegate(std::weak_ptr<HTTPRequestDelegate> delegate);
  std::shared_ptr<HTTPRequestQueueDelegate> queue() const;
  void setQueue(std::shared_ptr<HTTPRequestQueueDelegate> queue);
  std::shared_ptr<ProgressDelegate> uploadProgressDelegate() const;
  void setUploadProgressDelegate(std::weak_ptr<ProgressDelegate> delegate);
  std::shared_ptr<ProgressDelegate> downloadProgressDelegate() const;
  void setDownloadProgressDelegate(std::weak_ptr<ProgressDelegate> delegate);
  std::string requestMethod() const;
  void setRequestMethod(const std::string& method);
  void addRequestHeader(const std::string& name, const std::string& value);
  foundation::Dictionary requestHeaders() const;
  std::vector<net::Cookie> requestCookies() const;
  void setRequestCookies(std::vector<net::Cookie> cookies);
  bool useCookiePersistence() const;
  void setUseCookiePersistence(bool use);
  bool allowCompressedResponse() const;
  void setAllowCompressedResponse(bool allow);
  bool shouldWaitToInflateCompressedResponses() const;
  void setShouldWaitToInflateCompressedResponses(bool wait);
  // The most bytes of body kept in memory (inflated, unless inflating waits for the end); a body
  // that grows past it fails the request with responseTooLarge. 0, the default, is no maximum.
  // Bodies that go to a file or to a data receiver are not counted.
  std::uint64_t maxResponseDataSize() const;
  void setMaxResponseDataSize(std::uint64_t bytes);
  std::string downloadDestinationPath() const;
  void setDownloadDestinationPath(const std::string& path);
  std::string temporaryFileDownloadPath() const;
  void setTemporaryFileDownloadPath(const std::string& path);
  std::string temporaryUncompressedDataDownloadPath() const;
  void setTemporaryUncompressedDataDownloadPath(const std::string& path);
  bool allowResumeForFileDownloads() const;
  void setAllowResumeForFileDownloads(bool allow);
  std::string userAgentString() const;
  void setUserAgentString(const std::string& userAgent);
  double timeOutSeconds() const;
  void setTimeOutSeconds(double seconds);
  int numberOfTimesToRetryOnTimeout() const;
  void setNumberOfTimesToRetryOnTimeout(int times);
  bool showAccurateProgress() const;
  void setShowAccurateProgress(bool accurate);
  bool shouldResetUploadProgress() const;
  void setShouldResetUploadProgress(bool reset);
  bool shouldResetDownloadProgress() const;
  void setShouldResetDownloadProgress(bool reset);
  // IANA charset names; ISO-8859-1 unless changed.
  std::string defaultResponseEncoding() const;
  void setDefaultResponseEncoding(const std::string& charset);
  bool useHTTPVersionOne() const;
  void setUseHTTPVersionOne(bool use);
  bool shouldRedirect() const;
  void setShouldRedirect(bool follow);
  bool shouldUseRFC2616RedirectBehaviour() const;
  void setShouldUseRFC2616RedirectBehaviour(bool use);
  bool validatesSecureCertificate() const;
  void setValidatesSecureCertificate(bool validates);
  // The identity presented to https servers that ask for a client certificate. While one is
  // set, server certificates are checked in full, whatever validatesSecureCertificate() says.
  std::shared_ptr<const net::ClientIdentity> clientCertificateIdentity() const;
  void setClientCertificateIdentity(std::shared_ptr<const net::ClientIdentity> identity);
  // Further certificates sent after the identity (its intermediates).
  std::vector<std::shared_ptr<const net::Certificate>> clientCertificates() const;
  void setClientCertificates(std::vector<std::shared_ptr<const net::Certificate>> certificates);
  bool shouldAttemptPersistentConnection() const;
  void setShouldAttemptPersistentConnection(bool attempt);
  double persistentConnectionTimeoutSeconds() const;
  void setPersistentConnectionTimeoutSeconds(double seconds);
  std::string proxyHost() const;
  int proxyPort() const;
  void setProxy(const std::string& host, int port);
  foundation::Dictionary userInfo() const;
  void setUserInfo(foundation::Dictionary userInfo);
  std::int64_t tag() const;
  void setTag(std::int64_t tag);

  void setDidStartSelector(RequestSelector selector);
  void setDidReceiveResponseHeadersSelector(HeadersSelector selector);
  void setWillRedirectSelector(RedirectSelector selector);
  void setDidFinishSelector(RequestSelector selector);
  void setDidFailSelector(RequestSelector selector);
  void setDidReceiveDataSelector(DataSelector selector);

  void setStartedBlock(BasicBlock block);
  void setHeadersReceivedBlock(HeadersBlock block);
  void setCompletionBlock(BasicBlock block);
  void setFailureBlock(BasicBlock block);
  void setBytesReceivedBlock(ProgressBlock block);
  void setBytesSentBlock(ProgressBlock block);
  void setDownloadSizeIncrementedBlock(SizeBlock block);
  void setUploadSizeIncrementedBlock(SizeBlock block);
  void setDataReceivedBlock(DataBlock block);
  void setRequestRedirectedBlock(BasicBlock block);

  // --- Body (any thread, before the start) ---
  void appendPostData(const foundation::Bytes& data);
  void appendPostDataFromFile(const std::string& path);
  foundation::Bytes postBody() const;
  void setPostBody(foundation::Bytes body);
  void setShouldStreamPostDataFromDisk(bool stream);
  // Send the body gzipped, with "Content-Encoding: gzip" (off by default).
  bool shouldCompressRequestBody() const;
  void setShouldCompressRequestBody(bool compress);
  void setPostBodyFilePath(const std::string& path);
  std::uint64_t postLength() const;

  // --- Credentials (any thread) ---
  // nullopt is "not set"; an empty text is set.
  std::optional<std::string> username() const;
  void setUsername(std::optional<std::string> username);
  std::optional<std::string> password() const;
  void setPassword(std::optional<std::string> password);
  std::string domain() const;
  void setDomain(std::string domain);
  std::optional<std::string> proxyUsername() const;
  void setProxyUsername(std::optional<std::string> username);
  std::optional<std::string> proxyPassword() const;
  void setProxyPassword(std::optional<std::string> password);
  std::string proxyDomain() const;
  void setProxyDomain(std::string domain);
  // "HTTP" (also when empty) or "SOCKS".
  std::string proxyType() const;
  void setProxyType(std::string type);
  // A proxy auto-configuration script (file, http or https URL) that chooses the proxy.
  std::string PACurl() const;
  void setPACurl(std::string url);
  bool shouldPresentCredentialsBeforeChallenge() const;
  void setShouldPresentCredentialsBeforeChallenge(bool present);
  bool shouldPresentAuthenticationDialog() const;
  void setShouldPresentAuthenticationDialog(bool present);
  bool shouldPresentProxyAuthenticationDialog() const;
  void setShouldPresentProxyAuthenticationDialog(bool present);
  bool useSessionPersistence() const;
  void setUseSessionPersistence(bool use);
  bool useKeychainPersistence() const;
  void setUseKeychainPersistence(bool use);
  std::string authenticationScheme() const;
  std::optional<std::string> authenticationRealm() const;
  std::string proxyAuthenticationScheme() const;
  std::optional<std::string> proxyAuthenticationRealm() const;
  int authenticationRetryCount() const;
  int proxyAuthenticationRetryCount() const;
  // Run on the main thread when the server (proxy) asks for credentials and no delegate or queue
  // answers; the block sets them and calls retryUsingSuppliedCredentials() or cancelAuthentication().
  void setAuthenticationNeededBlock(BasicBlock block);
  void setProxyAuthenticationNeededBlock(BasicBlock block);
  // Any thread. After the delegate set username/password (or the proxy ones): answers the
  // challenge again on the network thread.
  void retryUsingSuppliedCredentials();
  // Any thread. Gives up the challenge: the request fails with code 3.
  void cancelAuthentication();

  // --- Class-wide credentials and session (any thread) ---
  static void saveCredentials(const net::Credentials& credentials, const std::string& host, int port,
                              const std::string& protocol, const std::string& realm);
  static void saveCredentialsForProxy(const net::Credentials& credentials, const std::string& host, int port,
                                      const std::string& realm);
  static std::optional<net::Credentials> savedCredentials(const std::string& host, int port,
                                                          const std::string& protocol, const std::string& realm);
  static std::optional<net::Credentials> savedCredentialsForProxy(const std::string& host, int port,
                                                                  const std::string& realm);
  static void removeCredentials(const std::string& host, int port, const std::string& protocol,
                                const std::string& realm);
  static void removeCredentialsForProxy(const std::string& host, int port, const std::string& realm);
  static std::vector<SessionCredentials> sessionCredentialsStore();
  static std::vector<SessionCredentials> sessionProxyCredentialsStore();
  static void storeAuthenticationCredentialsInSessionStore(SessionCredentials entry);
  static void storeProxyAuthenticationCredentialsInSessionStore(SessionCredentials entry);
  static void removeAuthenticationCredentialsFromSessionStore(const net::CredentialsPtr& credentials);
  static void removeProxyAuthenticationCredentialsFromSessionStore(const net::CredentialsPtr& credentials);
  // Cookies received during this run.
  static std::vector<net::Cookie> sessionCookies();
  // Deletes the old list's cookies from the shared cookie store, then keeps `cookies`.
  static void setSessionCookies(std::vector<net::Cookie> cookies);
  static void addSessionCookie(const net::Cookie& cookie);
  // Forgets the server credentials and cookies of this run and the default cache's
  // session-only responses (proxy credentials stay).
  static void clearSession();

  // --- Results (any thread) ---
  bool complete() const;
  foundation::ErrorPtr error() const;
  int responseStatusCode() const;
  std::string responseStatusMessage() const;
  foundation::Dictionary responseHeaders() const;
  std::vector<net::Cookie> responseCookies() const;
  std::string responseEncoding() const;
  // The body as received (gzip bytes stay compressed); empty for a file download.
  foundation::Bytes rawResponseData() const;
  // The body, inflated when it came gzip-compressed; nullopt when inflation fails.
  std::optional<foundation::Bytes> responseData() const;
  // The body as text in responseEncoding(); nullopt without a body or when it cannot be read.
  std::optional<std::string> responseString() const;
  bool isResponseCompressed() const;
  std::uint64_t contentLength() const;
  std::uint64_t partialDownloadSize() const;
  // Whether a 416 reply said the resumed partial file was already the whole body (it is then
  // put in place as the download).
  bool replyCompletedPartialFile() const;
  std::uint64_t totalBytesRead() const;
  std::uint64_t totalBytesSent() const;
  int redirectCount() const;
  int retryCount() const;
  int authenticationNeeded() const;
  std::optional<std::uint32_t> requestID() const;
  // The persistent connection's number, or nullopt without one.
  std::optional<int> connectionID() const;
  std::shared_ptr<HTTPRequest> mainRequest() const;

 protected:
  explicit HTTPRequest(std::string url);
  // A new request of the receiver's class; HEADRequest() builds on it.
  virtual std::shared_ptr<HTTPRequest> makeRequestOfSameClass(const std::string& url) const;
  // Network thread, under the lock. Builds the body before the message (forms add their parts).
  virtual void buildPostBody();
  // Any thread. Whether the body has been built (restarts reuse it).
  bool haveBuiltPostBody() const;
  // Any thread. Takes the lock and ends the request with `error` (the failure path).
  void fail(foundation::ErrorPtr error);
  // Under this request's lock. Copies the configuration into `copy`, a new request of the same
  // class that no other thread knows yet; subclasses add their own fields.
  virtual void copyInto(HTTPRequest& copy) const;

  std::shared_ptr<HTTPRequest> self() { return std::static_pointer_cast<HTTPRequest>(shared_from_this()); }

 private:
  // Builds bodies ahead of the start to learn their length.
  friend class NetworkQueue;
  using Lock = std::scoped_lock<std::recursive_mutex>;
  enum class ProgressReceiver { queue, uploadDelegate, downloadDelegate };
  struct Blocks;

  // HTTPRequestCache.cpp, all under the lock on the network thread.
  enum class CacheAnswer { inMainStep, toNotModified, afterFailure };
  void copyCacheSettingsInto(HTTPRequest& other) const;
  void keepCacheOnlyForGET();
  // The main step: answers from the cache, or adds the validators of a cached entry.
  bool answerFromCache();
  // A 304 to our validators: answered from the cache, or failed; false for any other response.
  bool answerNotModified();
  void storeInCache();
  bool fallBackToCache(const foundation::ErrorPtr& error);
  // Completes the request (or a HEAD's main request) with the cached response; false when the
  // cache holds none it can deliver.
  bool useDataFromCache(CacheAnswer answer);
  // HTTPRequestStart.cpp
  void runMainStep();
  foundation::Status createMessage();
  void markAsFinished();
  // HTTPRequestHeaders.cpp
  void buildRequestHeaders();
  void applyCookieHeader();
  void applyRequestHeadersToMessage();
  foundation::Status updatePartialDownloadSize();
  bool configureProxies();
  // HTTPRequestProxyScript.cpp: the proxy auto-configuration script chooses the proxy, then the
  // request starts (directly when the script cannot be had or fails).
  void fetchPACFile();
  void readLocalPACFile(const std::string& path);
  void finishedDownloadingPACFile(const std::shared_ptr<HTTPRequest>& PACRequest);
  void runPACScript(std::string script);
  static void changeSharedQueueWidth(int by);
  // HTTPRequestConnection.cpp
  void startRequest();
  void resetForAttempt();
  // The TLS switches of an https stream: relaxed checks, or the client identity.
  void applyTLSSettings();
  bool createReadStream();
  // Under the connections lock: picks or makes the record; returns the stream it held before.
  std::shared_ptr<net::HTTPReadStream> chooseConnection();
  void scheduleReadStream();
  void unscheduleReadStream();
  void destroyReadStream();
  void handleNetworkEvent(unsigned event);
  void continueAfterEvent();
  void startStatusTimer();
  void setStatusTimer(std::shared_ptr<foundation::Timer> timer);
  void updateStatus();
  // HTTPRequestResponse.cpp
  void readResponseHeaders();
  void applyResponseLength(const net::HTTPMessage& response);
  void decideKeepAlive(const net::HTTPMessage& response);
  // A response whose body broke off still tells its status and headers when its head arrived whole.
  void keepHeadOfFailedResponse();
  void parseStringEncodingFromHeaders(const net::HTTPMessage& response);
  bool willRedirect(const net::HTTPMessage& response);
  bool willRedirectTo(int status, const std::optional<std::string>& location);
  bool willAskDelegateToConfirmRedirect();
  void performRedirect();
  // HTTPRequestBodyReader.cpp
  void handleBytesAvailable();
  foundation::Status storeChunk(const std::uint8_t* bytes, std::size_t length);
  void failAfterChunk(foundation::ErrorPtr error);
  foundation::Status writeChunkToFile(const std::uint8_t* bytes, std::size_t length, const foundation::Bytes* inflated);
  foundation::Status openDownloadFile();
  // The resume validator (ETag, else Last-Modified of the reply that began the partial file) is
  // kept in a file beside the partial file, so that a resume never mixes two versions.
  std::string resumeValidatorPath() const;
  std::optional<std::string> storedResumeValidator() const;
  void rememberResumeValidator();
  // What a 416 reply to a resumed download says of the partial file.
  enum class RefusedRange { notRefused, partialIsComplete, partialIsKept, partialIsForeign };
  RefusedRange judgeRefusedRange() const;
  std::size_t readChunkSize() const;
  // HTTPRequestCompletion.cpp
  void handleStreamComplete();
  foundation::ErrorPtr putDownloadInPlace();
  // Whether a reply that brought no body still makes or checks the download's files.
  bool bodylessReplyTouchesFiles() const;
  foundation::ErrorPtr closeDownloadFiles();
  // The inflate error of a compressed body kept in memory to be inflated when asked for, if any.
  foundation::ErrorPtr inflateErrorOfBodyInMemory() const;
  void releaseConnectionRecord();
  // HTTPRequestFailure.cpp
  void checkRequestStatus();
  bool shouldTimeOut() const;
  void retryAfterTimeOut();
  void handleStreamError();
  bool retryUsingNewConnection();
  void failWithError(foundation::ErrorPtr error);
  void cancelOnRequestThread();
  void cancelLoad();
  foundation::Status removePartialFiles();
  void forgetConnectionRecord();
  // HTTPRequestAuthentication.cpp, network thread under the lock. The server and the proxy
  // challenge follow the same steps on their own fields: a Side names them.
  struct Side;
  Side side(bool proxy);
  void attemptToApplyCredentialsAndResume();
  void attemptToApplyProxyCredentialsAndResume();
  void answerChallenge(bool proxy);
  void retryWithHeldCredentials(bool proxy);
  // The server's (proxy's) authentication object; made from the last challenge when missing.
  bool ensureAuthentication(bool proxy);
  void handleRefusedCredentials(bool proxy, long long reason);
  bool applySessionCredentials(bool proxy);
  void askForCredentialsOrFail(bool proxy);
  void applyAndRestart(bool proxy, const net::CredentialsPtr& credentials);
  // Asks the credential storage off the network thread, bounded by the time-out, then finishes
  // the credential search with its answer.
  void lookUpSavedCredentials(bool proxy, const net::ProtectionSpace& space);
  void finishCredentialSearch(bool proxy, const std::optional<net::Credentials>& saved);
  // HTTPRequestCredentials.cpp, network thread under the lock. `saved` is the credential
  // storage's answer for savedCredentialSpace().
  net::CredentialsPtr findCredentials(const std::optional<net::Credentials>& saved);
  net::CredentialsPtr findProxyCredentials(const std::optional<net::Credentials>& saved);
  // The space whose saved credential the search needs, when the request's own do not do.
  std::optional<net::ProtectionSpace> savedCredentialSpace(bool proxy);
  bool applyCredentials(const net::CredentialsPtr& credentials);
  bool applyProxyCredentials(const net::CredentialsPtr& credentials);
  void saveCredentialsToKeychain(const net::Credentials& credentials);
  void saveProxyCredentialsToKeychain(const net::Credentials& credentials);
  std::optional<SessionCredentials> findSessionAuthenticationCredentials();
  std::optional<SessionCredentials> findSessionProxyAuthenticationCredentials();
  // Whether the delegate, the queue or the block will be asked (on the main thread).
  bool willAskDelegate(bool proxy);
  void askDelegateForCredentials(bool proxy);
  // Whether the credentials sheet will ask the user (on the main thread).
  bool showAuthenticationDialog(bool proxy);
  void failAuthentication();
  void addBasicAuthenticationHeaderWithUsername(const std::string& username, const std::string& password);
  // The header step's credentials sent before any challenge.
  void applyAuthorizationHeader();
  // The response step: pre-emptive Basic credentials the server accepted go to the session store.
  void storeAcceptedPreemptiveCredentials();
  // A redirect to another origin takes no credentials along.
  void forgetCredentialsForOrigin(const std::string& newURL);
  void copyCredentialSettingsInto(HTTPRequest& other) const;
  // HTTPRequestBody.cpp
  void setupPostBody();
  void appendPostBytes(const std::uint8_t* bytes, std::size_t length);
  std::shared_ptr<net::InputStream> makePostBodyStream();
  foundation::Status removeTemporaryUploadFiles();
  // HTTPRequestCallbacks.cpp
  void requestStarted();
  void requestReceivedResponseHeaders(foundation::Dictionary headers);
  void requestRedirected();
  void requestWillRedirectToURL(std::string url);
  void requestFinished();
  void reportFailure();
  void passOnReceivedData(foundation::Bytes data);
  bool hasDataReceiver() const;
  void releaseBlocksOnMainThread();
  void onMainThread(std::function<void(HTTPRequest&)> work);
  // HTTPRequestProgress.cpp
  void updateProgressIndicators();
  void updateDownloadProgress();
  void updateUploadProgress();
  void incrementDownloadSizeBy(std::int64_t amount);
  void incrementUploadSizeBy(std::int64_t amount);
  void removeUploadProgressSoFar();
  std::shared_ptr<ProgressDelegate> progressReceiver(ProgressReceiver receiver) const;
  void deliverProgress(ProgressReceiver receiver, std::function<void(ProgressDelegate&, HTTPRequest&)> call);
  // Sends progress / total (clamped to 0..1) to a receiver's setProgress; skipped for a total of 0.
  void deliverFraction(ProgressReceiver receiver, std::uint64_t progress, std::uint64_t total);
  void callProgressBlock(ProgressBlock Blocks::*member, std::int64_t amount, std::uint64_t total);
  void callSizeBlock(SizeBlock Blocks::*member, std::int64_t amount);
  // The class-wide progress lock: serialises progress deliveries and putting responses in place.
  static std::recursive_mutex& progressLock();

  // A field read or written under the lock: accessors, and callbacks on the main thread.
  template <class T>
  T lockedCopy(const T& field) const {
    Lock lock(cancelledLock_);
    return field;
  }
  template <class T, class U>
  void lockedStore(T& field, U&& value) {
    Lock lock(cancelledLock_);
    field = std::forward<U>(value);
  }
  // One of the blocks read or replaced under the lock (HTTPRequestBlocks.h).
  template <class T>
  T blockCopy(T Blocks::*member) const;
  template <class T>
  void setBlock(T Blocks::*member, T block);
  bool isHEADRequest() const { return !mainRequest_.expired(); }
  bool isResponseCompressedLocked() const;
  bool isFileDownload() const;

  mutable std::recursive_mutex cancelledLock_;

  // Configuration: what a copy takes over.
  HTTPRequestSettings settings_;
  std::string url_;
  std::string originalURL_;
  std::string redirectURL_;
  std::shared_ptr<HTTPRequestQueueDelegate> queue_;
  bool haveBuiltRequestHeaders_ = false;
  bool shouldWaitToInflateCompressedResponses_ = true;
  std::string temporaryUncompressedDataDownloadPath_;
  std::string userAgentString_;
  bool isPACFileRequest_ = false;
  std::shared_ptr<HTTPRequest> PACFileRequest_;

  // Credentials and challenges.
  std::shared_ptr<net::HTTPAuthentication> requestAuthentication_;
  std::shared_ptr<net::HTTPAuthentication> proxyAuthentication_;
  net::CredentialsPtr requestCredentials_;
  net::CredentialsPtr proxyCredentials_;
  // The login the message's Proxy-Authorization was made from, if the engine made it: it keys the
  // proxy connections kept for reuse.
  net::CredentialsPtr presentedProxyCredentials_;
  int authenticationRetryCount_ = 0;
  int proxyAuthenticationRetryCount_ = 0;
  std::optional<std::string> authenticationRealm_;
  std::string proxyAuthenticationScheme_;
  std::optional<std::string> proxyAuthenticationRealm_;
  // The head of the last 401/407 reply; `challengeIsNew_` until the challenge step has read it.
  std::shared_ptr<net::HTTPMessage> lastChallenge_;
  bool challengeIsNew_ = false;
  std::weak_ptr<HTTPRequest> mainRequest_;
  bool isSynchronous_ = false;
  foundation::RunLoop* synchronousLoop_ = nullptr;  // woken when a synchronous run finishes

  HeadersSelector didReceiveResponseHeadersSelector_ = &HTTPRequestDelegate::requestDidReceiveResponseHeaders;
  RedirectSelector willRedirectSelector_ = &HTTPRequestDelegate::requestWillRedirectToURL;
  DataSelector didReceiveDataSelector_ = &HTTPRequestDelegate::requestDidReceiveData;
  std::unique_ptr<Blocks> blocks_;

  // Body.
  std::string compressedPostBodyFilePath_;
  bool didCreateTemporaryPostDataFile_ = false;
  std::optional<foundation::OutputFileStream> postBodyWriteStream_;
  std::shared_ptr<net::InputStream> postBodyReadStream_;
  foundation::ErrorPtr postBodyWriteError_;  // reported when the body is built

  // State of the exchange.
  bool complete_ = false;
  foundation::ErrorPtr error_;
  std::shared_ptr<net::HTTPMessage> request_;
  std::shared_ptr<net::HTTPReadStream> readStream_;
  bool readStreamIsScheduled_ = false;
  std::shared_ptr<foundation::Timer> statusTimer_;
  std::optional<foundation::TimePoint> lastActivityTime_;
  std::shared_ptr<ConnectionRecord> connectionInfo_;
  std::optional<std::uint32_t> requestID_;
  bool connectionCanBeReused_ = false;
  bool downloadComplete_ = false;
  bool needsRedirect_ = false;
  int redirectCount_ = 0;
  int retryCount_ = 0;
  bool willRetryRequest_ = false;
  int authenticationNeeded_ = 0;
  bool headersRead_ = false;
  std::uint64_t sentRangeStart_ = 0;  // the partial size a "Range" header asked to continue from

  // Response cache.
  bool didUseCachedResponse_ = false;
  bool sentCacheValidators_ = false;  // "If-None-Match" / "If-Modified-Since" came from the cache

  // Response.
  int responseStatusCode_ = 0;
  std::string responseStatusMessage_;
  foundation::Dictionary responseHeaders_;
  std::vector<net::Cookie> responseCookies_;
  std::string responseEncoding_;
  foundation::Bytes rawResponseData_;
  bool fileOutputOpened_ = false;
  bool replyCompletesPartialFile_ = false;  // a 416 said the partial file is already the whole body
  std::optional<foundation::OutputFileStream> fileDownloadOutputStream_;
  std::optional<foundation::OutputFileStream> inflatedFileDownloadOutputStream_;
  std::unique_ptr<DataDecompressor> dataDecompressor_;

  // Progress.
  std::uint64_t contentLength_ = 0;
  std::uint64_t partialDownloadSize_ = 0;
  std::uint64_t totalBytesRead_ = 0;
  std::uint64_t totalBytesSent_ = 0;
  std::uint64_t lastBytesRead_ = 0;
  std::uint64_t lastBytesSent_ = 0;
  std::uint64_t uploadBufferSize_ = 0;
  bool updatedProgress_ = false;
};

}  // namespace http
