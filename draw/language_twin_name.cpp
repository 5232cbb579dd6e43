#include "draw/language_twin_name.h"

#include "draw/dpi_scale.h"

std::vector<std::u16string> LanguageTwinNames(const std::u16string& name, std::string_view code) {
  size_t start = 0;
  size_t dot = 0;
  NameParts(name, &start, &dot);
  std::vector<std::u16string> names;
  auto add = [&](std::string_view part) {
    std::u16string twin = name.substr(0, dot) + u'.';
    for (char c : part) twin += static_cast<char16_t>(static_cast<unsigned char>(c));
    names.push_back(twin + name.substr(dot));
  };
  const std::string_view primary = code.substr(0, code.find('-'));
  if (!code.empty()) add(code);
  if (!primary.empty() && primary != code) add(primary);
  return names;
}
