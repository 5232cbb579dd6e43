#pragma once

#include <string>

// Whether the installer stub image says, in its resource "READS" 1, that it reads a payload whose
// client archive is stored as it is (see kReadsClientInPlace). Stubs made before that form
// existed have no such resource and are given the form they read.
bool StubReadsClientInPlace(const std::string& stub);
// Whether it says so of a client archive written beside it (see kReadsClientBeside).
bool StubReadsClientBeside(const std::string& stub);
