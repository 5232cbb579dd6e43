#pragma once

#include <string>

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
// executable with an "app" resource) as its fifteen key=value; lines. A file that is none of
// these, told by its content, is refused with one line.
int ShowCommand(const std::u16string& file);

// Prints the record's fifteen key=value; lines as show does; kExitDone, or kExitFailed (with a
// message) when they could not be written.
int PrintRecord(CClientInfo& record);

// Reads the client record an executable's bytes (read from file) carry as resource "APP" 1.
// False, with a one-line reason naming file in problem, for bytes that are no executable whose
// resources can be read or carry no readable record.
bool ReadExecutableRecord(const XData& bytes, const std::u16string& file, CClientInfo& record,
                          std::string& problem);

// setupkit stamp EXE RECORD [--public-key PUBLIC]: writes the record as resource "APP" 1 of EXE,
// in the stored form RECORD has, keeping EXE's other resources, and with publicKey (a file, unless
// empty) the vendor's public key as resource "KEY" 1, with which an updater follows only lists
// the key signed. RECORD must be a client record, PUBLIC a public key. A signature EXE had no
// longer holds and is left out, which a notice says.
int StampCommand(const std::u16string& exe, const std::u16string& record,
                 const std::u16string& publicKey);
