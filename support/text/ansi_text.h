#pragma once

// Converts n UTF-16 units (-1: through the terminator) to the code page the file APIs use (ANSI,
// or OEM when the process switched them). With a null out it returns the bytes needed. Returns
// the byte count, 0 on failure.
int WideToAnsi(const char16_t* text, int n, char* out, int outCapacity);
