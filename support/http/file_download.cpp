#include "support/http/file_download.h"

#include <utility>

#include "support/files/file_size.h"
#include "support/files/file_stream.h"
#include "support/files/output_file.h"
#include "support/files/plain_file.h"
#include "support/http/download_plan.h"
#include "support/http/download_retry.h"
#include "support/http/download_time_limit.h"
#include "support/http/http_source.h"
#include "support/text/path_text.h"
#include "support/text/system_error_text.h"

namespace {

using Kind = DownloadFailure::Kind;

// What an earlier attempt or run left in the staging file. A name that is not a plain file of its
// own (a hard or symbolic link planted there, say) is removed, which leaves what it led to as it
// was, and the download starts anew.
uint64_t StagedBytes(const char16_t* path) {
  uint64_t size = 0;
  if (!GetFileSize(path, &size)) return 0;
  if (IsSoleNameOfPlainFile(path)) return size;
  RemoveFile(path);
  return 0;
}

bool WriteToFile(void* sink, const uint8_t* bytes, uint32_t n) {
  return static_cast<OutputFile*>(sink)->Write(bytes, n);
}

bool IsWholeFile(const char16_t* path, uint64_t expectedSize, const FileVerifier& verify) {
  uint64_t size = 0;
  return GetFileSize(path, &size) && size == expectedSize && (!verify || verify(path));
}

// The staging file could not be made, opened or written: the system's reason.
DownloadFailure NotWritten(const OutputFile& file) {
  return DownloadFailure(Kind::kNotWritten, SystemErrorText(file.Error()));
}

}  // namespace

DownloadResult CFileDownload::Fetch(const char16_t* url, const char16_t* stagingPath,
                                    uint64_t expectedSize, const FileVerifier& verify) {
  if (url == nullptr || stagingPath == nullptr || expectedSize == 0) {
    failure_ = DownloadFailure(Kind::kRefused);
    return DownloadResult::kFailed;
  }
  deadline_ = now_() + DownloadTimeLimitMs(expectedSize);
  bool startedOver = false;
  for (int attempt = 1; attempt <= kDownloadAttempts; ++attempt) {
    if (!PauseUnlessStopped(RetryPauseMs(attempt), stop_) || Stopped()) {
      failure_ = DownloadFailure(Kind::kStopped);
      return DownloadResult::kStopped;
    }
    if (now_() >= deadline_) {
      failure_ = DownloadFailure(Kind::kOutOfTime);
      return DownloadResult::kCutOff;
    }
    switch (Attempt(url, stagingPath, expectedSize, verify)) {
      case AttemptEnd::kDone:
        failure_ = DownloadFailure();
        return DownloadResult::kDone;
      case AttemptEnd::kStopped:
        return DownloadResult::kStopped;
      case AttemptEnd::kTryAgain:
        break;
      case AttemptEnd::kStartOver:
        // The part that was there before is not this file's beginning: once from the start, as
        // a download of its own.
        RemoveFile(stagingPath);
        if (startedOver) return DownloadResult::kFailed;
        startedOver = true;
        deadline_ = now_() + DownloadTimeLimitMs(expectedSize);
        break;
      case AttemptEnd::kFailed:
        RemoveFile(stagingPath);
        return DownloadResult::kFailed;
    }
  }
  return DownloadResult::kCutOff;
}

CFileDownload::AttemptEnd CFileDownload::Failed(DownloadFailure failure, AttemptEnd end) {
  failure_ = std::move(failure);
  return end;
}

CFileDownload::AttemptEnd CFileDownload::Attempt(const char16_t* url, const char16_t* stagingPath,
                                                 uint64_t expectedSize,
                                                 const FileVerifier& verify) {
  const uint64_t staged = StagedBytes(stagingPath);
  const StartPoint start = PlanStart(staged, expectedSize);
  if (start == StartPoint::kCheckOnly) {
    Tell(expectedSize, expectedSize);
    return IsWholeFile(stagingPath, expectedSize, verify)
               ? AttemptEnd::kDone
               : Failed(DownloadFailure(Kind::kMismatch), AttemptEnd::kStartOver);
  }
  const uint64_t requested = start == StartPoint::kResume ? staged : 0;
  ReplyHead head;
  const SendOutcome sent = source_.Send(url, requested, &head);
  if (sent != SendOutcome::kReplied) {
    return Failed(SendFailure(sent, source_),
                  sent == SendOutcome::kNoReply ? AttemptEnd::kTryAgain : AttemptEnd::kFailed);
  }
  const ReplyPlan plan = JudgeReply(head, requested, expectedSize);
  if (plan.action != ReplyAction::kWrite) {
    return Failed(ReplyFailure(head.status),
                  plan.action == ReplyAction::kRetry ? AttemptEnd::kTryAgain : AttemptEnd::kFailed);
  }
  const AttemptEnd end = Transfer(stagingPath, plan.writeFrom, expectedSize);
  if (end != AttemptEnd::kDone) return end;
  if (IsWholeFile(stagingPath, expectedSize, verify)) return AttemptEnd::kDone;
  return Failed(DownloadFailure(Kind::kMismatch),
                plan.writeFrom == 0 ? AttemptEnd::kFailed : AttemptEnd::kStartOver);
}

CFileDownload::AttemptEnd CFileDownload::Transfer(const char16_t* stagingPath, uint64_t from,
                                                  uint64_t expectedSize) {
  // From the start, the file is made anew: a name that appeared since is never written through.
  if (from == 0) RemoveFile(stagingPath);
  OutputFile file(stagingPath,
                  from == 0 ? OutputFile::Opening::kCreateNew : OutputFile::Opening::kAppend);
  if (!file.IsOpen()) return Failed(NotWritten(file), AttemptEnd::kFailed);
  Tell(from, expectedSize);
  pieceBase_ = from;
  pieceExpected_ = expectedSize;
  BodyPump pump;
  pump.read = ReadFromHttpSource;
  pump.source = &source_;
  pump.write = WriteToFile;
  pump.sink = &file;
  pump.stop = stop_;
  pump.onPiece = &CFileDownload::OnPiece;
  pump.context = this;
  pump.now = now_;
  pump.deadline = deadline_;
  const BodyEnd end = pump.Run(expectedSize - from);
  // What arrived is put on the disk, so that a file put in place after its check is the one
  // checked even when the machine stops right after.
  const bool closed = file.CloseOnDisk();
  switch (end) {
    case BodyEnd::kComplete:
      if (closed) return AttemptEnd::kDone;
      [[fallthrough]];
    case BodyEnd::kWriteFailed:
      return Failed(NotWritten(file), AttemptEnd::kFailed);
    case BodyEnd::kEndedEarly:
    case BodyEnd::kReadFailed:
    case BodyEnd::kTooSlow:
    case BodyEnd::kOutOfTime:  // what arrived stays; the loop ends a download out of time
      return Failed(BodyFailure(end, source_), AttemptEnd::kTryAgain);
    case BodyEnd::kStopped:
      return Failed(BodyFailure(end, source_), AttemptEnd::kStopped);
    case BodyEnd::kTooLong:
    case BodyEnd::kTooLarge:
      break;
  }
  return Failed(BodyFailure(end, source_), AttemptEnd::kFailed);
}

void CFileDownload::Tell(uint64_t staged, uint64_t expectedSize) const {
  if (progress_ != nullptr) progress_(staged, expectedSize, progressContext_);
}

void CFileDownload::OnPiece(uint64_t moved, void* self) {
  const auto* download = static_cast<CFileDownload*>(self);
  download->Tell(download->pieceBase_ + moved, download->pieceExpected_);
}

bool StagingPathFor(const char16_t* target, char16_t* out) {
  return target != nullptr && ComposePath(out, kPathCapacity, {target, kDownloadStagingSuffix});
}
