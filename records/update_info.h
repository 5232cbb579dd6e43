#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "records/record_storage.h"
#include "support/core/fixed_wstring.h"

// A patch that makes an item's file from an earlier version of it, published at
// PatchUrlOf(item's URL, from). Listed inside its item, as an element that readers of items
// without deltas pass over.
struct ItemDelta {
  static constexpr int kSha256Capacity = 66;
  char16_t from[kSha256Capacity] = {};  // the SHA-256 of the earlier file it applies to
  int64_t size = 0;                     // of the patch, in bytes
  char16_t sha256[kSha256Capacity] = {};  // of the patch
};

// The URL of the patch from the file whose SHA-256 is from to the file at fileUrl: beside it,
// named after both.
std::u16string PatchUrlOf(const std::u16string& fileUrl, const char16_t* from);

// One file of a published client version. The name and the URL take the room they need, so that
// a list of many files takes memory by its length, not by its count.
struct UpdateItem {
  // The name and the URL are read and made at most one unit shorter than these.
  static constexpr int kFileCapacity = 512;
  static constexpr int kUrlCapacity = 768;
  static constexpr int kMd5Capacity = 34;
  // 64 digits and room for one more, so that an overlong value is never cut into a match.
  static constexpr int kSha256Capacity = 66;
  static constexpr int32_t kActionUpdate = 0;
  static constexpr int32_t kActionDelete = 1;

  int32_t action = kActionUpdate;
  // In bytes; 64 bits, so that a listed file may be larger than 4 GB.
  int64_t size = 0;
  std::u16string file;  // relative to the install folder, with backslashes
  std::u16string url;
  char16_t md5[kMd5Capacity] = {};  // 32 hexadecimal digits
  // 64 hexadecimal digits, or empty when the list gives none: then the MD5 alone identifies the
  // file. Written, as "sha256", only when there is one, so a list without it keeps its bytes.
  char16_t sha256[kSha256Capacity] = {};
  // Patches from earlier versions, when the list has any: a reader may fetch one of them instead
  // of the whole file.
  std::vector<ItemDelta> deltas;
};

// A new update item (action update) for a file; sha256 may be null or empty. Null when another
// text is null or size is 0.
std::unique_ptr<UpdateItem> NewFileItem(const char16_t* file, int64_t size, const char16_t* md5,
                                        const char16_t* sha256, const char16_t* url);

// The update list ("update.xml"): the files of one published client version with their sizes,
// digests and download URLs. Its reader is a tolerant scanner, not an XML parser: it finds the
// list head and each item tag by text, attributes in any order; attributes it does not know are
// passed over. A size that does not fit 64 signed bits makes the whole list unreadable: taken as
// any other number, it would name another file.
class IUpdateInfo : public CRecordStorage {
 public:
  // A client of many files is listed whole; the bound keeps a hostile list's memory in reach.
  static constexpr int kMaxItems = 100000;
  // The writer asks for this many units per item before it writes anything.
  static constexpr int kUnitsPerItem = 1380;
  // The longest item line the writer can make: every field full, both numbers at their longest.
  static constexpr int kLongestItemUnits = 1466;
  // The most deltas an item keeps; the reader passes over more.
  static constexpr int kMaxDeltasPerItem = 16;
  // The longest delta line, and an item's closing line, both at most this long.
  static constexpr int kLongestDeltaUnits = 200;

  virtual void Clear() = 0;
  virtual int Count() const = 0;
  // Takes the item; returns its index, -1 when null or the list is full.
  virtual int AddItem(std::unique_ptr<UpdateItem> item) = 0;
  // Adds an update item; -1 when a text is null, size is 0 or the list is full.
  virtual int AddFile(const char16_t* file, int64_t size, const char16_t* md5,
                      const char16_t* url) = 0;
  virtual const UpdateItem* Get(int index) const = 0;
  // The sum of every item's size, held at the 64-bit limits rather than wrapping.
  virtual int64_t TotalSize() const = 0;
  virtual const char16_t* GetVersion() const = 0;
  virtual void SetVersion(const char16_t* version) = 0;

 protected:
  using CRecordStorage::CRecordStorage;
};

class CUpdateInfo : public IUpdateInfo {
 public:
  CUpdateInfo();
  ~CUpdateInfo() override;

  bool ParseText(const char16_t* text) override;
  // Enough for the list as it is now: every item as long as an item line can be, plus the head.
  uint32_t SaveBufferSize() const override;
  // Writes the whole list, or nothing (0) when the capacity is below the per-item rule or the
  // text would not fit.
  int WriteText(char16_t* out, int capacity) override;
  // The text WriteText writes, without its terminating zero.
  std::u16string Text() const;

  void Clear() override;
  int Count() const override;
  int AddItem(std::unique_ptr<UpdateItem> item) override;
  int AddFile(const char16_t* file, int64_t size, const char16_t* md5,
              const char16_t* url) override;
  const UpdateItem* Get(int index) const override;
  // The item to change (to add its deltas); null past the end.
  UpdateItem* Edit(int index);
  int64_t TotalSize() const override;
  const char16_t* GetVersion() const override;
  void SetVersion(const char16_t* version) override;

 private:
  std::vector<std::unique_ptr<UpdateItem>> items_;
  FixedWString<128> version_;
};
