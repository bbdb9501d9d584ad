// gxr: coordinate conversion, catalogues and distances from the command line,
// through the library's public interface only.
#include <gxr/gxr.h>

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

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr std::size_t kChunk = 4096;

const char* const kUsage =
    "usage: gxr convert [-s SYSTEM] [-t SYSTEM] [-S DATUM] [-T DATUM]\n"
    "                   [-p KEY=VALUE,...] [-q KEY=VALUE,...] [COORDINATE...]\n"
    "       gxr systems | datums | ellipsoids\n"
    "       gxr distance [-m METHOD] [-e MODEL] LAT1 LON1 LAT2 LON2 [H1 H2]\n"
    "\n"
    "convert   converts one point given on the command line, or one point per\n"
    "          line of standard input (fields separated by blanks or commas;\n"
    "          output uses the input's separator). Systems are two-letter codes\n"
    "          (gxr systems), default GD; datums are codes (gxr datums),\n"
    "          default WGE. -p sets the source system's parameters, -q the\n"
    "          target's: lat0 lon0 x0 y0 k lat1 lat2 h0 orient zone override\n"
    "          height(none|ellipsoid|msl) precision(0-5). Angles in degrees.\n"
    "          Points:  GD lat lon [height]    GC, LC x y z\n"
    "                   UT zone hemisphere easting northing\n"
    "                   UP hemisphere easting northing    MG, GE text\n"
    "                   other systems easting northing\n"
    "distance  prints the distance in metres by every method, or by METHOD\n"
    "          (great-circle, rhumb, straight, geodesic) on earth model MODEL\n"
    "          (1-23, default 3, WGS 84).\n"
    "\n"
    "Environment: USER_DATA (per-user tables, required) and GXR_DATA_DIR or\n"
    "DTCC_DATA_DIR (the engine's data files, required).\n";

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
  return s;
}

void reportFailure(const std::string& where, int status, const GxrDiagnostic* diagnostic) {
  std::cerr << "gxr: " << where << statusText(status) << "\n";
  if (diagnostic == nullptr) return;
  for (const char* text : {diagnostic->inputText, diagnostic->outputText})
    if (text[0] != '\0') std::cerr << "gxr:   " << oneLine(text) << "\n";
}

std::optional<double> number(std::string_view token) {
  std::string s(token);
  char* end = nullptr;
  errno = 0;
  double value = std::strtod(s.c_str(), &end);
  if (s.empty() || *end != '\0' || errno == ERANGE || !std::isfinite(value)) return std::nullopt;
  return value;
}

int systemType(const std::string& code) {
  static const char* const kCodes[GXR_COORD_SYSTEMS] = {"GD", "GE", "GC", "LC", "MG", "UT", "UP", "AC", "BF",
                                                      "CS", "LI", "EF", "ED", "CP", "LE", "MC", "MH", "MP",
                                                      "OD", "PG", "PH", "SA", "TX", "TC", "VA"};
  for (int i = 0; i < GXR_COORD_SYSTEMS; ++i)
    if (strcasecmp(code.c_str(), kCodes[i]) == 0) return i;
  return -1;
}

bool point3Kind(int type) {
  return type == GXR_CS_GEODETIC || type == GXR_CS_GEOCENTRIC || type == GXR_CS_LOCAL_CARTESIAN;
}

// Parameters as the record carries them, starting from values that make
// every system usable when only some keys are given.
std::optional<GxrCoordParams> parseParameters(int type, const std::string& list) {
  GxrCoordParams p{};
  p.scaleFactor = 1;
  p.heightType = type == GXR_CS_UTM ? 0 : GXR_HEIGHT_ELLIPSOID;
  p.precision = 5;
  std::stringstream items(list);
  std::string item;
  while (std::getline(items, item, ',')) {
    const std::size_t eq = item.find('=');
    if (eq == std::string::npos) return std::nullopt;
    const std::string key = item.substr(0, eq), text = item.substr(eq + 1);
    if (key == "height") {
      if (text == "none") p.heightType = GXR_HEIGHT_NONE;
      else if (text == "ellipsoid") p.heightType = GXR_HEIGHT_ELLIPSOID;
      else if (text == "msl" || text == "geoid") p.heightType = GXR_HEIGHT_GEOID;
      else return std::nullopt;
      continue;
    }
    std::optional<double> v = number(text);
    if (!v) return std::nullopt;
    if (key == "lat0" && type == GXR_CS_POLYCONIC) p.scaleFactor = *v;
    else if (key == "lat0" || key == "lat_ts") p.originLatitude = *v;
    else if (key == "lon0") p.centralMeridian = *v;
    else if (key == "x0") p.falseEasting = *v;
    else if (key == "y0") p.falseNorthing = *v;
    else if (key == "k") p.scaleFactor = *v;
    else if (key == "lat1" || key == "orient") p.standardParallel1 = *v;
    else if (key == "lat2" || key == "h0") p.standardParallel2 = *v;
    else if (key == "zone") p.zone = static_cast<int32_t>(*v);
    else if (key == "override") p.heightType = static_cast<int32_t>(*v);
    else if (key == "precision") p.precision = static_cast<int32_t>(*v);
    else return std::nullopt;
  }
  return p;
}

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
    case GXR_CS_GEODETIC:
      if (f.size() != 2 && f.size() != 3) return r.error = "expected latitude longitude [height]", r;
      if (!numbers(0, f.size(), v)) return r;
      r.point3.geodetic = {v[0], v[1], static_cast<int32_t>(std::lround(std::fmax(-2e9, std::fmin(2e9, v[2]))))};
      return r;
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

std::string formatPoint(int type, const void* points, std::size_t i, const char* sep) {
  char buffer[160];
  if (point3Kind(type)) {
    const GxrPoint3& p = static_cast<const GxrPoint3*>(points)[i];
    if (type == GXR_CS_GEODETIC)
      std::snprintf(buffer, sizeof buffer, "%.9f%s%.9f%s%d", p.geodetic.latitude, sep, p.geodetic.longitude, sep,
                    p.geodetic.height);
    else
      std::snprintf(buffer, sizeof buffer, "%.4f%s%.4f%s%.4f", p.cartesian.x, sep, p.cartesian.y, sep,
                    p.cartesian.z);
    return buffer;
  }
  const GxrGridPoint& g = static_cast<const GxrGridPoint*>(points)[i];
  switch (type) {
    case GXR_CS_MGRS: return std::string(g.mgrs, strnlen(g.mgrs, sizeof g.mgrs));
    case GXR_CS_GEOREF: return std::string(g.georef, strnlen(g.georef, sizeof g.georef));
    case GXR_CS_UTM:
      std::snprintf(buffer, sizeof buffer, "%d%s%c%s%.3f%s%.3f", g.zone, sep, g.hemisphere, sep, g.easting, sep,
                    g.northing);
      return buffer;
    case GXR_CS_UPS:
      std::snprintf(buffer, sizeof buffer, "%c%s%.3f%s%.3f", g.hemisphere, sep, g.easting, sep, g.northing);
      return buffer;
    default: std::snprintf(buffer, sizeof buffer, "%.3f%s%.3f", g.easting, sep, g.northing); return buffer;
  }
}

struct ConvertJob {
  std::string from = "GD", to = "GD", fromDatum = "WGE", toDatum = "WGE";
  int fromType = 0, toType = 0;
  std::optional<GxrCoordParams> fromParams, toParams;
};

struct Line {
  std::size_t number;
  Parsed parsed;
  bool commas;
};

int convertBatch(const ConvertJob& job, const Line* lines, std::size_t count, void** out, GxrDiagnostic* diagnostic) {
  std::vector<GxrPoint3> p3;
  std::vector<GxrGridPoint> grid;
  const void* input = nullptr;
  if (point3Kind(job.fromType)) {
    for (std::size_t i = 0; i < count; ++i) p3.push_back(lines[i].parsed.point3);
    input = p3.data();
  } else {
    for (std::size_t i = 0; i < count; ++i) grid.push_back(lines[i].parsed.grid);
    input = grid.data();
  }
  GxrPointArray result{};
  int status = GXR_CoordinatesConvert(job.fromDatum.c_str(), job.toDatum.c_str(), job.from.c_str(), job.to.c_str(),
                                      job.fromParams ? &*job.fromParams : nullptr,
                                      job.toParams ? &*job.toParams : nullptr, static_cast<int>(count), input,
                                      &result, diagnostic);
  *out = result.points;
  return status;
}

// Converts the lines in chunks; a chunk that fails is done again point by
// point so that every bad line is named and the good ones still convert.
int convertLines(const ConvertJob& job, const std::vector<Line>& lines) {
  int exitCode = 0;
  for (std::size_t start = 0; start < lines.size(); start += kChunk) {
    const std::size_t n = std::min(kChunk, lines.size() - start);
    void* points = nullptr;
    GxrDiagnostic diagnostic{};
    int status = convertBatch(job, &lines[start], n, &points, &diagnostic);
    if (status == GXR_OK) {
      for (std::size_t i = 0; i < n; ++i)
        std::cout << formatPoint(job.toType, points, i, lines[start + i].commas ? "," : " ") << "\n";
      GXR_PtrFree(&points);
      continue;
    }
    GXR_PtrFree(&points);
    for (std::size_t i = 0; i < n; ++i) {
      const Line& line = lines[start + i];
      status = convertBatch(job, &line, 1, &points, &diagnostic);
      if (status == GXR_OK) {
        std::cout << formatPoint(job.toType, points, 0, line.commas ? "," : " ") << "\n";
      } else {
        std::cout << "*\n";
        reportFailure("line " + std::to_string(line.number) + ": ", status, &diagnostic);
        exitCode = kExitFailure;
      }
      GXR_PtrFree(&points);
    }
  }
  return exitCode;
}

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

int usage(const std::string& problem) {
  std::cerr << "gxr: " << problem << "\n(gxr help shows the usage)\n";
  return kExitUsage;
}

int runConvert(int argc, char** argv) {
  ConvertJob job;
  std::string fromList, toList;
  bool haveFromParams = false, haveToParams = false;
  std::vector<std::string> coordinate;
  for (int i = 0; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&](std::string* into) {
      if (i + 1 >= argc) return false;
      *into = argv[++i];
      return true;
    };
    bool ok = true;
    if (a == "-s") ok = value(&job.from);
    else if (a == "-t") ok = value(&job.to);
    else if (a == "-S") ok = value(&job.fromDatum);
    else if (a == "-T") ok = value(&job.toDatum);
    else if (a == "-p") ok = haveFromParams = value(&fromList);
    else if (a == "-q") ok = haveToParams = value(&toList);
    else if (a.size() > 1 && a[0] == '-' && !number(a)) return usage("unknown option " + a);
    else coordinate.push_back(a);
    if (!ok) return usage("option " + a + " needs a value");
  }
  job.fromType = systemType(job.from);
  job.toType = systemType(job.to);
  if (job.fromType < 0) return usage("unknown system " + job.from + " (see gxr systems)");
  if (job.toType < 0) return usage("unknown system " + job.to + " (see gxr systems)");
  if (haveFromParams && !(job.fromParams = parseParameters(job.fromType, fromList)))
    return usage("bad parameters: " + fromList);
  if (haveToParams && !(job.toParams = parseParameters(job.toType, toList))) return usage("bad parameters: " + toList);
  if (int status = initialise(); status != GXR_OK) return kExitFailure;
  for (const std::string* datum : {&job.fromDatum, &job.toDatum}) {
    char name[32] = {}, code[3] = {};
    if (GXR_DatumEllipseGet(datum->c_str(), name, code) != GXR_OK)
      return usage("unknown datum " + *datum + " (see gxr datums)");
  }

  // Lines are converted a chunk at a time as they arrive, so that a long
  // stream neither waits for its end nor is held in memory whole.
  std::vector<Line> lines;
  int exitCode = 0;
  auto flush = [&] {
    if (convertLines(job, lines) != 0) exitCode = kExitFailure;
    lines.clear();
  };
  auto take = [&](std::size_t number, std::vector<std::string> f, bool commas) {
    Parsed parsed = parsePoint(job.fromType, std::move(f));
    if (!parsed.error.empty()) {
      flush();  // keeps the output in input order
      std::cout << "*\n";
      std::cerr << "gxr: line " << number << ": " << parsed.error << "\n";
      exitCode = kExitFailure;
      return false;
    }
    lines.push_back({number, parsed, commas});
    if (lines.size() == kChunk) flush();
    return true;
  };
  if (!coordinate.empty()) {
    std::string joined;
    for (const std::string& c : coordinate) joined += c + " ";
    bool commas = false;
    take(1, fields(joined, &commas), false);
  } else {
    std::string text;
    std::size_t number = 0;
    while (std::getline(std::cin, text)) {
      ++number;
      bool commas = false;
      std::vector<std::string> f = fields(text, &commas);
      if (f.empty() || f[0][0] == '#') continue;
      take(number, std::move(f), commas);
    }
  }
  flush();
  return exitCode;
}

void freeBlock(char*& block) { GXR_PtrFree(reinterpret_cast<void**>(&block)); }

int runSystems() {
  if (initialise() != GXR_OK) return kExitFailure;
  GxrCoordSysList list{};
  GxrDiagnostic diagnostic{};
  int status = GXR_CoordinateSystemListGet(&list, &diagnostic);
  for (int i = 0; i < list.count && status == GXR_OK; ++i) std::printf("%2d  %s  %s\n", i, list.codes[i], list.names[i]);
  for (int i = 0; i < GXR_COORD_SYSTEMS; ++i) {
    freeBlock(list.codes[i]);
    freeBlock(list.names[i]);
  }
  if (status != GXR_OK) reportFailure("", status, &diagnostic);
  return status == GXR_OK ? 0 : kExitFailure;
}

int runDatums() {
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

int runEllipsoids() {
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

int runDistance(int argc, char** argv) {
  struct Method {
    const char* name;
    int code;
  } const methods[] = {{"great-circle", GXR_GREAT_CIRCLE},
                       {"rhumb", GXR_RHUMB_LINE},
                       {"straight", GXR_STRAIGHT_LINE},
                       {"geodesic", GXR_GEODESIC}};
  int only = -1, model = 3;
  std::vector<double> values;
  for (int i = 0; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "-m" && i + 1 < argc) {
      std::string name = argv[++i];
      for (const Method& m : methods)
        if (name == m.name) only = m.code;
      if (only < 0) return usage("unknown method " + name);
    } else if (a == "-e" && i + 1 < argc) {
      std::optional<double> v = number(argv[++i]);
      if (!v) return usage("bad earth model");
      model = static_cast<int>(*v);
    } else if (std::optional<double> v = number(a)) {
      values.push_back(*v);
    } else {
      return usage("not a number: " + a);
    }
  }
  if (values.size() != 4 && values.size() != 6) return usage("distance needs LAT1 LON1 LAT2 LON2 [H1 H2]");
  int exitCode = 0;
  for (const Method& m : methods) {
    if (only >= 0 && m.code != only) continue;
    GxrDistParams p{values[0], values[1], 0, values[2], values[3], 0, model};
    if (values.size() == 6) {
      p.height1 = static_cast<int32_t>(values[4]);
      p.height2 = static_cast<int32_t>(values[5]);
    }
    double distance = 0;
    int status = GXR_DistanceCalculate(m.code, &p, &distance);
    if (status == GXR_OK) {
      std::printf("%-12s %.3f\n", m.name, distance);
    } else {
      std::printf("%-12s *\n", m.name);
      reportFailure(std::string(m.name) + ": ", status, nullptr);
      exitCode = kExitFailure;
    }
  }
  return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << kUsage;
    return kExitUsage;
  }
  const std::string command = argv[1];
  if (command == "convert") return runConvert(argc - 2, argv + 2);
  if (command == "systems") return runSystems();
  if (command == "datums") return runDatums();
  if (command == "ellipsoids") return runEllipsoids();
  if (command == "distance") return runDistance(argc - 2, argv + 2);
  if (command == "help" || command == "-h" || command == "--help") {
    std::cout << kUsage;
    return 0;
  }
  return usage("unknown command " + command);
}
