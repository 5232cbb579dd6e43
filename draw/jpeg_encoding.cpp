// libjpeg errors longjmp to the setjmp point in WriteJpeg; the compressor, its output and the
// row buffer live in EncodeJpeg, outside the frames the jump skips.
#include "draw/jpeg_encoding.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "draw/jpeg_error_trap.h"

void JpegBytes::Releaser::operator()(unsigned char* bytes) const { std::free(bytes); }

namespace {

struct Compressor {
  Compressor() { std::memset(&info, 0, sizeof(info)); }
  ~Compressor() {
    jpeg_destroy_compress(&info);
    std::free(output);
  }
  Compressor(const Compressor&) = delete;
  Compressor& operator=(const Compressor&) = delete;

  jpeg_compress_struct info;
  JpegErrorTrap trap;
  unsigned char* output = nullptr;  // grown by libjpeg's memory destination
  unsigned long outputSize = 0;
};

bool WriteJpeg(Compressor& jpeg, const uint8_t* pixels, int height, int bytesPerPixel,
               size_t rowBytes, int quality, std::vector<uint8_t>& row) {
  jpeg_compress_struct& info = jpeg.info;
  info.err = InstallJpegErrorTrap(jpeg.trap);
  if (setjmp(jpeg.trap.jump)) return false;

  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, &jpeg.output, &jpeg.outputSize);
  info.image_width = static_cast<JDIMENSION>(row.size() / 3);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  JSAMPROW rows[1] = {row.data()};
  for (int y = 0; y < height; ++y) {
    const uint8_t* in = pixels + static_cast<size_t>(y) * rowBytes;
    for (size_t x = 0; x < row.size(); x += 3, in += bytesPerPixel) {
      row[x] = in[2];
      row[x + 1] = in[1];
      row[x + 2] = in[0];
    }
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  return true;
}

}  // namespace

bool EncodeJpeg(const uint8_t* pixels, int width, int height, int bytesPerPixel, size_t rowBytes,
                int quality, JpegBytes& out) {
  out = JpegBytes();
  if (pixels == nullptr || width <= 0 || height <= 0 || width > JPEG_MAX_DIMENSION ||
      height > JPEG_MAX_DIMENSION || bytesPerPixel < 3 ||
      rowBytes < static_cast<size_t>(width) * bytesPerPixel) {
    return false;
  }
  Compressor jpeg;
  std::vector<uint8_t> row(static_cast<size_t>(width) * 3);
  if (!WriteJpeg(jpeg, pixels, height, bytesPerPixel, rowBytes, quality, row)) return false;
  out.data.reset(jpeg.output);
  out.size = jpeg.outputSize;
  jpeg.output = nullptr;
  return true;
}
