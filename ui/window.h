#pragma once

#include <windows.h>
#include <imm.h>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "support/core/fixed_wstring.h"
#include "ui/element_geometry.h"
#include "ui/layer.h"
#include "ui/tray_position.h"
#include "ui/window_handlers.h"

class IImage;
class IRender;
class IWindowMap;

// Messages an element's hot key arrives as: w holds the element's key in its high word and the
// virtual key in its low byte.
constexpr UINT kHotKeyDownMessage = 2025;
constexpr UINT kHotKeyUpMessage = 2026;

// A top-level window whose whole client area is one 32-bit bitmap composed from elements, shown
// as a per-pixel-alpha layered window or blitted into the window. It carries what a skinned
// borderless window needs: a border image around the content, blur behind the window, a resize
// grip, size limits, a modal loop, a tray icon that can blink and input-method control. The
// order of the operations is fixed.
//
// Operations that need the native window do nothing and return false, 0 or null when it does not
// exist (before Create, after destruction). Element keys order the elements: larger keys are
// drawn later (on top) and hit first; -1 means none.
class IWindow {
 public:
  // Makes the native window (fails when it exists, without a module, or when the class or the
  // window cannot be made) and runs OnCreate. Without module the owner's module is taken.
  virtual bool Create(DWORD style, DWORD exStyle, HWND owner, HINSTANCE module) = 0;
  virtual bool MoveToRect(const RECT& rect) = 0;
  virtual bool Move(int x, int y, int width, int height) = 0;
  // Places the layout record on the screen; the border band is added around the result.
  virtual bool PlaceOnScreen(const LayoutRecord& layout) = 0;
  // PlaceOnScreen with the record packed in four words (see LayoutFromWords).
  virtual bool PlaceOnScreenValues(int32_t word0, int32_t word1, int32_t word2,
                                   int32_t word3) = 0;
  // Centres the window at width x height (plus the border band) over owner, or the screen.
  virtual void CentreOn(HWND owner, int width, int height) = 0;
  virtual void CentreOnKeepSize(HWND owner) = 0;
  // -1 means no limit.
  virtual void SetMaxSize(int32_t width, int32_t height) = 0;
  virtual void SetMinSize(int32_t width, int32_t height) = 0;
  virtual bool Show(int showCommand) = 0;
  // Puts the composed frame on the screen.
  virtual bool Present() = 0;
  // Posts WM_CLOSE.
  virtual bool Close() = 0;
  // Destroys the native window and, once, releases the elements, the render device and the tray
  // tracker. The object stays; its owner frees it.
  virtual void Destroy() = 0;
  virtual bool Maximize() = 0;
  virtual bool Minimize() = 0;
  virtual bool Activate() = 0;
  // Resizes the surface to the window, lays every element out in the content rectangle and
  // paints.
  virtual void RelayoutAll() = 0;
  virtual bool TakeFocus() = 0;
  virtual void DropFocus() = 0;
  virtual void BroadcastHook1() = 0;
  virtual void BroadcastHook2() = 0;
  virtual void BroadcastHook3() = 0;
  virtual void WindowHook(int32_t value) = 0;
  virtual void SetAllDirty(bool dirty) = 0;
  // Runs a modal loop until EndModal; returns the value given to EndModal.
  virtual int32_t RunModal() = 0;
  virtual void EndModal(int32_t result) = 0;
  // Composes and delivers a frame when a visible element is dirty; true when it did.
  virtual bool Paint(HDC dc) = 0;
  virtual bool PaintNow() = 0;
  virtual bool IsAnyDirty() = 0;
  virtual bool IsModal() = 0;
  virtual bool IsMinimized() = 0;
  virtual bool IsMaximized() = 0;
  virtual bool IsShown() = 0;
  virtual bool IsGrey() = 0;
  // Whether blur behind the window is wanted.
  virtual bool IsBlur() = 0;
  virtual bool IsResizable() = 0;
  virtual bool IsEnabled() = 0;
  virtual bool IsLayered() = 0;
  virtual bool HasBorder() = 0;
  // True when the window exists and every one of bits is set.
  virtual bool HasStyle(DWORD bits) = 0;
  virtual bool HasExStyle(DWORD bits) = 0;
  virtual bool SetGrey(bool grey) = 0;
  virtual bool SetBlur(bool blur) = 0;
  virtual void SetResizable(bool resizable) = 0;
  virtual bool SetLayered(bool layered) = 0;
  virtual bool ModifyStyle(DWORD remove, DWORD add) = 0;
  virtual bool ModifyExStyle(DWORD remove, DWORD add) = 0;
  virtual bool GetFrameRect(RECT* rect) = 0;
  // The client rectangle less the border band when the border is shown.
  virtual bool GetContentRect(RECT* rect) = 0;
  virtual HWND GetHwnd() = 0;
  virtual HWND GetOwnerHwnd() = 0;
  // Two places in the order, one device.
  virtual IRender* GetRender() = 0;
  virtual IRender* GetRender() const = 0;
  // The key of the window in its map.
  virtual int32_t GetId() = 0;
  virtual void SetId(int32_t id) = 0;
  virtual int32_t GetUserData() = 0;
  virtual void SetUserData(int32_t data) = 0;
  virtual int32_t GetUserData2() = 0;
  virtual void SetUserData2(int32_t data) = 0;
  virtual HICON GetIcon(bool big) = 0;
  // Returns the icon it replaced.
  virtual HICON SetIcon(HICON icon, bool big) = 0;
  // The window text is the caption and the sub-caption as "caption - sub-caption".
  virtual const char16_t* GetCaption() = 0;
  virtual void SetCaption(const char16_t* caption) = 0;
  virtual const char16_t* GetSubCaption() = 0;
  virtual void SetSubCaption(const char16_t* subCaption) = 0;
  virtual bool GetTitleText(char16_t* buffer, int capacity) = 0;
  virtual bool SetTitleText(const char16_t* text) = 0;
  virtual const WindowHandlers* GetWindowHandlers() = 0;
  virtual void SetWindowHandlers(const WindowHandlers* handlers) = 0;
  virtual const ElementHandlers* GetElementHandlers() = 0;
  virtual void SetElementHandlers(const ElementHandlers* handlers) = 0;
  virtual int32_t GetBorderWidth() = 0;
  virtual IImage* GetBorderImage() = 0;
  // The image is a reference; centre draws its centre cell too.
  virtual void SetBorder(IImage* image, int32_t width, bool centre) = 0;
  virtual uint32_t GetOverlayColor() = 0;
  virtual void SetOverlayColor(uint32_t color) = 0;
  // The tray entry: added under id with a tooltip of at most 63 characters; its notifications
  // arrive as callbackMessage.
  virtual bool TrayAdd(uint32_t id, HICON icon, const char16_t* tooltip,
                       uint32_t callbackMessage) = 0;
  // Changes what is given (icon or tooltip or both); false with neither.
  virtual bool TrayModify(HICON icon, const char16_t* tooltip) = 0;
  // The notification-area window, so that a cursor over it still counts as over the icon.
  virtual bool SetTrayHostWindow(HWND host) = 0;
  virtual bool TraySetIcon(HICON icon) = 0;
  virtual bool TraySetTip(const char16_t* tooltip) = 0;
  virtual bool TrayRemove() = 0;
  // Alternates the tray icon between icon and an empty slot every 400 ms.
  virtual bool TrayBlinkStart(HICON icon) = 0;
  virtual bool TrayBlinkStop() = 0;
  virtual uint32_t GetBlinkTimerId() = 0;
  virtual void SetBlinkTimerId(uint32_t id) = 0;
  // Content and scripts for elements that show content of their own; the elements of this
  // system have none, so these return false or 0 beyond creating the plain elements they make.
  virtual bool LoadFirstContent1(const char16_t* content) = 0;
  virtual bool LoadFirstContent2(const char16_t* content) = 0;
  virtual bool LoadFirstContent3(const char16_t* content) = 0;
  virtual bool LoadFirstContent4(const char16_t* content) = 0;
  virtual int32_t CreateContent1(const char16_t* content, const LayoutRecord& layout) = 0;
  virtual int32_t CreateContent2(const char16_t* content, const LayoutRecord& layout) = 0;
  virtual int32_t CreateContent3(const char16_t* content, const LayoutRecord& layout) = 0;
  virtual int32_t CreateContent4(const char16_t* content, const LayoutRecord& layout) = 0;
  virtual bool LoadElementContent1(int32_t key, const char16_t* content) = 0;
  virtual bool LoadElementContent2(int32_t key, const char16_t* content) = 0;
  virtual bool LoadElementContent3(int32_t key, const char16_t* content) = 0;
  virtual bool LoadElementContent4(int32_t key, const char16_t* content) = 0;
  // key -1 means the smallest key.
  virtual int32_t RunElementScript1(int32_t key, const char16_t* text, int32_t flag) = 0;
  virtual int32_t RunElementScript2(int32_t key, const char16_t* text, int32_t flag) = 0;
  // The key of the topmost visible element at the client point, or -1.
  virtual int32_t HitTestElements(int32_t x, int32_t y) = 0;
  virtual bool SetElementLayout(int32_t key, const LayoutRecord& layout) = 0;
  virtual bool SetElementFocus(int32_t key, bool focus) = 0;
  // A new element of the type code, not inserted; the caller releases it unless it adds it.
  virtual ILayer* CreateElement(int32_t type) = 0;
  // Inserts under the highest key ever used + 1; the window owns the element from then on.
  // -1 (the element stays the caller's) on failure.
  virtual int32_t AddElement(ILayer* element) = 0;
  // Inserts under key; -1 (the element stays the caller's) without an element or when the key
  // is taken.
  virtual int32_t AddElementAt(int32_t key, ILayer* element) = 0;
  // Two places in the order, one lookup.
  virtual ILayer* FindElement(int32_t key) = 0;
  virtual ILayer* FindElement(int32_t key) const = 0;
  // Takes the element out; defer keeps it alive until PurgeRemovedElements.
  virtual bool RemoveElement(int32_t key, bool defer) = 0;
  virtual int32_t GetElementCount() = 0;
  virtual void RemoveAllElements(bool defer) = 0;
  virtual void PurgeRemovedElements() = 0;
  virtual IWindowMap* GetMap() = 0;
  virtual void SetMap(IWindowMap* map) = 0;
  // Paints what is dirty and gives the idle handler its turn; true when nothing is left to do,
  // which lets the caller sleep.
  virtual bool IdleStep() = 0;
  virtual void OnElementPressed(ILayer* element) = 0;
  virtual void OnElementReleased(ILayer* element) = 0;
  virtual void OnElementClicked(ILayer* element) = 0;
  virtual void OnElementValueChanged(ILayer* element, const char16_t* text) = 0;
  virtual void OnElementTitleChanged(ILayer* element, const char16_t* text) = 0;
  virtual void OnElementLoaded(int32_t value) = 0;
  // The open-file dialog for the comma-separated extensions; result holds MAX_PATH units.
  // flags other than 0 allow choosing several files.
  virtual bool ShowOpenFileDialog(int32_t reserved, char16_t* result,
                                  const char16_t* extensions, uint32_t flags) = 0;
  // WM_COMMAND: code 0 is a menu command, 1 an accelerator, anything else a control's.
  virtual bool OnCommand(int32_t id, int32_t code) = 0;
  virtual bool OnMenuCommand(int32_t id) = 0;
  virtual bool OnAcceleratorCommand(int32_t id) = 0;
  virtual bool OnControlCommand(int32_t id, int32_t code) = 0;
  virtual void OnTrayMessage(WPARAM w, LPARAM l) = 0;
  virtual ~IWindow() = default;
  // The steps of Paint.
  virtual void DrawBorder(IRender* render) = 0;
  virtual void DrawElements(IRender* render) = 0;
  virtual void DrawGrey(IRender* render) = 0;
  virtual void DrawDisabledOverlay(IRender* render) = 0;
  virtual bool AreElementsIdle() = 0;
  // Attaches (true) or detaches (false) the window's input-method context.
  virtual void EnableIme(bool enable) = 0;
  virtual bool RefreshCaption() = 0;
  // Pumps messages while the modal flag is set; returns the id of the last message taken.
  virtual uint32_t ModalLoop() = 0;
  virtual void UpdateBlur() = 0;
  virtual bool OnCloseQuery() = 0;
  // Makes the backing image and the render device; subclasses call it first, then build their
  // elements.
  virtual void OnCreate() = 0;
  virtual void OnDestroy() = 0;
  virtual void OnMouseHover() = 0;
  virtual void OnMouseLeave() = 0;
  virtual void OnTimer(uint32_t timerId) = 0;
  // Gives a message to the elements; true when handled (no default handling then).
  virtual bool RouteInput(HWND window, UINT message, WPARAM w, LPARAM l) = 0;
  virtual LRESULT HandleMessage(HWND window, UINT message, WPARAM w, LPARAM l) = 0;
  // The key of the element that has the keyboard focus (the last one pressed, or the one
  // MoveFocus gave it to); -1, or a key no element has, for none.
  virtual int32_t GetFocusKey() = 0;
  // Gives the keyboard focus to the element of key (-1: to none), as a press on it does: the
  // element that had it is told OnBlur, the new one OnFocus.
  virtual void MoveFocus(int32_t key) = 0;
};

// Frees an element or a render device through its own Release.
struct ReleaseDeleter {
  template <typename T>
  void operator()(T* object) const {
    object->Release();
  }
};

// The window of the framework: every operation of IWindow. It owns its elements, its backing
// image, its render device and its tray tracker; the border image, the handler tables and the
// map are references.
class CWindow : public IWindow {
 public:
  CWindow();
  ~CWindow() override;
  CWindow(const CWindow&) = delete;
  CWindow& operator=(const CWindow&) = delete;

  bool Create(DWORD style, DWORD exStyle, HWND owner, HINSTANCE module) override;
  bool MoveToRect(const RECT& rect) override;
  bool Move(int x, int y, int width, int height) override;
  bool PlaceOnScreen(const LayoutRecord& layout) override;
  bool PlaceOnScreenValues(int32_t word0, int32_t word1, int32_t word2, int32_t word3) override;
  void CentreOn(HWND owner, int width, int height) override;
  void CentreOnKeepSize(HWND owner) override;
  void SetMaxSize(int32_t width, int32_t height) override;
  void SetMinSize(int32_t width, int32_t height) override;
  bool Show(int showCommand) override;
  bool Present() override;
  bool Close() override;
  void Destroy() override;
  bool Maximize() override;
  bool Minimize() override;
  bool Activate() override;
  void RelayoutAll() override;
  bool TakeFocus() override;
  void DropFocus() override;
  void BroadcastHook1() override;
  void BroadcastHook2() override;
  void BroadcastHook3() override;
  void WindowHook(int32_t) override {}
  void SetAllDirty(bool dirty) override;
  int32_t RunModal() override;
  void EndModal(int32_t result) override;
  bool Paint(HDC dc) override;
  bool PaintNow() override;
  bool IsAnyDirty() override;
  bool IsModal() override { return modal_; }
  bool IsMinimized() override;
  bool IsMaximized() override;
  bool IsShown() override;
  bool IsGrey() override { return grey_; }
  bool IsBlur() override { return blurWanted_; }
  bool IsResizable() override { return resizable_; }
  bool IsEnabled() override;
  bool IsLayered() override { return layered_; }
  bool HasBorder() override;
  bool HasStyle(DWORD bits) override;
  bool HasExStyle(DWORD bits) override;
  bool SetGrey(bool grey) override;
  bool SetBlur(bool blur) override;
  void SetResizable(bool resizable) override { resizable_ = resizable; }
  bool SetLayered(bool layered) override;
  bool ModifyStyle(DWORD remove, DWORD add) override;
  bool ModifyExStyle(DWORD remove, DWORD add) override;
  bool GetFrameRect(RECT* rect) override;
  bool GetContentRect(RECT* rect) override;
  HWND GetHwnd() override { return window_; }
  HWND GetOwnerHwnd() override { return owner_; }
  IRender* GetRender() override { return render_.get(); }
  IRender* GetRender() const override { return render_.get(); }
  int32_t GetId() override { return id_; }
  void SetId(int32_t id) override { id_ = id; }
  int32_t GetUserData() override { return userData_; }
  void SetUserData(int32_t data) override { userData_ = data; }
  int32_t GetUserData2() override { return userData2_; }
  void SetUserData2(int32_t data) override { userData2_ = data; }
  HICON GetIcon(bool big) override;
  HICON SetIcon(HICON icon, bool big) override;
  const char16_t* GetCaption() override { return caption_.Units(); }
  void SetCaption(const char16_t* caption) override;
  const char16_t* GetSubCaption() override { return subCaption_.Units(); }
  void SetSubCaption(const char16_t* subCaption) override;
  bool GetTitleText(char16_t* buffer, int capacity) override;
  bool SetTitleText(const char16_t* text) override;
  const WindowHandlers* GetWindowHandlers() override { return windowHandlers_; }
  void SetWindowHandlers(const WindowHandlers* handlers) override { windowHandlers_ = handlers; }
  const ElementHandlers* GetElementHandlers() override { return elementHandlers_; }
  void SetElementHandlers(const ElementHandlers* handlers) override {
    elementHandlers_ = handlers;
  }
  int32_t GetBorderWidth() override { return borderWidth_; }
  IImage* GetBorderImage() override { return borderImage_; }
  void SetBorder(IImage* image, int32_t width, bool centre) override;
  uint32_t GetOverlayColor() override { return overlayColor_; }
  void SetOverlayColor(uint32_t color) override { overlayColor_ = color; }
  bool TrayAdd(uint32_t id, HICON icon, const char16_t* tooltip,
               uint32_t callbackMessage) override;
  bool TrayModify(HICON icon, const char16_t* tooltip) override;
  bool SetTrayHostWindow(HWND host) override;
  bool TraySetIcon(HICON icon) override;
  bool TraySetTip(const char16_t* tooltip) override;
  bool TrayRemove() override;
  bool TrayBlinkStart(HICON icon) override;
  bool TrayBlinkStop() override;
  uint32_t GetBlinkTimerId() override { return blinkTimerId_; }
  void SetBlinkTimerId(uint32_t id) override { blinkTimerId_ = id; }
  bool LoadFirstContent1(const char16_t* content) override;
  bool LoadFirstContent2(const char16_t* content) override;
  bool LoadFirstContent3(const char16_t* content) override;
  bool LoadFirstContent4(const char16_t* content) override;
  int32_t CreateContent1(const char16_t* content, const LayoutRecord& layout) override;
  int32_t CreateContent2(const char16_t* content, const LayoutRecord& layout) override;
  int32_t CreateContent3(const char16_t* content, const LayoutRecord& layout) override;
  int32_t CreateContent4(const char16_t* content, const LayoutRecord& layout) override;
  bool LoadElementContent1(int32_t key, const char16_t* content) override;
  bool LoadElementContent2(int32_t key, const char16_t* content) override;
  bool LoadElementContent3(int32_t key, const char16_t* content) override;
  bool LoadElementContent4(int32_t key, const char16_t* content) override;
  int32_t RunElementScript1(int32_t key, const char16_t* text, int32_t flag) override;
  int32_t RunElementScript2(int32_t key, const char16_t* text, int32_t flag) override;
  int32_t HitTestElements(int32_t x, int32_t y) override;
  bool SetElementLayout(int32_t key, const LayoutRecord& layout) override;
  bool SetElementFocus(int32_t key, bool focus) override;
  ILayer* CreateElement(int32_t type) override;
  int32_t AddElement(ILayer* element) override;
  int32_t AddElementAt(int32_t key, ILayer* element) override;
  ILayer* FindElement(int32_t key) override;
  ILayer* FindElement(int32_t key) const override;
  bool RemoveElement(int32_t key, bool defer) override;
  int32_t GetElementCount() override { return static_cast<int32_t>(elements_.size()); }
  void RemoveAllElements(bool defer) override;
  void PurgeRemovedElements() override;
  IWindowMap* GetMap() override { return map_; }
  void SetMap(IWindowMap* map) override { map_ = map; }
  bool IdleStep() override;
  void OnElementPressed(ILayer* element) override;
  void OnElementReleased(ILayer* element) override;
  void OnElementClicked(ILayer* element) override;
  void OnElementValueChanged(ILayer* element, const char16_t* text) override;
  void OnElementTitleChanged(ILayer* element, const char16_t* text) override;
  void OnElementLoaded(int32_t value) override;
  bool ShowOpenFileDialog(int32_t reserved, char16_t* result, const char16_t* extensions,
                          uint32_t flags) override;
  bool OnCommand(int32_t id, int32_t code) override;
  bool OnMenuCommand(int32_t id) override;
  bool OnAcceleratorCommand(int32_t id) override;
  bool OnControlCommand(int32_t id, int32_t code) override;
  void OnTrayMessage(WPARAM w, LPARAM l) override;
  void DrawBorder(IRender* render) override;
  void DrawElements(IRender* render) override;
  void DrawGrey(IRender* render) override;
  void DrawDisabledOverlay(IRender* render) override;
  bool AreElementsIdle() override;
  void EnableIme(bool enable) override;
  bool RefreshCaption() override;
  uint32_t ModalLoop() override;
  void UpdateBlur() override;
  bool OnCloseQuery() override;
  void OnCreate() override;
  void OnDestroy() override;
  void OnMouseHover() override;
  void OnMouseLeave() override;
  void OnTimer(uint32_t timerId) override;
  bool RouteInput(HWND window, UINT message, WPARAM w, LPARAM l) override;
  LRESULT HandleMessage(HWND window, UINT message, WPARAM w, LPARAM l) override;
  int32_t GetFocusKey() override { return focusKey_; }
  void MoveFocus(int32_t key) override;

 protected:
  bool IsAlive() const { return window_ != nullptr && IsWindow(window_); }
  // Not maximized, and layered or wanting blur: the border band is then part of the window.
  bool ShowsBorder();
  // Calls each element in key order; the tree may not change meanwhile.
  template <typename Action>
  void ForEachElement(Action action) {
    for (auto& entry : elements_) {
      if (entry.second) action(*entry.second);
    }
  }

 private:
  using ElementPtr = std::unique_ptr<ILayer, ReleaseDeleter>;

  void ReleaseResources();
  void RouteMouse(UINT message, WPARAM w, int32_t x, int32_t y, bool* handled);
  // The mouse left the window: the element it was over hears that it left, as when the mouse
  // moves from one element to another, so it does not stay in its hover state.
  void LeaveHoverElement();
  void ApplySizeLimits(WINDOWPOS* position);
  void PlaceCandidateWindow();
  bool LoadFirstContent(int which, const char16_t* content);
  int32_t CreateContent(int which, const char16_t* content, const LayoutRecord& layout);
  bool LoadElementContent(int which, int32_t key, const char16_t* content);
  bool NotifyTray(DWORD action, uint32_t id, uint32_t callbackMessage, UINT flags, HICON icon,
                  const char16_t* tooltip);
  // Shows icon in the entry without making it the entry's own (the blink's phases).
  bool ShowTrayIcon(HICON icon);
  // Switches blur behind the window on or off; true when the library did it.
  bool SetBlurBehind(bool enable);
  void UnloadComposition();

  HIMC savedImeContext_ = nullptr;
  HWND window_ = nullptr;
  HWND owner_ = nullptr;
  HWND trayHostWindow_ = nullptr;
  HMODULE compositionLibrary_ = nullptr;
  std::unique_ptr<IImage> backingImage_;
  std::unique_ptr<IRender, ReleaseDeleter> render_;
  bool releaseGuard_ = true;  // cleared once Destroy has released the resources
  IWindowMap* map_ = nullptr;
  const WindowHandlers* windowHandlers_ = nullptr;
  const ElementHandlers* elementHandlers_ = nullptr;
  IImage* borderImage_ = nullptr;
  int32_t borderWidth_ = 0;
  bool blurActive_ = false;
  bool paintingEnabled_ = true;
  int32_t id_ = 0;
  int32_t userData_ = 0;
  int32_t userData2_ = 0;
  bool grey_ = false;
  bool blurWanted_ = true;
  bool resizable_ = false;
  bool layered_ = false;
  bool modal_ = false;
  bool borderCentre_ = false;
  int32_t modalResult_ = 0;
  int32_t maxWidth_ = -1;
  int32_t maxHeight_ = -1;
  int32_t minWidth_ = 0;
  int32_t minHeight_ = 0;
  bool mouseTracked_ = false;
  uint32_t overlayColor_ = 0x60000000;
  FixedWString<128> caption_;
  FixedWString<512> subCaption_;
  int32_t hoverKey_ = -1;
  int32_t previousHoverKey_ = -1;
  int32_t focusKey_ = -1;
  int32_t previousFocusKey_ = -1;
  int32_t pressedKey_ = -1;
  int32_t highestKey_ = -1;
  std::map<int32_t, ElementPtr> elements_;
  std::vector<ElementPtr> removedElements_;
  bool blinking_ = false;
  bool blinkPhase_ = false;
  HICON blinkIcon_ = nullptr;
  HICON trayIcon_ = nullptr;
  uint32_t blinkTimerId_ = 10001;
  uint32_t trayId_ = 0;
  uint32_t trayCallbackMessage_ = 0;
  std::unique_ptr<CMsgTrayPos> trayTracker_;
};
