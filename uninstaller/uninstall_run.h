#pragma once

#include "install/exit_codes.h"

class IClientInfo;

// Uninstalls the product whose record the running uninstaller carries from the folder the
// uninstaller runs from: asks (unless silent) whether to, ends a running client (asking unless
// silent), removes what "uninst.dat" names there, unregisters the product unless its product
// key records another folder as its "path" (that folder's install keeps its keys and shortcuts),
// and leaves the uninstaller's file, then "uninst.dat", then the folder when it is empty, to a
// copy of itself that removes them once it has ended. When entries or parts of the registration
// are left, "uninst.dat", the product key and the uninstaller stay, so that it can be run again;
// interactively a message names what is left, and the log names it with its path. So are the
// uninstaller's file, "uninst.dat" and the folder when they can be left neither to the copy nor
// to the next start of Windows. Returns an UninstallExitCode, kExitCancelled when the person
// declined, or kExitAnotherRunGoing when an install or update still runs in the folder.
int RunUninstall(IClientInfo& product, bool silent);
