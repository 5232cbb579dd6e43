#pragma once

#include <windows.h>
#include <oleacc.h>

// The VARIANT that names child id of an accessible object (CHILDID_SELF the object itself), as
// IAccessible's questions take it.
inline VARIANT AccessibleChild(long id) {
  VARIANT child;
  VariantInit(&child);
  child.vt = VT_I4;
  child.lVal = id;
  return child;
}
