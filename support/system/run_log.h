#pragma once

#include <string>

// What a run did and decided, a line each, appended to a log file: an unattended run leaves no
// other account of itself. One log a process; lines may come from any thread. A run whose log
// cannot be opened goes on without one.

// Opens the log at path for appending (created when missing). False when it cannot be opened.
bool OpenRunLog(const char16_t* path);
void CloseRunLog();
// The path of the open log; empty when none is open. A process the run starts to finish its work
// is handed it, so that the run keeps one account.
std::u16string RunLogPath();
// Appends "yyyy-mm-dd hh:mm:ss text" and a line break, as UTF-8, and flushes it, so that a run
// that is killed keeps what it logged. Nothing when no log is open.
void LogLine(const std::u16string& text);
// Hands every later line's text, one at a time, also to echo (null: to nothing), whether or not a
// log is open: the programs pass their lines to the debugger's output, where a debugger follows a
// run live, line by line, and may stop it at any of them.
void SetRunLogEcho(void (*echo)(const std::u16string& text));
