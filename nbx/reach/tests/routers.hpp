// Routers and routes made by hand for the tree tests: a tree that owns a
// node list, filled with "10.1.0.0/16"-style prefixes.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reach/ra_bt_tree.hpp"
#include "routing/ra_net_data.hpp"

inline KplT_IP_Address prefix(const char* text) {
    KplT_IP_Address address{};
    EXPECT_EQ(kpl_ip_address_parse(text, nullptr, &address), 1) << text;
    return address;
}

class RouterTree {
public:
    RouterTree() : nodes_(kpl_list_create()) { tree.set_node_list(nodes_); }

    RaIpNode* router(const char* name) {
        auto* node = new RaIpNode(name);
        kpl_list_insert(nodes_, node, KPLC_LISTPOS_TAIL);
        return node;
    }
    // Adds a route of router to destination (as "a.b.c.d/len") and files it.
    RaIpRouteEntry* route(RaIpNode* node, const char* destination, int protocol = RAC_PROTOCOL_OSPF) {
        RaIpRouteEntry* entry = node->add_ip_route();
        const KplT_IP_Address address = prefix(destination);
        entry->set_destination(address.value, address.mask);
        entry->set_protocol(protocol);
        auto* record = new RaBtStateData;
        record->insert_node(node);
        record->insert_route(entry);
        EXPECT_TRUE(tree.insert_ip_address(address, record));
        return entry;
    }
    // Every router's cell pointer is null.
    bool cells_clear() const {
        for (int i = 0; i < kpl_list_size(nodes_); ++i)
            if (static_cast<RaIpNode*>(kpl_list_access(nodes_, i))->get_cell_ptr() != nullptr) return false;
        return true;
    }

    RaBtTree tree;

private:
    QovT_Ll_Desc* nodes_;
};

// The (router, route) pairs of a record list, in order.
inline std::vector<std::pair<const RaIpNode*, const RaIpRouteEntry*>> pairs(const QovT_Ll_Desc* list) {
    std::vector<std::pair<const RaIpNode*, const RaIpRouteEntry*>> out;
    for (int i = 0; i < kpl_list_size(list); ++i) {
        const auto* record = static_cast<const RaBtStateData*>(kpl_list_access(list, i));
        out.emplace_back(record->get_node(), record->get_route());
    }
    return out;
}
