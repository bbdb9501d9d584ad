// The conversion engine as the library sees it: one interactive state with an
// input side and an output side, numeric status bits, catalogues counted from
// 1, and texts for every status. Underneath sits GEOTRANS 3.7, whose service
// fixes both sides at construction, speaks only in exception and warning
// texts and counts from 0; this layer keeps the per-side state itself,
// rebuilds the service when a side changes and turns the texts into bits.
//
// Nothing here locks: the library's engine lock serialises every caller.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "catalogue.h"

namespace gxr::engine {

// Engine status bits.
inline constexpr int kInputWarning = 0x1;
inline constexpr int kInputError = 0x2;
inline constexpr int kOutputWarning = 0x4;
inline constexpr int kOutputError = 0x8;
inline constexpr int kNotInitialized = 0x10;
inline constexpr int kEllipsoidFileError = 0x20;
inline constexpr int kDatumError = 0x40;
inline constexpr int kGeoidFileError = 0x80;
inline constexpr int kInvalidType = 0x100;
inline constexpr int kInvalidDirection = 0x200;
inline constexpr int kInvalidState = 0x400;
inline constexpr int kPrecisionError = 0x800;
inline constexpr int kInvalidIndex = 0x1000;
inline constexpr int kInvalidCode = 0x2000;
inline constexpr int kWarningBits = kInputWarning | kOutputWarning;

// Conversion status bits of one side.
inline constexpr long kSemiMajorAxisError = 0x1;
inline constexpr long kSemiMinorAxisError = 0x2;
inline constexpr long kAxisOrderError = 0x4;
inline constexpr long kDatumDomainWarning = 0x8;
inline constexpr long kOriginLatitudeError = 0x10;
inline constexpr long kCentralMeridianError = 0x20;
inline constexpr long kLatitudeError = 0x40;
inline constexpr long kLongitudeError = 0x80;
inline constexpr long kEastingError = 0x100;
inline constexpr long kNorthingError = 0x200;
inline constexpr long kRadiusError = 0x400;
inline constexpr long kHemisphereError = 0x800;
inline constexpr long kScaleFactorError = 0x1000;
inline constexpr long kLongitudeWarning = 0x2000;
inline constexpr long kOriginLongitudeError = 0x4000;
inline constexpr long kStandardParallel2Error = 0x8000;
inline constexpr long kStandardParallel1Error = 0x10000;
inline constexpr long kStandardParallelsZeroError = 0x20000;
inline constexpr long kZoneError = 0x40000;
inline constexpr long kZoneOverrideError = 0x80000;
inline constexpr long kMgrsStringError = 0x100000;
inline constexpr long kGeorefStringError = 0x200000;
inline constexpr long kGeorefLongitudeMinuteError = 0x400000;
inline constexpr long kGeorefLatitudeMinuteError = 0x800000;
// Of the side bits only these two are warnings; everything else is an error.
inline constexpr long kSideWarningBits = kDatumDomainWarning | kLongitudeWarning;

enum class Side { input = 0, output = 1 };

// Lengths of catalogue texts, without the terminator.
inline constexpr std::size_t kSystemCodeLength = 2;
inline constexpr std::size_t kSystemNameLength = 50;
inline constexpr std::size_t kDatumCodeLength = 6;
inline constexpr std::size_t kDatumNameLength = 31;
inline constexpr std::size_t kEllipsoidCodeLength = 2;
inline constexpr std::size_t kEllipsoidNameLength = 29;
// GEOREF and MGRS texts the engine can hold, without the terminator. The
// point's buffer is longer so that an over-long text is seen and refused.
inline constexpr std::size_t kGridTextLength = 20;
inline constexpr std::size_t kTextBufferSize = 32;

// A point of any system: geodetic in radians, lengths in metres.
struct Coordinates {
  double longitude = 0, latitude = 0, height = 0;  // geodetic
  double x = 0, y = 0, z = 0;                      // geocentric, local Cartesian
  double easting = 0, northing = 0;                // UTM, UPS, projections
  long zone = 0;                                   // UTM
  char hemisphere = 'N';                           // UTM, UPS
  char text[kTextBufferSize] = {};                 // GEOREF, MGRS
};

struct AccuracyEstimate {
  double circular = -1, linear = -1, spherical = -1;
};

// Texts of status bits, in the engine's words (empty for unknown bits).
const char* engineStatusText(int bit);
const char* sideStatusText(long bit);

// Which file group of the data directory a 3.7 load failure concerns.
int loadFailureBits(const std::string& message);

// The engine's interactive state. One per process.
class Engine {
 public:
  static Engine& instance();

  // Loads the tables found through DATUM_DATA, ELLIPSOID_DATA and GEOID_DATA;
  // the three file-group bits report what could not be loaded. Once it has
  // succeeded, later calls do nothing and return 0.
  int initialize();
  bool initialized() const;

  // Coordinate-system catalogue; indices count from 1.
  int systemCount(long* count) const;
  int systemName(long index, char* name) const;  // kSystemNameLength + 1 bytes
  int systemCode(long index, char* code) const;  // kSystemCodeLength + 1 bytes
  int systemIndex(const char* code, long* index) const;

  // The side's system by type; resets its parameters and coordinates.
  int setSystem(Side side, int type);
  int system(Side side, int* type) const;
  int setDatum(Side side, long index);
  // The side must already be set to the type; a value 3.7 refuses leaves
  // the side's parameters as they were.
  int setParameters(Side side, int type, const Parameters& parameters);
  int parameters(Side side, Parameters* parameters) const;
  // Engine-wide number of digits of GEOREF and MGRS output, 0 to 5.
  int setPrecision(int precision);

  int setInputCoordinates(const Coordinates& coordinates);
  // The output side's point of the last conversion, valid until the next.
  int outputCoordinates(const Coordinates** coordinates) const;
  int convert();

  int conversionStatus(Side side, long* status) const;
  int conversionText(Side side, const char* separator, std::string* text) const;
  static std::string statusText(int status, const char* separator);
  // Works the estimate out on first request after a conversion.
  int accuracy(AccuracyEstimate* estimate);

  // Datum catalogue; indices count from 1.
  int datumCount(long* count) const;
  int datumCode(long index, char* code) const;  // kDatumCodeLength + 1 bytes
  int datumName(long index, char* name) const;  // kDatumNameLength + 1 bytes
  int datumIndex(const char* code, long* index) const;
  int datumEllipsoidCode(long index, char* code) const;  // kEllipsoidCodeLength + 1
  // The directory of the tables, known once initialised.
  const std::string& tableDirectory() const;

  // Definitions start from the tables as they are on disk, keep every entry
  // there and store the values exactly enough that this process, which
  // loads the tables again, and every later one convert alike. Other
  // processes may define at the same time: the caller holds the table
  // directory's lock across processes (the library's table lock).
  // Bounds in radians. The datum file is rewritten; it is left as it was
  // when the definition is refused.
  int defineDatum(const char* code, const char* name, const char* ellipsoidCode,
                  double dx, double dy, double dz, double sx, double sy, double sz,
                  double south, double north, double west, double east);

  // Ellipsoid catalogue; indices count from 1.
  int ellipsoidCount(long* count) const;
  int ellipsoidCode(long index, char* code) const;  // kEllipsoidCodeLength + 1
  int ellipsoidName(long index, char* name) const;  // kEllipsoidNameLength + 1
  int ellipsoidIndex(const char* code, long* index) const;
  int defineEllipsoid(const char* code, const char* name, double semiMajor, double semiMinor);

  ~Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

 private:
  Engine();
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace gxr::engine
