// A routing snapshot as compact text, one line per node:
// "name: addr/len prot process [hop metric time, ...]; ..." — what a test
// compares after reading a file.
#pragma once

#include <sstream>
#include <string>

#include "reach/ra_bt_tree.hpp"
#include "routing/ra_net_data.hpp"

inline std::string dotted(uint32_t value) {
    char text[KPLC_IP_ADDRESS_TEXT_SIZE];
    kpl_ip_address_value_to_string(value, text);
    return text;
}

inline std::string describe(const RaIpRouteEntry& entry) {
    std::ostringstream out;
    const KplT_IP_Address d = entry.get_destination();
    out << dotted(kpl_ip_address_value_get(d)) << "/"
        << kpl_ip_address_mask_prefix_length_compute(kpl_ip_address_mask_get(d)) << " "
        << entry.get_protocol_as_string() << " " << entry.get_process() << " [";
    const QovT_Ll_Desc* hops = entry.get_next_hops();
    for (int i = 0; i < kpl_list_size(hops); ++i) {
        const auto* hop = static_cast<const RaIpRouteNextHop*>(kpl_list_access(hops, i));
        out << (i ? ", " : "") << dotted(kpl_ip_address_value_get(hop->get_next_hop_addr())) << " "
            << hop->get_metric() << " " << hop->get_insert_time();
    }
    out << "]";
    return out.str();
}

inline std::string describe(const RaIpNode& node) {
    std::string line = std::string(node.get_name() ? node.get_name() : "(unnamed)") + ":";
    const QovT_Ll_Desc* entries = node.get_route_table()->get_entries();
    for (int i = 0; i < kpl_list_size(entries); ++i)
        line += (i ? "; " : " ") + describe(*static_cast<const RaIpRouteEntry*>(kpl_list_access(entries, i)));
    return line;
}

// Every node of a node list, one line each.
inline std::string describe(const QovT_Ll_Desc* nodes) {
    std::string text;
    for (int i = 0; i < kpl_list_size(nodes); ++i)
        text += describe(*static_cast<const RaIpNode*>(kpl_list_access(nodes, i))) + "\n";
    return text;
}

// Every node of every IP network of a snapshot, in order.
inline std::string describe(const RaNetData& data) {
    std::string text;
    const QovT_Ll_Desc* networks = data.get_ip_networks();
    for (int i = 0; i < kpl_list_size(networks); ++i)
        text += describe(static_cast<const RaIpNetwork*>(kpl_list_access(networks, i))->get_nodes());
    return text;
}
