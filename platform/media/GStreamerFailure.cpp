#include "platform/media/GStreamerFailure.h"

#include <gst/gst.h>

#include <ostream>  // before Beast, whose string view prints to streams

#include <boost/beast/http/status.hpp>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace media {
namespace {

// Whether the element is a source for http: or https: locations.
bool isHttpSource(GstObject* element) {
  if (!element || !GST_IS_URI_HANDLER(element)) return false;
  auto* handler = GST_URI_HANDLER(element);
  if (gst_uri_handler_get_uri_type(handler) != GST_URI_SRC) return false;
  const gchar* const* protocols = gst_uri_handler_get_protocols(handler);
  for (; protocols && *protocols; ++protocols)
    if (std::strcmp(*protocols, "http") == 0 || std::strcmp(*protocols, "https") == 0) return true;
  return false;
}

// The HTTP status the source put in the error: in its details where it gives them, else in its
// debug text ("File not found (404), URL: ..."); 0 when there is none.
int httpStatusOf(GstMessage* message, const GError* error, const std::string& debug) {
  const GstStructure* details = nullptr;
  gst_message_parse_error_details(message, &details);
  guint status = 0;
  if (details && gst_structure_get_uint(details, "http-status-code", &status)) return static_cast<int>(status);
  const std::string detail = debug.substr(debug.rfind('\n') + 1);
  const std::size_t open = detail.find(" (");
  const std::size_t close = detail.find(')', open);
  int code = 0;
  if (open == std::string::npos || close != open + 5 || detail.compare(0, open, error->message) != 0) return 0;
  return std::sscanf(detail.c_str() + open + 2, "%3d", &code) == 1 ? code : 0;
}

std::string lowercase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// "The server answered 404, not found"; a status without a standard name goes alone.
std::string serverAnswered(int status) {
  const auto phrase = boost::beast::http::obsolete_reason(static_cast<boost::beast::http::status>(status));
  std::string text = "The server answered " + std::to_string(status);
  if (!phrase.empty() && phrase.front() != '<') text += ", " + lowercase(std::string(phrase));
  return text;
}

// Minutes and seconds, as the song's time is shown.
std::string clockTime(double seconds) {
  const auto whole = static_cast<long>(seconds);
  char text[32];
  std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
  return text;
}

std::string missingDecoderText(const MissingDecoder& missing) {
  if (missing.type.empty()) return "No decoder for its format is installed";
  if (!missing.type.starts_with("audio/")) return "The file is not audio: " + missing.type;
  // The description names the element that is missing ("Musepack (MPC) decoder"): the format is
  // what a listener knows.
  std::string format = missing.name.empty() ? missing.type : missing.name;
  constexpr std::string_view kDecoder = " decoder";
  if (format.ends_with(kDecoder)) format.resize(format.size() - kDecoder.size());
  return "No decoder is installed for its format: " + format;
}

}  // namespace

GStreamerFailure readFailure(GstMessage* message) {
  GError* error = nullptr;
  gchar* debugText = nullptr;
  gst_message_parse_error(message, &error, &debugText);
  const std::string debug = debugText ? debugText : "";
  g_free(debugText);
  GStreamerFailure failure;
  if (!error) return failure;
  failure.message = error->message ? error->message : "";
  using Kind = GStreamerFailure::Kind;
  if (error->domain == GST_RESOURCE_ERROR && isHttpSource(GST_MESSAGE_SRC(message))) {
    failure.httpStatus = httpStatusOf(message, error, debug);
    failure.kind = failure.httpStatus >= 400 ? Kind::httpStatus : Kind::network;
  } else if (error->domain == GST_STREAM_ERROR && isHttpSource(GST_MESSAGE_SRC(message))) {
    failure.kind = Kind::network;  // the source's loop stopped: what it read from broke off
  } else if (error->domain == GST_CORE_ERROR && error->code == GST_CORE_ERROR_MISSING_PLUGIN) {
    failure.kind = Kind::missingPlugin;
  } else if (error->domain == GST_STREAM_ERROR && error->code == GST_STREAM_ERROR_TYPE_NOT_FOUND) {
    failure.kind = Kind::unknownType;
  } else if (error->domain == GST_STREAM_ERROR && error->code == GST_STREAM_ERROR_FAILED &&
             debug.find("not-linked") != std::string::npos) {
    failure.kind = Kind::notLinked;
  } else if (error->domain == GST_STREAM_ERROR &&
             (error->code == GST_STREAM_ERROR_DEMUX || error->code == GST_STREAM_ERROR_DECODE ||
              error->code == GST_STREAM_ERROR_FORMAT)) {
    failure.kind = Kind::damaged;
  }
  g_clear_error(&error);
  return failure;
}

bool readMissingDecoder(GstMessage* message, MissingDecoder& missing) {
  const GstStructure* report = gst_message_get_structure(message);
  if (!report || !gst_structure_has_name(report, "missing-plugin")) return false;
  const gchar* type = gst_structure_get_string(report, "type");
  if (!type || std::strcmp(type, "decoder") != 0) return false;
  const GValue* detail = gst_structure_get_value(report, "detail");
  const GstCaps* caps = detail && GST_VALUE_HOLDS_CAPS(detail) ? gst_value_get_caps(detail) : nullptr;
  missing.type = caps && gst_caps_get_size(caps) > 0 ? gst_structure_get_name(gst_caps_get_structure(caps, 0)) : "";
  const gchar* name = gst_structure_get_string(report, "name");
  missing.name = name ? name : "";
  return true;
}

std::string describeFailure(const GStreamerFailure& failure, const MissingDecoder& missing, double heard) {
  using Kind = GStreamerFailure::Kind;
  switch (failure.kind) {
    case Kind::httpStatus:
      return serverAnswered(failure.httpStatus);
    case Kind::network:
      if (heard < 0) return "The connection failed before the song began";
      return "The connection dropped after " + clockTime(heard) + " of the song";
    case Kind::missingPlugin:
      return missingDecoderText(missing);
    case Kind::unknownType:
      return "The file is not audio of any known kind";
    case Kind::notLinked:
      return "Not a sound that can be decoded";
    case Kind::damaged:
      return "The file is damaged and cannot be played";
    case Kind::other:
      break;
  }
  return failure.message.empty() ? "Playback failed" : failure.message;
}

}  // namespace media
