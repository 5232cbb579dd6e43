#include "ui/window_caption.h"

FixedWString<1024> ComposeWindowText(const char16_t* caption, const char16_t* subCaption) {
  const bool hasCaption = caption != nullptr && caption[0] != 0;
  const bool hasSubCaption = subCaption != nullptr && subCaption[0] != 0;
  FixedWString<1024> text;
  if (hasCaption) text.Append(caption);
  if (hasCaption && hasSubCaption) text.Append(u" - ");
  if (hasSubCaption) text.Append(subCaption);
  return text;
}
