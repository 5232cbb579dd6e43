#include "support/journal/journal_entry.h"

#include <zlib.h>

#include <cstring>

namespace {

constexpr uint8_t kMagic[8] = {'J', 'O', 'U', 'R', 'N', 'A', 'L', '1'};

class Writer {
 public:
  void Byte(uint8_t value) { bytes_.push_back(value); }
  void Word(uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) bytes_.push_back(static_cast<uint8_t>(value >> shift));
  }
  void Text(const std::u16string& text) {
    Word(static_cast<uint32_t>(text.size()));
    for (char16_t unit : text) {
      bytes_.push_back(static_cast<uint8_t>(unit));
      bytes_.push_back(static_cast<uint8_t>(unit >> 8));
    }
  }
  void Bytes(const std::vector<uint8_t>& bytes) {
    Word(static_cast<uint32_t>(bytes.size()));
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  }
  std::vector<uint8_t>& Result() { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

class Reader {
 public:
  Reader(const uint8_t* bytes, size_t count) : bytes_(bytes), left_(count) {}

  bool Byte(uint8_t* value) {
    if (left_ < 1) return false;
    *value = *bytes_++;
    --left_;
    return true;
  }
  bool Word(uint32_t* value) {
    if (left_ < 4) return false;
    *value = 0;
    for (int i = 0; i < 4; ++i) *value |= static_cast<uint32_t>(bytes_[i]) << (8 * i);
    bytes_ += 4;
    left_ -= 4;
    return true;
  }
  bool Text(std::u16string* text) {
    uint32_t units = 0;
    if (!Word(&units) || units > left_ / 2) return false;
    text->resize(units);
    for (uint32_t i = 0; i < units; ++i) {
      (*text)[i] = static_cast<char16_t>(bytes_[2 * i] | (bytes_[2 * i + 1] << 8));
    }
    bytes_ += 2 * static_cast<size_t>(units);
    left_ -= 2 * static_cast<size_t>(units);
    return true;
  }
  bool Bytes(std::vector<uint8_t>* bytes) {
    uint32_t count = 0;
    if (!Word(&count) || count > left_) return false;
    bytes->assign(bytes_, bytes_ + count);
    bytes_ += count;
    left_ -= count;
    return true;
  }
  // The next framed record's payload: its length, its bytes and their CRC-32.
  bool Record(const uint8_t** payload, uint32_t* length) {
    uint32_t crc = 0;
    if (!Word(length) || *length > left_ || left_ - *length < 4) return false;
    *payload = bytes_;
    bytes_ += *length;
    left_ -= *length;
    return Word(&crc) && crc == crc32_z(0, *payload, *length);
  }
  bool AtEnd() const { return left_ == 0; }

 private:
  const uint8_t* bytes_;
  size_t left_;
};

std::vector<uint8_t> Framed(const std::vector<uint8_t>& payload) {
  Writer framed;
  framed.Word(static_cast<uint32_t>(payload.size()));
  std::vector<uint8_t>& bytes = framed.Result();
  bytes.insert(bytes.end(), payload.begin(), payload.end());
  framed.Word(static_cast<uint32_t>(crc32_z(0, payload.data(), payload.size())));
  return std::move(bytes);
}

bool DecodeEntry(const uint8_t* payload, uint32_t length, JournalEntry* entry) {
  Reader reader(payload, length);
  uint8_t kind = 0;
  uint8_t hadPrevious = 0;
  if (!reader.Byte(&kind) || kind < JournalEntry::kFolderCreated ||
      kind > JournalEntry::kCommitted) {
    return false;
  }
  entry->kind = static_cast<JournalEntry::Kind>(kind);
  const bool texts = reader.Text(&entry->path) && reader.Text(&entry->staging) &&
                     reader.Text(&entry->backup) && reader.Text(&entry->key) &&
                     reader.Text(&entry->name) && reader.Text(&entry->createdKey);
  if (!texts || !reader.Byte(&hadPrevious) || hadPrevious > 1) return false;
  entry->hadPrevious = hadPrevious == 1;
  return reader.Word(&entry->previous.type) && reader.Bytes(&entry->previous.bytes) &&
         reader.AtEnd();
}

}  // namespace

bool JournalEntry::operator==(const JournalEntry& other) const {
  return kind == other.kind && path == other.path && staging == other.staging &&
         backup == other.backup && key == other.key && name == other.name &&
         createdKey == other.createdKey && hadPrevious == other.hadPrevious &&
         previous == other.previous;
}

std::vector<uint8_t> EncodeJournalHeader(const std::u16string& folder) {
  Writer payload;
  payload.Text(folder);
  std::vector<uint8_t> header(kMagic, kMagic + sizeof kMagic);
  const std::vector<uint8_t> record = Framed(payload.Result());
  header.insert(header.end(), record.begin(), record.end());
  return header;
}

std::vector<uint8_t> EncodeJournalEntry(const JournalEntry& entry) {
  Writer payload;
  payload.Byte(entry.kind);
  payload.Text(entry.path);
  payload.Text(entry.staging);
  payload.Text(entry.backup);
  payload.Text(entry.key);
  payload.Text(entry.name);
  payload.Text(entry.createdKey);
  payload.Byte(entry.hadPrevious ? 1 : 0);
  payload.Word(entry.previous.type);
  payload.Bytes(entry.previous.bytes);
  return Framed(payload.Result());
}

bool DecodeJournal(const uint8_t* bytes, size_t count, std::u16string* folder,
                   std::vector<JournalEntry>* entries) {
  entries->clear();
  folder->clear();
  if (bytes == nullptr || count < sizeof kMagic || std::memcmp(bytes, kMagic, sizeof kMagic) != 0) {
    return false;
  }
  Reader reader(bytes + sizeof kMagic, count - sizeof kMagic);
  const uint8_t* payload = nullptr;
  uint32_t length = 0;
  if (!reader.Record(&payload, &length)) return false;
  Reader header(payload, length);
  if (!header.Text(folder) || !header.AtEnd()) return false;
  JournalEntry entry;
  while (!reader.AtEnd() && reader.Record(&payload, &length) &&
         DecodeEntry(payload, length, &entry)) {
    entries->push_back(entry);
  }
  return true;
}
