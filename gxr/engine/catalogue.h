// The library's coordinate systems, one row each. The conversions, the
// engine layer and its translation to GEOTRANS all read a system's point
// kind and parameter shape from here, so that adding or changing a system is
// one line.
#pragma once

#include <array>

#include "angles.hpp"

namespace gxr::engine {

// System types, numbered as the catalogue (catalogue index minus one).
enum SystemType : int {
  kGeodetic = 0, kGeoref, kGeocentric, kLocalCartesian, kMgrs, kUtm, kUps,
  kAlbers, kBonne, kCassini, kCylindricalEqualArea, kEckert4, kEckert6,
  kEquidistantCylindrical, kLambert, kMercator, kMiller, kMollweide,
  kOrthographic, kPolarStereographic, kPolyconic, kSinusoidal,
  kTransverseCylindricalEqualArea, kTransverseMercator, kVanDerGrinten,
};
inline constexpr int kSystemCount = 25;

// Geodetic height types.
enum HeightType : int { kNoHeight = 0, kEllipsoidHeight = 1, kGeoidHeight = 2 };

// Parameters of a side's system. Angles in radians, lengths in metres; each
// system reads only the fields of its shape.
struct Parameters {
  int heightType = kEllipsoidHeight;  // geodetic
  double originLatitude = 0;          // also standard parallel / latitude of true scale
  double centralMeridian = 0;         // also origin longitude / longitude down from pole
  double standardParallel1 = 0;
  double standardParallel2 = 0;
  double scaleFactor = 1;
  double falseEasting = 0;
  double falseNorthing = 0;
  double originHeight = 0;  // local Cartesian
  double orientation = 0;   // local Cartesian
  long zone = 0;            // UTM, 0 lets the engine choose
  long zoneOverride = 0;    // UTM
};

// What a point of the system holds.
enum class PointKind {
  geodetic,   // latitude, longitude, height
  cartesian,  // x, y, z
  georef,     // a GEOREF text
  mgrs,       // an MGRS text
  utm,        // zone, hemisphere, easting, northing
  ups,        // hemisphere, easting, northing
  projected,  // easting, northing
};

// Which parameters the system reads. A false origin (easting, northing)
// comes with every map projection.
enum class ParameterShape {
  none,
  gridDigits,   // the engine-wide digits of grid texts
  heightType,   // geodetic heights
  localOrigin,  // origin longitude, latitude and height, orientation
  utmZone,      // zone and zone override
  meridian,     // central meridian
  origin,       // central meridian, origin latitude
  trueScale,    // central meridian, latitude of true scale
  scaled,       // central meridian, origin latitude, scale factor
  parallels,    // central meridian, origin latitude, two standard parallels
};

struct SystemRow {
  const char* code;
  const char* name;
  PointKind point;
  ParameterShape shape;
  Parameters defaults;
};

// A conic's parallels and origin, and a pole, as the engine generation the
// catalogue comes from set them up; every other field starts as Parameters does.
inline constexpr Parameters kConicDefaults{.originLatitude = 45 * kRadiansPerDegree,
                                           .standardParallel1 = 40 * kRadiansPerDegree,
                                           .standardParallel2 = 50 * kRadiansPerDegree};
inline constexpr Parameters kPolarDefaults{.originLatitude = 90 * kRadiansPerDegree};

// In type order; the codes are those the library's users name systems by.
inline constexpr std::array<SystemRow, kSystemCount> kSystems = [] {
  using enum PointKind;
  using enum ParameterShape;
  return std::array<SystemRow, kSystemCount>{{
      // code name                                point      parameters   defaults
      {"GD", "Geodetic",                           geodetic,  heightType,  {}},
      {"GE", "GEOREF",                             georef,    gridDigits,  {}},
      {"GC", "Geocentric",                         cartesian, none,        {}},
      {"LC", "Local Cartesian",                    cartesian, localOrigin, {}},
      {"MG", "MGRS",                               mgrs,      gridDigits,  {}},
      {"UT", "UTM",                                utm,       utmZone,     {}},
      {"UP", "UPS",                                ups,       none,        {}},
      {"AC", "Albers Equal Area Conic",            projected, parallels,   kConicDefaults},
      {"BF", "Bonne",                              projected, origin,      {}},
      {"CS", "Cassini",                            projected, origin,      {}},
      {"LI", "Cylindrical Equal Area",             projected, origin,      {}},
      {"EF", "Eckert IV",                          projected, meridian,    {}},
      {"ED", "Eckert VI",                          projected, meridian,    {}},
      {"CP", "Equidistant Cylindrical",            projected, trueScale,   {}},
      {"LE", "Lambert Conformal Conic",            projected, parallels,   kConicDefaults},
      {"MC", "Mercator",                           projected, scaled,      {}},
      {"MH", "Miller Cylindrical",                 projected, meridian,    {}},
      {"MP", "Mollweide",                          projected, meridian,    {}},
      {"OD", "Orthographic",                       projected, origin,      {}},
      {"PG", "Polar Stereographic",                projected, trueScale,   kPolarDefaults},
      {"PH", "Polyconic",                          projected, origin,      {}},
      {"SA", "Sinusoidal",                         projected, meridian,    {}},
      {"TX", "Transverse Cylindrical Equal Area",  projected, scaled,      {}},
      {"TC", "Transverse Mercator",                projected, scaled,      {}},
      {"VA", "Van der Grinten",                    projected, meridian,    {}},
  }};
}();
static_assert(kSystems.back().code != nullptr, "a row for every system type");

// The row of a type the caller has checked.
constexpr const SystemRow& systemRow(int type) { return kSystems[type]; }
constexpr PointKind pointKind(int type) { return systemRow(type).point; }
constexpr ParameterShape parameterShape(int type) { return systemRow(type).shape; }

// Whether the system's points are three numbers (geodetic or Cartesian)
// rather than a grid position or text.
constexpr bool threeNumberPoint(int type) {
  return pointKind(type) == PointKind::geodetic || pointKind(type) == PointKind::cartesian;
}

}  // namespace gxr::engine
