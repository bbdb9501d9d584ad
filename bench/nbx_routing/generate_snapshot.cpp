// nbx_routing_generate: writes a routing export file (".atv.xml") of one of
// the two snapshot shapes through the routing export writer.
//
//   nbx_routing_generate campus OUT [ROUTERS [DESTINATIONS [SEED]]]
//   nbx_routing_generate internet OUT [ROUTERS [PREFIXES [SEED]]]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "routing/ra_net_data.hpp"
#include "snapshot_generator.hpp"

namespace {

bool positive(const char* text, int& out) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 1 || value > 100000000) return false;
    out = static_cast<int>(value);
    return true;
}

int usage() {
    std::fputs("usage: nbx_routing_generate campus OUT [ROUTERS [DESTINATIONS [SEED]]]\n"
               "       nbx_routing_generate internet OUT [ROUTERS [PREFIXES [SEED]]]\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 6) return usage();
    const std::string shape = argv[1];
    int counts[3] = {shape == "internet" ? 2 : 1000, shape == "internet" ? 1000000 : 1000, 1};
    for (int i = 3; i < argc; ++i)
        if (!positive(argv[i], counts[i - 3])) return usage();
    RaNetData data;
    long entries;
    if (shape == "campus") entries = fill_campus(data, {counts[0], counts[1], static_cast<uint32_t>(counts[2])});
    else if (shape == "internet")
        entries = fill_internet_edge(data, {counts[0], counts[1], static_cast<uint32_t>(counts[2])});
    else return usage();
    const KplT_Compcode code = data.export_network_data(argv[2]);
    if (code != RAC_EXPORT_DONE) {
        std::fprintf(stderr, "nbx_routing_generate: cannot %s %s\n",
                     code == RAC_EXPORT_OPEN_FAILED ? "create" : "write", argv[2]);
        return 1;
    }
    std::printf("%s: %d routers, %ld route entries\n", argv[2], counts[0], entries);
    return 0;
}
