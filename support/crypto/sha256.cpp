#include "support/crypto/sha256.h"

#include <sodium.h>

#include "support/crypto/md5.h"
#include "support/crypto/sodium_start.h"
#include "support/files/file_pieces.h"

namespace {

static_assert(kSha256Bytes == crypto_hash_sha256_BYTES, "libsodium's SHA-256 digest size");

bool WriteHex(char16_t* out, const uint8_t* digest) {
  out[kSha256HexDigits] = 0;
  return HexEncode(out, kSha256HexDigits, digest, kSha256Bytes, true) == kSha256HexDigits;
}

}  // namespace

bool Sha256HexOfMemory(char16_t* out, const void* bytes, size_t n) {
  if (out == nullptr || (bytes == nullptr && n > 0)) return false;
  static const uint8_t kNothing = 0;
  uint8_t digest[kSha256Bytes];
  if (!StartSodium() ||
      crypto_hash_sha256(digest, n == 0 ? &kNothing : static_cast<const uint8_t*>(bytes), n) != 0) {
    return false;
  }
  return WriteHex(out, digest);
}

bool Sha256OfFile(uint8_t* out, const char16_t* path) {
  if (out == nullptr || !StartSodium()) return false;
  crypto_hash_sha256_state state;
  crypto_hash_sha256_init(&state);
  if (!ReadFileInPieces(path, [&state](const uint8_t* bytes, size_t n) {
        crypto_hash_sha256_update(&state, bytes, n);
      })) {
    return false;
  }
  return crypto_hash_sha256_final(&state, out) == 0;
}

bool Sha256HexOfFile(char16_t* out, const char16_t* path) {
  uint8_t digest[kSha256Bytes];
  return out != nullptr && Sha256OfFile(digest, path) && WriteHex(out, digest);
}

struct Sha256Stream::State {
  crypto_hash_sha256_state sodium;
  bool started;
};

Sha256Stream::Sha256Stream() : state_(std::make_unique<State>()) {
  state_->started = StartSodium() && crypto_hash_sha256_init(&state_->sodium) == 0;
}

Sha256Stream::~Sha256Stream() = default;

void Sha256Stream::Add(const void* bytes, size_t n) {
  if (state_->started && n > 0) {
    crypto_hash_sha256_update(&state_->sodium, static_cast<const uint8_t*>(bytes), n);
  }
}

bool Sha256Stream::FinishHex(char16_t* out) {
  uint8_t digest[kSha256Bytes];
  const bool done = out != nullptr && state_->started &&
                    crypto_hash_sha256_final(&state_->sodium, digest) == 0 && WriteHex(out, digest);
  state_->started = false;
  return done;
}
