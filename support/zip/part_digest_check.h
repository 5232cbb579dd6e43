#pragma once

#include <atomic>
#include <thread>

#include "support/zip/part_manifest.h"

// The digests of an archive's parts, computed on a thread of its own, part after part, while the
// archive is being read for its entries: the parts are authenticated without a pass over them
// before the reading starts, and the reader waits for the verdict before it keeps anything.
class PartDigestCheck {
 public:
  // Starts on parts, which are copied. stop (may be null), set from another thread, ends the
  // check early.
  PartDigestCheck(const SplitArchive& parts, const std::atomic<bool>* stop);
  // Ends the check, waiting for its thread.
  ~PartDigestCheck();
  PartDigestCheck(const PartDigestCheck&) = delete;
  PartDigestCheck& operator=(const PartDigestCheck&) = delete;

  // Waits for the check to end: the index of the first part whose file does not hold the bytes
  // its record describes (missing, shorter, or another digest), or -1 when every part matched.
  // Meaningless once stop was set.
  int FirstMismatch();

 private:
  void Run();

  SplitArchive parts_;
  const std::atomic<bool>* stop_;
  std::atomic<bool> abandoned_{false};
  int firstMismatch_ = -1;
  std::thread thread_;  // last: it starts once the rest is there
};
