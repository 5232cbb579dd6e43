#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "records/language.h"

// The language of this run: chosen once, at start-up, before any thread starts; Chinese until
// then. Every text a program shows is read through Text.
void UseLanguage(Language language);
const Language& CurrentLanguage();

// A part of a text filled in when it is shown: "{name}" becomes value.
struct TextPart {
  std::u16string_view name;
  std::u16string_view value;
};

// The text of key in the run's language, with each of parts filled in where the text names it.
std::u16string Text(TextKey key, std::initializer_list<TextPart> parts = {});
