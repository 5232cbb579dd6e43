#pragma once

#include <string>
#include <vector>

#include "records/client_info.h"

class XData;

// Reads a vendor's configuration file into record, as setupkit config does. Unknown keys are
// reported on stderr and ignored. False, with the reason in problem, for a file that cannot be
// read or decoded, or a value the installer would not read back exactly as written.
bool ReadVendorConfig(const std::u16string& in, CClientInfo& record, std::string& problem);

// setupkit config IN OUT [--packed]: turns a vendor's configuration into the client record, in
// the plain or the packed stored form. Unknown keys are reported on stderr and ignored; a value
// that the installer would not read back exactly as written is refused and OUT is not created.
int ConfigCommand(const std::u16string& in, const std::u16string& out, bool packed);

// setupkit show FILE: prints what FILE holds as UTF-8: an update list or an uninstall list
// (see ShowListFile), or else the client record of FILE (a record in either stored form, or an
// executable with an "app" resource) as its sixteen key=value; lines. A file that is none of
// these, told by its content, is refused with one line.
int ShowCommand(const std::u16string& file);

// Prints the record's sixteen key=value; lines as show does; kExitDone, or kExitFailed (with a
// message) when they could not be written.
int PrintRecord(CClientInfo& record);

// Reads the client record an executable's bytes (read from file) carry as resource "APP" 1.
// False, with a one-line reason naming file in problem, for bytes that are no executable whose
// resources can be read or carry no readable record.
bool ReadExecutableRecord(const XData& bytes, const std::u16string& file, CClientInfo& record,
                          std::string& problem);

// setupkit stamp EXE RECORD [--public-key PUBLIC] [--language FILE]...: writes the record as
// resource "APP" 1 of EXE, in the stored form RECORD has, keeping EXE's other resources, with
// publicKey (a file, unless empty) the vendor's public key as resource "KEY" 1, with which an
// updater follows only lists the key signed, and with languageFiles the vendor's languages as
// resource "LANGS" 1. RECORD must be a client record, PUBLIC a public key, each FILE a language
// file (a refused one is told in one line, and EXE left as it was). A signature EXE had no longer
// holds and is left out, which a notice says.
int StampCommand(const std::u16string& exe, const std::u16string& record,
                 const std::u16string& publicKeyFile,
                 const std::vector<std::u16string>& languageFiles);
