#pragma once

#include <string>

// Who signed an executable, as inspect tells it: the common name in the subject of the
// certificate that the Authenticode signature's signer names, read from the PKCS #7 signed data
// in the executable's certificate table. Nothing is verified here (osslsigncode verify does
// that); this only says whose signature the file carries.

enum class SignatureKind {
  kNone,        // no certificate table
  kSigned,      // signer holds the name
  kUnreadable,  // a certificate table whose signer cannot be told
};

// Reads the signature of image, the bytes of an executable. signer receives the name as UTF-8
// with control characters replaced, so a hostile certificate cannot write to the terminal.
SignatureKind ReadSigner(const std::string& image, std::string& signer);

// The signer's common name in PKCS #7 signed data (DER); false when there is none to be read.
bool SignerOfSignedData(const std::string& der, std::string& signer);
