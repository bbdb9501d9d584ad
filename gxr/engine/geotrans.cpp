#include "geotrans.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <string>

#include "CartesianCoordinates.h"
#include "EquidistantCylindricalParameters.h"
#include "ErrorMessages.h"
#include "GEOREFCoordinates.h"
#include "LocalCartesianParameters.h"
#include "MGRSorUSNGCoordinates.h"
#include "MapProjection3Parameters.h"
#include "MapProjection4Parameters.h"
#include "MapProjection5Parameters.h"
#include "MapProjection6Parameters.h"
#include "MapProjectionCoordinates.h"
#include "MercatorStandardParallelParameters.h"
#include "PolarStereographicStandardParallelParameters.h"
#include "Precision.h"
#include "UPSCoordinates.h"
#include "UTMCoordinates.h"
#include "UTMParameters.h"
#include "WarningMessages.h"
#include "texts.h"

namespace gxr::engine {

namespace {

// 3.7 lists 38 systems in another order under other codes and names, so
// only its type of each of the catalogue's systems is taken from it.
constexpr std::array<CT::Enum, kSystemCount> kTypes37 = {
    CT::geodetic, CT::georef, CT::geocentric, CT::localCartesian, CT::militaryGridReferenceSystem,
    CT::universalTransverseMercator, CT::universalPolarStereographic, CT::albersEqualAreaConic, CT::bonne,
    CT::cassini, CT::cylindricalEqualArea, CT::eckert4, CT::eckert6, CT::equidistantCylindrical,
    CT::lambertConformalConic2Parallels, CT::mercatorStandardParallel, CT::millerCylindrical, CT::mollweide,
    CT::orthographic, CT::polarStereographicStandardParallel, CT::polyconic, CT::sinusoidal,
    CT::transverseCylindricalEqualArea, CT::transverseMercator, CT::vanDerGrinten,
};

const MessageBit kMessageBits[] = {
    {&ccs::ErrorMessages::semiMajorAxis, kSemiMajorAxisError},
    {&ccs::WarningMessages::datum, kDatumDomainWarning},
    {&ccs::ErrorMessages::originLatitude, kOriginLatitudeError},
    {&ccs::ErrorMessages::centralMeridian, kCentralMeridianError},
    {&ccs::ErrorMessages::latitude, kLatitudeError},
    {&ccs::ErrorMessages::longitude, kLongitudeError},
    {&ccs::ErrorMessages::easting, kEastingError},
    {&ccs::ErrorMessages::northing, kNorthingError},
    {&ccs::ErrorMessages::radius, kRadiusError},
    {&ccs::ErrorMessages::projection, kRadiusError, true},
    {&ccs::ErrorMessages::standardParallelHemisphere, kHemisphereError},
    {&ccs::ErrorMessages::hemisphere, kHemisphereError, true},
    {&ccs::ErrorMessages::scaleFactor, kScaleFactorError},
    {&ccs::WarningMessages::longitude, kLongitudeWarning},
    {&ccs::ErrorMessages::originLongitude, kOriginLongitudeError},
    {&ccs::ErrorMessages::standardParallel2, kStandardParallel2Error},
    {&ccs::ErrorMessages::standardParallel1, kStandardParallel1Error},
    {&ccs::ErrorMessages::standardParallel1_2, kStandardParallelsZeroError},
    {&ccs::ErrorMessages::zone, kZoneError},
    {&ccs::ErrorMessages::zoneOverride, kZoneOverrideError},
    {&ccs::ErrorMessages::mgrsString, kMgrsStringError},
    {&ccs::ErrorMessages::georefString, kGeorefStringError},
    {&ccs::ErrorMessages::longitude_min, kGeorefLongitudeMinuteError},
    {&ccs::ErrorMessages::latitude_min, kGeorefLatitudeMinuteError},
};

ccs::HeightType::Enum heightTypeFor37(int heightType) {
  switch (heightType) {
    case kEllipsoidHeight: return ccs::HeightType::ellipsoidHeight;
    case kGeoidHeight: return ccs::HeightType::EGM96FifteenMinBilinear;
    default: return ccs::HeightType::noHeight;
  }
}

// A latitude of true scale: 3.7 has a parameter class of its own for each
// system that takes one.
std::unique_ptr<ccs::CoordinateSystemParameters> trueScaleFor37(int type, const Parameters& p) {
  const CT::Enum t = kTypes37[type];
  if (type == kPolarStereographic)
    return std::make_unique<ccs::PolarStereographicStandardParallelParameters>(
        t, p.centralMeridian, p.originLatitude, p.falseEasting, p.falseNorthing);
  return std::make_unique<ccs::EquidistantCylindricalParameters>(t, p.centralMeridian, p.originLatitude,
                                                                 p.falseEasting, p.falseNorthing);
}

// Mercator's scale factor comes with its own parameter class too.
std::unique_ptr<ccs::CoordinateSystemParameters> scaledFor37(int type, const Parameters& p) {
  const CT::Enum t = kTypes37[type];
  if (type == kMercator)
    return std::make_unique<ccs::MercatorStandardParallelParameters>(
        t, p.centralMeridian, p.originLatitude, p.scaleFactor, p.falseEasting, p.falseNorthing);
  return std::make_unique<ccs::MapProjection5Parameters>(t, p.centralMeridian, p.originLatitude, p.scaleFactor,
                                                         p.falseEasting, p.falseNorthing);
}

template <class Tuple>
void storeGridText(const Coordinates& c, ccs::CoordinateTuple* tuple) {
  char text[kGridTextLength + 1];
  copyBounded(text, c.text, kGridTextLength);
  static_cast<Tuple*>(tuple)->set(text);
}

void loadGridText(const char* text, Coordinates& c) {
  copyBounded(c.text, std::string_view(text, strnlen(text, kGridTextLength)), kGridTextLength);
}

}  // namespace

std::unique_ptr<ccs::CoordinateSystemParameters> parametersFor37(int type, const Parameters& p) {
  const CT::Enum t = kTypes37[type];
  switch (parameterShape(type)) {
    case ParameterShape::heightType:
      return std::make_unique<ccs::GeodeticParameters>(t, heightTypeFor37(p.heightType));
    case ParameterShape::localOrigin:
      return std::make_unique<ccs::LocalCartesianParameters>(t, p.centralMeridian, p.originLatitude,
                                                              p.originHeight, p.orientation);
    case ParameterShape::utmZone: return std::make_unique<ccs::UTMParameters>(t, p.zone, p.zoneOverride);
    case ParameterShape::parallels:
      return std::make_unique<ccs::MapProjection6Parameters>(
          t, p.centralMeridian, p.originLatitude, p.standardParallel1, p.standardParallel2,
          p.falseEasting, p.falseNorthing);
    case ParameterShape::origin:
      return std::make_unique<ccs::MapProjection4Parameters>(t, p.centralMeridian, p.originLatitude,
                                                             p.falseEasting, p.falseNorthing);
    case ParameterShape::meridian:
      return std::make_unique<ccs::MapProjection3Parameters>(t, p.centralMeridian, p.falseEasting,
                                                             p.falseNorthing);
    case ParameterShape::trueScale: return trueScaleFor37(type, p);
    case ParameterShape::scaled: return scaledFor37(type, p);
    case ParameterShape::none:
    case ParameterShape::gridDigits: break;
  }
  return std::make_unique<ccs::CoordinateSystemParameters>(t);
}

std::unique_ptr<ccs::CoordinateTuple> tupleFor37(int type, int precision) {
  const CT::Enum t = kTypes37[type];
  const auto digits = static_cast<ccs::Precision::Enum>(precision);
  switch (pointKind(type)) {
    case PointKind::geodetic: return std::make_unique<ccs::GeodeticCoordinates>(t);
    case PointKind::cartesian: return std::make_unique<ccs::CartesianCoordinates>(t);
    case PointKind::georef: return std::make_unique<ccs::GEOREFCoordinates>(t, "", digits);
    case PointKind::mgrs: return std::make_unique<ccs::MGRSorUSNGCoordinates>(t, "", digits);
    case PointKind::utm: return std::make_unique<ccs::UTMCoordinates>(t);
    case PointKind::ups: return std::make_unique<ccs::UPSCoordinates>(t);
    case PointKind::projected: break;
  }
  return std::make_unique<ccs::MapProjectionCoordinates>(t);
}

void storeInput(int type, const Coordinates& c, ccs::CoordinateTuple* tuple) {
  switch (pointKind(type)) {
    case PointKind::geodetic:
      static_cast<ccs::GeodeticCoordinates*>(tuple)->set(c.longitude, c.latitude, c.height);
      break;
    case PointKind::cartesian: static_cast<ccs::CartesianCoordinates*>(tuple)->set(c.x, c.y, c.z); break;
    case PointKind::georef: storeGridText<ccs::GEOREFCoordinates>(c, tuple); break;
    case PointKind::mgrs: storeGridText<ccs::MGRSorUSNGCoordinates>(c, tuple); break;
    case PointKind::utm:
      static_cast<ccs::UTMCoordinates*>(tuple)->set(c.zone, c.hemisphere, c.easting, c.northing);
      break;
    case PointKind::ups: static_cast<ccs::UPSCoordinates*>(tuple)->set(c.hemisphere, c.easting, c.northing); break;
    case PointKind::projected:
      static_cast<ccs::MapProjectionCoordinates*>(tuple)->set(c.easting, c.northing);
      break;
  }
}

void loadOutput(int type, ccs::CoordinateTuple* tuple, Coordinates& c) {
  switch (pointKind(type)) {
    case PointKind::geodetic: {
      auto* g = static_cast<ccs::GeodeticCoordinates*>(tuple);
      c.longitude = g->longitude();
      c.latitude = g->latitude();
      c.height = g->height();
      break;
    }
    case PointKind::cartesian: {
      auto* x = static_cast<ccs::CartesianCoordinates*>(tuple);
      c.x = x->x();
      c.y = x->y();
      c.z = x->z();
      break;
    }
    case PointKind::georef: loadGridText(static_cast<ccs::GEOREFCoordinates*>(tuple)->GEOREFString(), c); break;
    case PointKind::mgrs: loadGridText(static_cast<ccs::MGRSorUSNGCoordinates*>(tuple)->MGRSString(), c); break;
    case PointKind::utm: {
      auto* u = static_cast<ccs::UTMCoordinates*>(tuple);
      c.zone = u->zone();
      c.hemisphere = u->hemisphere();
      c.easting = u->easting();
      c.northing = u->northing();
      break;
    }
    case PointKind::ups: {
      auto* u = static_cast<ccs::UPSCoordinates*>(tuple);
      c.hemisphere = u->hemisphere();
      c.easting = u->easting();
      c.northing = u->northing();
      break;
    }
    case PointKind::projected: {
      auto* m = static_cast<ccs::MapProjectionCoordinates*>(tuple);
      c.easting = m->easting();
      c.northing = m->northing();
      break;
    }
  }
}

const MessageBit* messageBit(std::string_view line) {
  for (const MessageBit& m : kMessageBits) {
    std::string_view text = *m.message;
    if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
    if (text == line) return &m;
  }
  return nullptr;
}

int loadFailureBits(const std::string& message) {
  std::string lower(message);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (lower.find("ellipsoid") != std::string::npos) return kEllipsoidFileError;
  if (lower.find("geoid") != std::string::npos) return kGeoidFileError;
  return kDatumError;
}

}  // namespace gxr::engine
