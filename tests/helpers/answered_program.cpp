#include "tests/helpers/answered_program.h"

#include <gtest/gtest.h>

#include "support/core/handle_windows.h"
#include "support/core/wide_text.h"

namespace {

struct DialogSearch {
  DWORD processId;
  HWND dialog;
};

BOOL CALLBACK FindDialogOf(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<DialogSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  if (owner != search->processId || std::wstring(className) != L"#32770" ||
      !IsWindowVisible(window)) {
    return TRUE;
  }
  search->dialog = window;
  return FALSE;
}

std::u16string WindowText(HWND window) {
  wchar_t text[2048] = {};
  GetWindowTextW(window, text, 2048);
  return AsUtf16(text);
}

struct TitleSearch {
  DWORD processId;
  const std::u16string* title;
  HWND found;
};

BOOL CALLBACK FindTitledWindowOf(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<TitleSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || !IsWindowVisible(window) ||
      WindowText(window) != *search->title) {
    return TRUE;
  }
  search->found = window;
  return FALSE;
}

}  // namespace

HWND FindProcessDialog(DWORD processId) {
  DialogSearch search = {processId, nullptr};
  EnumWindows(FindDialogOf, reinterpret_cast<LPARAM>(&search));
  return search.dialog;
}

// The message's text is the dialog's static control, id 0xFFFF.
std::u16string DialogMessage(HWND dialog) { return WindowText(GetDlgItem(dialog, 0xFFFF)); }

HWND FindProcessWindow(DWORD processId, const std::u16string& title) {
  TitleSearch search = {processId, &title, nullptr};
  EnumWindows(FindTitledWindowOf, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

ProgramRun RunAnswering(const std::u16string& exe, const std::wstring& arguments,
                        std::deque<int> answers, DWORD limitMs,
                        const std::u16string& closeTitle) {
  ProgramRun run;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started = {};
  std::wstring commandLine = L"\"" + std::wstring(AsWide(exe.c_str())) + L"\"" + arguments;
  if (!CreateProcessW(AsWide(exe.c_str()), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &started)) {
    ADD_FAILURE() << "cannot start the program: " << GetLastError();
    return run;
  }
  Handle process(started.hProcess);
  Handle thread(started.hThread);
  HWND answered = nullptr;
  bool closed = closeTitle.empty();
  for (DWORD waited = 0; waited < limitMs; waited += 50) {
    if (WaitForSingleObject(process.Get(), 50) == WAIT_OBJECT_0) {
      run.exited = true;
      GetExitCodeProcess(process.Get(), &run.exitCode);
      return run;
    }
    if (!closed) {
      HWND window = FindProcessWindow(started.dwProcessId, closeTitle);
      if (window != nullptr) closed = PostMessageW(window, WM_CLOSE, 0, 0) != FALSE;
    }
    HWND dialog = FindProcessDialog(started.dwProcessId);
    if (dialog == nullptr || dialog == answered) continue;
    run.questions.push_back({WindowText(dialog), DialogMessage(dialog)});
    int answer = IDOK;
    if (GetDlgItem(dialog, IDYES) != nullptr) {
      answer = answers.empty() ? IDNO : answers.front();
      if (!answers.empty()) answers.pop_front();
    }
    PostMessageW(dialog, WM_COMMAND, answer, 0);
    answered = dialog;
  }
  TerminateProcess(process.Get(), 1);
  WaitForSingleObject(process.Get(), 5000);
  return run;
}

bool CanShowWindows() {
  HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                               nullptr, nullptr);
  if (probe == nullptr) return false;
  DestroyWindow(probe);
  return true;
}
