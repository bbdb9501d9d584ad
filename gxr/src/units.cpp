// Unit conversions: one or two multiplications, in the order the factors are
// listed, so that results match other components bit for bit.
#include <array>

#include "gxr/gxr.h"

namespace {

// A conversion to one target unit: value * first, then * second when there
// is a second. No factors means no conversion (the unit itself).
struct Factors {
  int count;
  double first;
  double second;
};

constexpr Factors kNone{0, 0, 0};
constexpr Factors by(double first) { return {1, first, 0}; }
constexpr Factors by(double first, double second) { return {2, first, second}; }

// The library's foot is 1/3.2808 metre; the other reciprocals are computed
// once and stored as the doubles below.
constexpr double kFootToMeter = 0.30480370641307;
constexpr double kFootToKilometer = 0.00030480370641306994;
constexpr double kFootToNautical = 0.00016457883357315844;
constexpr double kFootToStatute = 0.0001893939393939394;
constexpr double kFootToFathom = 0.16666666666666666;
constexpr double kSquareMileToSquareKilometer = 2.5899891738452534;
constexpr double kSquareKilometerToSquareMile = 0.386102;

constexpr std::array<std::array<Factors, 6>, 6> kDistance{{
    {kNone, by(kFootToMeter), by(kFootToKilometer), by(kFootToNautical), by(kFootToStatute),
     by(kFootToFathom)},
    {by(3.2808), kNone, by(0.001), by(3.2808, kFootToNautical), by(3.2808, kFootToStatute),
     by(0.54680665278)},
    {by(3280.8), by(1000), kNone, by(3280.8, kFootToNautical), by(3280.8, kFootToStatute),
     by(546.8066527799999)},
    {by(6076.11549), by(6076.11549, kFootToMeter), by(6076.11549, kFootToKilometer), kNone,
     by(1.150779450540558), by(6076.11549, kFootToFathom)},
    {by(5280), by(5280, kFootToMeter), by(5280, kFootToKilometer), by(0.86897624), kNone,
     by(5280, kFootToFathom)},
    {by(6), by(1.8287999879224879), by(0.001828799987922488), by(6, kFootToNautical),
     by(6, kFootToStatute), kNone},
}};

constexpr std::array<std::array<Factors, 3>, 3> kArea{{
    {kNone, by(kSquareKilometerToSquareMile), by(100)},
    {by(kSquareMileToSquareKilometer), kNone, by(100, kSquareMileToSquareKilometer)},
    {by(0.01), by(kSquareKilometerToSquareMile, 0.01), kNone},
}};

constexpr std::array<std::array<Factors, 4>, 4> kTime{{
    {kNone, by(24), by(1440), by(86400)},
    {by(0.041666666666666664), kNone, by(60), by(3600)},
    {by(0.0006944444444444445), by(0.016666666666666666), kNone, by(60)},
    {by(1.1574074074074073e-05), by(0.0002777777777777778), by(0.016666666666666666), kNone},
}};

template <size_t N>
int convert(const std::array<std::array<Factors, N>, N> &table, int from, int to, double value,
            double *result) {
  if (to < 0 || static_cast<size_t>(to) >= N) return GXR_INVALID_FLAG;
  const Factors &factors = table[from][to];
  if (factors.count == 0) return GXR_INVALID_FLAG;
  if (result == nullptr) return GXR_NULL_POINTER;
  double converted = value * factors.first;
  if (factors.count == 2) converted *= factors.second;
  *result = converted;
  return GXR_OK;
}

using PerUnit = int (*)(int, double, double *);

// The checks of a dispatcher, then the per-unit function of the source unit.
template <size_t N>
int dispatch(const std::array<PerUnit, N> &units, int from, int to, double value,
             double *result) {
  const int status = GXR_ConvParamValidate(value, &result);
  if (status != GXR_OK) return status;
  if (from < 0 || static_cast<size_t>(from) >= N) return GXR_INVALID_FLAG;
  return units[from](to, value, result);
}

}  // namespace

extern "C" {

int GXR_FeetConvert(int to, double value, double *result) {
  return convert(kDistance, GXR_FEET, to, value, result);
}
int GXR_MeterConvert(int to, double value, double *result) {
  return convert(kDistance, GXR_METERS, to, value, result);
}
int GXR_KilometerConvert(int to, double value, double *result) {
  return convert(kDistance, GXR_KILOMETERS, to, value, result);
}
int GXR_NauticalConvert(int to, double value, double *result) {
  return convert(kDistance, GXR_NAUTICAL_MILES, to, value, result);
}
int GXR_StatuteConvert(int to, double value, double *result) {
  return convert(kDistance, GXR_STATUTE_MILES, to, value, result);
}
int GXR_FathomConvert(int to, double value, double *result) {
  return convert(kDistance, GXR_FATHOMS, to, value, result);
}
int GXR_SquareKilometersConvert(int to, double value, double *result) {
  return convert(kArea, GXR_SQ_KILOMETERS, to, value, result);
}
int GXR_SquareMilesConvert(int to, double value, double *result) {
  return convert(kArea, GXR_SQ_MILES, to, value, result);
}
int GXR_HectareConvert(int to, double value, double *result) {
  return convert(kArea, GXR_HECTARES, to, value, result);
}
int GXR_DaysConvert(int to, double value, double *result) {
  return convert(kTime, GXR_DAYS, to, value, result);
}
int GXR_HoursConvert(int to, double value, double *result) {
  return convert(kTime, GXR_HOURS, to, value, result);
}
int GXR_MinutesConvert(int to, double value, double *result) {
  return convert(kTime, GXR_MINUTES, to, value, result);
}
int GXR_SecondsConvert(int to, double value, double *result) {
  return convert(kTime, GXR_SECONDS, to, value, result);
}

int GXR_ConvParamValidate(double value, double **result) {
  if (!(value >= 0)) return GXR_NEGATIVE_INPUT;  // also NaN
  if (result == nullptr || *result == nullptr) return GXR_NULL_POINTER;
  return GXR_OK;
}

int GXR_DistanceConvert(int from, int to, double value, double *result) {
  static constexpr std::array<PerUnit, 6> units{GXR_FeetConvert,     GXR_MeterConvert,
                                                GXR_KilometerConvert, GXR_NauticalConvert,
                                                GXR_StatuteConvert,  GXR_FathomConvert};
  return dispatch(units, from, to, value, result);
}

int GXR_AreaConvert(int from, int to, double value, double *result) {
  static constexpr std::array<PerUnit, 3> units{
      GXR_SquareKilometersConvert, GXR_SquareMilesConvert, GXR_HectareConvert};
  return dispatch(units, from, to, value, result);
}

int GXR_TimeConvert(int from, int to, double value, double *result) {
  static constexpr std::array<PerUnit, 4> units{GXR_DaysConvert, GXR_HoursConvert,
                                                GXR_MinutesConvert, GXR_SecondsConvert};
  return dispatch(units, from, to, value, result);
}

int GXR_DegRadConvert(int direction, double value, double *result) {
  if (result == nullptr) return GXR_NULL_POINTER;
  switch (direction) {
    case GXR_DEG_TO_RAD: *result = value * 3.141592653589793 * 0.005555555555555556; break;
    case GXR_RAD_TO_DEG: *result = value * 180 * 0.3183098861837907; break;
    default: return GXR_INVALID_FLAG;
  }
  return GXR_OK;
}

}  // extern "C"
