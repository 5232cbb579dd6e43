#include "support/crypto/signing.h"

#include <sodium.h>

#include "support/crypto/sodium_start.h"

namespace {

static_assert(kPublicKeyBytes == crypto_sign_PUBLICKEYBYTES, "libsodium's public key size");
static_assert(kSecretKeyBytes == crypto_sign_SECRETKEYBYTES, "libsodium's secret key size");
static_assert(kSignatureBytes == crypto_sign_BYTES, "libsodium's signature size");

// Empty input is a message too; libsodium wants a pointer for it all the same.
const uint8_t* MessageBytes(const uint8_t* bytes) {
  static const uint8_t kNothing = 0;
  return bytes != nullptr ? bytes : &kNothing;
}

}  // namespace

void WipeSecret(void* bytes, size_t n) {
  if (bytes != nullptr) sodium_memzero(bytes, n);
}

SigningKeyPair::~SigningKeyPair() { WipeSecret(secretKey, sizeof secretKey); }

bool GenerateSigningKeyPair(SigningKeyPair* pair) {
  return pair != nullptr && StartSodium() &&
         crypto_sign_keypair(pair->publicKey, pair->secretKey) == 0;
}

bool IsSecretKey(const uint8_t* key, size_t n) {
  if (key == nullptr || n != kSecretKeyBytes || !StartSodium()) return false;
  SigningKeyPair derived;
  if (crypto_sign_seed_keypair(derived.publicKey, derived.secretKey, key) != 0) return false;
  return sodium_memcmp(derived.secretKey, key, kSecretKeyBytes) == 0;
}

bool SignDetached(const uint8_t* bytes, size_t n, const uint8_t* secretKey, size_t secretKeyLength,
                  uint8_t* signature) {
  if ((bytes == nullptr && n > 0) || signature == nullptr ||
      !IsSecretKey(secretKey, secretKeyLength)) {
    return false;
  }
  return crypto_sign_detached(signature, nullptr, MessageBytes(bytes), n, secretKey) == 0;
}

bool VerifyDetached(const uint8_t* bytes, size_t n, const uint8_t* signature,
                    size_t signatureLength, const uint8_t* publicKey, size_t publicKeyLength) {
  if ((bytes == nullptr && n > 0) || signature == nullptr || publicKey == nullptr ||
      signatureLength != kSignatureBytes || publicKeyLength != kPublicKeyBytes || !StartSodium()) {
    return false;
  }
  return crypto_sign_verify_detached(signature, MessageBytes(bytes), n, publicKey) == 0;
}
