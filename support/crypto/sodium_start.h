#pragma once

// Starts libsodium once for the process (it picks its implementations and opens its random
// source). Safe to call from any thread, any number of times; false when it cannot start, and
// then no other libsodium function may be used.
bool StartSodium();
