// File descriptors and memory mappings as RAII objects, and the exclusive
// open that stands in for an open without sharing.
#pragma once

#include <sys/file.h>
#include <sys/mman.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstddef>
#include <utility>

namespace gxr {

class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { reset(); }
  UniqueFd(UniqueFd &&other) noexcept : fd_(other.release()) {}
  UniqueFd &operator=(UniqueFd &&other) noexcept {
    if (this != &other) {
      reset();
      fd_ = other.release();
    }
    return *this;
  }
  UniqueFd(const UniqueFd &) = delete;
  UniqueFd &operator=(const UniqueFd &) = delete;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int release() { return std::exchange(fd_, -1); }
  void reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
};

// Opens name with flags (and mode when creating) and takes a non-blocking
// flock of kind lock on it. LOCK_EX is "no sharing": any other locked open of
// the same file, by this or another process, is refused while this one
// lasts. LOCK_SH admits other shared opens and refuses only exclusive ones.
// An invalid result means the file could not be opened or the lock is held.
UniqueFd openLocked(const char *name, int flags, int lock, mode_t mode = 0);

// Takes the lock that processes sharing a user data directory hold while
// they copy, load or rewrite its tables, waiting for as long as another
// process holds it; closing the result gives it back. Invalid when the lock
// file cannot be made, as in a directory the process may not write, where
// it changes no table either.
UniqueFd lockTables(const char *directory);

// A whole-file mapping, unmapped on destruction.
class Mapping {
 public:
  Mapping() = default;
  Mapping(void *address, size_t length) : address_(address), length_(length) {}
  ~Mapping() { reset(); }
  Mapping(Mapping &&other) noexcept
      : address_(std::exchange(other.address_, MAP_FAILED)), length_(other.length_) {}
  Mapping &operator=(Mapping &&) = delete;
  Mapping(const Mapping &) = delete;
  Mapping &operator=(const Mapping &) = delete;

  bool valid() const { return address_ != MAP_FAILED; }
  void *data() const { return address_; }
  size_t size() const { return length_; }
  void *release() { return std::exchange(address_, MAP_FAILED); }
  void reset() {
    if (address_ != MAP_FAILED) ::munmap(address_, length_);
    address_ = MAP_FAILED;
  }

 private:
  void *address_ = MAP_FAILED;
  size_t length_ = 0;
};

// Maps length bytes of fd whole (prot: PROT_READ, or with PROT_WRITE a
// shared writable mapping). Invalid when the system refuses, which it does
// for a length of 0.
Mapping mapWhole(int fd, size_t length, int prot);

}  // namespace gxr
