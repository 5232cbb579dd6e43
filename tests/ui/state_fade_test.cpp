#include "ui/state_fade.h"

#include <gtest/gtest.h>

#include "ui/cursor_kind.h"

namespace {

TEST(StateFade, RunsTwoHundredMillisecondsAndResumesWhenCutShort) {
  StateFade fade;
  BeginFade(fade, 1, 1000);  // hover -> pressed
  EXPECT_EQ(fade.previousState, 1);
  EXPECT_EQ(fade.progress, 0);

  EXPECT_FALSE(AdvanceFade(fade, 2, 1100));
  EXPECT_EQ(fade.progress, 127);
  // A hover after 100 ms: the new fade begins where the old one would have ended.
  BeginFade(fade, 2, 1100);
  EXPECT_EQ(fade.progress, 128);
  EXPECT_EQ(fade.previousState, 2);
  EXPECT_EQ(fade.start, 1100u);

  EXPECT_FALSE(AdvanceFade(fade, 1, 1299));
  EXPECT_EQ(fade.progress, 253);
  EXPECT_TRUE(AdvanceFade(fade, 1, 1300));
  EXPECT_EQ(fade.progress, 0);
  EXPECT_EQ(fade.previousState, 1);
}

TEST(StateFade, EndsAfterLongPausesAndAcrossTheTickWrap) {
  struct Case {
    const char* name;
    uint32_t start, now;
  };
  const Case cases[] = {
      {"51.5 s later, where 16 bits of the progress wrap to 126", 0, 51500},
      {"days later", 5, 400000000},
      {"tick count wrapped", 0xFFFFFF00u, 0x00000010u},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StateFade fade;
    BeginFade(fade, 0, c.start);
    EXPECT_TRUE(AdvanceFade(fade, 1, c.now));
    EXPECT_EQ(fade.previousState, 1);
  }
}

TEST(StateFade, SplitsTheAlphaBetweenBothFrames) {
  struct Case {
    uint16_t progress;
    uint8_t alpha;
    uint8_t previous, current;
  };
  const Case cases[] = {{0, 255, 255, 0}, {128, 255, 127, 128}, {128, 100, 49, 50},
                        {254, 255, 1, 254}, {300, 255, 0, 255}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.progress);
    FadeAlphas alphas = CrossFadeAlphas(c.progress, c.alpha);
    EXPECT_EQ(alphas.previous, c.previous);
    EXPECT_EQ(alphas.current, c.current);
  }
}

TEST(StateFrameBand, SelectsTheStateFrameAndStaysInsideTheImage) {
  struct Case {
    int32_t height, frames, state;
    int32_t top, bottom;
  };
  const Case cases[] = {{90, 3, 2, 60, 90}, {90, 3, 0, 0, 30}, {91, 3, 1, 30, 60},
                        {90, 1, 0, 0, 90},  {90, 3, 7, 60, 90}, {90, 3, -1, 0, 30},
                        {2, 3, 1, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.height << " / " << c.frames << ", state " << c.state);
    ElementRect band = StateFrameBand(40, c.height, c.frames, c.state);
    EXPECT_EQ(band.left, 0);
    EXPECT_EQ(band.right, 40);
    EXPECT_EQ(band.top, c.top);
    EXPECT_EQ(band.bottom, c.bottom);
  }
}

TEST(CursorKind, MapsKindsToSystemCursors) {
  EXPECT_EQ(SystemCursorId(kCursorKindArrow), 32512);  // IDC_ARROW
  EXPECT_EQ(SystemCursorId(kCursorKindHand), 32649);   // IDC_HAND
  EXPECT_EQ(SystemCursorId(kCursorKindIBeam), 32513);  // IDC_IBEAM
  EXPECT_EQ(SystemCursorId(7), 32512);
  EXPECT_EQ(SystemCursorId(-1), 32512);
}

}  // namespace
