#pragma once

#include <string>

// Included only by platform/media's GStreamer files; the type stays opaque here.
typedef struct _GstMessage GstMessage;

namespace media {

// A pipeline's error as read off its bus, copied off GStreamer's threads.
struct GStreamerFailure {
  enum class Kind {
    other,          // told in GStreamer's own words
    httpStatus,     // the server answered with an error status
    network,        // the HTTP source lost or never had its connection
    missingPlugin,  // nothing installed takes the stream's type
    unknownType,    // the bytes are of no type that can be told
    notLinked,      // a stream came out that nothing could take
    damaged,        // the container or the sound in it cannot be read
  };
  Kind kind = Kind::other;
  int httpStatus = 0;
  std::string message;  // GStreamer's own text
};

// A decoder that a pipeline found missing: the stream's media type ("text/html") and its
// description ("Musepack (MPC)").
struct MissingDecoder {
  std::string type;
  std::string name;
};

// Any thread. Reads an error message of a pipeline.
GStreamerFailure readFailure(GstMessage* error);
// Any thread. Reads an element message; true when it told of a missing decoder.
bool readMissingDecoder(GstMessage* element, MissingDecoder& missing);

// What a listener is told of a failure: `missing` is the decoder the pipeline said it lacked
// (empty when none), `heard` how far the song had played (negative before it began).
std::string describeFailure(const GStreamerFailure& failure, const MissingDecoder& missing, double heard);

}  // namespace media
