#include "ui/window_centering.h"

#include <gtest/gtest.h>

namespace {

TEST(CenteredOrigin, CentresOnTheScreenOrOnAReferenceRectangle) {
  struct Case {
    const char* name;
    int areaLeft, areaTop, areaWidth, areaHeight, width, height;
    int left, top;
  };
  const Case cases[] = {
      {"full-HD screen", 0, 0, 1920, 1080, 600, 400, 660, 340},
      {"reference window", 100, 50, 800, 600, 600, 400, 200, 150},
      {"reference on a left-hand screen", -1280, 0, 1280, 1024, 600, 400, -940, 312},
      {"odd difference", 0, 0, 1920, 1080, 601, 401, 659, 339},
      {"larger than the area", 0, 0, 1920, 1080, 2000, 1200, -40, -60},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WindowOrigin origin =
        CenteredOrigin(c.areaLeft, c.areaTop, c.areaWidth, c.areaHeight, c.width, c.height);
    EXPECT_EQ(origin.left, c.left);
    EXPECT_EQ(origin.top, c.top);
  }
}

}  // namespace
