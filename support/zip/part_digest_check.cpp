#include "support/zip/part_digest_check.h"

#include <algorithm>
#include <cstdint>
#include <memory>

#include "support/crypto/sha256.h"
#include "support/files/file_stream.h"

namespace {

constexpr size_t kReadPiece = 1 << 20;

// Whether the size bytes at the start of path have the digest sha256; false too when they are not
// all there, or when giveUp says so between pieces.
template <typename GiveUp>
bool HasDigest(const ZipPart& file, const std::u16string& sha256, GiveUp giveUp) {
  FileStream stream = OpenFileStream(file.path.c_str(), "rb");
  if (!stream) return false;
  auto piece = std::make_unique<uint8_t[]>(kReadPiece);
  Sha256Stream digest;
  for (uint64_t left = file.size; left > 0;) {
    if (giveUp()) return false;
    const size_t wanted = static_cast<size_t>(std::min<uint64_t>(left, kReadPiece));
    if (std::fread(piece.get(), 1, wanted, stream.get()) != wanted) return false;
    digest.Add(piece.get(), wanted);
    left -= wanted;
  }
  char16_t hex[kSha256HexDigits + 1];
  return digest.FinishHex(hex) && sha256 == hex;
}

}  // namespace

PartDigestCheck::PartDigestCheck(const SplitArchive& parts, const std::atomic<bool>* stop)
    : parts_(parts), stop_(stop), thread_(&PartDigestCheck::Run, this) {}

PartDigestCheck::~PartDigestCheck() {
  abandoned_ = true;
  if (thread_.joinable()) thread_.join();
}

int PartDigestCheck::FirstMismatch() {
  if (thread_.joinable()) thread_.join();
  return firstMismatch_;
}

void PartDigestCheck::Run() {
  const auto giveUp = [this] { return abandoned_.load() || (stop_ != nullptr && stop_->load()); };
  const size_t count = std::min(parts_.files.size(), parts_.records.size());
  for (size_t i = 0; i < parts_.records.size(); ++i) {
    if (i >= count || parts_.files[i].size != parts_.records[i].size ||
        !HasDigest(parts_.files[i], parts_.records[i].sha256, giveUp)) {
      firstMismatch_ = static_cast<int>(i);
      return;
    }
  }
}
