#pragma once

class IClientInfo;

// The folder an install of the product recorded in its product key ("path"), with a backslash
// after it when the value lacks one, into out (kPathCapacity units): where the installed product
// is. False when none is recorded, the value is empty (which would name the root of a drive) or
// it does not fit.
bool ReadInstalledFolder(const IClientInfo& product, char16_t* out);
