#include "startup/run_start.h"

#include <windows.h>

#include <string>

#include "install/exit_codes.h"
#include "records/client_info.h"
#include "records/current_language.h"
#include "startup/command_line.h"
#include "startup/product_lock_windows.h"
#include "startup/switch_texts.h"
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

// "<app>_<program>.log" in the temporary folder; false when it cannot be opened.
bool OpenTempLog(const IClientInfo& product, const char16_t* program) {
  wchar_t temp[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
  // The app's name comes from the configuration: one that would lead elsewhere names no log.
  const std::u16string name = std::u16string(product.GetApp().Units()) + u"_" + program + u".log";
  char16_t path[kPathCapacity];
  return length != 0 && length <= MAX_PATH && JoinEntryPath(AsUtf16(temp), name.c_str(), path) &&
         OpenRunLog(path);
}

}  // namespace

void BeginRun(const IClientInfo& product, const char16_t* program, const RunSwitches& switches,
              const std::vector<std::u16string>& startLines) {
  // The deployer's log alone: one account of the run, where the deployment tool collects it.
  // One that cannot be opened leaves the run its usual log, which says so.
  const bool ownLog = switches.Has(kSwitchLog) && OpenRunLog(switches.log.c_str());
  if (!ownLog) OpenTempLog(product, program);
  SetRunLogEcho(&EchoToDebugger);
  if (switches.Has(kSwitchLog) && !ownLog) LogLine(u"the log cannot be opened: " + switches.log);
  const bool silent = switches.Unattended();
  LogLine(std::u16string(program) + u" " + product.GetVersion().Units() + u" of " +
          product.GetName().Units() + u" started" + (silent ? u", silent" : u"") + u": " +
          AsUtf16(GetCommandLineW()));
  for (const std::u16string& line : startLines) LogLine(line);
  unattended = silent;
  askPerson = ReplaceQuestionFunction(&LoggedQuestion);
}

bool ClearToRun(const IClientInfo& product, const RunSwitches& switches, unsigned accepted,
                CProductLock& lock, int* exitCode) {
  if (!switches.refused.empty()) {
    // Asked as every question is: logged, and shown unless the run is unattended.
    const std::u16string text = RefusedSwitchText(switches.refused, accepted);
    AskUser(nullptr, text.c_str(), Text(TextKey::kInstallCaption).c_str(), MB_OK | MB_ICONERROR);
    *exitCode = kExitBadCommandLine;
    return false;
  }
  if (switches.Has(kSwitchHelp)) {
    const std::u16string text = SwitchHelpText(accepted);
    AskUser(nullptr, text.c_str(), Text(TextKey::kInstallCaption).c_str(),
            MB_OK | MB_ICONINFORMATION);
    *exitCode = 0;
    return false;
  }
  if (!lock.Take(product)) {
    LogLine(u"another run of " + std::u16string(product.GetName().Units()) +
            u"'s programs holds its lock: nothing done");
    *exitCode = kExitAnotherRunGoing;
    return false;
  }
  return true;
}

int EndRun(int exitCode) {
  LogLine(u"ended with exit code " + Utf8ToUtf16(std::to_string(exitCode)));
  CloseRunLog();
  return exitCode;
}
