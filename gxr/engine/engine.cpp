#include "engine.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <numbers>
#include <optional>
#include <string_view>

#include "Accuracy.h"
#include "CartesianCoordinates.h"
#include "CoordinateConversionException.h"
#include "CoordinateConversionService.h"
#include "CoordinateSystemParameters.h"
#include "CoordinateType.h"
#include "DatumLibrary.h"
#include "EllipsoidLibrary.h"
#include "EquidistantCylindricalParameters.h"
#include "ErrorMessages.h"
#include "GEOREFCoordinates.h"
#include "GeodeticCoordinates.h"
#include "GeodeticParameters.h"
#include "HeightType.h"
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

namespace gxr::engine {

namespace ccs = MSP::CCS;
using CT = ccs::CoordinateType;

namespace {

constexpr double kDegree = std::numbers::pi / 180.0;

struct SystemRow {
  const char* code;
  const char* name;
  CT::Enum type;
};

// The library's own catalogue: 3.7 lists 38 systems in another order under
// other codes and names, so only the 3.7 type of each row is taken from it.
constexpr SystemRow kSystems[kSystemCount] = {
    {"GD", "Geodetic", CT::geodetic},
    {"GE", "GEOREF", CT::georef},
    {"GC", "Geocentric", CT::geocentric},
    {"LC", "Local Cartesian", CT::localCartesian},
    {"MG", "MGRS", CT::militaryGridReferenceSystem},
    {"UT", "UTM", CT::universalTransverseMercator},
    {"UP", "UPS", CT::universalPolarStereographic},
    {"AC", "Albers Equal Area Conic", CT::albersEqualAreaConic},
    {"BF", "Bonne", CT::bonne},
    {"CS", "Cassini", CT::cassini},
    {"LI", "Cylindrical Equal Area", CT::cylindricalEqualArea},
    {"EF", "Eckert IV", CT::eckert4},
    {"ED", "Eckert VI", CT::eckert6},
    {"CP", "Equidistant Cylindrical", CT::equidistantCylindrical},
    {"LE", "Lambert Conformal Conic", CT::lambertConformalConic2Parallels},
    {"MC", "Mercator", CT::mercatorStandardParallel},
    {"MH", "Miller Cylindrical", CT::millerCylindrical},
    {"MP", "Mollweide", CT::mollweide},
    {"OD", "Orthographic", CT::orthographic},
    {"PG", "Polar Stereographic", CT::polarStereographicStandardParallel},
    {"PH", "Polyconic", CT::polyconic},
    {"SA", "Sinusoidal", CT::sinusoidal},
    {"TX", "Transverse Cylindrical Equal Area", CT::transverseCylindricalEqualArea},
    {"TC", "Transverse Mercator", CT::transverseMercator},
    {"VA", "Van der Grinten", CT::vanDerGrinten},
};

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

// 3.7 message lines (with their line feed) and the side bit each stands for.
// "Invalid Hemisphere" shares the hemisphere bit with the Lambert parallels
// as it did in the engine generation the bits come from; such a message
// keeps its own words in the side's text, as the bit's text says otherwise.
struct MessageBit {
  const char* const* message;
  long bit;
  bool ownWords = false;
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

const MessageBit* messageBit(std::string_view line) {
  for (const MessageBit& m : kMessageBits) {
    std::string_view text = *m.message;
    if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
    if (text == line) return &m;
  }
  return nullptr;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

bool equalNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) ==
                  std::toupper(static_cast<unsigned char>(y));
         });
}

// A code or name the 3.7 tables can store and read back: printable, without
// the quote that delimits datum names, within the table's width.
bool storable(std::string_view text, std::size_t maxLength, bool blanksAllowed) {
  if (text.empty() || text.size() > maxLength) return false;
  return std::all_of(text.begin(), text.end(), [&](char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return std::isprint(u) && c != '"' && (blanksAllowed || c != ' ');
  });
}

// A code without surrounding blanks, refused when longer than the table's
// width: 3.7 copies codes into fixed buffers without looking at their length.
std::optional<std::string> codeFor37(const char* code, std::size_t maxLength) {
  if (code == nullptr) return std::nullopt;
  std::string_view s = trim(std::string_view(code, strnlen(code, 256)));
  if (s.empty() || s.size() > maxLength) return std::nullopt;
  return std::string(s);
}

void copyBounded(char* dest, std::string_view text, std::size_t maxLength) {
  std::size_t n = std::min(text.size(), maxLength);
  std::memcpy(dest, text.data(), n);
  dest[n] = '\0';
}

bool readable(const std::string& path) { return ::access(path.c_str(), R_OK) == 0; }

std::string joinPath(const std::string& dir, const char* name) {
  return dir.empty() || dir.back() == '/' ? dir + name : dir + "/" + name;
}

bool sameDirectory(const std::string& a, const std::string& b) {
  struct stat sa{}, sb{};
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

// 3.7 reads every file from one directory, so a file kept elsewhere is
// linked in. A regular file already there is the user's own and stays.
bool linkInto(const std::string& dir, const std::string& fromDir, const char* name) {
  if (sameDirectory(dir, fromDir)) return true;
  std::string link = joinPath(dir, name);
  struct stat st{};
  if (::lstat(link.c_str(), &st) == 0) {
    if (!S_ISLNK(st.st_mode)) return true;
    ::unlink(link.c_str());
  }
  return ::symlink(joinPath(fromDir, name).c_str(), link.c_str()) == 0;
}

std::optional<std::string> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool writeFileAtomically(const std::string& path, const std::string& content) {
  const std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out.flush()) {
      ::unlink(temporary.c_str());
      return false;
    }
  }
  if (std::rename(temporary.c_str(), path.c_str()) == 0) return true;
  ::unlink(temporary.c_str());
  return false;
}

std::string backupPath(const std::string& table) { return table + ".backup"; }

// The file a table path names, through any links.
std::string realFile(const std::string& path) {
  std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
  return real ? std::string(real.get()) : path;
}

// 3.7 rewrites a whole table in place to add one definition. The table is
// saved beside itself first; a refused definition puts it back, and a backup
// still present at start-up means a definition was cut short (the process
// died while 3.7 was writing), so the saved table is put back then.
class TableGuard {
 public:
  // A table may be a link to the user's real file; the guard works on the
  // file itself so that putting it back keeps the link.
  explicit TableGuard(const std::string& table) : table_(realFile(table)) {
    std::optional<std::string> content = readFile(table_);
    saved_ = content && writeFileAtomically(backupPath(table_), *content);
    if (saved_) content_ = std::move(*content);
  }
  ~TableGuard() {
    if (!saved_) return;
    if (!kept_) {
      std::optional<std::string> now = readFile(table_);
      if (!now || *now != content_) writeFileAtomically(table_, content_);
    }
    ::unlink(backupPath(table_).c_str());
  }
  TableGuard(const TableGuard&) = delete;
  TableGuard& operator=(const TableGuard&) = delete;

  bool saved() const { return saved_; }
  const std::string& table() const { return table_; }
  // The table as it was before the definition.
  const std::string& content() const { return content_; }
  void keep() { kept_ = true; }

 private:
  std::string table_;
  std::string content_;
  bool saved_ = false;
  bool kept_ = false;
};

void recoverInterruptedDefinition(const std::string& path) {
  const std::string table = realFile(path);
  const std::string backup = backupPath(table);
  if (::access(backup.c_str(), F_OK) == 0) std::rename(backup.c_str(), table.c_str());
}

// A number as a table column: 15 significant digits keep every value a
// caller can mean (3.7 itself writes whole units, which moves a datum by up
// to half a metre and its area by up to half a degree), in the width of the
// shipped columns where the value fits.
std::string column(double value, int width) {
  char text[40];
  std::snprintf(text, sizeof text, " %*.15g", width, value);
  return text;
}

std::string padded(std::string text, std::size_t width) {
  if (text.size() < width) text.resize(width, ' ');
  return text;
}

// Lines in the layout 3.7 reads and writes, a user definition marked by '*'.
std::string datumLine(const std::string& code, const char* name, const std::string& ellipsoid, double dx, double dy,
                      double dz, double sx, double sy, double sz, double south, double north, double west,
                      double east) {
  std::string line = "*" + padded(code, 8) + padded("\"" + std::string(name) + "\"", 33) + ellipsoid;
  for (double v : {dx, sx, dy, sy, dz, sz}) line += column(v, 4);
  for (double radians : {south, north, west, east}) line += column(radians / kDegree, 4);
  return line + " \n";
}

std::string ellipsoidLine(const std::string& code, const char* name, double semiMajor, double semiMinor) {
  return "*" + padded(name, 30) + code + column(semiMajor, 0) + column(semiMinor, 0) +
         column(semiMajor / (semiMajor - semiMinor), 0) + " \n";
}

// The table with one line added, ending in a line break whatever the
// last line did.
std::string withLine(std::string table, const std::string& line) {
  if (!table.empty() && table.back() != '\n') table += '\n';
  return table + line;
}

// Bounds of what a definition may hold. The largest shift of the shipped
// datums is under 2 km; one beyond 100 km, or an error as large, is a
// mistake, not a datum. The shipped ellipsoids lie within a few kilometres
// of 6378 km.
constexpr double kMaxShift = 100000;
constexpr double kMinSemiMajorAxis = 6000000;
constexpr double kMaxSemiMajorAxis = 7000000;

bool validShift(double d) { return std::isfinite(d) && std::fabs(d) <= kMaxShift; }
// 3.7 takes -1 for an unknown error.
bool validSigma(double s) { return s == -1 || (std::isfinite(s) && s > 0 && s <= kMaxShift); }
bool validLatitude(double r) { return std::isfinite(r) && std::fabs(r) <= 90 * kDegree; }
bool validLongitude(double r) { return std::isfinite(r) && std::fabs(r) <= 180 * kDegree; }

ccs::HeightType::Enum heightTypeFor37(int heightType) {
  switch (heightType) {
    case kEllipsoidHeight: return ccs::HeightType::ellipsoidHeight;
    case kGeoidHeight: return ccs::HeightType::EGM96FifteenMinBilinear;
    default: return ccs::HeightType::noHeight;
  }
}

Parameters defaultParameters(int type) {
  Parameters p;
  switch (type) {
    case kAlbers:
    case kLambert:
      p.originLatitude = 45 * kDegree;
      p.standardParallel1 = 40 * kDegree;
      p.standardParallel2 = 50 * kDegree;
      break;
    case kPolarStereographic: p.originLatitude = 90 * kDegree; break;
    default: break;
  }
  return p;
}

std::unique_ptr<ccs::CoordinateSystemParameters> parametersFor37(int type, const Parameters& p) {
  const CT::Enum t = kSystems[type].type;
  switch (type) {
    case kGeodetic:
      return std::make_unique<ccs::GeodeticParameters>(t, heightTypeFor37(p.heightType));
    case kLocalCartesian:
      return std::make_unique<ccs::LocalCartesianParameters>(t, p.centralMeridian, p.originLatitude,
                                                              p.originHeight, p.orientation);
    case kUtm: return std::make_unique<ccs::UTMParameters>(t, p.zone, p.zoneOverride);
    case kAlbers:
    case kLambert:
      return std::make_unique<ccs::MapProjection6Parameters>(
          t, p.centralMeridian, p.originLatitude, p.standardParallel1, p.standardParallel2,
          p.falseEasting, p.falseNorthing);
    case kBonne:
    case kCassini:
    case kCylindricalEqualArea:
    case kOrthographic:
    case kPolyconic:
      return std::make_unique<ccs::MapProjection4Parameters>(t, p.centralMeridian, p.originLatitude,
                                                             p.falseEasting, p.falseNorthing);
    case kEckert4:
    case kEckert6:
    case kMiller:
    case kMollweide:
    case kSinusoidal:
    case kVanDerGrinten:
      return std::make_unique<ccs::MapProjection3Parameters>(t, p.centralMeridian, p.falseEasting,
                                                             p.falseNorthing);
    case kEquidistantCylindrical:
      return std::make_unique<ccs::EquidistantCylindricalParameters>(
          t, p.centralMeridian, p.originLatitude, p.falseEasting, p.falseNorthing);
    case kMercator:
      return std::make_unique<ccs::MercatorStandardParallelParameters>(
          t, p.centralMeridian, p.originLatitude, p.scaleFactor, p.falseEasting, p.falseNorthing);
    case kPolarStereographic:
      return std::make_unique<ccs::PolarStereographicStandardParallelParameters>(
          t, p.centralMeridian, p.originLatitude, p.falseEasting, p.falseNorthing);
    case kTransverseCylindricalEqualArea:
    case kTransverseMercator:
      return std::make_unique<ccs::MapProjection5Parameters>(
          t, p.centralMeridian, p.originLatitude, p.scaleFactor, p.falseEasting, p.falseNorthing);
    default: return std::make_unique<ccs::CoordinateSystemParameters>(t);
  }
}

std::unique_ptr<ccs::CoordinateTuple> tupleFor37(int type, int precision) {
  const CT::Enum t = kSystems[type].type;
  const auto digits = static_cast<ccs::Precision::Enum>(precision);
  switch (type) {
    case kGeodetic: return std::make_unique<ccs::GeodeticCoordinates>(t);
    case kGeocentric:
    case kLocalCartesian: return std::make_unique<ccs::CartesianCoordinates>(t);
    case kGeoref: return std::make_unique<ccs::GEOREFCoordinates>(t, "", digits);
    case kMgrs: return std::make_unique<ccs::MGRSorUSNGCoordinates>(t, "", digits);
    case kUtm: return std::make_unique<ccs::UTMCoordinates>(t);
    case kUps: return std::make_unique<ccs::UPSCoordinates>(t);
    default: return std::make_unique<ccs::MapProjectionCoordinates>(t);
  }
}

void storeInput(int type, const Coordinates& c, ccs::CoordinateTuple* tuple) {
  switch (type) {
    case kGeodetic:
      static_cast<ccs::GeodeticCoordinates*>(tuple)->set(c.longitude, c.latitude, c.height);
      break;
    case kGeocentric:
    case kLocalCartesian: static_cast<ccs::CartesianCoordinates*>(tuple)->set(c.x, c.y, c.z); break;
    case kGeoref: {
      char text[kGridTextLength + 1];
      copyBounded(text, c.text, kGridTextLength);
      static_cast<ccs::GEOREFCoordinates*>(tuple)->set(text);
      break;
    }
    case kMgrs: {
      char text[kGridTextLength + 1];
      copyBounded(text, c.text, kGridTextLength);
      static_cast<ccs::MGRSorUSNGCoordinates*>(tuple)->set(text);
      break;
    }
    case kUtm:
      static_cast<ccs::UTMCoordinates*>(tuple)->set(c.zone, c.hemisphere, c.easting, c.northing);
      break;
    case kUps: static_cast<ccs::UPSCoordinates*>(tuple)->set(c.hemisphere, c.easting, c.northing); break;
    default: static_cast<ccs::MapProjectionCoordinates*>(tuple)->set(c.easting, c.northing); break;
  }
}

void loadOutput(int type, ccs::CoordinateTuple* tuple, Coordinates& c) {
  switch (type) {
    case kGeodetic: {
      auto* g = static_cast<ccs::GeodeticCoordinates*>(tuple);
      c.longitude = g->longitude();
      c.latitude = g->latitude();
      c.height = g->height();
      break;
    }
    case kGeocentric:
    case kLocalCartesian: {
      auto* x = static_cast<ccs::CartesianCoordinates*>(tuple);
      c.x = x->x();
      c.y = x->y();
      c.z = x->z();
      break;
    }
    case kGeoref: {
      const char* s = static_cast<ccs::GEOREFCoordinates*>(tuple)->GEOREFString();
      copyBounded(c.text, std::string_view(s, strnlen(s, kGridTextLength)), kGridTextLength);
      break;
    }
    case kMgrs: {
      const char* s = static_cast<ccs::MGRSorUSNGCoordinates*>(tuple)->MGRSString();
      copyBounded(c.text, std::string_view(s, strnlen(s, kGridTextLength)), kGridTextLength);
      break;
    }
    case kUtm: {
      auto* u = static_cast<ccs::UTMCoordinates*>(tuple);
      c.zone = u->zone();
      c.hemisphere = u->hemisphere();
      c.easting = u->easting();
      c.northing = u->northing();
      break;
    }
    case kUps: {
      auto* u = static_cast<ccs::UPSCoordinates*>(tuple);
      c.hemisphere = u->hemisphere();
      c.easting = u->easting();
      c.northing = u->northing();
      break;
    }
    default: {
      auto* m = static_cast<ccs::MapProjectionCoordinates*>(tuple);
      c.easting = m->easting();
      c.northing = m->northing();
      break;
    }
  }
}

// 3.7 never reports minutes beyond 60 in a GEOREF text (it calls the whole
// text invalid), so the digits are read here: after the four letters come
// equally many digits for longitude and latitude, minutes first.
long georefMinuteBits(std::string_view text) {
  text = trim(text);
  if (text.size() < 4) return 0;
  std::string_view digits = text.substr(4);
  if (digits.size() < 4 || digits.size() % 2 != 0 ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
    return 0;
  const std::size_t half = digits.size() / 2;
  auto minutes = [](std::string_view d) { return (d[0] - '0') * 10 + (d[1] - '0'); };
  long bits = 0;
  if (minutes(digits.substr(0, 2)) > 60) bits |= kGeorefLongitudeMinuteError;
  if (minutes(digits.substr(half, 2)) > 60) bits |= kGeorefLatitudeMinuteError;
  return bits;
}

// 3.7 aborts, faults or answers with garbage when a value it computes with
// is not a finite number, so such values never reach it. Each refused value
// marks its side with the bit of its field, or with words of its own where
// no bit stands for the field.
struct FiniteField {
  double value;
  long bit;
  const char* words = nullptr;
};

// Which parameter fields a system reads, as parametersFor37 passes them.
enum ParameterUse : unsigned {
  kUsesCentralMeridian = 1, kUsesOriginLatitude = 2, kUsesParallels = 4, kUsesScale = 8,
  kUsesFalseOrigin = 16, kUsesLocalOrigin = 32,
};

unsigned parameterUse(int type) {
  constexpr unsigned kMap3 = kUsesCentralMeridian | kUsesFalseOrigin;
  constexpr unsigned kMap4 = kMap3 | kUsesOriginLatitude;
  switch (type) {
    case kLocalCartesian: return kUsesCentralMeridian | kUsesOriginLatitude | kUsesLocalOrigin;
    case kAlbers:
    case kLambert: return kMap4 | kUsesParallels;
    case kBonne:
    case kCassini:
    case kCylindricalEqualArea:
    case kOrthographic:
    case kPolyconic:
    case kEquidistantCylindrical:
    case kPolarStereographic: return kMap4;
    case kEckert4:
    case kEckert6:
    case kMiller:
    case kMollweide:
    case kSinusoidal:
    case kVanDerGrinten: return kMap3;
    case kMercator:
    case kTransverseCylindricalEqualArea:
    case kTransverseMercator: return kMap4 | kUsesScale;
    default: return 0;
  }
}

constexpr double kTransverseMercatorWarningLimit = 9 * kDegree;

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

int loadFailureBits(const std::string& message) {
  std::string lower(message);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (lower.find("ellipsoid") != std::string::npos) return kEllipsoidFileError;
  if (lower.find("geoid") != std::string::npos) return kGeoidFileError;
  return kDatumError;
}

struct SideState {
  int type = kGeodetic;
  long datum = 1;
  Parameters parameters;
  Coordinates coordinates;
  long status = 0;
  long ownWords = 0;     // bits whose 3.7 words replace the bit's text
  std::string unmapped;  // 3.7 texts that no side bit words
  std::unique_ptr<ccs::CoordinateTuple> tuple;
};

struct Engine::State {
  // Read without the engine lock by callers that only want to know.
  std::atomic<bool> ready{false};
  std::unique_ptr<ccs::CoordinateConversionService> anchor;
  std::unique_ptr<ccs::CoordinateConversionService> service;
  std::unique_ptr<ccs::CoordinateConversionService> toGeodetic;
  bool dirty = true;
  int precision = 5;
  std::string tableDirectory;
  SideState sides[2];
  // Conversions run with unknown input errors, which spares 3.7 the error
  // propagation; the estimate of the last conversion is worked out only when
  // asked for, by converting its point again with exact input.
  ccs::Accuracy unknownAccuracy;
  ccs::Accuracy outputAccuracy;
  AccuracyEstimate lastAccuracy;
  bool accuracyPending = false;
  int pendingOutputType = kGeodetic;  // the output system the estimate is for

  SideState& side(Side s) { return sides[static_cast<int>(s)]; }
  const SideState& side(Side s) const { return sides[static_cast<int>(s)]; }

  // The tables as this process loaded them.
  std::string loadedDatums;
  std::string loadedEllipsoids;
  std::string datumTable() const { return realFile(joinPath(tableDirectory, "3_param.dat")); }
  std::string ellipsoidTable() const { return realFile(joinPath(tableDirectory, "ellips.dat")); }

  static std::string contentOf(const std::string& path) { return readFile(path).value_or(std::string()); }

  // Loads the tables afresh: 3.7 reads them only when its first service is
  // made, so every service goes first. False when 3.7 cannot load them; the
  // engine is then without tables until initialised again.
  bool loadTables() {
    settleAccuracy();
    accuracyPending = false;
    toGeodetic.reset();
    service.reset();
    anchor.reset();
    ccs::GeodeticParameters ellipsoidal(CT::geodetic, ccs::HeightType::ellipsoidHeight);
    try {
      anchor = std::make_unique<ccs::CoordinateConversionService>("WGE", &ellipsoidal, "WGE", &ellipsoidal);
    } catch (...) {
      ready.store(false, std::memory_order_release);
      return false;
    }
    rememberTables();
    dirty = true;
    return true;
  }

  void rememberTables() {
    loadedDatums = contentOf(datumTable());
    loadedEllipsoids = contentOf(ellipsoidTable());
  }

  // Another process may have defined datums or ellipsoids since this one
  // loaded the tables; a definition starts from the tables on disk so that
  // its rewrite keeps them. The caller holds the directory's table lock.
  bool followDisk() {
    recoverInterruptedDefinition(datumTable());
    recoverInterruptedDefinition(ellipsoidTable());
    if (contentOf(datumTable()) == loadedDatums && contentOf(ellipsoidTable()) == loadedEllipsoids) return true;
    return loadTables();
  }

  // Marks the input side with why a definition is refused.
  int refuseDefinition(const char* words) {
    SideState& in = side(Side::input);
    clear(in);
    in.unmapped = words;
    return kDatumError;
  }

  ccs::DatumLibrary* datums() const { return anchor->getDatumLibrary(); }
  ccs::EllipsoidLibrary* ellipsoids() const { return anchor->getEllipsoidLibrary(); }

  static void clear(SideState& s) {
    s.status = 0;
    s.ownWords = 0;
    s.unmapped.clear();
  }

  void clearStatus() {
    for (SideState& s : sides) clear(s);
  }

  // Marks the side for every field that is not finite; true when all are.
  static bool requireFinite(SideState& s, std::initializer_list<FiniteField> fields) {
    bool finite = true;
    for (const FiniteField& f : fields) {
      if (std::isfinite(f.value)) continue;
      finite = false;
      s.status |= f.bit;
      if (f.words != nullptr && s.unmapped.find(f.words) == std::string::npos) {
        if (!s.unmapped.empty()) s.unmapped += '\n';
        s.unmapped += f.words;
      }
    }
    return finite;
  }

  // The values of a point of the side's system.
  static bool finiteCoordinates(SideState& s) {
    const Coordinates& c = s.coordinates;
    switch (s.type) {
      case kGeodetic:
        return requireFinite(s, {{c.latitude, kLatitudeError}, {c.longitude, kLongitudeError},
                                 {c.height, 0, "Height out of range"}});
      case kGeocentric:
      case kLocalCartesian:
        return requireFinite(s, {{c.x, kEastingError}, {c.y, kNorthingError}, {c.z, 0, "Z out of range"}});
      case kGeoref:
      case kMgrs: return true;
      default: return requireFinite(s, {{c.easting, kEastingError}, {c.northing, kNorthingError}});
    }
  }

  // The parameters the side's system reads.
  static bool finiteParameters(SideState& s, int type, const Parameters& p) {
    const unsigned use = parameterUse(type);
    // Local Cartesian and Polar Stereographic read a longitude of origin
    // from the central-meridian field.
    const long meridianBit =
        type == kLocalCartesian || type == kPolarStereographic ? kOriginLongitudeError : kCentralMeridianError;
    bool finite = true;
    if (use & kUsesCentralMeridian) finite &= requireFinite(s, {{p.centralMeridian, meridianBit}});
    if (use & kUsesOriginLatitude) finite &= requireFinite(s, {{p.originLatitude, kOriginLatitudeError}});
    if (use & kUsesParallels)
      finite &= requireFinite(s, {{p.standardParallel1, kStandardParallel1Error},
                                  {p.standardParallel2, kStandardParallel2Error}});
    if (use & kUsesScale) finite &= requireFinite(s, {{p.scaleFactor, kScaleFactorError}});
    if (use & kUsesFalseOrigin)
      finite &= requireFinite(s, {{p.falseEasting, kEastingError}, {p.falseNorthing, kNorthingError}});
    if (use & kUsesLocalOrigin)
      finite &= requireFinite(s, {{p.originHeight, 0, "Origin height out of range"},
                                  {p.orientation, 0, "Orientation out of range"}});
    return finite;
  }

  // Spreads a 3.7 message over the two sides. A "Input <name>: " or
  // "Output <name>: " line selects the side of the lines after it; lines
  // before any such line belong to the side given.
  int absorb(const char* message, Side unprefixed, bool error) {
    SideState* current = &side(unprefixed);
    bool touched[2] = {false, false};
    std::string_view rest(message);
    while (!rest.empty()) {
      std::size_t end = rest.find('\n');
      std::string_view line = rest.substr(0, end);
      rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
      std::string_view t = trim(line);
      if (t.empty()) continue;
      if (t.back() == ':' && (t.starts_with("Input ") || t.starts_with("Output "))) {
        current = &side(t.starts_with("Input ") ? Side::input : Side::output);
        continue;
      }
      const MessageBit* m = messageBit(t);
      if (m != nullptr) current->status |= m->bit;
      if (m != nullptr && m->ownWords) current->ownWords |= m->bit;
      if (m == nullptr || m->ownWords) {
        if (!current->unmapped.empty()) current->unmapped += '\n';
        current->unmapped += t;
      }
      touched[current == &sides[1]] = true;
    }
    if (!touched[0] && !touched[1]) touched[static_cast<int>(unprefixed)] = true;
    int bits = 0;
    if (touched[0]) bits |= error ? kInputError : kInputWarning;
    if (touched[1]) bits |= error ? kOutputError : kOutputWarning;
    return bits;
  }

  bool datumCode(long index, char (&code)[32]) const {
    char name[64] = {}, ellipsoid[16] = {};
    try {
      datums()->getDatumInfo(index - 1, code, name, ellipsoid);
      return true;
    } catch (...) {
      return false;
    }
  }

  // The estimate of the last conversion, while its service and input tuple
  // are still those it used.
  void settleAccuracy() {
    if (!accuracyPending) return;
    accuracyPending = false;
    lastAccuracy = {};
    ccs::Accuracy exact(0, 0, 0), estimate;
    auto scratch = tupleFor37(pendingOutputType, precision);
    try {
      service->convertSourceToTarget(side(Side::input).tuple.get(), &exact, *scratch, estimate);
      lastAccuracy = {estimate.circularError90(), estimate.linearError90(), estimate.sphericalError90()};
    } catch (...) {
    }
  }

  // Builds the service for the present sides. On failure the old service
  // stays and the returned bits say which side refused.
  int rebuild(Side blamed) {
    settleAccuracy();
    char source[32] = {}, target[32] = {};
    if (!datumCode(side(Side::input).datum, source) || !datumCode(side(Side::output).datum, target))
      return kDatumError;
    auto sourceParameters = parametersFor37(side(Side::input).type, side(Side::input).parameters);
    auto targetParameters = parametersFor37(side(Side::output).type, side(Side::output).parameters);
    try {
      service = std::make_unique<ccs::CoordinateConversionService>(
          source, sourceParameters.get(), target, targetParameters.get());
    } catch (ccs::CoordinateConversionException& e) {
      return absorb(e.getMessage(), blamed, true);
    } catch (const std::exception& e) {
      return absorb(e.what(), blamed, true);
    } catch (...) {
      return blamed == Side::input ? kInputError : kOutputError;
    }
    side(Side::input).tuple = tupleFor37(side(Side::input).type, precision);
    side(Side::output).tuple = tupleFor37(side(Side::output).type, precision);
    buildToGeodetic();
    dirty = false;
    return 0;
  }

  // Checks that 3.7 makes badly or not at all, before it sees the point.
  int checkInput() {
    SideState& in = side(Side::input);
    const Coordinates& c = in.coordinates;
    switch (in.type) {
      case kGeodetic:
        if (!(c.latitude >= -90 * kDegree && c.latitude <= 90 * kDegree)) in.status |= kLatitudeError;
        if (!(c.longitude >= -180 * kDegree && c.longitude <= 360 * kDegree)) in.status |= kLongitudeError;
        break;
      case kGeoref: in.status |= georefMinuteBits(c.text); break;
      default: break;
    }
    finiteCoordinates(in);
    return in.status != 0 || !in.unmapped.empty() ? kInputError : 0;
  }

  // 3.7's Transverse Mercator stays silent far from the central meridian;
  // the warning is given here from the point's geodetic longitude, which a
  // geodetic other side holds and which is worked out from the Transverse
  // Mercator side's own point otherwise.
  int transverseMercatorWarning() {
    Side warned;
    if (side(Side::output).type == kTransverseMercator) {
      warned = Side::output;
    } else if (side(Side::input).type == kTransverseMercator) {
      warned = Side::input;
    } else {
      return 0;
    }
    const SideState& other = side(warned == Side::output ? Side::input : Side::output);
    double longitude = 0;
    if (other.type == kGeodetic) {
      longitude = other.coordinates.longitude;
    } else if (!transverseMercatorLongitude(warned, &longitude)) {
      return 0;
    }
    double delta = std::remainder(longitude - side(warned).parameters.centralMeridian, 2 * std::numbers::pi);
    if (std::fabs(delta) <= kTransverseMercatorWarningLimit) return 0;
    side(warned).status |= kLongitudeWarning;
    return warned == Side::input ? kInputWarning : kOutputWarning;
  }

  // The geodetic longitude of the Transverse Mercator side's point.
  bool transverseMercatorLongitude(Side tm, double* longitude) {
    if (!toGeodetic) return false;
    ccs::GeodeticCoordinates geodetic(CT::geodetic);
    ccs::Accuracy unknown, estimate;
    try {
      toGeodetic->convertSourceToTarget(side(tm).tuple.get(), &unknown, geodetic, estimate);
    } catch (...) {
      return false;
    }
    *longitude = geodetic.longitude();
    return std::isfinite(*longitude);
  }

  // A service from a Transverse Mercator side to geodetic coordinates on the
  // same datum, for the distortion warning when the other side is neither.
  void buildToGeodetic() {
    toGeodetic.reset();
    const Side tm = side(Side::output).type == kTransverseMercator ? Side::output : Side::input;
    const Side other = tm == Side::output ? Side::input : Side::output;
    if (side(tm).type != kTransverseMercator || side(other).type == kGeodetic) return;
    char datum[32] = {};
    if (!datumCode(side(tm).datum, datum)) return;
    auto from = parametersFor37(kTransverseMercator, side(tm).parameters);
    ccs::GeodeticParameters to(CT::geodetic, ccs::HeightType::noHeight);
    try {
      toGeodetic = std::make_unique<ccs::CoordinateConversionService>(datum, from.get(), datum, &to);
    } catch (...) {
    }
  }
};

Engine& Engine::instance() {
  static Engine engine;
  return engine;
}

Engine::Engine() : state_(std::make_unique<State>()) {}
Engine::~Engine() = default;

bool Engine::initialized() const { return state_->ready.load(std::memory_order_acquire); }

int Engine::initialize() {
  State& s = *state_;
  if (s.anchor) return 0;
  const char* datumDir = std::getenv("DATUM_DATA");
  const char* ellipsoidDir = std::getenv("ELLIPSOID_DATA");
  const char* geoidDir = std::getenv("GEOID_DATA");
  if (datumDir != nullptr) recoverInterruptedDefinition(joinPath(datumDir, "3_param.dat"));
  if (ellipsoidDir != nullptr) recoverInterruptedDefinition(joinPath(ellipsoidDir, "ellips.dat"));
  // 3.7 names only the first file it misses; each group is looked at here so
  // that all missing groups are reported together.
  int bits = 0;
  if (ellipsoidDir == nullptr || !readable(joinPath(ellipsoidDir, "ellips.dat")))
    bits |= kEllipsoidFileError;
  if (datumDir == nullptr || !readable(joinPath(datumDir, "3_param.dat")) ||
      !readable(joinPath(datumDir, "7_param.dat")))
    bits |= kDatumError;
  if (geoidDir == nullptr || !readable(joinPath(geoidDir, "egm96.grd"))) bits |= kGeoidFileError;
  if (bits != 0) return bits;

  s.tableDirectory = datumDir;
  if (!linkInto(s.tableDirectory, ellipsoidDir, "ellips.dat")) bits |= kEllipsoidFileError;
  if (!linkInto(s.tableDirectory, geoidDir, "egm96.grd")) bits |= kGeoidFileError;
  if (bits != 0) return bits;
  // Unset, 3.7 does not start at all; set to the table directory, it finds
  // every file there. The legacy switch would move geodetic results by
  // millimetres and is kept out.
  ::setenv("MSPCCS_DATA", s.tableDirectory.c_str(), 1);
  ::unsetenv("MSPCCS_USE_LEGACY_GEOTRANS");

  ccs::GeodeticParameters ellipsoidal(CT::geodetic, ccs::HeightType::ellipsoidHeight);
  ccs::GeodeticParameters meanSeaLevel(CT::geodetic, ccs::HeightType::EGM96FifteenMinBilinear);
  try {
    // The anchor keeps 3.7's tables loaded for the life of the process, so
    // that rebuilding the working service does not reread the files.
    s.anchor = std::make_unique<ccs::CoordinateConversionService>("WGE", &ellipsoidal, "WGE", &ellipsoidal);
    // A missing or broken EGM96 grid only shows when it is used.
    ccs::CoordinateConversionService probe("WGE", &ellipsoidal, "WGE", &meanSeaLevel);
    ccs::GeodeticCoordinates in(CT::geodetic, 0.0, 0.0, 0.0), out(CT::geodetic);
    ccs::Accuracy inAccuracy, outAccuracy;
    try {
      probe.convertSourceToTarget(&in, &inAccuracy, out, outAccuracy);
    } catch (...) {
      s.anchor.reset();
      return kGeoidFileError;
    }
  } catch (ccs::CoordinateConversionException& e) {
    s.anchor.reset();
    return loadFailureBits(e.getMessage());
  } catch (const std::exception& e) {
    s.anchor.reset();
    return loadFailureBits(e.what());
  } catch (...) {
    s.anchor.reset();
    return kDatumError;
  }
  for (SideState& side : s.sides) {
    side = SideState{};
    side.parameters = defaultParameters(kGeodetic);
  }
  s.rememberTables();
  s.dirty = true;
  s.lastAccuracy = {};
  s.ready.store(true, std::memory_order_release);
  return 0;
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

int Engine::setSystem(Side side, int type) {
  if (!initialized()) return kNotInitialized;
  if (type < 0 || type >= kSystemCount) return kInvalidType;
  SideState& s = state_->side(side);
  s.type = type;
  s.parameters = defaultParameters(type);
  s.coordinates = Coordinates{};
  state_->dirty = true;
  return 0;
}

int Engine::system(Side side, int* type) const {
  if (!initialized()) return kNotInitialized;
  *type = state_->side(side).type;
  return 0;
}

int Engine::setDatum(Side side, long index) {
  if (!initialized()) return kNotInitialized;
  long count = 0;
  datumCount(&count);
  if (index < 1 || index > count) return kInvalidIndex;
  state_->side(side).datum = index;
  state_->dirty = true;
  return 0;
}

int Engine::setParameters(Side side, int type, const Parameters& parameters) {
  if (!initialized()) return kNotInitialized;
  SideState& s = state_->side(side);
  if (type != s.type) return kInvalidType;
  State::clear(s);
  if (!State::finiteParameters(s, type, parameters)) return side == Side::input ? kInputError : kOutputError;
  Parameters previous = s.parameters;
  s.parameters = parameters;
  // 3.7 checks parameters only when a service is built; build one now so
  // that a bad value is refused here and the side keeps its old values.
  int bits = state_->rebuild(side);
  if (bits != 0) {
    s.parameters = previous;
    state_->dirty = true;
  }
  return bits;
}

int Engine::parameters(Side side, Parameters* parameters) const {
  if (!initialized()) return kNotInitialized;
  *parameters = state_->side(side).parameters;
  return 0;
}

int Engine::setPrecision(int precision) {
  if (!initialized()) return kNotInitialized;
  if (precision < 0 || precision > 5) return kPrecisionError;
  if (precision != state_->precision) {
    state_->precision = precision;
    state_->dirty = true;
  }
  return 0;
}

int Engine::setInputCoordinates(const Coordinates& coordinates) {
  if (!initialized()) return kNotInitialized;
  state_->side(Side::input).coordinates = coordinates;
  return 0;
}

int Engine::outputCoordinates(const Coordinates** coordinates) const {
  if (!initialized()) return kNotInitialized;
  *coordinates = &state_->side(Side::output).coordinates;
  return 0;
}

int Engine::convert() {
  if (!initialized()) return kNotInitialized;
  State& s = *state_;
  s.clearStatus();
  s.accuracyPending = false;
  s.lastAccuracy = {};
  if (int bits = s.checkInput(); bits != 0) return bits;
  if (s.dirty) {
    if (int bits = s.rebuild(Side::input); bits != 0) return bits;
  }
  SideState& in = s.side(Side::input);
  SideState& out = s.side(Side::output);
  if (in.type == kGeoref || in.type == kMgrs) {
    if (strnlen(in.coordinates.text, sizeof in.coordinates.text) > kGridTextLength) {
      in.status |= in.type == kMgrs ? kMgrsStringError : kGeorefStringError;
      return kInputError;
    }
  }
  storeInput(in.type, in.coordinates, in.tuple.get());
  // 3.7 leaves the texts of the previous conversion in a reused tuple.
  out.tuple->setWarningMessage("");
  out.tuple->setErrorMessage("");
  try {
    s.service->convertSourceToTarget(in.tuple.get(), &s.unknownAccuracy, *out.tuple, s.outputAccuracy);
  } catch (ccs::CoordinateConversionException& e) {
    return s.absorb(e.getMessage(), Side::input, true);
  } catch (const std::exception& e) {
    return s.absorb(e.what(), Side::input, true);
  } catch (...) {
    return kInputError;
  }
  int bits = 0;
  if (const char* warning = out.tuple->warningMessage(); warning[0] != '\0')
    bits |= s.absorb(warning, Side::input, false);
  loadOutput(out.type, out.tuple.get(), out.coordinates);
  // A result that is not a number is no result, whatever 3.7 says of it.
  if (!State::finiteCoordinates(out)) return bits | kOutputError;
  bits |= s.transverseMercatorWarning();
  s.accuracyPending = true;
  s.pendingOutputType = out.type;
  return bits;
}

int Engine::conversionStatus(Side side, long* status) const {
  if (!initialized()) return kNotInitialized;
  *status = state_->side(side).status;
  return 0;
}

int Engine::conversionText(Side side, const char* separator, std::string* text) const {
  if (!initialized()) return kNotInitialized;
  const SideState& s = state_->side(side);
  text->clear();
  if (s.status == 0 && s.unmapped.empty()) return 0;
  *text = side == Side::input ? "Input " : "Output ";
  *text += kSystems[s.type].name;
  *text += ":";
  for (const SideText& t : kSideTexts) {
    if (s.status & ~s.ownWords & t.bit) {
      *text += separator;
      *text += t.text;
    }
  }
  std::string_view rest(s.unmapped);
  while (!rest.empty()) {
    std::size_t end = rest.find('\n');
    *text += separator;
    *text += rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  }
  return 0;
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

int Engine::accuracy(AccuracyEstimate* estimate) {
  if (!initialized()) return kNotInitialized;
  state_->settleAccuracy();
  *estimate = state_->lastAccuracy;
  return 0;
}

int Engine::datumCount(long* count) const {
  if (!initialized()) return kNotInitialized;
  long n = 0;
  state_->datums()->getDatumCount(&n);
  *count = n;
  return 0;
}

int Engine::datumCode(long index, char* code) const {
  if (!initialized()) return kNotInitialized;
  char buffer[32] = {};
  if (!state_->datumCode(index, buffer)) return kDatumError | kInvalidIndex;
  copyBounded(code, buffer, kDatumCodeLength);
  return 0;
}

int Engine::datumName(long index, char* name) const {
  if (!initialized()) return kNotInitialized;
  char code[32] = {}, buffer[64] = {}, ellipsoid[16] = {};
  try {
    state_->datums()->getDatumInfo(index - 1, code, buffer, ellipsoid);
  } catch (...) {
    return kDatumError | kInvalidIndex;
  }
  copyBounded(name, trim(buffer), kDatumNameLength);
  return 0;
}

int Engine::datumIndex(const char* code, long* index) const {
  if (!initialized()) return kNotInitialized;
  std::optional<std::string> c = codeFor37(code, kDatumCodeLength);
  if (!c) return kDatumError;
  long i = 0;
  try {
    state_->datums()->getDatumIndex(c->c_str(), &i);
  } catch (...) {
    return kDatumError;
  }
  *index = i + 1;
  return 0;
}

int Engine::datumEllipsoidCode(long index, char* code) const {
  if (!initialized()) return kNotInitialized;
  char datum[32] = {}, name[64] = {}, buffer[16] = {};
  try {
    state_->datums()->getDatumInfo(index - 1, datum, name, buffer);
  } catch (...) {
    return kDatumError | kInvalidIndex;
  }
  copyBounded(code, buffer, kEllipsoidCodeLength);
  return 0;
}

int Engine::defineDatum(const char* code, const char* name, const char* ellipsoidCode, double dx,
                        double dy, double dz, double sx, double sy, double sz, double south,
                        double north, double west, double east) {
  if (!initialized()) return kNotInitialized;
  State& s = *state_;
  // 3.7 aborts the process on an over-long name and loses the table on a
  // name it cannot read back; such definitions never reach it.
  std::optional<std::string> c = codeFor37(code, kDatumCodeLength);
  std::optional<std::string> e = codeFor37(ellipsoidCode, kEllipsoidCodeLength);
  if (!c || !e || !storable(*c, kDatumCodeLength, false) || name == nullptr ||
      !storable(std::string_view(name, strnlen(name, kDatumNameLength + 1)), kDatumNameLength, true))
    return kDatumError;
  // A value that is no number would be written into the table and make
  // every later conversion on the datum fail or crash.
  if (!validShift(dx) || !validShift(dy) || !validShift(dz))
    return s.refuseDefinition("Datum shift must be a finite number of at most 100 km");
  if (!validSigma(sx) || !validSigma(sy) || !validSigma(sz))
    return s.refuseDefinition("Standard error values must be positive, or -1 if unknown");
  if (!validLatitude(south) || !validLatitude(north) || !validLongitude(west) || !validLongitude(east))
    return s.refuseDefinition("Invalid local datum domain of validity");
  if (!s.followDisk()) return kDatumError;
  TableGuard guard(s.datumTable());
  if (!guard.saved()) return kDatumError;
  long countBefore = 0;
  s.datums()->getDatumCount(&countBefore);
  try {
    s.datums()->defineDatum(0, c->c_str(), name, e->c_str(), dx, dy, dz, sx, sy, sz, west, east,
                            south, north, 0, 0, 0, 1.0);
    // 3.7 has rewritten every line in whole units; the table becomes the
    // one it was plus the new line, and is loaded again so that this
    // process converts with what every later one reads.
    const std::string line = datumLine(*c, name, *e, dx, dy, dz, sx, sy, sz, south, north, west, east);
    if (writeFileAtomically(guard.table(), withLine(guard.content(), line))) {
      guard.keep();
      return s.loadTables() ? 0 : kDatumError;
    }
  } catch (ccs::CoordinateConversionException& ex) {
    State::clear(s.side(Side::input));
    s.absorb(ex.getMessage(), Side::input, true);
  } catch (...) {
  }
  // 3.7 keeps a definition in memory even when it cannot write the table.
  long countAfter = 0;
  s.datums()->getDatumCount(&countAfter);
  if (countAfter > countBefore) {
    try {
      s.datums()->removeDatum(c->c_str());
    } catch (...) {
    }
  }
  return kDatumError;
}

const std::string& Engine::tableDirectory() const { return state_->tableDirectory; }

int Engine::ellipsoidCount(long* count) const {
  if (!initialized()) return kNotInitialized;
  long n = 0;
  state_->ellipsoids()->getEllipsoidCount(&n);
  *count = n;
  return 0;
}

int Engine::ellipsoidCode(long index, char* code) const {
  if (!initialized()) return kNotInitialized;
  char buffer[16] = {}, name[64] = {};
  try {
    state_->ellipsoids()->getEllipsoidInfo(index - 1, buffer, name);
  } catch (...) {
    return kDatumError | kInvalidIndex;
  }
  copyBounded(code, buffer, kEllipsoidCodeLength);
  return 0;
}

int Engine::ellipsoidName(long index, char* name) const {
  if (!initialized()) return kNotInitialized;
  char code[16] = {}, buffer[64] = {};
  try {
    state_->ellipsoids()->getEllipsoidInfo(index - 1, code, buffer);
  } catch (...) {
    return kDatumError | kInvalidIndex;
  }
  copyBounded(name, trim(buffer), kEllipsoidNameLength);
  return 0;
}

int Engine::ellipsoidIndex(const char* code, long* index) const {
  if (!initialized()) return kNotInitialized;
  std::optional<std::string> c = codeFor37(code, kEllipsoidCodeLength);
  if (!c) return kDatumError;
  long i = 0;
  try {
    state_->ellipsoids()->getEllipsoidIndex(c->c_str(), &i);
  } catch (...) {
    return kDatumError;
  }
  *index = i + 1;
  return 0;
}

int Engine::defineEllipsoid(const char* code, const char* name, double semiMajor, double semiMinor) {
  if (!initialized()) return kNotInitialized;
  State& s = *state_;
  SideState& in = s.side(Side::input);
  State::clear(in);
  if (!(std::isfinite(semiMajor) && semiMajor >= kMinSemiMajorAxis && semiMajor <= kMaxSemiMajorAxis))
    in.status |= kSemiMajorAxisError;
  if (!(std::isfinite(semiMinor) && semiMinor > 0)) in.status |= kSemiMinorAxisError;
  if (!(semiMajor > semiMinor)) in.status |= kAxisOrderError;
  if (in.status != 0) return kDatumError;
  // A name of 29 characters or more fills 3.7's fixed-width column and reads
  // back as a second, phantom ellipsoid.
  std::optional<std::string> c = codeFor37(code, kEllipsoidCodeLength);
  if (!c || c->size() != kEllipsoidCodeLength || !storable(*c, kEllipsoidCodeLength, false) ||
      name == nullptr ||
      !storable(std::string_view(name, strnlen(name, kEllipsoidNameLength)), kEllipsoidNameLength - 1, true))
    return kDatumError;
  if (!s.followDisk()) return kDatumError;
  TableGuard guard(s.ellipsoidTable());
  if (!guard.saved()) return kDatumError;
  long countBefore = 0;
  s.ellipsoids()->getEllipsoidCount(&countBefore);
  try {
    s.ellipsoids()->defineEllipsoid(c->c_str(), name, semiMajor, (semiMajor - semiMinor) / semiMajor);
    // As for datums: the table it was plus the new line, loaded again.
    std::string upper = *c;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::toupper(ch)); });
    const std::string line = ellipsoidLine(upper, name, semiMajor, semiMinor);
    if (writeFileAtomically(guard.table(), withLine(guard.content(), line))) {
      guard.keep();
      return s.loadTables() ? 0 : kDatumError;
    }
  } catch (ccs::CoordinateConversionException& ex) {
    s.absorb(ex.getMessage(), Side::input, true);
  } catch (...) {
  }
  long countAfter = 0;
  s.ellipsoids()->getEllipsoidCount(&countAfter);
  if (countAfter > countBefore) {
    try {
      s.ellipsoids()->removeEllipsoid(c->c_str());
    } catch (...) {
    }
  }
  return kDatumError;
}

}  // namespace gxr::engine
