#pragma once

// How each of the product's programs ends: the process's exit code, which deployment tools and
// the tests read. One enum a program; a number once given keeps its meaning.

// setup.exe (silent, or when its window closes) and install_headless.exe.
enum SetupExitCode : int {
  kExitInstalled = 0,        // installed or repaired (and, interactively, a window closed)
  kExitNotStarted = 1,       // nothing installed: a damaged package, a check that stopped it, no
                             // list, an earlier run still going
  kExitFilesFailed = 2,      // a file, the registration or the client failed: all was undone
  kExitNewerVersionKept = 3, // a newer version is installed: nothing changed, it was started
};

// unins000.exe.
enum UninstallExitCode : int {
  kExitRemoved = 0,
  kExitNotRemoved = 1,   // declined, nothing to remove, or it could not start
  kExitEntriesLeft = 2,  // some entries could not be removed
};

// update.exe.
enum UpdateExitCode : int {
  kExitUpdated = 0,       // every listed file is as published (also: nothing changed)
  kExitNotUpdated = 1,    // declined, not installed, or no published list
  kExitUpdateFailed = 2,  // some entries could not be put in place or removed
};
