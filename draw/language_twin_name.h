#pragma once

#include <string>
#include <string_view>
#include <vector>

// A skin image may have a twin for each language, for the texts drawn into it: "btn_start.en.png"
// beside "btn_start.png" is shown instead of it when the run speaks English.

// The names of the twins of the image called name for the language code, best first: the whole
// code, then its primary part ("btn_start.en-GB.png", then "btn_start.en.png" for "en-GB"); none
// for an empty code.
std::vector<std::u16string> LanguageTwinNames(const std::u16string& name, std::string_view code);
