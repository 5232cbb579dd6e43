#include "install/progress_figures.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "records/current_language.h"

namespace {

template <int N>
void AppendAscii(const char* text, FixedWString<N>* out) {
  char16_t units[64] = {};
  for (int i = 0; i < 63 && text[i] != 0; ++i) units[i] = static_cast<char16_t>(text[i]);
  out->Append(units);
}

std::u16string Ascii(const std::string& text) { return std::u16string(text.begin(), text.end()); }

// An amount of bytes in units of unit bytes, with two decimals.
std::u16string Amount(double bytes, double unit) {
  char text[48];
  std::snprintf(text, sizeof(text), "%.2f", bytes / unit);
  return Ascii(text);
}

}  // namespace

void ProgressFigures::Take(uint64_t total, uint64_t done, int64_t second) {
  total_ = total;
  done_ = done;
  if (second == lastSecond_) return;
  // A new run starts below the last count: that is no speed, and no time left to guess.
  const uint64_t moved = done > lastDone_ ? done - lastDone_ : 0;
  speed_ = static_cast<int64_t>(std::min<uint64_t>(moved, INT64_MAX));
  lastDone_ = done;
  lastSecond_ = second;
  if (moved > 0) {
    const uint64_t seconds = (total > done ? total - done : 0) / moved;
    remaining_ = static_cast<uint32_t>(std::min<uint64_t>(seconds, UINT32_MAX));
  }
}

int ProgressFigures::BarShift() const {
  int shift = 0;
  while ((total_ >> shift) > UINT32_MAX) ++shift;
  return shift;
}

uint32_t ProgressFigures::BarRange() const { return static_cast<uint32_t>(total_ >> BarShift()); }

uint32_t ProgressFigures::BarPosition() const {
  return static_cast<uint32_t>(std::min(done_, total_) >> BarShift());
}

uint32_t ProgressFigures::Percent() const {
  if (total_ == 0) return 100;
  // Exact in 128 bits, so that no part short of the whole shows as 100%.
  return static_cast<uint32_t>(static_cast<unsigned __int128>(std::min(done_, total_)) * 100 /
                               total_);
}

void ProgressFigures::FormatPercent(FixedWString<32>* text) const {
  char digits[16];
  std::snprintf(digits, sizeof(digits), "%u%%", Percent());
  text->Clear();
  AppendAscii(digits, text);
}

void ProgressFigures::FormatDetail(FixedWString<256>* text) const {
  const std::u16string detail =
      Text(TextKey::kProgressDetail, {{u"total", Amount(static_cast<double>(total_), 1048576.0)},
                                      {u"done", Amount(static_cast<double>(done_), 1048576.0)},
                                      {u"speed", Amount(static_cast<double>(speed_), 1024.0)},
                                      {u"left", DurationText(remaining_)}});
  text->Assign(detail.c_str());
}

std::u16string DurationText(uint32_t seconds) {
  const std::u16string count[] = {
      Ascii(std::to_string(seconds / 86400)), Ascii(std::to_string(seconds % 86400 / 3600)),
      Ascii(std::to_string(seconds % 3600 / 60)), Ascii(std::to_string(seconds % 60))};
  const TextKey unit[] = {TextKey::kDurationDays, TextKey::kDurationHours,
                          TextKey::kDurationMinutes, TextKey::kDurationSeconds};
  std::u16string text;
  for (int i = 0; i < 4; ++i) {
    // Seconds always; a larger unit only when it is not 0.
    if (i == 3 || count[i] != u"0") text += Text(unit[i], {{u"count", count[i]}});
  }
  return text;
}
