#pragma once

// True when clientFile, the configured client file, is a regular file below folder: what an
// install must leave there before the product can be registered as usable. A name that would
// lead outside the folder never counts, so a configuration cannot pass the check with a file
// the install did not put there.
bool HasClientFile(const char16_t* folder, const char16_t* clientFile);
