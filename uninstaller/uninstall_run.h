#pragma once

#include "install/exit_codes.h"

class IClientInfo;

// Uninstalls the product whose record the running uninstaller carries from the folder the
// uninstaller runs from: asks (unless silent) whether to, ends a running client (asking unless
// silent), removes what "uninst.dat" names there, unregisters the product when its product key
// records that folder as its "path" (another folder's install keeps its keys and shortcuts),
// and then removes "uninst.dat" and, once it has ended, the uninstaller and the folder when it is
// empty. When entries are left, "uninst.dat" keeps them and the uninstaller stays, so that it can
// be run again; interactively a message names them. Returns an UninstallExitCode.
int RunUninstall(IClientInfo& product, bool silent);
