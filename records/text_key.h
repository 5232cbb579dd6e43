#pragma once

// Every text the product's programs show a person, one key each, in the order of the language
// table (text_table.cpp). A text may name parts filled in when it is shown ("{name}").
enum class TextKey : int {
  // The command line's switches (startup/)
  kSwitchesTitle,
  kSwitchRefused,
  // language
  kSwitchLanguageHelp,

  // The install window and its page (setup/, ui/)

  // The install: its checks, progress and outcome (install/)

  // What acts on the installed product (product/)

  // The uninstaller (uninstaller/)

  // The updater (updater/)

  kCount,
};

constexpr int kTextKeyCount = static_cast<int>(TextKey::kCount);
