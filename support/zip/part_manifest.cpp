#include "support/zip/part_manifest.h"

#include <set>

#include "support/text/utf8.h"

namespace {

constexpr int kDigestDigits = 64;
// More parts than any archive zip64 can address would be split into at the smallest part size a
// vendor would choose: a manifest beyond it is damaged.
constexpr size_t kMostParts = 100000;
constexpr char16_t kLowestNameCharacter = 0x20;

bool IsPlainFileName(const std::u16string& name) {
  if (name.empty() || name == u"." || name == u"..") return false;
  for (char16_t c : name) {
    if (c < kLowestNameCharacter || c == u'/' || c == u'\\' || c == u':') return false;
  }
  return true;
}

bool IsDigest(const std::string& text) {
  if (text.size() != kDigestDigits) return false;
  for (char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
  }
  return true;
}

// "SIZE SHA256 NAME" without its line end.
bool ParseLine(const std::string& line, PartRecord* record) {
  const size_t firstSpace = line.find(' ');
  if (firstSpace == 0 || firstSpace == std::string::npos || firstSpace > 19) return false;
  uint64_t size = 0;
  for (size_t i = 0; i < firstSpace; ++i) {
    const char c = line[i];
    if (c < '0' || c > '9' || size > (UINT64_MAX - 9) / 10) return false;
    size = size * 10 + static_cast<uint64_t>(c - '0');
  }
  const size_t nameAt = firstSpace + 1 + kDigestDigits + 1;
  if (size == 0 || line.size() <= nameAt || line[nameAt - 1] != ' ') return false;
  const std::string digest = line.substr(firstSpace + 1, kDigestDigits);
  if (!IsDigest(digest)) return false;
  const std::string name = line.substr(nameAt);
  if (!IsValidUtf8(name.data(), name.size())) return false;
  record->name = Utf8ToUtf16(name);
  record->size = size;
  record->sha256.assign(digest.begin(), digest.end());
  return IsPlainFileName(record->name);
}

}  // namespace

std::string FormatPartManifest(const std::vector<PartRecord>& records) {
  std::string text;
  for (const PartRecord& record : records) {
    text += std::to_string(record.size) + " " + Utf16ToUtf8(record.sha256.c_str()) + " " +
            Utf16ToUtf8(record.name.c_str()) + "\r\n";
  }
  return text;
}

bool ParsePartManifest(const uint8_t* bytes, size_t n, std::vector<PartRecord>* records) {
  records->clear();
  const std::string text(reinterpret_cast<const char*>(bytes), n);
  std::set<std::u16string> names;
  size_t at = 0;
  while (at < text.size()) {
    const size_t end = text.find("\r\n", at);
    PartRecord record;
    if (end == std::string::npos || records->size() == kMostParts ||
        !ParseLine(text.substr(at, end - at), &record) || !names.insert(record.name).second) {
      records->clear();
      return false;
    }
    records->push_back(std::move(record));
    at = end + 2;
  }
  return !records->empty();
}

ZipParts PartFilesIn(const std::u16string& folder, const std::vector<PartRecord>& records) {
  ZipParts files;
  for (const PartRecord& record : records) files.push_back({folder + record.name, record.size});
  return files;
}
