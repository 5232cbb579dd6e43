#include "support/http/file_download.h"

#include <cstdio>
#include <utility>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "support/files/file_size.h"
#include "support/files/file_stream.h"
#include "support/files/plain_file.h"
#include "support/http/download_plan.h"
#include "support/http/download_retry.h"
#include "support/http/http_body_reader.h"
#include "support/http/http_source.h"
#include "support/text/path_text.h"

namespace {

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
  return std::fwrite(bytes, 1, n, static_cast<std::FILE*>(sink)) == n;
}

// Closes the file once what it holds is on the disk, so that a file put in place after its check
// is the one checked even when the machine stops right after.
bool CloseOnDisk(FileStream file) {
  std::FILE* stream = file.release();
  bool flushed = std::fflush(stream) == 0;
#ifdef _WIN32
  flushed = flushed && _commit(_fileno(stream)) == 0;
#else
  flushed = flushed && fsync(fileno(stream)) == 0;
#endif
  return std::fclose(stream) == 0 && flushed;
}

bool IsWholeFile(const char16_t* path, uint32_t expectedSize, const FileVerifier& verify) {
  uint64_t size = 0;
  return GetFileSize(path, &size) && size == expectedSize && (!verify || verify(path));
}

}  // namespace

DownloadResult CFileDownload::Fetch(const char16_t* url, const char16_t* stagingPath,
                                    uint32_t expectedSize, const FileVerifier& verify) {
  if (url == nullptr || stagingPath == nullptr || expectedSize == 0) return DownloadResult::kFailed;
  bool startedOver = false;
  for (int attempt = 1; attempt <= kDownloadAttempts; ++attempt) {
    if (!PauseUnlessStopped(RetryPauseMs(attempt), stop_) || Stopped()) {
      return DownloadResult::kStopped;
    }
    switch (Attempt(url, stagingPath, expectedSize, verify)) {
      case AttemptEnd::kDone:
        return DownloadResult::kDone;
      case AttemptEnd::kStopped:
        return DownloadResult::kStopped;
      case AttemptEnd::kTryAgain:
        break;
      case AttemptEnd::kStartOver:
        // The part that was there before is not this file's beginning: once from the start.
        RemoveFile(stagingPath);
        if (startedOver) return DownloadResult::kFailed;
        startedOver = true;
        break;
      case AttemptEnd::kFailed:
        RemoveFile(stagingPath);
        return DownloadResult::kFailed;
    }
  }
  return DownloadResult::kCutOff;
}

CFileDownload::AttemptEnd CFileDownload::Attempt(const char16_t* url, const char16_t* stagingPath,
                                                 uint32_t expectedSize,
                                                 const FileVerifier& verify) {
  const uint64_t staged = StagedBytes(stagingPath);
  const StartPoint start = PlanStart(staged, expectedSize);
  if (start == StartPoint::kCheckOnly) {
    Tell(expectedSize, expectedSize);
    return IsWholeFile(stagingPath, expectedSize, verify) ? AttemptEnd::kDone
                                                          : AttemptEnd::kStartOver;
  }
  const uint32_t requested = start == StartPoint::kResume ? static_cast<uint32_t>(staged) : 0;
  ReplyHead head;
  switch (source_.Send(url, requested, &head)) {
    case SendOutcome::kReplied:
      break;
    case SendOutcome::kNoReply:
      return AttemptEnd::kTryAgain;
    case SendOutcome::kRefused:
      return AttemptEnd::kFailed;
  }
  const ReplyPlan plan = JudgeReply(head, requested, expectedSize);
  if (plan.action == ReplyAction::kRetry) return AttemptEnd::kTryAgain;
  if (plan.action == ReplyAction::kRefuse) return AttemptEnd::kFailed;
  const AttemptEnd end = Transfer(stagingPath, plan.writeFrom, expectedSize);
  if (end != AttemptEnd::kDone) return end;
  if (IsWholeFile(stagingPath, expectedSize, verify)) return AttemptEnd::kDone;
  return plan.writeFrom == 0 ? AttemptEnd::kFailed : AttemptEnd::kStartOver;
}

CFileDownload::AttemptEnd CFileDownload::Transfer(const char16_t* stagingPath, uint32_t from,
                                                  uint32_t expectedSize) {
  // From the start, the file is made anew: a name that appeared since is never written through.
  if (from == 0) RemoveFile(stagingPath);
  FileStream file =
      from == 0 ? CreateNewFileStream(stagingPath) : OpenFileStream(stagingPath, "ab");
  if (!file) return AttemptEnd::kFailed;
  Tell(from, expectedSize);
  pieceBase_ = from;
  pieceExpected_ = expectedSize;
  BodyPump pump;
  pump.read = ReadFromHttpSource;
  pump.source = &source_;
  pump.write = WriteToFile;
  pump.sink = file.get();
  pump.stop = stop_;
  pump.onPiece = &CFileDownload::OnPiece;
  pump.context = this;
  const BodyEnd end = pump.Run(expectedSize - from);
  const bool closed = CloseOnDisk(std::move(file));
  switch (end) {
    case BodyEnd::kComplete:
      return closed ? AttemptEnd::kDone : AttemptEnd::kFailed;
    case BodyEnd::kEndedEarly:
    case BodyEnd::kReadFailed:
    case BodyEnd::kTooSlow:
      return AttemptEnd::kTryAgain;
    case BodyEnd::kStopped:
      return AttemptEnd::kStopped;
    case BodyEnd::kTooLong:
    case BodyEnd::kWriteFailed:
      break;
  }
  return AttemptEnd::kFailed;
}

void CFileDownload::Tell(uint32_t staged, uint32_t expectedSize) const {
  if (progress_ != nullptr) progress_(staged, expectedSize, progressContext_);
}

void CFileDownload::OnPiece(uint32_t moved, void* self) {
  const auto* download = static_cast<CFileDownload*>(self);
  download->Tell(download->pieceBase_ + moved, download->pieceExpected_);
}

bool StagingPathFor(const char16_t* target, char16_t* out) {
  return target != nullptr && ComposePath(out, kPathCapacity, {target, kDownloadStagingSuffix});
}
