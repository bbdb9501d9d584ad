// Stream services, whole-file operations, directory listings, disk space.
#include <gtest/gtest.h>
#include <limits.h>
#include <stdlib.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "gxr/gxr.h"

namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void spit(const fs::path &path, const std::string &bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string pattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return bytes;
}

// A fresh directory per test; the current directory is put back afterwards
// because listings change it.
class GxrFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = fs::current_path();
    std::string templ = (fs::temp_directory_path() / "gxr-files-XXXXXX").string();
    ASSERT_NE(mkdtemp(templ.data()), nullptr);
    dir_ = templ;
  }
  void TearDown() override {
    fs::current_path(previous_);
    fs::remove_all(dir_);
  }
  std::string path(const std::string &name) const { return (dir_ / name).string(); }

  fs::path previous_;
  fs::path dir_;
};

TEST_F(GxrFiles, UnknownServicesDoNothing) {
  FILE *stream = nullptr;
  for (int service : {0, 8, 19, -1}) {
    EXPECT_EQ(GXR_AFileIO(service, &stream, path("x").c_str(), 10, nullptr), 0) << service;
  }
  EXPECT_EQ(stream, nullptr);
  EXPECT_FALSE(fs::exists(path("x")));
}

TEST_F(GxrFiles, StreamsWriteReadSeekAndClose) {
  const std::string name = path("blocks.bin");
  FILE *stream = nullptr;
  ASSERT_EQ(GXR_AFileIO(GXR_IO_OPEN_BIN_WRITE, &stream, name.c_str(), 0, nullptr), 0);
  const std::string data = pattern(140);
  ASSERT_EQ(GXR_AFileIO(GXR_IO_WRITE, &stream, nullptr, 140, const_cast<char *>(data.data())), 0);
  ASSERT_EQ(GXR_AFileIO(GXR_IO_CLOSE, &stream, nullptr, 0, nullptr), 0);
  EXPECT_EQ(stream, nullptr);
  EXPECT_EQ(GXR_AFileIO(GXR_IO_CLOSE, &stream, nullptr, 0, nullptr), -1);  // already closed

  ASSERT_EQ(GXR_AFileIO(GXR_IO_OPEN_BIN_READ, &stream, name.c_str(), 0, nullptr), 0);
  ASSERT_EQ(GXR_AFileIO(GXR_IO_SEEK_START, &stream, nullptr, 100, nullptr), 0);
  int32_t where = -5;
  ASSERT_EQ(GXR_FTell(&stream, &where), 0);
  EXPECT_EQ(where, 100);
  // 100 wanted, 40 left: a failure, with the 40 bytes in the buffer.
  char buffer[100];
  std::fill(std::begin(buffer), std::end(buffer), 'z');
  EXPECT_EQ(GXR_AFileIO(GXR_IO_READ, &stream, nullptr, 100, buffer), -1);
  EXPECT_EQ(std::string(buffer, 40), data.substr(100, 40));
  EXPECT_EQ(GXR_AFileIO(GXR_IO_READ, &stream, nullptr, 0, buffer), -1);

  ASSERT_EQ(GXR_AFileIO(GXR_IO_REWIND, &stream, nullptr, 0, nullptr), 0);
  ASSERT_EQ(GXR_AFileIO(GXR_IO_READ, &stream, nullptr, 10, buffer), 0);
  EXPECT_EQ(std::string(buffer, 10), data.substr(0, 10));
  ASSERT_EQ(GXR_AFileIO(GXR_IO_SEEK_CURRENT, &stream, nullptr, 5, nullptr), 0);
  ASSERT_EQ(GXR_FTell(&stream, &where), 0);
  EXPECT_EQ(where, 15);
  ASSERT_EQ(GXR_AFileIO(GXR_IO_SEEK_END, &stream, nullptr, -1, nullptr), 0);
  ASSERT_EQ(GXR_AFileIO(GXR_IO_READ, &stream, nullptr, 1, buffer), 0);
  EXPECT_EQ(buffer[0], data[139]);
  EXPECT_EQ(GXR_AFileIO(GXR_IO_SEEK_START, &stream, nullptr, -1, nullptr), -1);
  EXPECT_EQ(GXR_AFileIO(GXR_IO_WRITE, &stream, nullptr, 4, buffer), -1);  // read-only stream
  ASSERT_EQ(GXR_AFileIO(GXR_IO_CLOSE, &stream, nullptr, 0, nullptr), 0);

  ASSERT_EQ(GXR_AFileIO(GXR_IO_DELETE, nullptr, name.c_str(), 0, nullptr), 0);
  EXPECT_FALSE(fs::exists(name));
  EXPECT_EQ(GXR_AFileIO(GXR_IO_DELETE, nullptr, name.c_str(), 0, nullptr), -1);
}

TEST_F(GxrFiles, TextOpensAndLineReads) {
  const std::string name = path("lines.txt");
  FILE *stream = nullptr;
  ASSERT_EQ(GXR_AFileIO(GXR_IO_OPEN_WRITE, &stream, name.c_str(), 0, nullptr), 0);
  std::fputs("first line\nsecond\n", stream);
  ASSERT_EQ(GXR_AFileIO(GXR_IO_CLOSE, &stream, nullptr, 0, nullptr), 0);
  ASSERT_EQ(GXR_AFileIO(GXR_IO_OPEN_APPEND_READ, &stream, name.c_str(), 0, nullptr), 0);
  std::fputs("third\n", stream);
  ASSERT_EQ(GXR_AFileIO(GXR_IO_CLOSE, &stream, nullptr, 0, nullptr), 0);

  ASSERT_EQ(GXR_AFileIO(GXR_IO_OPEN_READ, &stream, name.c_str(), 0, nullptr), 0);
  char line[64];
  EXPECT_EQ(GXR_AFileIO(GXR_IO_READ_LINE, &stream, nullptr, sizeof line, line), 0);
  EXPECT_STREQ(line, "first line\n");
  EXPECT_EQ(GXR_AFileIO(GXR_IO_READ_LINE, &stream, nullptr, 4, line), 0);  // count - 1 chars
  EXPECT_STREQ(line, "sec");
  EXPECT_EQ(GXR_AFileIO(GXR_IO_READ_LINE, &stream, nullptr, sizeof line, line), 0);
  EXPECT_STREQ(line, "ond\n");
  EXPECT_EQ(GXR_AFileIO(GXR_IO_READ_LINE, &stream, nullptr, sizeof line, line), 0);
  EXPECT_STREQ(line, "third\n");
  EXPECT_EQ(GXR_AFileIO(GXR_IO_READ_LINE, &stream, nullptr, sizeof line, line), 0);  // at end
  ASSERT_EQ(GXR_AFileIO(GXR_IO_CLOSE, &stream, nullptr, 0, nullptr), 0);

  EXPECT_EQ(GXR_FileIOOpen(GXR_IO_OPEN_READ, &stream, path("missing").c_str()), -1);
  EXPECT_EQ(GXR_FileIOOpen(GXR_IO_OPEN_READ, &stream, nullptr), -1);
  EXPECT_EQ(GXR_FileIOOpen(GXR_IO_OPEN_BIN_READ, &stream, name.c_str()), -1);  // not a text mode
  EXPECT_EQ(GXR_BinaryFileIOOpen(GXR_IO_OPEN_READ, &stream, name.c_str()), -1);
  EXPECT_EQ(GXR_AFileIO(GXR_IO_OPEN_READ_WRITE, &stream, name.c_str(), 0, nullptr), 0);
  EXPECT_EQ(GXR_AFileIO(GXR_IO_CLOSE, &stream, nullptr, 0, nullptr), 0);
  EXPECT_EQ(GXR_AFileIO(GXR_IO_OPEN_BIN_APPEND_READ, &stream, name.c_str(), 0, nullptr), 0);
  EXPECT_EQ(GXR_AFileIO(GXR_IO_CLOSE, &stream, nullptr, 0, nullptr), 0);
}

TEST_F(GxrFiles, AccessModeAndStatus) {
  const std::string name = path("plain");
  spit(name, "1234567");
  const std::string missing = path("missing");
  EXPECT_EQ(GXR_FileAccess(name.c_str(), GXR_ACCESS_READ), GXR_OK);
  EXPECT_EQ(GXR_FileAccess(name.c_str(), GXR_ACCESS_WRITE), GXR_OK);
  EXPECT_EQ(GXR_FileAccess(name.c_str(), GXR_ACCESS_EXIST), GXR_OK);
  EXPECT_EQ(GXR_FileAccess(missing.c_str(), GXR_ACCESS_READ), GXR_FILE_NOT_READABLE);
  EXPECT_EQ(GXR_FileAccess(missing.c_str(), GXR_ACCESS_WRITE), GXR_FILE_NOT_WRITEABLE);
  EXPECT_EQ(GXR_FileAccess(missing.c_str(), GXR_ACCESS_EXIST), GXR_FILE_NOT_EXIST);
  EXPECT_EQ(GXR_FileAccess(missing.c_str(), GXR_ACCESS_EXECUTE), GXR_OK);
  EXPECT_EQ(GXR_FileAccess(name.c_str(), 5), GXR_INVALID_FLAG);

  ASSERT_EQ(GXR_FileModeChange(name.c_str(), 0640), GXR_OK);
  struct stat info;
  ASSERT_EQ(GXR_FileStatusGet(name.c_str(), &info), GXR_OK);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(info.st_size, 7);
  EXPECT_EQ(GXR_FileModeChange(missing.c_str(), 0640), GXR_CANNOT_CHMOD);
  EXPECT_EQ(GXR_FileStatusGet(missing.c_str(), &info), GXR_FILE_NOT_EXIST);
}

TEST_F(GxrFiles, CopyGoesThroughMappingsAndNeverEmptiesADestinationForNothing) {
  const std::string source = path("source");
  const std::string destination = path("destination");
  const std::string data = pattern(100000);
  spit(source, data);
  spit(destination, std::string(300000, 'x'));  // longer: must end at the source's size
  ASSERT_EQ(GXR_FileCopy(source.c_str(), destination.c_str()), GXR_OK);
  EXPECT_EQ(slurp(destination), data);
  EXPECT_EQ(slurp(source), data);

  spit(destination, "keep me");
  EXPECT_EQ(GXR_FileCopy(path("missing").c_str(), destination.c_str()), GXR_SOURCE_NOT_FOUND);
  const std::string empty = path("empty");
  spit(empty, "");
  EXPECT_EQ(GXR_FileCopy(empty.c_str(), destination.c_str()), GXR_SOURCE_NOT_FOUND);
  EXPECT_EQ(slurp(destination), "keep me");

  // Onto itself: the exclusive open of the destination is refused.
  EXPECT_EQ(GXR_FileCopy(source.c_str(), source.c_str()), GXR_DEST_NOT_FOUND);
  EXPECT_EQ(slurp(source), data);
  EXPECT_EQ(GXR_FileCopy(source.c_str(), path("no/such/dir").c_str()), GXR_DEST_NOT_FOUND);
  EXPECT_EQ(GXR_FileCopy(nullptr, destination.c_str()), GXR_NULL_POINTER);
  EXPECT_EQ(GXR_FileCopy(source.c_str(), nullptr), GXR_NULL_POINTER);
}

// A tmpfs of a few pages, mounted in a mount namespace of the test's own so
// that it vanishes with the test process whatever happens. Needs the right
// to mount (root, as in CI); reason() says why not otherwise.
class TinyFilesystem {
 public:
  TinyFilesystem(const fs::path &where, size_t bytes) : where_(where) {
    fs::create_directory(where_);
    if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
      reason_ = std::string("no mount namespace: ") + std::strerror(errno);
      return;
    }
    const std::string options = "size=" + std::to_string(bytes);
    if (::mount("tmpfs", where_.c_str(), "tmpfs", 0, options.c_str()) != 0) {
      reason_ = std::string("cannot mount a tmpfs: ") + std::strerror(errno);
      return;
    }
    mounted_ = true;
  }
  ~TinyFilesystem() {
    if (mounted_) ::umount(where_.c_str());
  }
  TinyFilesystem(const TinyFilesystem &) = delete;
  TinyFilesystem &operator=(const TinyFilesystem &) = delete;

  bool mounted() const { return mounted_; }
  const std::string &reason() const { return reason_; }

 private:
  fs::path where_;
  bool mounted_ = false;
  std::string reason_;
};

std::set<std::string> namesIn(const fs::path &dir) {
  std::set<std::string> names;
  for (const auto &entry : fs::directory_iterator(dir)) names.insert(entry.path().filename().string());
  return names;
}

TEST_F(GxrFiles, CopyOntoAFullDiskFailsAndLeavesTheDestinationAsItWas) {
  const fs::path disk = dir_ / "disk";
  TinyFilesystem tiny(disk, 64 * 1024);
  if (!tiny.mounted()) GTEST_SKIP() << "no small filesystem to fill: " << tiny.reason();
  const std::string small = pattern(8 * 1024);
  const std::string large = pattern(1024 * 1024);
  spit(path("small"), small);
  spit(path("large"), large);
  spit(disk / "present", "the old table");
  const struct {
    const char *what;
    const char *destination;
    std::set<std::string> namesAfter;
  } cases[] = {
      {"onto a new name", "absent", {"present"}},
      {"over an existing file", "present", {"present"}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    const fs::path destination = disk / c.destination;
    EXPECT_EQ(GXR_FileCopy(path("large").c_str(), destination.c_str()), GXR_DEST_NOT_FOUND);
    EXPECT_EQ(namesIn(disk), c.namesAfter);  // no temporary file left behind
    EXPECT_EQ(slurp(disk / "present"), "the old table");
  }
  // What fits is copied whole, over the old file too.
  ASSERT_EQ(GXR_FileCopy(path("small").c_str(), (disk / "present").c_str()), GXR_OK);
  EXPECT_EQ(slurp(disk / "present"), small);
  EXPECT_EQ(namesIn(disk), std::set<std::string>{"present"});
}

TEST_F(GxrFiles, CopyKeepsTheDestinationsModeAndLinks) {
  const std::string data = pattern(5000);
  spit(path("source"), data);
  spit(path("target"), "old");
  ASSERT_EQ(::chmod(path("target").c_str(), 0640), 0);
  fs::create_symlink(path("target"), path("link"));
  ASSERT_EQ(GXR_FileCopy(path("source").c_str(), path("link").c_str()), GXR_OK);
  EXPECT_TRUE(fs::is_symlink(path("link")));
  EXPECT_EQ(slurp(path("target")), data);
  struct stat info {};
  ASSERT_EQ(::stat(path("target").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST_F(GxrFiles, CopiesShareTheSourceButNotWithAWriter) {
  const std::string source = path("master");
  spit(source, pattern(4096));
  const int held = ::open(source.c_str(), O_RDONLY);
  ASSERT_GE(held, 0);
  // Another process copying the same master table at the same moment.
  ASSERT_EQ(::flock(held, LOCK_SH), 0);
  EXPECT_EQ(GXR_FileCopy(source.c_str(), path("copy1").c_str()), GXR_OK);
  // A writer holding the table keeps the copy out.
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  EXPECT_EQ(GXR_FileCopy(source.c_str(), path("copy2").c_str()), GXR_SOURCE_NOT_FOUND);
  ::close(held);
}

TEST_F(GxrFiles, MoveStreamsTheBytesThenDeletesTheSource) {
  const std::string source = path("source");
  const std::string destination = path("moved");
  const std::string data = pattern(2500);  // blocks of 1024, 1024 and 452
  spit(source, data);
  ASSERT_EQ(GXR_FileMove(source.c_str(), destination.c_str()), 0);
  EXPECT_EQ(slurp(destination), data);
  EXPECT_FALSE(fs::exists(source));

  EXPECT_EQ(GXR_FileMove(source.c_str(), path("other").c_str()), GXR_SOURCE_NOT_FOUND);
  EXPECT_FALSE(fs::exists(path("other")));
  EXPECT_EQ(GXR_FileMove(destination.c_str(), path("no/such/dir").c_str()), GXR_DEST_NOT_FOUND);
  EXPECT_EQ(slurp(destination), data);
  // Onto itself, also under another name of the same file: refused, intact.
  EXPECT_EQ(GXR_FileMove(destination.c_str(), destination.c_str()), GXR_CANNOT_MOVE);
  fs::create_hard_link(destination, path("alias"));
  EXPECT_EQ(GXR_FileMove(destination.c_str(), path("alias").c_str()), GXR_CANNOT_MOVE);
  EXPECT_EQ(slurp(destination), data);
  EXPECT_EQ(GXR_FileMove(nullptr, destination.c_str()), GXR_NULL_POINTER);

  spit(source, "");
  ASSERT_EQ(GXR_FileMove(source.c_str(), destination.c_str()), 0);  // empty files move too
  EXPECT_EQ(slurp(destination), "");
}

TEST_F(GxrFiles, ListingNamesEveryEntryAndEntersTheDirectory) {
  const fs::path sub = dir_ / "sub";
  ASSERT_EQ(GXR_DirectoryMake(sub.c_str()), GXR_OK);
  EXPECT_EQ(GXR_DirectoryMake(sub.c_str()), GXR_CANNOT_MKDIR);
  EXPECT_EQ(GXR_DirectoryMake(nullptr), GXR_NULL_POINTER);
  spit(sub / "one", "1");
  spit(sub / "two", "2");

  GxrDirList *list = nullptr;
  ASSERT_EQ(GXR_DirectoryOpen(sub.c_str(), &list), GXR_OK);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(fs::current_path(), fs::canonical(sub));
  std::set<std::string> names;
  char name[NAME_MAX + 1];
  for (int i = 0; i < 4; ++i) {
    ASSERT_EQ(GXR_DirectoryRead(list, name), GXR_OK) << i;
    names.insert(name);
  }
  EXPECT_EQ(names, (std::set<std::string>{".", "..", "one", "two"}));
  EXPECT_EQ(GXR_DirectoryRead(list, name), GXR_COMPLETE);
  EXPECT_EQ(GXR_DirectoryRead(nullptr, name), GXR_NULL_POINTER);
  ASSERT_EQ(GXR_DirectoryClose(&list), GXR_OK);
  EXPECT_EQ(list, nullptr);
  EXPECT_EQ(GXR_DirectoryClose(&list), GXR_NULL_POINTER);
}

TEST_F(GxrFiles, ListingAMissingDirectoryFails) {
  const std::string missing = path("missing");
  GxrDirList *list = nullptr;
  EXPECT_EQ(GXR_DirectoryOpen(missing.c_str(), &list), GXR_DIR_ACCESS);
  EXPECT_EQ(list, nullptr);
  EXPECT_EQ(GXR_DirectoryOpen(nullptr, &list), GXR_NULL_POINTER);
  // The underlying step hands back the empty listing, which is the caller's.
  ASSERT_EQ(GXR_DirectoryOpenNT(missing.c_str(), &list), GXR_DIR_ACCESS);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->count, 0);
  EXPECT_EQ(GXR_DirectoryRead(list, nullptr), GXR_NULL_POINTER);
  char name[NAME_MAX + 1];
  EXPECT_EQ(GXR_DirectoryRead(list, name), GXR_COMPLETE);
  EXPECT_EQ(GXR_DirectoryClose(&list), GXR_OK);
}

TEST_F(GxrFiles, DiskSpace) {
  uint32_t free = 0;
  EXPECT_EQ(GXR_DiskSpaceGet(dir_.c_str(), &free), GXR_OK);
  EXPECT_EQ(GXR_DiskSpaceGet(nullptr, &free), GXR_OK);
  EXPECT_EQ(GXR_DiskSpaceGet(path("missing").c_str(), &free), GXR_DISK_SPACE);
  EXPECT_EQ(GXR_DiskSpaceGet(nullptr, nullptr), GXR_NULL_POINTER);
}

}  // namespace
