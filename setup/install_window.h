#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <vector>

#include "draw/dpi_scale.h"
#include "draw/image.h"
#include "draw/theme.h"
#include "install/install_flow.h"
#include "install/windows_install_edge.h"
#include "setup/install_elements.h"
#include "setup/install_page.h"
#include "ui/accessible_content.h"
#include "ui/direct_ui.h"
#include "ui/element_accessible.h"

class CFocusRingUI;
class CInstallPackage;
struct DecodedImage;
struct RunSwitches;

// The installer's window: a borderless 600 x 400 window drawn from the skin, showing the first
// page (folder, agreement, start button), the progress page and the finish page as the install
// flow's view says. The flow decides everything; the window draws the flow's view on its own
// thread and turns clicks into the flow's commands. The install worker never touches an element:
// it tells the window that the view changed, and the window takes a copy of the view.
//
// It takes the keyboard as a dialog of standard controls does (Tab, Space, Enter, Esc, with a
// focus ring), describes its elements to screen readers (an accessible object, and events for
// what changes), and is drawn for the DPI of the monitor it is on, again when that changes.
class CInstallWnd : public CDirectUI, private IAccessibleContent {
 public:
  // package is what the installer carries, read at start-up; it outlives the window. switches
  // are the command line's: silent or not, the folder, the desktop shortcut, the close.
  CInstallWnd(CInstallPackage& package, const RunSwitches& switches);
  // The flow goes first, stopping a running install.
  ~CInstallWnd() override;

  // How the process ends: what the flow closed the window with; otherwise kExitCancelled for a
  // window closed before it installed, 0 after, or 1 for a silent install that never finished.
  int ExitCode() const { return exitCode_; }
  // The DPI the window is drawn for: its sizes are the layout's, in 96-DPI units, scaled to it.
  int Dpi() const { return dpi_; }
  // What the run lets go of just before it starts the client (see CWindowsInstallEdge).
  void SetBeforeLaunch(std::function<void()> step) { edge_.SetBeforeLaunch(std::move(step)); }

  // Proposes the folder, builds the elements, runs the version check and, for a silent install,
  // starts it.
  void OnCreate() override;
  bool OnMenuCommand(int32_t id) override;
  // Not while files are being written, unless the install was cancelled or the flow closed.
  bool OnCloseQuery() override;
  // Stops a running install before the window goes.
  void OnDestroy() override;
  // Takes the view the flow posted, stops a running install when the session ends, and passes
  // everything else on.
  LRESULT HandleMessage(HWND window, UINT message, WPARAM w, LPARAM l) override;

 private:
  // The flow's observer. The worker calls it too, so it reaches the window only by posting
  // messages to it; Close comes on the window's thread.
  class FlowObserver : public IInstallObserver {
   public:
    explicit FlowObserver(CInstallWnd* window) : window_(window) {}
    void Attach(HWND handle) { handle_ = handle; }
    // The view message is posted once until the window has taken the view.
    void ViewTaken() { viewPosted_ = false; }

    void OnViewChanged() override;
    void PostCommand(int id) override;
    void Close(int exitCode) override;

   private:
    CInstallWnd* window_;
    std::atomic<HWND> handle_{nullptr};
    std::atomic<bool> viewPosted_{false};
  };

  // A width and height in 96-DPI units.
  struct SkinSize {
    int32_t width = 0;
    int32_t height = 0;
  };

  // The skin image name, decoded: from the payload when there is one, else the executable's own.
  bool ReadSkinImage(const std::u16string& name, DecodedImage& image);
  // The image called name in the run's language: its language twin from the payload when there
  // is one (language_twin_name.h), else name itself as ReadSkinImage reads it. shown receives
  // the name read.
  bool ReadLanguageSkinImage(const std::u16string& name, DecodedImage& image,
                             std::u16string& shown);
  void LoadTheme();
  void CreateElements();
  // One row of the element table, without what depends on the DPI; its key, or -1 when it could
  // not be made.
  int32_t CreateElement(const ElementRow& row);

  // What depends on the DPI (install_window_dpi.cpp).

  // The border, every element's images, insets, font and layout, and the focus ring, for dpi_.
  void ApplyDpi();
  // The element of role's images, insets, font and layout for dpi_: its row's, in 96-DPI units,
  // scaled; an element placed after another's size (the agreement row) comes after it.
  void ApplyLook(ElementRole role);
  // image becomes the skin image name (of frames stacked frames) as shown at dpi_, from its
  // larger twin where that serves better; the 96-DPI size, or 0 x 0 when there is no image.
  SkinSize LoadShownImage(CImage& image, const char16_t* name, int32_t frames);
  // The default border scaled to dpi_, with its width.
  void ScaleBorder();
  // The window moved to a monitor of another DPI: everything is drawn again for dpi, in the
  // window rectangle the system proposes.
  void OnDpiChanged(int dpi, const RECT& proposed);

  // The keyboard and the focus (install_window_keyboard.cpp).

  // The focus ring, the focus on the start button; after the elements are made.
  void SetUpFocus();
  // A key press the window acts on (Tab, Space, Enter, Esc); false for the others.
  bool OnKey(WPARAM key, LPARAM flags);
  // Gives the focus to the element of key (-1: none), shows the ring around it when it takes
  // keys, and tells screen readers.
  void FocusKey(int32_t key);
  void FocusRole(ElementRole role);
  // After a press moved the focus: a label hands it to its control, and the ring follows.
  void FollowFocus();
  // After the view was applied: a page that shows gives its default button the focus, an
  // element that hides loses it, and screen readers hear what changed.
  void FollowView(const InstallView& view);
  // The role of the element of key; false when it is none of the table's.
  bool RoleOfKey(int32_t key, ElementRole* role) const;

  // Screen readers (install_window_accessible.cpp).

  // The elements screen readers are told of, in key order: those of the table that exist and are
  // not decoration.
  void ListAccessibleElements();
  std::vector<AccessibleItem> AccessibleItems() override;
  int32_t FocusedItem() override;
  bool FocusItem(int32_t item) override;
  bool ActivateItem(int32_t item) override;
  // Tells screen readers what changed since they were last told.
  void AnnounceAccessibleChanges();
  // The folder box's text becomes the folder to install into; then the flow starts.
  void StartInstall();
  // The flow's view changed: shown now, or once the frame interval since the last is over.
  void ShowProgress();
  // Takes the flow's view and shows it.
  void TakeView();
  // Brings the elements to view: pages, texts and the progress bar.
  void ApplyView(const InstallView& view);
  template <int N>
  void ShowText(ElementRole role, const FixedWString<N>& shown, const FixedWString<N>& wanted);
  void FinishInstall();
  // The start button becomes the finish button.
  void ShowFinishPage();
  // The element of role's text, for a text element or the folder box; null for others.
  const char16_t* TextOf(ElementRole role) const;
  // The folder browser; a chosen folder becomes the install folder, shown in the folder box.
  void ChooseInstallFolder();
  void ToggleAgreement();
  // The close button: while installing, only when the user confirms, and then the worker stops;
  // with /NOCANCEL not at all while installing.
  void AskToClose();
  // Closes the window whatever the state.
  void CloseNow();
  void OnFlowClosed(int exitCode);

  ILayer* Element(ElementRole role) const;
  template <typename Control>
  Control* ControlOf(ElementRole role) const {
    return dynamic_cast<Control*>(Element(role));
  }

  CInstallPackage& package_;
  const bool silent_;
  const bool cancelable_;      // the close cancels an install (no /NOCANCEL)
  FixedWString<1024> folder_;  // /DIR's folder; empty: the flow's proposal
  int exitCode_;
  bool closing_ = false;
  bool askingToClose_ = false;         // the close button's question is open
  bool completedWhileAsking_ = false;  // the install completed while it was
  CTheme theme_;
  HICON icon_ = nullptr;
  FlowObserver observer_{this};
  CWindowsInstallEdge edge_;  // before the flow, which stops the worker it runs
  CInstallFlow flow_;
  InstallView shownView_;  // the view the elements show
  DWORD viewShownAt_ = 0;   // tick count when the view was last taken
  bool viewTimerSet_ = false;
  int32_t keys_[kElementRoleCount];  // by role; -1 for elements not made

  int dpi_ = kDefaultDpi;
  CImage border_;                    // the default border at dpi_, when that is not 96
  SkinSize skinSizes_[kElementRoleCount];  // by role: the 96-DPI size of its main image
  bool finishButton_ = false;        // the start button shows the finish button's image
  int32_t ringKey_ = -1;
  InstallPage shownPage_ = InstallPage::kFirst;
  int32_t announcedFocusKey_ = -1;  // the focus screen readers were last told of
  std::unique_ptr<CElementAccessible, ReleaseDeleter> accessible_;
  std::vector<ElementRole> accessibleRoles_;  // item i is the element of accessibleRoles_[i]
  std::vector<AccessibleItem> announced_;     // the items as screen readers were last told
};
