#include "startup/list_key_loading.h"

#include "support/crypto/signing.h"
#include "support/pe/resource_reader.h"

ListKey LoadListKey(ModuleHandle module) {
  ListKey key;
  // Only the absence of the resource means no key: one of another length, empty included, is a
  // damaged key, carried with no bytes, and trusts nothing.
  key.carried = HasResource(module, kListKeyType, kListKeyId);
  const uint32_t size = ReadResource(nullptr, 0, module, kListKeyType, kListKeyId);
  if (!key.carried || size != kPublicKeyBytes) return key;
  key.bytes.resize(size);
  if (ReadResource(key.bytes.data(), size, module, kListKeyType, kListKeyId) != size) {
    key.bytes.clear();
  }
  return key;
}
