// Distance methods per second on 1,000,000 random pairs, with GeographicLib's
// inverse geodesic as the anchor; mapped-file reads against read().
#include <GeographicLib/Geodesic.hpp>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "gxr/gxr.h"

namespace {

constexpr size_t kPairs = 1'000'000;

// Pairs less than 180 degrees of longitude apart, so that the geodesic
// computes rather than refuses them.
const std::vector<GxrDistParams> &pairs() {
  static const std::vector<GxrDistParams> all = [] {
    std::mt19937_64 rng(1999);
    std::uniform_real_distribution<double> lat(-80, 80);
    std::uniform_real_distribution<double> lon(-89, 89);
    std::vector<GxrDistParams> made(kPairs);
    for (GxrDistParams &p : made) {
      p = GxrDistParams{lat(rng), lon(rng), 0, lat(rng), lon(rng), 0, GXR_EARTH_WGS84};
    }
    return made;
  }();
  return all;
}

void runMethod(benchmark::State &state, int method) {
  const std::vector<GxrDistParams> &all = pairs();
  int64_t failures = 0;
  for (auto _ : state) {
    double sum = 0;
    for (GxrDistParams p : all) {  // a copy: the call rewrites the angles
      double d = 0;
      if (GXR_DistanceCalculate(method, &p, &d) != GXR_OK) ++failures;
      sum += d;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(all.size()));
  state.counters["failures"] = static_cast<double>(failures);
}

void BM_GreatCircle(benchmark::State &state) { runMethod(state, GXR_GREAT_CIRCLE); }
void BM_RhumbLine(benchmark::State &state) { runMethod(state, GXR_RHUMB_LINE); }
void BM_StraightLine(benchmark::State &state) { runMethod(state, GXR_STRAIGHT_LINE); }
void BM_Vincenty(benchmark::State &state) { runMethod(state, GXR_GEODESIC); }

void BM_GeographicLibInverse(benchmark::State &state) {
  const GeographicLib::Geodesic &wgs84 = GeographicLib::Geodesic::WGS84();
  const std::vector<GxrDistParams> &all = pairs();
  for (auto _ : state) {
    double sum = 0;
    for (const GxrDistParams &p : all) {
      double s12 = 0;
      wgs84.Inverse(p.lat1, p.lon1, p.lat2, p.lon2, s12);
      sum += s12;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(all.size()));
}

BENCHMARK(BM_GreatCircle)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RhumbLine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StraightLine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Vincenty)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GeographicLibInverse)->Unit(benchmark::kMillisecond);

// A 32 MiB file read start to end in chunks of state.range(0) bytes, opened
// and closed each time; it stays in the page cache, so both loops measure
// the read path rather than the disk.
constexpr size_t kFileSize = 32u << 20;

const std::string &dataFile() {
  static const std::string name = [] {
    const std::string path =
        (std::filesystem::temp_directory_path() / ("gxr-bench-" + std::to_string(getpid())))
            .string();
    std::ofstream out(path, std::ios::binary);
    const std::string block(1 << 20, 'g');
    for (size_t i = 0; i < kFileSize / block.size(); ++i) out << block;
    std::atexit([] { std::filesystem::remove(dataFile()); });
    return path;
  }();
  return name;
}

void BM_MappedFileRead(benchmark::State &state) {
  const std::string &name = dataFile();
  GXR_ThreadInit();
  std::vector<char> buffer(static_cast<size_t>(state.range(0)));
  const int chunk = static_cast<int>(buffer.size());
  for (auto _ : state) {
    GxrMapReader reader{};
    if (GXR_FileOpen(GXR_IO_OPEN_BIN_READ, &reader, name.c_str()) != GXR_OK) {
      state.SkipWithError("open failed");
      break;
    }
    while (!GXR_FileEof(&reader)) GXR_FileRead(&reader, chunk, buffer.data());
    benchmark::DoNotOptimize(buffer.data());
    GXR_FileClose(&reader);
  }
  GXR_ThreadCleanup();
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kFileSize));
}

void BM_PlainRead(benchmark::State &state) {
  const std::string &name = dataFile();
  std::vector<char> buffer(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    const int fd = ::open(name.c_str(), O_RDONLY);
    if (fd < 0) {
      state.SkipWithError("open failed");
      break;
    }
    while (::read(fd, buffer.data(), buffer.size()) > 0) {
    }
    benchmark::DoNotOptimize(buffer.data());
    ::close(fd);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kFileSize));
}

BENCHMARK(BM_MappedFileRead)->Arg(4096)->Arg(65536)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainRead)->Arg(4096)->Arg(65536)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
