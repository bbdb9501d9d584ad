// The route-file import of a directory of generated listings: 100 listings
// of 5,000 routes each (half a million routes, about 50 MB), in the four
// layouts routers print, with continuation lines, wrapped networks and
// internal routes mixed in as real tables have them.
//
// - Import: every listing read, parsed and written to its route files.
// - Floor: the same files read line by line, nothing parsed or written.
// Both report bytes per second over the listings' size; the ratio of the
// two is what parsing and writing cost.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "bgp_listing.hpp"
#include "import.hpp"
#include "xeq_host.h"

namespace {

namespace fs = std::filesystem;

constexpr int kListings = 100;
constexpr int kRoutesPerListing = 5000;

// Text placed at a column of a line, blanks before it.
void put(std::string& line, size_t column, const std::string& text) {
    if (line.size() < column) line.resize(column, ' ');
    line.replace(column, std::min(text.size(), line.size() - column), text);
}

// A route of a layout whose network starts at column n; with network
// empty, a continuation line.
std::string route(int n, std::mt19937& random, const std::string& network) {
    std::string line;
    put(line, n > 3 ? 1 : 0, random() % 4 == 0 ? "*>i" : "*>");
    size_t hop = n + 17;
    if (!network.empty()) {
        put(line, n, network);
        if (network.size() >= 17) line += "\n", hop += n > 3 ? 1 : 0;
    }
    const size_t start = line.rfind('\n') == std::string::npos ? 0 : line.rfind('\n') + 1;
    std::string rest = line.substr(start);
    line.erase(start);
    put(rest, hop, "192.0.2." + std::to_string(random() % 200 + 1));
    const std::string metric = std::to_string(random() % 3 == 0 ? 0 : random() % 100000);
    put(rest, hop + 25 + 1 - metric.size(), metric);
    if (random() % 2) put(rest, hop + 32 - 2, "100");
    put(rest, hop + 39, "0");
    std::string path = std::to_string(64512 + random() % 8);
    for (int i = 2 + random() % 5; i > 0; --i) path += " " + std::to_string(random() % 65000 + 1);
    put(rest, hop + 41, path + (random() % 5 == 0 ? " ?" : " i"));
    return line + rest + "\n";
}

struct Listings {
    Listings() : source(fs::temp_directory_path() / ("tovra-bench-" + std::to_string(::getpid()))) {
        fs::create_directories(source / "listings");
        fs::create_directories(source / "routes");
        std::mt19937 random(12);
        const int layouts[] = {3, 4, 5, 6};
        for (int f = 0; f < kListings; ++f) {
            const int n = layouts[f % 4];
            std::ofstream out(source / "listings" / ("r" + std::to_string(f) + ".txt"));
            out << (n > 3 ? " " : "") << "BGP table version is 9, local router ID is 10.0." << f << ".1\n\n";
            out << std::string(n, ' ') << "Network          Next Hop            Metric LocPrf Weight Path\n";
            for (int r = 0; r < kRoutesPerListing; ++r) {
                const std::string network = r % 3 == 1 ? "" :
                    r % 97 == 0 ? "203.0." + std::to_string(r % 256) + ".240/28" :
                    "10." + std::to_string(r / 256 % 256) + "." + std::to_string(r % 256) + ".0/24";
                out << route(n, random, network);
            }
        }
        for (const auto& entry : fs::directory_iterator(source / "listings")) bytes += fs::file_size(entry);
    }
    ~Listings() { fs::remove_all(source); }
    std::string listings() const { return (source / "listings").string(); }
    std::string routes() const { return (source / "routes").string(); }

    fs::path source;
    int64_t bytes = 0;
};

const Listings& listings() {
    static const Listings generated;
    return generated;
}

void Import(benchmark::State& state) {
    const Listings& l = listings();
    Xeq_Host_Echo_Set(0);
    int64_t written = 0;
    for (auto _ : state) {
        const tovra::ImportResult result =
            tovra::import_listings(l.listings().c_str(), l.routes().c_str(), [](const char*, const char*, const char*) {});
        written = result.written;
        Xeq_Host_Events_Clear();
    }
    state.SetBytesProcessed(state.iterations() * l.bytes);
    state.counters["routes_written"] = static_cast<double>(written);
    state.counters["listing_MB"] = static_cast<double>(l.bytes) / 1e6;
}

void Floor(benchmark::State& state) {
    const Listings& l = listings();
    int64_t lines = 0;
    for (auto _ : state) {
        lines = 0;
        for (const auto& entry : fs::directory_iterator(l.listings())) {
            const std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(entry.path().c_str(), "r"), std::fclose);
            char line[tovra::kLineSize];
            while (tovra::read_listing_line(in.get(), line)) ++lines;
        }
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(state.iterations() * l.bytes);
    state.counters["lines"] = static_cast<double>(lines);
}

BENCHMARK(Floor)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(Import)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
