#pragma once

// How each of the product's programs ends: the process's exit code, which deployment tools and
// the tests read. Where an outcome means what one of Windows Installer's codes means, it ends
// with that code, which deployment tools know without being told; the others keep small codes of
// their own. One enum a program, and one for what the three share; a number once given keeps
// its meaning, and retired numbers stay noted.

// Ends of all three programs.
enum RunExitCode : int {
  kExitCancelled = 1602,        // the person declined or cancelled: nothing changed
  kExitAnotherRunGoing = 1618,  // another run of the product's programs holds its lock, or an
                                // earlier one its journal: try again later
  kExitBadCommandLine = 1639,   // a switch not taken: nothing done
};

// setup.exe and install_headless.exe.
enum SetupExitCode : int {
  kExitInstalled = 0,   // installed or repaired (and, interactively, the finish page closed)
  kExitNotStarted = 1,  // nothing installed: a damaged package, a check that stopped it, no
                        // list, no folder that can be written (also /DIR's)
  // 2: retired, now kExitFilesFailed.
  // 3: retired, now kExitNewerVersionKept.
  kExitFilesFailed = 1603,       // a file, the registration or the client failed, or a silent
                                 // download ran past its bound: all was undone
  kExitNewerVersionKept = 1638,  // a newer version is installed: nothing changed, it was started
};

// unins000.exe.
enum UninstallExitCode : int {
  kExitRemoved = 0,
  kExitNotRemoved = 1,  // nothing to remove, or it could not start
  // 2: retired, now kExitEntriesLeft.
  kExitEntriesLeft = 1603,       // some entries or keys could not be removed: run it again
  kExitRemovedAtRestart = 3010,  // removed, but the uninstaller's own file, its list or the
                                 // folder go when Windows next starts
};

// update.exe.
enum UpdateExitCode : int {
  kExitUpdated = 0,     // every listed file is as published (also: nothing changed)
  kExitNotUpdated = 1,  // not installed, or no published list it may follow
  // 2: retired, now kExitUpdateFailed.
  kExitUpdateFailed = 1603,  // some entries could not be put in place or removed, or a silent run
                             // ran past its bound: undone
};
