#include <gtest/gtest.h>

#include <memory>

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
    EXPECT_EQ(t.tree.get_state_by_prefix(prefix("10.1.2.3/32"), false),
              static_cast<RaBtState*>(t.tree.get_state_by_prefix(prefix("10.1.2.3/32"), false)));
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
    } table[] = {{RAC_PROTOCOL_RIP, "R"},   {RAC_PROTOCOL_IGRP, "G"},   {RAC_PROTOCOL_OSPF, "O"},
                 {RAC_PROTOCOL_BGP, "B"},   {RAC_PROTOCOL_EIGRP, "E"},  {RAC_PROTOCOL_ISIS, "I"},
                 {RAC_PROTOCOL_STATIC, "S"}, {RAC_PROTOCOL_DIRECT, "selection"}, {RAC_PROTOCOL_NONE, ""},
                 {9, ""}}; // outside the table: the icon stays as it was
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
}

} // namespace
