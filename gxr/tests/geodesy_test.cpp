// Geodesy: distances by the four methods against GeographicLib as an
// independent oracle, the local frame, polygons and the earth-model table.
#include <GeographicLib/Ellipsoid.hpp>
#include <GeographicLib/Geocentric.hpp>
#include <GeographicLib/Geodesic.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "gxr/gxr.h"

namespace {

constexpr double kDegToRad = 0.017453292519943295;
constexpr double kPi = 3.14159265358979323846;
constexpr double kWgs84A = 6378137;
constexpr double kWgs84F = 1 / 298.257223563;
constexpr double kNauticalMileInMetres = 6076.11549 * 0.30480370641307;

GxrDistParams params(double lat1, double lon1, double lat2, double lon2,
                     int model = GXR_EARTH_WGS84, int32_t h1 = 0, int32_t h2 = 0) {
  return GxrDistParams{lat1, lon1, h1, lat2, lon2, h2, model};
}

// Distance by method, on a copy so the caller's degrees stay degrees.
int distance(int method, GxrDistParams p, double *result) {
  return GXR_DistanceCalculate(method, &p, result);
}

// The angle between two azimuths, radians, whatever their turn.
double azimuthGap(double a, double b) {
  return std::fabs(std::remainder(a - b, 2 * kPi));
}

TEST(GxrGeodesic, AgreesWithGeographicLibWithinATenthOfAMillimetre) {
  const GeographicLib::Geodesic oracle(kWgs84A, kWgs84F);
  std::mt19937_64 rng(20261211);
  std::uniform_real_distribution<double> lat(-90, 90);
  std::uniform_real_distribution<double> lon(-180, 180);
  int compared = 0;
  for (int i = 0; i < 20000; ++i) {
    const GxrDistParams p = params(lat(rng), lon(rng), lat(rng), lon(rng));
    if (std::fabs(p.lon1 - p.lon2) * kDegToRad >= 3.14) continue;  // refused by design
    double s12 = 0, azi1 = 0, azi2 = 0;
    const double arc = oracle.Inverse(p.lat1, p.lon1, p.lat2, p.lon2, s12, azi1, azi2);
    if (arc > 179.5) continue;  // nearly antipodal: see the next test
    double d = -1;
    ASSERT_EQ(distance(GXR_GEODESIC, p, &d), GXR_OK);
    ASSERT_NEAR(d, s12, 1e-4) << p.lat1 << "," << p.lon1 << " to " << p.lat2 << "," << p.lon2;

    double forward = 0, back = 0, again = 0;
    GXR_EllipsDistCalculate(kWgs84A, kWgs84F, p.lat1 * kDegToRad, p.lon1 * kDegToRad,
                            p.lat2 * kDegToRad, p.lon2 * kDegToRad, &forward, &back, &again);
    EXPECT_EQ(again, d);
    EXPECT_GE(forward, 0);
    EXPECT_LT(forward, 2 * kPi);
    EXPECT_LT(azimuthGap(forward, azi1 * kDegToRad), 1e-8);
    EXPECT_LT(azimuthGap(back, (azi2 + 180) * kDegToRad), 1e-8);
    ++compared;
  }
  EXPECT_GT(compared, 10000);
}

TEST(GxrGeodesic, NearlyAntipodalPairsSettleOrReportHalfWorld) {
  const GeographicLib::Geodesic oracle(kWgs84A, kWgs84F);
  // Pairs that never settle: the iteration's round limit must stop them.
  const GxrDistParams unsettled[] = {params(0, 0, 0.5, 179.7), params(0, 0, 0, 179.5),
                                     params(-1, 0, 1, 179.8), params(0.2, -10, -0.3, 169.6)};
  for (const GxrDistParams &p : unsettled) {
    double s12 = 0;
    EXPECT_GT(oracle.Inverse(p.lat1, p.lon1, p.lat2, p.lon2, s12), 179.0);
    double d = 0;
    EXPECT_EQ(distance(GXR_GEODESIC, p, &d), GXR_HALF_WORLD) << p.lat2 << "," << p.lon2;
  }
  // Around the antipode every answer either settles on the geodesic or is
  // reported; none is a wrong distance.
  int reported = 0;
  for (double lat1 = -3; lat1 <= 3; lat1 += 0.5) {
    for (double lat2 = -3; lat2 <= 3; lat2 += 0.5) {
      for (double lon2 = 179.0; lon2 < 179.9; lon2 += 0.1) {
        const GxrDistParams p = params(lat1, 0, lat2, lon2);
        double d = 0;
        const int status = distance(GXR_GEODESIC, p, &d);
        if (status == GXR_HALF_WORLD) {
          ++reported;
          continue;
        }
        ASSERT_EQ(status, GXR_OK);
        double s12 = 0;
        oracle.Inverse(p.lat1, p.lon1, p.lat2, p.lon2, s12);
        EXPECT_NEAR(d, s12, 1e-3) << lat1 << " " << lat2 << " " << lon2;
      }
    }
  }
  EXPECT_GT(reported, 0);
}

TEST(GxrGeodesic, LongitudeGuardRefusesWideSpans) {
  double d = 0;
  // 345 degrees apart before any reduction.
  EXPECT_EQ(distance(GXR_GEODESIC, params(10, -170, 20, 175), &d), GXR_LONGITUDE_SPAN);
  EXPECT_EQ(distance(GXR_GEODESIC, params(0, 179, 0, -179), &d), GXR_LONGITUDE_SPAN);
  // Any method number outside 0..3 is the geodesic.
  EXPECT_EQ(distance(42, params(10, -170, 20, 175), &d), GXR_LONGITUDE_SPAN);
  double forward = 7, back = 7;
  GXR_EllipsDistCalculate(kWgs84A, kWgs84F, 0, -3.0, 0, 0.5, &forward, &back, &d);
  EXPECT_EQ(d, -1);
  EXPECT_EQ(forward, 7);  // azimuths not written
}

TEST(GxrGeodesic, SphereGivesTheGreatCircleOfFlatteningZero) {
  const GxrDistParams p = params(12, 34, -56, 78, GXR_EARTH_SPHERE);
  double geodesic = 0, greatCircle = 0;
  ASSERT_EQ(distance(GXR_GEODESIC, p, &geodesic), GXR_OK);
  ASSERT_EQ(distance(GXR_GREAT_CIRCLE, p, &greatCircle), GXR_OK);
  EXPECT_TRUE(std::isfinite(geodesic));
  EXPECT_NEAR(geodesic, greatCircle, 1e-6);
}

TEST(GxrGreatCircle, UsesTheMeanRadiusOfTheTwoLatitudes) {
  double d = -1;
  ASSERT_EQ(distance(GXR_GREAT_CIRCLE, params(33.3, 44.4, 33.3, 44.4), &d), GXR_OK);
  EXPECT_EQ(d, 0.0);
  // On the sphere every radius is 6367443.8: a quarter meridian.
  ASSERT_EQ(distance(GXR_GREAT_CIRCLE, params(0, 10, 90, 10, GXR_EARTH_SPHERE), &d), GXR_OK);
  EXPECT_NEAR(d, 6367443.8 * kPi / 2, 1e-6);
  // Along the WGS 84 equator the radius is the semi-major axis.
  ASSERT_EQ(distance(GXR_GREAT_CIRCLE, params(0, 0, 0, 90), &d), GXR_OK);
  EXPECT_NEAR(d, kWgs84A * kPi / 2, 1e-6);
}

TEST(GxrGreatCircle, PointsTooCloseForTheArccosineStayFinite) {
  for (double step : {1e-13, 1e-12, 1e-11}) {
    double d = -1;
    ASSERT_EQ(GXR_GlobalDistanceCalculate(kWgs84A, 6356752.314, 0.7, 0.3, 0.7, 0.3 + step, &d),
              GXR_OK);
    EXPECT_TRUE(std::isfinite(d)) << step;
    EXPECT_GE(d, 0);
    EXPECT_LT(d, 1.0);
  }
  double d = -1;
  ASSERT_EQ(GXR_GlobalDistanceCalculate(kWgs84A, kWgs84A, 0, 0, 0, kPi, &d), GXR_OK);
  EXPECT_NEAR(d, kWgs84A * kPi, 1e-6);
}

TEST(GxrDistance, ValidationRewritesAnglesAsRadiansExceptForTheRhumbLine) {
  for (int method : {GXR_GREAT_CIRCLE, GXR_STRAIGHT_LINE, GXR_GEODESIC}) {
    GxrDistParams p = params(10, 20, 30, 40);
    double first = 0;
    ASSERT_EQ(GXR_DistanceCalculate(method, &p, &first), GXR_OK);
    EXPECT_EQ(p.lat1, 10 * kDegToRad);
    EXPECT_EQ(p.lon2, 40 * kDegToRad);
    // A second call takes the radians for degrees and converts them again.
    double second = 0;
    ASSERT_EQ(GXR_DistanceCalculate(method, &p, &second), GXR_OK);
    EXPECT_EQ(p.lat1, 10 * kDegToRad * kDegToRad);
    EXPECT_LT(second, first);
  }
  GxrDistParams p = params(10, 20, 30, 40);
  double d = 0;
  ASSERT_EQ(GXR_DistanceCalculate(GXR_RHUMB_LINE, &p, &d), GXR_OK);
  EXPECT_EQ(p.lat1, 10);
  EXPECT_EQ(p.lon2, 40);
}

TEST(GxrDistance, BadPointsAndModelsAreRefusedBeforeAnyWork) {
  struct Case {
    const char *label;
    int method;
    GxrDistParams p;
    int status;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Case cases[] = {
      {"lat1 above 90", 0, params(90.5, 0, 0, 0), GXR_BAD_LATITUDE},
      {"point 1 first", 0, params(0, 181, 91, 0), GXR_BAD_LONGITUDE},
      {"lon2 below -180", 3, params(0, 0, 0, -180.01), GXR_BAD_LONGITUDE},
      {"NaN latitude", 1, params(nan, 0, 0, 0), GXR_BAD_LATITUDE},
      {"model 0", 0, params(0, 0, 1, 1, 0), GXR_INVALID_FLAG},
      {"model 24", 3, params(0, 0, 1, 1, 24), GXR_INVALID_FLAG},
      {"straight line on the sphere", 2, params(0, 0, 1, 1, GXR_EARTH_SPHERE), GXR_INVALID_FLAG},
  };
  for (const Case &c : cases) {
    GxrDistParams p = c.p;
    double d = 42;
    EXPECT_EQ(GXR_DistanceCalculate(c.method, &p, &d), c.status) << c.label;
    if (c.status != GXR_INVALID_FLAG) {
      EXPECT_EQ(p.lat2, c.p.lat2) << c.label << ": converted although refused";
    }
  }
  // Bounds are inside.
  double d = 0;
  EXPECT_EQ(distance(GXR_GREAT_CIRCLE, params(-90, -180, 90, 180), &d), GXR_OK);
  GxrDistParams p = params(0, 0, 1, 1);
  GxrDistParams *noParams = nullptr;
  double *result = &d;
  EXPECT_EQ(GXR_DistParamValidate(0, &noParams, &result), GXR_NULL_POINTER);
  EXPECT_EQ(GXR_DistanceCalculate(0, &p, nullptr), GXR_NULL_POINTER);
  EXPECT_EQ(GXR_DistanceCalculate(0, nullptr, &d), GXR_NULL_POINTER);
}

TEST(GxrRhumbLine, SailsParallelsAndTakesTheShorterWayRound) {
  double d = 0;
  ASSERT_EQ(distance(GXR_RHUMB_LINE, params(60, 0, 60, 1), &d), GXR_OK);
  EXPECT_NEAR(d, 30 * kNauticalMileInMetres, 1e-6);
  ASSERT_EQ(distance(GXR_RHUMB_LINE, params(0, 170, 0, -170), &d), GXR_OK);
  EXPECT_NEAR(d, 20 * 60 * kNauticalMileInMetres, 1e-6);
  // Due north: one degree of latitude is 60 miles whatever the parts.
  ASSERT_EQ(distance(GXR_RHUMB_LINE, params(10, 5, 11, 5), &d), GXR_OK);
  EXPECT_NEAR(d, 60 * kNauticalMileInMetres, 1e-6);
  ASSERT_EQ(distance(GXR_RHUMB_LINE, params(0, 0, 1, 1), &d), GXR_OK);
  EXPECT_TRUE(std::isfinite(d));
  EXPECT_GT(d, 60 * kNauticalMileInMetres);
  EXPECT_LT(d, 86 * kNauticalMileInMetres);
  // Latitudes too close for the meridional parts to differ.
  ASSERT_EQ(distance(GXR_RHUMB_LINE, params(0, 0, 1e-300, 0), &d), GXR_OK);
  EXPECT_EQ(d, 0.0);
}

TEST(GxrRhumbLine, MeridionalPartsAreTheIsometricLatitudeOfClarke1880) {
  constexpr double e = 0.08248339904;
  const GeographicLib::Ellipsoid clarke(6378249.145, 1 - std::sqrt(1 - e * e));
  for (double lat : {0.0, 1.0, 30.0, 45.0, 60.0, 80.0, 89.0}) {
    double parts = -1;
    ASSERT_EQ(GXR_MPCalculate(lat, &parts), GXR_OK);
    EXPECT_NEAR(parts, 60 * clarke.IsometricLatitude(lat), 1e-6 * std::max(1.0, parts)) << lat;
    double south = -1;
    ASSERT_EQ(GXR_MPCalculate(-lat, &south), GXR_OK);
    EXPECT_NEAR(south, parts, 1e-9 * std::max(1.0, parts)) << lat;
  }
  EXPECT_EQ(GXR_MPCalculate(10, nullptr), GXR_NULL_POINTER);
}

TEST(GxrStraightLine, IsTheChordBetweenTheGeocentricPoints) {
  const GeographicLib::Geocentric earth(kWgs84A, kWgs84F);
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> lat(-89, 89);
  std::uniform_real_distribution<double> lon(-180, 180);
  std::uniform_int_distribution<int32_t> height(-400, 9000);
  auto check = [&](const GxrDistParams &p) {
    double x1, y1, z1, x2, y2, z2;
    earth.Forward(p.lat1, p.lon1, p.height1, x1, y1, z1);
    earth.Forward(p.lat2, p.lon2, p.height2, x2, y2, z2);
    const double chord = std::hypot(x2 - x1, y2 - y1, z2 - z1);
    double d = 0;
    ASSERT_EQ(distance(GXR_STRAIGHT_LINE, p, &d), GXR_OK);
    EXPECT_NEAR(d, chord, 1e-6 * std::max(1.0, chord) + 1e-3)
        << p.lat1 << "," << p.lon1 << " to " << p.lat2 << "," << p.lon2;
  };
  for (int i = 0; i < 2000; ++i) {
    check(params(lat(rng), lon(rng), lat(rng), lon(rng), GXR_EARTH_WGS84, height(rng),
                 height(rng)));
  }
  // Exactly on the equator, where the radius function has its special value.
  check(params(0, 0, 0, 1));
  check(params(0, 0, 0, 90, GXR_EARTH_WGS84, 100, 0));
  check(params(45, 10, 0, 11));
}

TEST(GxrLocalFrame, OriginMapsToZeroAndHeightsGoUp) {
  GxrOrigin origin;
  ASSERT_EQ(GXR_OriginInitialize(GXR_EARTH_WGS84, -33.9, 151.2, 50, 0, &origin), GXR_OK);
  EXPECT_EQ(origin.hemisphere, 0xFF);
  EXPECT_EQ(origin.earthType, 2);
  EXPECT_EQ(origin.semiMajor, kWgs84A);
  EXPECT_EQ(origin.inverseFlattening, 298.257223563);
  EXPECT_EQ(origin.reserved2, 0);
  double x, y, z;
  ASSERT_EQ(GXR_CartesianConvert(&origin, origin.lat, origin.lon, 50, &x, &y, &z), GXR_OK);
  EXPECT_NEAR(x, 0, 1e-6);
  EXPECT_NEAR(y, 0, 1e-6);
  EXPECT_NEAR(z, 0, 1e-6);
  ASSERT_EQ(GXR_CartesianConvert(&origin, origin.lat, origin.lon, 1050, &x, &y, &z), GXR_OK);
  EXPECT_NEAR(z, 1000, 1e-6);
  // A point a little east is east.
  ASSERT_EQ(GXR_CartesianConvert(&origin, origin.lat, origin.lon + 1e-5, 50, &x, &y, &z),
            GXR_OK);
  EXPECT_GT(x, 50);
  EXPECT_NEAR(y, 0, 0.01);

  ASSERT_EQ(GXR_OriginInitialize(GXR_EARTH_WGS84, 0, 0, 0, 0, &origin), GXR_OK);
  EXPECT_EQ(origin.hemisphere, 0);
  EXPECT_EQ(GXR_OriginInitialize(GXR_EARTH_SPHERE, 10, 10, 0, 0, &origin), GXR_INVALID_FLAG);
  EXPECT_EQ(origin.lat, 10 * kDegToRad);  // stored before the model was looked at
  EXPECT_EQ(GXR_CartesianConvert(&origin, 0, 0, 0, nullptr, &y, &z), GXR_NULL_POINTER);

  GxrOrigin notEllipsoidal{};
  x = y = z = 42;
  EXPECT_EQ(GXR_CartesianConvert(&notEllipsoidal, 0.1, 0.1, 0, &x, &y, &z), GXR_OK);
  EXPECT_EQ(x, 42);
}

TEST(GxrLocalFrame, RadiusFunctionSpecialValues) {
  double r = 0;
  GXR_GeodeticRadiusCalculate(0, 6378137, 6356752.314, 0.08, &r);
  EXPECT_EQ(r, 6378137);
  GXR_GeodeticRadiusCalculate(1, 6378137, 6356752.314, 0.08, &r);
  EXPECT_EQ(r, 6356752.314);
  GXR_GeodeticRadiusCalculate(0.5, 4, 2, 0.5, &r);
  EXPECT_DOUBLE_EQ(r, 4 / (4 * std::sqrt(1 - 0.0625)));
}

TEST(GxrPolygon, CrossingCountWithHorizontalEdgesInside) {
  const GxrPolyPoint square[] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  // A concave "U": the notch between x 1..2 above y 1 is outside.
  const GxrPolyPoint u[] = {{0, 0}, {3, 0}, {3, 3}, {2, 3}, {2, 1}, {1, 1}, {1, 3}, {0, 3}};
  struct Case {
    const GxrPolyPoint *polygon;
    int count;
    float x, y;
    int inside;
  };
  const Case cases[] = {
      {square, 4, 0.5f, 0.5f, 1}, {square, 4, 1.5f, 0.5f, 0}, {square, 4, 0.5f, 0.0f, 1},
      {square, 4, 0.5f, 1.0f, 1}, {square, 4, -0.1f, 0.5f, 0}, {square, 4, 0.5f, 1.1f, 0},
      {u, 8, 0.5f, 2.0f, 1},      {u, 8, 1.5f, 2.0f, 0},      {u, 8, 2.5f, 2.0f, 1},
      {u, 8, 1.5f, 0.5f, 1},      {u, 8, 1.5f, 1.0f, 1},      {u, 8, 4.0f, 2.0f, 0},
  };
  for (const Case &c : cases) {
    int inside = -1;
    ASSERT_EQ(GXR_PointInPolyTest(c.polygon, c.count, c.x, c.y, &inside), GXR_OK);
    EXPECT_EQ(inside, c.inside) << c.x << "," << c.y << " in " << c.count << "-gon";
  }
  int inside = -1;
  EXPECT_EQ(GXR_PointInPolyTest(square, 2, 0.5f, 0.5f, &inside), GXR_TOO_FEW_POINTS);
  EXPECT_EQ(GXR_PointInPolyTest(nullptr, 4, 0.5f, 0.5f, &inside), GXR_NULL_POINTER);
  EXPECT_EQ(GXR_PointInPolyTest(square, 4, 0.5f, 0.5f, nullptr), GXR_NULL_POINTER);
}

TEST(GxrPolygon, BoundingRectangleBecomesFourCornersThatContainItsCentre) {
  const GxrBoundRect rect{0, 10, 20, 30};
  GxrAoi area{};
  ASSERT_EQ(GXR_BoundRec2AoiConvert(&rect, &area), GXR_OK);
  ASSERT_EQ(area.count, 4);
  const GxrPolyPoint expected[] = {{0, 30}, {0, 20}, {10, 20}, {10, 30}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(area.points[i].x, expected[i].x) << i;
    EXPECT_EQ(area.points[i].y, expected[i].y) << i;
  }
  int inside = 0;
  ASSERT_EQ(GXR_PointInPolyTest(area.points, area.count, 5, 25, &inside), GXR_OK);
  EXPECT_EQ(inside, 1);
  GXR_PtrFree(reinterpret_cast<void **>(&area.points));
  EXPECT_EQ(GXR_BoundRec2AoiConvert(&rect, nullptr), GXR_NULL_POINTER);
}

TEST(GxrEarthModels, TableAndLookups) {
  EXPECT_EQ(gGxrEllipse[0].semiMajor, 0);
  EXPECT_EQ(gGxrEllipse[GXR_EARTH_WGS84].inverseFlattening, 298.257223563);
  for (int model = GXR_EARTH_EVEREST_INDIA_1830; model <= GXR_EARTH_EVEREST_PAKISTAN; ++model) {
    EXPECT_EQ(gGxrEllipse[model].semiMinor, 6356075.415) << model;
  }
  double a = 1, b = 1, invf = 1;
  ASSERT_EQ(GXR_EarthRadiusSelect(GXR_EARTH_WGS84, &a, &b), GXR_OK);
  EXPECT_EQ(a, 6378137);
  EXPECT_EQ(b, 6356752.314);
  for (int model : {0, 24, -1}) {
    a = b = invf = 1;
    EXPECT_EQ(GXR_EarthRadiusSelect(model, &a, &b), GXR_INVALID_FLAG) << model;
    EXPECT_EQ(GXR_EarthFlatteningGet(model, &invf), GXR_INVALID_FLAG) << model;
    EXPECT_EQ(a, 1);
    EXPECT_EQ(invf, 1);
  }
  ASSERT_EQ(GXR_EarthFlatteningGet(GXR_EARTH_SPHERE, &invf), GXR_OK);
  EXPECT_EQ(invf, 0);
  ASSERT_EQ(GXR_EarthFlatteningGet(GXR_EARTH_INTERNATIONAL_1924, &invf), GXR_OK);
  EXPECT_EQ(invf, 297);

  unsigned char type = 9;
  EXPECT_EQ(GXR_EarthModelToTypeConvert(GXR_EARTH_SPHERE, &type), GXR_INVALID_FLAG);
  EXPECT_EQ(GXR_EarthModelToTypeConvert(24, &type), GXR_INVALID_FLAG);
  EXPECT_EQ(type, 9);
  for (int model : {2, 23}) {
    type = 9;
    ASSERT_EQ(GXR_EarthModelToTypeConvert(model, &type), GXR_OK);
    EXPECT_EQ(type, 2);
  }
}

}  // namespace
