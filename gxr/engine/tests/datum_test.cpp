// Datum and ellipsoid catalogues, user definitions, datum shifts, accuracy
// and geoid heights through the public interface.
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <thread>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <cstdio>
#include <memory>

#include "api_fixture.hpp"

namespace gxr_test {
namespace {

class DatumTest : public ApiTest {
 protected:
  void SetUp() override {
    ApiTest::SetUp();
    ASSERT_EQ(initialise(), GXR_OK);
  }
};

template <std::size_t N>
void release(char* (&blocks)[N]) {
  for (char*& b : blocks) GXR_PtrFree(reinterpret_cast<void**>(&b));
}

// Runs the gxr tool in a process of its own, with this test's environment.
std::string runTool(const std::string& arguments, int* exitCode) {
  const std::string command = std::string(GXR_TEST_TOOL) + " " + arguments + " 2>&1";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  std::string output;
  std::array<char, 4096> buffer{};
  std::size_t n = 0;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0) output.append(buffer.data(), n);
  *exitCode = WEXITSTATUS(pclose(pipe.release()));
  return output;
}

TEST_F(DatumTest, DatumCatalogueRepeatsTheLastEntryAtZero) {
  GxrDatumList list{};
  ASSERT_EQ(GXR_DatumListGet(&list), GXR_OK);
  EXPECT_EQ(list.count, 253);
  EXPECT_STREQ(list.codes[1], "WGE");
  EXPECT_STREQ(list.names[1], "World Geodetic System 1984");
  EXPECT_STREQ(list.codes[0], list.codes[list.count]);
  EXPECT_STREQ(list.names[0], list.names[list.count]);
  EXPECT_NE(list.codes[0], list.codes[list.count]);  // a block of its own
  release(list.codes);
  release(list.names);
}

TEST_F(DatumTest, EllipsoidCatalogueAndEllipsoidOfADatum) {
  GxrEllipsoidList list{};
  ASSERT_EQ(GXR_EllipsoidListGet(&list, &diagnostic_), GXR_OK);
  EXPECT_EQ(list.count, 25);
  EXPECT_STREQ(list.codes[0], "AA");
  EXPECT_STREQ(list.names[0], "Airy 1830");
  release(list.codes);
  release(list.names);
  char name[30], code[3];
  ASSERT_EQ(GXR_DatumEllipseGet("NAS-C", name, code), GXR_OK);
  EXPECT_STREQ(code, "CC");
  EXPECT_STREQ(name, "Clarke 1866");
  EXPECT_EQ(GXR_DatumEllipseGet("NOSUCH", name, code), GXR_DTCC_UNSPECIFIED);
}

TEST_F(DatumTest, DatumShifts) {
  const GxrPoint3 in[] = {geodetic(38, -77, 100), geodetic(51.5, -0.1, 0)};
  GxrPointArray input{2, const_cast<GxrPoint3*>(in)}, output{};
  ASSERT_EQ(GXR_DatumConvert("WGE", "WGE", &input, &output), GXR_OK);
  ASSERT_EQ(output.count, 2);
  auto* out = static_cast<GxrPoint3*>(output.points);
  for (int i = 0; i < 2; ++i) {
    EXPECT_NEAR(out[i].geodetic.latitude, in[i].geodetic.latitude, 1e-9);
    EXPECT_NEAR(out[i].geodetic.longitude, in[i].geodetic.longitude, 1e-9);
    EXPECT_EQ(out[i].geodetic.height, in[i].geodetic.height);
  }
  GXR_PtrFree(&output.points);

  ASSERT_EQ(GXR_DatumConvert("WGE", "NAS-C", &input, &output), GXR_OK);
  out = static_cast<GxrPoint3*>(output.points);
  EXPECT_NEAR(out[0].geodetic.latitude, 37.999953848, 1e-8);
  EXPECT_NEAR(out[0].geodetic.longitude, -77.000321034, 1e-8);
  GXR_PtrFree(&output.points);

  ASSERT_EQ(GXR_DatumConvert("WGE", "NOSUCH", &input, &output), GXR_DTCC_UNSPECIFIED);
  EXPECT_EQ(output.count, 0);
  EXPECT_EQ(output.points, nullptr);
}

TEST_F(DatumTest, AccuracyOfAShift) {
  const GxrPoint3 p = geodetic(38, -77);
  double ce = 0, le = 0, se = 0;
  ASSERT_EQ(GXR_DatumTransformationAccuracyGet("WGE", "NAS-C", &p, &ce, &le, &se, &diagnostic_), GXR_OK);
  EXPECT_NEAR(ce, 11.4, 0.1);
  EXPECT_NEAR(le, 8.9, 0.1);
  EXPECT_NEAR(se, 13.3, 0.1);
  ASSERT_EQ(GXR_DatumTransformationAccuracyGet("WGE", "WGE", &p, &ce, &le, &se, &diagnostic_), GXR_OK);
  EXPECT_EQ(ce, 0);
  const GxrPoint3 paris = geodetic(48.85, 2.35);  // outside the target's area
  ASSERT_EQ(GXR_DatumTransformationAccuracyGet("WGE", "NAS-C", &paris, &ce, &le, &se, &diagnostic_), GXR_OK);
  EXPECT_EQ(ce, -1);
  EXPECT_EQ(GXR_DatumTransformationAccuracyGet("NOSUCH", "WGE", &p, &ce, &le, &se, &diagnostic_),
            GXR_DTCC_UNSPECIFIED);
  EXPECT_EQ(ce, -2.0);
  EXPECT_EQ(le, -2.0);
  EXPECT_EQ(se, -2.0);
}

// The estimate belongs to this call's shift even while another thread
// converts between other datums, whose own estimate would be 0.
TEST_F(DatumTest, AccuracyIsThatOfTheCallsOwnShiftWhileAnotherThreadConverts) {
  constexpr int kQueries = 300;
  std::atomic<bool> stop{false};
  std::thread other([&] {
    const GxrPoint3 p = geodetic(38, -77);
    while (!stop.load()) {
      GxrPointArray input{1, const_cast<GxrPoint3*>(&p)}, output{};
      GXR_DatumConvert("WGE", "WGE", &input, &output);
      GXR_PtrFree(&output.points);
    }
  });
  const GxrPoint3 p = geodetic(38, -77);
  int foreign = 0;
  for (int i = 0; i < kQueries; ++i) {
    double ce = 0, le = 0, se = 0;
    GxrDiagnostic diagnostic{};
    ASSERT_EQ(GXR_DatumTransformationAccuracyGet("WGE", "NAS-C", &p, &ce, &le, &se, &diagnostic), GXR_OK);
    if (std::fabs(ce - 11.427) > 0.01) ++foreign;
  }
  stop.store(true);
  other.join();
  EXPECT_EQ(foreign, 0) << "estimates of another thread's shift";
}

TEST_F(DatumTest, HeightsAboveTheGeoid) {
  double h = 0;
  ASSERT_EQ(GXR_VerticalDatumConvert(-1, 38, -77, 0, &h, &diagnostic_), GXR_OK);
  EXPECT_NEAR(h, 34.855, 1e-3);
  ASSERT_EQ(GXR_VerticalDatumConvert(1, 38, -77, 100, &h, &diagnostic_), GXR_OK);
  EXPECT_NEAR(h, 65.145, 1e-3);
  EXPECT_EQ(GXR_VerticalDatumConvert(1, 95, -77, 100, &h, &diagnostic_), GXR_DTCC_ERROR);
  EXPECT_EQ(diagnostic_.inputStatus, 0x40);
}

TEST_F(ApiTest, VerticalDirectionIsCheckedBeforeInitialising) {
  double h = 0;
  EXPECT_EQ(GXR_VerticalDatumConvert(0, 38, -77, 0, &h, &diagnostic_), GXR_INVALID_FLAG);
  EXPECT_EQ(GXR_VerticalDatumConvert(2, 38, -77, 0, &h, &diagnostic_), GXR_INVALID_FLAG);
  EXPECT_EQ(GXR_GeotransErrorGet(0), -1);  // still not initialised
  EXPECT_FALSE(fs::exists(user_ / "3_param.dat"));
}

TEST_F(DatumTest, UserDatumPersistsForTheNextProcess) {
  ASSERT_EQ(GXR_UserDatumDefine("TSTDATUM", "Test datum", "WE", 10, -20, 30, 1, 2, 3, 40, 50, -10, 10,
                                &diagnostic_),
            GXR_OK);
  const GxrPoint3 p = geodetic(45, 0);
  GxrPointArray input{1, const_cast<GxrPoint3*>(&p)}, output{};
  ASSERT_EQ(GXR_DatumConvert("WGE", "TSTDAT", &input, &output), GXR_OK);  // the code was cut to 6
  GXR_PtrFree(&output.points);
  int exitCode = -1;
  const std::string listed = runTool("datums", &exitCode);
  EXPECT_EQ(exitCode, 0);
  EXPECT_NE(listed.find("TSTDAT  WE  Test datum"), std::string::npos) << listed;
  const std::string converted = runTool("convert -T TSTDAT 45 0", &exitCode);
  EXPECT_EQ(exitCode, 0) << converted;
}

TEST_F(DatumTest, RefusedDatumsLeaveTheTableIntact) {
  const std::string table = slurp(user_ / "3_param.dat");
  GxrDatumList before{};
  ASSERT_EQ(GXR_DatumListGet(&before), GXR_OK);
  const struct {
    const char* code;
    const char* name;
    const char* ellipsoid;
    double south, north;
  } refused[] = {
      {"WGE", "Code in use", "WE", 0, 1},
      {"NEW1", "Unknown ellipsoid", "QQ", 0, 1},
      {"NEW2", "South above north", "WE", 10, 0},
      {"NEW3", "Quote \" in the name", "WE", 0, 1},
      {"", "Empty code", "WE", 0, 1},
  };
  for (const auto& r : refused) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(GXR_UserDatumDefine(r.code, r.name, r.ellipsoid, 0, 0, 0, 1, 1, 1, r.south, r.north, 0, 1,
                                  &diagnostic_),
              GXR_DTCC_UNSPECIFIED);
    EXPECT_EQ(slurp(user_ / "3_param.dat"), table);
  }
  GxrDatumList after{};
  ASSERT_EQ(GXR_DatumListGet(&after), GXR_OK);
  EXPECT_EQ(after.count, before.count);
  release(before.codes);
  release(before.names);
  release(after.codes);
  release(after.names);
  // A name too long for the table is cut to its 31 characters, not lost.
  ASSERT_EQ(GXR_UserDatumDefine("LONG", "A datum name far too long for the 3.7 table", "WE", 0, 0, 0, 1, 1, 1, 0, 1,
                                0, 1, &diagnostic_),
            GXR_OK);
  EXPECT_NE(slurp(user_ / "3_param.dat").find("\"A datum name far too long for t\""), std::string::npos);
}

TEST_F(DatumTest, UserEllipsoid) {
  const std::string table = slurp(user_ / "ellips.dat");
  EXPECT_EQ(GXR_UserEllipsoidDefine("ZZ", "Name of twenty-nine letters..", 6378137, 298.257223563, &diagnostic_),
            GXR_DTCC_UNSPECIFIED);
  EXPECT_EQ(GXR_UserEllipsoidDefine("WE", "Code in use", 6378137, 298.257223563, &diagnostic_),
            GXR_DTCC_UNSPECIFIED);
  EXPECT_EQ(GXR_UserEllipsoidDefine("ZZ", "No axis", -1, 298.257223563, &diagnostic_), GXR_DTCC_UNSPECIFIED);
  EXPECT_EQ(diagnostic_.inputStatus & 0x1, 0x1);
  EXPECT_EQ(slurp(user_ / "ellips.dat"), table);

  ASSERT_EQ(GXR_UserEllipsoidDefine("ZZZ", "Test ellipsoid", 6378137, 298.257223563, &diagnostic_), GXR_OK);
  GxrEllipsoidList list{};
  ASSERT_EQ(GXR_EllipsoidListGet(&list, &diagnostic_), GXR_OK);
  ASSERT_EQ(list.count, 26);
  EXPECT_STREQ(list.codes[25], "ZZ");
  EXPECT_STREQ(list.names[25], "Test ellipsoid");
  release(list.codes);
  release(list.names);
  // A datum on it, defined in the same process.
  EXPECT_EQ(GXR_UserDatumDefine("ONZZ", "On the test ellipsoid", "ZZ", 1, 1, 1, -1, -1, -1, -90, 90, -180, 180,
                                &diagnostic_),
            GXR_OK);
  int exitCode = -1;
  EXPECT_NE(runTool("ellipsoids", &exitCode).find("ZZ  Test ellipsoid"), std::string::npos);
}

TEST_F(DatumTest, NonFiniteAndOutOfRangeDefinitionsAreRefusedAndTheTablesKept) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const std::string datums = slurp(user_ / "3_param.dat");
  const std::string ellipsoids = slurp(user_ / "ellips.dat");
  // Field k of a definition that is good as it stands.
  const double good[10] = {10, -20, 30, 1, 2, 3, 40, 50, -10, 10};
  const struct {
    int field;
    double value;
  } datumCases[] = {
      {0, nan}, {1, inf}, {2, -inf}, {0, 2e5}, {2, -2e5},                 // shifts
      {3, nan}, {4, inf}, {5, -inf}, {3, 0}, {4, -2}, {5, 1e6},          // standard errors
      {6, nan}, {7, inf}, {8, -inf}, {9, nan}, {6, -91}, {7, 90.5},       // area
      {8, -181}, {9, 180.5},
  };
  for (const auto& c : datumCases) {
    double v[10];
    std::copy(std::begin(good), std::end(good), v);
    v[c.field] = c.value;
    SCOPED_TRACE("field " + std::to_string(c.field) + " = " + std::to_string(c.value));
    EXPECT_EQ(GXR_UserDatumDefine("BAD1", "Refused", "WE", v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9],
                                  &diagnostic_),
              GXR_DTCC_UNSPECIFIED);
    char name[30], code[3];
    EXPECT_EQ(GXR_DatumEllipseGet("BAD1", name, code), GXR_DTCC_UNSPECIFIED);  // not in the catalogue
  }
  const struct {
    double semiMajor, inverseFlattening;
  } ellipsoidCases[] = {{nan, 298.25}, {inf, 298.25}, {-inf, 298.25}, {1e300, 298.25}, {0, 298.25},
                        {6378137, nan},  {6378137, inf}, {6378137, -inf}, {6378137, 0},   {6378137, 1},
                        {6378137, 100}};
  for (const auto& c : ellipsoidCases) {
    SCOPED_TRACE(std::to_string(c.semiMajor) + " " + std::to_string(c.inverseFlattening));
    EXPECT_EQ(GXR_UserEllipsoidDefine("QQ", "Refused", c.semiMajor, c.inverseFlattening, &diagnostic_),
              GXR_DTCC_UNSPECIFIED);
  }
  EXPECT_EQ(slurp(user_ / "3_param.dat"), datums);
  EXPECT_EQ(slurp(user_ / "ellips.dat"), ellipsoids);
  GxrEllipsoidList list{};
  ASSERT_EQ(GXR_EllipsoidListGet(&list, &diagnostic_), GXR_OK);
  for (int i = 0; i < list.count; ++i) EXPECT_STRNE(list.codes[i], "QQ");
  release(list.codes);
  release(list.names);
}

// A process of its own, forked before this one initialised the engine so
// that it starts from nothing, which runs its work when released and hands
// back a record of type T.
template <class T>
class LaterProcess {
 public:
  explicit LaterProcess(const std::function<T()>& work) {
    if (pipe(gate_) != 0 || pipe(result_) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(gate_[1]);
      close(result_[0]);
      char go = 0;
      const bool released = read(gate_[0], &go, 1) == 1;
      T record{};
      if (released) record = work();
      _exit(write(result_[1], &record, sizeof record) == static_cast<ssize_t>(sizeof record) ? 0 : 1);
    }
    close(gate_[0]);
    close(result_[1]);
  }
  ~LaterProcess() {
    close(gate_[1]);
    close(result_[0]);
    if (pid_ > 0) waitpid(pid_, nullptr, 0);
  }
  LaterProcess(const LaterProcess&) = delete;
  LaterProcess& operator=(const LaterProcess&) = delete;

  // Runs the work and waits for its record; nullopt when the process died.
  std::optional<T> run() {
    const char go = 1;
    if (write(gate_[1], &go, 1) != 1) return std::nullopt;
    T record{};
    const bool got = read(result_[0], &record, sizeof record) == static_cast<ssize_t>(sizeof record);
    int wstatus = 0;
    const bool ended = waitpid(pid_, &wstatus, 0) == pid_ && WIFEXITED(wstatus) && WEXITSTATUS(wstatus) == 0;
    pid_ = -1;
    if (!got || !ended) return std::nullopt;
    return record;
  }

 private:
  int gate_[2] = {-1, -1};
  int result_[2] = {-1, -1};
  pid_t pid_ = -1;
};

// A shift of two points onto a datum: one well inside its area and one just
// south of it, which only an area kept to the tenth of a degree leaves out.
struct Shifts {
  int status = -1;
  double latitude[2] = {};
  double longitude[2] = {};
  int outputStatus[2] = {};
};

Shifts shiftsOnto(const char* datum) {
  Shifts shifts;
  const GxrPoint3 points[2] = {geodetic(38, -77), geodetic(10.2, -77)};
  for (int i = 0; i < 2; ++i) {
    GxrPointArray result{};
    GxrDiagnostic diagnostic{};
    shifts.status = GXR_CoordinatesConvert("WGE", datum, "GD", "GD", nullptr, nullptr, 1, &points[i], &result,
                                           &diagnostic);
    if (shifts.status != GXR_OK) return shifts;
    shifts.latitude[i] = static_cast<GxrPoint3*>(result.points)->geodetic.latitude;
    shifts.longitude[i] = static_cast<GxrPoint3*>(result.points)->geodetic.longitude;
    shifts.outputStatus[i] = diagnostic.outputStatus;
    GXR_PtrFree(&result.points);
  }
  return shifts;
}

void expectSameShifts(const Shifts& a, const Shifts& b) {
  EXPECT_EQ(a.status, GXR_OK);
  EXPECT_EQ(b.status, GXR_OK);
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE("point " + std::to_string(i));
    EXPECT_EQ(a.latitude[i], b.latitude[i]);
    EXPECT_EQ(a.longitude[i], b.longitude[i]);
    EXPECT_EQ(a.outputStatus[i], b.outputStatus[i]);
  }
}

int defineWithFractions(const char* code, double shift) {
  GxrDiagnostic diagnostic{};
  return GXR_UserDatumDefine(code, code, "WE", shift, -20.25, 30.5, 1.5, 2.25, 3.75, 10.3, 50.7, -100.2, -60.4,
                             &diagnostic);
}

// Process A starts, B defines BBB2, then A defines AAA1: the table keeps
// both, and C, started after both, converts on each datum exactly as the
// process that defined it did, area bounds to the tenth of a degree included.
TEST_F(ApiTest, DefinitionsOfTwoProcessesKeepEachOtherAndTheirValues) {
  struct BothShifts {
    Shifts onA, onB;
  };
  LaterProcess<Shifts> b([] {
    Shifts s;
    if ((s.status = defineWithFractions("BBB2", 10.7)) != GXR_OK) return s;
    return shiftsOnto("BBB2");
  });
  LaterProcess<BothShifts> c([] { return BothShifts{shiftsOnto("AAA1"), shiftsOnto("BBB2")}; });
  ASSERT_EQ(initialise(), GXR_OK);  // A has loaded the tables
  const std::optional<Shifts> onBinB = b.run();
  ASSERT_TRUE(onBinB.has_value()) << "B died";
  ASSERT_EQ(onBinB->status, GXR_OK);
  ASSERT_EQ(defineWithFractions("AAA1", -7.3), GXR_OK);
  const Shifts onAinA = shiftsOnto("AAA1");
  EXPECT_EQ(onAinA.outputStatus[1], 0x8);  // 10.2 lies south of 10.3
  expectSameShifts(shiftsOnto("BBB2"), *onBinB);
  const std::optional<BothShifts> inC = c.run();
  ASSERT_TRUE(inC.has_value()) << "C died";
  expectSameShifts(inC->onA, onAinA);
  expectSameShifts(inC->onB, *onBinB);
}

TEST_F(DatumTest, ToolReportsFailuresWithTheStatusText) {
  int exitCode = 0;
  std::string out = runTool("convert -t UT 85 10", &exitCode);
  EXPECT_EQ(exitCode, 1);
  EXPECT_NE(out.find("GXR -- Dtcc datum transformation or coordinate conversion error"), std::string::npos) << out;
  EXPECT_NE(out.find("Output UTM: Latitude out of range"), std::string::npos) << out;
  out = runTool("convert -t XX 1 1", &exitCode);
  EXPECT_EQ(exitCode, 2);
  out = runTool("convert -t UT 38 -77", &exitCode);
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(out, "18 N 324396.629 4207702.367\n");
}

}  // namespace
}  // namespace gxr_test
