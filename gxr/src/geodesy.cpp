// The library's own geodesy: distances by four methods, a local tangent-plane
// frame, point-in-polygon and bounding rectangles. No conversion engine.
#include <algorithm>
#include <cmath>

#include "angles.hpp"
#include "gxr/gxr.h"

namespace {

using gxr::kPi;
constexpr double kDegToRad = gxr::kRadiansPerDegree;
constexpr double kRadToDeg = gxr::kDegreesPerRadian;

// Nautical miles per degree of latitude, as the rhumb line counts them.
constexpr double kMilesPerDegree = 60;
// Clarke 1880, whatever the earth model: the meridional parts are those of
// the charts the rhumb line is read from.
constexpr double kMercatorEccentricity = 0.08248339904;
constexpr double kMinutesPerRadian = 3437.746771;

// Longitudes this far apart (radians) are refused by the geodesic.
constexpr double kLongitudeSpanLimit = 3.14;
constexpr double kGeodesicTolerance = 5e-14;
// Away from nearly antipodal points lambda settles within a dozen rounds;
// where it has not after this many it never will.
constexpr int kGeodesicRounds = 200;
// Azimuths are brought into range with this constant, slightly below 2 pi.
constexpr double kAzimuthTurn = 6.283185307178;

constexpr double kRefusedDistance = -1;
constexpr double kUnsettledDistance = -2;

// b^2 / (a sqrt(1 - e^2 sin^2)), that is N(phi) (1 - e^2), without the
// special values of GXR_GeodeticRadiusCalculate: the frame needs the
// continuous function, or points exactly on the equator land a^2/b^2 too far
// out.
double normalRadiusTimesOneMinusE2(double s, double a, double b, double e) {
  return b * b / (a * std::sqrt(1 - s * s * e * e));
}

double earthRadiusAt(double a, double b, double lat) {
  const double s = std::sin(lat);
  return a * b / std::sqrt((a * a - b * b) * s * s + b * b);
}

// Shorter way round for a longitude difference in degrees; exactly 180 kept.
double shorterLongitudeDifference(double delta) {
  if (std::fabs(delta) <= 180) return delta;
  const double other = 360 - std::fabs(delta);
  return delta > 0 ? -other : other;
}

double signedMeridionalParts(double lat) {
  double parts = 0;
  GXR_MPCalculate(lat, &parts);
  return lat < 0 ? -parts : parts;
}

double wrapAzimuth(double azimuth) {
  if (azimuth >= kAzimuthTurn) return azimuth - kAzimuthTurn;
  if (azimuth < 0) return azimuth + kAzimuthTurn;
  return azimuth;
}

bool crossesEdge(const GxrPolyPoint &p1, const GxrPolyPoint &p2, float x, float y) {
  if (!(y > std::min(p1.y, p2.y) && y <= std::max(p1.y, p2.y) && x <= std::max(p1.x, p2.x) &&
        p1.y != p2.y)) {
    return false;
  }
  if (p1.x == p2.x) return true;
  const double xAtY = (double{y} - p1.y) * (double{p2.x} - p1.x) / (double{p2.y} - p1.y) + p1.x;
  return x <= xAtY;
}

bool onHorizontalEdge(const GxrPolyPoint &p1, const GxrPolyPoint &p2, float x, float y) {
  return p1.y == p2.y && y == p1.y && std::min(p1.x, p2.x) <= x && x <= std::max(p1.x, p2.x);
}

}  // namespace

extern "C" {

int GXR_GeoCoordValidate(double lat, double lon) {
  if (!(lat >= -90 && lat <= 90)) return GXR_BAD_LATITUDE;
  if (!(lon >= -180 && lon <= 180)) return GXR_BAD_LONGITUDE;
  return GXR_OK;
}

int GXR_DistParamValidate(int method, GxrDistParams **params, double **distance) {
  if (params == nullptr || *params == nullptr || distance == nullptr || *distance == nullptr) {
    return GXR_NULL_POINTER;
  }
  GxrDistParams &p = **params;
  int status = GXR_GeoCoordValidate(p.lat1, p.lon1);
  if (status == GXR_OK) status = GXR_GeoCoordValidate(p.lat2, p.lon2);
  if (status != GXR_OK) return status;
  if (method != GXR_RHUMB_LINE) {
    p.lat1 *= kDegToRad;
    p.lon1 *= kDegToRad;
    p.lat2 *= kDegToRad;
    p.lon2 *= kDegToRad;
  }
  return GXR_OK;
}

int GXR_DistanceCalculate(int method, GxrDistParams *params, double *distance) {
  int status = GXR_DistParamValidate(method, &params, &distance);
  if (status != GXR_OK) return status;
  const GxrDistParams &p = *params;
  double a = 0;
  double b = 0;
  switch (method) {
    case GXR_GREAT_CIRCLE:
      status = GXR_EarthRadiusSelect(p.earthModel, &a, &b);
      if (status != GXR_OK) return status;
      return GXR_GlobalDistanceCalculate(a, b, p.lat1, p.lon1, p.lat2, p.lon2, distance);
    case GXR_RHUMB_LINE:
      return GXR_RhumbLineCalculate(params, distance);
    case GXR_STRAIGHT_LINE:
      return GXR_StraightLineCalculate(params, distance);
    default: {
      status = GXR_EarthRadiusSelect(p.earthModel, &a, &b);
      if (status != GXR_OK) return status;
      double inverseFlattening = 0;
      GXR_EarthFlatteningGet(p.earthModel, &inverseFlattening);
      // The sphere carries inverse flattening 0: its flattening is 0.
      const double f = inverseFlattening == 0 ? 0 : 1 / inverseFlattening;
      double forward = 0;
      double back = 0;
      GXR_EllipsDistCalculate(a, f, p.lat1, p.lon1, p.lat2, p.lon2, &forward, &back, distance);
      if (*distance == kUnsettledDistance) return GXR_HALF_WORLD;
      if (!(*distance >= 0)) return GXR_LONGITUDE_SPAN;
      return GXR_OK;
    }
  }
}

int GXR_GlobalDistanceCalculate(double a, double b, double lat1, double lon1, double lat2,
                                double lon2, double *distance) {
  if (distance == nullptr) return GXR_NULL_POINTER;
  if (lat1 == lat2 && lon1 == lon2) {
    *distance = 0;
    return GXR_OK;
  }
  const double dot = std::cos(lat1) * std::cos(lon1) * std::cos(lat2) * std::cos(lon2) +
                     std::cos(lat1) * std::sin(lon1) * std::cos(lat2) * std::sin(lon2) +
                     std::sin(lat1) * std::sin(lat2);
  // Rounding can push the dot product of two close or opposite points just
  // past +-1, where the arccosine is undefined.
  const double angle = std::acos(std::clamp(dot, -1.0, 1.0));
  *distance = (earthRadiusAt(a, b, lat1) + earthRadiusAt(a, b, lat2)) / 2 * angle;
  return GXR_OK;
}

int GXR_MPCalculate(double lat, double *parts) {
  if (parts == nullptr) return GXR_NULL_POINTER;
  const double phi = lat * kDegToRad;
  const double es = kMercatorEccentricity * std::sin(phi);
  const double isometric = std::log(std::tan(kPi / 4 + phi / 2) /
                                    std::pow((1 + es) / (1 - es), kMercatorEccentricity / 2));
  *parts = std::fabs(kMinutesPerRadian * isometric);
  return GXR_OK;
}

int GXR_RhumbLineCalculate(const GxrDistParams *params, double *distance) {
  if (params == nullptr || distance == nullptr) return GXR_NULL_POINTER;
  const GxrDistParams &p = *params;
  const double deltaLon = shorterLongitudeDifference(p.lon2 - p.lon1);
  const double deltaParts = signedMeridionalParts(p.lat2) - signedMeridionalParts(p.lat1);
  double miles = 0;
  // Along a parallel the course is due east or west and the meridional parts
  // do not differ; latitudes too close for the parts to tell apart sail it
  // the same way instead of dividing by zero.
  if (p.lat1 == p.lat2 || deltaParts == 0) {
    miles = std::fabs(std::cos(p.lat1 * kDegToRad) * deltaLon * kMilesPerDegree);
  } else {
    const double course = std::atan(kMilesPerDegree * deltaLon / deltaParts);
    miles = std::fabs(kMilesPerDegree * (p.lat2 - p.lat1) / std::cos(course));
  }
  *distance = miles;
  return GXR_DistanceConvert(GXR_NAUTICAL_MILES, GXR_METERS, miles, distance);
}

int GXR_StraightLineCalculate(const GxrDistParams *params, double *distance) {
  if (params == nullptr || distance == nullptr) return GXR_NULL_POINTER;
  const GxrDistParams &p = *params;
  GxrOrigin origin;
  const int status = GXR_OriginInitialize(p.earthModel, p.lat1 * kRadToDeg, p.lon1 * kRadToDeg,
                                          0, 0, &origin);
  if (status != GXR_OK) return status;
  double x = 0;
  double y = 0;
  double z = 0;
  GXR_CartesianConvert(&origin, p.lat2, p.lon2, p.height2, &x, &y, &z);
  const double up = z - p.height1;
  *distance = std::sqrt(up * up + x * x + y * y);
  return GXR_OK;
}

int GXR_AzimuthConverge(double f, double lon1, double lon2, double cosU2, double sinU1,
                        double cosU1cosU2, double *cos2SigmaMSqTerm, double *sigma,
                        double *cosSqAlpha, double *cosLambda, double *cosSigma,
                        double *cos2SigmaM, double *sinLambda, double *sinSigma,
                        double *cosU2SinLambda, double *cosU1SinU2MinusTerm,
                        const double *sinU1SinU2, const double *cosU1SinU2) {
  if (cos2SigmaMSqTerm == nullptr || sigma == nullptr || cosSqAlpha == nullptr ||
      cosLambda == nullptr || cosSigma == nullptr || cos2SigmaM == nullptr ||
      sinLambda == nullptr || sinSigma == nullptr || cosU2SinLambda == nullptr ||
      cosU1SinU2MinusTerm == nullptr || sinU1SinU2 == nullptr || cosU1SinU2 == nullptr) {
    return GXR_NULL_POINTER;
  }
  const double L = lon2 - lon1;
  double lambda = std::fabs(L);
  for (int round = 0; round < kGeodesicRounds; ++round) {
    *sinLambda = std::sin(lambda);
    *cosLambda = std::cos(lambda);
    *cosU2SinLambda = cosU2 * *sinLambda;
    *cosU1SinU2MinusTerm = *cosU1SinU2 - sinU1 * cosU2 * *cosLambda;
    *sinSigma = std::hypot(*cosU2SinLambda, *cosU1SinU2MinusTerm);
    *cosSigma = *sinU1SinU2 + cosU1cosU2 * *cosLambda;
    *sigma = std::atan2(*sinSigma, *cosSigma);
    // sin sigma is 0 only for coincident points, which have no azimuth.
    const double sinAlpha = *sinSigma == 0 ? 0 : cosU1cosU2 * *sinLambda / *sinSigma;
    *cosSqAlpha = 1 - sinAlpha * sinAlpha;
    *cos2SigmaM = *cosSqAlpha > 0 ? *cosSigma - 2 * *sinU1SinU2 / *cosSqAlpha : 2 * *sinU1SinU2;
    *cos2SigmaMSqTerm = 2 * *cos2SigmaM * *cos2SigmaM - 1;
    const double C = f / 16 * *cosSqAlpha * (4 + f * (4 - 3 * *cosSqAlpha));
    const double previous = lambda;
    lambda = L + (1 - C) * f * sinAlpha *
                     (*sigma + C * *sinSigma * (*cos2SigmaM + C * *cosSigma * *cos2SigmaMSqTerm));
    if (std::fabs(lambda - previous) <= kGeodesicTolerance) return GXR_OK;
  }
  return GXR_HALF_WORLD;
}

void GXR_EllipsDistCalculate(double a, double f, double lat1, double lon1, double lat2,
                             double lon2, double *forwardAzimuth, double *backAzimuth,
                             double *distance) {
  if (forwardAzimuth == nullptr || backAzimuth == nullptr || distance == nullptr) return;
  if (lat1 == lat2 && lon1 == lon2) {
    *distance = 0;
    return;
  }
  const double span = std::fabs(lon1 - lon2);
  if (span >= kLongitudeSpanLimit && !(lat1 == lat2 && span == kPi)) {
    *distance = kRefusedDistance;
    return;
  }
  *forwardAzimuth = 0;
  *backAzimuth = 0;
  const double R = 1 - f;
  const double tanU1 = R * std::sin(lat1) / std::cos(lat1);
  const double tanU2 = R * std::sin(lat2) / std::cos(lat2);
  const double cosU1 = 1 / std::sqrt(tanU1 * tanU1 + 1);
  const double sinU1 = cosU1 * tanU1;
  const double cosU2 = 1 / std::sqrt(tanU2 * tanU2 + 1);
  const double sinU2 = cosU2 * tanU2;
  const double cosU1cosU2 = cosU1 * cosU2;
  // The two products travel into the iteration through the azimuth outputs.
  *backAzimuth = cosU1 * sinU2;
  *forwardAzimuth = sinU1 * sinU2;

  double E = 0, sigma = 0, cosSqAlpha = 0, cosLambda = 0, cosSigma = 0, cos2SigmaM = 0;
  double sinLambda = 0, sinSigma = 0, cosU2SinLambda = 0, cosU1SinU2MinusTerm = 0;
  if (GXR_AzimuthConverge(f, lon1, lon2, cosU2, sinU1, cosU1cosU2, &E, &sigma, &cosSqAlpha,
                          &cosLambda, &cosSigma, &cos2SigmaM, &sinLambda, &sinSigma,
                          &cosU2SinLambda, &cosU1SinU2MinusTerm, forwardAzimuth,
                          backAzimuth) != GXR_OK) {
    *forwardAzimuth = 0;
    *backAzimuth = 0;
    *distance = kUnsettledDistance;
    return;
  }
  *forwardAzimuth = wrapAzimuth(std::atan2(cosU2SinLambda, cosU1SinU2MinusTerm));
  *backAzimuth = wrapAzimuth(
      std::atan2(cosU1 * sinLambda, cosU1 * sinU2 * cosLambda - sinU1 * cosU2) + kPi);

  double x = std::sqrt((1 / (R * R) - 1) * cosSqAlpha + 1) + 1;
  x = (x - 2) / x;
  const double C = (x * x / 4 + 1) / (1 - x);
  const double D = (0.375 * x * x - 1) * x;
  *distance = ((((4 * sinSigma * sinSigma - 3) * (1 - 2 * E) * cos2SigmaM * D / 6 -
                 E * cosSigma) * D / 4 + cos2SigmaM) * sinSigma * D + sigma) *
              C * a * R;
}

int GXR_OriginInitialize(int model, double lat, double lon, int32_t height, double reserved,
                         GxrOrigin *origin) {
  (void)reserved;
  if (origin == nullptr) return GXR_NULL_POINTER;
  origin->lat = lat * kDegToRad;
  origin->lon = lon * kDegToRad;
  unsigned char type = 0;
  double a = 0;
  double b = 0;
  double inverseFlattening = 0;
  int status = GXR_EarthModelToTypeConvert(model, &type);
  if (status == GXR_OK) status = GXR_EarthRadiusSelect(model, &a, &b);
  if (status == GXR_OK) status = GXR_EarthFlatteningGet(model, &inverseFlattening);
  if (status != GXR_OK) return status;

  const double latRad = origin->lat;
  const double lonRad = origin->lon;
  *origin = GxrOrigin{};
  origin->lat = latRad;
  origin->lon = lonRad;
  origin->hemisphere = lat < 0 ? 0xFF : 0;
  origin->height = height;
  origin->semiMajor = a;
  origin->semiMinor = b;
  origin->inverseFlattening = inverseFlattening;
  origin->earthType = type;
  if (type != 2) return GXR_OK;

  origin->eccentricity = std::sqrt(a * a - b * b) / a;
  origin->sinLat = std::sin(latRad);
  origin->cosLat = std::cos(latRad);
  origin->sinLon = std::sin(lonRad);
  origin->cosLon = std::cos(lonRad);
  origin->radius = normalRadiusTimesOneMinusE2(origin->sinLat, a, b, origin->eccentricity);
  double x0 = 0;
  double y0 = 0;
  double z0 = 0;
  GXR_GeoToCartConvert(origin, height, origin->sinLat, origin->cosLat, origin->sinLon,
                       origin->cosLon, &x0, &y0, &z0);
  origin->x0 = x0;
  origin->y0 = y0;
  origin->z0 = z0;
  return GXR_OK;
}

int GXR_CartesianConvert(const GxrOrigin *origin, double lat, double lon, int32_t height,
                         double *x, double *y, double *z) {
  if (origin == nullptr || x == nullptr || y == nullptr || z == nullptr) return GXR_NULL_POINTER;
  if (origin->earthType != 2) return GXR_OK;
  GXR_GeoToCartConvert(origin, height, std::sin(lat), std::cos(lat), std::sin(lon),
                       std::cos(lon), x, y, z);
  return GXR_OK;
}

void GXR_GeoToCartConvert(const GxrOrigin *origin, int32_t height, double sinLat, double cosLat,
                          double sinLon, double cosLon, double *x, double *y, double *z) {
  if (origin == nullptr || x == nullptr || y == nullptr || z == nullptr) return;
  const GxrOrigin &o = *origin;
  const double a = o.semiMajor;
  const double b = o.semiMinor;
  const double h = height;
  const double nb = normalRadiusTimesOneMinusE2(sinLat, a, b, o.eccentricity);
  const double n = a * a / (b * b) * nb;
  const double P = (n + h) * cosLat;
  *x = P * (o.cosLon * sinLon - o.sinLon * cosLon) - o.x0;
  const double Q = (nb + h) * sinLat;
  const double T = P * (o.cosLon * cosLon + o.sinLon * sinLon);
  *y = Q * o.cosLat - T * o.sinLat - o.y0;
  *z = T * o.cosLat + Q * o.sinLat - (o.height + o.radius) - o.z0;
}

void GXR_GeodeticRadiusCalculate(double s, double r0, double r1, double k, double *radius) {
  if (radius == nullptr) return;
  if (s == 0) {
    *radius = r0;
  } else if (s == 1) {
    *radius = r1;
  } else {
    *radius = r1 * r1 / (r0 * std::sqrt(1 - s * s * k * k));
  }
}

int GXR_PointInPolyTest(const GxrPolyPoint *polygon, int count, float x, float y, int *inside) {
  if (polygon == nullptr || inside == nullptr) return GXR_NULL_POINTER;
  if (count < 3) return GXR_TOO_FEW_POINTS;
  int crossings = 0;
  for (int i = 1; i <= count; ++i) {
    const GxrPolyPoint &p1 = polygon[i - 1];
    const GxrPolyPoint &p2 = polygon[i % count];
    if (crossesEdge(p1, p2, x, y)) {
      ++crossings;
    } else if (onHorizontalEdge(p1, p2, x, y)) {
      *inside = 1;
      return GXR_OK;
    }
  }
  *inside = crossings % 2;
  return GXR_OK;
}

int GXR_BoundRec2AoiConvert(const GxrBoundRect *rect, GxrAoi *area) {
  if (rect == nullptr || area == nullptr) return GXR_NULL_POINTER;
  void *block = nullptr;
  if (GXR_MemGet(&block, 4, sizeof(GxrPolyPoint)) != GXR_OK) return GXR_NO_MEMORY;
  auto *corners = static_cast<GxrPolyPoint *>(block);
  corners[0] = {rect->x1, rect->y2};
  corners[1] = {rect->x1, rect->y1};
  corners[2] = {rect->x2, rect->y1};
  corners[3] = {rect->x2, rect->y2};
  area->count = 4;
  area->points = corners;
  return GXR_OK;
}

}  // extern "C"

