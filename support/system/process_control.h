#pragma once

#include <cstdint>

#include "support/core/module_handle.h"

// Starting, finding and ending processes.

// Starts a program or opens a document through the shell, shown or hidden. When process is given
// it receives the new process's handle, which the caller closes (CloseHandle).
bool RunProgram(const char16_t* file, const char16_t* parameters, bool show, void** process);

// The folder of a module (null: the running executable), with its trailing backslash, in a
// buffer of 260 units.
bool GetModuleFolder(char16_t* buffer, ModuleHandle module);

// The first running process whose executable name occurs in names (a "|"-separated list of
// executable names, or a full path), ignoring ASCII case; 0 when none does. Only the first 260
// units of names are searched.
uint32_t FindProcess(const char16_t* names);

// The first running process whose executable is the file at path (compared ignoring case),
// among those FindProcess(path) would consider; 0 when none is.
uint32_t FindProcessRunningFrom(const char16_t* path);

bool IsProcessRunning(uint32_t processId);

// Ends a process and, when waitMilliseconds is not 0, waits up to that long for it to be gone.
// True when the process was told to end.
bool KillProcess(uint32_t processId, uint32_t waitMilliseconds);
