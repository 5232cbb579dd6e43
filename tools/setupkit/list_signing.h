#pragma once

#include <string>

#include "support/crypto/signing.h"

// What the packaging tool does with the vendor's signing key for the update lists it publishes:
// the detached signature of a list's exact bytes, published beside it ("update.xml.sig"), and
// the warnings a vendor gets when what it publishes cannot be authenticated.

// The file name of the signature of the list named list ("update.xml" gives "update.xml.sig").
std::string SignatureNameOf(const std::string& list);

// The kSignatureBytes signature of listBytes by key, into signature. False when key does not
// sign (it was checked when read: only on a fault).
bool SignListBytes(const std::string& listBytes, const SigningKeyPair& key,
                   std::string& signature);

// The warning, without "setupkit: ", that what is published is not signed; shown names what.
std::string UnsignedListWarning(const std::string& shown);
// The warning that a signed list names no version in dotted numbers (versionOption: how the
// vendor gives one), which an updater with a version installed refuses.
std::string UnversionedListWarning(const std::string& shown, const std::string& versionOption);
