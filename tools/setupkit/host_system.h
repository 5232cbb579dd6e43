#pragma once

#include <string>
#include <vector>

// What the packaging tool asks of the system it runs on, in one place with one implementation
// per build (host_system_windows.cpp, host_system_native.cpp): its own folder, the environment,
// other programs, a private scratch folder, what a path names and the case of characters in
// names.

// The folder of the running program, ending in its separator; empty when it cannot be told.
std::u16string ToolFolder();

// The value of an environment variable as UTF-8; false when it is not set.
bool ReadEnvironment(const char* name, std::string& value);

// The path of a program found along PATH: on Windows name with ".exe", elsewhere name itself
// when it is executable. Empty when there is none.
std::u16string FindOnPath(const char16_t* name);

// Runs program with arguments (each passed as one argument, whatever it holds), without a
// window, and waits for it. Returns its exit status, or -1 when it could not be started; what it
// printed on either stream is collected in output.
int RunAndWait(const std::u16string& program, const std::vector<std::u16string>& arguments,
               std::string& output);

// A new folder below the temporary folder that only this user can read, for files that must not
// be seen by others (such as a password for another program). Empty when it cannot be made.
std::u16string MakePrivateFolder();

// What a path names, links followed: a file, a folder, or anything else (a device, a pipe, a
// socket); kNothing when nothing is there or it cannot be told. Windows' devices ("NUL", "COM1")
// are no files there, whatever folder they seem to lie in.
enum class PathKind { kNothing, kFile, kFolder, kDevice };
PathKind KindOfPath(const std::u16string& path);

// name as Windows compares file names, ignoring case: each character of the basic plane in its
// simple upper case (one that lowers back to it), surrogates as they are, so that both builds
// take the same names for one. False when the system cannot tell (outside Windows: it has no
// "C.UTF-8" locale).
bool UpperCaseName(const std::u16string& name, std::u16string& upper);
