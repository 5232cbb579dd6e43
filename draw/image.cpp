#include "draw/image.h"

#include <cstring>

#include "draw/image_decoding.h"
#include "draw/jpeg_encoding.h"
#include "draw/pixel_size.h"
#include "support/files/file_stream.h"
#include "support/files/xdata.h"
#include "support/pe/resource_reader.h"

namespace {

constexpr char16_t kImageResourceType[] = u"png";

template <typename Path>
bool ReadWhole(XData& bytes, const Path* path) {
  return path != nullptr && bytes.ReadFile(path, 0);
}

bool Encode(const IImage& image, int quality, JpegBytes& jpeg) {
  const int bytesPerPixel = image.GetBitCount() / 8;
  size_t bytes = 0;
  if (image.GetBits() == nullptr ||
      !PixelBufferBytes(image.GetWidth(), image.GetHeight(), bytesPerPixel, bytes)) {
    return false;
  }
  GdiFlush();
  return EncodeJpeg(image.GetBits(), image.GetWidth(), image.GetHeight(), bytesPerPixel,
                    bytes / image.GetHeight(), quality, jpeg);
}

template <typename Path>
bool WriteWhole(const Path* path, const JpegBytes& jpeg) {
  FileStream file = OpenFileStream(path, "wb");
  if (!file) return false;
  const bool written = std::fwrite(jpeg.data.get(), 1, jpeg.size, file.get()) == jpeg.size;
  return std::fclose(file.release()) == 0 && written;
}

}  // namespace

bool CImage::LoadFromResource(ModuleHandle module, int id, const char16_t* type) {
  XData bytes;
  return LoadPackedResource(bytes, module, type, id) &&
         LoadFromMemory(bytes.Data(), bytes.Length());
}

bool CImage::LoadFromFile(const char16_t* path) {
  XData bytes;
  return ReadWhole(bytes, path) && LoadFromMemory(bytes.Data(), bytes.Length());
}

bool CImage::LoadFromFileA(const char* path) {
  XData bytes;
  return ReadWhole(bytes, path) && LoadFromMemory(bytes.Data(), bytes.Length());
}

bool CImage::LoadFromMemory(const uint8_t* data, uint32_t size) {
  switch (DetectImageFormat(data, size)) {
    case ImageFormat::kPng:
      return LoadPng(data, size);
    case ImageFormat::kJpeg:
      return LoadJpeg(data, size);
    case ImageFormat::kUnknown:
      break;
  }
  return false;
}

bool CImage::LoadPng(const uint8_t* data, uint32_t size) {
  Free();
  DecodedImage decoded;
  return DecodePng(data, size, decoded) && Adopt(decoded);
}

bool CImage::LoadPngFile(const char16_t* path) {
  XData bytes;
  return ReadWhole(bytes, path) && LoadPng(bytes.Data(), bytes.Length());
}

bool CImage::LoadPngFileA(const char* path) {
  XData bytes;
  return ReadWhole(bytes, path) && LoadPng(bytes.Data(), bytes.Length());
}

bool CImage::LoadPngResource(ModuleHandle module, int id) {
  XData bytes;
  return LoadPackedResource(bytes, module, kImageResourceType, id) &&
         LoadPng(bytes.Data(), bytes.Length());
}

bool CImage::LoadJpeg(const uint8_t* data, uint32_t size) {
  Free();
  DecodedImage decoded;
  return DecodeJpeg(data, size, decoded) && Adopt(decoded);
}

bool CImage::LoadJpegFile(const char16_t* path) {
  XData bytes;
  return ReadWhole(bytes, path) && LoadJpeg(bytes.Data(), bytes.Length());
}

bool CImage::LoadJpegFileA(const char* path) {
  XData bytes;
  return ReadWhole(bytes, path) && LoadJpeg(bytes.Data(), bytes.Length());
}

bool CImage::LoadJpegResource(ModuleHandle module, int id) {
  XData bytes;
  return LoadPackedResource(bytes, module, kImageResourceType, id) &&
         LoadJpeg(bytes.Data(), bytes.Length());
}

bool CImage::SaveJpeg(uint8_t* buffer, uint32_t* length, int quality) {
  if (buffer == nullptr || length == nullptr || *length == 0) return false;
  JpegBytes jpeg;
  if (!Encode(*this, quality, jpeg)) return false;
  if (jpeg.size > *length) {
    *length = static_cast<uint32_t>(jpeg.size);
    return false;
  }
  std::memcpy(buffer, jpeg.data.get(), jpeg.size);
  *length = static_cast<uint32_t>(jpeg.size);
  return true;
}

bool CImage::SaveJpegFile(const char16_t* path, int quality) {
  JpegBytes jpeg;
  return Encode(*this, quality, jpeg) && WriteWhole(path, jpeg);
}

bool CImage::SaveJpegFileA(const char* path, int quality) {
  JpegBytes jpeg;
  return Encode(*this, quality, jpeg) && WriteWhole(path, jpeg);
}

bool CImage::ReservedSave(int, int, int) { return false; }

bool CImage::CreateFromBitmap(HBITMAP bitmap, int width, int height) {
  BITMAP source = {};
  if (bitmap == nullptr || GetObjectW(bitmap, sizeof(source), &source) == 0) return false;
  if (!Create(width, height, source.bmBitsPixel, nullptr)) return false;
  ScreenDC screen;
  MemoryDC targetDC(CreateCompatibleDC(screen.Get()));
  MemoryDC sourceDC(CreateCompatibleDC(screen.Get()));
  if (targetDC.Get() == nullptr || sourceDC.Get() == nullptr) return false;
  Selection target(targetDC.Get(), bitmap_.Get());
  Selection from(sourceDC.Get(), bitmap);
  if (!target.Selected() || !from.Selected()) return false;
  SetStretchBltMode(targetDC.Get(), HALFTONE);
  SetStretchBltMode(sourceDC.Get(), HALFTONE);
  return StretchBlt(targetDC.Get(), 0, 0, width, height, sourceDC.Get(), 0, 0, source.bmWidth,
                    source.bmHeight, SRCCOPY) != FALSE;
}

bool CImage::Create(int width, int height, int bitCount, const void* pixels) {
  Free();
  size_t bytes = 0;
  if ((bitCount != 16 && bitCount != 24 && bitCount != 32) ||
      !PixelBufferBytes(width, height, bitCount / 8, bytes)) {
    return false;
  }
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = static_cast<WORD>(bitCount);
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr || bits == nullptr) {
    if (bitmap != nullptr) DeleteObject(bitmap);
    return false;
  }
  if (pixels != nullptr) {
    std::memcpy(bits, pixels, bytes);
  } else {
    std::memset(bits, 0, bytes);
  }
  bitmap_.Reset(bitmap);
  width_ = width;
  height_ = height;
  bitCount_ = bitCount;
  pixels_ = static_cast<uint8_t*>(bits);
  return true;
}

void CImage::Free() {
  bitmap_.Reset(nullptr);
  decoded_.reset();
  pixels_ = nullptr;
  width_ = 0;
  height_ = 0;
  bitCount_ = 0;
}

void CImage::Clear() {
  size_t bytes = 0;
  if (pixels_ != nullptr && PixelBufferBytes(width_, height_, bitCount_ / 8, bytes)) {
    GdiFlush();
    std::memset(pixels_, 0, bytes);
  }
}

int CImage::GetWidth() const { return width_; }
int CImage::GetHeight() const { return height_; }
int CImage::GetBitCount() const { return bitCount_; }
uint8_t* CImage::GetBits() const { return pixels_; }
HBITMAP CImage::GetBitmap() const { return bitmap_.Get(); }

HICON CImage::CreateIcon() const {
  if (bitmap_.Get() == nullptr) return nullptr;
  ScreenDC screen;
  GdiObject<HBITMAP> mask(CreateCompatibleBitmap(screen.Get(), width_, height_));
  if (mask.Get() == nullptr) return nullptr;
  ICONINFO info = {};
  info.fIcon = TRUE;
  info.hbmMask = mask.Get();
  info.hbmColor = bitmap_.Get();
  return CreateIconIndirect(&info);
}

CImage::~CImage() { Free(); }

bool CImage::Adopt(DecodedImage& decoded) {
  HBITMAP bitmap = CreateBitmap(decoded.width, decoded.height, 1, 32, decoded.pixels.get());
  if (bitmap == nullptr) return false;
  bitmap_.Reset(bitmap);
  decoded_ = std::move(decoded.pixels);
  pixels_ = decoded_.get();
  width_ = decoded.width;
  height_ = decoded.height;
  bitCount_ = 32;
  return true;
}
