#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "model_fixture.hpp"
#include "routers.hpp"

namespace {

using Pairs = std::vector<std::pair<const RaIpNode*, const RaIpRouteEntry*>>;

Pairs aggregate(RouterTree& t, const char* network) {
    std::unique_ptr<RaBtState> result(t.tree.get_state_by_prefix(prefix(network), true));
    EXPECT_NE(result, nullptr);
    EXPECT_TRUE(t.cells_clear()) << network;
    return result ? pairs(result->get_data()) : Pairs{};
}

// The state hanging on the tree node that the prefix's bits lead to, found
// by walking the nodes themselves rather than through the look-up.
const void* state_at(const RaBtTree& tree, KplT_IP_Address address) {
    const uint32_t value = kpl_ip_address_value_get(address);
    const int length = kpl_ip_address_mask_prefix_length_compute(kpl_ip_address_mask_get(address));
    const NbxBtNode* node = const_cast<RaBtTree&>(tree).get_root();
    for (int i = 0; i < length && node != nullptr; ++i)
        node = (value << i) & 0x80000000u ? node->get_right() : node->get_left();
    return node == nullptr ? nullptr : node->get_state();
}

Pairs exact(RouterTree& t, const char* network) {
    RaBtState* state = t.tree.get_state_by_prefix(prefix(network), false);
    return state ? pairs(state->get_data()) : Pairs{};
}

TEST(RaBtTree, FilesRoutesByPrefixAtTheirDepth) {
    RouterTree t;
    RaIpNode* r1 = t.router("top.r1");
    RaIpRouteEntry* def = t.route(r1, "0.0.0.0/0", RAC_PROTOCOL_STATIC);
    RaIpRouteEntry* host = t.route(r1, "10.1.2.3/32");
    RaIpRouteEntry* net = t.route(r1, "10.1.0.0/16");
    // Host bits beyond the prefix do not matter.
    EXPECT_EQ(exact(t, "10.1.99.0/16"), (Pairs{{r1, net}}));
    EXPECT_EQ(exact(t, "0.0.0.0/0"), (Pairs{{r1, def}}));
    EXPECT_EQ(exact(t, "10.1.2.3/32"), (Pairs{{r1, host}}));
    // The exact answer is the tree's own state at the prefix's depth, not a copy.
    EXPECT_EQ(t.tree.get_state_by_prefix(prefix("10.1.2.3/32"), false),
              state_at(t.tree, prefix("10.1.2.3/32")));
    EXPECT_EQ(t.tree.get_state_by_prefix(prefix("0.0.0.0/0"), false), state_at(t.tree, prefix("0.0.0.0/0")));
    // On the path but without a state, and off every path.
    EXPECT_EQ(t.tree.get_state_by_prefix(prefix("10.0.0.0/8"), false), nullptr);
    EXPECT_EQ(t.tree.get_state_by_prefix(prefix("10.1.2.2/32"), false), nullptr);
    EXPECT_EQ(t.tree.get_state_by_prefix(prefix("192.168.0.0/16"), false), nullptr);
    // 32 nodes for the /32, of which the /16 shares the first 16.
    EXPECT_EQ(t.tree.get_size(), 32);
}

TEST(RaBtTree, AggregateKeepsEachRoutersMostSpecificCoveringRoute) {
    RouterTree t;
    RaIpNode* a = t.router("top.a");
    RaIpNode* b = t.router("top.b");
    RaIpNode* c = t.router("top.c");
    RaIpRouteEntry* b_def = t.route(b, "0.0.0.0/0", RAC_PROTOCOL_BGP);
    RaIpRouteEntry* a8 = t.route(a, "10.0.0.0/8");
    RaIpRouteEntry* c_def = t.route(c, "0.0.0.0/0");
    RaIpRouteEntry* a16 = t.route(a, "10.1.0.0/16");
    RaIpRouteEntry* c24 = t.route(c, "10.1.2.0/24");
    RaIpRouteEntry* b25 = t.route(b, "10.1.2.128/25");

    // Routers in the order first met from the root down; a's /16 replaces
    // its /8 in place.
    EXPECT_EQ(aggregate(t, "10.1.2.0/24"), (Pairs{{b, b_def}, {c, c24}, {a, a16}}));
    EXPECT_EQ(aggregate(t, "10.1.2.200/32"), (Pairs{{b, b25}, {c, c24}, {a, a16}}));
    EXPECT_EQ(aggregate(t, "10.9.0.0/16"), (Pairs{{b, b_def}, {c, c_def}, {a, a8}}));
    EXPECT_EQ(aggregate(t, "0.0.0.0/0"), (Pairs{{b, b_def}, {c, c_def}}));
    // A look-up shorter than the routes below it sees only what covers it.
    EXPECT_EQ(aggregate(t, "10.0.0.0/7"), (Pairs{{b, b_def}, {c, c_def}}));
}

TEST(RaBtTree, AggregateOfANetworkNobodyCoversIsEmptyNotNull) {
    RouterTree t;
    t.route(t.router("top.a"), "10.0.0.0/8");
    EXPECT_TRUE(aggregate(t, "192.168.1.0/24").empty());
    RouterTree empty;
    EXPECT_TRUE(aggregate(empty, "10.0.0.0/8").empty());
}

TEST(RaBtTree, TwoEntriesOfOneRouterUnderOnePrefix) {
    RouterTree t;
    RaIpNode* a = t.router("top.a");
    RaIpRouteEntry* first = t.route(a, "10.1.0.0/16", RAC_PROTOCOL_OSPF);
    RaIpRouteEntry* second = t.route(a, "10.1.0.0/16", RAC_PROTOCOL_RIP);
    EXPECT_EQ(exact(t, "10.1.0.0/16"), (Pairs{{a, first}, {a, second}}));
    EXPECT_EQ(aggregate(t, "10.1.0.0/16"), (Pairs{{a, second}}));
}

TEST(RaBtTree, TheAggregateResultOwnsItsRecordsOnly) {
    RouterTree t;
    RaIpNode* a = t.router("top.a");
    t.route(a, "10.0.0.0/8");
    for (int round = 0; round < 3; ++round) {
        RaBtState* result = t.tree.get_state_by_prefix(prefix("10.1.0.0/16"), true);
        ASSERT_EQ(kpl_list_size(result->get_data()), 1);
        delete result; // the tree's records survive (ASan checks the rest)
    }
    EXPECT_EQ(exact(t, "10.0.0.0/8").size(), 1u);
}

TEST(RaBtTree, KeepsItsFilePath) {
    RaBtTree tree;
    EXPECT_EQ(tree.get_file_path(), nullptr);
    EXPECT_EQ(tree.get_node_list(), nullptr);
    char path[] = "/models/campus.atv.xml";
    ASSERT_TRUE(tree.set_file_path(path));
    path[1] = 'X';
    EXPECT_STREQ(tree.get_file_path(), "/models/campus.atv.xml");
    ASSERT_TRUE(tree.set_file_path("/other.atv.xml"));
    EXPECT_STREQ(tree.get_file_path(), "/other.atv.xml");
}

// Records filed before a node list is replaced keep borrowing its routers,
// and every router ever listed is deleted once, when the tree dies.
TEST(RaBtTree, ReplacingTheNodeListKeepsTheRoutersRecordsBorrow) {
    const KplT_Pmo_Handle routers = kpl_pmo_define("RaIpNode", sizeof(RaIpNode), 16);
    const int routers_before = kpl_pmo_live_count(routers);
    // Which routers of a, b, c each later list holds (a is the first list).
    const struct {
        const char* what;
        std::vector<std::vector<int>> lists;
    } cases[] = {
        {"a disjoint list", {{3}}},
        {"a list sharing a router", {{1, 3}}},
        {"the same routers in a new list", {{0, 1, 2}}},
        {"a retired router listed again", {{3}, {0, 3}}},
        {"no list", {{}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        {
            RaIpNode* node[4];
            for (int i = 0; i < 4; ++i) node[i] = new RaIpNode(("top.r" + std::to_string(i)).c_str());
            auto make_list = [&](const std::vector<int>& members) {
                QovT_Ll_Desc* list = kpl_list_create();
                for (int i : members) kpl_list_insert(list, node[i], KPLC_LISTPOS_TAIL);
                return list;
            };
            RaBtTree tree;
            tree.set_node_list(make_list({0, 1, 2}));
            Pairs expected;
            for (int i = 0; i < 3; ++i) {
                RaIpRouteEntry* entry = node[i]->add_ip_route();
                auto* record = new RaBtStateData;
                record->insert_node(node[i]);
                record->insert_route(entry);
                ASSERT_TRUE(tree.insert_ip_address(prefix("10.0.0.0/8"), record));
                expected.emplace_back(node[i], entry);
            }
            bool listed[4] = {true, true, true, false};
            for (const auto& members : c.lists) {
                tree.set_node_list(members.empty() ? nullptr : make_list(members));
                for (int i : members) listed[i] = true;
            }
            if (!listed[3]) delete node[3];
            std::unique_ptr<RaBtState> result(tree.get_state_by_prefix(prefix("10.1.0.0/16"), true));
            ASSERT_NE(result, nullptr);
            EXPECT_EQ(pairs(result->get_data()), expected);
            EXPECT_STREQ(node[0]->get_name(), "top.r0");
        }
        EXPECT_EQ(kpl_pmo_live_count(routers), routers_before);
    }
}

const char* const kThreeRouters = R"({
  "format": "xeq-model", "version": 1, "name": "campus",
  "objects": [
    {"name": "top.campus", "type": "subnet"},
    {"name": "top.campus.r1", "type": "node"},
    {"name": "top.campus.r2", "type": "node"},
    {"name": "top.campus.r3", "type": "node"}
  ]})";

TEST(RaBtState, FilterKeepsTheRecordsOfTheListedRouters) {
    ModelFixture model(kThreeRouters);
    RouterTree t;
    RaIpNode* r1 = t.router("top.campus.r1");
    RaIpNode* r2 = t.router("top.campus.r2");
    RaIpNode* r3 = t.router("top.campus.r3");
    RaIpRouteEntry* e1 = t.route(r1, "10.0.0.0/8");
    RaIpRouteEntry* e2 = t.route(r2, "10.0.0.0/8");
    RaIpRouteEntry* e3 = t.route(r3, "10.0.0.0/8");
    RaBtState* state = t.tree.get_state_by_prefix(prefix("10.0.0.0/8"), false);
    ASSERT_NE(state, nullptr);

    const struct {
        std::vector<const char*> selected;
        Pairs expected;
    } cases[] = {
        {{"top.campus.r3", "top.campus.r1"}, {{r1, e1}, {r3, e3}}},
        {{"top.campus.r2", "top.campus.r2"}, {{r2, e2}}},
        {{"top.campus"}, {}},
        {{}, {}},
    };
    for (const auto& c : cases) {
        XeqT_Obj_List selection = Xeq_Obj_List_Create();
        for (const char* name : c.selected) Xeq_Obj_List_Insert(selection, model.obj(name), -1);
        QovT_Ll_Desc* filtered = state->get_data_by_filter(selection);
        ASSERT_NE(filtered, nullptr);
        EXPECT_EQ(pairs(filtered), c.expected);
        kpl_list_destroy(filtered, 0);
        Xeq_Obj_List_Destroy(selection);
    }
}

TEST(RaBtStateData, MarksTheRouterWithItsProtocolsIcon) {
    ModelFixture model(kThreeRouters);
    const XeqT_Obj_Handle r1 = model.obj("top.campus.r1");
    const struct {
        int protocol;
        const char* icon;
    } table[] = {{RAC_PROTOCOL_RIP, "R"},
                 {9, "R"}, // outside the table: the icon stays as it was
                 {RAC_PROTOCOL_IGRP, "G"},   {RAC_PROTOCOL_OSPF, "O"},
                 {RAC_PROTOCOL_BGP, "B"},   {RAC_PROTOCOL_EIGRP, "E"},  {RAC_PROTOCOL_ISIS, "I"},
                 {RAC_PROTOCOL_STATIC, "S"}, {RAC_PROTOCOL_DIRECT, "selection"}, {RAC_PROTOCOL_NONE, ""},
                 {RAC_PROTOCOL_OSPF, "O"}};
    RaIpNode router("top.campus.r1");
    RaIpRouteEntry* entry = router.add_ip_route();
    RaBtStateData record;
    record.insert_node(&router);
    record.insert_route(entry);
    for (const auto& row : table) {
        entry->set_protocol(row.protocol);
        record.display_icon();
        char icon[32] = "?";
        ASSERT_EQ(Xeq_Nt_Object_Overlay_Icon_Name_Get(r1, icon, sizeof icon), 1);
        EXPECT_STREQ(icon, row.icon) << row.protocol;
    }
    // A router the model does not have marks nothing and fails nothing.
    RaIpNode stranger("top.elsewhere");
    record.insert_node(&stranger);
    entry->set_protocol(RAC_PROTOCOL_BGP);
    record.display_icon();
    for (const auto& [name, icon] : {std::pair{"top.campus.r1", "O"}, {"top.campus.r2", ""},
                                     {"top.campus.r3", ""}, {"top.campus", ""}}) {
        char now[32] = "?";
        ASSERT_EQ(Xeq_Nt_Object_Overlay_Icon_Name_Get(model.obj(name), now, sizeof now), 1);
        EXPECT_STREQ(now, icon) << name;
    }
}

} // namespace
