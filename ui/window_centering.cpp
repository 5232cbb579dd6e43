#include "ui/window_centering.h"

WindowOrigin CenteredOrigin(int areaLeft, int areaTop, int areaWidth, int areaHeight, int width,
                            int height) {
  return {areaLeft + (areaWidth - width) / 2, areaTop + (areaHeight - height) / 2};
}
