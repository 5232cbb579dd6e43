#include "startup/run_start.h"

#include <windows.h>

#include <string>

#include "records/client_info.h"
#include "support/core/wide_text.h"
#include "support/files/entry_path.h"
#include "support/system/run_log.h"
#include "support/system/user_question.h"
#include "support/text/path_text.h"
#include "support/text/utf8.h"

namespace {

// Set once, on the main thread, before anything asks.
QuestionFunction askPerson = nullptr;
bool unattended = false;

int UnattendedAnswer(unsigned flags) {
  switch (flags & MB_TYPEMASK) {
    case MB_YESNO:
    case MB_YESNOCANCEL:
      return IDYES;
    case MB_RETRYCANCEL:
    case MB_ABORTRETRYIGNORE:
      return IDCANCEL;
    default:
      return IDOK;
  }
}

const char16_t* AnswerName(int answer) {
  switch (answer) {
    case IDYES:
      return u"Yes";
    case IDNO:
      return u"No";
    case IDCANCEL:
      return u"Cancel";
    default:
      return u"OK";
  }
}

int LoggedQuestion(void* owner, const char16_t* text, const char16_t* caption, unsigned flags) {
  const int answer = unattended ? UnattendedAnswer(flags) : askPerson(owner, text, caption, flags);
  LogLine(u"asked: " + std::u16string(text) + u" | answer: " + AnswerName(answer) +
          (unattended ? u" (assumed: a silent run asks nobody)" : u""));
  return answer;
}

void EchoToDebugger(const std::u16string& text) { OutputDebugStringW(AsWide(text.c_str())); }

}  // namespace

void BeginRun(const IClientInfo& product, const char16_t* program, bool silent) {
  wchar_t temp[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
  // The app's name comes from the configuration: one that would lead elsewhere names no log.
  const std::u16string name = std::u16string(product.GetApp().Units()) + u"_" + program + u".log";
  char16_t path[kPathCapacity];
  if (length != 0 && length <= MAX_PATH && JoinEntryPath(AsUtf16(temp), name.c_str(), path)) {
    OpenRunLog(path);
  }
  SetRunLogEcho(&EchoToDebugger);
  LogLine(std::u16string(program) + u" " + product.GetVersion().Units() + u" of " +
          product.GetName().Units() + u" started" + (silent ? u", silent" : u"") + u": " +
          AsUtf16(GetCommandLineW()));
  unattended = silent;
  askPerson = ReplaceQuestionFunction(&LoggedQuestion);
}

int EndRun(int exitCode) {
  LogLine(u"ended with exit code " + Utf8ToUtf16(std::to_string(exitCode)));
  CloseRunLog();
  return exitCode;
}
