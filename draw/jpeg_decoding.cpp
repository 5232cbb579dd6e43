// JPEG decoding with libjpeg from memory. The source hands libjpeg the whole data at once; asking
// for more, or skipping past the end, is an error, so a truncated image fails instead of being
// padded out. Damaged data that libjpeg only warns about fails too: a skin image that decodes
// to garbage is better refused where the tools can say so.
//
// libjpeg errors longjmp to the setjmp point in ReadJpeg; the decompressor, the error trap and
// the output live in DecodeJpeg, outside the frames the jump skips.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

#include "draw/image_decoding.h"
#include "draw/jpeg_error_trap.h"
#include "draw/pixel_size.h"

#include <jerror.h>

namespace {

void StartSource(j_decompress_ptr) {}
void EndSource(j_decompress_ptr) {}

boolean FillInput(j_decompress_ptr info) {
  ERREXIT(info, JERR_INPUT_EOF);
  return FALSE;
}

void SkipInput(j_decompress_ptr info, long count) {
  if (count <= 0) return;
  jpeg_source_mgr* source = info->src;
  if (static_cast<unsigned long>(count) > source->bytes_in_buffer) {
    ERREXIT(info, JERR_INPUT_EOF);
  }
  source->next_input_byte += count;
  source->bytes_in_buffer -= static_cast<size_t>(count);
}

// The decompressor, destroyed however decoding ends (jpeg_destroy ignores one never created).
struct Decompressor {
  Decompressor() { std::memset(&info, 0, sizeof(info)); }
  ~Decompressor() { jpeg_destroy_decompress(&info); }
  Decompressor(const Decompressor&) = delete;
  Decompressor& operator=(const Decompressor&) = delete;

  jpeg_decompress_struct info;
  jpeg_source_mgr source;
  JpegErrorTrap trap;
};

void StoreRow(const JSAMPLE* samples, int components, int width, uint8_t* out) {
  for (int x = 0; x < width; ++x, out += 4, samples += components) {
    if (components == 3) {
      out[0] = samples[2];
      out[1] = samples[1];
      out[2] = samples[0];
    } else {
      out[0] = out[1] = out[2] = samples[0];
    }
    out[3] = 0xFF;
  }
}

// A Huffman-coded scan spends at least one bit on every block of the components it codes, and
// the first scan codes one at least whole: the file's bytes bound the image it can hold. A size
// they cannot bear out is refused before libjpeg or this decoder makes buffers for it (a few
// hundred bytes can claim a gigabyte). Arithmetic coding, for which no such bound holds and which
// no skin needs, is refused too.
bool DataBearsOutSize(const jpeg_decompress_struct& info, size_t size) {
  if (info.arith_code) return false;
  uint64_t fewestBlocks = UINT64_MAX;
  for (int c = 0; c < info.num_components; ++c) {
    const jpeg_component_info& component = info.comp_info[c];
    fewestBlocks = std::min<uint64_t>(
        fewestBlocks, uint64_t{component.width_in_blocks} * component.height_in_blocks);
  }
  return fewestBlocks <= static_cast<uint64_t>(size) * 8;
}

bool ReadJpeg(Decompressor& jpeg, const uint8_t* data, size_t size, DecodedImage& image) {
  jpeg_decompress_struct& info = jpeg.info;
  info.err = InstallJpegErrorTrap(jpeg.trap);
  if (setjmp(jpeg.trap.jump)) return false;

  jpeg_create_decompress(&info);
  jpeg.source.next_input_byte = data;
  jpeg.source.bytes_in_buffer = size;
  jpeg.source.init_source = StartSource;
  jpeg.source.fill_input_buffer = FillInput;
  jpeg.source.skip_input_data = SkipInput;
  jpeg.source.resync_to_restart = jpeg_resync_to_restart;
  jpeg.source.term_source = EndSource;
  info.src = &jpeg.source;
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK || !DataBearsOutSize(info, size)) {
    return false;
  }
  if (!jpeg_start_decompress(&info)) return false;

  const int components = info.output_components;
  if (components != 3 && components != 1) return false;
  size_t bytes = 0;
  if (info.output_width > INT32_MAX || info.output_height > INT32_MAX ||
      !PixelBufferBytes(static_cast<int>(info.output_width),
                        static_cast<int>(info.output_height), 4, bytes)) {
    return false;
  }
  const int width = static_cast<int>(info.output_width);
  image.pixels.reset(new (std::nothrow) uint8_t[bytes]);
  if (!image.pixels) return false;
  JSAMPARRAY row = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                             info.output_width * components, 1);
  while (info.output_scanline < info.output_height) {
    uint8_t* out = image.pixels.get() + static_cast<size_t>(info.output_scanline) * width * 4;
    if (jpeg_read_scanlines(&info, row, 1) != 1) return false;
    StoreRow(row[0], components, width, out);
  }
  if (!jpeg_finish_decompress(&info)) return false;
  if (jpeg.trap.manager.num_warnings != 0) return false;
  image.width = width;
  image.height = static_cast<int>(info.output_height);
  return true;
}

}  // namespace

bool DecodeJpeg(const uint8_t* data, size_t size, DecodedImage& image) {
  image = DecodedImage();
  if (data == nullptr || size <= 5) return false;
  Decompressor jpeg;
  DecodedImage decoded;
  if (!ReadJpeg(jpeg, data, size, decoded)) return false;
  image = std::move(decoded);
  return true;
}
