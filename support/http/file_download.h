#pragma once

#include <atomic>
#include <cstdint>

#include "support/crypto/file_verifier.h"
#include "support/http/download_failure.h"

class IHttpSource;

// Told as a file's bytes arrive (at least every kDownloadPieceSize of them): how many the staging
// file holds, and the size expected.
using FileProgress = void (*)(uint64_t staged, uint64_t expected, void* context);

enum class DownloadResult {
  kDone,     // the staging file holds the whole file, and it passed its check
  kStopped,  // the stop flag ended the download; the staging file keeps what had arrived
  kCutOff,   // every attempt was cut off, timed out or met a failing server, or the download
             // ran past its time limit; the staging file keeps what had arrived, for a later
             // download to resume
  kFailed,   // the server refused or sent something other than the file, the file failed its
             // check, or it could not be written; no staging file is left
};

// Downloads one file of a known size into a staging file, never holding more of it in memory than
// one piece. What the staging file already holds is resumed with a Range request (a server that
// sends the whole file instead is written from the start); a transfer cut off part-way, or a 5xx
// reply, is tried again after a pause, up to kDownloadAttempts times in all, within the time limit
// of a download of its size (DownloadTimeLimitMs). The finished file is checked (its size, and the
// verifier when one is given) before the download reports it done; a resumed file that fails is
// downloaded once more from the start, with a time limit of its own, since its earlier part may
// have come from another version of the file. Why a download did not end done is its Failure.
class CFileDownload {
 public:
  explicit CFileDownload(IHttpSource& source) : source_(source) {}
  CFileDownload(const CFileDownload&) = delete;
  CFileDownload& operator=(const CFileDownload&) = delete;

  // Null for none.
  void SetProgress(FileProgress callback, void* context) {
    progress_ = callback;
    progressContext_ = context;
  }
  // A flag another thread may set to end the download: it is looked at before each request, each
  // piece and during the pauses between attempts. Null for none.
  void SetStopRequest(const std::atomic<bool>* stop) { stop_ = stop; }
  // The clock, in milliseconds, that the speed and the time limit are measured by.
  void SetClock(uint64_t (*now)()) { now_ = now; }

  // Downloads url into stagingPath, whose folder must exist, as DownloadResult tells. kFailed at
  // once for a null text or an expected size of 0; an empty verifier checks the size alone.
  DownloadResult Fetch(const char16_t* url, const char16_t* stagingPath, uint64_t expectedSize,
                       const FileVerifier& verify);
  // Why the last Fetch did not end kDone: the last attempt's failure. kNone after one that did.
  const DownloadFailure& Failure() const { return failure_; }

 private:
  enum class AttemptEnd { kDone, kStopped, kTryAgain, kStartOver, kFailed };

  AttemptEnd Attempt(const char16_t* url, const char16_t* stagingPath, uint64_t expectedSize,
                     const FileVerifier& verify);
  AttemptEnd Transfer(const char16_t* stagingPath, uint64_t from, uint64_t expectedSize);
  bool Stopped() const { return stop_ != nullptr && stop_->load(); }
  // Keeps failure as the download's; returns end.
  AttemptEnd Failed(DownloadFailure failure, AttemptEnd end);
  void Tell(uint64_t staged, uint64_t expectedSize) const;
  static void OnPiece(uint64_t moved, void* self);

  IHttpSource& source_;
  FileProgress progress_ = nullptr;
  void* progressContext_ = nullptr;
  const std::atomic<bool>* stop_ = nullptr;
  uint64_t (*now_)() = SteadyMilliseconds;
  uint64_t deadline_ = 0;  // on now_'s clock: when the download runs past its time limit
  DownloadFailure failure_;
  // The transfer under way, for OnPiece.
  uint64_t pieceBase_ = 0;
  uint64_t pieceExpected_ = 0;
};

// What follows a download's target in the name of its staging file.
constexpr char16_t kDownloadStagingSuffix[] = u".download~";
// What follows a file's path in the name a patch to it is downloaded under.
constexpr char16_t kPatchStagingSuffix[] = u".patch~";

// The staging file of target: its path followed by ".download~". False, with out empty, when that
// does not fit in kPathCapacity units.
bool StagingPathFor(const char16_t* target, char16_t* out);
