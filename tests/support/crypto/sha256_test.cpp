#include "support/crypto/sha256.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/helpers/byte_pattern.h"
#include "tests/helpers/temp_folder.h"

namespace {

std::u16string Upper(const char* hex) {
  std::u16string text;
  for (; *hex != 0; ++hex) {
    char c = *hex >= 'a' && *hex <= 'f' ? static_cast<char>(*hex - 32) : *hex;
    text += static_cast<char16_t>(c);
  }
  return text;
}

std::u16string HexOf(const std::string& bytes) {
  char16_t out[kSha256HexDigits + 1];
  if (!Sha256HexOfMemory(out, bytes.data(), bytes.size())) return u"<failed>";
  return out;
}

// Digests from FIPS 180-4's examples and from an independent implementation (Python's hashlib)
// over the test byte pattern, in memory and in files on both sides of the 65,536-byte piece the
// file digest reads.
TEST(Sha256, KnownDigestsOfMemoryAndFiles) {
  struct Case {
    std::string input;
    const char* digest;
  };
  const Case cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(1000000, 'a'),
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
      {BytePattern(55), "463EB28E72F82E0A96C0A4CC53690C571281131F672AA229E0D45AE59B598B59"},
      {BytePattern(56), "DA2AE4D6B36748F2A318F23E7AB1DFDF45ACDC9D049BD80E59DE82A60895F562"},
      {BytePattern(65535), "DDA402A2C028F0CBBDBC5C6EBAE965EED9C75F71236E7022B0386D3455D5AE2F"},
      {BytePattern(65536), "4B640D85AB3BA30FD02C9FC9DB4A8928F416322AD27022EA58A65AAEE68A4DF2"},
      {BytePattern(65537), "237356E18B503616912ABB8FFAED3A72591E397D4AC294C4637917D48A3F529D"},
      {BytePattern(200000), "E24BC62381F1224FBBB74688663F8F9743B9680B193EDD666835E97B06E730EB"},
  };
  TempFolder folder;
  const std::u16string file = folder.File(u"data.bin");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input.size());
    EXPECT_EQ(HexOf(c.input), Upper(c.digest));
    WriteBytes(folder.Path() / "data.bin", c.input);
    char16_t hex[kSha256HexDigits + 1];
    ASSERT_TRUE(Sha256HexOfFile(hex, file.c_str()));
    EXPECT_EQ(std::u16string(hex), Upper(c.digest));
  }
}

TEST(Sha256, RefusesWhatItCannotDigest) {
  TempFolder folder;
  char16_t hex[kSha256HexDigits + 1];
  uint8_t digest[kSha256Bytes];
  EXPECT_FALSE(Sha256HexOfFile(hex, folder.File(u"missing.bin").c_str()));
  EXPECT_FALSE(Sha256OfFile(digest, folder.File(u"missing.bin").c_str()));
  // A folder opens on some systems but cannot be read.
  EXPECT_FALSE(Sha256OfFile(digest, folder.Path().u16string().c_str()));
  EXPECT_FALSE(Sha256OfFile(digest, nullptr));
  EXPECT_FALSE(Sha256HexOfMemory(hex, nullptr, 3));
  EXPECT_FALSE(Sha256HexOfMemory(nullptr, "abc", 3));
  EXPECT_TRUE(Sha256HexOfMemory(hex, nullptr, 0));  // the digest of nothing
  EXPECT_EQ(std::u16string(hex),
            Upper("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"));
}

}  // namespace
