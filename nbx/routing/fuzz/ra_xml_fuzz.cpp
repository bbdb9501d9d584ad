// libFuzzer target: the routing export file reader on arbitrary bytes, then
// exact and aggregate look-ups of every destination it read (and of a
// default and a host network), then the tree's release. Build and run with
// run_fuzz.sh beside this file.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "reach/ra_bt_tree.hpp"
#include "routing/ra_net_data.hpp"
#include "routing/ra_xml_parser.hpp"

namespace {

// One in-memory file, rewritten for every input.
const std::string& input_path() {
    static const std::string path = [] {
        const int fd = ::memfd_create("ra_xml_fuzz", 0);
        if (fd < 0) std::abort();
        return "/proc/self/fd/" + std::to_string(fd);
    }();
    return path;
}

void look_up_everything(RaBtTree& tree) {
    const QovT_Ll_Desc* nodes = tree.get_node_list();
    for (int n = 0; n < kpl_list_size(nodes); ++n) {
        const auto* node = static_cast<const RaIpNode*>(kpl_list_access(nodes, n));
        const QovT_Ll_Desc* entries = node->get_route_table()->get_entries();
        for (int e = 0; e < kpl_list_size(entries) && e < 64; ++e) {
            const KplT_IP_Address destination =
                static_cast<const RaIpRouteEntry*>(kpl_list_access(entries, e))->get_destination();
            if (tree.get_state_by_prefix(destination, false) == nullptr) std::abort(); // was filed
            delete tree.get_state_by_prefix(destination, true);
            delete tree.get_state_by_prefix({destination.value | 1u, 0xFFFFFFFFu}, true);
        }
    }
    delete tree.get_state_by_prefix({0, 0}, true);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = input_path();
    FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);
    RaBtTree* tree = ra_parse_xml_file(path.c_str());
    if (tree == nullptr) std::abort(); // only out of memory gives none
    look_up_everything(*tree);
    delete tree;
    return 0;
}
