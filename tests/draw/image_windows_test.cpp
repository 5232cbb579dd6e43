#include "draw/image.h"

#include <windows.h>

#include <png.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "draw/gdi_handles.h"
#include "support/pe/module_library.h"
#include "tests/helpers/image_files.h"
#include "tests/helpers/temp_folder.h"
#include "tests/helpers/windows_test_support.h"

namespace {

const uint8_t* Bytes(const std::string& data) {
  return reinterpret_cast<const uint8_t*>(data.data());
}

uint32_t Size(const std::string& data) { return static_cast<uint32_t>(data.size()); }

// The 32-bit pixels GDI holds for a bitmap, top row first.
std::vector<uint32_t> BitmapPixels(HBITMAP bitmap, int width, int height) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  ScreenDC screen;
  EXPECT_EQ(GetDIBits(screen.Get(), bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS),
            height);
  return pixels;
}

std::vector<uint32_t> ImagePixels(const CImage& image) {
  const uint32_t* bits = reinterpret_cast<const uint32_t*>(image.GetBits());
  return std::vector<uint32_t>(bits, bits + image.GetWidth() * image.GetHeight());
}

const std::string& SamplePng() {
  static const std::string png = EncodePng(
      {9, 7, PNG_COLOR_TYPE_RGB_ALPHA, 8, false, false, {}, PatternColours(9, 7, true)});
  return png;
}

TEST(ImageTest, CreateMakesATopDownDibSection) {
  CImage image;
  ASSERT_TRUE(image.Create(10, 5, 32, nullptr));
  EXPECT_EQ(image.GetWidth(), 10);
  EXPECT_EQ(image.GetHeight(), 5);
  EXPECT_EQ(image.GetBitCount(), 32);
  ASSERT_NE(image.GetBits(), nullptr);
  EXPECT_EQ(std::vector<uint8_t>(image.GetBits(), image.GetBits() + 200),
            std::vector<uint8_t>(200, 0));

  // What GDI draws at (0, 0) and (0, 1) lands at bytes 0 and 40: rows run top first.
  MemoryDC dc(CreateCompatibleDC(nullptr));
  {
    Selection selected(dc.Get(), image.GetBitmap());
    SetPixelV(dc.Get(), 0, 0, RGB(1, 2, 3));
    SetPixelV(dc.Get(), 0, 1, RGB(4, 5, 6));
    GdiFlush();
  }
  EXPECT_EQ(std::vector<int>(image.GetBits(), image.GetBits() + 3), (std::vector<int>{3, 2, 1}));
  EXPECT_EQ(std::vector<int>(image.GetBits() + 40, image.GetBits() + 43),
            (std::vector<int>{6, 5, 4}));
  image.Clear();
  EXPECT_EQ(image.GetBits()[40], 0);

  std::vector<uint32_t> pixels(6, 0x80102030);
  ASSERT_TRUE(image.Create(3, 2, 32, pixels.data()));
  EXPECT_EQ(ImagePixels(image), pixels);

  for (auto size : {std::make_pair(0, 5), std::make_pair(-3, 5), std::make_pair(50000, 50000)}) {
    EXPECT_FALSE(image.Create(size.first, size.second, 32, nullptr));
    EXPECT_EQ(image.GetBits(), nullptr);
    EXPECT_EQ(image.GetWidth(), 0);
  }
  EXPECT_FALSE(image.Create(4, 4, 8, nullptr));
}

TEST(ImageTest, LoadersDecodeIntoPixelsAndAMatchingBitmap) {
  TempFolder folder;
  const std::filesystem::path file = folder.Path() / u"皮肤.png";
  WriteBytes(file, SamplePng());
  WriteBytes(folder.Path() / "plain.png", SamplePng());
  const std::u16string exe = folder.File(u"target.exe");
  std::filesystem::copy_file(TestProgramFolder() / "resource_target.exe", exe);
  ASSERT_TRUE(PutResource(exe, u"png", 5, SamplePng()));
  ASSERT_TRUE(PutResource(exe, u"image", 1, SamplePng()));
  ModuleLibrary library(exe.c_str());
  ASSERT_NE(library.Handle(), nullptr);
  const std::string narrow = (folder.Path() / "plain.png").string();

  CImage reference;
  ASSERT_TRUE(reference.LoadPng(Bytes(SamplePng()), Size(SamplePng())));
  const std::vector<uint32_t> expected = ImagePixels(reference);

  const std::u16string wide = file.u16string();
  CImage images[6];
  const bool loaded[6] = {
      images[0].LoadFromMemory(Bytes(SamplePng()), Size(SamplePng())),
      images[1].LoadFromFile(wide.c_str()),
      images[2].LoadFromFileA(narrow.c_str()),
      images[3].LoadPngFile(wide.c_str()),
      images[4].LoadFromResource(library.Handle(), 1, u"image"),
      images[5].LoadPngResource(library.Handle(), 5),
  };
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    ASSERT_TRUE(loaded[i]);
    EXPECT_EQ(images[i].GetWidth(), 9);
    EXPECT_EQ(images[i].GetHeight(), 7);
    EXPECT_EQ(images[i].GetBitCount(), 32);
    EXPECT_EQ(ImagePixels(images[i]), expected);
    EXPECT_EQ(BitmapPixels(images[i].GetBitmap(), 9, 7), expected);
  }
}

// A decoder that runs and fails empties the image; a load that fails before (no file, no
// resource, an unknown signature) leaves it as it was.
TEST(ImageTest, FailedLoadsLeaveTheImageAsTheyShould) {
  const std::string truncated = SamplePng().substr(0, SamplePng().size() / 2);
  const std::string gif("GIF89a\x01\x00\x01\x00\x00\x00\x00;", 14);
  CImage images[5];
  for (CImage& image : images) ASSERT_TRUE(image.LoadPng(Bytes(SamplePng()), Size(SamplePng())));
  const bool loaded[5] = {
      images[0].LoadFromMemory(Bytes(truncated), Size(truncated)),
      images[1].LoadJpeg(Bytes(SamplePng()), Size(SamplePng())),
      images[2].LoadFromMemory(Bytes(gif), Size(gif)),
      images[3].LoadFromFile(u"C:\\no such folder\\x.png"),
      images[4].LoadPngResource(GetModuleHandleW(nullptr), 999),
  };
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    const bool emptied = i < 2;
    EXPECT_FALSE(loaded[i]);
    EXPECT_EQ(images[i].GetBits() == nullptr, emptied);
    EXPECT_EQ(images[i].GetBitmap() == nullptr, emptied);
    EXPECT_EQ(images[i].GetWidth(), emptied ? 0 : 9);
  }
}

TEST(ImageTest, SaveJpegNeverHandsBackACutImage) {
  CImage image;
  std::vector<uint32_t> pixels(32 * 16, 0xFF3080C0);
  ASSERT_TRUE(image.Create(32, 16, 32, pixels.data()));

  std::vector<uint8_t> buffer(64 * 1024);
  uint32_t length = static_cast<uint32_t>(buffer.size());
  ASSERT_TRUE(image.SaveJpeg(buffer.data(), &length, 90));
  const uint32_t needed = length;
  ASSERT_GT(needed, 100u);

  std::vector<uint8_t> small(needed - 1, 0xAB);
  length = needed - 1;
  EXPECT_FALSE(image.SaveJpeg(small.data(), &length, 90));
  EXPECT_EQ(length, needed);
  EXPECT_EQ(small, std::vector<uint8_t>(needed - 1, 0xAB));

  std::vector<uint8_t> exact(needed);
  length = needed;
  ASSERT_TRUE(image.SaveJpeg(exact.data(), &length, 90));
  EXPECT_EQ(length, needed);
  EXPECT_EQ(std::memcmp(exact.data(), buffer.data(), needed), 0);
  length = 0;
  EXPECT_FALSE(image.SaveJpeg(exact.data(), &length, 90));

  TempFolder folder;
  const std::u16string path = folder.File(u"保存.jpg");
  ASSERT_TRUE(image.SaveJpegFile(path.c_str(), 90));
  CImage loaded;
  ASSERT_TRUE(loaded.LoadJpegFile(path.c_str()));
  ASSERT_EQ(loaded.GetWidth(), 32);
  for (uint32_t pixel : ImagePixels(loaded)) {
    EXPECT_NEAR(static_cast<int>(pixel >> 16 & 0xFF), 0x30, 3);
    EXPECT_NEAR(static_cast<int>(pixel >> 8 & 0xFF), 0x80, 3);
    EXPECT_NEAR(static_cast<int>(pixel & 0xFF), 0xC0, 3);
    EXPECT_EQ(pixel >> 24, 0xFFu);
  }
  EXPECT_FALSE(image.SaveJpegFile(u"C:\\no such folder\\x.jpg", 90));
  EXPECT_FALSE(CImage().SaveJpegFile(path.c_str(), 90));
}

TEST(ImageTest, ScaledCopyAndIcon) {
  CImage source;
  std::vector<uint32_t> pixels(4, 0xFF208040);
  ASSERT_TRUE(source.Create(2, 2, 32, pixels.data()));
  CImage scaled;
  ASSERT_TRUE(scaled.CreateFromBitmap(source.GetBitmap(), 6, 4));
  EXPECT_EQ(scaled.GetWidth(), 6);
  EXPECT_EQ(scaled.GetHeight(), 4);
  for (uint32_t pixel : ImagePixels(scaled)) EXPECT_EQ(pixel & 0xFFFFFF, 0x208040u);
  EXPECT_FALSE(scaled.CreateFromBitmap(nullptr, 6, 4));

  HICON icon = source.CreateIcon();
  ASSERT_NE(icon, nullptr);
  ICONINFO info = {};
  ASSERT_TRUE(GetIconInfo(icon, &info));
  BITMAP colour = {};
  GetObjectW(info.hbmColor, sizeof(colour), &colour);
  EXPECT_EQ(colour.bmWidth, 2);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  DestroyIcon(icon);
  EXPECT_EQ(CImage().CreateIcon(), nullptr);
}

}  // namespace
