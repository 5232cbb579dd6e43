#include "tests/helpers/debugged_program.h"

#include "support/core/handle_windows.h"
#include "support/core/wide_text.h"

DebuggedRun RunKilledAtLine(const std::u16string& program, const std::u16string& parameters,
                            int killAt, DWORD limitMs) {
  DebuggedRun run;
  std::wstring commandLine =
      L"\"" + std::wstring(AsWide(program.c_str())) + L"\" " + AsWide(parameters.c_str());
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION started = {};
  if (!CreateProcessW(AsWide(program.c_str()), commandLine.data(), nullptr, nullptr, FALSE,
                      DEBUG_ONLY_THIS_PROCESS, nullptr, nullptr, &startup, &started)) {
    return run;
  }
  Handle process(started.hProcess);
  Handle thread(started.hThread);
  const ULONGLONG deadline = GetTickCount64() + limitMs;
  bool ended = false;  // by this loop, for taking too long
  for (bool exited = false; !exited;) {
    DEBUG_EVENT event = {};
    const ULONGLONG now = GetTickCount64();
    if (!WaitForDebugEvent(&event, now < deadline ? static_cast<DWORD>(deadline - now) : 5000)) {
      if (ended) break;
      TerminateProcess(process.Get(), 99);
      ended = true;
      continue;
    }
    DWORD continuation = DBG_CONTINUE;
    switch (event.dwDebugEventCode) {
      case CREATE_PROCESS_DEBUG_EVENT:
        CloseHandle(event.u.CreateProcessInfo.hFile);
        break;
      case LOAD_DLL_DEBUG_EVENT:
        CloseHandle(event.u.LoadDll.hFile);
        break;
      case OUTPUT_DEBUG_STRING_EVENT:
        if (run.lines++ == killAt) TerminateProcess(process.Get(), kKilledAtLine);
        break;
      case EXCEPTION_DEBUG_EVENT:
        // The system's breakpoint as the program starts is the debugger's; every other exception
        // is the program's own to handle.
        if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT) {
          continuation = DBG_EXCEPTION_NOT_HANDLED;
        }
        break;
      case EXIT_PROCESS_DEBUG_EVENT:
        run.exitCode = event.u.ExitProcess.dwExitCode;
        exited = true;
        break;
    }
    ContinueDebugEvent(event.dwProcessId, event.dwThreadId, continuation);
  }
  return run;
}
