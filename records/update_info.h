#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "records/record_storage.h"
#include "support/core/fixed_wstring.h"

// One file of a published client version.
struct UpdateItem {
  static constexpr int kFileCapacity = 512;
  static constexpr int kUrlCapacity = 768;
  static constexpr int kMd5Capacity = 34;
  // 64 digits and room for one more, so that an overlong value is never cut into a match.
  static constexpr int kSha256Capacity = 66;
  static constexpr int32_t kActionUpdate = 0;
  static constexpr int32_t kActionDelete = 1;

  int32_t action = kActionUpdate;
  int32_t size = 0;
  char16_t file[kFileCapacity] = {};  // relative to the install folder, with backslashes
  char16_t url[kUrlCapacity] = {};
  char16_t md5[kMd5Capacity] = {};  // 32 hexadecimal digits
  // 64 hexadecimal digits, or empty when the list gives none: then the MD5 alone identifies the
  // file. Written, as "sha256", only when there is one, so a list without it keeps its bytes.
  char16_t sha256[kSha256Capacity] = {};
};

// A new update item (action update) for a file; sha256 may be null or empty. Null when another
// text is null or size is 0.
std::unique_ptr<UpdateItem> NewFileItem(const char16_t* file, int32_t size, const char16_t* md5,
                                        const char16_t* sha256, const char16_t* url);

// The update list ("update.xml"): the files of one published client version with their sizes,
// digests and download URLs. Its reader is a tolerant scanner, not an XML parser: it finds the
// list head and each item tag by text, attributes in any order; attributes it does not know are
// passed over.
class IUpdateInfo : public CRecordStorage {
 public:
  static constexpr int kMaxItems = 10000;
  // The writer asks for this many units per item before it writes anything.
  static constexpr int kUnitsPerItem = 1380;
  // The longest item line the writer can make: every field full, both numbers at their longest.
  static constexpr int kLongestItemUnits = 1457;

  virtual void Clear() = 0;
  virtual int Count() const = 0;
  // Takes the item; returns its index, -1 when null or the list is full.
  virtual int AddItem(std::unique_ptr<UpdateItem> item) = 0;
  // Adds an update item; -1 when a text is null, size is 0 or the list is full.
  virtual int AddFile(const char16_t* file, int32_t size, const char16_t* md5,
                      const char16_t* url) = 0;
  // Adds every file below folder with its MD5 and SHA-256 (relative names get prefix; URLs are
  // ListedFileUrl's, a file whose URL an item cannot keep is passed over). Returns the number of
  // files met, including empty ones, which are not added.
  virtual int AddFolder(const char16_t* urlBase, const char16_t* folder,
                        const char16_t* prefix) = 0;
  virtual const UpdateItem* Get(int index) const = 0;
  virtual int32_t TotalSize() const = 0;
  virtual const char16_t* GetVersion() const = 0;
  virtual void SetVersion(const char16_t* version) = 0;
  // True when every item's file below folder passes VerifyUpdateItem; otherwise the first
  // failing index goes to *failingIndex (when given).
  virtual bool VerifyFiles(const char16_t* folder, int* failingIndex) const = 0;

 protected:
  using CRecordStorage::CRecordStorage;
};

class CUpdateInfo : public IUpdateInfo {
 public:
  CUpdateInfo();
  ~CUpdateInfo() override;

  bool ParseText(const char16_t* text) override;
  // Writes the whole list, or nothing (0) when the capacity is below the per-item rule or the
  // text would not fit.
  int WriteText(char16_t* out, int capacity) override;

  void Clear() override;
  int Count() const override;
  int AddItem(std::unique_ptr<UpdateItem> item) override;
  int AddFile(const char16_t* file, int32_t size, const char16_t* md5,
              const char16_t* url) override;
  int AddFolder(const char16_t* urlBase, const char16_t* folder,
                const char16_t* prefix) override;
  // The same, calling fileRead with the size of every file it has read, for a progress display.
  int AddFolder(const char16_t* urlBase, const char16_t* folder, const char16_t* prefix,
                const std::function<void(uint64_t)>& fileRead);
  const UpdateItem* Get(int index) const override;
  int32_t TotalSize() const override;
  const char16_t* GetVersion() const override;
  void SetVersion(const char16_t* version) override;
  bool VerifyFiles(const char16_t* folder, int* failingIndex) const override;

 private:
  std::vector<std::unique_ptr<UpdateItem>> items_;
  FixedWString<128> version_;
};

// The URL a listed file is downloaded from: urlBase, a "/" unless it ends in one, and the file's
// "/"-separated path below the listed folder, each name in it escaped as EscapedPathSegment does,
// since any server takes it for the file's name only so.
std::u16string ListedFileUrl(const std::u16string& urlBase, const std::u16string& path);

// An item's file is checked by its size and by one digest: its SHA-256 when the item has one,
// otherwise its MD5.

// True when the item's file below folder has the item's size and digest. An item whose name would
// lead outside the folder never passes.
bool VerifyUpdateItem(const char16_t* folder, const UpdateItem& item);

// True when the file at path is the item's file: its size and its digest. For a download
// checked where it landed, before it takes the item's place.
bool FileMatchesUpdateItem(const UpdateItem& item, const char16_t* path);

// True when bytes (n of them, at least one) are the item's file: its size and its digest.
bool MatchesUpdateItem(const UpdateItem& item, const uint8_t* bytes, uint32_t n);

// True when both are the same 32 hexadecimal digits, ignoring letter case.
bool SameDigestText(const char16_t* a, const char16_t* b);

// True when both are the same 64 hexadecimal digits, ignoring letter case.
bool SameSha256Text(const char16_t* a, const char16_t* b);
