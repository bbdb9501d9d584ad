// The memory-mapped file manager: shared mappings, sorted lists, reference
// counts, reads and seeks, and the two interfaces over it.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "gxr/gxr.h"

namespace fs = std::filesystem;

namespace {

std::string bytes(size_t size) {
  std::string data(size, '\0');
  for (size_t i = 0; i < size; ++i) data[i] = static_cast<char>(i * 31 + 7);
  return data;
}

class GxrMapped : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string templ = (fs::temp_directory_path() / "gxr-mapped-XXXXXX").string();
    ASSERT_NE(mkdtemp(templ.data()), nullptr);
    dir_ = templ;
    ASSERT_EQ(GXR_ThreadInit(), GXR_OK);
  }
  void TearDown() override {
    // Every test closes what it opened; a record left in a list would keep
    // its file locked for the tests after it.
    EXPECT_EQ(list_, nullptr);
    GXR_ThreadCleanup();
    fs::remove_all(dir_);
  }
  std::string file(const std::string &name, size_t size) {
    const std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << bytes(size);
    return path;
  }

  fs::path dir_;
  GxrMapRecord *list_ = nullptr;  // a list of the test's own for the manager's steps
};

TEST_F(GxrMapped, ReadersOfOneNameShareOneMappingUntilTheLastCloses) {
  const std::string name = file("shared", 150);
  GxrMapReader first{}, second{};
  ASSERT_EQ(GXR_MemMapOpenManage(&list_, &first, name.c_str()), GXR_OK);
  ASSERT_EQ(GXR_MemMapOpenManage(&list_, &second, name.c_str()), GXR_OK);
  ASSERT_NE(list_, nullptr);
  EXPECT_EQ(list_->next, nullptr);
  EXPECT_EQ(list_->references, 2);
  EXPECT_EQ(first.base, second.base);
  EXPECT_EQ(first.size, 150);

  char buffer[200];
  ASSERT_EQ(GXR_MemMapReadManage(&first, 10, buffer), GXR_OK);
  EXPECT_EQ(first.offset, 10);
  EXPECT_EQ(second.offset, 0);
  EXPECT_EQ(std::string(buffer, 10), bytes(10));

  ASSERT_EQ(GXR_MemMapCloseManage(&list_, &first), GXR_OK);
  EXPECT_EQ(first.base, nullptr);
  EXPECT_EQ(first.size, 0);
  ASSERT_NE(list_, nullptr);
  EXPECT_EQ(list_->references, 1);
  EXPECT_EQ(GXR_MemMapCloseManage(&list_, &first), -1);  // closed already
  ASSERT_EQ(GXR_MemMapCloseManage(&list_, &second), GXR_OK);
  EXPECT_EQ(list_, nullptr);
}

TEST_F(GxrMapped, ListStaysSortedByName) {
  const std::string b = file("b", 3), a = file("a", 3), c = file("c", 3), ab = file("ab", 3);
  GxrMapReader readers[4] = {};
  const std::string order[] = {b, a, c, ab};
  for (int i = 0; i < 4; ++i) {
    ASSERT_EQ(GXR_MemMapOpenManage(&list_, &readers[i], order[i].c_str()), GXR_OK);
  }
  std::vector<std::string> names;
  for (GxrMapRecord *r = list_; r != nullptr; r = r->next) names.push_back(r->name);
  EXPECT_EQ(names, (std::vector<std::string>{a, ab, b, c}));

  GxrMapRecord *found = nullptr;
  int position = -1;
  ASSERT_EQ(GXR_MemMapLLSortPosFind(&list_, b.c_str(), &found, &position), GXR_OK);
  EXPECT_EQ(position, 2);
  EXPECT_STREQ(found->name, b.c_str());
  ASSERT_EQ(GXR_MemMapLLSortPosFind(&list_, (dir_ / "bb").c_str(), &found, &position), GXR_OK);
  EXPECT_EQ(found, nullptr);
  EXPECT_EQ(position, 3);
  int index = -1;
  ASSERT_EQ(GXR_MemMapLLAddrFind(&list_, &readers[2], &found, &index), GXR_OK);
  EXPECT_EQ(index, 3);
  GxrMapRecord *previous = nullptr;
  ASSERT_EQ(GXR_MemMapLLReferenceGet(list_, 3, &found, &previous), GXR_OK);
  EXPECT_STREQ(found->name, c.c_str());
  EXPECT_STREQ(previous->name, b.c_str());
  EXPECT_EQ(GXR_MemMapLLReferenceGet(list_, 4, &found, &previous), GXR_NO_MATCH);

  // Closing from the middle keeps the rest linked and in order.
  ASSERT_EQ(GXR_MemMapCloseManage(&list_, &readers[3]), GXR_OK);
  names.clear();
  for (GxrMapRecord *r = list_; r != nullptr; r = r->next) names.push_back(r->name);
  EXPECT_EQ(names, (std::vector<std::string>{a, b, c}));
  for (int i = 0; i < 3; ++i) ASSERT_EQ(GXR_MemMapCloseManage(&list_, &readers[i]), GXR_OK);
}

TEST_F(GxrMapped, ReadsStopAtTheEnd) {
  const std::string name = file("data", 150);
  GxrMapReader reader{};
  ASSERT_EQ(GXR_FileOpen(GXR_IO_OPEN_BIN_READ, &reader, name.c_str()), GXR_OK);
  ASSERT_EQ(GXR_FileSeek(GXR_IO_SEEK_START, &reader, 90), GXR_OK);
  char buffer[100];
  ASSERT_EQ(GXR_FileRead(&reader, 100, buffer), GXR_OK);
  EXPECT_EQ(std::string(buffer, 60), bytes(150).substr(90));
  int offset = 0;
  ASSERT_EQ(GXR_FileTell(&reader, &offset), GXR_OK);
  EXPECT_EQ(offset, 150);
  EXPECT_EQ(GXR_FileEof(&reader), 1);
  ASSERT_EQ(GXR_FileRead(&reader, 100, buffer), GXR_OK);
  EXPECT_EQ(reader.offset, 150);
  EXPECT_EQ(GXR_FileRead(&reader, -1, buffer), GXR_NEGATIVE_INPUT);
  ASSERT_EQ(GXR_FileClose(&reader), GXR_OK);
  EXPECT_EQ(GXR_FileClose(&reader), -1);
}

TEST_F(GxrMapped, SeeksStayInsideTheFile) {
  const std::string name = file("seek", 150);
  GxrMapReader reader{};
  ASSERT_EQ(GXR_FileOpen(GXR_IO_OPEN_READ, &reader, name.c_str()), GXR_OK);
  struct Case {
    int service;
    int from;  // offset before the seek
    int offset;
    int status;
    int after;
  };
  const Case cases[] = {
      {GXR_IO_SEEK_START, 7, 150, GXR_OK, 150},
      {GXR_IO_SEEK_START, 7, 151, GXR_SEEK_PAST_END, 7},
      {GXR_IO_SEEK_START, 7, -1, GXR_SEEK_BEFORE_START, 7},
      {GXR_IO_SEEK_CURRENT, 0, -1, GXR_SEEK_BEFORE_START, 0},
      {GXR_IO_SEEK_CURRENT, 100, 50, GXR_OK, 150},
      {GXR_IO_SEEK_CURRENT, 100, 51, GXR_SEEK_PAST_END, 100},
      {GXR_IO_SEEK_CURRENT, 100, -100, GXR_OK, 0},
      {GXR_IO_SEEK_CURRENT, 100, INT32_MAX, GXR_SEEK_PAST_END, 100},
      {GXR_IO_SEEK_END, 7, -10, GXR_OK, 140},
      {GXR_IO_SEEK_END, 7, 1, GXR_SEEK_PAST_END, 7},
      {GXR_IO_SEEK_END, 7, -160, GXR_SEEK_BEFORE_START, 0},
      {GXR_IO_REWIND, 99, 12345, GXR_OK, 0},
  };
  for (const Case &c : cases) {
    ASSERT_EQ(GXR_FileSeek(GXR_IO_SEEK_START, &reader, c.from), GXR_OK);
    EXPECT_EQ(GXR_FileSeek(c.service, &reader, c.offset), c.status)
        << c.service << " by " << c.offset << " from " << c.from;
    EXPECT_EQ(reader.offset, c.after) << c.service << " by " << c.offset << " from " << c.from;
    EXPECT_EQ(reader.current, reader.base + reader.offset);
  }
  EXPECT_EQ(GXR_FileSeek(GXR_IO_TELL, &reader, 0), GXR_BAD_SERVICE);
  ASSERT_EQ(GXR_FileClose(&reader), GXR_OK);
}

TEST_F(GxrMapped, OpenRefusesOtherServicesEmptyMissingAndUnsharedFiles) {
  const std::string name = file("only", 10);
  GxrMapReader reader{};
  EXPECT_EQ(GXR_FileOpen(GXR_IO_OPEN_WRITE, &reader, name.c_str()), GXR_BAD_SERVICE);
  EXPECT_EQ(GXR_FileOpen(GXR_IO_OPEN_READ, &reader, file("empty", 0).c_str()), GXR_MAP_OPEN);
  EXPECT_EQ(reader.base, nullptr);
  EXPECT_EQ(GXR_FileOpen(GXR_IO_OPEN_READ, &reader, (dir_ / "missing").c_str()), GXR_MAP_OPEN);
  EXPECT_EQ(GXR_FileOpen(GXR_IO_OPEN_READ, &reader, dir_.c_str()), GXR_MAP_OPEN);

  ASSERT_EQ(GXR_FileOpen(GXR_IO_OPEN_READ, &reader, name.c_str()), GXR_OK);
  // The same file under another form of its name is a second, refused open.
  GxrMapReader other{};
  const std::string alias = (dir_ / "." / "only").string();
  EXPECT_EQ(GXR_FileOpen(GXR_IO_OPEN_READ, &other, alias.c_str()), GXR_MAP_OPEN);
  EXPECT_EQ(GXR_MemMap(GXR_IO_OPEN_READ, &other, name.c_str(), 0, nullptr, nullptr),
            GXR_MAP_OPEN);
  // And a copy cannot read it either: the open allows no sharing.
  EXPECT_EQ(GXR_FileCopy(name.c_str(), (dir_ / "copy").c_str()), GXR_SOURCE_NOT_FOUND);
  ASSERT_EQ(GXR_FileClose(&reader), GXR_OK);
  EXPECT_EQ(GXR_FileOpen(GXR_IO_OPEN_READ, &other, alias.c_str()), GXR_OK);
  ASSERT_EQ(GXR_FileClose(&other), GXR_OK);
}

TEST_F(GxrMapped, ServiceInterfaceDrivesTheManagerByCode) {
  const std::string name = file("service", 20);
  GxrMapReader reader{};
  ASSERT_EQ(GXR_MemMap(GXR_IO_OPEN_BIN_READ, &reader, name.c_str(), 0, nullptr, nullptr), 0);
  char buffer[8];
  ASSERT_EQ(GXR_MemMap(GXR_IO_READ, &reader, nullptr, 8, buffer, nullptr), GXR_OK);
  EXPECT_EQ(std::string(buffer, 8), bytes(8));
  ASSERT_EQ(GXR_MemMap(GXR_IO_SEEK_END, &reader, nullptr, -5, nullptr, nullptr), GXR_OK);
  int offset = -1;
  ASSERT_EQ(GXR_MemMap(GXR_IO_TELL, &reader, nullptr, 0, nullptr, &offset), GXR_OK);
  EXPECT_EQ(offset, 15);
  EXPECT_EQ(GXR_MemMap(GXR_IO_WRITE, &reader, nullptr, 0, nullptr, &offset), GXR_BAD_SERVICE);
  ASSERT_EQ(GXR_MemMap(GXR_IO_CLOSE, &reader, nullptr, 0, nullptr, nullptr), GXR_OK);
  EXPECT_EQ(GXR_MemMap(GXR_IO_CLOSE, &reader, nullptr, 0, nullptr, nullptr), -1);
}

TEST_F(GxrMapped, ReadersOnManyThreadsShareTheMapping) {
  const std::string name = file("threads", 4096);
  const std::string expected = bytes(4096);
  std::vector<std::thread> threads;
  std::vector<int> failures(8, 0);
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < 50; ++round) {
        GxrMapReader reader{};
        std::string got(4096, '\0');
        if (GXR_FileOpen(GXR_IO_OPEN_READ, &reader, name.c_str()) != GXR_OK ||
            GXR_FileRead(&reader, 4096, got.data()) != GXR_OK || got != expected ||
            GXR_FileClose(&reader) != GXR_OK) {
          ++failures[t];
        }
      }
    });
  }
  for (std::thread &thread : threads) thread.join();
  for (int t = 0; t < 8; ++t) EXPECT_EQ(failures[t], 0) << t;
}

}  // namespace
