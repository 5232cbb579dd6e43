#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "ui/element_geometry.h"
#include "ui/state_fade.h"

class IFont;
class IImage;
class IRender;
class IWindow;

// Element type codes: how CLayer's own Draw draws, and which control a window's factory makes.
constexpr int32_t kLayerFill = 0;
constexpr int32_t kLayerText = 1;
constexpr int32_t kLayerEdit = 2;
constexpr int32_t kLayerImage = 3;
constexpr int32_t kLayerButton = 4;
constexpr int32_t kLayerCheck = 5;
constexpr int32_t kLayerProgress = 6;

// Element states, which are also the frames of a state image.
constexpr int32_t kStateNormal = 0;
constexpr int32_t kStateHover = 1;
constexpr int32_t kStatePressed = 2;

// An element: a rectangle of a window's client area that draws itself through the window's render
// device and reacts to the input the window routes to it. The window keeps its elements for as
// long as they exist and frees them with Release. The order of the operations is fixed.
//
// Rectangles are in window client coordinates, right and bottom exclusive. Images, the font and
// the owner are references: an element never frees them. The input handlers return true when the
// element consumed the input.
class ILayer {
 public:
  virtual int32_t GetId() = 0;
  virtual void SetId(int32_t id) = 0;
  virtual int32_t GetWindowId() = 0;
  virtual void SetWindowId(int32_t id) = 0;
  virtual int32_t GetTag() = 0;
  virtual void SetTag(int32_t tag) = 0;
  virtual int32_t GetPos() = 0;
  virtual void SetPos(int32_t position) = 0;
  virtual int32_t GetRange() = 0;
  virtual void SetRange(int32_t range) = 0;
  virtual int32_t GetFrameCount() = 0;
  virtual void SetFrameCount(int32_t count) = 0;
  virtual RECT GetRect() = 0;
  // Stores the rectangle, then calls OnRectChanged.
  virtual void SetRect(const RECT& rect) = 0;
  virtual const LayoutRecord& GetLayout() = 0;
  virtual void SetLayout(const LayoutRecord& layout) = 0;
  virtual const Insets& GetInsets() = 0;
  virtual void SetInsets(const Insets& insets) = 0;
  virtual int32_t GetUserData() = 0;
  virtual void SetUserData(int32_t data) = 0;
  // The three texts take a zero-terminated string (null empties them) and keep a copy of any
  // length; the getters return the stored text, never null.
  virtual const char16_t* GetValue() = 0;
  virtual void SetValue(const char16_t* value) = 0;
  virtual const char16_t* GetText() = 0;
  virtual void SetText(const char16_t* text) = 0;
  virtual const char16_t* GetTitle() = 0;
  virtual void SetTitle(const char16_t* title) = 0;
  virtual int32_t GetUserData2() = 0;
  virtual void SetUserData2(int32_t data) = 0;
  virtual bool IsVisible() = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual bool IsMarked() = 0;
  virtual void SetMarked(bool marked) = 0;
  virtual bool IsDirty() = 0;
  virtual void SetDirty(bool dirty) = 0;
  virtual bool IsBlended() = 0;
  virtual void SetBlended(bool blended) = 0;
  virtual uint8_t GetAlpha() = 0;
  virtual void SetAlpha(uint8_t alpha) = 0;
  virtual bool IsChecked() = 0;
  virtual void SetChecked(bool checked) = 0;
  virtual int32_t GetLimit() = 0;
  virtual void SetLimit(int32_t limit) = 0;
  // DrawTextW flags (DT_...) for the element's text.
  virtual uint32_t GetTextFormat() = 0;
  virtual void SetTextFormat(uint32_t format) = 0;
  // Fill colour 0xAARRGGBB (the top byte is the opacity); for text the low 24 bits as a COLORREF.
  virtual uint32_t GetColor() = 0;
  virtual void SetColor(uint32_t color) = 0;
  virtual int32_t GetParam() = 0;
  virtual void SetParam(int32_t param) = 0;
  virtual int32_t GetType() = 0;
  virtual void SetType(int32_t type) = 0;
  // A plain store: fades begin with the mouse input of OnMouse.
  virtual int32_t GetState() = 0;
  virtual void SetState(int32_t state) = 0;
  virtual int32_t GetCursorKind() = 0;
  virtual void SetCursorKind(int32_t kind) = 0;
  virtual IFont* GetFont() = 0;
  virtual void SetFont(IFont* font) = 0;
  virtual IImage* GetThumbImage() = 0;
  virtual void SetThumbImage(IImage* image) = 0;
  virtual IImage* GetImage() = 0;
  virtual void SetImage(IImage* image) = 0;
  virtual IImage* GetBackImage() = 0;
  virtual void SetBackImage(IImage* image) = 0;
  virtual IWindow* GetOwner() = 0;
  virtual void SetOwner(IWindow* owner) = 0;

  // Content of its own and scripts, which the window forwards to an element; the elements of this
  // system have neither (false, 0).
  virtual bool LoadContent1(const char16_t* content) = 0;
  virtual bool LoadContent2(const char16_t* content) = 0;
  virtual bool LoadContent3(const char16_t* content) = 0;
  virtual bool LoadContent4(const char16_t* content) = 0;
  virtual int32_t RunScript1(const char16_t* text, int32_t flag) = 0;
  virtual int32_t RunScript2(const char16_t* text, int32_t flag) = 0;

  // The window sleeps only while every element is idle.
  virtual bool IsIdle() = 0;
  // Called once after the element was inserted into a window.
  virtual bool OnAttached() = 0;
  virtual void OnFocus() = 0;
  virtual void OnBlur() = 0;
  virtual void OnRectChanged() = 0;
  virtual void OnHook1() = 0;
  virtual void OnHook2() = 0;
  virtual void OnHook3() = 0;
  // Destroys the element and frees it.
  virtual void Release() = 0;
  // Places the layout record inside container (AnchorLayout) and applies it with SetRect.
  virtual void Relayout(const RECT& container) = 0;
  // Whether the window attaches the input method while the element has the focus.
  virtual bool WantsIme() = 0;
  // An element that edits text returns its caret rectangle in client coordinates and true.
  virtual bool GetCaretRect(RECT* caret) = 0;
  // x and y in client coordinates; see RectContains.
  virtual bool HitTest(int32_t x, int32_t y) = 0;
  // Draws the element into the render device; nothing without one.
  virtual void Draw(IRender* render) = 0;
  virtual void OnIdleHook(int32_t value) = 0;
  // A hot key held down reaches OnKeyDown once; its release reaches OnKeyUp.
  virtual bool OnHotKeyDown(int32_t key, uint32_t flags) = 0;
  virtual bool OnHotKeyUp(int32_t key, uint32_t flags) = 0;
  // A mouse message (WM_MOUSEHOVER when the mouse enters the element, WM_MOUSELEAVE when it
  // leaves), x and y relative to the element's top-left corner.
  virtual bool OnMouse(uint32_t message, int32_t x, int32_t y, uint32_t keyState) = 0;
  virtual bool OnMouseWheel(int32_t x, int32_t y, int32_t delta, uint32_t keyState) = 0;
  virtual bool OnContextMenu(int32_t x, int32_t y, uint32_t keyState) = 0;
  virtual bool OnKeyUp(int32_t key, uint32_t flags, int32_t reserved) = 0;
  virtual bool OnKeyDown(int32_t key, uint32_t flags, int32_t reserved) = 0;
  virtual bool OnChar(int32_t character, uint32_t flags, int32_t reserved) = 0;
  // Draws the frame of the current state of image (frames stacked vertically, GetFrameCount of
  // them) over the element, cross-fading from the previous state's frame while a fade runs.
  virtual void DrawStateImage(IRender* render, IImage* image) = 0;
  // The shared system cursor of the cursor kind (see SystemCursorId).
  virtual HCURSOR LoadStateCursor() = 0;

 protected:
  virtual ~ILayer() = default;
};

// The complete element: every operation of ILayer, drawing by its type code. The controls derive
// from it and replace Draw. It owns only its three texts.
class CLayer : public ILayer {
 public:
  explicit CLayer(int32_t type);
  ~CLayer() override;
  CLayer(const CLayer&) = delete;
  CLayer& operator=(const CLayer&) = delete;

  int32_t GetId() override { return id_; }
  void SetId(int32_t id) override { id_ = id; }
  int32_t GetWindowId() override { return windowId_; }
  void SetWindowId(int32_t id) override { windowId_ = id; }
  int32_t GetTag() override { return tag_; }
  void SetTag(int32_t tag) override { tag_ = tag; }
  int32_t GetPos() override { return position_; }
  void SetPos(int32_t position) override { position_ = position; }
  int32_t GetRange() override { return range_; }
  void SetRange(int32_t range) override { range_ = range; }
  int32_t GetFrameCount() override { return frameCount_; }
  void SetFrameCount(int32_t count) override { frameCount_ = count; }
  RECT GetRect() override { return rect_; }
  void SetRect(const RECT& rect) override;
  const LayoutRecord& GetLayout() override { return layout_; }
  void SetLayout(const LayoutRecord& layout) override { layout_ = layout; }
  const Insets& GetInsets() override { return insets_; }
  void SetInsets(const Insets& insets) override { insets_ = insets; }
  int32_t GetUserData() override { return userData_; }
  void SetUserData(int32_t data) override { userData_ = data; }
  const char16_t* GetValue() override { return value_.c_str(); }
  void SetValue(const char16_t* value) override;
  const char16_t* GetText() override { return text_.c_str(); }
  void SetText(const char16_t* text) override;
  const char16_t* GetTitle() override { return title_.c_str(); }
  void SetTitle(const char16_t* title) override;
  int32_t GetUserData2() override { return userData2_; }
  void SetUserData2(int32_t data) override { userData2_ = data; }
  bool IsVisible() override { return visible_; }
  void SetVisible(bool visible) override { visible_ = visible; }
  bool IsMarked() override { return marked_; }
  void SetMarked(bool marked) override { marked_ = marked; }
  bool IsDirty() override { return dirty_; }
  void SetDirty(bool dirty) override { dirty_ = dirty; }
  bool IsBlended() override { return blended_; }
  void SetBlended(bool blended) override { blended_ = blended; }
  uint8_t GetAlpha() override { return alpha_; }
  void SetAlpha(uint8_t alpha) override { alpha_ = alpha; }
  bool IsChecked() override { return checked_; }
  void SetChecked(bool checked) override { checked_ = checked; }
  int32_t GetLimit() override { return limit_; }
  void SetLimit(int32_t limit) override { limit_ = limit; }
  uint32_t GetTextFormat() override { return textFormat_; }
  void SetTextFormat(uint32_t format) override { textFormat_ = format; }
  uint32_t GetColor() override { return color_; }
  void SetColor(uint32_t color) override { color_ = color; }
  int32_t GetParam() override { return param_; }
  void SetParam(int32_t param) override { param_ = param; }
  int32_t GetType() override { return type_; }
  void SetType(int32_t type) override { type_ = type; }
  int32_t GetState() override { return state_; }
  void SetState(int32_t state) override { state_ = state; }
  int32_t GetCursorKind() override { return cursorKind_; }
  void SetCursorKind(int32_t kind) override { cursorKind_ = kind; }
  IFont* GetFont() override { return font_; }
  void SetFont(IFont* font) override { font_ = font; }
  IImage* GetThumbImage() override { return thumbImage_; }
  void SetThumbImage(IImage* image) override { thumbImage_ = image; }
  IImage* GetImage() override { return image_; }
  void SetImage(IImage* image) override { image_ = image; }
  IImage* GetBackImage() override { return backImage_; }
  void SetBackImage(IImage* image) override { backImage_ = image; }
  IWindow* GetOwner() override { return owner_; }
  void SetOwner(IWindow* owner) override { owner_ = owner; }

  bool LoadContent1(const char16_t*) override { return false; }
  bool LoadContent2(const char16_t*) override { return false; }
  bool LoadContent3(const char16_t*) override { return false; }
  bool LoadContent4(const char16_t*) override { return false; }
  int32_t RunScript1(const char16_t*, int32_t) override { return 0; }
  int32_t RunScript2(const char16_t*, int32_t) override { return 0; }

  bool IsIdle() override { return true; }
  bool OnAttached() override { return true; }
  void OnFocus() override {}
  void OnBlur() override {}
  void OnRectChanged() override {}
  void OnHook1() override {}
  void OnHook2() override {}
  void OnHook3() override {}
  void Release() override;
  void Relayout(const RECT& container) override;
  bool WantsIme() override { return true; }
  bool GetCaretRect(RECT*) override { return false; }
  bool HitTest(int32_t x, int32_t y) override;
  void Draw(IRender* render) override;
  void OnIdleHook(int32_t) override {}
  bool OnHotKeyDown(int32_t key, uint32_t flags) override;
  bool OnHotKeyUp(int32_t key, uint32_t flags) override;
  bool OnMouse(uint32_t message, int32_t x, int32_t y, uint32_t keyState) override;
  bool OnMouseWheel(int32_t, int32_t, int32_t, uint32_t) override { return false; }
  bool OnContextMenu(int32_t, int32_t, uint32_t) override { return false; }
  bool OnKeyUp(int32_t, uint32_t, int32_t) override { return false; }
  bool OnKeyDown(int32_t, uint32_t, int32_t) override { return false; }
  bool OnChar(int32_t, uint32_t, int32_t) override { return false; }
  void DrawStateImage(IRender* render, IImage* image) override;
  HCURSOR LoadStateCursor() override;

 protected:
  // Text and edit elements start their text this far right of their left edge.
  static constexpr int kTextIndent = 3;
  // An edit element's text: one line, centred vertically.
  static constexpr uint32_t kEditTextFormat = DT_SINGLELINE | DT_VCENTER;
  RECT IndentedRect() const {
    return RECT{rect_.left + kTextIndent, rect_.top, rect_.right, rect_.bottom};
  }

  // Draws state's frame of image (of frameCount frames) over the element with the insets, the
  // blended flag and the alpha, cross-fading while a fade runs; the element stays dirty while the
  // fade runs and when frameCount is below 1 (then nothing is drawn).
  void DrawStateFrames(IRender* render, IImage* image, int32_t frameCount, const Insets& insets);
  // Draws length units of text (-1: through its terminator) in rect with the element's colour as
  // the text colour, and restores the device's colour.
  void DrawElementText(IRender* render, const RECT& rect, const char16_t* text, int length,
                       HFONT font, uint32_t format);
  // The progress bar: the track over the element, the fill revealed up to position of range, the
  // thumb on the edge of what is revealed. Missing images are skipped.
  void DrawProgressBar(IRender* render, IImage* track, IImage* fill, IImage* thumb,
                       int64_t position, int64_t range, const Insets& insets);

  StateFade fade_;

 private:
  // Begins a fade to state (the current state becomes the previous one) and marks the element
  // dirty.
  void FadeTo(int32_t state);

  int32_t id_ = -1;
  int32_t windowId_ = -1;
  int32_t tag_ = -1;
  int32_t position_ = 0;
  int32_t range_ = 0;
  int32_t frameCount_ = 1;
  RECT rect_{};
  LayoutRecord layout_{};
  Insets insets_{};
  bool marked_ = false;
  bool visible_ = true;
  bool dirty_ = true;
  bool checked_ = false;
  bool blended_ = true;
  uint8_t alpha_ = 255;
  int32_t limit_ = 100;
  int32_t userData_ = 0;
  int32_t userData2_ = 0;
  uint32_t textFormat_ = 0;
  uint32_t color_ = 0xFFFFFF;
  int32_t param_ = 0;
  int32_t type_;
  int32_t state_ = kStateNormal;
  int32_t cursorKind_ = 0;
  std::u16string value_;
  std::u16string text_;
  std::u16string title_;
  IFont* font_ = nullptr;
  IImage* thumbImage_ = nullptr;
  IImage* image_ = nullptr;
  IImage* backImage_ = nullptr;
  IWindow* owner_ = nullptr;
  int32_t heldHotKey_ = 0;  // key code of the hot key held down, 0 none
  HCURSOR cursor_ = nullptr;
  HCURSOR savedCursor_ = nullptr;
};
