#pragma once

// Every text the product's programs show a person, one key each, in the order of the language
// table (text_table.cpp). A text may name parts filled in when it is shown ("{name}").
enum class TextKey : int {
  kSwitchesTitle,
  kSwitchRefused,
  kCount,
};

constexpr int kTextKeyCount = static_cast<int>(TextKey::kCount);
