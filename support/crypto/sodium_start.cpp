#include "support/crypto/sodium_start.h"

#include <sodium.h>

bool StartSodium() {
  // 0 the first time, 1 when an earlier call already started it.
  return sodium_init() >= 0;
}
