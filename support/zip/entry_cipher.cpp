#include "support/zip/entry_cipher.h"

#include <zlib.h>
// After zlib, whose types it uses.
#include <minizip/crypt.h>

#include <vector>

#include "support/crypto/md5.h"

namespace {

// minizip's routines take the CRC table as unsigned long whatever the platform's width.
const unsigned long* CrcTable() {
  static const std::vector<unsigned long> table = [] {
    const z_crc_t* zlibTable = get_crc_table();
    return std::vector<unsigned long>(zlibTable, zlibTable + 256);
  }();
  return table.data();
}

}  // namespace

EntryCipher::EntryCipher(const char* password) { init_keys(password, keys_, CrcTable()); }

EntryCipher::EntryCipher(const CipherState& state) {
  for (int i = 0; i < 3; ++i) keys_[i] = state.keys[i];
}

std::string EntryCipher::Header(const std::string& name, uint64_t size, uint32_t crc) {
  const std::string seed = name + '\0' + std::to_string(size) + '\0' + std::to_string(crc);
  XMD5 md5;
  Md5Init(&md5);
  Md5Update(&md5, seed.data(), static_cast<uint32_t>(seed.size()));
  Md5Final(&md5);
  std::string header(reinterpret_cast<const char*>(md5.digest), kHeaderSize - 2);
  header += static_cast<char>(crc >> 16);
  header += static_cast<char>(crc >> 24);
  Encrypt(reinterpret_cast<uint8_t*>(&header[0]), header.size());
  return header;
}

void EntryCipher::Encrypt(uint8_t* bytes, size_t n) {
  const unsigned long* table = CrcTable();
  for (size_t i = 0; i < n; ++i) {
    int t;
    bytes[i] = static_cast<uint8_t>(zencode(keys_, table, bytes[i], t));
  }
}

void EntryCipher::Decrypt(uint8_t* bytes, size_t n) {
  const unsigned long* table = CrcTable();
  for (size_t i = 0; i < n; ++i) {
    int c = bytes[i];
    bytes[i] = static_cast<uint8_t>(zdecode(keys_, table, c));
  }
}

CipherState EntryCipher::State() const {
  // Where unsigned long is wider, the second key carries bits above 32 that the cipher never
  // reads: the state is the same without them.
  CipherState state;
  for (int i = 0; i < 3; ++i) state.keys[i] = static_cast<uint32_t>(keys_[i]);
  return state;
}
