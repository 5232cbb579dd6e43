#pragma once

#include <string>

// Chooses in the file and folder dialogs in a test, in place of a person: each dialog records
// what it offered and gets the scripted answer. Only one may exist at a time.
class ScriptedChoices {
 public:
  // What the dialogs are answered: chosen or cancelled, and the result (for the file dialog the
  // whole result, folder and names each zero-terminated) with the filter index in force.
  struct Answer {
    bool chosen = false;
    std::u16string result;
    int filterIndex = 1;
  };
  // What the last dialog offered.
  struct Offer {
    int shown = 0;
    void* owner = nullptr;
    std::u16string filter;  // with its zeros, through the final double zero
    bool allowMultiple = false;
    std::u16string title;
  };

  explicit ScriptedChoices(Answer answer);
  ~ScriptedChoices();
  ScriptedChoices(const ScriptedChoices&) = delete;
  ScriptedChoices& operator=(const ScriptedChoices&) = delete;

  const Offer& Offered() const { return offer_; }

 private:
  static bool ChooseFile(void* owner, const char16_t* filter, bool allowMultiple,
                         char16_t* result, int resultCapacity, int* chosenFilter);
  static bool ChooseFolder(void* owner, const char16_t* title, char16_t* path);

  Answer answer_;
  Offer offer_;
};
