#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "support/journal/journal_target.h"

// Renames written files into place (a file written at its own name needs none) and closes them on a
// thread of its own, in the order they are handed, so that whoever writes them goes on to the next
// at once: closing a file is a round trip to the system, and may wait for a scanner to look at it.
// Once one fails, those after it are closed without being placed.
class BackgroundPlacer {
 public:
  // At most this many files wait, each holding its handle, before Hand waits for room.
  static constexpr size_t kMostWaiting = 64;

  // target tells why a placement failed.
  explicit BackgroundPlacer(IJournalTarget& target);
  // Closes, without placing them, the files still waiting; the one being placed finishes.
  ~BackgroundPlacer();
  BackgroundPlacer(const BackgroundPlacer&) = delete;
  BackgroundPlacer& operator=(const BackgroundPlacer&) = delete;

  // Hands file, whole at its staging name or at path itself, to be renamed to path and closed.
  // Without a thread (none could be started) the file is placed here and now.
  void Hand(std::unique_ptr<IStagedFile> file, const std::u16string& path);
  // Waits until every file handed so far is placed or has failed. False when one failed: *path
  // and *reason then say which came first of those that failed, and why.
  bool Finish(std::u16string* path, std::u16string* reason);

 private:
  struct Waiting {
    std::unique_ptr<IStagedFile> file;
    std::u16string path;
  };
  void Run();
  // Places one file, keeping the failure when it is the first.
  void Place(Waiting& waiting);

  IJournalTarget& target_;
  std::mutex lock_;
  std::condition_variable changed_;  // a file handed, placed, or the end asked for
  std::deque<Waiting> waiting_;
  bool placing_ = false;  // the thread holds a file it took off waiting_
  bool ending_ = false;
  bool failed_ = false;
  std::u16string failedPath_;
  std::u16string failedReason_;
  std::thread thread_;  // last: started once the rest is ready
};
