#include "support/crypto/md5.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/helpers/byte_pattern.h"
#include "tests/helpers/temp_folder.h"

namespace {

std::u16string HexOf(const std::string& bytes) {
  char16_t out[33] = {};
  if (!Md5HexOfMemory(out, bytes.data(), static_cast<uint32_t>(bytes.size()))) return u"<failed>";
  return out;
}

// A digest given in either case, as UTF-16 in the case asked for.
std::u16string InCase(const char* hex, bool upper) {
  std::u16string text;
  for (; *hex != 0; ++hex) {
    char c = *hex;
    if (upper && c >= 'a' && c <= 'f') c = static_cast<char>(c - 32);
    if (!upper && c >= 'A' && c <= 'F') c = static_cast<char>(c + 32);
    text += static_cast<char16_t>(c);
  }
  return text;
}

std::u16string Upper(const char* hex) { return InCase(hex, true); }

std::u16string DigestInPieces(const std::string& bytes, size_t piece) {
  XMD5 context;
  Md5Init(&context);
  for (size_t at = 0; at < bytes.size(); at += piece) {
    size_t n = bytes.size() - at < piece ? bytes.size() - at : piece;
    Md5Update(&context, bytes.data() + at, static_cast<uint32_t>(n));
  }
  Md5Final(&context);
  char16_t out[32];
  HexEncode(out, 32, context.digest, 16, true);
  return std::u16string(out, 32);
}

TEST(Md5, KnownDigests) {
  struct Case {
    std::string input;
    const char* digest;
  };
  const Case cases[] = {
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
      // Around the padding's boundaries: 55 bytes still take the length in the same block.
      {std::string(55, 'x'), "04364420E25C512FD958A70738AA8F72"},
      {std::string(56, 'x'), "668A72D5BA17F08E62DABCAFAD6DB14B"},
      {std::string(63, 'x'), "7DC2CA208106A2F703567BDFF99D8981"},
      {std::string(64, 'x'), "C1BB4F81D892B2D57947682AEB252456"},
      {std::string(65, 'x'), "1BC932052302D074BDEC39795FE00CF6"},
      {std::string(119, 'x'), "AB347A5F68C8A443CFCDDC633F12C24F"},
      {std::string(120, 'x'), "FB98667F98096DE92620B64F46E1C5B5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input.substr(0, 20));
    EXPECT_EQ(HexOf(c.input), Upper(c.digest));
    for (size_t piece : {1, 3, 63, 64, 65}) {
      EXPECT_EQ(DigestInPieces(c.input, piece), Upper(c.digest));
    }
  }
  EXPECT_EQ(DigestInPieces("", 1), u"D41D8CD98F00B204E9800998ECF8427E");
}

TEST(Md5, FilesOnBothSidesOfTheReadChunk) {
  TempFolder folder;
  struct Case {
    size_t size;
    const char* digest;
  };
  const Case cases[] = {
      {0, "D41D8CD98F00B204E9800998ECF8427E"},
      {65536, "9cc60713923528a1dd94e1c1ab0ebc9e"},
      {65537, "4c2641c7fe5c93d3aed7c406629ff0ab"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    WriteBytes(folder.Path() / "data.bin", BytePattern(c.size));
    char16_t hex[33] = {};
    ASSERT_TRUE(Md5HexOfFile(hex, folder.File(u"data.bin").c_str(), true));
    EXPECT_EQ(std::u16string(hex), Upper(c.digest));
    ASSERT_TRUE(Md5HexOfFile(hex, folder.File(u"data.bin").c_str(), false));
    EXPECT_EQ(std::u16string(hex), InCase(c.digest, false));
    if (c.size != 0) {
      EXPECT_EQ(HexOf(BytePattern(c.size)), Upper(c.digest));
    }
  }
  char16_t hex[33] = {u'x'};
  EXPECT_FALSE(Md5HexOfFile(hex, folder.File(u"missing.bin").c_str(), true));
  uint8_t digest[16];
  EXPECT_FALSE(Md5OfFile(digest, folder.File(u"missing.bin").c_str()));
  EXPECT_FALSE(Md5OfFile(digest, nullptr));
}

TEST(Md5, HexEncodingAndRefusals) {
  const uint8_t bytes[16] = {0x00, 0x01, 0xAB, 0xCD, 0xEF, 0x10, 0x32, 0x54,
                             0x76, 0x98, 0xBA, 0xDC, 0xFE, 0x7F, 0x80, 0xFF};
  char16_t out[32] = {};
  EXPECT_EQ(HexEncode(out, 32, bytes, 16, true), 32);
  EXPECT_EQ(std::u16string(out, 32), u"0001ABCDEF1032547698BADCFE7F80FF");
  EXPECT_EQ(HexEncode(out, 32, bytes, 3, false), 6);
  EXPECT_EQ(std::u16string(out, 6), u"0001ab");

  char16_t small[32];
  for (char16_t& unit : small) unit = u'#';
  EXPECT_EQ(HexEncode(small, 31, bytes, 16, true), 30);  // 15 whole bytes fit
  EXPECT_EQ(std::u16string(small, 30), u"0001ABCDEF1032547698BADCFE7F80");
  EXPECT_EQ(small[30], u'#');  // nothing written past the digits
  EXPECT_EQ(HexEncode(small, 1, bytes, 16, true), 0);

  char16_t hex[33];
  EXPECT_FALSE(Md5HexOfMemory(hex, "abc", 0));
  EXPECT_FALSE(Md5HexOfMemory(hex, nullptr, 3));
  EXPECT_FALSE(Md5HexOfMemory(nullptr, "abc", 3));
}

}  // namespace
