#pragma once

#include <cstddef>

// The bytes of a width x height image of bytesPerPixel bytes a pixel, rows padded to 4 bytes as
// DIB sections have them. False (and bytes 0) for a size that is not positive or whose bytes
// would not fit in 31 bits, the most GDI and the decoders are given.
bool PixelBufferBytes(int width, int height, int bytesPerPixel, size_t& bytes);
