#include "tools/setupkit/signing_commands.h"

#include <cstring>
#include <filesystem>
#include <system_error>

#include "records/update_info_trust.h"
#include "support/files/file_stream.h"
#include "support/files/filesystem_path.h"
#include "support/files/new_file.h"
#include "support/text/utf8.h"
#include "tools/setupkit/host_system.h"
#include "tools/setupkit/tool_output.h"

namespace {

// A file, a link or a folder of that name.
bool NameTaken(const std::u16string& path) {
  std::error_code error;
  return std::filesystem::exists(
      std::filesystem::symlink_status(ToFilesystemPath(path.c_str()), error));
}

// Reads a file expected to hold exactly n bytes; one byte more is read to tell a longer file.
bool ReadExactly(const std::u16string& path, size_t n, XData& bytes, bool& exact) {
  if (!bytes.ReadFile(path.c_str(), static_cast<uint32_t>(n + 1))) return false;
  exact = bytes.Length() == n;
  return true;
}

}  // namespace

bool ReadPublicKeyFile(const std::u16string& path, uint8_t* key, std::string& problem) {
  XData bytes;
  bool exact = false;
  if (!ReadExactly(path, kPublicKeyBytes, bytes, exact)) {
    problem = "cannot read the public key " + Shown(path);
    return false;
  }
  if (!exact) {
    problem = Shown(path) + " is not a public key (the 32-byte file setupkit keygen writes)";
    return false;
  }
  std::memcpy(key, bytes.Data(), kPublicKeyBytes);
  return true;
}

std::u16string SignatureFileOf(const std::u16string& list) { return list + u".sig"; }

bool ReadSecretKeyFile(const std::u16string& path, SigningKeyPair& pair, std::string& problem) {
  XData bytes;
  bool exact = false;
  if (!ReadExactly(path, kSecretKeyBytes, bytes, exact)) {
    problem = "cannot read the secret key " + Shown(path);
    return false;
  }
  bool isKey = exact && IsSecretKey(bytes.Data(), bytes.Length());
  if (isKey) {
    std::memcpy(pair.secretKey, bytes.Data(), kSecretKeyBytes);
    std::memcpy(pair.publicKey, bytes.Data() + kSecretKeyBytes - kPublicKeyBytes, kPublicKeyBytes);
  }
  WipeSecret(bytes.Data(), bytes.Length());
  if (!isKey) {
    problem = Shown(path) + " is not a secret key (the 64-byte file setupkit keygen writes)";
  }
  return isKey;
}

int KeygenCommand(const std::u16string& secretFile, const std::u16string& publicFile) {
  for (const std::u16string* file : {&secretFile, &publicFile}) {
    if (NameTaken(*file)) {
      return Fail(Shown(*file) + " already exists; keygen never replaces a key");
    }
  }
  SigningKeyPair pair;
  if (!GenerateSigningKeyPair(&pair))
    return Fail("cannot make a key pair: libsodium did not start");
  if (!WriteNewFile(secretFile.c_str(), pair.secretKey, kSecretKeyBytes,
                    NewFileAccess::kOwnerOnly)) {
    return Fail("cannot create " + Shown(secretFile));
  }
  if (!WriteNewFile(publicFile.c_str(), pair.publicKey, kPublicKeyBytes, NewFileAccess::kUsual)) {
    RemoveFile(secretFile.c_str());
    return Fail("cannot create " + Shown(publicFile));
  }
  return PrintText(u"wrote the secret key " + secretFile +
                   u" (keep it to yourself) and the public key " + publicFile + u"\n");
}

bool CheckListFiles(const std::u16string& list, const std::u16string& signature,
                    const std::u16string& publicKey, XData& listBytes, ListSignatureCheck& check,
                    std::string& problem) {
  uint8_t key[kPublicKeyBytes];
  if (!ReadPublicKeyFile(publicKey, key, problem)) return false;
  if (!listBytes.ReadFile(list.c_str(), 0)) {
    problem = "cannot read " + Shown(list);
    return false;
  }
  // A missing signature file is no signature; a folder or a device in its place is a mistake
  // to name.
  const PathKind signatureKind = KindOfPath(signature);
  if (signatureKind == PathKind::kFolder || signatureKind == PathKind::kDevice) {
    problem = Shown(signature) + " is a " +
              (signatureKind == PathKind::kFolder ? "folder" : "device") + ", not a signature";
    return false;
  }
  // One byte more than a signature, to tell a longer file from one.
  XData signatureBytes;
  signatureBytes.ReadFile(signature.c_str(), kSignatureBytes + 1);
  check = CheckListSignature(listBytes.Data(), listBytes.Length(), signatureBytes.Data(),
                             signatureBytes.Length(), key, kPublicKeyBytes);
  return true;
}

int VerifyCommand(const std::u16string& list, const std::u16string& signature,
                  const std::u16string& publicKey) {
  XData listBytes;
  ListSignatureCheck check;
  std::string problem;
  if (!CheckListFiles(list, signature, publicKey, listBytes, check, problem)) return Fail(problem);
  std::string verdict = Shown(list) + ": " + DescribeListSignatureCheck(check);
  if (check != ListSignatureCheck::kVerified) return Fail(verdict);
  return PrintText(Utf8ToUtf16(verdict) + u"\n");
}
