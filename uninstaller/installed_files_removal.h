#pragma once

#include <string>
#include <vector>

class IUninstInfo;

// Removes what an uninstall list names below folder (ending with a backslash), last entry first,
// so that a folder's files go before the folder: each file, each listed folder once it is empty,
// and the folders that held a removed file once they are empty too, up to but not including
// folder. Whatever the user added stays, and with it the folders that hold it. self, the running
// program's own file, is passed over: it can only go once the program has ended. A name that
// would lead outside folder, or through a folder link inside it, is never acted on: it is
// dropped and logged. Each removal is logged. Returns the entries that are still there, in list
// order.
std::vector<std::u16string> RemoveInstalledFiles(const IUninstInfo& list, const char16_t* folder,
                                                 const char16_t* self);
