#pragma once

#include <windows.h>

#include <string>

// A real program run with this process as its debugger, which sees every line the program sends
// to the debugger's output (the product's programs send their log's lines there) and can end it
// from outside as it sends one: the program is stopped while the debugger looks at a line, so the
// kill lands exactly there, between the step that line tells of and the next.

struct DebuggedRun {
  DWORD exitCode = 99;  // 99 when it did not end in time
  int lines = 0;        // the lines it sent, the one it was ended at included
};

// The exit code of a program ended at a line.
constexpr DWORD kKilledAtLine = 77;

// Runs program with parameters, hidden, and ends it with kKilledAtLine as it sends line number
// killAt (from 0) to the debugger's output; killAt -1: never. Waits up to limitMs for its end.
DebuggedRun RunKilledAtLine(const std::u16string& program, const std::u16string& parameters,
                            int killAt, DWORD limitMs = 60000);
