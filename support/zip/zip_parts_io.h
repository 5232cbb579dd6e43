#pragma once

#include <minizip/ioapi.h>

#include <cstdint>
#include <string>
#include <vector>

// An archive written as consecutive files, read as one: the parts in order, each with the size it
// was written with. A part shorter than its size ends every read that reaches its end there.
struct ZipPart {
  std::u16string path;
  uint64_t size = 0;
};
using ZipParts = std::vector<ZipPart>;

// The parts' sizes added up: the archive's size.
uint64_t PartsSize(const ZipParts& parts);

// Reads the archive made of parts; pass the address of a ZipParts as the "file name". The parts
// stay the caller's; a part's file is opened when a read first reaches it.
zlib_filefunc64_def PartsZipIo();
