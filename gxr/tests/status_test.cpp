// Status-message table, version, environment and heap functions.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "gxr/gxr.h"

extern "C" int gxr_c_header_probe(void);

#ifdef __SANITIZE_ADDRESS__
// The heap-exhaustion cases ask for impossible sizes; under AddressSanitizer
// those must fail as they do in production instead of aborting the run.
extern "C" const char *__asan_default_options() { return "allocator_may_return_null=1"; }
#endif

namespace {

// The table as published, one row a line: - CODE [`NAME`]: "TEXT"
std::vector<std::string> publishedRows() {
  std::ifstream in(GXR_TEST_DATA_DIR "/status_rows.txt");
  const std::regex row(R"re(^- (\d+)(?: `[A-Z_0-9]+`)?: "(.*)"$)re");
  std::vector<std::string> texts;
  std::string line;
  while (std::getline(in, line)) {
    std::smatch m;
    if (!std::regex_match(line, m, row)) {
      ADD_FAILURE() << "unreadable fixture line: " << line;
      continue;
    }
    EXPECT_EQ(std::stoul(m[1]), texts.size());
    texts.push_back(m[2]);
  }
  return texts;
}

std::string message(int code) {
  char *text = nullptr;
  EXPECT_EQ(GXR_ErrorGet(code, &text), GXR_OK);
  std::string copy = text != nullptr ? text : "<null>";
  GXR_PtrFree(reinterpret_cast<void **>(&text));
  return copy;
}

TEST(GxrStatusTable, EveryRowMatchesThePublishedTextByteForByte) {
  const std::vector<std::string> rows = publishedRows();
  ASSERT_EQ(rows.size(), static_cast<size_t>(GXR_STATUS_ROWS));
  for (int code = 0; code < GXR_STATUS_ROWS; ++code) {
    EXPECT_EQ(message(code), rows[code]) << "code " << code;
  }
  // Trailing blanks are part of the texts.
  EXPECT_EQ(message(GXR_COMPLETE), "GXR -- Operation complete ");
  EXPECT_EQ(message(GXR_BAD_DATUM), "GXR -- Datum Code is invalid ");
}

TEST(GxrStatusTable, CodesOutsideTheTableAreWordedAsInvalidCode) {
  for (int code : {GXR_STATUS_ROWS, -1, 100000, INT32_MIN}) {
    EXPECT_EQ(message(code), "GXR -- Invalid error code") << code;
  }
  EXPECT_EQ(message(303), "YBR -- Analysis Results color table is corrupt.");
  EXPECT_EQ(GXR_ErrorGet(0, nullptr), GXR_NULL_POINTER);
}

TEST(GxrFrame, VersionFillsTheFourTexts) {
  char name[13];
  char version[8];
  char date[13];
  char extra[4];
  ASSERT_EQ(GXR_VersionGet(name, version, date, extra), GXR_OK);
  EXPECT_STREQ(name, "QWPX Utility");
  EXPECT_STREQ(version, "4.1.1.0");
  EXPECT_STREQ(date, "NOV 15, 1999");
  EXPECT_STREQ(extra, "N/A");
  std::memset(name, 'x', sizeof name);
  EXPECT_EQ(GXR_VersionGet(name, version, nullptr, extra), GXR_NULL_POINTER);
  EXPECT_EQ(name[0], 'x');
}

TEST(GxrFrame, EnvironmentLookupHandsBackTheEnvironmentsOwnText) {
  ASSERT_EQ(setenv("GXR_TEST_VARIABLE", "some value", 1), 0);
  char *value = nullptr;
  ASSERT_EQ(GXR_EnvGet("GXR_TEST_VARIABLE", &value), GXR_OK);
  EXPECT_EQ(value, std::getenv("GXR_TEST_VARIABLE"));
  EXPECT_STREQ(value, "some value");

  unsetenv("GXR_TEST_VARIABLE");
  char sentinel[] = "unchanged";
  value = sentinel;
  EXPECT_EQ(GXR_EnvGet("GXR_TEST_VARIABLE", &value), GXR_ENV_ERROR);
  EXPECT_EQ(value, sentinel);
  EXPECT_EQ(GXR_EnvGet(nullptr, &value), GXR_NULL_POINTER);
  EXPECT_EQ(GXR_EnvGet("PATH", nullptr), GXR_NULL_POINTER);
}

TEST(GxrFrame, MemGetZeroFillsAndGivesABlockForZeroBytes) {
  void *block = nullptr;
  ASSERT_EQ(GXR_MemGet(&block, 64, 4), GXR_OK);
  const auto *bytes = static_cast<const unsigned char *>(block);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(bytes[i], 0) << i;
  GXR_PtrFree(&block);

  ASSERT_EQ(GXR_MemGet(&block, 0, 8), GXR_OK);
  EXPECT_NE(block, nullptr);
  GXR_PtrFree(&block);

  EXPECT_EQ(GXR_MemGet(&block, SIZE_MAX, 16), GXR_NO_MEMORY);
  EXPECT_EQ(block, nullptr);
}

TEST(GxrFrame, MemReallocKeepsContentsAndSizeZeroReleases) {
  void *block = nullptr;
  ASSERT_EQ(GXR_MemRealloc(&block, 4), GXR_OK);  // null allocates
  std::memcpy(block, "abc", 4);
  ASSERT_EQ(GXR_MemRealloc(&block, 1 << 20), GXR_OK);
  EXPECT_STREQ(static_cast<char *>(block), "abc");
  EXPECT_EQ(GXR_MemRealloc(&block, 0), GXR_NO_MEMORY);
  EXPECT_EQ(block, nullptr);

  // A resize that fails leaves null and no block behind (the sanitizer build
  // would report the leak).
  ASSERT_EQ(GXR_MemGet(&block, 1, 16), GXR_OK);
  EXPECT_EQ(GXR_MemRealloc(&block, SIZE_MAX - 8), GXR_NO_MEMORY);
  EXPECT_EQ(block, nullptr);
}

TEST(GxrFrame, PtrFreeReleasesOnceAndAcceptsNull) {
  void *block = nullptr;
  EXPECT_EQ(GXR_PtrFree(&block), GXR_OK);
  ASSERT_EQ(GXR_MemGet(&block, 1, 1), GXR_OK);
  EXPECT_EQ(GXR_PtrFree(&block), GXR_OK);
  EXPECT_EQ(block, nullptr);
  EXPECT_EQ(GXR_PtrFree(&block), GXR_OK);
  EXPECT_EQ(GXR_PtrFree(nullptr), GXR_OK);
}

TEST(GxrFrame, HeaderCompilesAsPlainCAndLinks) { EXPECT_EQ(gxr_c_header_probe(), 0); }

}  // namespace
