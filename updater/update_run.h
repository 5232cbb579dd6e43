#pragma once

#include "install/exit_codes.h"

class IClientInfo;

// Brings the installed product (its folder is the product key's "path") to the update list
// published at the record's "config" URL, or "config2" when that fails: every listed file whose
// size or MD5 differs from the installed one is downloaded, checked and only then put in place of
// the old one; what the list marks for deletion is removed; "uninst.dat" comes to name the listed
// files and no longer names the removed ones. Only when every entry succeeded are the list's
// digest ("md5") and version recorded. Interactively, a changed list is offered first, a running
// client is offered to be ended, and the outcome is told; silent asks and tells nothing. Returns
// an UpdateExitCode.
int RunUpdate(IClientInfo& product, bool silent);
