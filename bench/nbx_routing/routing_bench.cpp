// Reading routing export files and looking routes up, in two shapes:
//
// - campus: 1,000 routers that all know the same 1,000 destinations
//   (about a million route entries, 170 MB). The floor is libxml2's SAX1
//   parser reading the same file with callbacks that do nothing; the aim is
//   the whole read (parse, model, tree) within 1.5 times the floor.
// - internet edge: 2 routers with the same 1,000,000 distinct prefixes.
//   Reported: the read time, and the memory per route entry and per
//   distinct prefix, retained after the read and at its peak (aim: at most
//   200 bytes per route entry, tree included).
//
// The input files are generated on first use into $NBX_BENCH_DIR (default
// /tmp/nbx_routing_bench) and kept there for later runs.
#include <benchmark/benchmark.h>
#include <libxml/parserInternals.h>
#include <malloc.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "reach/ra_bt_tree.hpp"
#include "routing/ra_net_data.hpp"
#include "routing/ra_xml_parser.hpp"
#include "snapshot_generator.hpp"

namespace {

std::string bench_dir() {
    const char* dir = std::getenv("NBX_BENCH_DIR");
    return dir != nullptr && *dir != '\0' ? dir : "/tmp/nbx_routing_bench";
}

// Generates a file in a child process, so that this process's pools and
// heap stay as they were.
const std::string& input_file(const std::string& name, const std::function<void(RaNetData&)>& fill) {
    static std::string paths[8];
    static int count = 0;
    const std::string path = bench_dir() + "/" + name;
    for (int i = 0; i < count; ++i)
        if (paths[i] == path) return paths[i];
    struct stat status;
    if (::stat(path.c_str(), &status) != 0) {
        ::mkdir(bench_dir().c_str(), 0755);
        std::fprintf(stderr, "generating %s ...\n", path.c_str());
        const pid_t child = ::fork();
        if (child == 0) {
            RaNetData data;
            fill(data);
            const std::string partial = path + ".partial";
            const bool done = data.export_network_data(partial) == RAC_EXPORT_DONE &&
                              std::rename(partial.c_str(), path.c_str()) == 0;
            std::_Exit(done ? 0 : 1);
        }
        int child_status = 0;
        ::waitpid(child, &child_status, 0);
        if (!WIFEXITED(child_status) || WEXITSTATUS(child_status) != 0) {
            std::fprintf(stderr, "cannot generate %s\n", path.c_str());
            std::exit(1);
        }
    }
    paths[count] = path;
    return paths[count++];
}

const std::string& campus_file() {
    return input_file("campus_1000x1000.atv.xml", [](RaNetData& d) { fill_campus(d, CampusShape{}); });
}

const std::string& internet_file() {
    return input_file("internet_2x1000000.atv.xml",
                      [](RaNetData& d) { fill_internet_edge(d, InternetEdgeShape{}); });
}

double file_megabytes(const std::string& path) {
    struct stat status;
    return ::stat(path.c_str(), &status) == 0 ? static_cast<double>(status.st_size) / 1e6 : 0.0;
}

// ---- the floor: libxml2 SAX1, callbacks that do nothing, same options ----------

void ignore_document(void*) {}
void ignore_element(void*, const xmlChar*, const xmlChar**) {}
void ignore_end(void*, const xmlChar*) {}
void ignore_text(void*, const xmlChar*, int) {}
void ignore_message(void*, const char*, ...) {}

void parse_with_empty_callbacks(const char* path) {
    static xmlSAXHandler handler = [] {
        xmlSAXHandler h;
        std::memset(&h, 0, sizeof h);
        h.startDocument = ignore_document;
        h.endDocument = ignore_document;
        h.startElement = ignore_element;
        h.endElement = ignore_end;
        h.characters = ignore_text;
        h.cdataBlock = ignore_text;
        h.warning = ignore_message;
        h.error = ignore_message;
        h.fatalError = ignore_message;
        return h;
    }();
    xmlParserCtxtPtr context = xmlNewParserCtxt();
    xmlCtxtUseOptions(context, XML_PARSE_NOENT | XML_PARSE_NONET);
    xmlFree(context->sax);
    context->sax = &handler;
    xmlParserInputPtr input = xmlLoadExternalEntity(path, nullptr, context);
    if (input != nullptr && inputPush(context, input) >= 0) xmlParseDocument(context);
    context->sax = nullptr;
    xmlFreeParserCtxt(context);
}

// ---- reads ------------------------------------------------------------------------------

struct TreeCounts {
    long entries = 0;
    long prefixes = 0;
};

TreeCounts count(RaBtTree& tree) {
    TreeCounts counts;
    QovT_Ll_Desc states;
    kpl_list_init(&states);
    tree.get_root()->collect_recursive(&states);
    counts.prefixes = kpl_list_size(&states);
    for (int i = 0; i < kpl_list_size(&states); ++i)
        counts.entries += kpl_list_size(static_cast<RaBtState*>(kpl_list_access(&states, i))->get_data());
    kpl_list_free(&states);
    return counts;
}

void BM_CampusFloor_Sax1EmptyCallbacks(benchmark::State& state) {
    const std::string& path = campus_file();
    for (auto _ : state) parse_with_empty_callbacks(path.c_str());
    state.counters["MB"] = file_megabytes(path);
    state.counters["MB/s"] = benchmark::Counter(file_megabytes(path), benchmark::Counter::kIsIterationInvariantRate);
}

void read_benchmark(benchmark::State& state, const std::string& path) {
    TreeCounts counts;
    for (auto _ : state) {
        RaBtTree* tree = ra_parse_xml_file(path.c_str());
        state.PauseTiming();
        counts = count(*tree);
        delete tree;
        state.ResumeTiming();
    }
    state.counters["route_entries"] = static_cast<double>(counts.entries);
    state.counters["prefixes"] = static_cast<double>(counts.prefixes);
    state.counters["MB/s"] = benchmark::Counter(file_megabytes(path), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_CampusRead(benchmark::State& state) { read_benchmark(state, campus_file()); }
void BM_InternetEdgeRead(benchmark::State& state) { read_benchmark(state, internet_file()); }

// Memory of one read, measured in a fresh process (this program run with
// --measure-read-memory FILE) so that no earlier read has left objects in
// the host's pools: what stays allocated afterwards (the tree, its
// routers, their routes) and the growth of the resident set at its peak.
long status_kb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
    return 0;
}

int measure_read_memory(const char* path) {
    std::ofstream("/proc/self/clear_refs") << "5"; // peak := current
    const long rss_before = status_kb("VmRSS:");
    const struct mallinfo2 before = mallinfo2();
    RaBtTree* tree = ra_parse_xml_file(path);
    if (tree == nullptr) return 1;
    const struct mallinfo2 after = mallinfo2();
    const long peak_kb = status_kb("VmHWM:");
    const TreeCounts counts = count(*tree);
    std::printf("%.0f %.0f %ld %ld\n",
                static_cast<double>((after.uordblks + after.hblkhd) - (before.uordblks + before.hblkhd)),
                static_cast<double>(peak_kb - rss_before) * 1024.0, counts.entries, counts.prefixes);
    return 0;
}

std::string self_path;

void BM_InternetEdgeReadMemory(benchmark::State& state) {
    const std::string& path = internet_file();
    double retained = 0, peak = 0, entries = 1, prefixes = 1;
    for (auto _ : state) {
        const std::string command = "'" + self_path + "' --measure-read-memory '" + path + "'";
        FILE* child = ::popen(command.c_str(), "r");
        if (child == nullptr || std::fscanf(child, "%lf %lf %lf %lf", &retained, &peak, &entries, &prefixes) != 4)
            state.SkipWithError("the measuring process failed");
        if (child != nullptr) ::pclose(child);
    }
    state.counters["retained_B_per_route_entry"] = retained / entries;
    state.counters["retained_B_per_prefix"] = retained / prefixes;
    state.counters["peak_B_per_route_entry"] = peak / entries;
    state.counters["peak_B_per_prefix"] = peak / prefixes;
    state.counters["route_entries"] = entries;
    state.counters["prefixes"] = prefixes;
}

// ---- look-ups ------------------------------------------------------------------------------

struct LoadedTree {
    RaBtTree* tree = nullptr;
    std::vector<KplT_IP_Address> networks; // 100,000 look-up targets
};

// Targets: the destinations of the first router (each as itself or as a
// network inside it), and a fifth random addresses.
LoadedTree load(const std::string& path) {
    LoadedTree loaded;
    loaded.tree = ra_parse_xml_file(path.c_str());
    const auto* first = static_cast<const RaIpNode*>(kpl_list_access(loaded.tree->get_node_list(), 0));
    const QovT_Ll_Desc* entries = first->get_route_table()->get_entries();
    std::mt19937 random(7);
    for (int i = 0; i < 100000; ++i) {
        if (i % 5 == 4) {
            loaded.networks.push_back({static_cast<uint32_t>(random()), 0xFFFFFFFFu});
            continue;
        }
        const auto* entry =
            static_cast<const RaIpRouteEntry*>(kpl_list_access(entries, static_cast<int>(random() % kpl_list_size(entries))));
        KplT_IP_Address network = entry->get_destination();
        if (i % 2 == 1 && network.mask != 0xFFFFFFFFu) { // a /32 inside it
            network.value |= static_cast<uint32_t>(random()) & ~network.mask;
            network.mask = 0xFFFFFFFFu;
        }
        loaded.networks.push_back(network);
    }
    return loaded;
}

void look_ups(benchmark::State& state, const std::string& path, bool aggregate) {
    static std::string loaded_path;
    static LoadedTree loaded;
    if (loaded_path != path) {
        delete loaded.tree;
        loaded = load(path);
        loaded_path = path;
    }
    long records = 0;
    for (auto _ : state) {
        for (const KplT_IP_Address& network : loaded.networks) {
            RaBtState* result = loaded.tree->get_state_by_prefix(network, aggregate);
            if (result != nullptr) records += kpl_list_size(result->get_data());
            if (aggregate) delete result;
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long>(loaded.networks.size()));
    state.counters["records_per_look_up"] =
        static_cast<double>(records) / static_cast<double>(state.iterations() * loaded.networks.size());
}

void BM_CampusAggregateLookUp100k(benchmark::State& state) { look_ups(state, campus_file(), true); }
void BM_CampusExactLookUp100k(benchmark::State& state) { look_ups(state, campus_file(), false); }
void BM_InternetEdgeAggregateLookUp100k(benchmark::State& state) { look_ups(state, internet_file(), true); }
void BM_InternetEdgeExactLookUp100k(benchmark::State& state) { look_ups(state, internet_file(), false); }

} // namespace

BENCHMARK(BM_CampusFloor_Sax1EmptyCallbacks)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CampusRead)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CampusAggregateLookUp100k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CampusExactLookUp100k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InternetEdgeRead)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_InternetEdgeReadMemory)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_InternetEdgeAggregateLookUp100k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InternetEdgeExactLookUp100k)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--measure-read-memory") == 0) return measure_read_memory(argv[2]);
    char self[4096];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    self_path = length > 0 ? std::string(self, static_cast<size_t>(length)) : argv[0];
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
