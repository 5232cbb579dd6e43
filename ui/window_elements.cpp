// The element tree of a window: insertion, removal, focus, layout, painting and the
// notifications its elements raise.
#include "draw/render.h"
#include "ui/element_order.h"
#include "ui/layer.h"
#include "ui/window.h"

#include <cstdio>

namespace {

// Grey turned on the border when the window is disabled.
constexpr uint8_t kEnabledBorderOpacity = 255;
constexpr uint8_t kDisabledBorderOpacity = 198;
constexpr int kClipCopy = RGN_COPY;

// The script a removed element runs so that content of its own lets go of the window.
void TellDestroyed(ILayer& element, int32_t windowId) {
  char16_t script[64];
  char text[64];
  int length = std::snprintf(text, sizeof text, "browser_layer_clear_destroyed(%d);",
                             static_cast<int>(windowId));
  for (int i = 0; i <= length; ++i) script[i] = static_cast<char16_t>(text[i]);
  element.RunScript1(script, 1);
}

}  // namespace

int32_t CWindow::HitTestElements(int32_t x, int32_t y) {
  return TopmostKey(elements_, [x, y](ILayer& element) {
    return element.IsVisible() && element.HitTest(x, y);
  });
}

bool CWindow::SetElementLayout(int32_t key, const LayoutRecord& layout) {
  ILayer* element = FindElement(key);
  if (element == nullptr) return false;
  element->SetLayout(layout);
  RECT content{};
  GetContentRect(&content);
  element->Relayout(content);
  return true;
}

bool CWindow::SetElementFocus(int32_t key, bool focus) {
  if (focus) {
    if (ILayer* previous = FindElement(previousFocusKey_)) {
      previous->OnBlur();
      previousFocusKey_ = -1;
    }
    ILayer* element = FindElement(key);
    if (element == nullptr) return false;
    element->OnFocus();
    return true;
  }
  ILayer* element = FindElement(key);
  if (element == nullptr) return false;
  element->OnBlur();
  return true;
}

void CWindow::MoveFocus(int32_t key) {
  if (key == focusKey_) return;
  if (ILayer* left = FindElement(focusKey_)) left->OnBlur();
  previousFocusKey_ = -1;
  focusKey_ = key;
  if (ILayer* reached = FindElement(key)) reached->OnFocus();
}

ILayer* CWindow::CreateElement(int32_t type) {
  CLayer* element = new CLayer(type);
  element->SetWindowId(id_);
  return element;
}

int32_t CWindow::AddElement(ILayer* element) { return AddElementAt(highestKey_ + 1, element); }

int32_t CWindow::AddElementAt(int32_t key, ILayer* element) {
  // -1 is no element's key: the hover, focus and pressed keys use it for none.
  if (element == nullptr || key == -1 || elements_.count(key) != 0) return -1;
  elements_.emplace(key, ElementPtr(element));
  if (key > highestKey_) highestKey_ = key;
  element->SetId(key);
  element->SetWindowId(id_);
  element->SetOwner(this);
  element->SetBlended(true);
  element->OnAttached();
  if (focusKey_ < key) {
    previousFocusKey_ = focusKey_;
    focusKey_ = key;
    SetElementFocus(key, true);
  }
  SetElementLayout(key, LayoutRecord{});
  return key;
}

ILayer* CWindow::FindElement(int32_t key) {
  return static_cast<const CWindow*>(this)->FindElement(key);
}

ILayer* CWindow::FindElement(int32_t key) const {
  auto entry = elements_.find(key);
  return entry == elements_.end() ? nullptr : entry->second.get();
}

bool CWindow::RemoveElement(int32_t key, bool defer) {
  auto entry = elements_.find(key);
  if (entry == elements_.end()) return false;
  ElementPtr element = std::move(entry->second);
  elements_.erase(entry);
  if (element && defer) {
    TellDestroyed(*element, id_);
    removedElements_.push_back(std::move(element));
  }
  return true;
}

void CWindow::RemoveAllElements(bool defer) {
  std::map<int32_t, ElementPtr> elements = std::move(elements_);
  elements_.clear();
  if (defer && !elements.empty() && elements.begin()->second) {
    TellDestroyed(*elements.begin()->second, id_);
  }
  for (auto& entry : elements) {
    if (defer && entry.second) removedElements_.push_back(std::move(entry.second));
  }
}

void CWindow::PurgeRemovedElements() { removedElements_.clear(); }

void CWindow::RelayoutAll() {
  if (render_) {
    RECT frame{};
    if (GetFrameRect(&frame)) render_->Resize(frame.right - frame.left, frame.bottom - frame.top);
  }
  RECT content{};
  GetContentRect(&content);
  ForEachElement([&content](ILayer& element) { element.Relayout(content); });
  SetAllDirty(true);
  PaintNow();
}

bool CWindow::IsAnyDirty() {
  for (auto& entry : elements_) {
    if (entry.second && entry.second->IsVisible() && entry.second->IsDirty()) return true;
  }
  return false;
}

bool CWindow::AreElementsIdle() {
  for (auto& entry : elements_) {
    if (entry.second && !entry.second->IsIdle()) return false;
  }
  return true;
}

bool CWindow::Paint(HDC dc) {
  if (!paintingEnabled_ || IsMinimized() || !render_ || !IsAnyDirty()) return false;
  IRender* render = render_.get();
  render->Clear();
  if (HasBorder()) DrawBorder(render);
  RECT content{};
  GetContentRect(&content);
  render->PushClip(content, kClipCopy);
  DrawElements(render);
  if (IsGrey()) DrawGrey(render);
  if (!IsEnabled()) DrawDisabledOverlay(render);
  render->ResetClip();
  if (layered_ || (blurWanted_ && !blurActive_)) {
    Present();
  } else if (dc != nullptr) {
    render->Present(dc);
  }
  return true;
}

void CWindow::DrawBorder(IRender* render) {
  if (IsMaximized() || borderWidth_ <= 0 || borderImage_ == nullptr || render == nullptr) return;
  RECT client{};
  if (!IsAlive() || !GetClientRect(window_, &client)) return;
  const uint8_t opacity = IsEnabled() ? kEnabledBorderOpacity : kDisabledBorderOpacity;
  render->DrawImage9(client, borderImage_->GetBitmap(), 0, 0, borderImage_->GetWidth(),
                     borderImage_->GetHeight(), borderWidth_, borderWidth_, borderWidth_,
                     borderWidth_, true, opacity, borderCentre_);
}

void CWindow::DrawElements(IRender* render) {
  ForEachElement([render](ILayer& element) {
    if (element.IsVisible()) element.Draw(render);
  });
}

void CWindow::DrawGrey(IRender* render) {
  if (render != nullptr) render->MakeGray();
}

void CWindow::DrawDisabledOverlay(IRender* render) {
  if (render != nullptr) render->TintImage(overlayColor_, borderWidth_);
}

void CWindow::OnElementPressed(ILayer* element) {
  if (elementHandlers_ != nullptr && elementHandlers_->pressed != nullptr) {
    elementHandlers_->pressed(this, element);
  }
}

void CWindow::OnElementReleased(ILayer* element) {
  if (elementHandlers_ != nullptr && elementHandlers_->released != nullptr) {
    elementHandlers_->released(this, element);
  }
}

void CWindow::OnElementClicked(ILayer* element) {
  if (elementHandlers_ != nullptr && elementHandlers_->clicked != nullptr) {
    elementHandlers_->clicked(this, element);
  }
}

void CWindow::OnElementValueChanged(ILayer* element, const char16_t* text) {
  if (element != nullptr) element->SetValue(text);
  if (elementHandlers_ != nullptr && elementHandlers_->valueChanged != nullptr) {
    elementHandlers_->valueChanged(this, element, text);
  }
}

void CWindow::OnElementTitleChanged(ILayer* element, const char16_t* text) {
  if (element != nullptr) element->SetTitle(text);
  SetSubCaption(text);
  if (elementHandlers_ != nullptr && elementHandlers_->titleChanged != nullptr) {
    elementHandlers_->titleChanged(this, element, text);
  }
}

void CWindow::OnElementLoaded(int32_t value) {
  paintingEnabled_ = true;
  if (!IsShown()) {
    Show(SW_SHOW);
    Present();
  }
  if (elementHandlers_ != nullptr && elementHandlers_->loaded != nullptr) {
    elementHandlers_->loaded(this, value);
  }
}

bool CWindow::LoadFirstContent(int which, const char16_t* content) {
  if (content == nullptr) return false;
  if (elements_.empty()) {
    ILayer* element = CreateElement(kLayerFill);
    if (element == nullptr) return false;
    if (AddElement(element) == -1) {
      element->Release();
      return false;
    }
  }
  const int32_t key = which == 2 ? elements_.begin()->first : 0;
  return LoadElementContent(which, key, content);
}

int32_t CWindow::CreateContent(int which, const char16_t* content, const LayoutRecord& layout) {
  if (content == nullptr) return -1;
  ILayer* element = CreateElement(kLayerFill);
  if (element == nullptr) return -1;
  const int32_t key = AddElement(element);
  if (key == -1) {
    element->Release();
    return -1;
  }
  SetElementLayout(key, layout);
  LoadElementContent(which, key, content);
  return key;
}

bool CWindow::LoadElementContent(int which, int32_t key, const char16_t* content) {
  ILayer* element = FindElement(key);
  if (element == nullptr || content == nullptr) return false;
  // Painting waits until the element reports its content loaded (OnElementLoaded); an element
  // that cannot load it never will, so the window paints on.
  paintingEnabled_ = false;
  bool loading;
  switch (which) {
    case 1:
      loading = element->LoadContent1(content);
      break;
    case 2:
      loading = element->LoadContent2(content);
      break;
    case 3:
      loading = element->LoadContent3(content);
      break;
    default:
      loading = element->LoadContent4(content);
      break;
  }
  if (!loading) paintingEnabled_ = true;
  return loading;
}

bool CWindow::LoadFirstContent1(const char16_t* content) { return LoadFirstContent(1, content); }
bool CWindow::LoadFirstContent2(const char16_t* content) { return LoadFirstContent(2, content); }
bool CWindow::LoadFirstContent3(const char16_t* content) { return LoadFirstContent(3, content); }
bool CWindow::LoadFirstContent4(const char16_t* content) { return LoadFirstContent(4, content); }

int32_t CWindow::CreateContent1(const char16_t* content, const LayoutRecord& layout) {
  return CreateContent(1, content, layout);
}
int32_t CWindow::CreateContent2(const char16_t* content, const LayoutRecord& layout) {
  return CreateContent(2, content, layout);
}
int32_t CWindow::CreateContent3(const char16_t* content, const LayoutRecord& layout) {
  return CreateContent(3, content, layout);
}
int32_t CWindow::CreateContent4(const char16_t* content, const LayoutRecord& layout) {
  return CreateContent(4, content, layout);
}

bool CWindow::LoadElementContent1(int32_t key, const char16_t* content) {
  return LoadElementContent(1, key, content);
}
bool CWindow::LoadElementContent2(int32_t key, const char16_t* content) {
  return LoadElementContent(2, key, content);
}
bool CWindow::LoadElementContent3(int32_t key, const char16_t* content) {
  return LoadElementContent(3, key, content);
}
bool CWindow::LoadElementContent4(int32_t key, const char16_t* content) {
  return LoadElementContent(4, key, content);
}

int32_t CWindow::RunElementScript1(int32_t key, const char16_t* text, int32_t flag) {
  if (!IsAlive()) return 0;
  if (key == -1 && !elements_.empty()) key = elements_.begin()->first;
  ILayer* element = FindElement(key);
  return element != nullptr ? element->RunScript1(text, flag) : 0;
}

int32_t CWindow::RunElementScript2(int32_t key, const char16_t* text, int32_t flag) {
  if (!IsAlive()) return 0;
  if (key == -1 && !elements_.empty()) key = elements_.begin()->first;
  ILayer* element = FindElement(key);
  return element != nullptr ? element->RunScript2(text, flag) : 0;
}
