// gxr: coordinate conversion, catalogues and distances from the command line,
// through the library's public interface only.
#include <gxr/gxr.h>

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "angle_text.hpp"

namespace {

using gxr_tool::Angle;
using gxr_tool::AngleStyle;
using gxr_tool::Axis;

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// Decimals a user may ask for: beyond these a double carries no more digits.
constexpr int kMaxAngleDigits = 12;
constexpr int kMaxLengthDigits = 9;
// The digits of MGRS and GEOREF texts the engine supports.
constexpr int kMaxGridDigits = 5;

using Arguments = std::vector<std::string>;

struct Command {
  const char* name;
  const char* synopsis;
  const char* help;
  int (*run)(const Arguments&);
};

const char* const kEnvironment =
    "Environment: USER_DATA (a writable folder for the per-user tables, required)\n"
    "and GXR_DATA_DIR or DTCC_DATA_DIR (the engine's data files, required; on\n"
    "Debian /usr/share/geotranz/data).\n";

const char* const kConvertHelp =
    "Converts one point given on the command line, or one point per line of\n"
    "standard input (fields separated by blanks or commas; the output uses the\n"
    "input's separator; lines starting with # are skipped).\n"
    "\n"
    "  -s SYSTEM, -t SYSTEM  source and target systems by two-letter code\n"
    "                        (gxr systems); default GD\n"
    "  -S DATUM, -T DATUM    source and target datums by code (gxr datums);\n"
    "                        default WGE\n"
    "  -p KEY=VALUE,...      parameters of the source system\n"
    "  -q KEY=VALUE,...      parameters of the target system\n"
    "  -d                    geodetic output in degrees, minutes and seconds\n"
    "                        with hemisphere letters (38d30'15.500\"N)\n"
    "  -:                    geodetic output in degrees:minutes:seconds\n"
    "  -a DIGITS             decimals of output angles (of the degrees, or of\n"
    "                        the seconds with -d and -:), 0 to 12; default 9,\n"
    "                        3 for seconds\n"
    "  -l DIGITS             decimals of output metres, 0 to 9; default 3,\n"
    "                        4 for GC and LC\n"
    "  -g DIGITS             digits of MG and GE output, 0 to 5; default 5\n"
    "\n"
    "Points:  GD    latitude longitude [height in whole metres]\n"
    "         GC LC x y z\n"
    "         UT    zone hemisphere easting northing (or 18N easting northing)\n"
    "         UP    hemisphere easting northing\n"
    "         MG GE the grid reference text\n"
    "         other systems: easting northing\n"
    "Angles are decimal degrees (-77.5), degrees-minutes-seconds (77d30'W,\n"
    "77d30'0\"W, 77:30:00) or carry a hemisphere letter before or after\n"
    "(77.5W, W77.5); with letters, latitude and longitude may come in either\n"
    "order.\n"
    "\n"
    "Parameter keys (each system takes only its own; gxr systems lists them):\n"
    "  lat0 lon0      origin latitude, central meridian (angles)\n"
    "  lat1 lat2      standard parallels (angles)\n"
    "  lat_ts         latitude of true scale (CP, PG)\n"
    "  x0 y0          false easting and northing (metres)\n"
    "  k              scale factor\n"
    "  h0 orient      origin height (metres) and orientation (angle) of LC\n"
    "  zone override  UTM zone 1 to 60, used with override=1 only\n"
    "  height         GD heights: none, ellipsoid or msl\n"
    "\n"
    "A point the library warns about (outside the datum's area, far from a\n"
    "central meridian) converts and the warning goes to standard error. A\n"
    "point that fails prints * and the reason on standard error; the exit\n"
    "status is then 1 (2 for a usage error).\n"
    "\n"
    "Examples:\n"
    "  gxr convert -t UT 38 -77                    Geodetic to UTM, WGS 84\n"
    "  gxr convert -t UT 38d30'15.5\"N 77d0'30\"W\n"
    "  gxr convert -s MG -d 18SUH2439607702         MGRS to degrees-minutes-seconds\n"
    "  gxr convert -t MG -g 3 38 -77              MGRS with 3 digits\n"
    "  gxr convert -T NAS-C 38 -77 0               datum shift WGE -> NAS-C\n"
    "  gxr convert -t UT -q zone=17,override=1 38 -77\n"
    "  gxr convert -t LE -q lat0=39,lon0=-96,lat1=33,lat2=45 38 -77\n"
    "  gxr convert -t UT < points.csv\n";

const char* const kSystemsHelp =
    "Lists the coordinate systems: type number, code, name and the parameter\n"
    "keys the system takes.\n"
    "\n"
    "Example:\n"
    "  gxr systems\n";

const char* const kDatumsHelp =
    "Lists the datums: code, ellipsoid code and name, user datums included.\n"
    "\n"
    "Example:\n"
    "  gxr datums | grep NAS\n";

const char* const kEllipsoidsHelp =
    "Lists the ellipsoids: code and name, user ellipsoids included.\n"
    "\n"
    "Example:\n"
    "  gxr ellipsoids\n";

const char* const kDistanceHelp =
    "Prints the distance in metres between two points by every method, or by\n"
    "one. Angles as for gxr convert; heights in whole metres.\n"
    "\n"
    "  -m METHOD   great-circle, rhumb, straight (the chord, heights included)\n"
    "              or geodesic\n"
    "  -e MODEL    earth model 1 to 23; default 3, WGS 84\n"
    "  -l DIGITS   decimals of the metres, 0 to 9; default 3\n"
    "\n"
    "The geodesic needs the longitudes less than 180 degrees apart, and does\n"
    "not settle for nearly antipodal points; both are reported as such.\n"
    "\n"
    "Examples:\n"
    "  gxr distance 38 -77 51.4778 -0.0015\n"
    "  gxr distance -m geodesic 38d53'N 77d02'W 51d28'40\"N 0d0'5\"W\n"
    "  gxr distance -m straight 38 -77 38.1 -77 0 1000\n";

const char* const kHelpHelp =
    "Shows the commands, or one command's options and examples.\n"
    "\n"
    "Example:\n"
    "  gxr help convert\n";

int runConvert(const Arguments& args);
int runSystems(const Arguments& args);
int runDatums(const Arguments& args);
int runEllipsoids(const Arguments& args);
int runDistance(const Arguments& args);
int runHelp(const Arguments& args);

const Command kCommands[] = {
    {"convert", "gxr convert [-s SYSTEM] [-t SYSTEM] [-S DATUM] [-T DATUM] [-p KEYS] [-q KEYS]\n"
                "            [-d | -:] [-a DIGITS] [-l DIGITS] [-g DIGITS] [COORDINATE...]",
     kConvertHelp, runConvert},
    {"systems", "gxr systems", kSystemsHelp, runSystems},
    {"datums", "gxr datums", kDatumsHelp, runDatums},
    {"ellipsoids", "gxr ellipsoids", kEllipsoidsHelp, runEllipsoids},
    {"distance", "gxr distance [-m METHOD] [-e MODEL] [-l DIGITS] LAT1 LON1 LAT2 LON2 [H1 H2]", kDistanceHelp,
     runDistance},
    {"help", "gxr help [COMMAND]", kHelpHelp, runHelp},
};

const Command* commandNamed(const std::string& name) {
  for (const Command& command : kCommands)
    if (name == command.name) return &command;
  return nullptr;
}

void printOverview(std::ostream& out) {
  out << "usage:";
  for (const Command& command : kCommands) out << (&command == kCommands ? " " : "       ") << command.synopsis << "\n";
  out << "       gxr --version\n\n"
         "gxr help COMMAND (or gxr COMMAND --help) shows a command's options and examples.\n\n"
      << kEnvironment;
}

void printCommandHelp(const Command& command) {
  std::cout << "usage: " << command.synopsis << "\n\n" << command.help << "\n" << kEnvironment;
}

int usage(const std::string& problem, const char* command = nullptr) {
  std::cerr << "gxr: " << problem << "\n(gxr help" << (command ? std::string(" ") + command : "")
            << " shows the usage)\n";
  return kExitUsage;
}

std::string statusText(int status) {
  char* text = nullptr;
  std::string result = std::to_string(status);
  if (GXR_ErrorGet(status, &text) == GXR_OK && text != nullptr) {
    result = text;
    GXR_PtrFree(reinterpret_cast<void**>(&text));
  }
  return result;
}

// The engine's texts are separated by carriage returns.
std::string oneLine(const char* text) {
  std::string s(text);
  for (char& c : s)
    if (c == '\r' || c == '\n') c = ' ';
  while (!s.empty() && s.back() == ' ') s.pop_back();
  while (!s.empty() && s.front() == ' ') s.erase(s.begin());
  return s;
}

void reportFailure(const std::string& where, int status, const GxrDiagnostic* diagnostic) {
  std::cerr << "gxr: " << where << statusText(status) << "\n";
  if (diagnostic == nullptr) return;
  for (const char* text : {diagnostic->inputText, diagnostic->outputText})
    if (text[0] != '\0') std::cerr << "gxr:   " << oneLine(text) << "\n";
}

// What the engine said about a point it still converted.
void reportWarnings(const std::string& where, const GxrDiagnostic& diagnostic) {
  const struct {
    int32_t status;
    const char* text;
  } sides[] = {{diagnostic.inputStatus, diagnostic.inputText}, {diagnostic.outputStatus, diagnostic.outputText}};
  for (const auto& side : sides)
    if (side.status != 0 && side.text[0] != '\0') std::cerr << "gxr: " << where << "warning: " << oneLine(side.text) << "\n";
}

std::optional<double> number(std::string_view token) {
  std::string s(token);
  char* end = nullptr;
  errno = 0;
  double value = std::strtod(s.c_str(), &end);
  if (s.empty() || *end != '\0' || errno == ERANGE || !std::isfinite(value)) return std::nullopt;
  return value;
}

// "-x" is an option; "-77", "-.5" and "-77d30'" are coordinates.
bool isOption(const std::string& a) {
  return a.size() > 1 && a[0] == '-' && !std::isdigit(static_cast<unsigned char>(a[1])) && a[1] != '.';
}

// A count of digits between 0 and max; the message names the flag.
std::optional<int> digitsOption(const std::string& flag, const std::string& text, int max, std::string* problem) {
  const std::optional<double> v = number(text);
  if (!v || *v != std::floor(*v) || *v < 0 || *v > max) {
    *problem = flag + " takes 0 to " + std::to_string(max) + " digits, not \"" + text + "\"";
    return std::nullopt;
  }
  return static_cast<int>(*v);
}

// ---------------------------------------------------------------- systems

// The parameter keys each system reads, by the library's type; the codes
// and names of the systems are the library's own (GXR_CoordinateSystemListGet).
struct SystemKeys {
  int type;
  const char* keys;
};
const SystemKeys kSystemKeys[] = {
    {GXR_CS_GEODETIC, "height"},
    {GXR_CS_LOCAL_CARTESIAN, "lat0 lon0 h0 orient"},
    {GXR_CS_UTM, "zone override"},
    {GXR_CS_ALBERS, "lat0 lon0 lat1 lat2 x0 y0"},
    {GXR_CS_BONNE, "lat0 lon0 x0 y0"},
    {GXR_CS_CASSINI, "lat0 lon0 x0 y0"},
    {GXR_CS_CYL_EQUAL_AREA, "lat0 lon0 x0 y0"},
    {GXR_CS_ECKERT4, "lon0 x0 y0"},
    {GXR_CS_ECKERT6, "lon0 x0 y0"},
    {GXR_CS_EQUIDISTANT_CYL, "lat_ts lat0 lon0 x0 y0"},
    {GXR_CS_LAMBERT, "lat0 lon0 lat1 lat2 x0 y0"},
    {GXR_CS_MERCATOR, "lat0 lon0 k x0 y0"},
    {GXR_CS_MILLER, "lon0 x0 y0"},
    {GXR_CS_MOLLWEIDE, "lon0 x0 y0"},
    {GXR_CS_ORTHOGRAPHIC, "lat0 lon0 x0 y0"},
    {GXR_CS_POLAR_STEREO, "lat_ts lat0 lon0 x0 y0"},
    {GXR_CS_POLYCONIC, "lat0 lon0 x0 y0"},
    {GXR_CS_SINUSOIDAL, "lon0 x0 y0"},
    {GXR_CS_TRANS_CYL_EQUAL_AREA, "lat0 lon0 k x0 y0"},
    {GXR_CS_TRANSVERSE_MERCATOR, "lat0 lon0 k x0 y0"},
    {GXR_CS_VAN_DER_GRINTEN, "lon0 x0 y0"},
};

// The keys of the type, empty for a system without parameters.
const char* systemKeys(int type) {
  for (const SystemKeys& k : kSystemKeys)
    if (k.type == type) return k.keys;
  return "";
}

// The library's catalogue: the code and name of each type, in type order.
struct System {
  std::string code, name;
};
using Catalogue = std::vector<System>;

// Reads the catalogue of the initialised library; reports a failure.
std::optional<Catalogue> readCatalogue() {
  GxrCoordSysList list{};
  GxrDiagnostic diagnostic{};
  const int status = GXR_CoordinateSystemListGet(&list, &diagnostic);
  Catalogue catalogue;
  for (int i = 0; i < list.count && status == GXR_OK; ++i) catalogue.push_back({list.codes[i], list.names[i]});
  for (int i = 0; i < GXR_COORD_SYSTEMS; ++i) {
    GXR_PtrFree(reinterpret_cast<void**>(&list.codes[i]));
    GXR_PtrFree(reinterpret_cast<void**>(&list.names[i]));
  }
  if (status != GXR_OK) {
    reportFailure("", status, &diagnostic);
    return std::nullopt;
  }
  return catalogue;
}

// The type of a system code, -1 when the catalogue has none such.
int systemType(const Catalogue& catalogue, const std::string& code) {
  for (std::size_t i = 0; i < catalogue.size(); ++i)
    if (strcasecmp(code.c_str(), catalogue[i].code.c_str()) == 0) return static_cast<int>(i);
  return -1;
}

bool takesKey(int type, const std::string& key) {
  std::istringstream keys(systemKeys(type));
  std::string k;
  while (keys >> k)
    if (k == key) return true;
  return false;
}

bool point3Kind(int type) {
  return type == GXR_CS_GEODETIC || type == GXR_CS_GEOCENTRIC || type == GXR_CS_LOCAL_CARTESIAN;
}

bool gridTextKind(int type) { return type == GXR_CS_MGRS || type == GXR_CS_GEOREF; }

// ------------------------------------------------------------- parameters

enum class KeyValue { angle, number, height };

struct ParameterKey {
  const char* name;
  KeyValue value;
  void (*set)(int type, GxrCoordParams& p, double v);
};

const ParameterKey kKeys[] = {
    // Polyconic carries its origin latitude in the scale-factor field.
    {"lat0", KeyValue::angle,
     [](int type, GxrCoordParams& p, double v) { (type == GXR_CS_POLYCONIC ? p.scaleFactor : p.originLatitude) = v; }},
    {"lat_ts", KeyValue::angle, [](int, GxrCoordParams& p, double v) { p.originLatitude = v; }},
    {"lon0", KeyValue::angle, [](int, GxrCoordParams& p, double v) { p.centralMeridian = v; }},
    {"x0", KeyValue::number, [](int, GxrCoordParams& p, double v) { p.falseEasting = v; }},
    {"y0", KeyValue::number, [](int, GxrCoordParams& p, double v) { p.falseNorthing = v; }},
    {"k", KeyValue::number, [](int, GxrCoordParams& p, double v) { p.scaleFactor = v; }},
    {"lat1", KeyValue::angle, [](int, GxrCoordParams& p, double v) { p.standardParallel1 = v; }},
    {"orient", KeyValue::angle, [](int, GxrCoordParams& p, double v) { p.standardParallel1 = v; }},
    {"lat2", KeyValue::angle, [](int, GxrCoordParams& p, double v) { p.standardParallel2 = v; }},
    {"h0", KeyValue::number, [](int, GxrCoordParams& p, double v) { p.standardParallel2 = v; }},
    {"zone", KeyValue::number, [](int, GxrCoordParams& p, double v) { p.zone = static_cast<int32_t>(v); }},
    // The record's height-type field is UTM's zone override.
    {"override", KeyValue::number, [](int, GxrCoordParams& p, double v) { p.heightType = static_cast<int32_t>(v); }},
    {"height", KeyValue::height, [](int, GxrCoordParams& p, double v) { p.heightType = static_cast<int32_t>(v); }},
};

const ParameterKey* keyNamed(const std::string& name) {
  for (const ParameterKey& key : kKeys)
    if (name == key.name) return &key;
  return nullptr;
}

std::optional<double> heightType(const std::string& text) {
  if (text == "none") return GXR_HEIGHT_NONE;
  if (text == "ellipsoid") return GXR_HEIGHT_ELLIPSOID;
  if (text == "msl" || text == "geoid") return GXR_HEIGHT_GEOID;
  return std::nullopt;
}

std::optional<double> keyValue(const ParameterKey& key, const std::string& text) {
  switch (key.value) {
    case KeyValue::angle: {
      const std::optional<Angle> a = gxr_tool::parseAngle(text);
      return a ? std::optional<double>(a->degrees) : std::nullopt;
    }
    case KeyValue::number: return number(text);
    case KeyValue::height: return heightType(text);
  }
  return std::nullopt;
}

std::string systemKeysText(const std::string& code, int type) {
  const std::string keys = systemKeys(type);
  return code + (keys.empty() ? " takes no parameters" : " takes " + keys);
}

// A key the system would not read, or a value the engine would take without
// complaint and not use, is refused: a user would otherwise believe it
// applied.
std::string zoneProblem(const GxrCoordParams& p, bool zoneGiven, bool overrideGiven) {
  if (overrideGiven && p.heightType != 0 && p.heightType != 1) return "override is 0 or 1";
  if (zoneGiven && (p.zone < 1 || p.zone > 60)) return "zone " + std::to_string(p.zone) + " is out of range (1 to 60)";
  if (zoneGiven && p.heightType != 1)
    return "zone is used only with override=1 (otherwise the point's own zone is taken)";
  if (!zoneGiven && overrideGiven && p.heightType == 1) return "override=1 needs zone=1..60";
  return {};
}

// Parameters as the record carries them, starting from values that make
// every system usable when only some keys are given. Empty problem on
// success.
GxrCoordParams parseParameters(const std::string& code, int type, const std::string& list, std::string* problem) {
  GxrCoordParams p{};
  p.scaleFactor = 1;
  p.heightType = type == GXR_CS_UTM ? 0 : GXR_HEIGHT_ELLIPSOID;
  p.precision = kMaxGridDigits;
  bool zoneGiven = false, overrideGiven = false;
  std::stringstream items(list);
  std::string item;
  while (std::getline(items, item, ',')) {
    const std::size_t eq = item.find('=');
    if (eq == std::string::npos) return *problem = "expected KEY=VALUE, not \"" + item + "\"", p;
    const std::string name = item.substr(0, eq), text = item.substr(eq + 1);
    const ParameterKey* key = keyNamed(name);
    if (key == nullptr && name == "precision") return *problem = "the digits of MG and GE output are set with -g", p;
    if (key == nullptr) return *problem = "unknown parameter " + name + " (gxr help convert lists them)", p;
    if (!takesKey(type, name)) return *problem = "parameter " + name + " is not used: " + systemKeysText(code, type), p;
    const std::optional<double> v = keyValue(*key, text);
    if (!v) return *problem = "bad value for " + name + ": \"" + text + "\"", p;
    if ((name == "zone" || name == "override") && *v != std::floor(*v))
      return *problem = name + " is a whole number, not \"" + text + "\"", p;
    key->set(type, p, *v);
    zoneGiven |= name == "zone";
    overrideGiven |= name == "override";
  }
  *problem = zoneProblem(p, zoneGiven, overrideGiven);
  return p;
}

// ----------------------------------------------------------------- points

std::vector<std::string> fields(const std::string& line, bool* commas) {
  *commas = line.find(',') != std::string::npos;
  std::vector<std::string> out;
  std::string current;
  for (char c : line) {
    if (c == ',' || c == ' ' || c == '\t' || c == '\r') {
      if (!current.empty()) out.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) out.push_back(current);
  return out;
}

// A latitude and a longitude from two texts; hemisphere letters may put the
// longitude first. Empty problem on success.
std::string latitudeLongitude(const std::string& first, const std::string& second, double* lat, double* lon) {
  std::optional<Angle> a = gxr_tool::parseAngle(first), b = gxr_tool::parseAngle(second);
  if (!a) return "not an angle: \"" + first + "\"";
  if (!b) return "not an angle: \"" + second + "\"";
  if (a->axis == Axis::longitude || b->axis == Axis::latitude) std::swap(a, b);
  if (a->axis == Axis::longitude || b->axis == Axis::latitude)
    return "expected one latitude (N/S) and one longitude (E/W): \"" + first + "\" \"" + second + "\"";
  *lat = a->degrees;
  *lon = b->degrees;
  return {};
}

// One input point of the system from its fields; the text says what was wrong.
struct Parsed {
  GxrPoint3 point3{};
  GxrGridPoint grid{};
  std::string error;
};

Parsed parsePoint(int type, std::vector<std::string> f) {
  Parsed r;
  auto numbers = [&](std::size_t from, std::size_t n, double* out) {
    for (std::size_t i = 0; i < n; ++i) {
      std::optional<double> v = number(f[from + i]);
      if (!v) {
        r.error = "not a number: \"" + f[from + i] + "\"";
        return false;
      }
      out[i] = *v;
    }
    return true;
  };
  double v[4] = {};
  switch (type) {
    case GXR_CS_GEODETIC: {
      if (f.size() != 2 && f.size() != 3) return r.error = "expected latitude longitude [height]", r;
      r.error = latitudeLongitude(f[0], f[1], &v[0], &v[1]);
      if (!r.error.empty() || (f.size() == 3 && !numbers(2, 1, &v[2]))) return r;
      r.point3.geodetic = {v[0], v[1], static_cast<int32_t>(std::lround(std::fmax(-2e9, std::fmin(2e9, v[2]))))};
      return r;
    }
    case GXR_CS_GEOCENTRIC:
    case GXR_CS_LOCAL_CARTESIAN:
      if (f.size() != 3) return r.error = "expected x y z", r;
      if (numbers(0, 3, v)) r.point3.cartesian = {v[0], v[1], v[2]};
      return r;
    case GXR_CS_GEOREF:
    case GXR_CS_MGRS: {
      std::string text;
      for (const std::string& s : f) text += s;
      char* field = type == GXR_CS_MGRS ? r.grid.mgrs : r.grid.georef;
      const std::size_t size = type == GXR_CS_MGRS ? sizeof r.grid.mgrs : sizeof r.grid.georef;
      if (text.empty() || text.size() >= size) return r.error = "expected one grid reference text", r;
      std::memcpy(field, text.c_str(), text.size() + 1);
      return r;
    }
    case GXR_CS_UTM: {
      // "18 N E N" or "18N E N"
      if (f.size() == 3 && f[0].size() >= 2 && std::isalpha(static_cast<unsigned char>(f[0].back()))) {
        std::string zone = f[0].substr(0, f[0].size() - 1), hemisphere(1, f[0].back());
        f.erase(f.begin());
        f.insert(f.begin(), {zone, hemisphere});
      }
      if (f.size() != 4 || f[1].size() != 1) return r.error = "expected zone hemisphere easting northing", r;
      double zone = 0;
      if (!numbers(0, 1, &zone) || !numbers(2, 2, v)) return r;
      r.grid.zone = static_cast<int32_t>(zone);
      r.grid.hemisphere = static_cast<char>(std::toupper(static_cast<unsigned char>(f[1][0])));
      r.grid.easting = v[0];
      r.grid.northing = v[1];
      return r;
    }
    case GXR_CS_UPS:
      if (f.size() != 3 || f[0].size() != 1) return r.error = "expected hemisphere easting northing", r;
      if (!numbers(1, 2, v)) return r;
      r.grid.hemisphere = static_cast<char>(std::toupper(static_cast<unsigned char>(f[0][0])));
      r.grid.easting = v[0];
      r.grid.northing = v[1];
      return r;
    default:
      if (f.size() != 2) return r.error = "expected easting northing", r;
      if (numbers(0, 2, v)) {
        r.grid.easting = v[0];
        r.grid.northing = v[1];
      }
      return r;
  }
}

// How points are written: the angle style and the decimals the user asked
// for (absent: the kind's own default).
struct OutputFormat {
  AngleStyle angles = AngleStyle::decimal;
  std::optional<int> angleDigits, lengthDigits;

  int angleDecimals() const { return angleDigits.value_or(angles == AngleStyle::decimal ? 9 : 3); }
  int lengthDecimals(int type) const { return lengthDigits.value_or(point3Kind(type) ? 4 : 3); }
};

std::string metres(double value, int decimals) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  return buffer;
}

std::string formatPoint(int type, const GxrPoint3& p, const GxrGridPoint& g, const OutputFormat& format,
                        const std::string& sep) {
  const int length = format.lengthDecimals(type);
  switch (type) {
    case GXR_CS_GEODETIC:
      return gxr_tool::formatAngle(p.geodetic.latitude, Axis::latitude, format.angles, format.angleDecimals()) + sep +
             gxr_tool::formatAngle(p.geodetic.longitude, Axis::longitude, format.angles, format.angleDecimals()) +
             sep + std::to_string(p.geodetic.height);
    case GXR_CS_GEOCENTRIC:
    case GXR_CS_LOCAL_CARTESIAN:
      return metres(p.cartesian.x, length) + sep + metres(p.cartesian.y, length) + sep + metres(p.cartesian.z, length);
    case GXR_CS_MGRS: return std::string(g.mgrs, strnlen(g.mgrs, sizeof g.mgrs));
    case GXR_CS_GEOREF: return std::string(g.georef, strnlen(g.georef, sizeof g.georef));
    case GXR_CS_UTM:
      return std::to_string(g.zone) + sep + g.hemisphere + sep + metres(g.easting, length) + sep +
             metres(g.northing, length);
    case GXR_CS_UPS: return std::string(1, g.hemisphere) + sep + metres(g.easting, length) + sep + metres(g.northing, length);
    default: return metres(g.easting, length) + sep + metres(g.northing, length);
  }
}

// ---------------------------------------------------------------- convert

struct ConvertJob {
  std::string from = "GD", to = "GD", fromDatum = "WGE", toDatum = "WGE";
  // As given; read once the systems are known.
  std::optional<std::string> fromList, toList;
  std::optional<int> gridDigits;
  bool styled = false;
  int fromType = 0, toType = 0;
  std::optional<GxrCoordParams> fromParams, toParams;
  OutputFormat format;
};

int initialise() {
  GxrDiagnostic diagnostic{};
  GXR_ThreadInit();
  int status = GXR_DtccInitialize(6, 6, &diagnostic);
  if (status != GXR_OK) {
    reportFailure("", status, nullptr);
    if (status == GXR_ENV_ERROR) std::cerr << "gxr: set USER_DATA and GXR_DATA_DIR (see gxr help)\n";
    else if (diagnostic.engineText[0] != '\0') std::cerr << "gxr:   " << oneLine(diagnostic.engineText) << "\n";
  }
  return status;
}

// Sets the engine up for the job with an empty batch; the points then go
// through it one at a time, so that each point's own warnings can be read.
// The tool is the engine's only user, as the building blocks require.
int prepareEngine(const ConvertJob& job) {
  GxrPointArray none{};
  GxrDiagnostic diagnostic{};
  const int status = GXR_CoordinatesConvert(job.fromDatum.c_str(), job.toDatum.c_str(), job.from.c_str(),
                                            job.to.c_str(), job.fromParams ? &*job.fromParams : nullptr,
                                            job.toParams ? &*job.toParams : nullptr, 0, nullptr, &none, &diagnostic);
  GXR_PtrFree(&none.points);
  if (status != GXR_OK) reportFailure("", status, &diagnostic);
  return status;
}

// Converts one parsed point and prints it, or * with the reason.
bool convertPoint(const ConvertJob& job, const Parsed& parsed, const std::string& where, const std::string& sep) {
  const void* input = point3Kind(job.fromType) ? static_cast<const void*>(&parsed.point3) : &parsed.grid;
  GxrPoint3 p3{};
  GxrGridPoint grid{};
  void* output = point3Kind(job.toType) ? static_cast<void*>(&p3) : &grid;
  int status = GXR_CoordPointSet(job.fromType, 0, input);
  GxrDiagnostic diagnostic{};
  const bool reachedEngine = status == GXR_OK;
  if (reachedEngine) status = GXR_CoordinateGet(job.toType, 0, output);
  if (reachedEngine) GXR_DtccDiagnosticGet(0, &diagnostic);
  if (status != GXR_OK) {
    std::cout << "*\n";
    reportFailure(where, status, reachedEngine ? &diagnostic : nullptr);
    return false;
  }
  std::cout << formatPoint(job.toType, p3, grid, job.format, sep) << "\n";
  reportWarnings(where, diagnostic);
  return true;
}

// The options of convert into job; empty on success, else the problem.
std::string parseConvertOptions(const Arguments& args, ConvertJob* job, std::vector<std::string>* coordinate) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&]() -> std::optional<std::string> {
      if (i + 1 >= args.size()) return std::nullopt;
      return args[++i];
    };
    std::optional<std::string> v;
    std::string problem;
    if (a == "-d" || a == "-:") {
      job->format.angles = a == "-d" ? AngleStyle::dms : AngleStyle::colons;
      job->styled = true;
      continue;
    }
    if (a == "-s" || a == "-t" || a == "-S" || a == "-T" || a == "-p" || a == "-q" || a == "-a" || a == "-l" ||
        a == "-g") {
      if (!(v = value())) return "option " + a + " needs a value";
    } else if (isOption(a)) {
      return "unknown option " + a;
    } else {
      coordinate->push_back(a);
      continue;
    }
    if (a == "-s") job->from = *v;
    else if (a == "-t") job->to = *v;
    else if (a == "-S") job->fromDatum = *v;
    else if (a == "-T") job->toDatum = *v;
    else if (a == "-p") job->fromList = *v;
    else if (a == "-q") job->toList = *v;
    else if (a == "-a" && !(job->format.angleDigits = digitsOption(a, *v, kMaxAngleDigits, &problem))) return problem;
    else if (a == "-l" && !(job->format.lengthDigits = digitsOption(a, *v, kMaxLengthDigits, &problem))) return problem;
    else if (a == "-g" && !(job->gridDigits = digitsOption(a, *v, kMaxGridDigits, &problem)))
      return problem + " (MGRS and GEOREF texts have 0 to 5 digits)";
  }
  return {};
}

// The job's systems from the library's catalogue, and what depends on them:
// which output options apply and the parameters. Empty on success, else the
// problem.
std::string resolveSystems(const Catalogue& catalogue, ConvertJob* job) {
  job->fromType = systemType(catalogue, job->from);
  job->toType = systemType(catalogue, job->to);
  if (job->fromType < 0) return "unknown system " + job->from + " (see gxr systems)";
  if (job->toType < 0) return "unknown system " + job->to + " (see gxr systems)";
  const bool geodeticOut = job->toType == GXR_CS_GEODETIC, textOut = gridTextKind(job->toType);
  if ((job->styled || job->format.angleDigits) && !geodeticOut) return "-d, -: and -a apply to GD output only";
  if (job->format.lengthDigits && (geodeticOut || textOut))
    return "-l applies to output in metres (not GD, MG or GE)";
  if (job->gridDigits && !textOut) return "-g applies to MG and GE output only";
  const std::string& fromCode = catalogue[job->fromType].code;
  const std::string& toCode = catalogue[job->toType].code;
  std::string problem;
  if (job->fromList) job->fromParams = parseParameters(fromCode, job->fromType, *job->fromList, &problem);
  if (problem.empty() && (job->toList || job->gridDigits))
    job->toParams = parseParameters(toCode, job->toType, job->toList.value_or(""), &problem);
  if (job->gridDigits) job->toParams->precision = *job->gridDigits;
  return problem;
}

int runConvert(const Arguments& args) {
  ConvertJob job;
  std::vector<std::string> coordinate;
  if (std::string problem = parseConvertOptions(args, &job, &coordinate); !problem.empty())
    return usage(problem, "convert");
  if (initialise() != GXR_OK) return kExitFailure;
  const std::optional<Catalogue> catalogue = readCatalogue();
  if (!catalogue) return kExitFailure;
  if (std::string problem = resolveSystems(*catalogue, &job); !problem.empty()) return usage(problem, "convert");
  for (const std::string* datum : {&job.fromDatum, &job.toDatum}) {
    char name[32] = {}, code[3] = {};
    if (GXR_DatumEllipseGet(datum->c_str(), name, code) != GXR_OK)
      return usage("unknown datum " + *datum + " (see gxr datums)", "convert");
  }
  if (prepareEngine(job) != GXR_OK) return kExitFailure;

  int exitCode = 0;
  auto take = [&](std::size_t number, const std::vector<std::string>& f, bool commas) {
    const std::string where = "line " + std::to_string(number) + ": ";
    Parsed parsed = parsePoint(job.fromType, f);
    if (!parsed.error.empty()) {
      std::cout << "*\n";
      std::cerr << "gxr: " << where << parsed.error << "\n";
      exitCode = kExitFailure;
    } else if (!convertPoint(job, parsed, where, commas ? "," : " ")) {
      exitCode = kExitFailure;
    }
  };
  if (!coordinate.empty()) {
    take(1, coordinate, false);
    return exitCode;
  }
  std::string text;
  std::size_t number = 0;
  while (std::getline(std::cin, text)) {
    ++number;
    bool commas = false;
    std::vector<std::string> f = fields(text, &commas);
    if (f.empty() || f[0][0] == '#') continue;
    take(number, f, commas);
  }
  return exitCode;
}

// ------------------------------------------------------------- catalogues

void freeBlock(char*& block) { GXR_PtrFree(reinterpret_cast<void**>(&block)); }

int noOperands(const Arguments& args, const char* command) {
  return args.empty() ? 0 : usage(std::string(command) + " takes no operands, not \"" + args[0] + "\"", command);
}

int runSystems(const Arguments& args) {
  if (int refused = noOperands(args, "systems")) return refused;
  if (initialise() != GXR_OK) return kExitFailure;
  const std::optional<Catalogue> catalogue = readCatalogue();
  if (!catalogue) return kExitFailure;
  for (std::size_t i = 0; i < catalogue->size(); ++i) {
    const System& system = (*catalogue)[i];
    const char* keys = systemKeys(static_cast<int>(i));
    if (keys[0] == '\0') std::printf("%2zu  %s  %s\n", i, system.code.c_str(), system.name.c_str());
    else std::printf("%2zu  %s  %-34s %s\n", i, system.code.c_str(), system.name.c_str(), keys);
  }
  return 0;
}

int runDatums(const Arguments& args) {
  if (int refused = noOperands(args, "datums")) return refused;
  if (initialise() != GXR_OK) return kExitFailure;
  GxrDatumList list{};
  int status = GXR_DatumListGet(&list);
  for (int k = 1; k <= list.count && (status == GXR_OK || status == GXR_DTCC_TABLE_SMALL); ++k) {
    char name[32] = {}, code[3] = {};
    GXR_DatumEllipseGet(list.codes[k], name, code);
    std::printf("%-6s  %-2s  %s\n", list.codes[k], code, list.names[k]);
  }
  for (int k = 0; k <= GXR_DATUM_LIST_MAX; ++k) {
    freeBlock(list.codes[k]);
    freeBlock(list.names[k]);
  }
  if (status != GXR_OK) reportFailure("", status, nullptr);
  return status == GXR_OK ? 0 : kExitFailure;
}

int runEllipsoids(const Arguments& args) {
  if (int refused = noOperands(args, "ellipsoids")) return refused;
  if (initialise() != GXR_OK) return kExitFailure;
  GxrEllipsoidList list{};
  GxrDiagnostic diagnostic{};
  int status = GXR_EllipsoidListGet(&list, &diagnostic);
  for (int k = 0; k < list.count && status == GXR_OK; ++k) std::printf("%s  %s\n", list.codes[k], list.names[k]);
  for (int k = 0; k < GXR_ELLIPSOID_LIST_MAX; ++k) {
    freeBlock(list.codes[k]);
    freeBlock(list.names[k]);
  }
  if (status != GXR_OK) reportFailure("", status, &diagnostic);
  return status == GXR_OK ? 0 : kExitFailure;
}

// --------------------------------------------------------------- distance

// A failed distance in words a user can act on; the library's own text for
// the rest.
std::string distanceFailure(int status) {
  switch (status) {
    case GXR_HALF_WORLD:
      return "the geodesic does not converge for these nearly antipodal points (the great-circle distance "
             "still applies: -m great-circle)";
    case GXR_LONGITUDE_SPAN: return "the geodesic takes points whose longitudes are less than 180 degrees apart";
    default: return statusText(status);
  }
}

int runDistance(const Arguments& args) {
  struct Method {
    const char* name;
    int code;
  } const methods[] = {{"great-circle", GXR_GREAT_CIRCLE},
                       {"rhumb", GXR_RHUMB_LINE},
                       {"straight", GXR_STRAIGHT_LINE},
                       {"geodesic", GXR_GEODESIC}};
  int only = -1, model = GXR_EARTH_WGS84, decimals = 3;
  std::vector<std::string> operands;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    std::string problem;
    if (a == "-m" && hasValue) {
      const std::string& name = args[++i];
      for (const Method& m : methods)
        if (name == m.name) only = m.code;
      if (only < 0) return usage("unknown method " + name, "distance");
    } else if (a == "-e" && hasValue) {
      const std::optional<double> v = number(args[++i]);
      if (!v || *v != std::floor(*v) || *v < 1 || *v >= GXR_EARTH_MODELS)
        return usage("earth model is 1 to 23, not \"" + args[i] + "\"", "distance");
      model = static_cast<int>(*v);
    } else if (a == "-l" && hasValue) {
      const std::optional<int> d = digitsOption(a, args[++i], kMaxLengthDigits, &problem);
      if (!d) return usage(problem, "distance");
      decimals = *d;
    } else if (a == "-m" || a == "-e" || a == "-l") {
      return usage("option " + a + " needs a value", "distance");
    } else if (isOption(a)) {
      return usage("unknown option " + a, "distance");
    } else {
      operands.push_back(a);
    }
  }
  if (operands.size() != 4 && operands.size() != 6)
    return usage("distance needs LAT1 LON1 LAT2 LON2 [H1 H2]", "distance");
  GxrDistParams points{};
  points.earthModel = model;
  for (std::string problem : {latitudeLongitude(operands[0], operands[1], &points.lat1, &points.lon1),
                              latitudeLongitude(operands[2], operands[3], &points.lat2, &points.lon2)})
    if (!problem.empty()) return usage(problem, "distance");
  if (operands.size() == 6) {
    const std::optional<double> h1 = number(operands[4]), h2 = number(operands[5]);
    if (!h1 || !h2) return usage("heights are whole metres: \"" + operands[4] + "\" \"" + operands[5] + "\"", "distance");
    points.height1 = static_cast<int32_t>(*h1);
    points.height2 = static_cast<int32_t>(*h2);
  }
  int exitCode = 0;
  for (const Method& m : methods) {
    if (only >= 0 && m.code != only) continue;
    GxrDistParams p = points;  // the library rewrites the angles in place
    double distance = 0;
    const int status = GXR_DistanceCalculate(m.code, &p, &distance);
    if (status == GXR_OK) {
      std::printf("%-12s %.*f\n", m.name, decimals, distance);
    } else {
      std::printf("%-12s *\n", m.name);
      std::fflush(stdout);
      std::cerr << "gxr: " << m.name << ": " << distanceFailure(status) << "\n";
      exitCode = kExitFailure;
    }
  }
  return exitCode;
}

// ------------------------------------------------------------------- help

int runHelp(const Arguments& args) {
  if (args.empty()) {
    printOverview(std::cout);
    return 0;
  }
  const Command* command = commandNamed(args[0]);
  if (command == nullptr || args.size() > 1) return usage("no help for \"" + args[0] + "\"");
  printCommandHelp(*command);
  return 0;
}

int printVersion() {
  char name[13] = {}, version[8] = {}, date[13] = {}, extra[4] = {};
  GXR_VersionGet(name, version, date, extra);
  std::cout << "gxr " << GXR_TOOL_VERSION << "\nlibgxr " << version << " (" << name << ", " << date << ")\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    printOverview(std::cerr);
    return kExitUsage;
  }
  const std::string first = argv[1];
  if (first == "--version") return printVersion();
  if (first == "-h" || first == "--help") return runHelp({});
  const Command* command = commandNamed(first);
  if (command == nullptr) return usage("unknown command " + first);
  const Arguments args(argv + 2, argv + argc);
  for (const std::string& a : args)
    if (a == "--help" || a == "-h") {
      printCommandHelp(*command);
      return 0;
    }
  return command->run(args);
}
