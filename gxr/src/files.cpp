// Stream files, whole-file operations, directory listings and disk space.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "gxr/gxr.h"
#include "posix_file.hpp"

namespace gxr {

UniqueFd openLocked(const char *name, int flags, int lock, mode_t mode) {
  UniqueFd fd(::open(name, flags | O_CLOEXEC, mode));
  if (fd.valid() && ::flock(fd.get(), lock | LOCK_NB) != 0) fd.reset();
  return fd;
}

UniqueFd lockTables(const char *directory) {
  const std::string name = std::string(directory) + "/.gxr-tables.lock";
  UniqueFd fd(::open(name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666));
  while (fd.valid() && ::flock(fd.get(), LOCK_EX) != 0) {
    if (errno != EINTR) fd.reset();
  }
  return fd;
}

Mapping mapWhole(int fd, size_t length, int prot) {
  if (length == 0) return {};
  return {::mmap(nullptr, length, prot, MAP_SHARED, fd, 0), length};
}

}  // namespace gxr

namespace {

// Stream services report a failed system call as -1, outside the table.
constexpr int kFailed = -1;

// Block size of a move.
constexpr size_t kMoveBlock = 1024;

int openStream(FILE **stream, const char *name, const char *mode) {
  if (stream == nullptr) return kFailed;
  // The standard streams allow other processes to read and write the file
  // meanwhile, as these opens should.
  if (mode != nullptr) {
    if (name == nullptr) return kFailed;
    *stream = std::fopen(name, mode);
  }
  return *stream != nullptr ? 0 : kFailed;
}

bool validStream(FILE **stream) { return stream != nullptr && *stream != nullptr; }

int closeStream(FILE **stream) {
  if (!validStream(stream)) return kFailed;
  const int rc = std::fclose(*stream);
  // The stream is gone even when fclose reports a failure; a second close
  // of the same variable must not reach fclose again.
  *stream = nullptr;
  return rc == 0 ? 0 : kFailed;
}

int deleteFile(const char *name) { return name != nullptr && ::unlink(name) == 0 ? 0 : kFailed; }

void readLine(FILE **stream, int count, void *buffer) {
  if (!validStream(stream) || buffer == nullptr || count < 1) return;
  if (std::fgets(static_cast<char *>(buffer), count, *stream) == nullptr) {
    static_cast<char *>(buffer)[0] = '\0';
  }
}

bool sameFile(const char *a, const char *b) {
  struct stat sa;
  struct stat sb;
  return ::stat(a, &sa) == 0 && ::stat(b, &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

// The file a name designates through any links; the name itself when it
// does not exist yet (or a link points nowhere yet).
std::string resolvedPath(const char *name) {
  std::unique_ptr<char, decltype(&std::free)> real(::realpath(name, nullptr), &std::free);
  return real ? std::string(real.get()) : std::string(name);
}

// A new file beside target that takes target's place on commit and is
// removed otherwise, so that target is always either as it was or whole.
class TemporaryFile {
 public:
  explicit TemporaryFile(std::string target) : target_(std::move(target)) {
    static std::atomic<unsigned> serial{0};
    for (int attempt = 0; attempt < 100 && !fd_.valid(); ++attempt) {
      name_ = target_ + ".gxr-" + std::to_string(::getpid()) + "-" + std::to_string(serial++);
      fd_ = gxr::UniqueFd(::open(name_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
      if (!fd_.valid() && errno != EEXIST) break;
    }
  }
  ~TemporaryFile() {
    if (fd_.valid()) ::unlink(name_.c_str());
  }
  TemporaryFile(const TemporaryFile &) = delete;
  TemporaryFile &operator=(const TemporaryFile &) = delete;

  bool valid() const { return fd_.valid(); }
  int fd() const { return fd_.get(); }

  // The bytes reach the disk before the name does, so that a crash leaves
  // the old file or the new one, never an empty one.
  bool commit() {
    if (::fsync(fd_.get()) != 0 || ::rename(name_.c_str(), target_.c_str()) != 0) return false;
    fd_.reset();
    return true;
  }

 private:
  std::string target_;
  std::string name_;
  gxr::UniqueFd fd_;
};

struct DirCloser {
  void operator()(DIR *dir) const { ::closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

// Copies the names of the first count entries of dir into list (which has
// room for count), stopping at the first name that cannot be allocated.
// list->count ends as the number of names copied, so a directory that shrank
// between the passes leaves no empty slots.
int copyNames(DIR *dir, GxrDirList *list, int32_t count) {
  int status = GXR_OK;
  int32_t filled = 0;
  while (filled < count) {
    const dirent *entry = ::readdir(dir);
    if (entry == nullptr) break;
    const size_t length = std::strlen(entry->d_name);
    void *name = nullptr;
    status = GXR_MemGet(&name, length + 1, 1);
    if (status != GXR_OK) break;
    std::memcpy(name, entry->d_name, length + 1);
    list->names[filled++] = static_cast<char *>(name);
  }
  list->count = filled;
  return status;
}

}  // namespace

extern "C" {

int GXR_AFileIO(int service, FILE **stream, const char *name, int countOrOffset, void *buffer) {
  switch (service) {
    case GXR_IO_READ:
    case GXR_IO_WRITE:
      return GXR_FileIOReadWrite(service, stream, countOrOffset, buffer);
    case GXR_IO_OPEN_READ:
    case GXR_IO_OPEN_WRITE:
    case GXR_IO_OPEN_APPEND_READ:
    case GXR_IO_OPEN_READ_WRITE:
      return GXR_FileIOOpen(service, stream, name);
    case GXR_IO_OPEN_BIN_READ_WRITE:
    case GXR_IO_OPEN_BIN_READ:
    case GXR_IO_OPEN_BIN_WRITE:
    case GXR_IO_OPEN_BIN_APPEND_READ:
      return GXR_BinaryFileIOOpen(service, stream, name);
    case GXR_IO_SEEK_CURRENT:
    case GXR_IO_SEEK_START:
    case GXR_IO_SEEK_END:
    case GXR_IO_REWIND:
      return GXR_FileIOSeek(service, stream, countOrOffset);
    case GXR_IO_CLOSE:
      return closeStream(stream);
    case GXR_IO_DELETE:
      return deleteFile(name);
    case GXR_IO_READ_LINE:
      readLine(stream, countOrOffset, buffer);
      return 0;
    default:
      return 0;
  }
}

int GXR_FileIOOpen(int service, FILE **stream, const char *name) {
  const char *mode = nullptr;
  switch (service) {
    case GXR_IO_OPEN_READ: mode = "r"; break;
    case GXR_IO_OPEN_WRITE: mode = "w"; break;
    case GXR_IO_OPEN_APPEND_READ: mode = "a+"; break;
    case GXR_IO_OPEN_READ_WRITE: mode = "r+"; break;
    default: break;
  }
  return openStream(stream, name, mode);
}

int GXR_BinaryFileIOOpen(int service, FILE **stream, const char *name) {
  const char *mode = nullptr;
  switch (service) {
    case GXR_IO_OPEN_BIN_READ_WRITE: mode = "rb+"; break;
    case GXR_IO_OPEN_BIN_READ: mode = "rb"; break;
    case GXR_IO_OPEN_BIN_WRITE: mode = "wb"; break;
    case GXR_IO_OPEN_BIN_APPEND_READ: mode = "ab+"; break;
    default: break;
  }
  return openStream(stream, name, mode);
}

int GXR_FileIOReadWrite(int service, FILE **stream, int size, void *buffer) {
  if (!validStream(stream) || buffer == nullptr || size <= 0) return kFailed;
  const auto bytes = static_cast<size_t>(size);
  switch (service) {
    case GXR_IO_READ:
      // A short read leaves the bytes it found in the buffer.
      static_cast<char *>(buffer)[0] = '\0';
      return std::fread(buffer, bytes, 1, *stream) == 1 ? 0 : kFailed;
    case GXR_IO_WRITE:
      return std::fwrite(buffer, bytes, 1, *stream) == 1 ? 0 : kFailed;
    default:
      return kFailed;
  }
}

int GXR_FileIOSeek(int service, FILE **stream, int offset) {
  int whence = SEEK_SET;
  switch (service) {
    case GXR_IO_SEEK_CURRENT: whence = SEEK_CUR; break;
    case GXR_IO_SEEK_START: whence = SEEK_SET; break;
    case GXR_IO_SEEK_END: whence = SEEK_END; break;
    case GXR_IO_REWIND: offset = 0; break;
    default: return 0;
  }
  if (!validStream(stream)) return kFailed;
  if (std::fseek(*stream, offset, whence) != 0) return kFailed;
  if (service == GXR_IO_REWIND) std::clearerr(*stream);
  return 0;
}

int GXR_FTell(FILE **stream, int32_t *position) {
  if (!validStream(stream) || position == nullptr) return kFailed;
  const long where = std::ftell(*stream);
  // A position the 32-bit result cannot hold is one the caller cannot use.
  *position = (where < 0 || where > INT32_MAX) ? -1 : static_cast<int32_t>(where);
  return *position < 0 ? kFailed : 0;
}

int GXR_FileAccess(const char *name, int test) {
  int mode = 0;
  int failure = GXR_OK;
  switch (test) {
    case GXR_ACCESS_READ: mode = R_OK; failure = GXR_FILE_NOT_READABLE; break;
    case GXR_ACCESS_WRITE: mode = W_OK; failure = GXR_FILE_NOT_WRITEABLE; break;
    case GXR_ACCESS_EXECUTE: return GXR_OK;
    case GXR_ACCESS_EXIST: mode = F_OK; failure = GXR_FILE_NOT_EXIST; break;
    default: return GXR_INVALID_FLAG;
  }
  if (name == nullptr) return GXR_NULL_POINTER;
  return ::access(name, mode) == 0 ? GXR_OK : failure;
}

int GXR_FileModeChange(const char *name, unsigned int mode) {
  if (name == nullptr) return GXR_NULL_POINTER;
  return ::chmod(name, static_cast<mode_t>(mode)) == 0 ? GXR_OK : GXR_CANNOT_CHMOD;
}

int GXR_FileStatusGet(const char *name, struct stat *status) {
  if (name == nullptr || status == nullptr) return GXR_NULL_POINTER;
  return ::stat(name, status) == 0 ? GXR_OK : GXR_FILE_NOT_EXIST;
}

int GXR_FileCopy(const char *source, const char *destination) {
  if (source == nullptr || destination == nullptr) return GXR_NULL_POINTER;
  // The source is opened and mapped before the destination is touched, so
  // a missing or unreadable source never empties an existing destination.
  // Reading it under a shared lock keeps writers out while letting two
  // processes copy the same master table at once (both initialising).
  const gxr::UniqueFd in = gxr::openLocked(source, O_RDONLY, LOCK_SH);
  struct stat info;
  if (!in.valid() || ::fstat(in.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
    return GXR_SOURCE_NOT_FOUND;
  }
  const auto size = static_cast<size_t>(info.st_size);
  const gxr::Mapping from = gxr::mapWhole(in.get(), size, PROT_READ);
  if (!from.valid()) return GXR_SOURCE_NOT_FOUND;

  // A link stays a link: the file it points at is replaced.
  const std::string target = resolvedPath(destination);
  // An existing destination is held exclusively for the whole copy; that
  // refuses a copy onto the source under another name, and one onto a file
  // somebody else has open, before anything is written.
  mode_t mode = 0666;
  const gxr::UniqueFd existing = gxr::openLocked(target.c_str(), O_WRONLY, LOCK_EX);
  struct stat old;
  if (existing.valid() && ::fstat(existing.get(), &old) == 0) {
    mode = old.st_mode & 07777;
  } else if (errno != ENOENT) {
    return GXR_DEST_NOT_FOUND;
  }
  // The bytes go to a file of their own beside the destination, whose space
  // is reserved before it is mapped: on a full disk the reservation fails
  // instead of the first write into the mapping killing the process. Only
  // a complete copy is renamed into place.
  TemporaryFile copy(target);
  if (!copy.valid() || ::fchmod(copy.fd(), mode) != 0) return GXR_DEST_NOT_FOUND;
  if (::posix_fallocate(copy.fd(), 0, info.st_size) != 0) return GXR_DEST_NOT_FOUND;
  {
    const gxr::Mapping to = gxr::mapWhole(copy.fd(), size, PROT_READ | PROT_WRITE);
    if (!to.valid()) return GXR_DEST_NOT_FOUND;
    std::memcpy(to.data(), from.data(), size);
  }
  return copy.commit() ? GXR_OK : GXR_DEST_NOT_FOUND;
}

int GXR_FileMove(const char *source, const char *destination) {
  if (source == nullptr || destination == nullptr) return GXR_NULL_POINTER;
  // Opening the destination for writing would empty the source itself, and
  // the final delete would then remove the only copy.
  if (sameFile(source, destination)) return GXR_CANNOT_MOVE;
  FILE *in = nullptr;
  if (GXR_BinaryFileIOOpen(GXR_IO_OPEN_BIN_READ, &in, source) != 0) return GXR_SOURCE_NOT_FOUND;
  FILE *out = nullptr;
  if (GXR_BinaryFileIOOpen(GXR_IO_OPEN_BIN_WRITE, &out, destination) != 0) {
    closeStream(&in);
    return GXR_DEST_NOT_FOUND;
  }
  int status = 0;
  char block[kMoveBlock];
  while (status == 0 && !std::feof(in)) {
    const size_t got = std::fread(block, 1, sizeof block, in);
    if (got > 0 && std::fwrite(block, 1, got, out) != got) status = kFailed;
    if (std::ferror(in)) status = kFailed;
  }
  closeStream(&in);
  // Buffered data reaches the file at close; a failed close means the copy
  // is incomplete and the source must stay.
  if (closeStream(&out) != 0) status = kFailed;
  if (status != 0) return status;
  return GXR_AFileIO(GXR_IO_DELETE, nullptr, source, 0, nullptr);
}

int GXR_DirectoryOpen(const char *name, GxrDirList **list) {
  if (name == nullptr || list == nullptr) return GXR_NULL_POINTER;
  GxrDirList *made = nullptr;
  const int status = GXR_DirectoryOpenNT(name, &made);
  if (status == GXR_OK) {
    *list = made;
  } else if (made != nullptr) {
    GXR_DirectoryClose(&made);
  }
  return status;
}

int GXR_DirectoryOpenNT(const char *name, GxrDirList **list) {
  if (name == nullptr || list == nullptr) return GXR_NULL_POINTER;
  void *block = nullptr;
  if (GXR_MemGet(&block, 1, sizeof(GxrDirList)) != GXR_OK) return GXR_NO_MEMORY;
  auto *listing = static_cast<GxrDirList *>(block);
  // From here on the listing, empty or not, belongs to the caller.
  *list = listing;
  // The listing is made in the directory itself, which stays the process's
  // current directory afterwards.
  if (::chdir(name) != 0) return GXR_DIR_ACCESS;
  const DirHandle dir(::opendir("."));
  if (!dir) return GXR_DIR_ACCESS;

  int32_t count = 0;
  while (count < INT32_MAX && ::readdir(dir.get()) != nullptr) ++count;
  void *names = nullptr;
  if (GXR_MemGet(&names, static_cast<size_t>(count), sizeof(char *)) != GXR_OK) {
    return GXR_NO_MEMORY;
  }
  listing->names = static_cast<char **>(names);
  ::rewinddir(dir.get());
  return copyNames(dir.get(), listing, count);
}

int GXR_DirectoryRead(GxrDirList *list, char *name) {
  if (list == nullptr || name == nullptr) return GXR_NULL_POINTER;
  if (list->cursor < 0 || list->cursor >= list->count) return GXR_COMPLETE;
  const char *next = list->names[list->cursor++];
  std::memcpy(name, next, std::strlen(next) + 1);
  return GXR_OK;
}

int GXR_DirectoryClose(GxrDirList **list) {
  if (list == nullptr || *list == nullptr) return GXR_NULL_POINTER;
  GxrDirList *listing = *list;
  for (int32_t i = 0; i < listing->count; ++i) {
    void *name = listing->names[i];
    GXR_PtrFree(&name);
  }
  void *names = listing->names;
  GXR_PtrFree(&names);
  void *record = listing;
  GXR_PtrFree(&record);
  *list = nullptr;
  return GXR_OK;
}

int GXR_DirectoryMake(const char *name) {
  if (name == nullptr) return GXR_NULL_POINTER;
  return ::mkdir(name, 0777) == 0 ? GXR_OK : GXR_CANNOT_MKDIR;
}

int GXR_DiskSpaceGet(const char *path, uint32_t *freeBytes) {
  if (freeBytes == nullptr) return GXR_NULL_POINTER;
  struct statvfs disk;
  if (::statvfs(path != nullptr ? path : ".", &disk) != 0) return GXR_DISK_SPACE;
  const unsigned long long total =
      static_cast<unsigned long long>(disk.f_bfree) * disk.f_frsize;
  *freeBytes = static_cast<uint32_t>(total);  // the low 32 bits, as the interface has them
  return GXR_OK;
}

}  // extern "C"
