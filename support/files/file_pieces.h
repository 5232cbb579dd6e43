#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

// Reads a file from start to end in pieces of 65,536 bytes through one stack buffer, handing each
// to consume, so memory use does not depend on the file's size. False when the file cannot be
// opened or a read fails: the pieces seen then are only part of the file.
bool ReadFileInPieces(const char16_t* path,
                      const std::function<void(const uint8_t* bytes, size_t n)>& consume);
