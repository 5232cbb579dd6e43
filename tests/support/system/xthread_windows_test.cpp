#include "support/system/xthread.h"

#include <gtest/gtest.h>

#include <atomic>

#include "support/core/handle_windows.h"

namespace {

// A body that runs for a given time, counting its runs and whether it got to the end.
class TimedWorker : public XNotifyThread {
 public:
  explicit TimedWorker(DWORD milliseconds) : milliseconds_(milliseconds) {}
  ~TimedWorker() override { Stop(0); }

  std::atomic<int> runs{0};
  std::atomic<int> finished{0};

 protected:
  void Run() override {
    ++runs;
    Sleep(milliseconds_);
    ++finished;
  }

 private:
  DWORD milliseconds_;
};

// A handle of the test's own on the worker's thread, to see when it is gone.
Handle OpenWorkerThread(const XThread& worker) {
  return Handle(OpenThread(SYNCHRONIZE, FALSE, worker.Id()));
}

bool HasEnded(const Handle& thread) {
  return WaitForSingleObject(thread.Get(), 0) == WAIT_OBJECT_0;
}

TEST(XThread, StartsOnceAndDetachesWhenTheBodyReturns) {
  TimedWorker worker(200);
  EXPECT_FALSE(worker.IsAttached());
  ASSERT_TRUE(worker.Start());
  EXPECT_FALSE(worker.Start());  // the first thread runs on
  EXPECT_TRUE(worker.IsAttached());
  uint32_t id = worker.Id();
  EXPECT_NE(id, 0u);

  worker.Wait(10000);
  EXPECT_EQ(worker.finished, 1);
  EXPECT_EQ(worker.runs, 1);
  EXPECT_FALSE(worker.IsAttached());
  EXPECT_EQ(worker.Id(), id);  // kept after the body's own end
  worker.Stop(0);              // nothing attached: nothing happens
  EXPECT_EQ(worker.Id(), id);

  ASSERT_TRUE(worker.Start());  // a thread that ended by itself can start again
  worker.Wait(10000);
  EXPECT_EQ(worker.runs, 2);
  EXPECT_EQ(worker.finished, 2);
}

TEST(XThread, StopEndsTheThreadAtOnceOrAfterItsGrace) {
  TimedWorker endless(INFINITE);
  ASSERT_TRUE(endless.Start());
  while (endless.runs == 0) Sleep(1);
  Handle thread = OpenWorkerThread(endless);
  ASSERT_TRUE(thread.Valid());
  endless.Stop(0);
  EXPECT_TRUE(HasEnded(thread));  // gone when Stop returns
  EXPECT_EQ(endless.finished, 0);
  EXPECT_FALSE(endless.IsAttached());
  EXPECT_EQ(endless.Id(), 0u);

  TimedWorker brief(200);
  ASSERT_TRUE(brief.Start());
  brief.Stop(5000);  // ends within its grace: it gets to finish
  EXPECT_EQ(brief.finished, 1);
  EXPECT_FALSE(brief.IsAttached());

  TimedWorker slow(INFINITE);
  ASSERT_TRUE(slow.Start());
  slow.Wait(50);  // a wait that times out leaves it running
  EXPECT_TRUE(slow.IsAttached());
  slow.Stop(100);
  EXPECT_EQ(slow.finished, 0);
  EXPECT_FALSE(slow.IsAttached());
}

TEST(XThread, DestroyingTheObjectEndsItsThread) {
  Handle thread;
  {
    TimedWorker worker(INFINITE);
    ASSERT_TRUE(worker.Start());
    thread = OpenWorkerThread(worker);
  }
  ASSERT_TRUE(thread.Valid());
  EXPECT_TRUE(HasEnded(thread));
}

// A body that ends at once races the owner: its detaching (OnExit) against Start storing the
// handle, and against Stop taking it, whether the thread is still starting, in its body or
// ending. Whichever comes first, the thread is gone and the object detached and ready again.
TEST(XThread, ABodyThatEndsAtOnceNeverStaysAttached) {
  TimedWorker worker(0);
  for (int i = 0; i < 400; ++i) {
    ASSERT_TRUE(worker.Start());
    Handle thread = OpenWorkerThread(worker);  // the object's own handle keeps the id valid
    ASSERT_TRUE(thread.Valid());
    if (i % 2 == 0) worker.Stop(0);
    // Stopped, or ended by itself a moment ago: either way about to be gone, never left hanging.
    ASSERT_EQ(WaitForSingleObject(thread.Get(), 10000), WAIT_OBJECT_0) << "round " << i;
    ASSERT_FALSE(worker.IsAttached()) << "round " << i;
  }
  EXPECT_GE(worker.runs, 200);
}

}  // namespace
