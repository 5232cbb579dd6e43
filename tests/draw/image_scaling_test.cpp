#include "draw/image_scaling.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

// A width x height image whose pixel (x, y) is colour(x, y), a 0xAARRGGBB value.
DecodedImage Picture(int width, int height, const std::function<uint32_t(int, int)>& colour) {
  DecodedImage image;
  image.width = width;
  image.height = height;
  image.pixels.reset(new uint8_t[static_cast<size_t>(width) * height * 4]);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint32_t value = colour(x, y);
      std::memcpy(image.pixels.get() + (static_cast<size_t>(y) * width + x) * 4, &value, 4);
    }
  }
  return image;
}

uint32_t PixelAt(const DecodedImage& image, int x, int y) {
  uint32_t value = 0;
  std::memcpy(&value, image.pixels.get() + (static_cast<size_t>(y) * image.width + x) * 4, 4);
  return value;
}

int Channel(uint32_t pixel, int shift) { return static_cast<int>((pixel >> shift) & 0xFF); }

// The mean of one channel (shift 0 blue ... 24 alpha) over the image.
double Mean(const DecodedImage& image, int shift) {
  double sum = 0;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) sum += Channel(PixelAt(image, x, y), shift);
  }
  return sum / (static_cast<double>(image.width) * image.height);
}

TEST(ImageScaling, KeepsFlatColourAndTheMeanOfAPattern) {
  struct Case {
    const char* name;
    int width, height, toWidth, toHeight;
  };
  const std::vector<Case> cases = {
      {"up 1.5", 8, 6, 12, 9},   {"up 2", 7, 5, 14, 10},   {"up 1.75", 12, 8, 21, 14},
      {"down 2", 40, 40, 20, 20}, {"down 3.2", 48, 32, 15, 10}, {"one pixel to many", 1, 1, 5, 3},
      {"stretched one way, squeezed the other", 30, 10, 12, 25},
  };
  // Opaque colours varying smoothly, and a flat colour.
  auto pattern = [](int x, int y) {
    return 0xFF000000u | static_cast<uint32_t>((x * 37 + y * 11) % 256) << 16 |
           static_cast<uint32_t>((x * 5 + y * 23) % 256) << 8 | static_cast<uint32_t>(x * y % 256);
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DecodedImage flat = Picture(c.width, c.height, [](int, int) { return 0xC0306090u; });
    DecodedImage scaled;
    ASSERT_TRUE(ScaleImage(flat, c.toWidth, c.toHeight, scaled));
    ASSERT_EQ(scaled.width, c.toWidth);
    ASSERT_EQ(scaled.height, c.toHeight);
    for (int y = 0; y < c.toHeight; ++y) {
      for (int x = 0; x < c.toWidth; ++x) {
        ASSERT_EQ(PixelAt(scaled, x, y), 0xC0306090u) << x << "," << y;
      }
    }
    DecodedImage varied = Picture(c.width, c.height, pattern);
    ASSERT_TRUE(ScaleImage(varied, c.toWidth, c.toHeight, scaled));
    for (int shift : {0, 8, 16}) {
      EXPECT_NEAR(Mean(scaled, shift), Mean(varied, shift), 6.0) << shift;
    }
  }
}

// Shrinking by three takes in every source pixel: a checkerboard becomes grey, where sampling
// one pixel in three would keep it black or white.
TEST(ImageScaling, ShrinkingAveragesFinePatternsAway) {
  DecodedImage board = Picture(9, 9, [](int x, int y) {
    return (x + y) % 2 == 0 ? 0xFF000000u : 0xFFFFFFFFu;
  });
  DecodedImage scaled;
  ASSERT_TRUE(ScaleImage(board, 3, 3, scaled));
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 3; ++x) {
      SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
      const uint32_t pixel = PixelAt(scaled, x, y);
      EXPECT_NEAR(Channel(pixel, 16), 128, 30);
      EXPECT_EQ(Channel(pixel, 24), 255);
    }
  }
}

// Transparent pixels lend no colour, the cubic's overshoot never gives a channel more than its
// alpha, and what lies far from any edge keeps its value.
TEST(ImageScaling, PremultipliedEdgesStayPremultiplied) {
  DecodedImage edge = Picture(8, 4, [](int x, int) { return x < 4 ? 0u : 0xFFFFFFFFu; });
  DecodedImage scaled;
  ASSERT_TRUE(ScaleImage(edge, 24, 12, scaled));
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 24; ++x) {
      const uint32_t pixel = PixelAt(scaled, x, y);
      for (int shift : {0, 8, 16}) ASSERT_LE(Channel(pixel, shift), Channel(pixel, 24));
    }
    EXPECT_EQ(PixelAt(scaled, 0, y), 0u);
    EXPECT_EQ(PixelAt(scaled, 23, y), 0xFFFFFFFFu);
  }
  // Across the edge the alpha rises without going back.
  for (int x = 1; x < 24; ++x) {
    EXPECT_GE(Channel(PixelAt(scaled, x, 5), 24), Channel(PixelAt(scaled, x - 1, 5), 24)) << x;
  }
}

// Each state frame of a button image is resampled on its own: no frame takes colour from the
// next one.
TEST(ImageScaling, FramesAreScaledApart) {
  const uint32_t colours[3] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu};
  DecodedImage frames = Picture(4, 9, [&colours](int, int y) { return colours[y / 3]; });
  DecodedImage scaled;
  ASSERT_TRUE(ScaleFrames(frames, 3, 7, 5, scaled));
  ASSERT_EQ(scaled.width, 7);
  ASSERT_EQ(scaled.height, 15);
  for (int y = 0; y < 15; ++y) {
    for (int x = 0; x < 7; ++x) ASSERT_EQ(PixelAt(scaled, x, y), colours[y / 5]) << x << "," << y;
  }
  // Rows beyond whole frames are left out.
  DecodedImage ragged = Picture(4, 10, [&colours](int, int y) { return colours[y / 3 % 3]; });
  ASSERT_TRUE(ScaleFrames(ragged, 3, 4, 3, scaled));
  EXPECT_EQ(PixelAt(scaled, 0, 8), colours[2]);
}

TEST(ImageScaling, ASameSizeCopyIsExactAndNonsenseFails) {
  DecodedImage varied = Picture(5, 4, [](int x, int y) {
    return static_cast<uint32_t>(x * 0x01020304u + y * 0x10203040u) | 0xFF000000u;
  });
  DecodedImage scaled;
  ASSERT_TRUE(ScaleImage(varied, 5, 4, scaled));
  EXPECT_EQ(std::memcmp(scaled.pixels.get(), varied.pixels.get(), 5 * 4 * 4), 0);

  struct Case {
    const char* name;
    int frames, width, height;
  };
  const std::vector<Case> refused = {
      {"no width", 1, 0, 4},          {"negative height", 1, 5, -1},
      {"no frames", 0, 5, 4},         {"more frames than rows", 5, 5, 4},
      {"too many bytes", 1, 70000, 70000},
  };
  for (const Case& c : refused) {
    SCOPED_TRACE(c.name);
    scaled = Picture(1, 1, [](int, int) { return 1u; });
    EXPECT_FALSE(ScaleFrames(varied, c.frames, c.width, c.height, scaled));
    EXPECT_FALSE(scaled.pixels);
    EXPECT_EQ(scaled.width, 0);
  }
  EXPECT_FALSE(ScaleImage(DecodedImage(), 3, 3, scaled));
}

}  // namespace
