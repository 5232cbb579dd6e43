#pragma once

#include <cstdint>
#include <cstdio>

// The packed container made in a file rather than in memory, for payloads too large to hold:
// the same bytes as SealContainer, with memory bounded by one piece.

// The bytes a piece of the file takes in memory.
constexpr uint32_t kContainerFilePiece = 4 << 20;

// ScrambleBytes over the length bytes of file from offset on, a piece at a time. False for
// nothing to scramble, and when the file cannot be read or written there (its bytes are then
// undefined).
bool ScrambleFileBytes(std::FILE* file, uint64_t offset, uint32_t length, uint32_t key,
                       uint32_t rounds);

// Turns a file, opened for reading and writing, whose payload of payloadLength bytes already
// sits at offset 10 into a container in place: writes the header and scrambles the payload.
// Returns the container's size; 0 for an empty payload, and when the file cannot be read or
// written.
uint32_t SealContainerFile(std::FILE* file, uint32_t payloadLength);
