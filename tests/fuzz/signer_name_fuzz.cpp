// The signer's name in an Authenticode signature, as setupkit inspect reads it from any
// executable it is given.
#include <string>

#include "tests/fuzz/fuzz_check.h"
#include "tools/setupkit/signer_name.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string der(reinterpret_cast<const char*>(data), size);
  std::string signer;
  if (!SignerOfSignedData(der, signer)) return 0;
  bool printable = !signer.empty();
  for (char c : signer) printable = printable && static_cast<uint8_t>(c) >= 0x20 && c != 0x7F;
  FuzzCheck(printable, "a signer's name holds no control characters");
  return 0;
}
