#pragma once

#include <windows.h>
#include <oleacc.h>

#include <vector>

#include "ui/accessible_content.h"

// The accessible object (MSAA IAccessible) of a window whose elements are drawn rather than
// controls of the system: the window's client area, with one simple child (child id i + 1) for
// each item of the window's content. Screen readers reach it through WM_GETOBJECT, which the
// window answers with AnswerGetObject; they may hold it from other processes past the window's
// end, so the window disconnects it when it goes, and it then answers every question with
// CO_E_OBJNOTCONNECTED. It lives on the window's thread, which serves the calls of other
// processes through its message loop.
class CElementAccessible final : public IAccessible {
 public:
  // The object holds one reference, the caller's; content outlives it or disconnects it first.
  CElementAccessible(HWND window, IAccessibleContent* content);
  CElementAccessible(const CElementAccessible&) = delete;
  CElementAccessible& operator=(const CElementAccessible&) = delete;

  // The answer to WM_GETOBJECT for the client area (OBJID_CLIENT); other objects are the
  // default window procedure's.
  LRESULT AnswerGetObject(WPARAM w);
  // Forgets the window and its content and drops the references other processes hold.
  void Disconnect();

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IDispatch: no type information; clients call IAccessible directly.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                   EXCEPINFO*, UINT*) override;
  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override;
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override;
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override;
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                        VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override;
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override;
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

 private:
  ~CElementAccessible() = default;

  // What a question about child is about: the object itself, one of the items, or nothing the
  // object knows (the result to give then).
  struct Subject {
    HRESULT problem = S_OK;
    bool self = false;
    int32_t item = -1;
    std::vector<AccessibleItem> items;
  };
  Subject SubjectOf(const VARIANT& child);

  LONG references_ = 1;
  HWND window_;
  IAccessibleContent* content_;
};

// Tells screen readers what changed among the window's items (the changes AccessibleChanges
// found), and, with AnnounceFocus, that item has taken the keyboard focus.
void AnnounceChanges(HWND window, const std::vector<AccessibleEvent>& events);
void AnnounceFocus(HWND window, int32_t item);
