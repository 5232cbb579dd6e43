#pragma once

#include <cstdint>

// The container's byte scrambling: each round chains every byte to its neighbour forwards and
// then backwards, mixing in the key's bytes. Both return false, touching nothing, for a null
// buffer, a zero length or zero rounds.
bool ScrambleBytes(uint8_t* buffer, uint32_t length, uint32_t key, uint32_t rounds);
// The exact inverse of ScrambleBytes for the same key and rounds.
bool UnscrambleBytes(uint8_t* buffer, uint32_t length, uint32_t key, uint32_t rounds);
