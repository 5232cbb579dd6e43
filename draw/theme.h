#pragma once

#include <cstdint>

// The skin's three colours (0xAARRGGBB) and their stored form, "theme.txt": a flat object of
// three string values, written as
//   {"forecolor":"#AARRGGBB","backcolor":"#AARRGGBB","textcolor":"#AARRGGBB"}
// The reader is tolerant: white space around names, colons and values, quoted or bare values,
// any order, and keys left out (which keep their colours).
class ITheme {
 public:
  // The file holds UTF-16 text; false when it cannot be read or does not parse.
  virtual bool LoadFile(const char16_t* path) = 0;
  virtual bool LoadFileA(const char* path) = 0;
  // Writes the text of FormatText as UTF-16 without a byte-order mark or terminator. Returns the
  // bytes written, 0 on failure.
  virtual uint32_t SaveFile(const char16_t* path) = 0;
  virtual uint32_t SaveFileA(const char* path) = 0;
  // Reads the colours from length units of text. False for a null text or one without "{", and
  // then no colour changes.
  virtual bool ParseText(const char16_t* text, int length) = 0;
  virtual bool ParseTextA(const char* text, int length) = 0;
  // Writes the text with its terminator and returns its length without it (73 units). A buffer of
  // fewer than kFormatCapacity units receives an empty text (when it has room for that) and the
  // result is 0.
  virtual int FormatText(char16_t* buffer, int capacity) = 0;
  virtual int FormatTextA(char* buffer, int capacity) = 0;
  virtual uint32_t GetForeColor() = 0;
  virtual void SetForeColor(uint32_t color) = 0;
  virtual uint32_t GetBackColor() = 0;
  virtual void SetBackColor(uint32_t color) = 0;
  virtual uint32_t GetTextColor() = 0;
  virtual void SetTextColor(uint32_t color) = 0;

  static constexpr int kFormatLength = 73;
  static constexpr int kFormatCapacity = kFormatLength + 1;

 protected:
  ~ITheme() = default;
};

// The colours start at 0; the install window sets its defaults before it loads "theme.txt".
class CTheme : public ITheme {
 public:
  bool LoadFile(const char16_t* path) override;
  bool LoadFileA(const char* path) override;
  uint32_t SaveFile(const char16_t* path) override;
  uint32_t SaveFileA(const char* path) override;
  bool ParseText(const char16_t* text, int length) override;
  bool ParseTextA(const char* text, int length) override;
  int FormatText(char16_t* buffer, int capacity) override;
  int FormatTextA(char* buffer, int capacity) override;
  uint32_t GetForeColor() override { return foreColor_; }
  void SetForeColor(uint32_t color) override { foreColor_ = color; }
  uint32_t GetBackColor() override { return backColor_; }
  void SetBackColor(uint32_t color) override { backColor_ = color; }
  uint32_t GetTextColor() override { return textColor_; }
  void SetTextColor(uint32_t color) override { textColor_ = color; }

 private:
  template <typename Path>
  bool Load(const Path* path);
  template <typename Path>
  uint32_t Save(const Path* path);

  uint32_t foreColor_ = 0;
  uint32_t backColor_ = 0;
  uint32_t textColor_ = 0;
};
