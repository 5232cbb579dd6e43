#pragma once

#include <filesystem>
#include <string>

// The folder of the running test program, where the helper programs are built.
std::filesystem::path TestProgramFolder();

// Writes bytes as resource (type, id) of an executable, language 2052; true when committed.
bool PutResource(const std::u16string& exe, const char16_t* type, int id, const std::string& bytes);
