#include "startup/command_line.h"

#include <string_view>

bool IsSilentArguments(int count, const char16_t* const* arguments) {
  return arguments != nullptr && count >= 2 && arguments[1] != nullptr &&
         std::u16string_view(arguments[1]) == u"silent";
}
