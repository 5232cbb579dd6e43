#include "support/delta/file_patch.h"

// The stable input and output buffers are in zstd's advanced interface.
#define ZSTD_STATIC_LINKING_ONLY
#include <zstd.h>

#include <memory>
#include <vector>

#include "support/files/file_stream.h"
#include "support/files/mapped_file.h"
#include "support/files/output_file.h"
#include "support/text/utf8.h"

namespace {

// A middle level: patches of programs come out a few percent of their size, and making one of
// a file of a gigabyte takes seconds rather than minutes.
constexpr int kPatchLevel = 12;

struct CompressorFree {
  void operator()(ZSTD_CCtx* context) const { ZSTD_freeCCtx(context); }
};
struct DecompressorFree {
  void operator()(ZSTD_DCtx* context) const { ZSTD_freeDCtx(context); }
};

// The smallest window, in bits, that holds both files: each new byte may then refer to any byte
// of the old file.
int WindowLogFor(uint64_t oldSize, uint64_t newSize) {
  int log = ZSTD_WINDOWLOG_MIN;
  while (log < kPatchWindowLog && (uint64_t{1} << log) < oldSize + newSize) ++log;
  return log;
}

std::string ZstdFailure(size_t code) { return ZSTD_getErrorName(code); }

}  // namespace

bool CanPatch(uint64_t oldSize, uint64_t newSize) {
  return newSize > 0 && oldSize <= (uint64_t{1} << kPatchWindowLog) - newSize &&
         newSize <= uint64_t{1} << kPatchWindowLog;
}

bool MakeFilePatch(const char16_t* oldPath, const char16_t* newPath, const char16_t* patchPath,
                   std::string* why) {
  const MappedFile oldFile(oldPath, MappedFile::Mapping::kReadOnly);
  const MappedFile newFile(newPath, MappedFile::Mapping::kReadOnly);
  if (!oldFile.IsOpen() || !newFile.IsOpen()) {
    *why = "cannot read the files to patch";
    return false;
  }
  if (!CanPatch(oldFile.Size(), newFile.Size())) {
    *why = "the files are larger together than a patch's window of 2 GB";
    return false;
  }
  const std::unique_ptr<ZSTD_CCtx, CompressorFree> context(ZSTD_createCCtx());
  if (!context) {
    *why = "out of memory";
    return false;
  }
  ZSTD_CCtx* c = context.get();
  size_t code = ZSTD_CCtx_setParameter(c, ZSTD_c_compressionLevel, kPatchLevel);
  if (!ZSTD_isError(code)) code = ZSTD_CCtx_setParameter(c, ZSTD_c_enableLongDistanceMatching, 1);
  // A patch applied to another old file would otherwise make wrong bytes without a word.
  if (!ZSTD_isError(code)) code = ZSTD_CCtx_setParameter(c, ZSTD_c_checksumFlag, 1);
  if (!ZSTD_isError(code)) {
    code = ZSTD_CCtx_setParameter(c, ZSTD_c_windowLog,
                                  WindowLogFor(oldFile.Size(), newFile.Size()));
  }
  // The new file is mapped whole: zstd reads it in place instead of copying a window of it.
  if (!ZSTD_isError(code)) code = ZSTD_CCtx_setParameter(c, ZSTD_c_stableInBuffer, 1);
  if (!ZSTD_isError(code)) code = ZSTD_CCtx_setPledgedSrcSize(c, newFile.Size());
  if (!ZSTD_isError(code)) {
    code = ZSTD_CCtx_refPrefix(c, oldFile.Data(), static_cast<size_t>(oldFile.Size()));
  }
  if (ZSTD_isError(code)) {
    *why = "cannot set up the patch: " + ZstdFailure(code);
    return false;
  }
  OutputFile patch(patchPath, OutputFile::Opening::kCreateNew);
  if (!patch.IsOpen()) {
    *why = "cannot make the patch file";
    return false;
  }
  std::vector<uint8_t> piece(ZSTD_CStreamOutSize());
  ZSTD_inBuffer in{newFile.Data(), static_cast<size_t>(newFile.Size()), 0};
  bool written = true;
  do {
    ZSTD_outBuffer out{piece.data(), piece.size(), 0};
    code = ZSTD_compressStream2(c, &out, &in, ZSTD_e_end);
    written = !ZSTD_isError(code) && patch.Write(piece.data(), static_cast<uint32_t>(out.pos));
  } while (written && code != 0);
  if (!patch.CloseOnDisk() || !written) {
    RemoveFile(patchPath);
    *why = ZSTD_isError(code) ? "cannot make the patch: " + ZstdFailure(code)
                              : "cannot write the patch file";
    return false;
  }
  return true;
}

bool ApplyFilePatch(const char16_t* oldPath, const char16_t* patchPath, const char16_t* outPath,
                    uint64_t newSize, std::u16string* why) {
  const MappedFile oldFile(oldPath, MappedFile::Mapping::kReadOnly);
  const FileStream patch = OpenFileStream(patchPath, "rb");
  if (!oldFile.IsOpen() || !patch) {
    *why = oldFile.IsOpen() ? u"the patch cannot be read" : u"the installed file cannot be read";
    return false;
  }
  if (!CanPatch(oldFile.Size(), newSize)) {
    *why = u"the files are too large for a patch";
    return false;
  }
  const std::unique_ptr<ZSTD_DCtx, DecompressorFree> context(ZSTD_createDCtx());
  if (!context) {
    *why = u"out of memory";
    return false;
  }
  ZSTD_DCtx* d = context.get();
  // The output is the new file mapped whole, so zstd keeps no window of its own: memory stays
  // small however large the file.
  size_t code = ZSTD_DCtx_setParameter(d, ZSTD_d_windowLogMax, kPatchWindowLog);
  if (!ZSTD_isError(code)) code = ZSTD_DCtx_setParameter(d, ZSTD_d_stableOutBuffer, 1);
  if (!ZSTD_isError(code)) {
    code = ZSTD_DCtx_refPrefix(d, oldFile.Data(), static_cast<size_t>(oldFile.Size()));
  }
  if (ZSTD_isError(code)) {
    *why = u"cannot set up the patch: " + Utf8ToUtf16(ZstdFailure(code));
    return false;
  }
  MappedFile out(outPath, MappedFile::Mapping::kNewFile, newSize);
  if (!out.IsOpen()) {
    *why = u"cannot make the patched file";
    return false;
  }
  ZSTD_outBuffer made{out.WritableData(), static_cast<size_t>(newSize), 0};
  std::vector<uint8_t> piece(ZSTD_DStreamInSize());
  bool ended = false;  // the frame is whole
  bool trailing = false;
  for (size_t read; !trailing && !ZSTD_isError(code) &&
                    (read = std::fread(piece.data(), 1, piece.size(), patch.get())) > 0;) {
    ZSTD_inBuffer in{piece.data(), read, 0};
    while (in.pos < in.size && !ended && !ZSTD_isError(code)) {
      code = ZSTD_decompressStream(d, &made, &in);
      ended = code == 0;
    }
    trailing = ended && in.pos < in.size;
  }
  const bool closed = out.CloseOnDisk();
  if (ZSTD_isError(code) || !ended || trailing || made.pos != newSize || !closed) {
    RemoveFile(outPath);
    *why = ZSTD_isError(code) ? u"the patch does not apply: " + Utf8ToUtf16(ZstdFailure(code))
           : !ended           ? u"the patch is cut short"
           : trailing         ? u"the patch has bytes past its end"
           : !closed          ? u"the patched file cannot be written"
                              : u"the patch makes a file of another size";
    return false;
  }
  return true;
}
