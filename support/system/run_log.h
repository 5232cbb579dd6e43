#pragma once

#include <string>

// What a run did and decided, a line each, appended to a log file: an unattended run leaves no
// other account of itself. One log a process; lines may come from any thread. A run whose log
// cannot be opened goes on without one.

// Opens the log at path for appending (created when missing). False when it cannot be opened.
bool OpenRunLog(const char16_t* path);
void CloseRunLog();
// Appends "yyyy-mm-dd hh:mm:ss text" and a line break, as UTF-8, and flushes it, so that a run
// that is killed keeps what it logged. Nothing when no log is open.
void LogLine(const std::u16string& text);
