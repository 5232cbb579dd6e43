#pragma once

#include <string>

// setupkit pack IN OUT: OUT is IN's bytes in the packed container.
int PackCommand(const std::u16string& in, const std::u16string& out);
// setupkit unpack IN OUT: the inverse; bytes without the container's marker are copied as they
// are. A damaged container is refused and OUT is not created.
int UnpackCommand(const std::u16string& in, const std::u16string& out);
