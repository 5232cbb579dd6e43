#include "support/text/xlocale.h"

#include <clocale>

XLocale::XLocale() {
  if (const char* previous = std::setlocale(LC_ALL, nullptr)) previous_ = previous;
  if (const char* current = std::setlocale(LC_ALL, "chs")) current_ = current;
}

XLocale::~XLocale() = default;
