#pragma once

#include <string>
#include <vector>

class IUninstInfo;

// The uninstall list of a folder after an update, into out (emptied first): the entries of
// current in their order, followed by the files the update put in place that current does not
// name yet, in their order; less, in both, what the update removed (an entry that names a
// removed file or folder, or lies below a removed folder). Names are compared without regard to
// ASCII case, as Windows opens them; a name is listed once.
void UpdateUninstallList(const IUninstInfo& current, const IUninstInfo& installed,
                         const std::vector<std::u16string>& removed, IUninstInfo& out);
