#include "support/crypto/signing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes BytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes Flipped(Bytes bytes, size_t at) {
  bytes[at] ^= 0x01;
  return bytes;
}

Bytes Signature(const Bytes& message, const SigningKeyPair& pair) {
  Bytes signature(kSignatureBytes);
  EXPECT_TRUE(SignDetached(message.data(), message.size(), pair.secretKey, kSecretKeyBytes,
                           signature.data()));
  return signature;
}

class Signing : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(GenerateSigningKeyPair(&pair_));
    ASSERT_TRUE(GenerateSigningKeyPair(&other_));
  }

  Bytes PublicKey(const SigningKeyPair& pair) const {
    return Bytes(pair.publicKey, pair.publicKey + kPublicKeyBytes);
  }

  SigningKeyPair pair_;
  SigningKeyPair other_;
};

// Only the key's signature of exactly the signed bytes verifies: one bit changed anywhere, a
// byte more or less, or another key's signature does not.
TEST_F(Signing, OnlyTheUntouchedSignatureOfTheExactBytesVerifies) {
  const Bytes list = BytesOf("\xFF\xFE<list version=\"1.2.0.0\">\r\n</list>\r\n");
  const Bytes signature = Signature(list, pair_);
  const Bytes key = PublicKey(pair_);
  Bytes longer = list;
  longer.push_back(0);
  Bytes longerSignature = signature;
  longerSignature.push_back(0);
  struct Case {
    const char* name;
    Bytes list;
    Bytes signature;
    Bytes key;
    bool verifies;
  };
  const Case cases[] = {
      {"as signed", list, signature, key, true},
      {"first list byte flipped", Flipped(list, 0), signature, key, false},
      {"middle list byte flipped", Flipped(list, list.size() / 2), signature, key, false},
      {"last list byte flipped", Flipped(list, list.size() - 1), signature, key, false},
      {"a byte added to the list", longer, signature, key, false},
      {"the list cut short", Bytes(list.begin(), list.end() - 1), signature, key, false},
      {"an empty list", {}, signature, key, false},
      {"first signature byte flipped", list, Flipped(signature, 0), key, false},
      {"last signature byte flipped", list, Flipped(signature, kSignatureBytes - 1), key, false},
      {"signature truncated", list, Bytes(signature.begin(), signature.end() - 1), key, false},
      {"signature with a byte more", list, longerSignature, key, false},
      {"no signature", list, {}, key, false},
      {"signature of another key", list, Signature(list, other_), key, false},
      {"checked with another key", list, signature, PublicKey(other_), false},
      {"key byte flipped", list, signature, Flipped(key, 7), false},
      {"key truncated", list, signature, Bytes(key.begin(), key.end() - 1), false},
      {"a zero key", list, signature, Bytes(kPublicKeyBytes, 0), false},
      {"a zero signature", list, Bytes(kSignatureBytes, 0), key, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(VerifyDetached(c.list.data(), c.list.size(), c.signature.data(), c.signature.size(),
                             c.key.data(), c.key.size()),
              c.verifies);
  }
}

TEST_F(Signing, EmptyInputIsSignedLikeAnyOther) {
  const Bytes nothing;
  const Bytes signature = Signature(nothing, pair_);
  EXPECT_TRUE(VerifyDetached(nullptr, 0, signature.data(), signature.size(), pair_.publicKey,
                             kPublicKeyBytes));
  const Bytes one = BytesOf("x");
  EXPECT_FALSE(VerifyDetached(one.data(), one.size(), signature.data(), signature.size(),
                              pair_.publicKey, kPublicKeyBytes));
  // Ed25519 signs deterministically: the same bytes and key give the same signature.
  EXPECT_EQ(Signature(one, pair_), Signature(one, pair_));
  EXPECT_NE(Signature(one, pair_), Signature(one, other_));
}

// A secret key is the seed and the public key that seed gives; anything else of its size is
// refused, for checking and for signing.
TEST_F(Signing, OnlyAWholeSecretKeyIsOne) {
  const Bytes secret(pair_.secretKey, pair_.secretKey + kSecretKeyBytes);
  Bytes mixed = secret;
  std::copy(other_.publicKey, other_.publicKey + kPublicKeyBytes, mixed.begin() + 32);
  struct Case {
    const char* name;
    Bytes key;
    bool isKey;
  };
  const Case cases[] = {
      {"the secret key", secret, true},
      {"seed byte flipped", Flipped(secret, 3), false},
      {"public half flipped", Flipped(secret, 40), false},
      {"another key's public half", mixed, false},
      {"truncated", Bytes(secret.begin(), secret.end() - 1), false},
      {"a signature", Signature(BytesOf("list"), pair_), false},
      {"zeros", Bytes(kSecretKeyBytes, 0), false},
  };
  const Bytes message = BytesOf("list");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(IsSecretKey(c.key.data(), c.key.size()), c.isKey);
    uint8_t signature[kSignatureBytes] = {};
    EXPECT_EQ(SignDetached(message.data(), message.size(), c.key.data(), c.key.size(), signature),
              c.isKey);
  }
  EXPECT_NE(std::memcmp(pair_.publicKey, other_.publicKey, kPublicKeyBytes), 0);
  EXPECT_FALSE(IsSecretKey(nullptr, kSecretKeyBytes));
}

}  // namespace
