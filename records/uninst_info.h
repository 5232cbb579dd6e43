#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "support/fixed_wstring.h"

// The list of everything the installer put into the install folder, as paths relative to it
// (a folder entry ends with a backslash), in the order they were installed. Saved as
// "uninst.dat": the UTF-16LE mark, then every entry followed by "|".
class IUninstInfo {
 public:
  static constexpr int kMaxEntries = 10000;

  virtual ~IUninstInfo() = default;

  // Reads a saved list and appends its entries.
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
  // Appends an entry (length -1: the text's own length; cut to 511 units). Returns its index, -1
  // for empty text or a full list.
  virtual int Add(const char16_t* text, int length) = 0;
  // The entry, or null when there is none at index.
  virtual const char16_t* Get(int index) const = 0;
};

class CUninstInfo : public IUninstInfo {
 public:
  CUninstInfo();
  ~CUninstInfo() override;

  bool LoadFromFile(const char16_t* path) override;
  // Appends the entries of a saved list's bytes (the UTF-16LE mark, then the text), as
  // LoadFromFile does with a file's.
  bool ParseBytes(const uint8_t* bytes, uint32_t length);
  bool SaveToFile(const char16_t* path) override;
  bool ParseText(const char16_t* text) override;
  int WriteText(char16_t* out, int capacity) override;
  void Clear() override;
  int Count() const override;
  int Add(const char16_t* text, int length) override;
  const char16_t* Get(int index) const override;

 private:
  std::vector<std::unique_ptr<FixedWString<512>>> entries_;
};
