#pragma once

#include "records/language.h"

// The language table: every key's row, in TextKey order (text_table.cpp).
extern const TextRow kTextTable[kTextKeyCount];
