#include "tools/setupkit/list_signing.h"

#include <cstdint>

std::string SignatureNameOf(const std::string& list) { return list + ".sig"; }

bool SignListBytes(const std::string& listBytes, const SigningKeyPair& key,
                   std::string& signature) {
  signature.assign(kSignatureBytes, '\0');
  if (SignDetached(reinterpret_cast<const uint8_t*>(listBytes.data()), listBytes.size(),
                   key.secretKey, kSecretKeyBytes, reinterpret_cast<uint8_t*>(&signature[0]))) {
    return true;
  }
  signature.clear();
  return false;
}

std::string UnsignedListWarning(const std::string& shown) {
  return "warning: " + shown +
         " is not signed (no --sign-key): installers and updaters cannot authenticate it or "
         "the files it lists";
}

std::string UnversionedListWarning(const std::string& shown, const std::string& versionOption) {
  return "warning: " + shown + " names no version in dotted numbers (" + versionOption +
         "): updaters that check signatures refuse it where a version is installed";
}
