#pragma once

#include <cstdio>

#include "support/pe/resource_update.h"

// Writes image to out from out's start, its gap's bytes copied from gapSource (read from where
// it stands) a piece at a time, so that memory does not grow with them; the checksum is summed as
// the bytes go and put in its field at the end. False when gapSource runs short or fails (see
// std::ferror and std::feof on it) or out cannot be written; out's bytes are undefined then.
bool WriteRebuiltImage(const RebuiltImage& image, std::FILE* gapSource, std::FILE* out);
