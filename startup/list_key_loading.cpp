#include "startup/list_key_loading.h"

#include "support/crypto/signing.h"
#include "support/pe/resource_reader.h"

ListKey LoadListKey(ModuleHandle module) {
  ListKey key;
  const uint32_t size = ReadResource(nullptr, 0, module, kListKeyType, kListKeyId);
  if (size == 0) return key;
  key.carried = true;
  // A resource of another length is a damaged key: carried, with no bytes, it trusts nothing.
  if (size != kPublicKeyBytes) return key;
  key.bytes.resize(size);
  if (ReadResource(key.bytes.data(), size, module, kListKeyType, kListKeyId) != size) {
    key.bytes.clear();
  }
  return key;
}
