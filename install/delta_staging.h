#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "support/http/file_download.h"

class IHttpSource;
struct ItemDelta;
struct UpdateItem;

// The delta of entry that applies to the installed file at path (whose SHA-256 it reads once),
// or null when none does or the file cannot be read.
const ItemDelta* DeltaForInstalledFile(const UpdateItem& entry, const char16_t* path);

// How an attempt to stage a file from its delta ended.
struct DeltaStaging {
  enum class Result { kStaged, kFailed, kStopped };
  Result result = Result::kFailed;
  std::u16string why;  // for kFailed: why the patch was dropped, for the log
};

// Downloads delta's patch into patchPath (resumed when it holds part of it, and checked by its
// size and SHA-256), applies it to the installed file at path (mapped, never read whole) into
// staging, and checks the result against entry. Whatever the result, the patch and anything
// short of a checked staging file are gone afterwards; an unfinished download of the patch stays
// only when the stop ended it, for the next run to go on from.
DeltaStaging StageFromDelta(IHttpSource& source, const UpdateItem& entry, const ItemDelta& delta,
                            const char16_t* path, const char16_t* staging,
                            const char16_t* patchPath, FileProgress progress, void* context,
                            const std::atomic<bool>* stop);
