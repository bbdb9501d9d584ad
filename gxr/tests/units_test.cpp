// Unit conversions: every pair with its factors in their order, and the
// checks of the dispatchers.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "gxr/gxr.h"

namespace {

using Dispatcher = int (*)(int, int, double, double *);
using PerUnit = int (*)(int, double, double *);

// One conversion and the factors it must apply, in order (second 0: none).
struct Pair {
  const char *label;
  Dispatcher dispatcher;
  PerUnit perUnit;
  int from;
  int to;
  double first;
  double second;
};

constexpr double kFtM = 0.30480370641307;
constexpr double kFtKm = 0.00030480370641306994;
constexpr double kFtNm = 0.00016457883357315844;
constexpr double kFtMi = 0.0001893939393939394;
constexpr double kFtFa = 0.16666666666666666;

const Pair kPairs[] = {
    {"ft>m", GXR_DistanceConvert, GXR_FeetConvert, 0, 1, kFtM, 0},
    {"ft>km", GXR_DistanceConvert, GXR_FeetConvert, 0, 2, kFtKm, 0},
    {"ft>nm", GXR_DistanceConvert, GXR_FeetConvert, 0, 3, kFtNm, 0},
    {"ft>mi", GXR_DistanceConvert, GXR_FeetConvert, 0, 4, kFtMi, 0},
    {"ft>fa", GXR_DistanceConvert, GXR_FeetConvert, 0, 5, kFtFa, 0},
    {"m>ft", GXR_DistanceConvert, GXR_MeterConvert, 1, 0, 3.2808, 0},
    {"m>km", GXR_DistanceConvert, GXR_MeterConvert, 1, 2, 0.001, 0},
    {"m>nm", GXR_DistanceConvert, GXR_MeterConvert, 1, 3, 3.2808, kFtNm},
    {"m>mi", GXR_DistanceConvert, GXR_MeterConvert, 1, 4, 3.2808, kFtMi},
    {"m>fa", GXR_DistanceConvert, GXR_MeterConvert, 1, 5, 0.54680665278, 0},
    {"km>ft", GXR_DistanceConvert, GXR_KilometerConvert, 2, 0, 3280.8, 0},
    {"km>m", GXR_DistanceConvert, GXR_KilometerConvert, 2, 1, 1000, 0},
    {"km>nm", GXR_DistanceConvert, GXR_KilometerConvert, 2, 3, 3280.8, kFtNm},
    {"km>mi", GXR_DistanceConvert, GXR_KilometerConvert, 2, 4, 3280.8, kFtMi},
    {"km>fa", GXR_DistanceConvert, GXR_KilometerConvert, 2, 5, 546.8066527799999, 0},
    {"nm>ft", GXR_DistanceConvert, GXR_NauticalConvert, 3, 0, 6076.11549, 0},
    {"nm>m", GXR_DistanceConvert, GXR_NauticalConvert, 3, 1, 6076.11549, kFtM},
    {"nm>km", GXR_DistanceConvert, GXR_NauticalConvert, 3, 2, 6076.11549, kFtKm},
    {"nm>mi", GXR_DistanceConvert, GXR_NauticalConvert, 3, 4, 1.150779450540558, 0},
    {"nm>fa", GXR_DistanceConvert, GXR_NauticalConvert, 3, 5, 6076.11549, kFtFa},
    {"mi>ft", GXR_DistanceConvert, GXR_StatuteConvert, 4, 0, 5280, 0},
    {"mi>m", GXR_DistanceConvert, GXR_StatuteConvert, 4, 1, 5280, kFtM},
    {"mi>km", GXR_DistanceConvert, GXR_StatuteConvert, 4, 2, 5280, kFtKm},
    {"mi>nm", GXR_DistanceConvert, GXR_StatuteConvert, 4, 3, 0.86897624, 0},
    {"mi>fa", GXR_DistanceConvert, GXR_StatuteConvert, 4, 5, 5280, kFtFa},
    {"fa>ft", GXR_DistanceConvert, GXR_FathomConvert, 5, 0, 6, 0},
    {"fa>m", GXR_DistanceConvert, GXR_FathomConvert, 5, 1, 1.8287999879224879, 0},
    {"fa>km", GXR_DistanceConvert, GXR_FathomConvert, 5, 2, 0.001828799987922488, 0},
    {"fa>nm", GXR_DistanceConvert, GXR_FathomConvert, 5, 3, 6, kFtNm},
    {"fa>mi", GXR_DistanceConvert, GXR_FathomConvert, 5, 4, 6, kFtMi},
    {"km2>mi2", GXR_AreaConvert, GXR_SquareKilometersConvert, 0, 1, 0.386102, 0},
    {"km2>ha", GXR_AreaConvert, GXR_SquareKilometersConvert, 0, 2, 100, 0},
    {"mi2>km2", GXR_AreaConvert, GXR_SquareMilesConvert, 1, 0, 2.5899891738452534, 0},
    {"mi2>ha", GXR_AreaConvert, GXR_SquareMilesConvert, 1, 2, 100, 2.5899891738452534},
    {"ha>km2", GXR_AreaConvert, GXR_HectareConvert, 2, 0, 0.01, 0},
    {"ha>mi2", GXR_AreaConvert, GXR_HectareConvert, 2, 1, 0.386102, 0.01},
    {"d>h", GXR_TimeConvert, GXR_DaysConvert, 0, 1, 24, 0},
    {"d>min", GXR_TimeConvert, GXR_DaysConvert, 0, 2, 1440, 0},
    {"d>s", GXR_TimeConvert, GXR_DaysConvert, 0, 3, 86400, 0},
    {"h>d", GXR_TimeConvert, GXR_HoursConvert, 1, 0, 0.041666666666666664, 0},
    {"h>min", GXR_TimeConvert, GXR_HoursConvert, 1, 2, 60, 0},
    {"h>s", GXR_TimeConvert, GXR_HoursConvert, 1, 3, 3600, 0},
    {"min>d", GXR_TimeConvert, GXR_MinutesConvert, 2, 0, 0.0006944444444444445, 0},
    {"min>h", GXR_TimeConvert, GXR_MinutesConvert, 2, 1, 0.016666666666666666, 0},
    {"min>s", GXR_TimeConvert, GXR_MinutesConvert, 2, 3, 60, 0},
    {"s>d", GXR_TimeConvert, GXR_SecondsConvert, 3, 0, 1.1574074074074073e-05, 0},
    {"s>h", GXR_TimeConvert, GXR_SecondsConvert, 3, 1, 0.0002777777777777778, 0},
    {"s>min", GXR_TimeConvert, GXR_SecondsConvert, 3, 2, 0.016666666666666666, 0},
};

double expected(const Pair &pair, double value) {
  const double once = value * pair.first;
  return pair.second == 0 ? once : once * pair.second;
}

const Pair *find(Dispatcher dispatcher, int from, int to) {
  for (const Pair &pair : kPairs) {
    if (pair.dispatcher == dispatcher && pair.from == from && pair.to == to) return &pair;
  }
  return nullptr;
}

// Values whose products round differently when the factors are applied in
// the other order or folded into one.
const double kValues[] = {0.0, 1.0, 0.1, 3.7, 12345.678, 1e-7, 9.87654321e12};

TEST(GxrUnits, EveryPairAppliesItsFactorsInOrder) {
  for (const Pair &pair : kPairs) {
    for (double value : kValues) {
      double viaDispatcher = -1;
      double direct = -1;
      ASSERT_EQ(pair.dispatcher(pair.from, pair.to, value, &viaDispatcher), GXR_OK) << pair.label;
      ASSERT_EQ(pair.perUnit(pair.to, value, &direct), GXR_OK) << pair.label;
      EXPECT_EQ(viaDispatcher, expected(pair, value)) << pair.label << " of " << value;
      EXPECT_EQ(direct, viaDispatcher) << pair.label;
    }
  }
}

TEST(GxrUnits, ThereAndBackAgainIsCloseToIdentity) {
  // Catches a factor put in the wrong cell, which exact tables cannot.
  for (const Pair &pair : kPairs) {
    const Pair *back = find(pair.dispatcher, pair.to, pair.from);
    ASSERT_NE(back, nullptr) << pair.label;
    const double roundTrip = expected(*back, expected(pair, 1000.0));
    EXPECT_NEAR(roundTrip, 1000.0, 1000.0 * 2e-6) << pair.label;
  }
}

TEST(GxrUnits, PublishedExamples) {
  double result = 0;
  ASSERT_EQ(GXR_DistanceConvert(GXR_FEET, GXR_METERS, 1.0, &result), GXR_OK);
  EXPECT_EQ(result, 0.30480370641307);
  ASSERT_EQ(GXR_DistanceConvert(GXR_METERS, GXR_FEET, 1.0, &result), GXR_OK);
  EXPECT_EQ(result, 3.2808);
  ASSERT_EQ(GXR_TimeConvert(GXR_DAYS, GXR_SECONDS, 2.0, &result), GXR_OK);
  EXPECT_EQ(result, 2 * 86400.0);
  ASSERT_EQ(GXR_TimeConvert(GXR_SECONDS, GXR_DAYS, 86400.0, &result), GXR_OK);
  EXPECT_EQ(result, 1.0);
  ASSERT_EQ(GXR_FeetConvert(GXR_METERS, -10.0, &result), GXR_OK);  // no sign check
  EXPECT_EQ(result, -10 * 0.30480370641307);
}

TEST(GxrUnits, DispatchersCheckValueThenPointerThenUnits) {
  struct Case {
    const char *label;
    int from;
    int to;
    double value;
    bool nullResult;
    int status;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Case cases[] = {
      {"negative", GXR_FEET, GXR_METERS, -1.0, false, GXR_NEGATIVE_INPUT},
      {"negative before bad units", 99, -3, -1.0, false, GXR_NEGATIVE_INPUT},
      {"negative before null", GXR_FEET, GXR_METERS, -1.0, true, GXR_NEGATIVE_INPUT},
      {"NaN", GXR_FEET, GXR_METERS, nan, false, GXR_NEGATIVE_INPUT},
      {"null before bad units", 99, 99, 1.0, true, GXR_NULL_POINTER},
      {"same unit", GXR_METERS, GXR_METERS, 1.0, false, GXR_INVALID_FLAG},
      {"source out of table", 6, GXR_METERS, 1.0, false, GXR_INVALID_FLAG},
      {"source negative", -1, GXR_METERS, 1.0, false, GXR_INVALID_FLAG},
      {"target out of table", GXR_METERS, 6, 1.0, false, GXR_INVALID_FLAG},
  };
  for (Dispatcher dispatcher : {GXR_DistanceConvert, GXR_AreaConvert, GXR_TimeConvert}) {
    for (const Case &c : cases) {
      double result = 42;
      EXPECT_EQ(dispatcher(c.from, c.to, c.value, c.nullResult ? nullptr : &result), c.status)
          << c.label;
      EXPECT_EQ(result, 42) << c.label << ": result written on failure";
    }
  }
  double result = 42;
  ASSERT_EQ(GXR_DistanceConvert(GXR_METERS, GXR_FEET, 0.0, &result), GXR_OK);
  EXPECT_EQ(result, 0.0);
}

TEST(GxrUnits, PerUnitFunctionsRefuseTheirOwnUnitAndStrangers) {
  const PerUnit all[] = {GXR_FeetConvert,   GXR_MeterConvert,      GXR_KilometerConvert,
                         GXR_NauticalConvert, GXR_StatuteConvert,  GXR_FathomConvert,
                         GXR_SquareKilometersConvert, GXR_SquareMilesConvert,
                         GXR_HectareConvert, GXR_DaysConvert,      GXR_HoursConvert,
                         GXR_MinutesConvert, GXR_SecondsConvert};
  const int own[] = {0, 1, 2, 3, 4, 5, 0, 1, 2, 0, 1, 2, 3};
  for (size_t i = 0; i < std::size(all); ++i) {
    double result = 42;
    EXPECT_EQ(all[i](own[i], 1.0, &result), GXR_INVALID_FLAG) << i;
    EXPECT_EQ(all[i](-1, 1.0, &result), GXR_INVALID_FLAG) << i;
    EXPECT_EQ(all[i](6, 1.0, &result), GXR_INVALID_FLAG) << i;
    EXPECT_EQ(result, 42) << i;
  }
}

TEST(GxrUnits, DegreesAndRadians) {
  double result = 0;
  ASSERT_EQ(GXR_DegRadConvert(GXR_DEG_TO_RAD, 90.0, &result), GXR_OK);
  EXPECT_EQ(result, 90.0 * 3.141592653589793 * 0.005555555555555556);
  ASSERT_EQ(GXR_DegRadConvert(GXR_RAD_TO_DEG, -1.0, &result), GXR_OK);
  EXPECT_EQ(result, -1.0 * 180 * 0.3183098861837907);
  EXPECT_EQ(GXR_DegRadConvert(2, 1.0, &result), GXR_INVALID_FLAG);
  EXPECT_EQ(GXR_DegRadConvert(2, 1.0, nullptr), GXR_NULL_POINTER);
  EXPECT_EQ(GXR_DegRadConvert(GXR_DEG_TO_RAD, 1.0, nullptr), GXR_NULL_POINTER);
}

}  // namespace
