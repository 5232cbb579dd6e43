#pragma once

#include <windows.h>

#include <deque>
#include <string>
#include <vector>

// Runs a real program of the product as a process of its own and answers its message boxes the
// way a person would, seeing what each asked.

struct SeenQuestion {
  std::u16string caption;
  std::u16string text;
};

struct ProgramRun {
  bool exited = false;
  DWORD exitCode = 0;
  std::vector<SeenQuestion> questions;
};

// Starts exe (arguments follow its name on the command line, each with its leading space) and
// answers every message box it shows, noting each: a box with a Yes button gets the next of
// answers (IDYES or IDNO; IDNO once they run out), any other box OK. With closeTitle, the
// program's visible window of that title is asked to close (WM_CLOSE) once it shows. Waits until
// the program exits or limitMs passes (then it is ended).
ProgramRun RunAnswering(const std::u16string& exe, const std::wstring& arguments = L"",
                        std::deque<int> answers = {}, DWORD limitMs = 30000,
                        const std::u16string& closeTitle = u"");

// The visible message box (dialog) of process processId; null when there is none.
HWND FindProcessDialog(DWORD processId);

// The text of a message box's message.
std::u16string DialogMessage(HWND dialog);

// The visible top-level window of process processId titled title; null when there is none.
HWND FindProcessWindow(DWORD processId, const std::u16string& title);

// Message boxes need a display; without one they fail at once, and a question could be neither
// seen nor answered.
bool CanShowWindows();
