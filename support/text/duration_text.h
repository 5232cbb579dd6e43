#pragma once

#include <cstdint>

// Writes a duration in Chinese units without separators ("1天1时1分1秒"; days, hours and
// minutes only when not 0, seconds always) into buffer, cut to capacity units with a terminator.
// Returns the units written by the seconds step, as the progress text expects.
int FormatDuration(char16_t* buffer, int capacity, uint32_t seconds);
