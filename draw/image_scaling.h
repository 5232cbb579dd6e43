#pragma once

#include "draw/image_decoding.h"

// Resampling of decoded pixels (premultiplied 0xAARRGGBB, rows of width x 4 bytes) to another
// size, for skins shown at a DPI their images were not drawn for. The filter is the Catmull-Rom
// cubic (Keys' cubic convolution with a = -0.5), applied along each axis in turn; when an axis
// shrinks, the kernel widens by the same factor, so every source pixel counts and fine patterns
// average out instead of breaking into moire. Premultiplied colour is filtered as it is, so
// transparent pixels lend no colour to their neighbours; the cubic's overshoot is cut to what a
// premultiplied pixel may hold (no channel above its alpha).

// scaled becomes source resampled to width x height; an image of the same size is copied.
// False (scaled empty) for an empty source or a size that is not positive or whose bytes would
// not fit in 31 bits.
bool ScaleImage(const DecodedImage& source, int width, int height, DecodedImage& scaled);

// The same for an image of frames equal frames stacked from the top (rows beyond frames times
// the frame height are left out): each frame is resampled on its own to width x frameHeight,
// so that no frame bleeds into its neighbours, and the frames are stacked again.
bool ScaleFrames(const DecodedImage& source, int frames, int width, int frameHeight,
                 DecodedImage& scaled);
