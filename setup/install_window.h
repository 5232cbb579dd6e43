#pragma once

#include <windows.h>

#include <atomic>

#include "draw/theme.h"
#include "install/install_flow.h"
#include "install/windows_install_edge.h"
#include "setup/install_elements.h"
#include "ui/direct_ui.h"

class CImage;
class CInstallPackage;

// The installer's window: a borderless 600 x 400 window drawn from the skin, showing the first
// page (folder, agreement, start button), the progress page and the finish page as the install
// flow's view says. The flow decides everything; the window draws the flow's view on its own
// thread and turns clicks into the flow's commands. The install worker never touches an element:
// it tells the window that the view changed, and the window takes a copy of the view.
class CInstallWnd : public CDirectUI {
 public:
  // package is what the installer carries, read at start-up; it outlives the window.
  CInstallWnd(CInstallPackage& package, bool silent);
  // The flow goes first, stopping a running install.
  ~CInstallWnd() override;

  // How the process ends: what the flow closed the window with; otherwise 0, or 1 for a silent
  // install that never finished.
  int ExitCode() const { return exitCode_; }

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

  // The skin image name: from the payload when there is one, else the executable's own.
  bool LoadSkinImage(CImage& image, const char16_t* name);
  void LoadTheme();
  void CreateElements();
  // One row of the element table; its key, or -1 when it could not be made.
  int32_t CreateElement(const ElementRow& row);
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
  // The folder browser; a chosen folder becomes the install folder, shown in the folder box.
  void ChooseInstallFolder();
  void ToggleAgreement();
  // The close button: while installing, only when the user confirms, and then the worker stops.
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
};
