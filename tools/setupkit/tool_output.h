#pragma once

#include <cstdint>
#include <string>

class XData;

// Exit statuses of the packaging tool.
constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// Prints "setupkit: <message>" on stderr and returns kExitFailed.
int Fail(const std::string& message);
// The UTF-8 form of a path, for messages.
std::string Shown(const std::u16string& path);
// Writes bytes to path; on a failed write removes what was written, so a failure never leaves a
// partial file behind.
bool WriteOutputFile(const std::u16string& path, const uint8_t* bytes, uint32_t n);
// Prints text as UTF-8 on stdout; kExitDone, or kExitFailed (with a message) when it could not
// be written.
int PrintText(const std::u16string& text);
