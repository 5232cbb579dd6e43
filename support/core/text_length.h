#pragma once

// The number of units before the zero that ends text (UTF-16 or 8-bit); 0 for null.
template <typename Unit>
int TextLength(const Unit* text) {
  int length = 0;
  if (text != nullptr) {
    while (text[length] != 0) ++length;
  }
  return length;
}
