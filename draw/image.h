#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "draw/gdi_handles.h"
#include "support/core/module_handle.h"

struct DecodedImage;

// A bitmap with its pixels: 32 bits a pixel, top row first, each a 0xAARRGGBB value (bytes B,
// G, R, A). Decoded PNGs with alpha carry premultiplied colour, ready for AlphaBlend; every other
// decoded pixel is opaque. The operations keep a fixed order.
//
// Loaders return true on success. LoadPng and LoadJpeg free the current content before decoding,
// so a failed decoding leaves the image empty; a loader that fails earlier (missing file or
// resource, unknown signature) leaves it as it was.
class IImage {
 public:
  // Resource id of type (a name) of module, unpacked when it is a packed container.
  virtual bool LoadFromResource(ModuleHandle module, int id, const char16_t* type) = 0;
  virtual bool LoadFromFile(const char16_t* path) = 0;
  virtual bool LoadFromFileA(const char* path) = 0;
  // Chooses the decoder by signature: 0x89 "PNG" or 0xFF 0xD8 0xFF. Null, fewer than 4 bytes
  // or any other signature fail.
  virtual bool LoadFromMemory(const uint8_t* data, uint32_t size) = 0;
  virtual bool LoadPng(const uint8_t* data, uint32_t size) = 0;
  virtual bool LoadPngFile(const char16_t* path) = 0;
  virtual bool LoadPngFileA(const char* path) = 0;
  // Resource of type "png".
  virtual bool LoadPngResource(ModuleHandle module, int id) = 0;
  virtual bool LoadJpeg(const uint8_t* data, uint32_t size) = 0;
  virtual bool LoadJpegFile(const char16_t* path) = 0;
  virtual bool LoadJpegFileA(const char* path) = 0;
  // Also a resource of type "png": skins keep every image under that one type.
  virtual bool LoadJpegResource(ModuleHandle module, int id) = 0;
  // Encodes the pixels as JPEG (quality 0..100) into buffer, whose capacity *length gives. On
  // success *length receives the bytes written. When the encoding does not fit, nothing is
  // written, the result is false and *length receives the size needed.
  virtual bool SaveJpeg(uint8_t* buffer, uint32_t* length, int quality) = 0;
  virtual bool SaveJpegFile(const char16_t* path, int quality) = 0;
  virtual bool SaveJpegFileA(const char* path, int quality) = 0;
  // Kept for its place in the order; always false.
  virtual bool ReservedSave(int a, int b, int c) = 0;
  // Makes this image a copy of bitmap stretched to width x height.
  virtual bool CreateFromBitmap(HBITMAP bitmap, int width, int height) = 0;
  // Makes this image a top-down DIB section of width x height and bitCount bits a pixel (16, 24
  // or 32), zeroed, or filled from pixels (rows of the DIB's stride) when given. A size whose
  // bytes would not fit in 31 bits fails.
  virtual bool Create(int width, int height, int bitCount, const void* pixels) = 0;
  // Releases the bitmap and the decoded pixels; every size becomes 0.
  virtual void Free() = 0;
  // Zeroes every pixel byte; nothing without pixels.
  virtual void Clear() = 0;
  virtual int GetWidth() const = 0;
  virtual int GetHeight() const = 0;
  virtual int GetBitCount() const = 0;
  // The pixel memory. For created images it is the DIB section's, so changes show in the bitmap;
  // for decoded images the bitmap is a copy made at load time.
  virtual uint8_t* GetBits() const = 0;
  virtual HBITMAP GetBitmap() const = 0;
  // A new icon of the image (the caller destroys it), or null without a bitmap.
  virtual HICON CreateIcon() const = 0;
  virtual ~IImage() = default;
};

// The image of the system: a DIB section it draws into, or pixels decoded from a PNG or JPEG
// with a GDI bitmap made from them. It owns its bitmap and decoded pixels.
class CImage : public IImage {
 public:
  CImage() = default;
  CImage(const CImage&) = delete;
  CImage& operator=(const CImage&) = delete;

  bool LoadFromResource(ModuleHandle module, int id, const char16_t* type) override;
  bool LoadFromFile(const char16_t* path) override;
  bool LoadFromFileA(const char* path) override;
  bool LoadFromMemory(const uint8_t* data, uint32_t size) override;
  bool LoadPng(const uint8_t* data, uint32_t size) override;
  bool LoadPngFile(const char16_t* path) override;
  bool LoadPngFileA(const char* path) override;
  bool LoadPngResource(ModuleHandle module, int id) override;
  bool LoadJpeg(const uint8_t* data, uint32_t size) override;
  bool LoadJpegFile(const char16_t* path) override;
  bool LoadJpegFileA(const char* path) override;
  bool LoadJpegResource(ModuleHandle module, int id) override;
  bool SaveJpeg(uint8_t* buffer, uint32_t* length, int quality) override;
  bool SaveJpegFile(const char16_t* path, int quality) override;
  bool SaveJpegFileA(const char* path, int quality) override;
  bool ReservedSave(int a, int b, int c) override;
  bool CreateFromBitmap(HBITMAP bitmap, int width, int height) override;
  bool Create(int width, int height, int bitCount, const void* pixels) override;
  void Free() override;
  void Clear() override;
  int GetWidth() const override;
  int GetHeight() const override;
  int GetBitCount() const override;
  uint8_t* GetBits() const override;
  HBITMAP GetBitmap() const override;
  HICON CreateIcon() const override;
  ~CImage() override;

 private:
  // Takes decoded's pixels and makes the bitmap from them; false (and nothing taken) when GDI
  // cannot make the bitmap.
  bool Adopt(DecodedImage& decoded);

  int width_ = 0;
  int height_ = 0;
  int bitCount_ = 0;
  uint8_t* pixels_ = nullptr;  // into the DIB section, or decoded_
  GdiObject<HBITMAP> bitmap_;
  std::unique_ptr<uint8_t[]> decoded_;  // the decoder's pixels, for decoded images
};
