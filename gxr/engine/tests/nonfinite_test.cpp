// Points and parameters that are not finite numbers: every system as input
// and as output, each case in a child process of its own, so that a crash
// inside the engine shows as the signal that ended the child.
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "api_fixture.hpp"

namespace gxr_test {
namespace {

constexpr double kNonFinite[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                                 -std::numeric_limits<double>::infinity()};

const char* const kCodes[GXR_COORD_SYSTEMS] = {"GD", "GE", "GC", "LC", "MG", "UT", "UP", "AC", "BF",
                                               "CS", "LI", "EF", "ED", "CP", "LE", "MC", "MH", "MP",
                                               "OD", "PG", "PH", "SA", "TX", "TC", "VA"};

bool usesPoint3(int type) {
  return type == GXR_CS_GEODETIC || type == GXR_CS_GEOCENTRIC || type == GXR_CS_LOCAL_CARTESIAN;
}

// A numeric field of an input point, set to a non-finite value, and the
// status the batch must end with.
struct PointField {
  const char* name;
  void (*set)(GxrPoint3&, GxrGridPoint&, double);
  int expected;
};

std::vector<PointField> pointFields(int type) {
  switch (type) {
    case GXR_CS_GEODETIC:
      return {{"latitude", [](GxrPoint3& p, GxrGridPoint&, double v) { p.geodetic.latitude = v; }, GXR_BAD_LATITUDE},
              {"longitude", [](GxrPoint3& p, GxrGridPoint&, double v) { p.geodetic.longitude = v; },
               GXR_BAD_LONGITUDE}};
    case GXR_CS_GEOCENTRIC:
    case GXR_CS_LOCAL_CARTESIAN:
      return {{"x", [](GxrPoint3& p, GxrGridPoint&, double v) { p.cartesian.x = v; }, GXR_DTCC_ERROR},
              {"y", [](GxrPoint3& p, GxrGridPoint&, double v) { p.cartesian.y = v; }, GXR_DTCC_ERROR},
              {"z", [](GxrPoint3& p, GxrGridPoint&, double v) { p.cartesian.z = v; }, GXR_DTCC_ERROR}};
    case GXR_CS_GEOREF:
    case GXR_CS_MGRS: return {};  // texts only
    default:
      return {{"easting", [](GxrPoint3&, GxrGridPoint& g, double v) { g.easting = v; }, GXR_DTCC_ERROR},
              {"northing", [](GxrPoint3&, GxrGridPoint& g, double v) { g.northing = v; }, GXR_DTCC_ERROR}};
  }
}

// A finite point of each system near 38 N 77 W, so that only the field made
// non-finite can be what the batch refuses.
void finitePoint(int type, GxrPoint3& p, GxrGridPoint& g) {
  p = geodetic(38, -77, 100);
  if (type == GXR_CS_GEOCENTRIC || type == GXR_CS_LOCAL_CARTESIAN) {
    p.cartesian.x = 1132068.0;
    p.cartesian.y = -4903525.3;
    p.cartesian.z = 3905505.5;
  }
  g = GxrGridPoint{};
  g.easting = 324396.629;
  g.northing = 4207702.367;
  g.zone = 18;
  g.hemisphere = 'N';
}

// The double fields of the parameter record and the systems that read each
// (the table of systems and their parameters).
struct ParameterField {
  const char* name;
  double GxrCoordParams::*field;
  std::vector<int> readBy;
};

const std::vector<ParameterField>& parameterFields() {
  static const std::vector<ParameterField> fields = {
      {"originLatitude", &GxrCoordParams::originLatitude, {3, 7, 8, 9, 10, 13, 14, 15, 18, 19, 22, 23}},
      {"centralMeridian", &GxrCoordParams::centralMeridian,
       {3, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24}},
      {"falseEasting", &GxrCoordParams::falseEasting,
       {7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24}},
      {"falseNorthing", &GxrCoordParams::falseNorthing,
       {7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24}},
      {"scaleFactor", &GxrCoordParams::scaleFactor, {15, 20, 22, 23}},
      {"standardParallel1", &GxrCoordParams::standardParallel1, {3, 7, 14}},
      {"standardParallel2", &GxrCoordParams::standardParallel2, {3, 7, 14}},
  };
  return fields;
}

GxrCoordParams finiteParameters() {
  GxrCoordParams p{};
  p.originLatitude = 10;
  p.centralMeridian = -75;
  p.falseEasting = 1000;
  p.falseNorthing = 2000;
  p.scaleFactor = 1;
  p.heightType = GXR_HEIGHT_NONE;  // for UTM: no zone override
  p.standardParallel1 = 30;
  p.standardParallel2 = 40;
  p.precision = 5;
  return p;
}

class NonFiniteTest : public ApiTest, public ::testing::WithParamInterface<int> {
 protected:
  void SetUp() override {
    ApiTest::SetUp();
    ASSERT_EQ(initialise(), GXR_OK);
  }

  // Converts count points of the input system in a child and requires the
  // child to have ended normally; returns the batch's status.
  int convertInChild(int from, int to, const GxrCoordParams* fromParams, const GxrCoordParams* toParams, int count,
                     const void* points, const std::string& what) {
    const ChildOutcome outcome = inChild([&] {
      GxrPointArray result{};
      GxrDiagnostic diagnostic{};
      const int status = GXR_CoordinatesConvert("WGE", "WGE", kCodes[from], kCodes[to], fromParams, toParams, count,
                                                points, &result, &diagnostic);
      GXR_PtrFree(&result.points);
      return status;
    });
    EXPECT_TRUE(outcome.exited) << what << ": killed by signal " << outcome.signal;
    return outcome.status;
  }
};

TEST_P(NonFiniteTest, PointsOfTheSystemAreRefusedForEveryOutputSystem) {
  const int from = GetParam();
  for (const PointField& field : pointFields(from)) {
    for (double value : kNonFinite) {
      for (int to = 0; to < GXR_COORD_SYSTEMS; ++to) {
        GxrPoint3 p3{};
        GxrGridPoint grid{};
        finitePoint(from, p3, grid);
        field.set(p3, grid, value);
        const void* point = usesPoint3(from) ? static_cast<const void*>(&p3) : &grid;
        const std::string what =
            std::string(kCodes[from]) + " " + field.name + "=" + std::to_string(value) + " to " + kCodes[to];
        EXPECT_EQ(convertInChild(from, to, nullptr, nullptr, 1, point, what), field.expected) << what;
      }
    }
  }
}

// Parameters are given to the engine before any point, so an empty batch
// shows whether they were taken. A field the system does not read may hold
// anything and changes nothing.
TEST_P(NonFiniteTest, ParametersTheSystemReadsAreRefusedOnEitherSide) {
  const int type = GetParam();
  const GxrCoordParams finite = finiteParameters();
  for (int side = 0; side < 2; ++side) {
    const int from = side == 0 ? type : GXR_CS_GEODETIC;
    const int to = side == 0 ? GXR_CS_GEODETIC : type;
    GxrPointArray result{};
    const int baseline = GXR_CoordinatesConvert("WGE", "WGE", kCodes[from], kCodes[to], side == 0 ? &finite : nullptr,
                                                side == 1 ? &finite : nullptr, 0, nullptr, &result, &diagnostic_);
    GXR_PtrFree(&result.points);
    ASSERT_EQ(baseline, GXR_OK) << kCodes[type];
    for (const ParameterField& field : parameterFields()) {
      const bool read = std::find(field.readBy.begin(), field.readBy.end(), type) != field.readBy.end();
      for (double value : kNonFinite) {
        GxrCoordParams params = finite;
        params.*field.field = value;
        const std::string what = std::string(kCodes[type]) + (side == 0 ? " input " : " output ") + field.name +
                                 "=" + std::to_string(value);
        EXPECT_EQ(convertInChild(from, to, side == 0 ? &params : nullptr, side == 1 ? &params : nullptr, 0, nullptr,
                                 what),
                  read ? GXR_DTCC_ERROR : GXR_OK)
            << what;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(EverySystem, NonFiniteTest, ::testing::Range(0, GXR_COORD_SYSTEMS),
                         [](const ::testing::TestParamInfo<int>& info) { return std::string(kCodes[info.param]); });

TEST_F(ApiTest, NonFiniteHeightConversionsAreRefused) {
  ASSERT_EQ(initialise(), GXR_OK);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double latitude, longitude, height;
  } cases[] = {{nan, -77, 0}, {inf, -77, 0}, {38, nan, 0}, {38, -inf, 0}, {38, -77, nan}, {38, -77, inf},
               {38, -77, -inf}};
  for (int direction : {-1, 1}) {
    for (const auto& c : cases) {
      const std::string what = std::to_string(direction) + ": " + std::to_string(c.latitude) + " " +
                               std::to_string(c.longitude) + " " + std::to_string(c.height);
      const ChildOutcome outcome = inChild([&] {
        double height = 0;
        GxrDiagnostic diagnostic{};
        return GXR_VerticalDatumConvert(direction, c.latitude, c.longitude, c.height, &height, &diagnostic);
      });
      EXPECT_TRUE(outcome.exited) << what << ": killed by signal " << outcome.signal;
      EXPECT_EQ(outcome.status, GXR_DTCC_ERROR) << what;
    }
  }
}

}  // namespace
}  // namespace gxr_test
