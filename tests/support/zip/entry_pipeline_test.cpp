#include "support/zip/entry_pipeline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tests/helpers/collecting_sink.h"

namespace {

// Item i's content: its size and bytes follow from i alone, so any worker makes the same.
std::string ItemContent(int item) {
  static const size_t kSizes[] = {0, 1, 63, 64, 65, 200, 1000, 5000, 7};
  std::string bytes(kSizes[item % 9] + static_cast<size_t>(item / 9), '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(item * 31 + i * 7);
  return bytes;
}

// Gives each item's content in pieces of up to 50 bytes (not the pipeline's size), fails the
// items it is told to after giving half of them, and counts the pieces it gave.
class ScriptedSource : public IEntrySource {
 public:
  ScriptedSource(std::vector<int> failing, std::atomic<int>* given)
      : failing_(std::move(failing)), given_(given) {}

  bool ReadEntry(int item, IEntrySink& sink) override {
    const std::string bytes = ItemContent(item);
    const bool fails = std::find(failing_.begin(), failing_.end(), item) != failing_.end();
    const size_t end = fails ? bytes.size() / 2 : bytes.size();
    for (size_t done = 0; done < end; done += 50) {
      const size_t n = std::min<size_t>(50, end - done);
      if (given_ != nullptr) given_->fetch_add(1);
      if (!sink.Put(reinterpret_cast<const uint8_t*>(bytes.data()) + done, n)) return false;
    }
    return !fails;
  }

 private:
  std::vector<int> failing_;
  std::atomic<int>* given_;
};

// An item without end: pieces until the sink refuses one.
class EndlessSource : public IEntrySource {
 public:
  explicit EndlessSource(std::atomic<long>* given) : given_(given) {}
  bool ReadEntry(int, IEntrySink& sink) override {
    const uint8_t bytes[512] = {};
    while (sink.Put(bytes, sizeof bytes)) given_->fetch_add(1);
    return false;
  }

 private:
  std::atomic<long>* given_;
};

std::vector<std::unique_ptr<IEntrySource>> ScriptedSources(int workers, std::vector<int> failing,
                                                          std::atomic<int>* given = nullptr) {
  std::vector<std::unique_ptr<IEntrySource>> sources;
  for (int i = 0; i < workers; ++i) sources.push_back(std::make_unique<ScriptedSource>(failing, given));
  return sources;
}

// Every item reaches the writer in order, whole, in pieces no larger than the pipeline's, and
// a failed read fails its item only: for any number of workers and pieces, also one piece each.
TEST(EntryPipeline, HandsEveryItemInOrderWithItsResult) {
  struct Case {
    int workers;
    size_t pieceSize;
    int piecesPerWorker;
    std::vector<int> failing;
  };
  const Case cases[] = {
      {1, 64, 1, {}},      {2, 64, 1, {0, 5}},    {2, 64, 3, {13, 79}},
      {4, 100, 2, {7, 8}}, {3, 4096, 4, {0, 79}}, {8, 3, 1, {40}},
  };
  constexpr int kItems = 80;
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.workers << " workers, pieces of " << c.pieceSize
                                      << " x " << c.piecesPerWorker);
    EntryPipeline pipeline(ScriptedSources(c.workers, c.failing), kItems, nullptr, c.pieceSize,
                           c.piecesPerWorker);
    ASSERT_EQ(pipeline.RunningWorkers(), c.workers);
    for (int item = 0; item < kItems; ++item) {
      SCOPED_TRACE(item);
      CollectingSink sink(c.pieceSize);
      const bool fails = std::find(c.failing.begin(), c.failing.end(), item) != c.failing.end();
      ASSERT_EQ(pipeline.WriteNext(sink), fails ? EntryResult::kFailed : EntryResult::kRead);
      const std::string whole = ItemContent(item);
      EXPECT_EQ(sink.Content(), fails ? whole.substr(0, whole.size() / 2) : whole);
    }
    CollectingSink after(c.pieceSize);
    EXPECT_EQ(pipeline.WriteNext(after), EntryResult::kStopped);
    EXPECT_EQ(after.Pieces(), 0);
  }
}

// A sink that refuses a piece fails its item, and its worker gives the rest up rather than
// reading it to the end; the items after it are whole.
TEST(EntryPipeline, ARefusedPieceFailsItsItemAndStopsItsRead) {
  std::atomic<long> given{0};
  std::vector<std::unique_ptr<IEntrySource>> sources;
  sources.push_back(std::make_unique<EndlessSource>(&given));
  EntryPipeline endless(std::move(sources), 2, nullptr, 512, 2);
  CollectingSink refusing(512, 3);
  EXPECT_EQ(endless.WriteNext(refusing), EntryResult::kFailed);
  EXPECT_EQ(refusing.Pieces(), 4);
  // Had the worker read the first item on, the second would never come.
  CollectingSink second(512, 0);
  EXPECT_EQ(endless.WriteNext(second), EntryResult::kFailed);
  EXPECT_EQ(second.Pieces(), 1);

  std::atomic<int> pieces{0};
  EntryPipeline pipeline(ScriptedSources(2, {}, &pieces), 30, nullptr, 64, 2);
  for (int item = 0; item < 30; ++item) {
    SCOPED_TRACE(item);
    CollectingSink sink(64, item == 17 ? 0 : -1);
    ASSERT_EQ(pipeline.WriteNext(sink), item == 17 ? EntryResult::kFailed : EntryResult::kRead);
    if (item != 17) {
      EXPECT_EQ(sink.Content(), ItemContent(item));
    }
  }
}

// Workers run ahead of a slow writer by their pieces and no further: what was read but not yet
// written never exceeds workers x (pieces + the one being filled) x piece size.
TEST(EntryPipeline, ReadsNoFurtherAheadThanItsPieces) {
  constexpr int kWorkers = 3;
  constexpr int kPieces = 2;
  constexpr size_t kPieceSize = 50;  // one piece of the source's each
  std::atomic<int> given{0};
  EntryPipeline pipeline(ScriptedSources(kWorkers, {}, &given), 100, nullptr, kPieceSize, kPieces);
  int written = 0;
  int mostAhead = 0;
  class CountingSink : public IEntrySink {
   public:
    CountingSink(std::atomic<int>& given, int& written, int& mostAhead)
        : given_(given), written_(written), mostAhead_(mostAhead) {}
    bool Put(const uint8_t*, size_t) override {
      std::this_thread::sleep_for(std::chrono::microseconds(200));
      mostAhead_ = std::max(mostAhead_, given_.load() - written_);
      ++written_;
      return true;
    }

   private:
    std::atomic<int>& given_;
    int& written_;
    int& mostAhead_;
  } sink(given, written, mostAhead);
  while (pipeline.WriteNext(sink) == EntryResult::kRead) {
  }
  EXPECT_GT(written, 100);
  EXPECT_GT(mostAhead, kWorkers);  // the workers did run ahead
  EXPECT_LE(mostAhead, kWorkers * (kPieces + 1));
}

// The stop flag ends a run mid-item: the writer returns, the workers give their items up and the
// pipeline ends, with items of no end that only a stop can end.
TEST(EntryPipeline, StopsMidItemWhenAsked) {
  for (int workers : {1, 2, 4}) {
    SCOPED_TRACE(workers);
    std::atomic<long> given{0};
    std::atomic<bool> stop{false};
    std::vector<std::unique_ptr<IEntrySource>> sources;
    for (int i = 0; i < workers; ++i) sources.push_back(std::make_unique<EndlessSource>(&given));
    {
      EntryPipeline pipeline(std::move(sources), 10, &stop, 4096, 2);
      class StoppingSink : public IEntrySink {
       public:
        explicit StoppingSink(std::atomic<bool>& stop) : stop_(stop) {}
        bool Put(const uint8_t*, size_t) override {
          if (++pieces_ == 100) stop_.store(true);
          return true;
        }

       private:
        std::atomic<bool>& stop_;
        int pieces_ = 0;
      } sink(stop);
      EXPECT_EQ(pipeline.WriteNext(sink), EntryResult::kStopped);
      EXPECT_EQ(pipeline.WriteNext(sink), EntryResult::kStopped);
    }
    // Once stopped, the endless sources were cut off: none runs on past the pipeline's end.
    const long atEnd = given.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(given.load(), atEnd);
  }
}

TEST(EntryPipeline, WorkerCountIsTheCoresWithinTwoToSixteen) {
  const int count = EntryPipeline::WorkerCount();
  EXPECT_GE(count, 2);
  EXPECT_LE(count, 16);
  const int cores = static_cast<int>(std::thread::hardware_concurrency());
  if (cores >= 2 && cores <= 16) {
    EXPECT_EQ(count, cores);
  }
}

}  // namespace
