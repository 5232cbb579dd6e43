#include "tests/helpers/scripted_choices.h"

#include "ui/file_dialogs.h"

namespace {

ScriptedChoices* current = nullptr;
constexpr int kFolderPathCapacity = 260;

// Copies the answer's units and a terminating zero, as far as they fit.
void WriteResult(const std::u16string& text, char16_t* out, int capacity) {
  int n = 0;
  for (; n < capacity - 1 && n < static_cast<int>(text.size()); ++n) out[n] = text[n];
  out[n] = 0;
}

}  // namespace

ScriptedChoices::ScriptedChoices(Answer answer) : answer_(std::move(answer)) {
  current = this;
  ReplaceFileChooser(&ScriptedChoices::ChooseFile);
  ReplaceFolderChooser(&ScriptedChoices::ChooseFolder);
}

ScriptedChoices::~ScriptedChoices() {
  ReplaceFileChooser(nullptr);
  ReplaceFolderChooser(nullptr);
  current = nullptr;
}

bool ScriptedChoices::ChooseFile(void* owner, const char16_t* filter, bool allowMultiple,
                                 char16_t* result, int resultCapacity, int* chosenFilter) {
  Offer& offer = current->offer_;
  ++offer.shown;
  offer.owner = owner;
  offer.allowMultiple = allowMultiple;
  offer.filter.clear();
  for (size_t i = 0; !(filter[i] == 0 && i > 0 && filter[i - 1] == 0); ++i) {
    offer.filter += filter[i];
  }
  offer.filter += u'\0';
  if (!current->answer_.chosen) return false;
  WriteResult(current->answer_.result, result, resultCapacity);
  *chosenFilter = current->answer_.filterIndex;
  return true;
}

bool ScriptedChoices::ChooseFolder(void* owner, const char16_t* title, char16_t* path) {
  Offer& offer = current->offer_;
  ++offer.shown;
  offer.owner = owner;
  offer.title = title;
  if (!current->answer_.chosen) return false;
  WriteResult(current->answer_.result, path, kFolderPathCapacity);
  return true;
}
