// PNG decoding with libpng. Every image is turned into four bytes a pixel B, G, R, A by libpng's
// own transformations (a filler byte for RGB, the transparent colour as alpha, 16 bits cut to 8,
// interlaced passes combined), so the rows always have the size the buffer was made for.
//
// libpng reports errors by longjmp to the setjmp point in ReadPng. Nothing with a destructor
// lives in the frames that jump skips: the read state and the output are owned by DecodePng.
#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <cstring>
#include <new>

#include "draw/image_decoding.h"
#include "draw/pixel_size.h"

namespace {

constexpr size_t kSignatureBytes = 8;
// Deflate makes at most 1,032 bytes of one (a 258-byte match coded in two bits).
constexpr uint64_t kMostInflatedPerByte = 1032;

struct MemoryReader {
  const uint8_t* data;
  size_t size;
  size_t position;
};

void ReadFromMemory(png_structp png, png_bytep out, size_t count) {
  auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
  if (count > reader->size - reader->position) png_error(png, "ReadPNGCallback failed");
  std::memcpy(out, reader->data + reader->position, count);
  reader->position += count;
}

// Silent: a failed image is a false result, and the tools that decode print their own line.
void StopOnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void IgnoreWarning(png_structp, png_const_charp) {}

// The libpng read state, destroyed however decoding ends.
class PngReadState {
 public:
  PngReadState() {
    png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, StopOnError, IgnoreWarning);
    if (png_ != nullptr) info_ = png_create_info_struct(png_);
  }
  ~PngReadState() { png_destroy_read_struct(&png_, info_ != nullptr ? &info_ : nullptr, nullptr); }
  PngReadState(const PngReadState&) = delete;
  PngReadState& operator=(const PngReadState&) = delete;

  bool Valid() const { return png_ != nullptr && info_ != nullptr; }
  png_structp Png() const { return png_; }
  png_infop Info() const { return info_; }

 private:
  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
};

// Each colour byte becomes value x alpha / 255, rounded down.
void Premultiply(uint8_t* pixels, size_t count) {
  for (size_t i = 0; i < count; ++i, pixels += 4) {
    const unsigned alpha = pixels[3];
    for (int channel = 0; channel < 3; ++channel) {
      pixels[channel] = static_cast<uint8_t>(pixels[channel] * alpha / 255);
    }
  }
}

bool ReadPng(const PngReadState& state, MemoryReader& reader, DecodedImage& image,
             std::unique_ptr<png_bytep[]>& rows) {
  png_structp png = state.Png();
  png_infop info = state.Info();
  if (setjmp(png_jmpbuf(png))) return false;

  png_set_read_fn(png, &reader, ReadFromMemory);
  png_set_sig_bytes(png, kSignatureBytes);
  png_read_info(png, info);
  png_uint_32 width = 0;
  png_uint_32 height = 0;
  int bitDepth = 0;
  int colorType = 0;
  png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, nullptr, nullptr, nullptr);
  if (colorType != PNG_COLOR_TYPE_RGB && colorType != PNG_COLOR_TYPE_RGB_ALPHA) return false;
  size_t bytes = 0;
  if (width > INT32_MAX || height > INT32_MAX ||
      !PixelBufferBytes(static_cast<int>(width), static_cast<int>(height), 4, bytes)) {
    return false;
  }
  // The rows as stored, a filter byte each, are inflated from the file's bytes: a size they
  // cannot bear out is refused before its buffer is made, rather than taken on trust.
  const uint64_t storedBytes = (static_cast<uint64_t>(png_get_rowbytes(png, info)) + 1) * height;
  if (storedBytes > static_cast<uint64_t>(reader.size) * kMostInflatedPerByte) return false;

  const bool transparentColour = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  png_set_bgr(png);
  if (bitDepth == 16) png_set_strip_16(png);
  if (transparentColour) {
    png_set_tRNS_to_alpha(png);
  } else if (colorType == PNG_COLOR_TYPE_RGB) {
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  }
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  const size_t rowBytes = static_cast<size_t>(width) * 4;
  if (png_get_rowbytes(png, info) != rowBytes) return false;

  image.pixels.reset(new (std::nothrow) uint8_t[bytes]);
  rows.reset(new (std::nothrow) png_bytep[height]);
  if (!image.pixels || !rows) return false;
  for (png_uint_32 row = 0; row < height; ++row) rows[row] = image.pixels.get() + row * rowBytes;
  png_read_image(png, rows.get());
  png_read_end(png, nullptr);

  if (colorType == PNG_COLOR_TYPE_RGB_ALPHA || transparentColour) {
    Premultiply(image.pixels.get(), static_cast<size_t>(width) * height);
  }
  image.width = static_cast<int>(width);
  image.height = static_cast<int>(height);
  return true;
}

}  // namespace

bool DecodePng(const uint8_t* data, size_t size, DecodedImage& image) {
  image = DecodedImage();
  if (data == nullptr || size < kSignatureBytes || png_sig_cmp(data, 0, kSignatureBytes) != 0) {
    return false;
  }
  PngReadState state;
  if (!state.Valid()) return false;
  MemoryReader reader{data, size, kSignatureBytes};
  DecodedImage decoded;
  std::unique_ptr<png_bytep[]> rows;
  if (!ReadPng(state, reader, decoded, rows)) return false;
  image = std::move(decoded);
  return true;
}
