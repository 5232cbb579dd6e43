#include "install/progress_figures.h"

#include <cstdio>

#include "support/text/duration_text.h"

namespace {

template <int N>
void AppendAscii(const char* text, FixedWString<N>* out) {
  char16_t units[64] = {};
  for (int i = 0; i < 63 && text[i] != 0; ++i) units[i] = static_cast<char16_t>(text[i]);
  out->Append(units);
}

void AppendAmount(double amount, FixedWString<256>* out) {
  char text[48];
  std::snprintf(text, sizeof(text), "%.2f", amount);
  AppendAscii(text, out);
}

}  // namespace

void ProgressFigures::Take(uint32_t total, uint32_t done, int64_t second) {
  total_ = total;
  done_ = done;
  if (second == lastSecond_) return;
  speed_ = static_cast<int64_t>(done) - lastDone_;
  const bool moved = done != lastDone_;
  lastDone_ = done;
  lastSecond_ = second;
  // A new run starts below the last count: that is no speed, and no time left to guess.
  if (speed_ < 0) speed_ = 0;
  if (moved && speed_ > 0) {
    remaining_ = static_cast<uint32_t>((static_cast<int64_t>(total) - done) / speed_);
  }
}

uint32_t ProgressFigures::Percent() const {
  if (total_ == 0) return 100;
  return static_cast<uint32_t>(static_cast<uint64_t>(done_) * 100 / total_);
}

void ProgressFigures::FormatPercent(FixedWString<32>* text) const {
  char digits[16];
  std::snprintf(digits, sizeof(digits), "%u%%", Percent());
  text->Clear();
  AppendAscii(digits, text);
}

void ProgressFigures::FormatDetail(FixedWString<256>* text) const {
  text->Assign(u"总大小：");
  AppendAmount(total_ / 1048576.0, text);
  text->Append(u" MB，已下载：");
  AppendAmount(done_ / 1048576.0, text);
  text->Append(u" MB，网速：");
  AppendAmount(speed_ / 1024.0, text);
  text->Append(u" KB/s，剩余：");
  char16_t duration[64];
  FormatDuration(duration, 64, remaining_);
  text->Append(duration);
}
