#pragma once

#include <cstddef>

#include "install/install_outcome.h"
#include "install/install_run.h"

class XZip;

// New files are recorded in the run's journal this many at a time, ahead of them: one write to
// the disk for each batch rather than for each file.
constexpr size_t kNewFilesPerJournalRecord = 256;

// Extracts the nested client archive nestedName of payload into folder (which exists: the
// run's journal made it), and tells run of each entry: a progress report after the entry (the
// entry count as total, the entries done so far, the name relative to folder with "\"
// separators, or null for a name that was refused or unreadable), and whether it was put in
// place. Every name is checked and every folder made first, each once; then the files are
// inflated and decrypted on a pipeline's workers and written in entry order through run's
// journal, each streamed (a new file, recorded as new ahead, at its own name; one that replaces a
// file at its staging name, renamed into place once its CRC matched), so memory does not grow
// with the files. A file with a piece index is inflated on every worker at once
// instead, each piece at its place in the staging name, and takes its place once every piece's
// CRC and the whole file's matched. A nested archive stored as it is in the payload is read where it
// lies; one packed inside it is read out once. An entry that cannot be read (a damaged one among
// them) or written, or whose name would land outside folder, fails, and ends the run there: the
// outcome names it and why, and the install is undone whole. Not started, before any progress,
// when the nested archive cannot be read or opened or the run has no journal; stopped when run's
// stop is set, looked at before each entry and between the pieces of a file. With run's
// clientParts the client archive is read from those files instead, their digests computed on a
// thread of their own meanwhile: it ends only once they are known, and fails, naming the first
// file whose digest is not its record's, whatever the entries made of it.
InstallOutcome InstallFromArchive(XZip& payload, const char16_t* nestedName,
                                  const char16_t* folder, const InstallRun& run);
