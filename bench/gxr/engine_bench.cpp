// GXR_CoordinatesConvert on a million points, against its floor (GEOTRANS 3.7
// driven directly: one service, one conversion per point on reused tuples)
// and against PROJ's proj_trans as a peer.
//
// Run with GXR_DATA_DIR set to the GEOTRANS data directory (default
// /usr/share/geotranz/data); USER_DATA gets a directory of its own.
#include <benchmark/benchmark.h>
#include <gxr/gxr.h>
#include <proj.h>
#include <stdlib.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "Accuracy.h"
#include "CoordinateConversionService.h"
#include "GeodeticCoordinates.h"
#include "GeodeticParameters.h"
#include "UTMCoordinates.h"
#include "UTMParameters.h"

namespace {

namespace ccs = MSP::CCS;
constexpr int kPoints = 1'000'000;
constexpr double kDeg = std::numbers::pi / 180;

std::string dataDirectory() {
  const char* env = std::getenv("GXR_DATA_DIR");
  return env != nullptr ? env : "/usr/share/geotranz/data";
}

// Points inside UTM zone 18 and inside the NAS-C area, so that PROJ with one
// fixed definition does the same work as the engine.
std::vector<GxrPoint3> makePoints(double latMin, double latMax, double lonMin, double lonMax) {
  std::mt19937 random(2026);
  std::uniform_real_distribution<double> lat(latMin, latMax), lon(lonMin, lonMax);
  std::vector<GxrPoint3> points(kPoints);
  for (GxrPoint3& p : points) {
    p.geodetic.latitude = lat(random);
    p.geodetic.longitude = lon(random);
    p.geodetic.height = 0;
  }
  return points;
}

const std::vector<GxrPoint3>& utmPoints() {
  static const std::vector<GxrPoint3> points = makePoints(0, 60, -78, -72);
  return points;
}

const std::vector<GxrPoint3>& conusPoints() {
  static const std::vector<GxrPoint3> points = makePoints(25, 49, -125, -67);
  return points;
}

// The library's environment, set up once per process.
void initialiseLibrary() {
  static const bool ready = [] {
    static std::string user = (std::filesystem::temp_directory_path() / "gxr-engine-bench").string();
    std::filesystem::create_directories(user);
    setenv("USER_DATA", user.c_str(), 1);
    setenv("GXR_DATA_DIR", dataDirectory().c_str(), 1);
    GXR_ThreadInit();
    GxrDiagnostic diagnostic{};
    return GXR_DtccInitialize(6, 6, &diagnostic) == GXR_OK;
  }();
  if (!ready) std::abort();
}

void countPoints(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * kPoints);
}

// GEOTRANS driven directly: one service, per-point conversion on reused
// tuples, old warning and error texts cleared as the library must.
template <typename Out, typename Read>
void runFloor(benchmark::State& state, ccs::CoordinateConversionService& service, Out& out,
              const std::vector<GxrPoint3>& points, Read read) {
  ccs::GeodeticCoordinates in(ccs::CoordinateType::geodetic);
  ccs::Accuracy inAccuracy, outAccuracy;
  for (auto _ : state) {
    double sum = 0;
    for (const GxrPoint3& p : points) {
      in.set(p.geodetic.longitude * kDeg, p.geodetic.latitude * kDeg, p.geodetic.height);
      out.setWarningMessage("");
      out.setErrorMessage("");
      service.convertSourceToTarget(&in, &inAccuracy, out, outAccuracy);
      sum += read(out);
    }
    benchmark::DoNotOptimize(sum);
  }
  countPoints(state);
}

void BM_Floor_GeodeticToUtm(benchmark::State& state) {
  setenv("MSPCCS_DATA", dataDirectory().c_str(), 1);
  ccs::GeodeticParameters geodetic(ccs::CoordinateType::geodetic, ccs::HeightType::ellipsoidHeight);
  ccs::UTMParameters utm(ccs::CoordinateType::universalTransverseMercator, 0, 0);
  ccs::CoordinateConversionService service("WGE", &geodetic, "WGE", &utm);
  ccs::UTMCoordinates out(ccs::CoordinateType::universalTransverseMercator);
  runFloor(state, service, out, utmPoints(), [](ccs::UTMCoordinates& o) { return o.easting(); });
}

void BM_Floor_WgeToNasC(benchmark::State& state) {
  setenv("MSPCCS_DATA", dataDirectory().c_str(), 1);
  ccs::GeodeticParameters geodetic(ccs::CoordinateType::geodetic, ccs::HeightType::ellipsoidHeight);
  ccs::CoordinateConversionService service("WGE", &geodetic, "NAS-C", &geodetic);
  ccs::GeodeticCoordinates out(ccs::CoordinateType::geodetic);
  runFloor(state, service, out, conusPoints(),
           [](ccs::GeodeticCoordinates& o) { return o.latitude(); });
}

void runLibrary(benchmark::State& state, const char* toDatum, const char* toSystem,
                const std::vector<GxrPoint3>& points) {
  initialiseLibrary();
  for (auto _ : state) {
    GxrPointArray result{};
    GxrDiagnostic diagnostic{};
    if (GXR_CoordinatesConvert("WGE", toDatum, "GD", toSystem, nullptr, nullptr, kPoints, points.data(), &result,
                               &diagnostic) != GXR_OK)
      state.SkipWithError("conversion failed");
    benchmark::DoNotOptimize(result.points);
    GXR_PtrFree(&result.points);
  }
  countPoints(state);
}

void BM_Gxr_GeodeticToUtm(benchmark::State& state) { runLibrary(state, "WGE", "UT", utmPoints()); }
void BM_Gxr_WgeToNasC(benchmark::State& state) { runLibrary(state, "NAS-C", "GD", conusPoints()); }

void runProj(benchmark::State& state, const char* definition, const std::vector<GxrPoint3>& points) {
  PJ_CONTEXT* context = proj_context_create();
  PJ* pj = proj_create(context, definition);
  if (pj == nullptr) {
    state.SkipWithError("PROJ definition refused");
    proj_context_destroy(context);
    return;
  }
  for (auto _ : state) {
    double sum = 0;
    for (const GxrPoint3& p : points) {
      PJ_COORD c = proj_trans(pj, PJ_FWD, proj_coord(p.geodetic.longitude, p.geodetic.latitude, p.geodetic.height, 0));
      sum += c.xy.x;
    }
    benchmark::DoNotOptimize(sum);
  }
  countPoints(state);
  proj_destroy(pj);
  proj_context_destroy(context);
}

void BM_Proj_GeodeticToUtm(benchmark::State& state) {
  runProj(state,
          "+proj=pipeline +step +proj=unitconvert +xy_in=deg +xy_out=rad "
          "+step +proj=utm +zone=18 +ellps=WGS84",
          utmPoints());
}

void BM_Proj_WgeToNasC(benchmark::State& state) {
  runProj(state,
          "+proj=pipeline +step +proj=unitconvert +xy_in=deg +xy_out=rad "
          "+step +proj=cart +ellps=WGS84 +step +proj=helmert +x=8 +y=-160 +z=-176 "
          "+step +inv +proj=cart +ellps=clrk66 +step +proj=unitconvert +xy_in=rad +xy_out=deg",
          conusPoints());
}

}  // namespace

BENCHMARK(BM_Floor_GeodeticToUtm)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_Gxr_GeodeticToUtm)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_Proj_GeodeticToUtm)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_Floor_WgeToNasC)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_Gxr_WgeToNasC)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_Proj_WgeToNasC)->Unit(benchmark::kMillisecond)->MinTime(3);

BENCHMARK_MAIN();
