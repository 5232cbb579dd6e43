#include "draw/dpi_scale.h"

int32_t ScaleToDpi(int32_t value, int dpi) {
  if (dpi <= 0) dpi = kDefaultDpi;
  const int64_t scaled = static_cast<int64_t>(value) * dpi;
  const int64_t half = kDefaultDpi / 2;
  const int64_t rounded =
      scaled >= 0 ? (scaled + half) / kDefaultDpi : -((-scaled + half) / kDefaultDpi);
  if (rounded > INT32_MAX) return INT32_MAX;
  if (rounded < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(rounded);
}
