#include <zlib.h>

#include <algorithm>
#include <charconv>
#include <stdexcept>

#include "tests/support/LoopbackServer.h"
#include "tests/support/detail/ReplyWriter.h"

namespace testsupport {
namespace detail {
namespace {

const char* reasonFor(int status) {
  switch (status) {
    case 100:
      return "Continue";
    case 200:
      return "OK";
    case 204:
      return "No Content";
    case 206:
      return "Partial Content";
    case 301:
      return "Moved Permanently";
    case 302:
      return "Found";
    case 303:
      return "See Other";
    case 304:
      return "Not Modified";
    case 307:
      return "Temporary Redirect";
    case 401:
      return "Unauthorized";
    case 404:
      return "Not Found";
    case 407:
      return "Proxy Authentication Required";
    case 416:
      return "Range Not Satisfiable";
    case 500:
      return "Internal Server Error";
    case 502:
      return "Bad Gateway";
    default:
      return "Status";
  }
}

// gzip (windowBits 31) or zlib-wrapped deflate (15), as servers send them.
std::string compress(const std::string& body, ContentCoding coding) {
  z_stream stream{};
  const int windowBits = coding == ContentCoding::kGzip ? 31 : 15;
  if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw std::runtime_error("deflateInit2 failed");
  std::string out(deflateBound(&stream, body.size()), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(body.data()));
  stream.avail_in = static_cast<uInt>(body.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

bool hasHeader(const HeaderList& headers, std::string_view name) {
  return std::any_of(headers.begin(), headers.end(),
                     [&](const auto& field) { return equalsIgnoringCase(field.first, name); });
}

bool statusHasNoBody(int status) { return (status >= 100 && status < 200) || status == 204 || status == 304; }

std::string chunked(const std::string& body, std::size_t chunkSize) {
  std::string out;
  const std::size_t size = chunkSize == 0 ? std::max<std::size_t>(body.size(), 1) : chunkSize;
  for (std::size_t offset = 0; offset < body.size(); offset += size) {
    const std::string piece = body.substr(offset, size);
    char line[32];
    std::snprintf(line, sizeof line, "%zx\r\n", piece.size());
    out += line + piece + "\r\n";
  }
  return out + "0\r\n\r\n";
}

bool requestWantsClose(const RecordedRequest& request) {
  const auto connection = request.header("Connection");
  if (connection && equalsIgnoringCase(*connection, "close")) return true;
  return request.version == "HTTP/1.0" && !(connection && equalsIgnoringCase(*connection, "keep-alive"));
}

bool replyWantsClose(const Reply& reply) {
  if (reply.end != ConnectionEnd::kKeepAlive || reply.framing == BodyFraming::kCloseDelimited) return true;
  for (const auto& [name, value] : reply.headers)
    if (equalsIgnoringCase(name, "Connection")) return equalsIgnoringCase(value, "close");
  return reply.version == "HTTP/1.0";
}

}  // namespace

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

std::string base64(std::string_view bytes) {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const unsigned a = static_cast<unsigned char>(bytes[i]);
    const unsigned b = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0;
    const unsigned c = i + 2 < bytes.size() ? static_cast<unsigned char>(bytes[i + 2]) : 0;
    const unsigned triple = (a << 16) | (b << 8) | c;
    out += kAlphabet[(triple >> 18) & 63];
    out += kAlphabet[(triple >> 12) & 63];
    out += i + 1 < bytes.size() ? kAlphabet[(triple >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? kAlphabet[triple & 63] : '=';
  }
  return out;
}

ReplyBytes writeReply(const Reply& reply, const RecordedRequest& request) {
  ReplyBytes result;
  if (reply.rawBytes) return {*reply.rawBytes, true};
  HeaderList headers = reply.headers;
  std::string body = reply.body;
  if (reply.coding != ContentCoding::kIdentity) {
    body = compress(body, reply.coding);
    if (reply.corruptEncoding && body.size() > 4)
      for (std::size_t i = body.size() / 2; i < std::min(body.size() - 2, body.size() / 2 + 8); ++i) body[i] ^= 0x5A;
    if (!hasHeader(headers, "Content-Encoding"))
      headers.emplace_back("Content-Encoding", reply.coding == ContentCoding::kGzip ? "gzip" : "deflate");
  }
  const bool statusWithoutBody = statusHasNoBody(reply.status);
  const bool sendsBody = !reply.noBody && !statusWithoutBody && request.method != "HEAD";
  if (!statusWithoutBody) {
    if (reply.framing == BodyFraming::kContentLength && !hasHeader(headers, "Content-Length"))
      headers.emplace_back("Content-Length", std::to_string(reply.announcedLength.value_or(body.size())));
    if (reply.framing == BodyFraming::kChunked && !hasHeader(headers, "Transfer-Encoding"))
      headers.emplace_back("Transfer-Encoding", "chunked");
  }
  result.closeAfter = requestWantsClose(request) || replyWantsClose(reply);
  if (result.closeAfter && reply.end != ConnectionEnd::kSilentClose && !hasHeader(headers, "Connection"))
    headers.emplace_back("Connection", "close");

  std::string& out = result.bytes;
  out = reply.version + " " + std::to_string(reply.status) + " " +
        (reply.reason.empty() ? reasonFor(reply.status) : reply.reason) + "\r\n";
  for (const auto& [name, value] : headers) out += name + ": " + value + "\r\n";
  out += "\r\n";
  if (sendsBody) out += reply.framing == BodyFraming::kChunked ? chunked(body, reply.chunkSize) : body;
  return result;
}

}  // namespace detail

std::optional<std::string> RecordedRequest::header(std::string_view name) const {
  for (const auto& [fieldName, value] : headers)
    if (detail::equalsIgnoringCase(fieldName, name)) return value;
  return std::nullopt;
}

std::string RecordedRequest::path() const {
  if (method == "CONNECT") return target;
  std::string path = target;
  if (const auto scheme = path.find("://"); scheme != std::string::npos) {
    const auto slash = path.find('/', scheme + 3);
    path = slash == std::string::npos ? "/" : path.substr(slash);
  }
  return path.substr(0, path.find('?'));
}

Reply& Reply::header(std::string name, std::string value) {
  headers.emplace_back(std::move(name), std::move(value));
  return *this;
}

Reply Reply::text(std::string body, int status) {
  Reply reply;
  reply.status = status;
  reply.body = std::move(body);
  reply.header("Content-Type", "text/plain; charset=utf-8");
  return reply;
}

Reply Reply::redirect(int status, std::string location) {
  Reply reply = text("redirecting", status);
  reply.header("Location", std::move(location));
  return reply;
}

Reply Reply::basicChallenge(std::string realm, bool proxy) {
  Reply reply = text("authentication required", proxy ? 407 : 401);
  reply.header(proxy ? "Proxy-Authenticate" : "WWW-Authenticate", "Basic realm=\"" + realm + "\"");
  return reply;
}

Reply Reply::ranged(const RecordedRequest& request, const std::string& content, RangeMode mode) {
  const std::string size = std::to_string(content.size());
  Reply refused = text("", 416);
  refused.body.clear();
  refused.header("Content-Range", "bytes */" + size);
  if (mode == RangeMode::kUnsatisfiable) return refused;
  Reply whole;
  whole.body = content;
  whole.header("Accept-Ranges", "bytes");
  const auto range = request.header("Range");
  if (mode == RangeMode::kIgnore || !range || range->rfind("bytes=", 0) != 0) return whole;
  const std::string spec = range->substr(6);
  const auto dash = spec.find('-');
  std::uint64_t first = 0;
  std::uint64_t last = content.empty() ? 0 : content.size() - 1;
  if (dash == std::string::npos || std::from_chars(spec.data(), spec.data() + dash, first).ec != std::errc())
    return whole;
  if (dash + 1 < spec.size() &&
      std::from_chars(spec.data() + dash + 1, spec.data() + spec.size(), last).ec != std::errc())
    return whole;
  if (first >= content.size()) return refused;
  last = std::min<std::uint64_t>(last, content.size() - 1);
  Reply partial;
  partial.status = 206;
  partial.body = content.substr(first, last - first + 1);
  partial.header("Accept-Ranges", "bytes");
  partial.header("Content-Range", "bytes " + std::to_string(first) + "-" + std::to_string(last) + "/" + size);
  return partial;
}

bool hasBasicCredentials(const RecordedRequest& request, const std::string& user, const std::string& password,
                         bool proxy) {
  const auto value = request.header(proxy ? "Proxy-Authorization" : "Authorization");
  return value && *value == "Basic " + detail::base64(user + ":" + password);
}

}  // namespace testsupport
