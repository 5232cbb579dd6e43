#pragma once

#include <utility>

#include "records/current_language.h"

// The test's process speaks language while this lives, then the language it spoke before: for
// tests that hold a language's texts as they are, whatever the run's UI language.
class HeldLanguage {
 public:
  explicit HeldLanguage(Language language) : before_(CurrentLanguage()) {
    UseLanguage(std::move(language));
  }
  ~HeldLanguage() { UseLanguage(before_); }
  HeldLanguage(const HeldLanguage&) = delete;
  HeldLanguage& operator=(const HeldLanguage&) = delete;

 private:
  Language before_;
};
