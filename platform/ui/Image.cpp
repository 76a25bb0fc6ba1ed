#include "platform/ui/Image.h"

#include <cairo.h>
#include <turbojpeg.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <optional>
#include <unordered_map>
#include <utility>

#include "platform/foundation/FileManager.h"
#include "platform/foundation/NoDestructor.h"
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

std::uint32_t bigEndian32(const foundation::Bytes& b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) << 24 | static_cast<std::uint32_t>(b[at + 1]) << 16 |
         static_cast<std::uint32_t>(b[at + 2]) << 8 | b[at + 3];
}

// The width and height a PNG or JPEG picture declares, read without decoding it; nullopt for
// other data or an unacceptable size.
std::optional<std::pair<int, int>> declaredSize(const foundation::Bytes& bytes) {
  long long width = 0, height = 0;
  if (isPNG(bytes)) {
    // The first chunk of a PNG file is its header: width and height at bytes 16 and 20.
    if (bytes.size() < 24 || std::memcmp(bytes.data() + 12, "IHDR", 4) != 0) return std::nullopt;
    width = bigEndian32(bytes, 16);
    height = bigEndian32(bytes, 20);
  } else if (isJPEG(bytes)) {
    TurboHandle decoder(tjInitDecompress());
    int w = 0, h = 0, subsampling = 0, colorspace = 0;
    if (!decoder.handle || tjDecompressHeader3(decoder.handle, bytes.data(), static_cast<unsigned long>(bytes.size()),
                                               &w, &h, &subsampling, &colorspace) != 0)
      return std::nullopt;
    width = w;
    height = h;
  }
  if (!acceptableSize(width, height)) return std::nullopt;
  return std::make_pair(static_cast<int>(width), static_cast<int>(height));
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
  auto bytes = foundation::FileManager::readFile(path);
  if (!bytes) return bytes.error();
  return decode(*bytes, hasDoubleScaleSuffix(path) ? 2 : 1);
}

ImagePtr Image::undecoded(foundation::Bytes bytes, double scale) {
  auto size = declaredSize(bytes);
  if (!size) return nullptr;
  auto image = ImagePtr(new Image(size->first, size->second, {}, scale));
  image->encoded_ = std::move(bytes);
  return image;
}

void Image::decodeIfPending() const {
  std::call_once(decodeOnce_, [this] {
    if (encoded_.empty()) return;
    auto decoded = decode(encoded_, scale_);
    if (decoded.ok() && (*decoded)->pixelWidth_ == pixelWidth_ && (*decoded)->pixelHeight_ == pixelHeight_)
      pixels_ = std::move((*decoded)->pixels_);
    else  // a body damaged past its header draws as nothing
      pixels_.assign(static_cast<std::size_t>(pixelWidth_) * pixelHeight_, 0);
    foundation::Bytes().swap(encoded_);
  });
}

const std::vector<std::uint32_t>& Image::pixels() const {
  decodeIfPending();
  return pixels_;
}

ImagePtr Image::named(const std::string& name) {
  static foundation::NoDestructor<std::unordered_map<std::string, ImagePtr>> cache;
  auto& loaded = *cache;
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
    auto bytes = foundation::FileManager::readFile(*path);
    if (!bytes) continue;
    ImagePtr image = undecoded(std::move(bytes).value(), hasDoubleScaleSuffix(candidate) ? 2 : 1);
    if (!image) continue;
    loaded.emplace(name, image);
    return image;
  }
  return nullptr;
}

std::uint32_t Image::pixelAt(int x, int y) const {
  if (x < 0 || y < 0 || x >= pixelWidth_ || y >= pixelHeight_) return 0;
  return pixels()[static_cast<std::size_t>(y) * pixelWidth_ + x];
}

foundation::Result<foundation::Bytes> Image::jpegData(double quality) const {
  if (pixelWidth_ == 0 || pixelHeight_ == 0) return imageError(5, "an empty picture cannot be encoded");
  TurboHandle encoder(tjInitCompress());
  if (!encoder.handle) return imageError(4, "the JPEG encoder cannot start");
  int q = std::clamp(static_cast<int>(std::lround(quality * 100)), 1, 100);
  unsigned char* jpeg = nullptr;
  unsigned long jpegSize = 0;
  if (tjCompress2(encoder.handle, reinterpret_cast<const unsigned char*>(pixels().data()), pixelWidth_, pixelWidth_ * 4,
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
  auto* data = const_cast<unsigned char*>(reinterpret_cast<const unsigned char*>(pixels().data()));
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
