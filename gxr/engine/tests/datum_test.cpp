// Datum and ellipsoid catalogues, user definitions, datum shifts, accuracy
// and geoid heights through the public interface.
#include <sys/wait.h>

#include <array>
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
