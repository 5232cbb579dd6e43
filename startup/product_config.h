#pragma once

#include "support/core/module_handle.h"

class IClientInfo;

enum class RecordLoad { kLoaded, kMissing, kDamaged };

// Loads the product record from the "app" resource of module into product. kDamaged when the
// resource is there but fails its container's check or cannot be read as a record.
RecordLoad LoadProductRecord(ModuleHandle module, IClientInfo& product);

// The start-up of the uninstaller and the updater, whose own record is all they carry: loads it
// from the "app" resource of instance into product. When it is missing or damaged, the package
// is: it is told as ReportDamagedPackage tells it. Returns whether the record loaded.
bool LoadProductConfig(ModuleHandle instance, IClientInfo& product, bool silent);

// Tells the user that the package is damaged and offers the official site (product's homepage),
// opened on Yes. A silent install asks nothing.
void ReportDamagedPackage(IClientInfo& product, bool silent);
// The same for a data file beside the installer, named by name, that is missing or not the
// packaged one, so that the person knows which file to fetch again.
void ReportRefusedPart(IClientInfo& product, const char16_t* name, bool missing, bool silent);
