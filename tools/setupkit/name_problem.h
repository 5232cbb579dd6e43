#pragma once

#include <string>

// Why name cannot stand as one file or folder name on Windows (IsPlainName), as words that follow
// the name in a message ("holds \":\", which ..."); empty when it can.
std::string NameProblem(const std::u16string& name);
