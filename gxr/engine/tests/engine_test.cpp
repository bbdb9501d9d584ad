// The engine layer against GEOTRANS 3.7. ctest runs every test in a process
// of its own, so each starts with an uninitialised engine.
#include <gtest/gtest.h>
#include <proj.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <random>
#include <sstream>
#include <string>

#include "engine.h"

namespace fs = std::filesystem;
using namespace gxr::engine;

namespace {

constexpr double kDeg = std::numbers::pi / 180.0;

std::string masterDirectory() {
  const char* env = std::getenv("GXR_DATA_DIR");
  return env != nullptr ? env : GXR_TEST_GEOTRANS_DATA;
}

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// A user directory of its own with fresh copies of the three tables.
class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/gxr-engine-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    user_ = pattern;
    for (const char* name : {"3_param.dat", "7_param.dat", "ellips.dat"})
      fs::copy_file(fs::path(masterDirectory()) / name, user_ / name);
    setenv("DATUM_DATA", user_.c_str(), 1);
    setenv("ELLIPSOID_DATA", user_.c_str(), 1);
    setenv("GEOID_DATA", masterDirectory().c_str(), 1);
  }
  void TearDown() override { fs::remove_all(user_); }

  Engine& ready() {
    Engine& e = Engine::instance();
    EXPECT_EQ(e.initialize(), 0);
    return e;
  }

  // One conversion from system to system on the given datums.
  int convert(int from, int to, const Coordinates& in, Coordinates* out, long fromDatum = 1,
              long toDatum = 1, const Parameters* fromParams = nullptr,
              const Parameters* toParams = nullptr) {
    Engine& e = ready();
    EXPECT_EQ(e.setSystem(Side::input, from), 0);
    EXPECT_EQ(e.setSystem(Side::output, to), 0);
    EXPECT_EQ(e.setDatum(Side::input, fromDatum), 0);
    EXPECT_EQ(e.setDatum(Side::output, toDatum), 0);
    if (fromParams != nullptr) {
      EXPECT_EQ(e.setParameters(Side::input, from, *fromParams), 0);
    }
    if (toParams != nullptr) {
      EXPECT_EQ(e.setParameters(Side::output, to, *toParams), 0);
    }
    EXPECT_EQ(e.setInputCoordinates(in), 0);
    int status = e.convert();
    const Coordinates* converted = nullptr;
    e.outputCoordinates(&converted);
    *out = *converted;
    return status;
  }

  long datum(const char* code) {
    long index = 0;
    EXPECT_EQ(ready().datumIndex(code, &index), 0) << code;
    return index;
  }

  static Coordinates geodetic(double lat, double lon, double h = 0) {
    Coordinates c;
    c.latitude = lat * kDeg;
    c.longitude = lon * kDeg;
    c.height = h;
    return c;
  }

  fs::path user_;
};

TEST_F(EngineTest, QueriesBeforeInitialisationReportNotInitialised) {
  Engine& e = Engine::instance();
  long n = 0;
  EXPECT_EQ(e.systemCount(&n), kNotInitialized);
  EXPECT_EQ(e.datumCount(&n), kNotInitialized);
  EXPECT_EQ(e.convert(), kNotInitialized);
  EXPECT_EQ(e.conversionStatus(Side::input, &n), kNotInitialized);
}

TEST_F(EngineTest, MissingFilesAreReportedPerGroupAndARetrySucceeds) {
  fs::path empty = user_ / "empty";
  fs::create_directory(empty);
  setenv("DATUM_DATA", empty.c_str(), 1);
  setenv("ELLIPSOID_DATA", empty.c_str(), 1);
  setenv("GEOID_DATA", empty.c_str(), 1);
  Engine& e = Engine::instance();
  EXPECT_EQ(e.initialize(), kEllipsoidFileError | kDatumError | kGeoidFileError);
  setenv("GEOID_DATA", masterDirectory().c_str(), 1);
  EXPECT_EQ(e.initialize(), kEllipsoidFileError | kDatumError);
  EXPECT_FALSE(e.initialized());
  setenv("DATUM_DATA", user_.c_str(), 1);
  setenv("ELLIPSOID_DATA", user_.c_str(), 1);
  EXPECT_EQ(e.initialize(), 0);
  EXPECT_TRUE(fs::is_symlink(user_ / "egm96.grd"));
}

TEST_F(EngineTest, GarbledDatumTableIsADatumFailure) {
  std::ofstream(user_ / "3_param.dat") << "this is not a datum table\n\"\n";
  EXPECT_EQ(Engine::instance().initialize(), kDatumError);
}

// A process that died while 3.7 rewrote a table left the table cut short and
// the saved copy beside it.
TEST_F(EngineTest, TableCutShortByAnInterruptedDefinitionIsRecovered) {
  const std::string table = slurp(user_ / "3_param.dat");
  fs::copy_file(user_ / "3_param.dat", user_ / "3_param.dat.backup");
  std::ofstream(user_ / "3_param.dat", std::ios::trunc) << table.substr(0, 100);
  ASSERT_EQ(Engine::instance().initialize(), 0);
  EXPECT_EQ(slurp(user_ / "3_param.dat"), table);
  EXPECT_FALSE(fs::exists(user_ / "3_param.dat.backup"));
  long n = 0;
  Engine::instance().datumCount(&n);
  EXPECT_EQ(n, 253);
}

TEST_F(EngineTest, StatusTexts) {
  EXPECT_STREQ(engineStatusText(kNotInitialized), "Engine not initialized");
  EXPECT_STREQ(engineStatusText(0x4000), "");
  EXPECT_EQ(Engine::statusText(kInputWarning | kOutputError, "\r"), "Input warning\rOutput error");
  EXPECT_STREQ(sideStatusText(kOriginLatitudeError), "Origin Latitude (or Latitude of True Scale) out of range");
  EXPECT_STREQ(sideStatusText(kGeorefLatitudeMinuteError),
               "The latitude minute part of the GEOREF string is greater than 60");
  EXPECT_EQ(loadFailureBits("Unable to locate ellipsoid data file: ellips.dat\n"), kEllipsoidFileError);
  EXPECT_EQ(loadFailureBits("Error: GeoidLibrary::LoadGeoids: All geoid height buffer initialization failed."),
            kGeoidFileError);
  EXPECT_EQ(loadFailureBits("Unable to read datum file\n"), kDatumError);
}

TEST_F(EngineTest, SystemCatalogue) {
  Engine& e = ready();
  long n = 0;
  ASSERT_EQ(e.systemCount(&n), 0);
  EXPECT_EQ(n, 25);
  char name[kSystemNameLength + 1], code[kSystemCodeLength + 1];
  struct Row {
    long index;
    const char* code;
    const char* name;
  } rows[] = {{1, "GD", "Geodetic"},
              {5, "MG", "MGRS"},
              {15, "LE", "Lambert Conformal Conic"},
              {20, "PG", "Polar Stereographic"},
              {25, "VA", "Van der Grinten"}};
  for (const Row& r : rows) {
    ASSERT_EQ(e.systemName(r.index, name), 0);
    ASSERT_EQ(e.systemCode(r.index, code), 0);
    EXPECT_STREQ(name, r.name);
    EXPECT_STREQ(code, r.code);
    long index = 0;
    std::string lower = r.code;
    for (char& c : lower) c = static_cast<char>(std::tolower(c));
    ASSERT_EQ(e.systemIndex(lower.c_str(), &index), 0);
    EXPECT_EQ(index, r.index);
  }
  long index = 0;
  EXPECT_EQ(e.systemName(0, name), kInvalidIndex);
  EXPECT_EQ(e.systemCode(26, code), kInvalidIndex);
  EXPECT_EQ(e.systemIndex("L2", &index), kInvalidCode);
  EXPECT_EQ(e.setSystem(Side::input, 25), kInvalidType);
}

TEST_F(EngineTest, DatumAndEllipsoidCatalogues) {
  Engine& e = ready();
  long n = 0;
  ASSERT_EQ(e.datumCount(&n), 0);
  EXPECT_EQ(n, 253);
  char code[kDatumCodeLength + 1], name[kDatumNameLength + 1], ell[kEllipsoidCodeLength + 1];
  ASSERT_EQ(e.datumCode(1, code), 0);
  EXPECT_STREQ(code, "WGE");
  ASSERT_EQ(e.datumEllipsoidCode(1, ell), 0);
  EXPECT_STREQ(ell, "WE");
  ASSERT_EQ(e.datumCode(3, code), 0);
  EXPECT_STREQ(code, "EUR-7");
  EXPECT_EQ(datum(" nas-c "), datum("NAS-C"));
  long index = 0;
  EXPECT_EQ(e.datumIndex("NOSUCH", &index), kDatumError);
  EXPECT_EQ(e.datumIndex("FAR-TOO-LONG-A-CODE-FOR-ANY-TABLE", &index), kDatumError);
  EXPECT_NE(e.datumName(n + 1, name) & kDatumError, 0);

  ASSERT_EQ(e.ellipsoidCount(&n), 0);
  EXPECT_EQ(n, 25);
  char ename[kEllipsoidNameLength + 1];
  ASSERT_EQ(e.ellipsoidIndex("we", &index), 0);
  ASSERT_EQ(e.ellipsoidName(index, ename), 0);
  EXPECT_STREQ(ename, "WGS 84");  // 3.7 pads names with blanks
  ASSERT_EQ(e.ellipsoidCode(1, ell), 0);
  EXPECT_STREQ(ell, "AA");
}

struct GridCase {
  double lat, lon;
  long zone;
  char hemisphere;
  double easting, northing;
  const char* mgrs;
  const char* georef;
};

TEST_F(EngineTest, GridReferenceValues) {
  const GridCase cases[] = {
      {38, -77, 18, 'N', 324396.629, 4207702.367, "18SUH2439607702", "GJPJ0000000000"},
      {-33.8688, 151.2093, 56, 'S', 334368.634, 6250948.345, "56HLH3436850948", "YDBM1255807872"},
      {60, 5, 32, 'N', 276979.926, 6658157.202, "32VKM7697958157", "NLFA0000000000"},
      {72, 21, 35, 'N', 293363.504, 7999233.637, "35XKV9336399233", "PLGN0000000000"},
  };
  for (const GridCase& c : cases) {
    SCOPED_TRACE(c.mgrs);
    Coordinates out;
    ASSERT_EQ(convert(kGeodetic, kUtm, geodetic(c.lat, c.lon), &out), 0);
    EXPECT_EQ(out.zone, c.zone);
    EXPECT_EQ(out.hemisphere, c.hemisphere);
    EXPECT_NEAR(out.easting, c.easting, 0.001);
    EXPECT_NEAR(out.northing, c.northing, 0.001);
    ASSERT_EQ(convert(kGeodetic, kMgrs, geodetic(c.lat, c.lon), &out), 0);
    EXPECT_STREQ(out.text, c.mgrs);
    ASSERT_EQ(convert(kGeodetic, kGeoref, geodetic(c.lat, c.lon), &out), 0);
    EXPECT_STREQ(out.text, c.georef);
  }
  Coordinates in, out;
  std::snprintf(in.text, sizeof in.text, "%s", "18SUH2439607702");
  ASSERT_EQ(convert(kMgrs, kGeodetic, in, &out), 0);
  EXPECT_NEAR(out.latitude / kDeg, 37.9999966, 1e-7);
  EXPECT_NEAR(out.longitude / kDeg, -77.0000071, 1e-7);
}

TEST_F(EngineTest, PrecisionIsEngineWide) {
  Engine& e = ready();
  EXPECT_EQ(e.setPrecision(6), kPrecisionError);
  ASSERT_EQ(e.setPrecision(2), 0);
  Coordinates out;
  ASSERT_EQ(convert(kGeodetic, kMgrs, geodetic(38, -77), &out), 0);
  EXPECT_STREQ(out.text, "18SUH2407");
  ASSERT_EQ(e.setPrecision(0), 0);
  ASSERT_EQ(convert(kGeodetic, kMgrs, geodetic(38, -77), &out), 0);
  EXPECT_STREQ(out.text, "18SUH");
}

TEST_F(EngineTest, UpsGeocentricAndGeoidHeights) {
  Coordinates out;
  ASSERT_EQ(convert(kGeodetic, kUps, geodetic(-85, 45), &out), 0);
  EXPECT_EQ(out.hemisphere, 'S');
  EXPECT_NEAR(out.easting, 2392767.688, 0.001);
  EXPECT_NEAR(out.northing, 2392767.688, 0.001);
  ASSERT_EQ(convert(kGeodetic, kGeocentric, geodetic(38, -77, 100), &out), 0);
  EXPECT_NEAR(out.x, 1132068.0082, 1e-4);
  EXPECT_NEAR(out.y, -4903525.2655, 1e-4);
  EXPECT_NEAR(out.z, 3905505.5346, 1e-4);
  Parameters ellipsoidal, geoid;
  geoid.heightType = kGeoidHeight;
  ASSERT_EQ(convert(kGeodetic, kGeodetic, geodetic(38, -77, 0), &out, 1, 1, &ellipsoidal, &geoid), 0);
  EXPECT_NEAR(out.height, 34.855, 1e-3);
  ASSERT_EQ(convert(kGeodetic, kGeodetic, geodetic(38, -77, 100), &out, 1, 1, &geoid, &ellipsoidal), 0);
  EXPECT_NEAR(out.height, 65.145, 1e-3);
}

TEST_F(EngineTest, DatumShiftAndItsAccuracy) {
  Coordinates out;
  ASSERT_EQ(convert(kGeodetic, kGeodetic, geodetic(38, -77), &out, 1, datum("NAS-C")), 0);
  EXPECT_NEAR(out.latitude / kDeg, 37.999953848, 1e-9);
  EXPECT_NEAR(out.longitude / kDeg, -77.000321034, 1e-9);
  EXPECT_NEAR(out.height, 36.502, 1e-3);
  AccuracyEstimate a;
  ASSERT_EQ(Engine::instance().accuracy(&a), 0);
  EXPECT_NEAR(a.circular, 11.42, 0.02);
  EXPECT_NEAR(a.linear, 8.9, 0.03);
  EXPECT_NEAR(a.spherical, 13.35, 0.03);
  // Still the last conversion's estimate after the sides have changed.
  Engine& e = Engine::instance();
  ASSERT_EQ(convert(kGeodetic, kGeodetic, geodetic(38, -77), &out, 1, datum("NAS-C")), 0);
  ASSERT_EQ(e.setSystem(Side::output, kUtm), 0);
  ASSERT_EQ(e.setParameters(Side::output, kUtm, Parameters{}), 0);
  AccuracyEstimate later;
  ASSERT_EQ(e.accuracy(&later), 0);
  EXPECT_EQ(later.circular, a.circular);
  // A failed conversion has no estimate.
  EXPECT_NE(convert(kGeodetic, kUtm, geodetic(85, 0), &out), 0);
  ASSERT_EQ(e.accuracy(&later), 0);
  EXPECT_EQ(later.circular, -1);
  ASSERT_EQ(convert(kGeodetic, kGeodetic, geodetic(48.85, 2.35), &out, 1, datum("EUR-7")), 0);
  EXPECT_NEAR(out.latitude / kDeg, 48.85091565, 1e-8);
  EXPECT_NEAR(out.longitude / kDeg, 2.35131066, 1e-8);
}

// Each 3.7 text lands on its side as the bit the library knows.
struct StatusCase {
  const char* what;
  int from, to;
  Coordinates in;
  const char* toDatum;
  int engineStatus;
  long inputStatus, outputStatus;
};

TEST_F(EngineTest, ConversionStatusTranslation) {
  Coordinates badMgrs, georefMinutes, utmZone0, paris = geodetic(48.85, 2.35);
  std::snprintf(badMgrs.text, sizeof badMgrs.text, "%s", "XYZ");
  std::snprintf(georefMinutes.text, sizeof georefMinutes.text, "%s", "GJPJ61001000");
  utmZone0.zone = 0;
  utmZone0.easting = 500000;
  utmZone0.northing = 4000000;
  Coordinates parisNasC = paris;
  const StatusCase cases[] = {
      {"latitude beyond UTM", kGeodetic, kUtm, geodetic(85, 10), "WGE", kOutputError, 0, kLatitudeError},
      {"geodetic latitude 95", kGeodetic, kUtm, geodetic(95, 10), "WGE", kInputError, kLatitudeError, 0},
      {"geodetic longitude 400", kGeodetic, kUtm, geodetic(0, 400), "WGE", kInputError, kLongitudeError, 0},
      {"outside datum area", kGeodetic, kGeodetic, paris, "NAS-C", kOutputWarning, 0, kDatumDomainWarning},
      {"invalid MGRS", kMgrs, kGeodetic, badMgrs, "WGE", kInputError, kMgrsStringError, 0},
      {"GEOREF minutes", kGeoref, kGeodetic, georefMinutes, "WGE", kInputError, kGeorefLongitudeMinuteError, 0},
      {"UTM zone 0", kUtm, kGeodetic, utmZone0, "WGE", kInputError, kZoneError, 0},
  };
  for (const StatusCase& c : cases) {
    SCOPED_TRACE(c.what);
    Coordinates out;
    EXPECT_EQ(convert(c.from, c.to, c.in, &out, 1, datum(c.toDatum)), c.engineStatus);
    long in = -1, outStatus = -1;
    Engine::instance().conversionStatus(Side::input, &in);
    Engine::instance().conversionStatus(Side::output, &outStatus);
    EXPECT_EQ(in, c.inputStatus);
    EXPECT_EQ(outStatus, c.outputStatus);
  }
  // The reverse datum shift warns on the input side.
  Coordinates out;
  EXPECT_EQ(convert(kGeodetic, kGeodetic, parisNasC, &out, datum("NAS-C"), 1), kInputWarning);
  std::string text;
  Engine::instance().conversionText(Side::input, "\r", &text);
  EXPECT_EQ(text, "Input Geodetic:\rLocation is not within valid domain for current datum");
  // A warning does not outlive its conversion.
  EXPECT_EQ(convert(kGeodetic, kGeodetic, geodetic(38, -77), &out, datum("NAS-C"), 1), 0);
  Engine::instance().conversionText(Side::input, "\r", &text);
  EXPECT_EQ(text, "");
}

TEST_F(EngineTest, LongitudeFarFromCentralMeridianWarns) {
  Parameters tm;
  tm.centralMeridian = 0;
  Coordinates out;
  EXPECT_EQ(convert(kGeodetic, kTransverseMercator, geodetic(10, 8.9), &out, 1, 1, nullptr, &tm), 0);
  EXPECT_EQ(convert(kGeodetic, kTransverseMercator, geodetic(10, 9.1), &out, 1, 1, nullptr, &tm), kOutputWarning);
  long status = 0;
  Engine::instance().conversionStatus(Side::output, &status);
  EXPECT_EQ(status, kLongitudeWarning);
  EXPECT_GT(out.easting, 0);  // a warning still converts
  EXPECT_EQ(convert(kGeodetic, kCassini, geodetic(10, 5), &out), kOutputWarning);
}

// The distortion warning of Transverse Mercator whatever the other side's
// system: the point's longitude is what counts, not the system it came in.
TEST_F(EngineTest, LongitudeFarFromCentralMeridianWarnsFromEverySystem) {
  Parameters tm;
  tm.centralMeridian = 0;
  const struct {
    double longitude;
    int expected;
  } cases[] = {{8.9, 0}, {9.1, kOutputWarning}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.longitude);
    Coordinates viaGeodetic, cartesian, utm, out;
    ASSERT_EQ(convert(kGeodetic, kTransverseMercator, geodetic(10, c.longitude), &viaGeodetic, 1, 1, nullptr, &tm),
              c.expected);
    ASSERT_EQ(convert(kGeodetic, kGeocentric, geodetic(10, c.longitude), &cartesian), 0);
    EXPECT_EQ(convert(kGeocentric, kTransverseMercator, cartesian, &out, 1, 1, nullptr, &tm), c.expected);
    EXPECT_NEAR(out.easting, viaGeodetic.easting, 1e-3);
    ASSERT_EQ(convert(kGeodetic, kUtm, geodetic(10, c.longitude), &utm), 0);
    EXPECT_EQ(convert(kUtm, kTransverseMercator, utm, &out, 1, 1, nullptr, &tm), c.expected);
    // The other way, the input side warns.
    const int inputWarning = c.expected == 0 ? 0 : kInputWarning;
    EXPECT_EQ(convert(kTransverseMercator, kGeocentric, viaGeodetic, &out, 1, 1, &tm), inputWarning);
    EXPECT_EQ(convert(kTransverseMercator, kGeodetic, viaGeodetic, &out, 1, 1, &tm), inputWarning);
  }
}

TEST_F(EngineTest, RefusedParametersKeepThePreviousOnes) {
  Engine& e = ready();
  ASSERT_EQ(e.setSystem(Side::input, kGeodetic), 0);
  ASSERT_EQ(e.setSystem(Side::output, kTransverseMercator), 0);
  Parameters bad;
  bad.scaleFactor = 20;
  EXPECT_EQ(e.setParameters(Side::output, kTransverseMercator, bad), kOutputError);
  long status = 0;
  e.conversionStatus(Side::output, &status);
  EXPECT_EQ(status, kScaleFactorError);
  Parameters kept;
  e.parameters(Side::output, &kept);
  EXPECT_EQ(kept.scaleFactor, 1);
  EXPECT_EQ(e.setParameters(Side::output, kUtm, bad), kInvalidType);
  ASSERT_EQ(e.setInputCoordinates(geodetic(1, 1)), 0);
  EXPECT_EQ(e.convert(), 0);
}

TEST_F(EngineTest, UserDatumPersistsAndBadOnesLeaveTheTableIntact) {
  Engine& e = ready();
  long before = 0;
  e.datumCount(&before);
  ASSERT_EQ(e.defineDatum("XYZ", "Test datum", "WE", 10.7, -20, 30, 1, 2, 3, 10 * kDeg, 20 * kDeg,
                          -5 * kDeg, 5 * kDeg),
            0);
  long after = 0, index = 0;
  e.datumCount(&after);
  EXPECT_EQ(after, before + 1);
  ASSERT_EQ(e.datumIndex("XYZ", &index), 0);
  EXPECT_EQ(index, after);
  EXPECT_NE(slurp(user_ / "3_param.dat").find("\"Test datum\""), std::string::npos);

  const std::string table = slurp(user_ / "3_param.dat");
  struct Bad {
    const char* code;
    const char* name;
    const char* ellipsoid;
    double south, north;
  } bad[] = {
      {"XYZ", "Duplicate code", "WE", 0, 1},
      {"ABC", "Unknown ellipsoid", "QQ", 0, 1},
      {"ABC", "A name that is far too long for the datum table", "WE", 0, 1},
      {"ABC", "Quote \" in name", "WE", 0, 1},
      {"A B", "Blank in code", "WE", 0, 1},
      {"ABC", "South above north", "WE", 1, 0},
  };
  for (const Bad& b : bad) {
    SCOPED_TRACE(b.name);
    EXPECT_EQ(e.defineDatum(b.code, b.name, b.ellipsoid, 0, 0, 0, 1, 1, 1, b.south, b.north, 0, 1), kDatumError);
    EXPECT_EQ(slurp(user_ / "3_param.dat"), table);
    EXPECT_FALSE(fs::exists(user_ / "3_param.dat.backup"));
    long count = 0;
    e.datumCount(&count);
    EXPECT_EQ(count, after);
  }
}

TEST_F(EngineTest, UserEllipsoid) {
  Engine& e = ready();
  const std::string table = slurp(user_ / "ellips.dat");
  long status = 0;
  EXPECT_EQ(e.defineEllipsoid("ZZ", "Negative", -1, -2), kDatumError);
  e.conversionStatus(Side::input, &status);
  EXPECT_EQ(status, kSemiMajorAxisError | kSemiMinorAxisError);
  EXPECT_EQ(e.defineEllipsoid("ZZ", "Flipped", 6356752, 6378137), kDatumError);
  e.conversionStatus(Side::input, &status);
  EXPECT_EQ(status, kAxisOrderError);
  EXPECT_EQ(e.defineEllipsoid("ZZ", "A name of twenty-nine chars..", 6378137, 6356752), kDatumError);
  EXPECT_EQ(e.defineEllipsoid("WE", "Duplicate", 6378137, 6356752), kDatumError);
  EXPECT_EQ(e.defineEllipsoid("ZZ", "Too round", 6378137, 6378000), kDatumError);
  EXPECT_EQ(slurp(user_ / "ellips.dat"), table);

  ASSERT_EQ(e.defineEllipsoid("zz", "Twenty-eight characters long", 6378137, 6356752.314245), 0);
  long index = 0;
  ASSERT_EQ(e.ellipsoidIndex("ZZ", &index), 0);
  char name[kEllipsoidNameLength + 1];
  ASSERT_EQ(e.ellipsoidName(index, name), 0);
  EXPECT_STREQ(name, "Twenty-eight characters long");
}

// PROJ as an independent implementation, on random points in each domain.
class ProjOracle {
 public:
  explicit ProjOracle(const char* definition)
      : context_(proj_context_create()), pj_(proj_create(context_, definition)) {}
  ~ProjOracle() {
    proj_destroy(pj_);
    proj_context_destroy(context_);
  }
  PJ_COORD forward(double lat, double lon, double h = 0) const {
    return proj_trans(pj_, PJ_FWD, proj_coord(lon * kDeg, lat * kDeg, h, 0));
  }
  bool valid() const { return pj_ != nullptr; }

 private:
  PJ_CONTEXT* context_;
  PJ* pj_;
};

struct OracleCase {
  const char* what;
  int system;
  Parameters parameters;
  const char* proj;
  double latMin, latMax, lonMin, lonMax;
};

TEST_F(EngineTest, ProjectionsAgreeWithProjWithinAMillimetre) {
  Parameters tm;
  tm.originLatitude = 10 * kDeg;
  tm.centralMeridian = 15 * kDeg;
  tm.scaleFactor = 0.9996;
  tm.falseEasting = 500;
  tm.falseNorthing = 100;
  Parameters lcc;
  lcc.originLatitude = 39 * kDeg;
  lcc.centralMeridian = -96 * kDeg;
  lcc.standardParallel1 = 33 * kDeg;
  lcc.standardParallel2 = 45 * kDeg;
  lcc.falseEasting = 1000;
  Parameters merc;
  merc.originLatitude = 30 * kDeg;
  merc.centralMeridian = 10 * kDeg;
  const OracleCase cases[] = {
      {"TM", kTransverseMercator, tm, "+proj=tmerc +lat_0=10 +lon_0=15 +k=0.9996 +x_0=500 +y_0=100 +ellps=WGS84",
       -60, 70, 10, 20},
      {"LCC", kLambert, lcc, "+proj=lcc +lat_0=39 +lon_0=-96 +lat_1=33 +lat_2=45 +x_0=1000 +ellps=WGS84", 20, 60,
       -130, -60},
      {"Mercator", kMercator, merc, "+proj=merc +lat_ts=30 +lon_0=10 +ellps=WGS84", -80, 80, -170, 180},
      {"Geocentric", kGeocentric, Parameters{}, "+proj=cart +ellps=WGS84", -90, 90, -180, 180},
  };
  std::mt19937 random(20261211);
  for (const OracleCase& c : cases) {
    SCOPED_TRACE(c.what);
    ProjOracle proj(c.proj);
    ASSERT_TRUE(proj.valid());
    std::uniform_real_distribution<double> lat(c.latMin, c.latMax), lon(c.lonMin, c.lonMax);
    Engine& e = ready();
    ASSERT_EQ(e.setSystem(Side::input, kGeodetic), 0);
    ASSERT_EQ(e.setSystem(Side::output, c.system), 0);
    ASSERT_EQ(e.setDatum(Side::input, 1), 0);
    ASSERT_EQ(e.setDatum(Side::output, 1), 0);
    if (c.system != kGeocentric) {
      ASSERT_EQ(e.setParameters(Side::output, c.system, c.parameters), 0);
    }
    for (int i = 0; i < 200; ++i) {
      double la = lat(random), lo = lon(random), h = c.system == kGeocentric ? 1000.0 : 0.0;
      ASSERT_EQ(e.setInputCoordinates(geodetic(la, lo, h)), 0);
      ASSERT_EQ(e.convert() & ~kWarningBits, 0) << la << " " << lo;
      const Coordinates* converted = nullptr;
      e.outputCoordinates(&converted);
      const Coordinates& out = *converted;
      PJ_COORD expected = proj.forward(la, lo, h);
      if (c.system == kGeocentric) {
        EXPECT_NEAR(out.x, expected.xyz.x, 1e-3);
        EXPECT_NEAR(out.y, expected.xyz.y, 1e-3);
        EXPECT_NEAR(out.z, expected.xyz.z, 1e-3);
      } else {
        EXPECT_NEAR(out.easting, expected.xy.x, 1e-3) << la << " " << lo;
        EXPECT_NEAR(out.northing, expected.xy.y, 1e-3) << la << " " << lo;
      }
    }
  }
}

TEST_F(EngineTest, UtmAndUpsAgreeWithProjWithinAMillimetre) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> lat(-80, 84), lon(-180, 180), polar(84.5, 90);
  for (int i = 0; i < 300; ++i) {
    double la = lat(random), lo = lon(random);
    Coordinates out;
    ASSERT_EQ(convert(kGeodetic, kUtm, geodetic(la, lo), &out), 0) << la << " " << lo;
    std::string def = "+proj=utm +ellps=WGS84 +zone=" + std::to_string(out.zone) + (la < 0 ? " +south" : "");
    PJ_COORD expected = ProjOracle(def.c_str()).forward(la, lo);
    EXPECT_NEAR(out.easting, expected.xy.x, 1e-3) << la << " " << lo;
    EXPECT_NEAR(out.northing, expected.xy.y, 1e-3) << la << " " << lo;
  }
  for (int i = 0; i < 100; ++i) {
    double la = polar(random) * (i % 2 ? 1 : -1), lo = lon(random);
    Coordinates out;
    ASSERT_EQ(convert(kGeodetic, kUps, geodetic(la, lo), &out), 0);
    PJ_COORD expected = ProjOracle(la < 0 ? "+proj=ups +south +ellps=WGS84" : "+proj=ups +ellps=WGS84").forward(la, lo);
    EXPECT_EQ(out.hemisphere, la < 0 ? 'S' : 'N');
    EXPECT_NEAR(out.easting, expected.xy.x, 1e-3);
    EXPECT_NEAR(out.northing, expected.xy.y, 1e-3);
  }
}

}  // namespace
