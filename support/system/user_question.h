#pragma once

// Every message box the program shows a person goes through AskUser, so that tests can answer
// in its place and see exactly what was asked. flags and the result are those of MessageBoxW
// (MB_YESNO, IDYES, ...); owner is a window handle or null.
using QuestionFunction = int (*)(void* owner, const char16_t* text, const char16_t* caption,
                                 unsigned flags);

int AskUser(void* owner, const char16_t* text, const char16_t* caption, unsigned flags);

// Puts replacement in place of the message box (null restores it) and returns the function that
// was in force.
QuestionFunction ReplaceQuestionFunction(QuestionFunction replacement);
