#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"
#include "platform/ui/Geometry.h"

namespace ui {

class Image;
using ImagePtr = std::shared_ptr<const Image>;

inline constexpr const char* kImageErrorDomain = "ImageErrorDomain";

// An immutable picture: premultiplied 32-bit ARGB pixels in native byte order, row by row, and
// a scale (pixels per point; 2 for "@2x" files). Immutable once made: any thread may read it.
class Image : public foundation::Object {
 public:
  // Any thread. Decodes PNG or JPEG bytes; other formats, truncated or oversized pictures are errors.
  static foundation::Result<ImagePtr> decode(const foundation::Bytes& bytes, double scale = 1);
  // Any thread. Reads and decodes a file; a name ending in "@2x" before its extension gives scale 2.
  static foundation::Result<ImagePtr> contentsOfFile(const std::string& path);
  // Main thread. A picture of the resource folder by file name ("nav_back.png"; ".png" is added
  // when the name has no extension), preferring the "@2x" file when there is one. Loaded pictures
  // are kept for the run; their size comes from the file's header and their pixels are decoded
  // when first read, so a picture that is never drawn costs no decoding. nullptr when there is no
  // such picture.
  static ImagePtr named(const std::string& name);
  // Any thread. A picture from pixels as described above; nullptr when the sizes do not match.
  static ImagePtr fromPixels(int pixelWidth, int pixelHeight, std::vector<std::uint32_t> pixels, double scale = 1);

  // Any thread. The size in points.
  Size size() const { return {pixelWidth_ / scale_, pixelHeight_ / scale_}; }
  int pixelWidth() const { return pixelWidth_; }
  int pixelHeight() const { return pixelHeight_; }
  double scale() const { return scale_; }
  const std::vector<std::uint32_t>& pixels() const;
  // Any thread. The pixel at (x, y); 0 outside the picture.
  std::uint32_t pixelAt(int x, int y) const;

  // Any thread. The picture as JPEG with quality from 0 (smallest) to 1 (best); transparent parts
  // come out black.
  foundation::Result<foundation::Bytes> jpegData(double quality) const;
  // Any thread. The picture as PNG.
  foundation::Result<foundation::Bytes> pngData() const;

 private:
  Image(int pixelWidth, int pixelHeight, std::vector<std::uint32_t> pixels, double scale);
  // A picture of PNG or JPEG bytes whose header has been read; decoded on first use.
  static ImagePtr undecoded(foundation::Bytes bytes, double scale);
  void decodeIfPending() const;

  int pixelWidth_;
  int pixelHeight_;
  mutable std::once_flag decodeOnce_;
  mutable foundation::Bytes encoded_;  // until decoded; empty for a picture made from pixels
  mutable std::vector<std::uint32_t> pixels_;
  double scale_;
};

}  // namespace ui
