#include "support/text/duration_text.h"

namespace {

// Appends the decimal number and unit at position *at, within capacity - 1 units. Returns the
// units appended.
int AppendPart(char16_t* buffer, int capacity, int* at, uint32_t number, char16_t unit) {
  char16_t digits[10];
  int count = 0;
  do {
    digits[count++] = static_cast<char16_t>(u'0' + number % 10);
    number /= 10;
  } while (number != 0);
  int start = *at;
  while (count > 0 && *at < capacity - 1) buffer[(*at)++] = digits[--count];
  if (*at < capacity - 1) buffer[(*at)++] = unit;
  buffer[*at] = 0;
  return *at - start;
}

}  // namespace

int FormatDuration(char16_t* buffer, int capacity, uint32_t seconds) {
  if (buffer == nullptr || capacity <= 0) return 0;
  buffer[0] = 0;
  int at = 0;
  uint32_t days = seconds / 86400;
  uint32_t hours = seconds % 86400 / 3600;
  uint32_t minutes = seconds % 3600 / 60;
  if (days != 0) AppendPart(buffer, capacity, &at, days, u'\u5929');
  if (hours != 0) AppendPart(buffer, capacity, &at, hours, u'\u65F6');
  if (minutes != 0) AppendPart(buffer, capacity, &at, minutes, u'\u5206');
  return AppendPart(buffer, capacity, &at, seconds % 60, u'\u79D2');
}
