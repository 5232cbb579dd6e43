#pragma once

#include <windows.h>

#include <cstdint>

#include "draw/gdi_handles.h"
#include "support/core/fixed_wstring.h"

// One GDI font with the parameters it was made from. The operations keep a fixed order.
class IFont {
 public:
  // Null until Create succeeds.
  virtual HFONT GetHandle() = 0;
  // (Re)creates the font: escapement in tenths of a degree (its low 16 bits, signed), the face
  // "Arial" when faceName is null, cut to 63 characters. Not bold is the weight 100. False when
  // GDI made no font; the parameters are stored either way.
  virtual bool Create(int32_t height, bool bold, bool underline, bool italic, int32_t escapement,
                      const char16_t* faceName) = 0;
  virtual bool CreateSimple(int32_t height, bool bold, const char16_t* faceName) = 0;
  // Deletes the font and frees an object made with new; a font embedded in its owner is never
  // released this way.
  virtual void Release() = 0;
  virtual const char16_t* GetFaceName() = 0;
  virtual int32_t GetHeight() = 0;
  // Always 0.
  virtual int32_t GetSpare() = 0;
  virtual bool IsBold() = 0;
  virtual bool IsItalic() = 0;
  virtual bool IsUnderline() = 0;
  // Always false: fonts are never made struck out.
  virtual bool IsStrikeOut() = 0;
  virtual int32_t GetEscapement() = 0;
  virtual ~IFont() = default;
};

// The font every text control embeds; it owns its HFONT. Before Create the height is 15.
class CFont : public IFont {
 public:
  static constexpr int32_t kDefaultHeight = 15;

  CFont() = default;
  CFont(const CFont&) = delete;
  CFont& operator=(const CFont&) = delete;

  HFONT GetHandle() override { return font_.Get(); }
  bool Create(int32_t height, bool bold, bool underline, bool italic, int32_t escapement,
              const char16_t* faceName) override;
  bool CreateSimple(int32_t height, bool bold, const char16_t* faceName) override;
  void Release() override;
  const char16_t* GetFaceName() override { return faceName_.Units(); }
  int32_t GetHeight() override { return height_; }
  int32_t GetSpare() override { return spare_; }
  bool IsBold() override { return bold_; }
  bool IsItalic() override { return italic_; }
  bool IsUnderline() override { return underline_; }
  bool IsStrikeOut() override { return strikeOut_; }
  int32_t GetEscapement() override { return escapement_; }

 private:
  GdiObject<HFONT> font_;
  int32_t height_ = kDefaultHeight;
  int32_t spare_ = 0;
  int32_t escapement_ = 0;
  bool bold_ = false;
  bool italic_ = false;
  bool underline_ = false;
  bool strikeOut_ = false;
  FixedWString<64> faceName_;
};
