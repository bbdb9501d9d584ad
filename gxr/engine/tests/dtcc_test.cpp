// Initialisation, the diagnostic record and status translation.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "api_fixture.hpp"

namespace gxr_test {
namespace {

TEST(DtccTranslation, DiagnosticServiceTranslatesEngineStatus) {
  const struct {
    int engineStatus;
    int expected;
  } cases[] = {{0x0, GXR_OK},
               {0x1, GXR_DTCC_WARNING},
               {0x4, GXR_DTCC_WARNING},
               {0x5, GXR_DTCC_WARNING},
               {0x2, GXR_DTCC_ERROR},
               {0x8, GXR_DTCC_ERROR},
               {0x10, GXR_DTCC_UNSPECIFIED},
               {0x40, GXR_DTCC_UNSPECIFIED},
               {0x100, GXR_DTCC_INTERNAL},
               {0x800, GXR_DTCC_INTERNAL},
               {0x1000, GXR_DTCC_LOOKUP},
               {0x2000, GXR_DTCC_LOOKUP},
               {0x2001, GXR_DTCC_LOOKUP},
               {0x102, GXR_DTCC_INTERNAL},
               {0x1A, GXR_DTCC_ERROR}};
  for (const auto& c : cases) {
    int value = c.engineStatus;
    EXPECT_EQ(GXR_DtccDiagnosticService(GXR_DIAG_TRANSLATE, &value), c.expected) << std::hex << c.engineStatus;
    int last = -1;
    EXPECT_EQ(GXR_DtccDiagnosticService(GXR_DIAG_FETCH, &last), GXR_OK);
    EXPECT_EQ(last, c.engineStatus);
  }
  int value = 0x44;
  EXPECT_EQ(GXR_DtccDiagnosticService(GXR_DIAG_STORE, &value), GXR_OK);
  int last = 0;
  GXR_DtccDiagnosticService(GXR_DIAG_FETCH, &last);
  EXPECT_EQ(last, 0x44);
  EXPECT_EQ(GXR_DtccDiagnosticService(11, &value), GXR_INVALID_FLAG);
  EXPECT_EQ(GXR_DtccDiagnosticService(GXR_DIAG_FETCH, nullptr), GXR_NULL_POINTER);
}

TEST_F(ApiTest, GeotransErrorGetNeedsAnInitialisedEngineAndADirection) {
  EXPECT_EQ(GXR_GeotransErrorGet(0), -1);
  ASSERT_EQ(initialise(), GXR_OK);
  EXPECT_EQ(GXR_GeotransErrorGet(0), GXR_OK);
  EXPECT_EQ(GXR_GeotransErrorGet(2), -1);
  EXPECT_EQ(GXR_GeotransErrorGet(-1), -1);
}

// The side statuses of real failed conversions, as GXR_GeotransErrorGet words them.
TEST_F(ApiTest, GeotransErrorGetTranslatesTheSideStatus) {
  ASSERT_EQ(initialise(), GXR_OK);
  GxrGridPoint badMgrs{}, utmZone0{}, badUps{};
  badUps.hemisphere = 'X';
  badUps.easting = badUps.northing = 2000000;
  std::snprintf(badMgrs.mgrs, sizeof badMgrs.mgrs, "%s", "XYZ");
  utmZone0.easting = 500000;
  utmZone0.northing = 4000000;
  utmZone0.hemisphere = 'N';
  const GxrPoint3 north85 = geodetic(85, 10);
  struct Case {
    const char* what;
    const char* from;
    const char* to;
    const void* point;
    int input, output;
  } cases[] = {
      {"latitude beyond UTM", "GD", "UT", &north85, GXR_OK, GXR_BAD_LATITUDE},
      {"invalid MGRS", "MG", "GD", &badMgrs, GXR_BAD_MGRS, GXR_OK},
      {"UTM zone 0", "UT", "GD", &utmZone0, GXR_BAD_ZONE, GXR_OK},
      {"UPS hemisphere", "UP", "GD", &badUps, GXR_BAD_HEMISPHERE, GXR_OK},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    GxrPointArray result{};
    EXPECT_EQ(GXR_CoordinatesConvert("WGE", "WGE", c.from, c.to, nullptr, nullptr, 1, c.point, &result, &diagnostic_),
              GXR_DTCC_ERROR);
    EXPECT_EQ(GXR_GeotransErrorGet(0), c.input);
    EXPECT_EQ(GXR_GeotransErrorGet(1), c.output);
    GXR_PtrFree(&result.points);
  }
  // The hemisphere shares its bit with the Lambert parallels; the text keeps
  // GEOTRANS's own words for it.
  EXPECT_STREQ(diagnostic_.inputText, "Input UPS:\rInvalid Hemisphere");
  // A datum-area warning (side bit 0x8) is no row of the table: it takes the
  // service's translation of the same number.
  const GxrPoint3 paris = geodetic(48.85, 2.35);
  GxrPointArray result{};
  EXPECT_EQ(GXR_CoordinatesConvert("WGE", "NAS-C", "GD", "GD", nullptr, nullptr, 1, &paris, &result, &diagnostic_),
            GXR_OK);
  EXPECT_EQ(diagnostic_.outputStatus, 0x8);
  EXPECT_EQ(GXR_GeotransErrorGet(1), GXR_DTCC_ERROR);
  GXR_PtrFree(&result.points);
}

TEST_F(ApiTest, DiagnosticRecordTexts) {
  EXPECT_EQ(GXR_DtccDiagnosticGet(0, &diagnostic_), GXR_DTCC_UNSPECIFIED);  // not initialised yet
  ASSERT_EQ(initialise(), GXR_OK);
  ASSERT_EQ(GXR_DtccDiagnosticGet(0, &diagnostic_), GXR_OK);
  EXPECT_STREQ(diagnostic_.engineText, " dtcc - No errors or warnings\n");
  ASSERT_EQ(GXR_DtccDiagnosticGet(0x3FFF, &diagnostic_), GXR_OK);
  EXPECT_EQ(diagnostic_.engineStatus, 0x3FFF);
  EXPECT_EQ(std::strlen(diagnostic_.engineText), 129u);  // cut to the field
  EXPECT_EQ(std::string(diagnostic_.engineText).rfind("Input warning\rInput error\r", 0), 0u);

  const GxrPoint3 north85 = geodetic(85, 10);
  GxrPointArray result{};
  GXR_CoordinatesConvert("WGE", "WGE", "GD", "UT", nullptr, nullptr, 1, &north85, &result, &diagnostic_);
  EXPECT_EQ(diagnostic_.engineStatus, 0);
  EXPECT_EQ(diagnostic_.outputStatus, 0x40);
  EXPECT_STREQ(diagnostic_.outputText, "Output UTM:\rLatitude out of range");
  EXPECT_STREQ(diagnostic_.inputText, "");
  GXR_PtrFree(&result.points);
}

TEST_F(ApiTest, FirstInitialisationCopiesTheTablesAndLinksTheGeoid) {
  ASSERT_EQ(initialise(), GXR_OK);
  for (const char* name : {"3_param.dat", "7_param.dat", "ellips.dat"})
    EXPECT_EQ(slurp(user_ / name), slurp(fs::path(master_) / name)) << name;
  EXPECT_TRUE(fs::exists(user_ / "egm96.grd"));
  EXPECT_STREQ(std::getenv("DATUM_DATA"), user_.c_str());
  EXPECT_STREQ(std::getenv("ELLIPSOID_DATA"), user_.c_str());
  EXPECT_STREQ(std::getenv("GEOID_DATA"), master_.c_str());
  EXPECT_EQ(diagnostic_.engineStatus, 0);
}

TEST_F(ApiTest, PresentTablesAreKeptWithoutRefresh) {
  fs::copy_file(fs::path(master_) / "7_param.dat", user_ / "7_param.dat");
  fs::copy_file(fs::path(master_) / "ellips.dat", user_ / "ellips.dat");
  fs::copy_file(fs::path(master_) / "3_param.dat", user_ / "3_param.dat");
  fs::last_write_time(user_ / "3_param.dat", fs::file_time_type::clock::now() - std::chrono::hours(1));
  const auto before = fs::last_write_time(user_ / "3_param.dat");
  ASSERT_EQ(initialise(), GXR_OK);
  EXPECT_EQ(fs::last_write_time(user_ / "3_param.dat"), before);
}

TEST_F(ApiTest, DatumRefreshCopiesBothDatumTablesButNotTheEllipsoids) {
  for (const char* name : {"3_param.dat", "7_param.dat", "ellips.dat"})
    fs::copy_file(fs::path(master_) / name, user_ / name);
  const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
  for (const char* name : {"3_param.dat", "7_param.dat", "ellips.dat"}) fs::last_write_time(user_ / name, old);
  ASSERT_EQ(GXR_DtccInitialize(GXR_DTCC_REFRESH, 6, &diagnostic_), GXR_OK);
  EXPECT_GT(fs::last_write_time(user_ / "3_param.dat"), old);
  EXPECT_GT(fs::last_write_time(user_ / "7_param.dat"), old);
  EXPECT_EQ(fs::last_write_time(user_ / "ellips.dat"), old);
}

// A failed initialisation leaves nothing half done behind: once its cause
// is mended, the next call initialises; after a success nothing more is done.
TEST_F(ApiTest, FailedInitialisationIsRetriedAndASuccessfulOneIsNot) {
  unsetenv("USER_DATA");
  EXPECT_EQ(initialise(), GXR_ENV_ERROR);
  setenv("USER_DATA", user_.c_str(), 1);
  setenv("GXR_DATA_DIR", (user_ / "nowhere").c_str(), 1);
  EXPECT_EQ(initialise(), GXR_SOURCE_NOT_FOUND);
  EXPECT_FALSE(fs::exists(user_ / "3_param.dat"));
  setenv("GXR_DATA_DIR", master_.c_str(), 1);
  ASSERT_EQ(initialise(), GXR_OK);
  EXPECT_EQ(slurp(user_ / "3_param.dat"), slurp(fs::path(master_) / "3_param.dat"));
  EXPECT_STREQ(std::getenv("GEOID_DATA"), master_.c_str());
  GxrCoordSysList list{};
  ASSERT_EQ(GXR_CoordinateSystemListGet(&list, &diagnostic_), GXR_OK);
  for (int i = 0; i < list.count; ++i) {
    GXR_PtrFree(reinterpret_cast<void**>(&list.codes[i]));
    GXR_PtrFree(reinterpret_cast<void**>(&list.names[i]));
  }
  fs::remove(user_ / "3_param.dat");
  EXPECT_EQ(initialise(), GXR_OK);
  EXPECT_FALSE(fs::exists(user_ / "3_param.dat"));  // not initialised twice
}

// Six processes start on one empty user directory at the same moment, round
// after round: each initialises, converts and sees the whole datum table,
// and the directory ends with whole tables and nothing half written.
TEST_F(ApiTest, ProcessesInitialisingTogetherAllSucceed) {
  constexpr int kProcesses = 6;
  constexpr int kRounds = 20;
  const std::string master3 = slurp(fs::path(master_) / "3_param.dat");
  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const fs::path dir = user_ / ("round" + std::to_string(round));
    fs::create_directory(dir);
    setenv("USER_DATA", dir.c_str(), 1);
    int start[2];
    ASSERT_EQ(pipe(start), 0);
    std::vector<pid_t> children;
    std::vector<int> results;
    for (int i = 0; i < kProcesses; ++i) {
      int result[2];
      ASSERT_EQ(pipe(result), 0);
      const pid_t pid = fork();
      ASSERT_GE(pid, 0);
      if (pid == 0) {
        close(start[1]);
        close(result[0]);
        char go = 0;
        (void)!read(start[0], &go, 1);  // all start when the parent closes its end
        GxrDiagnostic diagnostic{};
        int status = GXR_DtccInitialize(6, 6, &diagnostic);
        const GxrPoint3 p = geodetic(38, -77);
        GxrPointArray converted{};
        if (status == GXR_OK)
          status = GXR_CoordinatesConvert("WGE", "NAS-C", "GD", "UT", nullptr, nullptr, 1, &p, &converted, &diagnostic);
        GxrDatumList datums{};
        if (status == GXR_OK) status = GXR_DatumListGet(&datums);
        if (status == GXR_OK && datums.count != 253) status = -datums.count;
        (void)!write(result[1], &status, sizeof status);
        _exit(0);
      }
      close(result[1]);
      children.push_back(pid);
      results.push_back(result[0]);
    }
    close(start[0]);
    close(start[1]);
    for (int i = 0; i < kProcesses; ++i) {
      int status = -1;
      const bool reported = read(results[i], &status, sizeof status) == static_cast<ssize_t>(sizeof status);
      close(results[i]);
      int wstatus = 0;
      ASSERT_EQ(waitpid(children[i], &wstatus, 0), children[i]);
      EXPECT_TRUE(WIFEXITED(wstatus)) << "process " << i << " killed by signal " << WTERMSIG(wstatus);
      EXPECT_TRUE(reported) << "process " << i;
      EXPECT_EQ(status, GXR_OK) << "process " << i;
    }
    EXPECT_EQ(slurp(dir / "3_param.dat"), master3);
    for (const auto& entry : fs::directory_iterator(dir)) {
      const std::string name = entry.path().filename().string();
      EXPECT_TRUE(name == "3_param.dat" || name == "7_param.dat" || name == "ellips.dat" || name == "egm96.grd" ||
                  name == ".gxr-tables.lock")
          << "left behind: " << name;
    }
  }
}

TEST_F(ApiTest, DataDirectoryFallsBackToDtccDataDir) {
  unsetenv("GXR_DATA_DIR");
  setenv("DTCC_DATA_DIR", master_.c_str(), 1);
  ASSERT_EQ(initialise(), GXR_OK);
  EXPECT_STREQ(std::getenv("GEOID_DATA"), master_.c_str());
}

TEST_F(ApiTest, GxrDataDirWinsOverDtccDataDir) {
  setenv("DTCC_DATA_DIR", "/nonexistent", 1);
  ASSERT_EQ(initialise(), GXR_OK);
  EXPECT_STREQ(std::getenv("GEOID_DATA"), master_.c_str());
}

TEST_F(ApiTest, NoDataDirectoryIsAnEnvironmentError) {
  unsetenv("GXR_DATA_DIR");
  EXPECT_EQ(initialise(), GXR_ENV_ERROR);
}

TEST_F(ApiTest, UnreadableMasterFailsTheCopy) {
  setenv("GXR_DATA_DIR", user_.c_str(), 1);  // holds no master tables
  EXPECT_EQ(initialise(), GXR_SOURCE_NOT_FOUND);
}

TEST_F(ApiTest, BrokenEngineDataIsUnspecifiedAndLaterCallsSayNotInitialised) {
  fs::path data = user_ / "data";
  fs::create_directory(data);
  for (const char* name : {"3_param.dat", "7_param.dat", "ellips.dat"})
    fs::copy_file(fs::path(master_) / name, data / name);
  setenv("GXR_DATA_DIR", data.c_str(), 1);  // no geoid grid
  EXPECT_EQ(initialise(), GXR_DTCC_UNSPECIFIED);
  EXPECT_EQ(diagnostic_.engineStatus, 0x80);
  const GxrPoint3 p = geodetic(38, -77);
  GxrPointArray result{};
  EXPECT_EQ(GXR_CoordinatesConvert("WGE", "WGE", "GD", "UT", nullptr, nullptr, 1, &p, &result, &diagnostic_),
            GXR_DTCC_UNSPECIFIED);
  EXPECT_EQ(result.points, nullptr);
}

TEST_F(ApiTest, OverlongDirectoryIsAnEnvironmentError) {
  setenv("USER_DATA", (std::string(1100, 'x')).c_str(), 1);
  EXPECT_EQ(initialise(), GXR_ENV_ERROR);
}

TEST(DtccLocks, WithoutThreadInitTheEngineLockFails) {
  GxrDiagnostic diagnostic{};
  char dir[] = "/tmp/gxr-nolock-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  setenv("USER_DATA", dir, 1);
  setenv("GXR_DATA_DIR", masterDirectory().c_str(), 1);
  EXPECT_EQ(GXR_DtccInitialize(6, 6, &diagnostic), GXR_MUTEX_LOCK);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace gxr_test
