// The memory-mapped file manager: one read-only mapping per file name, shared
// by reference count among readers that each keep their own cursor.
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "gxr/gxr.h"
#include "locks.hpp"
#include "posix_file.hpp"

namespace {

// The file interface's list (guarded by the file-manager lock) and the
// service interface's list (no lock); both live as long as the library.
GxrMapRecord *gFileList = nullptr;
GxrMapRecord *gServiceList = nullptr;

// A close that finds no record for the reader.
constexpr int kNotOpen = -1;

void clearReader(GxrMapReader *reader) { *reader = GxrMapReader{}; }

void releaseRecord(GxrMapRecord *record) {
  void *block = record;
  GXR_PtrFree(&block);
}

void releaseName(GxrMapRecord *record) {
  void *name = record->name;
  GXR_PtrFree(&name);
  record->name = nullptr;
}

bool isOpenService(int service) {
  return service == GXR_IO_OPEN_READ || service == GXR_IO_OPEN_BIN_READ;
}

bool isSeekService(int service) {
  return service == GXR_IO_SEEK_CURRENT || service == GXR_IO_SEEK_START ||
         service == GXR_IO_SEEK_END || service == GXR_IO_REWIND;
}

}  // namespace

extern "C" {

int GXR_FileOpen(int service, GxrMapReader *reader, const char *name) {
  if (!isOpenService(service)) return GXR_BAD_SERVICE;
  if (reader == nullptr || name == nullptr) return GXR_NULL_POINTER;
  const gxr::LockHold hold(gxr::fileManagerLock());
  if (hold.status() != GXR_OK) return hold.status();
  return GXR_MemMapOpenManage(&gFileList, reader, name);
}

int GXR_FileClose(GxrMapReader *reader) {
  if (reader == nullptr) return GXR_NULL_POINTER;
  const gxr::LockHold hold(gxr::fileManagerLock());
  if (hold.status() != GXR_OK) return hold.status();
  return GXR_MemMapCloseManage(&gFileList, reader);
}

int GXR_FileRead(GxrMapReader *reader, int count, void *buffer) {
  return GXR_MemMapReadManage(reader, count, buffer);
}

int GXR_FileSeek(int service, GxrMapReader *reader, int offset) {
  if (!isSeekService(service)) return GXR_BAD_SERVICE;
  return GXR_MemMapSeekManage(service, reader, offset);
}

int GXR_FileTell(const GxrMapReader *reader, int *offset) {
  if (reader == nullptr || offset == nullptr) return GXR_NULL_POINTER;
  *offset = reader->offset;
  return GXR_OK;
}

int GXR_FileEof(const GxrMapReader *reader) {
  return reader == nullptr || reader->offset >= reader->size ? 1 : 0;
}

int GXR_MemMap(int service, GxrMapReader *reader, const char *name, int countOrOffset,
               void *buffer, int *offset) {
  switch (service) {
    case GXR_IO_READ:
      return GXR_MemMapReadManage(reader, countOrOffset, buffer);
    case GXR_IO_OPEN_READ:
    case GXR_IO_OPEN_BIN_READ:
      return GXR_MemMapOpenManage(&gServiceList, reader, name);
    case GXR_IO_SEEK_CURRENT:
    case GXR_IO_SEEK_START:
    case GXR_IO_SEEK_END:
    case GXR_IO_REWIND:
      return GXR_MemMapSeekManage(service, reader, countOrOffset);
    case GXR_IO_TELL:
      return GXR_FileTell(reader, offset);
    case GXR_IO_CLOSE:
      return GXR_MemMapCloseManage(&gServiceList, reader);
    default:
      return GXR_BAD_SERVICE;
  }
}

int GXR_MemMapOpenManage(GxrMapRecord **list, GxrMapReader *reader, const char *name) {
  if (list == nullptr || reader == nullptr || name == nullptr) return GXR_NULL_POINTER;
  clearReader(reader);
  GxrMapRecord *record = nullptr;
  int position = 0;
  GXR_MemMapLLSortPosFind(list, name, &record, &position);
  if (record == nullptr) {
    const int status = GXR_MemMapNewMake(list, name, position, &record);
    if (status != GXR_OK) return status;
  }
  reader->size = record->size;
  reader->current = record->view;
  reader->base = record->view;
  ++record->references;
  return GXR_OK;
}

int GXR_MemMapCloseManage(GxrMapRecord **list, GxrMapReader *reader) {
  if (list == nullptr || reader == nullptr) return GXR_NULL_POINTER;
  GxrMapRecord *record = nullptr;
  int index = 0;
  if (GXR_MemMapLLAddrFind(list, reader, &record, &index) != GXR_OK) return kNotOpen;
  if (--record->references == 0) {
    GXR_MemMapNTClose(record);
    releaseName(record);
    GXR_MemMapLLNodeDelete(list, index);
  }
  clearReader(reader);
  return GXR_OK;
}

int GXR_MemMapReadManage(GxrMapReader *reader, int count, void *buffer) {
  if (reader == nullptr) return GXR_NULL_POINTER;
  if (count < 0) return GXR_NEGATIVE_INPUT;
  const int32_t left = std::max<int32_t>(reader->size - reader->offset, 0);
  const int32_t n = std::min<int32_t>(count, left);
  if (n == 0) return GXR_OK;
  if (buffer == nullptr) return GXR_NULL_POINTER;
  std::memcpy(buffer, reader->current, static_cast<size_t>(n));
  reader->current += n;
  reader->offset += n;
  return GXR_OK;
}

int GXR_MemMapSeekManage(int service, GxrMapReader *reader, int offset) {
  if (reader == nullptr) return GXR_NULL_POINTER;
  // 64-bit arithmetic: offset + a 32-bit position must not wrap.
  const int64_t size = reader->size;
  int64_t target = 0;
  switch (service) {
    case GXR_IO_SEEK_START:
      target = offset;
      if (target < 0) return GXR_SEEK_BEFORE_START;
      if (target > size) return GXR_SEEK_PAST_END;
      break;
    case GXR_IO_REWIND:
      target = 0;
      break;
    case GXR_IO_SEEK_CURRENT:
      target = int64_t{reader->offset} + offset;
      if (offset >= 0 && target > size) return GXR_SEEK_PAST_END;
      if (offset < 0 && target < 0) return GXR_SEEK_BEFORE_START;
      break;
    case GXR_IO_SEEK_END:
      target = size + offset;
      if (offset > 0) return GXR_SEEK_PAST_END;
      if (target < 0) {
        // Seeking back past the start from the end lands on the start.
        reader->offset = 0;
        reader->current = reader->base;
        return GXR_SEEK_BEFORE_START;
      }
      break;
    default:
      return GXR_OK;
  }
  reader->offset = static_cast<int32_t>(target);
  reader->current = reader->base + target;
  return GXR_OK;
}

int GXR_MemMapNewMake(GxrMapRecord **list, const char *name, int position,
                      GxrMapRecord **record) {
  if (list == nullptr || name == nullptr || record == nullptr) return GXR_NULL_POINTER;
  void *block = nullptr;
  if (GXR_MemGet(&block, 1, sizeof(GxrMapRecord)) != GXR_OK) return GXR_NO_MEMORY;
  auto *made = static_cast<GxrMapRecord *>(block);
  int status = GXR_MemMapNTOpen(name, made);
  if (status == GXR_OK) {
    const size_t length = std::strlen(name);
    void *copy = nullptr;
    status = GXR_MemGet(&copy, length + 1, 1);
    if (status == GXR_OK) {
      std::memcpy(copy, name, length + 1);
      made->name = static_cast<char *>(copy);
      status = GXR_MemMapLLInsert(list, made, position);
    }
    if (status != GXR_OK) {
      GXR_MemMapNTClose(made);
      releaseName(made);
    }
  }
  if (status != GXR_OK) {
    releaseRecord(made);
    return status;
  }
  *record = made;
  return GXR_OK;
}

int GXR_MemMapNTOpen(const char *name, GxrMapRecord *record) {
  if (name == nullptr || record == nullptr) return GXR_NULL_POINTER;
  // No sharing: an exclusive flock, which a second open of the same file
  // under another name (or by another process using this library) refuses.
  gxr::UniqueFd fd = gxr::openLocked(name, O_RDONLY, LOCK_EX);
  if (!fd.valid()) return GXR_MAP_OPEN;
  struct stat info;
  // Sizes and offsets cross the interface as 32-bit signed integers.
  if (::fstat(fd.get(), &info) != 0 || info.st_size > INT32_MAX) return GXR_FILE_SIZE;
  if (!S_ISREG(info.st_mode) || info.st_size == 0) return GXR_MAP_OPEN;
  gxr::Mapping view = gxr::mapWhole(fd.get(), static_cast<size_t>(info.st_size), PROT_READ);
  if (!view.valid()) return GXR_MAP_VIEW;
  record->size = static_cast<int32_t>(info.st_size);
  record->view = static_cast<const char *>(view.data());
  record->mapping = view.release();
  record->file = fd.release();
  return GXR_OK;
}

int GXR_MemMapNTClose(GxrMapRecord *record) {
  if (record == nullptr) return GXR_NULL_POINTER;
  // Only a record that was opened holds a descriptor: a zero-filled one
  // would otherwise close descriptor 0.
  if (record->mapping != nullptr) {
    ::munmap(record->mapping, static_cast<size_t>(record->size));
    ::close(record->file);
  }
  record->view = nullptr;
  record->mapping = nullptr;
  record->file = -1;
  return GXR_OK;
}

int GXR_MemMapLLSortPosFind(GxrMapRecord **list, const char *name, GxrMapRecord **found,
                            int *position) {
  if (list == nullptr || name == nullptr || found == nullptr || position == nullptr) {
    return GXR_NULL_POINTER;
  }
  int passed = 0;
  GxrMapRecord *record = *list;
  // strcmp compares as unsigned bytes, a shorter prefix first.
  while (record != nullptr && std::strcmp(record->name, name) < 0) {
    record = record->next;
    ++passed;
  }
  *found = (record != nullptr && std::strcmp(record->name, name) == 0) ? record : nullptr;
  *position = passed;
  return GXR_OK;
}

int GXR_MemMapLLAddrFind(GxrMapRecord **list, const GxrMapReader *reader, GxrMapRecord **found,
                         int *index) {
  if (list == nullptr || reader == nullptr || found == nullptr || index == nullptr) {
    return GXR_NULL_POINTER;
  }
  *found = nullptr;
  *index = -1;
  if (reader->base == nullptr) return GXR_NO_MATCH;
  int at = 0;
  for (GxrMapRecord *record = *list; record != nullptr; record = record->next, ++at) {
    if (record->view == reader->base) {
      *found = record;
      *index = at;
      return GXR_OK;
    }
  }
  return GXR_NO_MATCH;
}

int GXR_MemMapLLReferenceGet(GxrMapRecord *first, int index, GxrMapRecord **record,
                             GxrMapRecord **previous) {
  if (record == nullptr || previous == nullptr) return GXR_NULL_POINTER;
  *record = nullptr;
  *previous = nullptr;
  if (index < 0) return GXR_NO_MATCH;
  GxrMapRecord *before = nullptr;
  GxrMapRecord *at = first;
  for (int i = 0; i < index && at != nullptr; ++i) {
    before = at;
    at = at->next;
  }
  if (at == nullptr) return GXR_NO_MATCH;
  *record = at;
  *previous = before;
  return GXR_OK;
}

int GXR_MemMapLLInsert(GxrMapRecord **list, GxrMapRecord *record, int position) {
  if (list == nullptr || record == nullptr) return GXR_NULL_POINTER;
  if (position == 0) {
    record->next = *list;
    *list = record;
    return GXR_OK;
  }
  GxrMapRecord *after = nullptr;
  GxrMapRecord *unused = nullptr;
  const int status = GXR_MemMapLLReferenceGet(*list, position - 1, &after, &unused);
  if (status != GXR_OK) return status;
  record->next = after->next;
  after->next = record;
  return GXR_OK;
}

int GXR_MemMapLLNodeDelete(GxrMapRecord **list, int index) {
  if (list == nullptr) return GXR_NULL_POINTER;
  GxrMapRecord *record = nullptr;
  GxrMapRecord *previous = nullptr;
  const int status = GXR_MemMapLLReferenceGet(*list, index, &record, &previous);
  if (status != GXR_OK) return status;
  (previous == nullptr ? *list : previous->next) = record->next;
  releaseRecord(record);
  return GXR_OK;
}

}  // extern "C"
