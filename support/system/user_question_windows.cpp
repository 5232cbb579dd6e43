#include "support/system/user_question.h"

#include <windows.h>

#include <atomic>

#include "support/core/wide_text.h"

namespace {

int ShowMessageBox(void* owner, const char16_t* text, const char16_t* caption, unsigned flags) {
  return MessageBoxW(static_cast<HWND>(owner), AsWide(text), AsWide(caption), flags);
}

// Questions may be asked from the install worker as well as the window's thread.
std::atomic<QuestionFunction> currentFunction{ShowMessageBox};

}  // namespace

int AskUser(void* owner, const char16_t* text, const char16_t* caption, unsigned flags) {
  return currentFunction.load()(owner, text, caption, flags);
}

QuestionFunction ReplaceQuestionFunction(QuestionFunction replacement) {
  return currentFunction.exchange(replacement != nullptr ? replacement : ShowMessageBox);
}
