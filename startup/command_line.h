#pragma once

#include <string>
#include <vector>

// The switches the product's programs take, as deployment tools pass them: each a bit of
// RunSwitches::given. Names are read without regard to case, in any order.
enum Switch : unsigned {
  kSwitchSilent = 1u << 0,      // "silent" or /SILENT: nobody is asked; setup.exe shows progress
  kSwitchVerySilent = 1u << 1,  // /VERYSILENT: nobody is asked and no window shows
  kSwitchLog = 1u << 2,         // /LOG=FILE: the run's log goes to FILE
  kSwitchFolder = 1u << 3,      // /DIR=FOLDER: the install folder, as typed into the window
  kSwitchNoIcons = 1u << 4,     // /NOICONS: no desktop shortcut
  kSwitchNoCancel = 1u << 5,    // /NOCANCEL: the window's close does not cancel an install
  kSwitchNoRestart = 1u << 6,   // /NORESTART: taken; the programs never restart the machine
  kSwitchHelp = 1u << 7,        // /? or /HELP: the switches are shown, nothing else is done
  kSwitchLanguage = 1u << 8,    // /LANG=CODE: the run speaks that language, when it has it
};

// What each program takes; any other switch is refused.
constexpr unsigned kSetupSwitches = kSwitchSilent | kSwitchVerySilent | kSwitchLog | kSwitchFolder |
                                    kSwitchNoIcons | kSwitchNoCancel | kSwitchNoRestart |
                                    kSwitchHelp | kSwitchLanguage;
constexpr unsigned kUninstallSwitches = kSwitchSilent | kSwitchVerySilent | kSwitchLog |
                                        kSwitchNoRestart | kSwitchHelp | kSwitchLanguage;
constexpr unsigned kUpdateSwitches = kUninstallSwitches;

struct RunSwitches {
  unsigned given = 0;       // the Switch bits given
  std::u16string folder;    // /DIR's value
  std::u16string log;       // /LOG's value
  std::u16string language;  // /LANG's value, as given
  std::u16string refused;   // the first argument not taken, as given; empty when all were

  bool Has(Switch which) const { return (given & which) != 0; }
  // Nobody is there to answer: the run asks nothing and shows no message box.
  bool Unattended() const { return Has(kSwitchSilent) || Has(kSwitchVerySilent); }
};

// Splits a command line into its arguments as Windows programs split theirs: the program's name
// first (quoted or up to the first blank), then arguments separated by blanks, where quotes group
// blanks into one argument and are removed ("/DIR=C:\a b" in quotes, or /DIR="C:\a b", is one
// argument /DIR=C:\a b), 2n backslashes before a quote are n backslashes and the quote groups,
// 2n+1 are n and a quote, and backslashes elsewhere are themselves. Null reads as empty.
std::vector<std::u16string> SplitCommandLine(const char16_t* commandLine);

// Reads the arguments after the program's name (arguments[0]) against the switches of accepted.
// A switch given twice means it once, except /DIR, /LOG and /LANG, whose second value could not
// be told from the first. An argument that is none of accepted (also a value switch without its
// value, or a value after a switch that takes none) is refused: the first is named in refused.
// The switches around it are still read, so that /VERYSILENT keeps the refusal from showing a
// box.
RunSwitches ReadSwitches(const std::vector<std::u16string>& arguments, unsigned accepted);

#ifdef _WIN32
// The running process's command line, split as above.
std::vector<std::u16string> ProcessArguments();
#endif
