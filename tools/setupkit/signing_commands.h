#pragma once

#include <string>

#include "records/update_info_trust.h"
#include "support/crypto/signing.h"
#include "support/files/xdata.h"

// Keys are raw files: the secret key its 64 bytes, the public key its 32. A list's signature is
// the 64 raw bytes of its detached Ed25519 signature, in a file named after the list with ".sig"
// added ("update.xml.sig").

// setupkit keygen SECRET PUBLIC: writes a new key pair. The secret key's file is created readable
// by its owner alone. Neither file may exist yet: an existing key is never replaced, and a
// failure leaves neither file behind.
int KeygenCommand(const std::u16string& secretFile, const std::u16string& publicFile);

// setupkit verify LIST SIG PUBLIC: checks SIG as PUBLIC's signature of exactly LIST's bytes, by
// the rule the installer and the updater follow. Prints one line saying whether it verifies:
// on stdout with status 0 when it does, on stderr with status 1 when it does not or a file
// cannot be read.
int VerifyCommand(const std::u16string& list, const std::u16string& signature,
                  const std::u16string& publicKey);

// The file of a list's signature: its path with ".sig" added.
std::u16string SignatureFileOf(const std::u16string& list);

// Reads a public key file (exactly kPublicKeyBytes) into key. False, with a one-line problem,
// when the file cannot be read or is not a public key.
bool ReadPublicKeyFile(const std::u16string& path, uint8_t* key, std::string& problem);

// Reads a secret key file into pair (both halves). False, with a one-line problem, when the file
// cannot be read or is not a secret key.
bool ReadSecretKeyFile(const std::u16string& path, SigningKeyPair& pair, std::string& problem);

// Checks a list file against a signature file and a public key file by the rule the installer
// and the updater follow, keeping the list's bytes in listBytes. A signature file that cannot be
// read is no signature. False, with a one-line problem, when the key or the list cannot be read,
// the key is not kPublicKeyBytes long, or the signature's path names a folder or a device.
bool CheckListFiles(const std::u16string& list, const std::u16string& signature,
                    const std::u16string& publicKey, XData& listBytes, ListSignatureCheck& check,
                    std::string& problem);
