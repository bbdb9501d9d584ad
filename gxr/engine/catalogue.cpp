// The engine's catalogues that need no tables: the coordinate systems and
// the texts of the status bits.
#include <cstring>
#include <string>
#include <string_view>

#include "engine.h"
#include "texts.h"

namespace gxr::engine {

namespace {

struct BitText {
  int bit;
  const char* text;
};

constexpr BitText kEngineTexts[] = {
    {kInputWarning, "Input warning"},
    {kInputError, "Input error"},
    {kOutputWarning, "Output warning"},
    {kOutputError, "Output error"},
    {kNotInitialized, "Engine not initialized"},
    {kEllipsoidFileError, "Ellipsoid file could not be loaded"},
    {kDatumError, "Datum file could not be loaded or datum/ellipsoid operation failed"},
    {kGeoidFileError, "Geoid file could not be loaded"},
    {kInvalidType, "Invalid coordinate system type"},
    {kInvalidDirection, "Invalid direction"},
    {kInvalidState, "Invalid state"},
    {kPrecisionError, "Invalid precision"},
    {kInvalidIndex, "Invalid index"},
    {kInvalidCode, "Invalid code"},
};

struct SideText {
  long bit;
  const char* text;
};

constexpr SideText kSideTexts[] = {
    {kSemiMajorAxisError, "Ellipsoid semi-major axis must be greater than zero"},
    {kSemiMinorAxisError, "Ellipsoid semi-minor axis must be greater than zero"},
    {kAxisOrderError, "Ellipsoid semi-major axis must be greater than semi-minor axis"},
    {kDatumDomainWarning, "Location is not within valid domain for current datum"},
    {kOriginLatitudeError, "Origin Latitude (or Latitude of True Scale) out of range"},
    {kCentralMeridianError, "Central Meridian out of range"},
    {kLatitudeError, "Latitude out of range"},
    {kLongitudeError, "Longitude out of range"},
    {kEastingError, "Easting/X out of range"},
    {kNorthingError, "Northing/Y out of range"},
    {kRadiusError, "Easting/Northing too far from center of projection"},
    {kHemisphereError, "Standard Parallels cannot be equal and opposite latitudes"},
    {kScaleFactorError, "Scale Factor out of range"},
    {kLongitudeWarning, "Longitude is too far from Central Meridian, distortion may be significant"},
    {kOriginLongitudeError, "Origin Longitude (or Longitude Down from Pole) out of range"},
    {kStandardParallel2Error, "Invalid 2nd Standard Parallel"},
    {kStandardParallel1Error, "Invalid 1st Standard Parallel"},
    {kStandardParallelsZeroError, "1st & 2nd Standard Parallels cannot both be zero"},
    {kZoneError, "Invalid Zone"},
    {kZoneOverrideError, "Invalid Zone Override"},
    {kMgrsStringError, "Invalid MGRS String"},
    {kGeorefStringError, "Invalid GEOREF String"},
    {kGeorefLongitudeMinuteError, "The longitude minute part of the GEOREF string is greater than 60"},
    {kGeorefLatitudeMinuteError, "The latitude minute part of the GEOREF string is greater than 60"},
};

}  // namespace


const char* engineStatusText(int bit) {
  for (const BitText& t : kEngineTexts)
    if (t.bit == bit) return t.text;
  return "";
}

const char* sideStatusText(long bit) {
  for (const SideText& t : kSideTexts)
    if (t.bit == bit) return t.text;
  return "";
}

int Engine::systemCount(long* count) const {
  if (!initialized()) return kNotInitialized;
  *count = kSystemCount;
  return 0;
}

int Engine::systemName(long index, char* name) const {
  if (!initialized()) return kNotInitialized;
  if (index < 1 || index > kSystemCount) return kInvalidIndex;
  copyBounded(name, kSystems[index - 1].name, kSystemNameLength);
  return 0;
}

int Engine::systemCode(long index, char* code) const {
  if (!initialized()) return kNotInitialized;
  if (index < 1 || index > kSystemCount) return kInvalidIndex;
  copyBounded(code, kSystems[index - 1].code, kSystemCodeLength);
  return 0;
}

int Engine::systemIndex(const char* code, long* index) const {
  if (!initialized()) return kNotInitialized;
  if (code == nullptr) return kInvalidCode;
  std::string_view wanted = trim(std::string_view(code, strnlen(code, 16)));
  for (int i = 0; i < kSystemCount; ++i) {
    if (equalNoCase(wanted, kSystems[i].code)) {
      *index = i + 1;
      return 0;
    }
  }
  return kInvalidCode;
}

std::string Engine::statusText(int status, const char* separator) {
  std::string text;
  for (const BitText& t : kEngineTexts) {
    if (status & t.bit) {
      if (!text.empty()) text += separator;
      text += t.text;
    }
  }
  return text;
}

}  // namespace gxr::engine
