#pragma once

#include <deque>
#include <string>
#include <vector>

// Answers the program's questions in a test, in place of a person: each question is recorded and
// gets the next scripted answer (IDNO once the script runs out). Only one may exist at a time.
class ScriptedAnswers {
 public:
  struct Question {
    void* owner;
    std::u16string text;
    std::u16string caption;
    unsigned flags;
  };

  explicit ScriptedAnswers(std::deque<int> answers = {});
  ~ScriptedAnswers();
  ScriptedAnswers(const ScriptedAnswers&) = delete;
  ScriptedAnswers& operator=(const ScriptedAnswers&) = delete;

  const std::vector<Question>& Asked() const { return asked_; }

 private:
  static int Answer(void* owner, const char16_t* text, const char16_t* caption, unsigned flags);

  std::deque<int> answers_;
  std::vector<Question> asked_;
};
