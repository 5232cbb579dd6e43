#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Where the cipher stands at a place in an entry's data: its three keys, each of 32 bits. From
// there on the data decrypts without the password, so a state is kept as secret as the password.
struct CipherState {
  uint32_t keys[3] = {};
};

// The traditional PKWARE encryption of one entry's data with a password, by minizip's own
// routines: the twelve-byte encryption header, then the data as it comes, in pieces of any size.
class EntryCipher {
 public:
  static constexpr size_t kHeaderSize = 12;

  explicit EntryCipher(const char* password);
  // Takes up the data where the cipher stood at state.
  explicit EntryCipher(const CipherState& state);

  // The encrypted header of the entry named name, of size bytes with that CRC. Its first ten
  // bytes are meant to differ from entry to entry; minizip would take them from rand(), seeded
  // with the time, which would make every archive different and the two builds' archives differ.
  // Here they come from the entry's name, size and CRC, so the same entries always give the same
  // archive; they still differ between entries. The last two bytes are the CRC's high bytes,
  // which readers check the password against. Call it first, once.
  std::string Header(const std::string& name, uint64_t size, uint32_t crc);

  // Encrypts the next n bytes of the entry's data in place.
  void Encrypt(uint8_t* bytes, size_t n);
  // Decrypts the next n bytes in place: the header's, then the data's.
  void Decrypt(uint8_t* bytes, size_t n);

  // Where the cipher stands now, before the next byte.
  CipherState State() const;

 private:
  unsigned long keys_[3];
};
