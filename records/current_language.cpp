#include "records/current_language.h"

namespace {

Language& Current() {
  static Language current = ChineseLanguage();
  return current;
}

}  // namespace

void UseLanguage(Language language) { Current() = std::move(language); }

const Language& CurrentLanguage() { return Current(); }

std::u16string Text(TextKey key, std::initializer_list<TextPart> parts) {
  const std::u16string& text = CurrentLanguage().texts[static_cast<int>(key)];
  std::u16string shown;
  size_t from = 0;
  // One pass, so that a value holding braces (a file's name) is shown as it is.
  for (size_t open = text.find(u'{'); open != std::u16string::npos; open = text.find(u'{', from)) {
    const size_t close = text.find(u'}', open);
    if (close == std::u16string::npos) break;
    const std::u16string_view name(text.data() + open + 1, close - open - 1);
    const TextPart* part = nullptr;
    for (const TextPart& candidate : parts) {
      if (candidate.name == name) part = &candidate;
    }
    shown.append(text, from, open - from);
    if (part != nullptr) {
      shown.append(part->value);
    } else {
      shown.append(text, open, close + 1 - open);
    }
    from = close + 1;
  }
  return shown.append(text, from, std::u16string::npos);
}
