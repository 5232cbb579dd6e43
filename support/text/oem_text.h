#pragma once

// Decodes n bytes of 8-bit text in the OEM code page (the code page of names in zip archives
// made by Windows tools) into out, zero-terminated. False, with out empty, when the bytes are
// not valid in that code page or the text does not fit capacity units with its terminator.
// Outside Windows there is no OEM code page: the bytes are taken as UTF-8, which is what tools
// there write.
bool OemToUtf16(const char* bytes, int n, char16_t* out, int capacity);
