#pragma once

// The installer's command line carries at most one word: "silent", exactly so and as the first
// argument, asks for an install without the first page. Anything else is ignored.

// arguments[0] is the program; count includes it.
bool IsSilentArguments(int count, const char16_t* const* arguments);

#ifdef _WIN32
// Splits a whole command line as the shell does and applies the rule above.
bool IsSilentCommandLine(const char16_t* commandLine);
#endif
