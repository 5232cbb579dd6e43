#include "draw/dpi_image.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "draw/dpi_scale.h"

namespace {

TEST(DpiScale, RoundsToTheNearestPixelAwayFromZero) {
  struct Case {
    int32_t value;
    int dpi;
    int32_t expected;
  };
  const std::vector<Case> cases = {
      {600, 96, 600},   {600, 120, 750}, {600, 144, 900}, {600, 192, 1200}, {1, 144, 2},
      {1, 120, 1},      {3, 120, 4},     {6, 168, 11},    {0, 192, 0},      {-1, 192, -2},
      {-3, 144, -5},    {7, 0, 7},       {7, -96, 7},     {INT32_MAX, 192, INT32_MAX},
      {INT32_MIN, 192, INT32_MIN},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.value) + " at " + std::to_string(c.dpi));
    EXPECT_EQ(ScaleToDpi(c.value, c.dpi), c.expected);
  }
  EXPECT_FALSE(WantsDoubleSizeImages(167));
  EXPECT_TRUE(WantsDoubleSizeImages(168));
}

TEST(DpiScale, NamesTheLargerTwinBeforeTheExtension) {
  struct Case {
    std::string name;
    std::string twin;
  };
  const std::vector<Case> cases = {
      {"logo.png", "logo@2x.png"},
      {"btn.start.png", "btn.start@2x.png"},
      {"skin/logo.png", "skin/logo@2x.png"},
      {"skin.v2/logo", "skin.v2/logo@2x"},
      {"skin.v2\\logo", "skin.v2\\logo@2x"},
      {"readme", "readme@2x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DoubleSizeName(c.name), c.twin);
    EXPECT_EQ(SingleSizeName(c.twin), c.name);
    EXPECT_EQ(DoubleSizeName(std::u16string(c.name.begin(), c.name.end())),
              std::u16string(c.twin.begin(), c.twin.end()));
  }
  const std::vector<Case> twins = {
      {"LOGO@2X.PNG", "LOGO.PNG"}, {"logo.png", ""},     {"@2x.png", ""},
      {"logo@2x.png.bak", ""},     {"logo@3x.png", ""},  {"a@2x/logo.png", ""},
      {"logo2x.png", ""},
  };
  for (const Case& c : twins) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SingleSizeName(c.name), c.twin);
  }
}

// A width x height image of one colour.
DecodedImage Flat(int width, int height, uint32_t colour) {
  DecodedImage image;
  image.width = width;
  image.height = height;
  image.pixels.reset(new uint8_t[static_cast<size_t>(width) * height * 4]);
  for (int i = 0; i < width * height; ++i) std::memcpy(image.pixels.get() + i * 4, &colour, 4);
  return image;
}

uint32_t FirstPixel(const DecodedImage& image) {
  uint32_t value = 0;
  std::memcpy(&value, image.pixels.get(), 4);
  return value;
}

// A three-frame image of 10 x 2 frames and its larger twin, told apart by their colours.
TEST(ImageForDpi, TakesTheTwinFromOneHundredSeventyFivePercentWhenItIsExactlyTwice) {
  const DecodedImage single = Flat(10, 6, 0xFF111111u);
  const DecodedImage twin = Flat(20, 12, 0xFF222222u);
  const DecodedImage wrongTwin = Flat(19, 12, 0xFF333333u);
  struct Case {
    const char* name;
    int dpi;
    const DecodedImage* twin;
    ImageSource source;
    int width, height;
  };
  const std::vector<Case> cases = {
      {"100 %", 96, &twin, ImageSource::kSingle, 10, 6},
      {"150 % scales the standard image", 144, &twin, ImageSource::kSingle, 15, 9},
      {"175 % scales the twin down", 168, &twin, ImageSource::kDouble, 18, 12},
      {"200 % shows the twin", 192, &twin, ImageSource::kDouble, 20, 12},
      {"250 % scales the twin up", 240, &twin, ImageSource::kDouble, 25, 15},
      {"200 % without a twin", 192, nullptr, ImageSource::kSingle, 20, 12},
      {"200 % with a twin of the wrong size", 192, &wrongTwin, ImageSource::kSingle, 20, 12},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DecodedImage shown;
    ImageSource source = c.source == ImageSource::kSingle ? ImageSource::kDouble
                                                          : ImageSource::kSingle;
    ASSERT_TRUE(ImageForDpi(single, c.twin, 3, c.dpi, shown, &source));
    EXPECT_EQ(source, c.source);
    EXPECT_EQ(shown.width, c.width);
    EXPECT_EQ(shown.height, c.height);
    EXPECT_EQ(FirstPixel(shown), c.source == ImageSource::kDouble ? 0xFF222222u : 0xFF111111u);
  }
  DecodedImage shown;
  EXPECT_FALSE(ImageForDpi(DecodedImage(), &twin, 1, 192, shown));
  EXPECT_FALSE(ImageForDpi(single, nullptr, 7, 96, shown));
  EXPECT_FALSE(ImageForDpi(single, nullptr, 0, 96, shown));
  EXPECT_FALSE(shown.pixels);
}

}  // namespace
