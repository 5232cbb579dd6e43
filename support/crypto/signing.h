#pragma once

#include <cstddef>
#include <cstdint>

// Ed25519 detached signatures, made and checked by libsodium. Keys and signatures are raw bytes:
// a public key of 32, a secret key of 64 (the 32-byte seed followed by the public key) and a
// signature of 64. Every length is checked: nothing shorter or longer is taken for a key or a
// signature.
constexpr size_t kPublicKeyBytes = 32;
constexpr size_t kSecretKeyBytes = 64;
constexpr size_t kSignatureBytes = 64;

// A key pair. The secret half is wiped from memory when the pair goes.
struct SigningKeyPair {
  uint8_t publicKey[kPublicKeyBytes] = {};
  uint8_t secretKey[kSecretKeyBytes] = {};

  SigningKeyPair() = default;
  SigningKeyPair(const SigningKeyPair&) = delete;
  SigningKeyPair& operator=(const SigningKeyPair&) = delete;
  ~SigningKeyPair();
};

// Overwrites n bytes that held a secret, in a way the compiler does not leave out.
void WipeSecret(void* bytes, size_t n);

// A new key pair from the system's random source. False when libsodium cannot start.
bool GenerateSigningKeyPair(SigningKeyPair* pair);

// True when key is kSecretKeyBytes whose public half is the one its seed gives: a damaged secret
// key, or 64 bytes of something else (a signature), is not one.
bool IsSecretKey(const uint8_t* key, size_t n);

// Writes the kSignatureBytes signature of exactly bytes[0..n) into signature. False for a null
// argument or a secret key that IsSecretKey refuses.
bool SignDetached(const uint8_t* bytes, size_t n, const uint8_t* secretKey, size_t secretKeyLength,
                  uint8_t* signature);

// True only when signature is kSignatureBytes long, publicKey kPublicKeyBytes long, and the
// signature is that key's of exactly bytes[0..n).
bool VerifyDetached(const uint8_t* bytes, size_t n, const uint8_t* signature,
                    size_t signatureLength, const uint8_t* publicKey, size_t publicKeyLength);
