#pragma once

class IClientInfo;

// How each of the product's programs begins its run once its product record is known: its log
// is opened ("<app>_<program>.log" in the temporary folder, appended to run after run; each line
// goes to the debugger's output too) and told how the run began, and from then on every question
// the program asks a person is logged with its answer. A silent run has nobody to answer: no box
// is shown, and each question takes the answer that lets the run finish or end cleanly (Yes, or
// OK), logged as assumed.
void BeginRun(const IClientInfo& product, const char16_t* program, bool silent);

// Logs how the run ended and returns exitCode, for the entry point to return.
int EndRun(int exitCode);
