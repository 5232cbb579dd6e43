#pragma once

#include <string>
#include <vector>

class CProductLock;
class IClientInfo;
struct RunSwitches;

// How each of the product's programs begins its run once its product record is known: its log
// is opened (the file /LOG names, else "<app>_<program>.log" in the temporary folder; appended to
// run after run; each line goes to the debugger's output too) and told how the run began, and
// from then on every question the program asks a person is logged with its answer. An
// unattended run has nobody to answer: no box is shown, and each question takes the answer that
// lets the run finish or end cleanly (Yes, or OK), logged as assumed. startLines, what start-up
// noted before the log was open (the language chosen), follow the first line.
void BeginRun(const IClientInfo& product, const char16_t* program, const RunSwitches& switches,
              const std::vector<std::u16string>& startLines = {});

// What comes after BeginRun, before the program's own work: /? or /HELP shows the switches of
// accepted (an unattended run only logs them) and ends with 0; an argument not taken is logged
// and, unless unattended, told with the switches, and ends with kExitBadCommandLine; then the
// product's lock is taken into lock, and when another run holds it that is logged and the run
// ends with kExitAnotherRunGoing. Returns whether the run goes on; if not, *exitCode says how
// it ends.
bool ClearToRun(const IClientInfo& product, const RunSwitches& switches, unsigned accepted,
                CProductLock& lock, int* exitCode);

// Logs how the run ended and returns exitCode, for the entry point to return.
int EndRun(int exitCode);
