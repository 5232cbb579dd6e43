#pragma once

#include <windows.h>

#include <filesystem>
#include <functional>
#include <string>

// A real program ended from outside with TerminateProcess, as a task manager or a deployment
// tool's time-out ends it, as soon as the test sees on the disk that the program has come to a
// point: it is cut off wherever it is then, in the middle of a write, with its handles open.

// The exit code of a program ended by RunKilledWhen.
constexpr DWORD kKilledFromOutside = 77;

// Runs program with parameters, hidden, asks due() again and again while it runs, and ends it
// with kKilledFromOutside once due() holds. Its exit code; 99 when it did not end within limitMs.
DWORD RunKilledWhen(const std::u16string& program, const std::u16string& parameters,
                    const std::function<bool()>& due, DWORD limitMs = 60000);

// How many names below folder, at any depth, end with suffix (with an empty one: every file and
// folder); 0 when there is no folder. It may be asked while a program changes the folder.
int CountNamesEndingWith(const std::filesystem::path& folder, const std::u16string& suffix);
