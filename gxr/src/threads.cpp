// Locks, threads, byte order, time stamps and RPC start-up.
#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <ctime>
#include <map>
#include <mutex>
#include <new>

#include "gxr/gxr.h"
#include "locks.hpp"

// A binary semaphore: unlike a mutex it may be given back by any thread, and
// unlike a counting semaphore giving back a free lock is an error rather than
// a second permit.
struct GxrLockObject {
  std::mutex mutex;
  std::condition_variable freed;
  bool taken = false;
};

namespace {

GxrLock gFileManagerLock = nullptr;
GxrLock gEngineLock = nullptr;
GxrLock gAccuracyLock = nullptr;

// Unmatched GXR_ThreadInit calls; callers keep init and cleanup on one thread.
int32_t gInitCount = 0;
bool gRpcStarted = false;

int createLock(GxrLock *lock) {
  *lock = new (std::nothrow) GxrLockObject;
  return *lock == nullptr ? GXR_MUTEX_INIT : GXR_OK;
}

int takeLock(GxrLock lock) {
  if (lock == nullptr) return GXR_MUTEX_LOCK;
  std::unique_lock hold(lock->mutex);
  lock->freed.wait(hold, [lock] { return !lock->taken; });
  lock->taken = true;
  return GXR_OK;
}

int giveLock(GxrLock lock) {
  if (lock == nullptr) return GXR_MUTEX_UNLOCK;
  {
    std::lock_guard hold(lock->mutex);
    if (!lock->taken) return GXR_MUTEX_UNLOCK;
    lock->taken = false;
  }
  lock->freed.notify_one();
  return GXR_OK;
}

void destroyLock(GxrLock *lock) {
  delete *lock;
  *lock = nullptr;
}

// Threads are handed out as small numbers that are never reused, mapped to
// their pthread_t here: a pthread_t may be joined once only, and after that
// its value may designate a new thread. A thread that ends while nobody is
// waiting for it detaches itself and leaves the table, so that its stack is
// released without a wait; a handle missing from the table designates a
// thread that has ended.
class ThreadTable {
 public:
  // Entered before the thread starts, so that it finds itself when it ends.
  GxrThread reserve() {
    std::lock_guard hold(mutex_);
    const GxrThread handle = next_++;
    threads_.emplace(handle, Entry{});
    return handle;
  }

  void started(GxrThread handle, pthread_t thread) {
    std::lock_guard hold(mutex_);
    auto found = threads_.find(handle);
    if (found != threads_.end()) found->second.thread = thread;
  }

  void forget(GxrThread handle) {
    std::lock_guard hold(mutex_);
    threads_.erase(handle);
  }

  // Called by the thread itself as it ends; a waiter already joining it
  // releases it instead.
  void ended(GxrThread handle) {
    std::lock_guard hold(mutex_);
    auto found = threads_.find(handle);
    if (found == threads_.end() || found->second.joining) return;
    pthread_detach(pthread_self());
    threads_.erase(found);
  }

  int wait(GxrThread handle) {
    std::unique_lock hold(mutex_);
    for (;;) {
      auto found = threads_.find(handle);
      if (found == threads_.end()) return GXR_OK;
      // A thread waiting for itself would never see its own end.
      if (pthread_equal(found->second.thread, pthread_self())) return GXR_CANNOT_WAIT;
      if (!found->second.joining) {
        found->second.joining = true;
        const pthread_t thread = found->second.thread;
        hold.unlock();
        const int rc = pthread_join(thread, nullptr);
        hold.lock();
        if (rc == 0) {
          threads_.erase(handle);
        } else {
          threads_.find(handle)->second.joining = false;
        }
        joined_.notify_all();
        return rc == 0 ? GXR_OK : GXR_CANNOT_WAIT;
      }
      // Another waiter is joining it: wait for that join to end, then look
      // again (the thread is gone, or that join failed and this one tries).
      joined_.wait(hold);
    }
  }

 private:
  struct Entry {
    pthread_t thread{};
    bool joining = false;
  };
  std::mutex mutex_;
  std::condition_variable joined_;
  std::map<GxrThread, Entry> threads_;
  GxrThread next_ = 1;
};

ThreadTable &threadTable() {
  static ThreadTable table;
  return table;
}

struct ThreadStart {
  void (*routine)(void *);
  void *argument;
  GxrThread handle;
};

// Tells the table the thread has ended, also when the routine leaves
// through GXR_ThreadExit, which unwinds the stack.
class EndOfThread {
 public:
  explicit EndOfThread(GxrThread handle) : handle_(handle) {}
  ~EndOfThread() { threadTable().ended(handle_); }
  EndOfThread(const EndOfThread &) = delete;
  EndOfThread &operator=(const EndOfThread &) = delete;

 private:
  GxrThread handle_;
};

void *runThread(void *start) {
  const ThreadStart copy = *static_cast<ThreadStart *>(start);
  delete static_cast<ThreadStart *>(start);
  const EndOfThread end(copy.handle);
  copy.routine(copy.argument);
  return nullptr;
}

template <size_t N>
int swapBytes(int order, void *value) {
  if (order != GXR_BIG && order != GXR_LITTLE) return GXR_BAD_BYTE_ORDER;
  if (value == nullptr) return GXR_NULL_POINTER;
  if (order == GXR_BIG) {
    auto *bytes = static_cast<unsigned char *>(value);
    std::reverse(bytes, bytes + N);
  }
  return GXR_OK;
}

}  // namespace

namespace gxr {

GxrLock &fileManagerLock() { return gFileManagerLock; }
GxrLock &engineLock() { return gEngineLock; }
GxrLock &accuracyLock() { return gAccuracyLock; }

LockHold::LockHold(GxrLock &lock) : lock_(lock), status_(takeLock(lock)), held_(status_ == GXR_OK) {}

LockHold::~LockHold() { release(); }

int LockHold::release() {
  if (!held_) return status_ == GXR_OK ? GXR_MUTEX_UNLOCK : status_;
  held_ = false;
  return giveLock(lock_);
}

}  // namespace gxr

extern "C" {

int GXR_ThreadInit(void) {
  if (gInitCount == 0) {
    // A lock that already exists (the engine and accuracy locks outlive a
    // cleanup, and a failed init may have created some) is kept: creating
    // it again would lose a lock some thread may hold.
    for (GxrLock *lock : {&gFileManagerLock, &gEngineLock, &gAccuracyLock}) {
      if (*lock != nullptr) continue;
      const int status = createLock(lock);
      if (status != GXR_OK) return status;
    }
  }
  ++gInitCount;
  return GXR_OK;
}

int GXR_ThreadCleanup(void) {
  if (gInitCount-- == 1) destroyLock(&gFileManagerLock);
  return GXR_OK;
}

int GXR_ThreadMutexService(int operation, GxrLock *lock) {
  if (lock == nullptr) return GXR_NULL_POINTER;
  switch (operation) {
    case GXR_LOCK_CREATE: return createLock(lock);
    case GXR_LOCK_TAKE: return takeLock(*lock);
    case GXR_LOCK_GIVE: return giveLock(*lock);
    case GXR_LOCK_DESTROY: destroyLock(lock); return GXR_OK;
    default: return GXR_BAD_SERVICE;
  }
}

int GXR_ThreadCreate(void (*routine)(void *), void *argument, GxrThread *thread) {
  if (routine == nullptr || thread == nullptr) return GXR_NULL_POINTER;
  *thread = -1;
  const GxrThread handle = threadTable().reserve();
  auto *start = new (std::nothrow) ThreadStart{routine, argument, handle};
  pthread_t id;
  if (start == nullptr || pthread_create(&id, nullptr, runThread, start) != 0) {
    delete start;
    threadTable().forget(handle);
    return GXR_CANNOT_CREATE_THREAD;
  }
  threadTable().started(handle, id);
  *thread = handle;
  return GXR_OK;
}

void GXR_ThreadExit(void) { pthread_exit(nullptr); }

int GXR_ThreadWait(GxrThread thread) { return threadTable().wait(thread); }

int GXR_ThreadIDGet(uint32_t *id) {
  if (id == nullptr) return GXR_NULL_POINTER;
  *id = static_cast<uint32_t>(syscall(SYS_gettid));
  return GXR_OK;
}

int GXR_ShortSwap(int order, void *value) { return swapBytes<2>(order, value); }
int GXR_LongSwap(int order, void *value) { return swapBytes<4>(order, value); }
int GXR_FloatSwap(int order, void *value) __attribute__((alias("GXR_LongSwap")));
int GXR_DoubleSwap(int order, void *value) { return swapBytes<8>(order, value); }

int GXR_DateTimeGet(char **text) {
  if (text == nullptr) return GXR_NULL_POINTER;
  void *block = nullptr;
  if (GXR_MemGet(&block, 18, 1) != GXR_OK) return GXR_NO_MEMORY;
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  // 17 characters for any four-digit year; strftime refuses a longer one
  // rather than write past the block.
  char *stamp = static_cast<char *>(block);
  if (std::strftime(stamp, 18, "%Y%m%d.%H.%M.%S", &local) == 0) stamp[0] = '\0';
  *text = static_cast<char *>(block);
  return GXR_OK;
}

int GXR_RPCInit(void) {
  // The ONC RPC run-time of this platform (libtirpc) needs no start-up call.
  gRpcStarted = true;
  return GXR_OK;
}

}  // extern "C"
