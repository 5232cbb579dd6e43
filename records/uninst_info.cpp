#include "records/uninst_info.h"

#include <string>

#include "support/byte_order_mark.h"
#include "support/file_stream.h"
#include "support/text_length.h"
#include "support/xdata.h"

namespace {

constexpr char16_t kEntryEnd = u'|';

}  // namespace

CUninstInfo::CUninstInfo() = default;

CUninstInfo::~CUninstInfo() = default;

bool CUninstInfo::LoadFromFile(const char16_t* path) {
  XData file;
  return file.ReadFile(path, 0) && ParseBytes(file.Data(), file.Length());
}

bool CUninstInfo::ParseBytes(const uint8_t* bytes, uint32_t length) {
  if (bytes == nullptr) return false;
  uint32_t skip = DetectBom(bytes, length) == kBomUtf16Le ? 2 : 0;
  // Whole units only: an odd last byte is half a unit and is dropped.
  std::u16string text((length - skip) / 2, u'\0');
  for (size_t i = 0; i < text.size(); ++i) {
    text[i] = static_cast<char16_t>(bytes[skip + 2 * i] | bytes[skip + 2 * i + 1] << 8);
  }
  return ParseText(text.c_str());
}

bool CUninstInfo::SaveToFile(const char16_t* path) {
  // Every entry is saved: an uninstaller working from a shortened list would leave files behind.
  std::u16string text;
  for (const auto& entry : entries_) {
    text.append(entry->Units(), static_cast<size_t>(entry->Length()));
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
  for (const auto& entry : entries_) {
    if (written + entry->Length() + 2 > capacity) break;
    for (int i = 0; i < entry->Length(); ++i) out[written++] = entry->Units()[i];
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
  if (Count() >= kMaxEntries) return -1;
  auto entry = std::make_unique<FixedWString<512>>();
  entry->Assign(text, length);
  entries_.push_back(std::move(entry));
  return Count() - 1;
}

const char16_t* CUninstInfo::Get(int index) const {
  return index >= 0 && index < Count() ? entries_[static_cast<size_t>(index)]->Units() : nullptr;
}
