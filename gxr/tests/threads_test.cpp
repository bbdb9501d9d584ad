// Locks, threads, byte order, time stamps and RPC start-up.
#include <gtest/gtest.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <thread>

#include "gxr/gxr.h"

namespace {

using namespace std::chrono_literals;

// Long enough for a thread that is not blocked to get past a lock.
constexpr auto kSettle = 100ms;

TEST(GxrLocks, InitNestsAndOnlyTheLastCleanupDestroysTheFileManagerLock) {
  const std::string name =
      (std::filesystem::temp_directory_path() / ("gxr-lock-" + std::to_string(getpid())))
          .string();
  std::ofstream(name) << "data";
  GxrMapReader reader{};

  ASSERT_EQ(GXR_ThreadInit(), GXR_OK);
  ASSERT_EQ(GXR_ThreadInit(), GXR_OK);
  EXPECT_EQ(GXR_ThreadCleanup(), GXR_OK);
  ASSERT_EQ(GXR_FileOpen(GXR_IO_OPEN_READ, &reader, name.c_str()), GXR_OK);  // lock still there
  ASSERT_EQ(GXR_FileClose(&reader), GXR_OK);
  EXPECT_EQ(GXR_ThreadCleanup(), GXR_OK);
  // No file-manager lock: open and close refuse to run unguarded.
  EXPECT_EQ(GXR_FileOpen(GXR_IO_OPEN_READ, &reader, name.c_str()), GXR_MUTEX_LOCK);
  EXPECT_EQ(reader.base, nullptr);
  EXPECT_EQ(GXR_FileClose(&reader), GXR_MUTEX_LOCK);

  // A cleanup without its init drives the count below zero; the next init
  // then creates nothing.
  EXPECT_EQ(GXR_ThreadCleanup(), GXR_OK);
  ASSERT_EQ(GXR_ThreadInit(), GXR_OK);
  EXPECT_EQ(GXR_FileOpen(GXR_IO_OPEN_READ, &reader, name.c_str()), GXR_MUTEX_LOCK);
  ASSERT_EQ(GXR_ThreadInit(), GXR_OK);  // count 0 again: creates
  ASSERT_EQ(GXR_FileOpen(GXR_IO_OPEN_READ, &reader, name.c_str()), GXR_OK);
  ASSERT_EQ(GXR_FileClose(&reader), GXR_OK);
  EXPECT_EQ(GXR_ThreadCleanup(), GXR_OK);
  std::filesystem::remove(name);
}

TEST(GxrLocks, ServiceOperations) {
  GxrLock lock = nullptr;
  ASSERT_EQ(GXR_ThreadMutexService(GXR_LOCK_CREATE, &lock), GXR_OK);
  ASSERT_NE(lock, nullptr);
  EXPECT_EQ(GXR_ThreadMutexService(GXR_LOCK_GIVE, &lock), GXR_MUTEX_UNLOCK);  // free already
  ASSERT_EQ(GXR_ThreadMutexService(GXR_LOCK_TAKE, &lock), GXR_OK);
  ASSERT_EQ(GXR_ThreadMutexService(GXR_LOCK_GIVE, &lock), GXR_OK);
  EXPECT_EQ(GXR_ThreadMutexService(GXR_LOCK_GIVE, &lock), GXR_MUTEX_UNLOCK);
  EXPECT_EQ(GXR_ThreadMutexService(5, &lock), GXR_BAD_SERVICE);
  EXPECT_EQ(GXR_ThreadMutexService(0, &lock), GXR_BAD_SERVICE);
  EXPECT_EQ(GXR_ThreadMutexService(GXR_LOCK_DESTROY, &lock), GXR_OK);
  EXPECT_EQ(lock, nullptr);
  EXPECT_EQ(GXR_ThreadMutexService(GXR_LOCK_TAKE, &lock), GXR_MUTEX_LOCK);  // no lock
  EXPECT_EQ(GXR_ThreadMutexService(GXR_LOCK_TAKE, nullptr), GXR_NULL_POINTER);
}

TEST(GxrLocks, NotRecursiveAndReleasedByAnyThread) {
  GxrLock lock = nullptr;
  ASSERT_EQ(GXR_ThreadMutexService(GXR_LOCK_CREATE, &lock), GXR_OK);
  std::atomic<int> stage{0};
  std::thread taker([&] {
    GXR_ThreadMutexService(GXR_LOCK_TAKE, &lock);
    stage = 1;
    GXR_ThreadMutexService(GXR_LOCK_TAKE, &lock);  // blocks: the lock is its own
    stage = 2;
  });
  while (stage < 1) std::this_thread::sleep_for(1ms);
  std::this_thread::sleep_for(kSettle);
  EXPECT_EQ(stage, 1);
  // Another thread gives the lock back, which lets the taker through.
  ASSERT_EQ(GXR_ThreadMutexService(GXR_LOCK_GIVE, &lock), GXR_OK);
  taker.join();
  EXPECT_EQ(stage, 2);
  ASSERT_EQ(GXR_ThreadMutexService(GXR_LOCK_GIVE, &lock), GXR_OK);
  GXR_ThreadMutexService(GXR_LOCK_DESTROY, &lock);
}

struct Work {
  std::atomic<int> value{0};
  std::atomic<bool> release{false};
};

void setToSeven(void *argument) { static_cast<Work *>(argument)->value = 7; }

void exitHalfway(void *argument) {
  static_cast<Work *>(argument)->value = 1;
  GXR_ThreadExit();
  static_cast<Work *>(argument)->value = 2;  // never reached
}

void waitForRelease(void *argument) {
  auto *work = static_cast<Work *>(argument);
  while (!work->release) std::this_thread::sleep_for(1ms);
  work->value = 3;
}

TEST(GxrThreads, StartWaitAndWaitAgain) {
  Work work;
  GxrThread thread = -1;
  ASSERT_EQ(GXR_ThreadCreate(setToSeven, &work, &thread), GXR_OK);
  EXPECT_NE(thread, -1);
  ASSERT_EQ(GXR_ThreadWait(thread), GXR_OK);
  EXPECT_EQ(work.value, 7);
  // The handle no longer designates a thread: not an error, and no second
  // join of a stale thread.
  EXPECT_EQ(GXR_ThreadWait(thread), GXR_OK);
  EXPECT_EQ(GXR_ThreadWait(-1), GXR_OK);
  EXPECT_EQ(GXR_ThreadCreate(nullptr, &work, &thread), GXR_NULL_POINTER);
}

// Address space of the process in KiB.
long addressSpaceKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmSize:", 0) == 0) return std::stol(line.substr(7));
  }
  return -1;
}

void markDone(void *argument) { static_cast<std::atomic<bool> *>(argument)->store(true); }

// Threads nobody waits for give their stacks back when they end: a few
// hundred of them, one after another, leave the address space about where
// it was (kept, each would hold its stack of several megabytes).
TEST(GxrThreads, FinishedThreadsNobodyWaitsForReleaseTheirStacks) {
  constexpr int kThreads = 400;
  constexpr long kAllowedGrowthKiB = 1024 * 1024;
  const long before = addressSpaceKiB();
  ASSERT_GT(before, 0);
  GxrThread last = -1;
  for (int i = 0; i < kThreads; ++i) {
    std::atomic<bool> done{false};
    ASSERT_EQ(GXR_ThreadCreate(markDone, &done, &last), GXR_OK);
    while (!done.load()) std::this_thread::yield();
  }
  std::this_thread::sleep_for(50ms);
  EXPECT_LT(addressSpaceKiB() - before, kAllowedGrowthKiB);
  // Waiting for a thread that ended unwaited is no error.
  EXPECT_EQ(GXR_ThreadWait(last), GXR_OK);
}

TEST(GxrThreads, ExitEndsTheCallingThread) {
  Work work;
  GxrThread thread = -1;
  ASSERT_EQ(GXR_ThreadCreate(exitHalfway, &work, &thread), GXR_OK);
  ASSERT_EQ(GXR_ThreadWait(thread), GXR_OK);
  EXPECT_EQ(work.value, 1);
}

TEST(GxrThreads, TwoWaitersBothReturnOnceTheThreadHasEnded) {
  Work work;
  GxrThread thread = -1;
  ASSERT_EQ(GXR_ThreadCreate(waitForRelease, &work, &thread), GXR_OK);
  std::atomic<int> returned{0};
  std::atomic<int> sawValue{0};
  auto waiter = [&] {
    if (GXR_ThreadWait(thread) == GXR_OK && work.value == 3) ++sawValue;
    ++returned;
  };
  std::thread first(waiter);
  std::thread second(waiter);
  std::this_thread::sleep_for(kSettle);
  EXPECT_EQ(returned, 0);
  work.release = true;
  first.join();
  second.join();
  EXPECT_EQ(sawValue, 2);
}

struct SelfWait {
  std::atomic<GxrThread> handle{0};
  std::atomic<int> status{-1};
};

void waitForItself(void *argument) {
  auto *self = static_cast<SelfWait *>(argument);
  while (self->handle == 0) std::this_thread::sleep_for(1ms);
  self->status = GXR_ThreadWait(self->handle);
}

TEST(GxrThreads, AThreadCannotWaitForItselfButOthersStillCan) {
  SelfWait self;
  GxrThread thread = -1;
  ASSERT_EQ(GXR_ThreadCreate(waitForItself, &self, &thread), GXR_OK);
  self.handle = thread;
  EXPECT_EQ(GXR_ThreadWait(thread), GXR_OK);
  EXPECT_EQ(self.status, GXR_CANNOT_WAIT);
}

TEST(GxrThreads, IdentifierIsTheSystemThreadId) {
  uint32_t mine = 0;
  ASSERT_EQ(GXR_ThreadIDGet(&mine), GXR_OK);
  EXPECT_EQ(mine, static_cast<uint32_t>(syscall(SYS_gettid)));
  uint32_t other = 0;
  std::thread([&] { GXR_ThreadIDGet(&other); }).join();
  EXPECT_NE(other, mine);
  EXPECT_EQ(GXR_ThreadIDGet(nullptr), GXR_NULL_POINTER);
}

TEST(GxrByteOrder, SwapsReverseForBigAndKeepForLittle) {
  uint16_t s = 0x1234;
  EXPECT_EQ(GXR_ShortSwap(GXR_BIG, &s), GXR_OK);
  EXPECT_EQ(s, 0x3412);
  s = 0x1234;
  EXPECT_EQ(GXR_ShortSwap(GXR_LITTLE, &s), GXR_OK);
  EXPECT_EQ(s, 0x1234);
  EXPECT_EQ(GXR_ShortSwap(2, &s), GXR_BAD_BYTE_ORDER);
  EXPECT_EQ(s, 0x1234);

  unsigned char l[4] = {0x11, 0x22, 0x33, 0x44};
  EXPECT_EQ(GXR_LongSwap(GXR_BIG, l), GXR_OK);
  EXPECT_EQ(std::memcmp(l, "\x44\x33\x22\x11", 4), 0);
  EXPECT_EQ(GXR_FloatSwap(GXR_BIG, l), GXR_OK);  // the same operation under its second name
  EXPECT_EQ(std::memcmp(l, "\x11\x22\x33\x44", 4), 0);
  EXPECT_EQ(GXR_LongSwap(-1, l), GXR_BAD_BYTE_ORDER);

  double d = 1234.5678;
  unsigned char before[8];
  std::memcpy(before, &d, 8);
  ASSERT_EQ(GXR_DoubleSwap(GXR_BIG, &d), GXR_OK);
  unsigned char after[8];
  std::memcpy(after, &d, 8);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(after[i], before[7 - i]) << i;
  ASSERT_EQ(GXR_DoubleSwap(GXR_BIG, &d), GXR_OK);
  EXPECT_EQ(d, 1234.5678);
  EXPECT_EQ(GXR_DoubleSwap(GXR_LITTLE, nullptr), GXR_NULL_POINTER);
}

TEST(GxrTime, StampIsLocalTimeAsYearMonthDayDotHourMinuteSecond) {
  auto stamp = [](std::time_t t) {
    std::tm local{};
    localtime_r(&t, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d.%H.%M.%S", &local);
    return std::string(text);
  };
  const std::time_t before = std::time(nullptr);
  char *text = nullptr;
  ASSERT_EQ(GXR_DateTimeGet(&text), GXR_OK);
  const std::time_t after = std::time(nullptr);
  ASSERT_NE(text, nullptr);
  const std::string got = text;
  GXR_PtrFree(reinterpret_cast<void **>(&text));
  EXPECT_TRUE(std::regex_match(got, std::regex(R"(\d{8}\.\d{2}\.\d{2}\.\d{2})"))) << got;
  EXPECT_TRUE(got == stamp(before) || got == stamp(after)) << got;
  EXPECT_EQ(GXR_DateTimeGet(nullptr), GXR_NULL_POINTER);
}

TEST(GxrRpc, InitIsIdempotent) {
  EXPECT_EQ(GXR_RPCInit(), GXR_OK);
  EXPECT_EQ(GXR_RPCInit(), GXR_OK);
}

}  // namespace
