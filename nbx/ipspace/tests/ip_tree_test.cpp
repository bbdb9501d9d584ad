// The IP space tree: walks by address and by network, record ownership.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ip_test_util.hpp"
#include "ipspace/ip_tree.hpp"

namespace {

using Strings = std::vector<std::string>;

// A record as the IP tree expects it: the owner's handle first.
struct Record {
    XeqT_Obj_Handle owner;
    char label[24];
};

void* record(XeqT_Obj_Handle owner, const char* label) {
    auto* r = static_cast<Record*>(kpl_mem_alloc(sizeof(Record)));
    r->owner = owner;
    std::snprintf(r->label, sizeof r->label, "%s", label);
    return r;
}

Strings labels(const NbxIpState* state) {
    Strings out;
    if (state == nullptr) return out;
    for (int i = 0; i < kpl_list_size(state->get_data()); ++i)
        out.emplace_back(static_cast<Record*>(kpl_list_access(state->get_data(), i))->label);
    return out;
}

// The first record's label of every state a network look-up gives; null
// reads as {"null"}.
Strings network(const NbxIpTree& tree, const char* address, const char* mask) {
    QovT_Ll_Desc* states = tree.get_state_by_network(ip(address, mask));
    if (states == nullptr) return {"null"};
    Strings out;
    for (int i = 0; i < kpl_list_size(states); ++i)
        out.push_back(labels(static_cast<NbxIpState*>(kpl_list_access(states, i))).at(0));
    kpl_list_destroy(states, 0);
    return out;
}

class IpTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* a : {"10.5.1.1", "10.5.99.7", "10.6.0.1", "0.0.0.0", "255.255.255.255"})
            ASSERT_TRUE(tree.insert_ip_address(ip(a), record(1, a)));
    }
    NbxIpTree tree;
};

TEST_F(IpTreeTest, AddressLookUpIgnoresTheMask) {
    EXPECT_EQ(labels(tree.get_state_by_address(ip("10.5.99.7"))), Strings{"10.5.99.7"});
    EXPECT_EQ(tree.get_state_by_address(ip("10.5.99.7", "255.255.0.0")),
              tree.get_state_by_address(ip("10.5.99.7")));
    EXPECT_EQ(labels(tree.get_state_by_address(ip("0.0.0.0", "0.0.0.0"))), Strings{"0.0.0.0"});
    EXPECT_EQ(tree.get_state_by_address(ip("10.5.99.6")), nullptr);
    EXPECT_EQ(tree.get_state_by_address(ip("11.0.0.0")), nullptr);
}

TEST_F(IpTreeTest, SameAddressKeepsInsertionOrder) {
    ASSERT_TRUE(tree.insert_ip_address(ip("10.5.1.1", "255.255.0.0"), record(2, "second")));
    EXPECT_EQ(labels(tree.get_state_by_address(ip("10.5.1.1"))), (Strings{"10.5.1.1", "second"}));
}

TEST_F(IpTreeTest, NetworkLookUp) {
    struct Case {
        const char* address;
        const char* mask;
        Strings expected;
    };
    const Case cases[] = {
        {"10.5.0.0", "255.255.0.0", {"10.5.99.7", "10.5.1.1"}},
        {"10.5.200.200", "255.255.0.0", {"10.5.99.7", "10.5.1.1"}}, // host bits ignored
        {"10.0.0.0", "255.0.0.0", {"10.6.0.1", "10.5.99.7", "10.5.1.1"}},
        {"0.0.0.0", "0.0.0.0", {"255.255.255.255", "10.6.0.1", "10.5.99.7", "10.5.1.1", "0.0.0.0"}},
        {"10.6.0.1", "255.255.255.255", {"10.6.0.1"}},
        {"10.6.0.2", "255.255.255.255", {"null"}},
        {"10.7.0.0", "255.255.0.0", {"null"}},   // path never created
        {"10.5.1.0", "255.255.255.254", {"10.5.1.1"}},
        {"255.255.255.255", "255.255.255.255", {"255.255.255.255"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(network(tree, c.address, c.mask), c.expected) << c.address << "/" << c.mask;
}

TEST_F(IpTreeTest, RemovalDropsOnlyTheOwnersRecords) {
    tree.insert_ip_address(ip("10.5.1.1"), record(2, "b"));
    tree.insert_ip_address(ip("10.5.1.1"), record(1, "c"));
    tree.insert_ip_address(ip("10.5.1.1"), record(3, "d"));

    tree.remove_state_by_address(ip("10.5.1.1"), 1);
    EXPECT_EQ(labels(tree.get_state_by_address(ip("10.5.1.1"))), (Strings{"b", "d"}));
    tree.remove_state_by_address(ip("10.5.1.1"), 99);
    tree.remove_state_by_address(ip("10.9.9.9"), 2); // never inserted: nothing happens
    EXPECT_EQ(labels(tree.get_state_by_address(ip("10.5.1.1"))), (Strings{"b", "d"}));

    tree.remove_state_by_address(ip("10.5.1.1"), 2);
    tree.remove_state_by_address(ip("10.5.1.1"), 3);
    EXPECT_EQ(tree.get_state_by_address(ip("10.5.1.1")), nullptr);
    EXPECT_EQ(network(tree, "10.5.1.0", "255.255.255.0"), Strings{"null"});
    EXPECT_EQ(network(tree, "10.5.0.0", "255.255.0.0"), Strings{"10.5.99.7"});

    // The emptied path takes the address again.
    tree.insert_ip_address(ip("10.5.1.1"), record(4, "again"));
    EXPECT_EQ(labels(tree.get_state_by_address(ip("10.5.1.1"))), Strings{"again"});
}

TEST(IpTree, CountsNodesAndReleasesEverything) {
    const KplT_Pmo_Handle states = kpl_pmo_define("NbxIpState", sizeof(NbxIpState), 16);
    const KplT_Pmo_Handle nodes = kpl_pmo_define("NbxBtNode", sizeof(NbxBtNode), 32);
    const int states_before = kpl_pmo_live_count(states);
    const int nodes_before = kpl_pmo_live_count(nodes);
    {
        NbxIpTree tree;
        tree.insert_ip_address(ip("128.0.0.0"), record(1, "a"));
        EXPECT_EQ(tree.get_size(), 32);
        tree.insert_ip_address(ip("128.0.0.1"), record(1, "b")); // shares 31 steps
        EXPECT_EQ(tree.get_size(), 33);
        tree.insert_ip_address(ip("128.0.0.1"), record(2, "c"));
        EXPECT_EQ(tree.get_size(), 33);
        EXPECT_EQ(kpl_pmo_live_count(states), states_before + 2);
        EXPECT_EQ(kpl_pmo_live_count(nodes), nodes_before + 34);
    }
    EXPECT_EQ(kpl_pmo_live_count(states), states_before);
    EXPECT_EQ(kpl_pmo_live_count(nodes), nodes_before);
}

TEST(GipTree, EntriesCarryTheirArguments) {
    NbxGipTree tree;
    ASSERT_TRUE(tree.insert_ip_address(ip("192.168.0.1", "255.255.255.0"), 7, "eth0", false));
    ASSERT_TRUE(tree.insert_ip_address(ip("192.168.0.1"), 8, nullptr, true));
    const QovT_Ll_Desc* data = tree.get_state_by_address(ip("192.168.0.1"))->get_data();
    ASSERT_EQ(kpl_list_size(data), 2);
    const auto* first = static_cast<NbxGipEntry*>(kpl_list_access(data, 0));
    const auto* second = static_cast<NbxGipEntry*>(kpl_list_access(data, 1));
    EXPECT_EQ(first->obj_hndl, 7u);
    EXPECT_STREQ(first->intf_name, "eth0");
    EXPECT_EQ(kpl_ip_address_mask_get(first->ip_address), 0xffffff00u) << "kept as inserted";
    EXPECT_FALSE(first->secondary);
    EXPECT_EQ(second->obj_hndl, 8u);
    EXPECT_STREQ(second->intf_name, "");
    EXPECT_TRUE(second->secondary);
}

} // namespace
