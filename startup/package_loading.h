#pragma once

#include "support/core/module_handle.h"

class CInstallPackage;

// Reads the package of the installer whose file is exePath and whose resources module holds:
// the product record from its resource "app" 1 and the payload archive from its resource
// "tail" 1, else from the archive file beside it named as the executable with the extension
// "zip"; and the data files the payload's manifest lists, in the executable's folder, each
// there with its recorded size (package.RefusedPart names the first that is not). The payload is read where it lies: module must stay loaded as long as package lives. Without either there is no payload, and the client is downloaded. An executable without
// an "app" resource takes its record from the payload's "app.txt". False when the package is
// damaged: a record or a "tail" that is there but fails its check, a "tail" or an archive beside
// the executable that is no archive, or no record at all. The vendor's public key comes from its
// resource "KEY" 1 (list_key_loading.h). Nothing may be installed from a damaged
// package, nor its client downloaded in place of the payload it lost.
bool LoadInstallPackage(ModuleHandle module, const char16_t* exePath, CInstallPackage& package);

// The running installer's own package (instance is its module). A damaged one is told as
// ReportDamagedPackage tells it. False when it is damaged or the executable's path is unknown.
bool LoadSetupPackage(ModuleHandle instance, CInstallPackage& package, bool silent);
