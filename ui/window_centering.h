#pragma once

// Where a window's top-left corner goes to centre it on an area: a reference window's screen
// rectangle, or the primary screen (left and top 0).
struct WindowOrigin {
  int left;
  int top;
};

WindowOrigin CenteredOrigin(int areaLeft, int areaTop, int areaWidth, int areaHeight, int width,
                            int height);
