// The engine state: the two sides, the working service and the tables as
// this process loaded them.
#include "engine.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <initializer_list>
#include <numbers>
#include <optional>
#include <string_view>

#include "geotrans.h"
#include "tables.h"
#include "texts.h"

namespace gxr::engine {

namespace {

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
  switch (parameterShape(type)) {
    case ParameterShape::localOrigin: return kUsesCentralMeridian | kUsesOriginLatitude | kUsesLocalOrigin;
    case ParameterShape::parallels: return kMap4 | kUsesParallels;
    case ParameterShape::origin:
    case ParameterShape::trueScale: return kMap4;
    case ParameterShape::meridian: return kMap3;
    case ParameterShape::scaled: return kMap4 | kUsesScale;
    case ParameterShape::none:
    case ParameterShape::gridDigits:
    case ParameterShape::heightType:
    case ParameterShape::utmZone: break;
  }
  return 0;
}

constexpr double kTransverseMercatorWarningLimit = 9 * kRadiansPerDegree;

}  // namespace

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
    switch (pointKind(s.type)) {
      case PointKind::geodetic:
        return requireFinite(s, {{c.latitude, kLatitudeError}, {c.longitude, kLongitudeError},
                                 {c.height, 0, "Height out of range"}});
      case PointKind::cartesian:
        return requireFinite(s, {{c.x, kEastingError}, {c.y, kNorthingError}, {c.z, 0, "Z out of range"}});
      case PointKind::georef:
      case PointKind::mgrs: return true;
      case PointKind::utm:
      case PointKind::ups:
      case PointKind::projected: break;
    }
    return requireFinite(s, {{c.easting, kEastingError}, {c.northing, kNorthingError}});
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
    switch (pointKind(in.type)) {
      case PointKind::geodetic:
        if (!(c.latitude >= -90 * kRadiansPerDegree && c.latitude <= 90 * kRadiansPerDegree)) in.status |= kLatitudeError;
        if (!(c.longitude >= -180 * kRadiansPerDegree && c.longitude <= 360 * kRadiansPerDegree)) in.status |= kLongitudeError;
        break;
      case PointKind::georef: in.status |= georefMinuteBits(c.text); break;
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
    side.parameters = systemRow(kGeodetic).defaults;
  }
  s.rememberTables();
  s.dirty = true;
  s.lastAccuracy = {};
  s.ready.store(true, std::memory_order_release);
  return 0;
}


int Engine::setSystem(Side side, int type) {
  if (!initialized()) return kNotInitialized;
  if (type < 0 || type >= kSystemCount) return kInvalidType;
  SideState& s = state_->side(side);
  s.type = type;
  s.parameters = systemRow(type).defaults;
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
  if (const PointKind kind = pointKind(in.type); kind == PointKind::georef || kind == PointKind::mgrs) {
    if (strnlen(in.coordinates.text, sizeof in.coordinates.text) > kGridTextLength) {
      in.status |= kind == PointKind::mgrs ? kMgrsStringError : kGeorefStringError;
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
  *text += systemRow(s.type).name;
  *text += ":";
  for (long bit = kSemiMajorAxisError; bit <= kGeorefLatitudeMinuteError; bit <<= 1) {
    if (s.status & ~s.ownWords & bit) {
      *text += separator;
      *text += sideStatusText(bit);
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

