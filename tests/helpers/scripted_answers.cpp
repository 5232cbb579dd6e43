#include "tests/helpers/scripted_answers.h"

#include <windows.h>

#include <mutex>

#include "support/system/user_question.h"

namespace {

ScriptedAnswers* current = nullptr;
std::mutex currentMutex;

}  // namespace

ScriptedAnswers::ScriptedAnswers(std::deque<int> answers) : answers_(std::move(answers)) {
  std::lock_guard<std::mutex> lock(currentMutex);
  current = this;
  ReplaceQuestionFunction(&ScriptedAnswers::Answer);
}

ScriptedAnswers::~ScriptedAnswers() {
  std::lock_guard<std::mutex> lock(currentMutex);
  ReplaceQuestionFunction(nullptr);
  current = nullptr;
}

int ScriptedAnswers::Answer(void* owner, const char16_t* text, const char16_t* caption,
                            unsigned flags) {
  std::lock_guard<std::mutex> lock(currentMutex);
  current->asked_.push_back({owner, text != nullptr ? text : u"",
                             caption != nullptr ? caption : u"", flags});
  if (current->answers_.empty()) return IDNO;
  int answer = current->answers_.front();
  current->answers_.pop_front();
  return answer;
}
