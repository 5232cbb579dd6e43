#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

// Writing bytes whole through the system's write call, which may take fewer bytes than it is
// given, and saying why it could not in the system's own error code.

// One call of the system's write: takes up to n bytes and sets *written to how many it wrote;
// false when it failed, with the system's code in *error (0 when it gave none).
using WriteCall =
    std::function<bool(const uint8_t* bytes, uint32_t n, uint32_t* written, uint32_t* error)>;

// The most bytes one WriteCall is given.
constexpr uint32_t kLargestWriteCall = 1u << 30;

// Writes count bytes through write, in calls of at most kLargestWriteCall bytes, up to the first
// call that fails or writes fewer bytes than it was given. Returns 0 when every byte was written,
// otherwise that call's error or, when it gave none, diskFull: a write the system cut short
// without a reason of its own found no more room (a full disk shows so, and "Success" would be
// told otherwise).
uint32_t WriteWhole(const WriteCall& write, const uint8_t* bytes, size_t count, uint32_t diskFull);
