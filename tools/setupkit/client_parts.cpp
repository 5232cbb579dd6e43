#include "tools/setupkit/client_parts.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "support/crypto/sha256.h"
#include "support/files/file_size.h"
#include "support/files/file_stream.h"
#include "tools/setupkit/tool_output.h"

namespace {

constexpr size_t kCopyPiece = 4 << 20;

// installer's folder (with its separator) and its file name without the extension.
void SplitInstallerPath(const std::u16string& installer, std::u16string* folder,
                        std::u16string* stem) {
  const size_t separator = installer.find_last_of(u"/\\");
  const size_t nameAt = separator == std::u16string::npos ? 0 : separator + 1;
  *folder = installer.substr(0, nameAt);
  *stem = installer.substr(nameAt);
  const size_t dot = stem->find_last_of(u'.');
  if (dot != std::u16string::npos && dot > 0) stem->erase(dot);
}

std::u16string Decimal(int number) {
  const std::string digits = std::to_string(number);
  return std::u16string(digits.begin(), digits.end());
}

}  // namespace

bool ParseSplitSize(const std::u16string& text, uint64_t* size) {
  uint64_t number = 0;
  size_t i = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    if (number > (UINT64_MAX - 9) / 10) return false;
    number = number * 10 + static_cast<uint64_t>(text[i] - u'0');
  }
  if (i == 0) return false;
  int shift = 0;
  if (i + 1 == text.size()) {
    const char16_t suffix = text[i];
    shift = suffix == u'K' ? 10 : suffix == u'M' ? 20 : suffix == u'G' ? 30 : -1;
    if (shift < 0) return false;
  } else if (i != text.size()) {
    return false;
  }
  if (number == 0 || number > (UINT64_MAX >> shift)) return false;
  *size = number << shift;
  return true;
}

ClientPartFiles::~ClientPartFiles() {
  if (!kept_) Remove();
}

void ClientPartFiles::Remove() {
  for (const std::u16string& path : paths_) RemoveFile(path.c_str());
  paths_.clear();
  records_.clear();
}

bool ClientPartFiles::Write(const std::u16string& archive, const std::u16string& installer,
                            uint64_t partSize, std::string& problem) {
  Remove();
  partSize = std::min(partSize, kLargestPart);
  uint64_t left = 0;
  FileStream in = OpenFileStream(archive.c_str(), "rb");
  if (!in || !GetFileSize(archive.c_str(), &left)) {
    problem = "cannot read back " + Shown(archive);
    return false;
  }
  std::u16string folder;
  std::u16string stem;
  SplitInstallerPath(installer, &folder, &stem);
  auto piece = std::make_unique<uint8_t[]>(kCopyPiece);
  for (int number = 1; left > 0; ++number) {
    PartRecord record;
    record.name = stem + u"-" + Decimal(number) + u".bin";
    record.size = std::min(left, partSize);
    const std::u16string path = folder + record.name;
    paths_.push_back(path);
    FileStream out = OpenFileStream(path.c_str(), "wb");
    Sha256Stream digest;
    uint64_t todo = record.size;
    while (out && todo > 0) {
      const size_t n = static_cast<size_t>(std::min<uint64_t>(todo, kCopyPiece));
      if (std::fread(piece.get(), 1, n, in.get()) != n) {
        problem = "cannot read back " + Shown(archive);
        Remove();
        return false;
      }
      if (std::fwrite(piece.get(), 1, n, out.get()) != n) break;
      digest.Add(piece.get(), n);
      todo -= n;
    }
    char16_t hex[kSha256HexDigits + 1];
    if (!out || todo > 0 || std::fclose(out.release()) != 0 || !digest.FinishHex(hex)) {
      problem = "cannot write the data file " + Shown(path);
      Remove();
      return false;
    }
    record.sha256 = hex;
    left -= record.size;
    records_.push_back(std::move(record));
  }
  return true;
}
