#include "platform/net/HTTPResponseParser.h"

#include <boost/asio/buffer.hpp>
#include <boost/beast/http/basic_parser.hpp>
#include <boost/beast/http/error.hpp>

#include "platform/net/NetErrors.h"

namespace net {
namespace {

namespace http = boost::beast::http;
using boost::beast::error_code;

// More interim responses than this before the final one is taken as a hostile server.
constexpr int kMaxInterimResponses = 8;

// Beast's parser, told to put the head into our message and the decoded body into the sink.
class MessageParser final : public http::basic_parser<false> {
 public:
  MessageParser(HTTPMessage& head, const HTTPResponseParser::BodySink& sink) : head_(head), sink_(sink) {}

 private:
  void on_request_impl(http::verb, boost::beast::string_view, boost::beast::string_view, int, error_code& ec) override {
    ec = http::error::bad_method;
  }

  void on_response_impl(int code, boost::beast::string_view reason, int version, error_code& ec) override {
    if (version != 10 && version != 11) {
      ec = http::error::bad_version;
      return;
    }
    head_.setResponseStatus(version == 10 ? HTTPVersion::HTTP1_0 : HTTPVersion::HTTP1_1, code, std::string(reason));
  }

  void on_field_impl(http::field, boost::beast::string_view name, boost::beast::string_view value,
                     error_code& ec) override {
    if (headDone_) return;  // trailer fields of a chunked body are not part of the head
    if (!head_.addHeaderField(std::string_view(name.data(), name.size()), std::string_view(value.data(), value.size())))
      ec = http::error::bad_field;
  }

  void on_header_impl(error_code&) override { headDone_ = true; }
  void on_body_init_impl(const boost::optional<std::uint64_t>&, error_code&) override {}

  std::size_t on_body_impl(boost::beast::string_view body, error_code&) override {
    sink_(reinterpret_cast<const std::uint8_t*>(body.data()), body.size());
    return body.size();
  }

  void on_chunk_header_impl(std::uint64_t, boost::beast::string_view, error_code&) override {}

  std::size_t on_chunk_body_impl(std::uint64_t, boost::beast::string_view body, error_code&) override {
    sink_(reinterpret_cast<const std::uint8_t*>(body.data()), body.size());
    return body.size();
  }

  void on_finish_impl(error_code&) override {}

  HTTPMessage& head_;
  const HTTPResponseParser::BodySink& sink_;
  bool headDone_ = false;
};

bool isInterim(int status) { return status >= 100 && status < 200 && status != 101; }

}  // namespace

struct HTTPResponseParser::Impl {
  bool noBody;
  BodySink sink;
  std::shared_ptr<HTTPMessage> head;
  std::unique_ptr<MessageParser> parser;
  foundation::ErrorPtr error;
  bool endedEarly = false;
  bool done = false;
  bool gotSome = false;
  int interimResponses = 0;

  void startMessage() {
    head = HTTPMessage::createEmptyResponse();
    parser = std::make_unique<MessageParser>(*head, sink);
    parser->eager(true);
    parser->header_limit(static_cast<std::uint32_t>(kMaxResponseHeadBytes));
    parser->body_limit(boost::none);
    if (noBody) parser->skip(true);
  }

  void fail(const error_code& ec) {
    if (ec == http::error::header_limit)
      error =
          foundation::makeError(kCFNetworkErrorDomain, kResponseHeaderTooLarge,
                                "The response head is larger than " + std::to_string(kMaxResponseHeadBytes) + " bytes");
    else
      error = foundation::makeError(kCFNetworkErrorDomain, kResponseParseFailure,
                                    "Malformed HTTP response: " + ec.message());
  }

  // After a message is done: an interim response makes way for the next message.
  bool continueAfterInterim() {
    if (!isInterim(head->statusCode())) return false;
    if (++interimResponses > kMaxInterimResponses) {
      error = foundation::makeError(kCFNetworkErrorDomain, kResponseParseFailure,
                                    "Malformed HTTP response: too many interim responses");
      return false;
    }
    startMessage();
    return true;
  }
};

HTTPResponseParser::HTTPResponseParser(bool noBody, BodySink sink) : impl_(std::make_unique<Impl>()) {
  impl_->noBody = noBody;
  impl_->sink = std::move(sink);
  impl_->startMessage();
}

HTTPResponseParser::~HTTPResponseParser() = default;

std::size_t HTTPResponseParser::feed(const std::uint8_t* data, std::size_t size) {
  Impl& impl = *impl_;
  std::size_t used = 0;
  while (!impl.done && !impl.error && used < size) {
    impl.gotSome = true;
    error_code ec;
    const std::size_t n = impl.parser->put(boost::asio::const_buffer(data + used, size - used), ec);
    used += n;
    // A body that fails to parse leaves the head that arrived whole readable.
    if (impl.parser->is_header_done()) impl.head->setHeaderComplete();
    if (ec == http::error::need_more) break;
    if (ec) {
      impl.fail(ec);
      return 0;
    }
    if (impl.parser->is_done()) {
      if (impl.continueAfterInterim()) continue;
      if (!impl.error) impl.done = true;
      break;
    }
    if (n == 0) break;
  }
  return impl.error ? 0 : used;
}

void HTTPResponseParser::finish() {
  Impl& impl = *impl_;
  if (impl.done || impl.error) return;
  if (impl.parser->is_header_done() && !impl.parser->is_done()) {
    error_code ec;
    impl.parser->put_eof(ec);
    if (!ec && impl.parser->is_done()) {
      impl.done = true;
      return;
    }
  }
  impl.endedEarly = true;
  impl.error = foundation::makeError(kCFNetworkErrorDomain, kConnectionLostDuringResponse,
                                     impl.gotSome ? "The connection ended before the response was complete"
                                                  : "The server closed the connection without replying");
}

bool HTTPResponseParser::gotSomeBytes() const { return impl_->gotSome; }
bool HTTPResponseParser::isHeaderComplete() const { return impl_->head->isHeaderComplete(); }
bool HTTPResponseParser::isDone() const { return impl_->done; }
bool HTTPResponseParser::keepsConnection() const { return impl_->done && impl_->parser->keep_alive(); }
const HTTPMessage& HTTPResponseParser::head() const { return *impl_->head; }
foundation::ErrorPtr HTTPResponseParser::error() const { return impl_->error; }
bool HTTPResponseParser::endedEarly() const { return impl_->endedEarly; }

}  // namespace net
