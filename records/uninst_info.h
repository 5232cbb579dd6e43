#pragma once

#include <cstdint>
#include <deque>
#include <string>

// The list of everything the installer put into the install folder, as paths relative to it
// (a folder entry ends with a backslash), in the order they were installed. Saved as
// "uninst.dat": the UTF-16LE mark, then every entry followed by "|". The list holds every entry
// it is given: a list cut short would leave files that no uninstall removes.
class IUninstInfo {
 public:
  // Entries are cut to this many units (paths are far shorter).
  static constexpr int kLongestEntry = 511;

  virtual ~IUninstInfo() = default;

  // Reads a saved list and appends its entries. False, adding nothing, when the file cannot be
  // read or is not a list as SaveToFile writes one (see CUninstInfo::ParseBytes): an uninstall
  // must not take a damaged list for an empty one.
  virtual bool LoadFromFile(const char16_t* path) = 0;
  // Writes the whole list; true when every byte was written.
  virtual bool SaveToFile(const char16_t* path) = 0;
  // Appends the "|"-terminated entries of text; what follows the last "|" is ignored.
  virtual bool ParseText(const char16_t* text) = 0;
  // Writes the entries that fit (each with its "|") and a terminator; returns the units written
  // plus one.
  virtual int WriteText(char16_t* out, int capacity) = 0;
  virtual void Clear() = 0;
  virtual int Count() const = 0;
  // Appends an entry (length -1: the text's own length; cut to kLongestEntry units). Returns its
  // index, -1 for empty text.
  virtual int Add(const char16_t* text, int length) = 0;
  // The entry, or null when there is none at index. It stays valid while the list lives and is
  // not cleared, whatever is added after it.
  virtual const char16_t* Get(int index) const = 0;
};

class CUninstInfo : public IUninstInfo {
 public:
  CUninstInfo();
  ~CUninstInfo() override;

  bool LoadFromFile(const char16_t* path) override;
  // Appends the entries of a saved list's bytes, as LoadFromFile does with a file's. The bytes
  // must be the UTF-16LE mark and whole units, each entry ended by "|", with no empty entry, no
  // zero unit and no half of a surrogate pair; otherwise nothing is added and the result is
  // false.
  bool ParseBytes(const uint8_t* bytes, uint32_t length);
  bool SaveToFile(const char16_t* path) override;
  bool ParseText(const char16_t* text) override;
  int WriteText(char16_t* out, int capacity) override;
  void Clear() override;
  int Count() const override;
  int Add(const char16_t* text, int length) override;
  const char16_t* Get(int index) const override;

 private:
  // A deque, so that an entry's text never moves once it is added.
  std::deque<std::u16string> entries_;
};
