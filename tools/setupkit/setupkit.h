#pragma once

#include <string>
#include <vector>

// The packaging tool's commands. args are the words after the program name. Results go to
// stdout, one-line errors to stderr, both as UTF-8. Returns the exit status: 0 done, 1 failed,
// 2 wrong arguments.
int RunSetupkit(const std::vector<std::u16string>& args);
