#pragma once

#include <cstdint>

// The system's small container: the marker FF FD FD FF, a 32-bit payload length L, a 16-bit
// word W (the CRC-16 of the plain payload) and the payload scrambled with the key L + W * 65536
// in (key mod 4) + 3 rounds. All integers little-endian. Bytes without the marker pass through
// unchanged, so a plain resource or file works wherever a packed one does.
//
// Readers check W against the unpacked payload, so damage anywhere in a container is refused: in
// the payload or in L (the unscrambled bytes no longer match W), in W (the key changes with it),
// and in the marker (see HasContainerMarker). Bytes after the payload are not part of it.

constexpr uint32_t kContainerHeaderSize = 10;

// True when the bytes begin with the container's marker, or with the marker one bit off: no plain
// record, archive or image starts so, and taking such bytes as plain data would hand scrambled
// bytes on as content. UnpackContainer refuses the damaged ones.
bool HasContainerMarker(const uint8_t* bytes, uint32_t n);

// Reads the header of a container: true, with its payload's length L and word W, when the bytes
// begin with the marker itself (not one bit off) and a payload that is not empty and lies within
// them. False for anything else, plain data among it.
bool ReadContainerHeader(const uint8_t* bytes, uint32_t n, uint32_t* length, uint16_t* word);

// The scrambling key and rounds for a payload of length L with word W.
uint32_t ContainerKey(uint32_t length, uint16_t word);
uint32_t ContainerRounds(uint32_t key);

// Unpacks source into destination. Unmarked bytes are copied as they are (0 when they do not
// fit). A container is refused (0) when its marker is damaged, its payload is empty, runs past
// the source's bytes, does not fit the destination with room for a header, or does not match its
// word. Returns the bytes written.
uint32_t UnpackContainer(uint8_t* destination, uint32_t destinationCapacity, const uint8_t* source,
                         uint32_t sourceLength);

// Writes the 10 bytes of a container's header for a payload of length L with word W.
void WriteContainerHeader(uint8_t* header, uint32_t length, uint16_t word);

// Turns a buffer whose payload already sits at offset 10 into a container in place: writes the
// header and scrambles the payload. Returns the container's size; 0 for an empty payload, which
// no reader would accept.
uint32_t SealContainer(uint8_t* container, uint32_t payloadLength);

// Writes payload as a container into destination. Returns its size, 0 when it does not fit or
// the payload is empty.
uint32_t PackContainer(uint8_t* destination, uint32_t destinationCapacity, const uint8_t* payload,
                       uint32_t payloadLength);
