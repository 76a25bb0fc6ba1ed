#include "platform/ui/Image.h"

#include <cairo.h>
#include <turbojpeg.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <unordered_map>

#include "platform/ui/Resources.h"

namespace ui {
namespace {

// Pictures beyond this many pixels are refused rather than allowed to exhaust memory.
constexpr long long kMaxPixels = 64LL * 1024 * 1024;
constexpr int kMaxSide = 16384;

foundation::ErrorPtr imageError(long long code, const std::string& description) {
  return foundation::makeError(kImageErrorDomain, code, description);
}

bool acceptableSize(long long width, long long height) {
  return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide && width * height <= kMaxPixels;
}

bool isPNG(const foundation::Bytes& b) {
  static const unsigned char signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  return b.size() >= sizeof signature && std::memcmp(b.data(), signature, sizeof signature) == 0;
}

bool isJPEG(const foundation::Bytes& b) { return b.size() >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF; }

struct ByteReader {
  const foundation::Bytes& bytes;
  std::size_t offset = 0;
};

cairo_status_t readBytes(void* closure, unsigned char* data, unsigned int length) {
  auto* reader = static_cast<ByteReader*>(closure);
  if (reader->bytes.size() - reader->offset < length) return CAIRO_STATUS_READ_ERROR;
  std::memcpy(data, reader->bytes.data() + reader->offset, length);
  reader->offset += length;
  return CAIRO_STATUS_SUCCESS;
}

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length) {
  auto* out = static_cast<foundation::Bytes*>(closure);
  out->insert(out->end(), data, data + length);
  return CAIRO_STATUS_SUCCESS;
}

// Copies any image surface into our pixel layout, drawing it so that every format comes out
// as premultiplied ARGB.
std::vector<std::uint32_t> pixelsOf(cairo_surface_t* source, int width, int height) {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
  cairo_surface_t* target = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(pixels.data()),
                                                                CAIRO_FORMAT_ARGB32, width, height, width * 4);
  cairo_t* cr = cairo_create(target);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, source, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_flush(target);
  cairo_surface_destroy(target);
  return pixels;
}

foundation::Result<ImagePtr> decodePNG(const foundation::Bytes& bytes, double scale) {
  ByteReader reader{bytes};
  cairo_surface_t* surface = cairo_image_surface_create_from_png_stream(readBytes, &reader);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    std::string reason = cairo_status_to_string(cairo_surface_status(surface));
    cairo_surface_destroy(surface);
    return imageError(2, "the PNG picture cannot be read: " + reason);
  }
  int width = cairo_image_surface_get_width(surface);
  int height = cairo_image_surface_get_height(surface);
  if (!acceptableSize(width, height)) {
    cairo_surface_destroy(surface);
    return imageError(3, "the PNG picture is too large");
  }
  auto pixels = pixelsOf(surface, width, height);
  cairo_surface_destroy(surface);
  return Image::fromPixels(width, height, std::move(pixels), scale);
}

struct TurboHandle {
  tjhandle handle;
  explicit TurboHandle(tjhandle h) : handle(h) {}
  ~TurboHandle() {
    if (handle) tjDestroy(handle);
  }
};

// Our pixels are 32-bit words 0xAARRGGBB; in memory that is BGRA on little-endian machines.
int nativePixelFormat(bool withAlpha) {
  if constexpr (std::endian::native == std::endian::little) return withAlpha ? TJPF_BGRA : TJPF_BGRX;
  return withAlpha ? TJPF_ARGB : TJPF_XRGB;
}

foundation::Result<ImagePtr> decodeJPEG(const foundation::Bytes& bytes, double scale) {
  TurboHandle decoder(tjInitDecompress());
  if (!decoder.handle) return imageError(4, "the JPEG decoder cannot start");
  int width = 0, height = 0, subsampling = 0, colorspace = 0;
  if (tjDecompressHeader3(decoder.handle, bytes.data(), static_cast<unsigned long>(bytes.size()), &width, &height,
                          &subsampling, &colorspace) != 0) {
    return imageError(2, std::string("the JPEG picture cannot be read: ") + tjGetErrorStr2(decoder.handle));
  }
  if (!acceptableSize(width, height)) return imageError(3, "the JPEG picture is too large");
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
  // A warning (such as a truncated file) counts as a failure: half a picture is not the picture.
  if (tjDecompress2(decoder.handle, bytes.data(), static_cast<unsigned long>(bytes.size()),
                    reinterpret_cast<unsigned char*>(pixels.data()), width, width * 4, height, nativePixelFormat(true),
                    0) != 0) {
    return imageError(2, std::string("the JPEG picture cannot be read: ") + tjGetErrorStr2(decoder.handle));
  }
  return Image::fromPixels(width, height, std::move(pixels), scale);
}

bool hasDoubleScaleSuffix(const std::string& name) {
  std::string stem = name.substr(0, name.rfind('.'));
  return stem.size() >= 3 && stem.compare(stem.size() - 3, 3, "@2x") == 0;
}

}  // namespace

Image::Image(int pixelWidth, int pixelHeight, std::vector<std::uint32_t> pixels, double scale)
    : pixelWidth_(pixelWidth), pixelHeight_(pixelHeight), pixels_(std::move(pixels)), scale_(scale) {}

ImagePtr Image::fromPixels(int pixelWidth, int pixelHeight, std::vector<std::uint32_t> pixels, double scale) {
  if (pixelWidth < 0 || pixelHeight < 0 || !(scale > 0) ||
      pixels.size() != static_cast<std::size_t>(pixelWidth) * static_cast<std::size_t>(pixelHeight)) {
    return nullptr;
  }
  return ImagePtr(new Image(pixelWidth, pixelHeight, std::move(pixels), scale));
}

foundation::Result<ImagePtr> Image::decode(const foundation::Bytes& bytes, double scale) {
  if (isPNG(bytes)) return decodePNG(bytes, scale);
  if (isJPEG(bytes)) return decodeJPEG(bytes, scale);
  return imageError(1, "the data is not a PNG or JPEG picture");
}

foundation::Result<ImagePtr> Image::contentsOfFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return foundation::posixError(errno, "open picture " + path);
  foundation::Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return foundation::posixError(errno, "read picture " + path);
  return decode(bytes, hasDoubleScaleSuffix(path) ? 2 : 1);
}

ImagePtr Image::named(const std::string& name) {
  static std::unordered_map<std::string, ImagePtr> loaded;
  if (auto found = loaded.find(name); found != loaded.end()) return found->second;
  std::size_t dot = name.rfind('.');
  std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
  std::string extension = dot == std::string::npos ? ".png" : name.substr(dot);
  std::vector<std::string> candidates;
  if (!hasDoubleScaleSuffix(stem + extension)) candidates.push_back(stem + "@2x" + extension);
  candidates.push_back(stem + extension);
  for (const std::string& candidate : candidates) {
    std::optional<std::string> path = Resources::pathFor(candidate);
    if (!path) continue;
    auto image = contentsOfFile(*path);
    if (!image.ok()) continue;
    loaded.emplace(name, image.value());
    return image.value();
  }
  return nullptr;
}

std::uint32_t Image::pixelAt(int x, int y) const {
  if (x < 0 || y < 0 || x >= pixelWidth_ || y >= pixelHeight_) return 0;
  return pixels_[static_cast<std::size_t>(y) * pixelWidth_ + x];
}

foundation::Result<foundation::Bytes> Image::jpegData(double quality) const {
  if (pixelWidth_ == 0 || pixelHeight_ == 0) return imageError(5, "an empty picture cannot be encoded");
  TurboHandle encoder(tjInitCompress());
  if (!encoder.handle) return imageError(4, "the JPEG encoder cannot start");
  int q = std::clamp(static_cast<int>(std::lround(quality * 100)), 1, 100);
  unsigned char* jpeg = nullptr;
  unsigned long jpegSize = 0;
  if (tjCompress2(encoder.handle, reinterpret_cast<const unsigned char*>(pixels_.data()), pixelWidth_, pixelWidth_ * 4,
                  pixelHeight_, nativePixelFormat(false), &jpeg, &jpegSize, TJSAMP_420, q, 0) != 0) {
    tjFree(jpeg);
    return imageError(5, std::string("the picture cannot be encoded as JPEG: ") + tjGetErrorStr2(encoder.handle));
  }
  foundation::Bytes out(jpeg, jpeg + jpegSize);
  tjFree(jpeg);
  return out;
}

foundation::Result<foundation::Bytes> Image::pngData() const {
  if (pixelWidth_ == 0 || pixelHeight_ == 0) return imageError(5, "an empty picture cannot be encoded");
  auto* data = const_cast<unsigned char*>(reinterpret_cast<const unsigned char*>(pixels_.data()));
  cairo_surface_t* surface =
      cairo_image_surface_create_for_data(data, CAIRO_FORMAT_ARGB32, pixelWidth_, pixelHeight_, pixelWidth_ * 4);
  foundation::Bytes out;
  cairo_status_t status = cairo_surface_write_to_png_stream(surface, appendBytes, &out);
  cairo_surface_destroy(surface);
  if (status != CAIRO_STATUS_SUCCESS) {
    return imageError(5, std::string("the picture cannot be encoded as PNG: ") + cairo_status_to_string(status));
  }
  return out;
}

}  // namespace ui
