#include "records/uninst_info.h"

#include <algorithm>
#include <string>

#include "support/core/text_length.h"
#include "support/files/file_stream.h"
#include "support/files/xdata.h"
#include "support/text/byte_order_mark.h"

namespace {

constexpr char16_t kEntryEnd = u'|';

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// A list's text as SaveToFile writes it: entries of at least one unit, each ended by "|", no zero
// unit, surrogates only in pairs. Anything else is a damaged list.
bool IsSavedListText(const std::u16string& text) {
  if (!text.empty() && text.back() != kEntryEnd) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t before = i > 0 ? text[i - 1] : kEntryEnd;
    if (text[i] == 0 || (text[i] == kEntryEnd && before == kEntryEnd) ||
        IsHighSurrogate(before) != IsLowSurrogate(text[i])) {
      return false;
    }
  }
  return true;
}

}  // namespace

CUninstInfo::CUninstInfo() = default;

CUninstInfo::~CUninstInfo() = default;

bool CUninstInfo::LoadFromFile(const char16_t* path) {
  XData file;
  return file.ReadFile(path, 0) && ParseBytes(file.Data(), file.Length());
}

bool CUninstInfo::ParseBytes(const uint8_t* bytes, uint32_t length) {
  if (bytes == nullptr || length < 2 || DetectBom(bytes, length) != kBomUtf16Le ||
      length % 2 != 0) {
    return false;
  }
  std::u16string text((length - 2) / 2, u'\0');
  for (size_t i = 0; i < text.size(); ++i) {
    text[i] = static_cast<char16_t>(bytes[2 + 2 * i] | bytes[3 + 2 * i] << 8);
  }
  if (!IsSavedListText(text)) return false;
  return ParseText(text.c_str());
}

bool CUninstInfo::SaveToFile(const char16_t* path) {
  // Every entry is saved: an uninstaller working from a shortened list would leave files behind.
  std::u16string text;
  for (const std::u16string& entry : entries_) {
    text += entry;
    text += kEntryEnd;
  }
  std::string bytes(2 + 2 * text.size(), '\0');
  WriteBom(kBomUtf16Le, reinterpret_cast<uint8_t*>(&bytes[0]));
  for (size_t i = 0; i < text.size(); ++i) {
    bytes[2 + 2 * i] = static_cast<char>(text[i] & 0xFF);
    bytes[3 + 2 * i] = static_cast<char>(text[i] >> 8);
  }
  return WriteWholeFile(path, bytes.data(), static_cast<uint32_t>(bytes.size()));
}

bool CUninstInfo::ParseText(const char16_t* text) {
  if (text == nullptr) return false;
  const char16_t* segment = text;
  for (const char16_t* at = text; *at != 0; ++at) {
    if (*at != kEntryEnd) continue;
    if (at > segment) Add(segment, static_cast<int>(at - segment));
    segment = at + 1;
  }
  return true;
}

int CUninstInfo::WriteText(char16_t* out, int capacity) {
  if (out == nullptr || capacity <= 0) return 0;
  int written = 0;
  for (const std::u16string& entry : entries_) {
    if (written + static_cast<int>(entry.size()) + 2 > capacity) break;
    for (char16_t unit : entry) out[written++] = unit;
    out[written++] = kEntryEnd;
  }
  out[written] = 0;
  return written + 1;
}

void CUninstInfo::Clear() { entries_.clear(); }

int CUninstInfo::Count() const { return static_cast<int>(entries_.size()); }

int CUninstInfo::Add(const char16_t* text, int length) {
  if (text == nullptr || length == 0) return -1;
  if (length < 0) {
    length = TextLength(text);
    if (length == 0) return -1;
  }
  entries_.emplace_back(text, static_cast<size_t>(std::min(length, kLongestEntry)));
  return Count() - 1;
}

const char16_t* CUninstInfo::Get(int index) const {
  return index >= 0 && index < Count() ? entries_[static_cast<size_t>(index)].c_str() : nullptr;
}
