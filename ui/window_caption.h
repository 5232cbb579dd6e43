#pragma once

#include "support/core/fixed_wstring.h"

// The text a window shows to the task bar: the caption and the sub-caption joined by " - ",
// whichever of them is not empty alone, or "" when both are.
FixedWString<1024> ComposeWindowText(const char16_t* caption, const char16_t* subCaption);
