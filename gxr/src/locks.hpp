// The library's three locks, for the parts of the library that take them.
#pragma once

#include "gxr/gxr.h"

namespace gxr {

// The handle variables that GXR_ThreadInit fills. A lock that was never
// created holds null; taking it then fails with GXR_MUTEX_LOCK.
GxrLock &fileManagerLock();
GxrLock &engineLock();
GxrLock &accuracyLock();

// Holds a lock for one scope. status() is GXR_OK when the lock was taken,
// else the failure (GXR_MUTEX_LOCK); the lock is given back on destruction
// only when it was taken. A caller whose result includes the release's
// status gives it back with release().
class LockHold {
 public:
  explicit LockHold(GxrLock &lock);
  ~LockHold();
  LockHold(const LockHold &) = delete;
  LockHold &operator=(const LockHold &) = delete;

  int status() const { return status_; }
  // Gives the lock back now: GXR_OK, or GXR_MUTEX_UNLOCK when it was not
  // held (any more). Only the first call gives it back.
  int release();

 private:
  GxrLock &lock_;
  int status_;
  bool held_;
};

}  // namespace gxr
