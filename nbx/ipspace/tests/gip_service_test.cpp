// The network IP space service against model fixtures.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ip_test_util.hpp"
#include "ipspace/gip.hpp"
#include "ipspace/xeq_util.hpp"
#include "model_fixture.hpp"

namespace {

using Strings = std::vector<std::string>;

// "node/interface/address" plus " (secondary)" for each entry.
Strings describe(const QovT_Ll_Desc* entries) {
    Strings out;
    for (int i = 0; i < kpl_list_size(entries); ++i) {
        const auto* e = static_cast<const NbxGipEntry*>(kpl_list_access(entries, i));
        out.push_back(std::string(Xeq_Obj_Hname_Get(e->obj_hndl, 0)) + "/" + e->intf_name + "/" +
                      dotted(kpl_ip_address_value_get(e->ip_address)) +
                      (e->secondary ? " (secondary)" : ""));
    }
    return out;
}

Strings by_address(const char* address) {
    QovT_Ll_Desc* entries = nullptr;
    if (nbx_gip_get_data_by_address(ip(address), &entries) != 0) return {"none"};
    return describe(entries);
}

Strings by_network(const char* address, const char* mask) {
    QovT_Ll_Desc* entries = nullptr;
    EXPECT_EQ(nbx_gip_get_data_by_network(ip(address, mask), &entries), 0);
    Strings out = describe(entries);
    kpl_list_destroy(entries, 0);
    return out;
}

int ip_space_id() { return Xeq_Client_State_By_Name_Get("(NBX) Network IP Space"); }

void* ip_space(XeqT_Model_Handle model) { return Xeq_Model_Network_State_Access(model, ip_space_id()); }

Strings events() {
    Strings lines;
    for (int i = 0; i < Xeq_Host_Event_Count(); ++i) lines.emplace_back(Xeq_Host_Event_Get(i));
    return lines;
}

class GipService : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Xeq_Host_Echo_Set(0);
        nbx_ed_xeq_init();
    }
    void SetUp() override { Xeq_Host_Events_Clear(); }
};

// A router listed before the host that shares its address, so that only
// the build order puts the host first.
const char* const kCampus = R"({
  "format": "xeq-model", "version": 1, "name": "campus",
  "objects": [
    {"name": "top.r1", "type": "node", "attributes": {
      "IP Routing Parameters": [{
        "Interface Information": [
          {"Name": "r1-eth0", "Address": "10.0.0.1", "Subnet Mask": "255.255.255.0",
           "Secondary Address Information": [
             {"Address": "10.9.0.1"}, {"Address": "10.9.0.300"}, {"Address": "10.9.1.1"}]},
          {"Name": "r1-eth1", "Address": "Unassigned"},
          {"Name": "r1-eth2", "Address": "10.0.1.1", "Subnet Mask": "255.255.255.0"}],
        "Loopback Interfaces": [{"Name": "r1-lo0", "Address": "1.1.1.1"}]}]}},
    {"name": "top.h1", "type": "node", "attributes": {
      "IP Host Parameters": [{"Interface Information": [{"Name": "h1-nic", "Address": "10.0.1.1"}]}]}},
    {"name": "top.h2", "type": "node", "attributes": {
      "IP Host Parameters": [{"Interface Information": [{"Name": "h2-nic", "Address": "not an address"}]}]}},
    {"name": "top.h3", "type": "node", "attributes": {
      "IP Host Parameters": [{"Interface Information": [{"Name": "h3-nic", "Address": "192.168.100.100x"}]}]}},
    {"name": "top.h4", "type": "node", "attributes": {
      "IP Host Parameters": [{"Interface Information": [{"Name": "h4-nic", "Address": "10.0.0.200"}]},
                             {"Interface Information": [{"Name": "second", "Address": "10.0.0.201"}]}]}},
    {"name": "top.sw", "type": "node", "attributes": {"model": "switch"}}
  ]})";

TEST_F(GipService, AddressLookUps) {
    ModelFixture m(kCampus);
    struct Case {
        const char* address;
        Strings expected;
    };
    const Case cases[] = {
        {"10.0.1.1", {"top.h1/h1-nic/10.0.1.1", "top.r1/r1-eth2/10.0.1.1"}}, // hosts first
        {"10.0.0.1", {"top.r1/r1-eth0/10.0.0.1"}},
        {"10.9.0.1", {"top.r1/r1-eth0/10.9.0.1 (secondary)"}},
        {"10.9.1.1", {"top.r1/r1-eth0/10.9.1.1 (secondary)"}},
        {"1.1.1.1", {"top.r1/r1-lo0/1.1.1.1"}},
        {"10.0.0.200", {"top.h4/h4-nic/10.0.0.200"}},
        {"10.0.0.201", {"none"}},       // only the first host parameter row counts
        {"192.168.100.100", {"none"}},  // an over-long text is not cut into an address
        {"0.0.0.0", {"none"}},          // unaddressed interfaces are not filed
        {"10.0.0.2", {"none"}},
    };
    for (const Case& c : cases) EXPECT_EQ(by_address(c.address), c.expected) << c.address;
}

TEST_F(GipService, NetworkLookUps) {
    ModelFixture m(kCampus);
    EXPECT_EQ(by_network("10.0.0.0", "255.255.0.0"),
              (Strings{"top.h1/h1-nic/10.0.1.1", "top.r1/r1-eth2/10.0.1.1",
                       "top.h4/h4-nic/10.0.0.200", "top.r1/r1-eth0/10.0.0.1"}));
    EXPECT_EQ(by_network("10.9.0.0", "255.255.0.0"),
              (Strings{"top.r1/r1-eth0/10.9.1.1 (secondary)", "top.r1/r1-eth0/10.9.0.1 (secondary)"}));
    EXPECT_EQ(by_network("0.0.0.0", "0.0.0.0").size(), 7u);
    EXPECT_EQ(by_network("172.16.0.0", "255.240.0.0"), Strings{});
}

TEST_F(GipService, SecondariesFollowTheirInterface) {
    ModelFixture m(kCampus);
    // Three entries for r1-eth0: its address and the two valid secondaries.
    int eth0 = 0;
    for (const std::string& line : by_network("0.0.0.0", "0.0.0.0"))
        if (line.find("/r1-eth0/") != std::string::npos) ++eth0;
    EXPECT_EQ(eth0, 3);
}

TEST_F(GipService, NotFoundLeavesTheResultAlone) {
    ModelFixture m(kCampus);
    QovT_Ll_Desc sentinel;
    QovT_Ll_Desc* entries = &sentinel;
    EXPECT_EQ(nbx_gip_get_data_by_address(ip("172.16.0.1"), &entries), 1);
    EXPECT_EQ(entries, &sentinel);
    EXPECT_EQ(nbx_gip_get_data_by_address(ip("10.0.0.1"), nullptr), 0);
    EXPECT_EQ(nbx_gip_get_data_by_network(ip("10.0.0.0", "255.0.0.0"), nullptr), 1);
}

TEST_F(GipService, BuiltOnceAndKeptWithTheModel) {
    ModelFixture m(kCampus);
    EXPECT_EQ(ip_space(m.model()), nullptr);
    by_address("10.0.0.1");
    void* built = ip_space(m.model());
    ASSERT_NE(built, nullptr);
    // Later changes to the model do not refresh the space; inserts do.
    ASSERT_EQ(Xeq_Obj_Attr_Set(m.obj("top.h1"), "IP Host Parameters [0].Interface Information [0].Address",
                               "10.1.1.1"), 1);
    EXPECT_EQ(by_address("10.1.1.1"), Strings{"none"});
    nbx_gip_insert_address(ip("10.1.1.1"), m.obj("top.h1"), "h1-nic", false, true);
    EXPECT_EQ(by_address("10.1.1.1"), Strings{"top.h1/h1-nic/10.1.1.1"});
    EXPECT_EQ(ip_space(m.model()), built);
}

TEST_F(GipService, ExistingOnlyInsertNeedsAnIpSpace) {
    ModelFixture m(kCampus);
    nbx_gip_insert_address(ip("10.2.2.2"), m.obj("top.h1"), "x", false, true);
    EXPECT_EQ(ip_space(m.model()), nullptr);
    EXPECT_EQ(by_address("10.2.2.2"), Strings{"none"});
    EXPECT_EQ(by_address("10.0.0.1"), Strings{"top.r1/r1-eth0/10.0.0.1"});

    ModelFixture fresh(kCampus);
    nbx_gip_insert_address(ip("10.2.2.2"), fresh.obj("top.h1"), "x", true, false);
    EXPECT_NE(ip_space(fresh.model()), nullptr);
    EXPECT_EQ(by_address("10.2.2.2"), Strings{"top.h1/x/10.2.2.2 (secondary)"});
    EXPECT_EQ(by_address("10.0.0.1"), Strings{"top.r1/r1-eth0/10.0.0.1"});
}

TEST_F(GipService, RemoveDropsTheNodesEntries) {
    ModelFixture m(kCampus);
    nbx_gip_remove_address(ip("10.0.1.1"), m.obj("top.h1"));
    EXPECT_EQ(ip_space(m.model()), nullptr) << "removal builds nothing";
    by_address("10.0.1.1");
    nbx_gip_remove_address(ip("10.0.1.1"), m.obj("top.h1"));
    EXPECT_EQ(by_address("10.0.1.1"), Strings{"top.r1/r1-eth2/10.0.1.1"});
    nbx_gip_remove_address(ip("10.0.1.1"), m.obj("top.r1"));
    EXPECT_EQ(by_address("10.0.1.1"), Strings{"none"});
    EXPECT_EQ(by_network("10.0.1.0", "255.255.255.0"), Strings{});
}

// What a look-up handed out (an IP report may still show it) outlives a
// removal: the address's own list, a network list's records, the removed
// records themselves. The space still releases all of it when it goes.
TEST_F(GipService, ListsHandedOutSurviveARemoval) {
    const KplT_Pmo_Handle states = kpl_pmo_define("NbxIpState", sizeof(NbxIpState), 16);
    const int states_before = kpl_pmo_live_count(states);
    {
        ModelFixture m(kCampus);
        QovT_Ll_Desc* address_list = nullptr;
        ASSERT_EQ(nbx_gip_get_data_by_address(ip("10.0.1.1"), &address_list), 0);
        QovT_Ll_Desc* network_list = nullptr;
        ASSERT_EQ(nbx_gip_get_data_by_network(ip("10.0.1.0", "255.255.255.0"), &network_list), 0);
        const Strings both = {"top.h1/h1-nic/10.0.1.1", "top.r1/r1-eth2/10.0.1.1"};
        ASSERT_EQ(describe(network_list), both);

        nbx_gip_remove_address(ip("10.0.1.1"), m.obj("top.h1"));
        EXPECT_EQ(describe(address_list), Strings{"top.r1/r1-eth2/10.0.1.1"}) << "the list follows";
        EXPECT_EQ(describe(network_list), both) << "records handed out stay readable";
        nbx_gip_remove_address(ip("10.0.1.1"), m.obj("top.r1"));
        EXPECT_EQ(describe(address_list), Strings{});
        EXPECT_EQ(describe(network_list), both);
        EXPECT_EQ(by_address("10.0.1.1"), Strings{"none"});
        EXPECT_EQ(by_network("10.0.1.0", "255.255.255.0"), Strings{});

        // The address filed again shows through the list held all along.
        nbx_gip_insert_address(ip("10.0.1.1"), m.obj("top.h4"), "again", false, true);
        EXPECT_EQ(describe(address_list), Strings{"top.h4/again/10.0.1.1"});
        EXPECT_EQ(by_address("10.0.1.1"), Strings{"top.h4/again/10.0.1.1"});
        kpl_list_destroy(network_list, 0);
    }
    EXPECT_EQ(kpl_pmo_live_count(states), states_before);
}

TEST_F(GipService, ClosingOrCopyingReleasesTheSpace) {
    const KplT_Pmo_Handle trees = kpl_pmo_define("NbxGipTree", sizeof(NbxGipTree), 1);
    const KplT_Pmo_Handle states = kpl_pmo_define("NbxIpState", sizeof(NbxIpState), 16);
    const int trees_before = kpl_pmo_live_count(trees);
    const int states_before = kpl_pmo_live_count(states);
    {
        ModelFixture m(kCampus);
        by_address("10.0.0.1");
        EXPECT_EQ(kpl_pmo_live_count(trees), trees_before + 1);
        EXPECT_EQ(kpl_pmo_live_count(states), states_before + 6);
        EXPECT_EQ(nbx_gip_copy_create(ip_space(m.model())), nullptr);
        EXPECT_EQ(nbx_gip_read(nullptr), nullptr);
        EXPECT_EQ(nbx_gip_write(ip_space(m.model()), nullptr), 0);
    }
    EXPECT_EQ(kpl_pmo_live_count(trees), trees_before);
    EXPECT_EQ(kpl_pmo_live_count(states), states_before);
    nbx_gip_destroy(nullptr);
}

TEST_F(GipService, WithoutModelOrAddressesNothingIsFound) {
    Xeq_Host_Model_Current_Set(nullptr);
    EXPECT_EQ(by_address("10.0.0.1"), Strings{"none"});
    EXPECT_EQ(by_network("0.0.0.0", "0.0.0.0"), Strings{});

    ModelFixture empty(R"({"format": "xeq-model", "version": 1, "name": "e", "objects": [
      {"name": "top.n", "type": "node"}]})");
    EXPECT_EQ(by_address("10.0.0.1"), Strings{"none"});
    EXPECT_EQ(by_network("0.0.0.0", "0.0.0.0"), Strings{});
    EXPECT_NE(ip_space(empty.model()), nullptr) << "an empty space is still kept";
}

// n nodes, every third a host.
std::string model_of(int n) {
    std::string json = R"({"format": "xeq-model", "version": 1, "name": "many", "objects": [)";
    for (int i = 0; i < n; ++i) {
        json += i ? "," : "";
        json += R"({"name": "top.n)" + std::to_string(i) + R"(", "type": "node", "attributes": {)";
        json += i % 3 == 0 ? R"("IP Host Parameters": [{"Interface Information": [{"Name": "nic", "Address": "10.0.0.)" +
                                 std::to_string(i) + R"("}]}]}})"
                           : R"("IP Routing Parameters": [{"Interface Information": [{"Name": "e0", "Address": "10.1.0.)" +
                                 std::to_string(i) + R"("}]}]}})";
    }
    return json + "]}";
}

TEST_F(GipService, ProgressBarAboveTwentyNodes) {
    {
        ModelFixture m(model_of(20));
        by_address("10.0.0.0");
        EXPECT_EQ(events(), Strings{});
    }
    ModelFixture m(model_of(21));
    by_address("10.0.0.0");
    const std::string start =
        "progress start: Checking for existence of nodes with the attribute \"";
    const Strings one_pass = {"progress advance: 10", "progress advance: 10", "progress advance: 10",
                              "progress end"};
    Strings expected = {start + "IP Host Parameters\" in this network... (21)"};
    expected.insert(expected.end(), one_pass.begin(), one_pass.end());
    expected.push_back(start + "IP Routing Parameters\" in this network... (21)");
    expected.insert(expected.end(), one_pass.begin(), one_pass.end());
    EXPECT_EQ(events(), expected);
    EXPECT_EQ(by_address("10.1.0.20"), Strings{"top.n20/e0/10.1.0.20"});
}

TEST_F(GipService, NodeListingByAttribute) {
    ModelFixture m(kCampus);
    XeqT_Obj_List list = Xeq_Obj_List_Create();
    EXPECT_FALSE(nbx_xeq_node_list_by_model_attr("BGP Parameters", list));
    EXPECT_EQ(Xeq_Obj_List_Size(list), 0);
    EXPECT_TRUE(nbx_xeq_node_list_by_model_attr("IP Host Parameters", list));
    EXPECT_EQ(Xeq_Obj_List_Size(list), 4);
    EXPECT_EQ(Xeq_Obj_List_Object_Get(list, 0), m.obj("top.h1"));
    Xeq_Obj_List_Destroy(list);
}

TEST(NbxXeqUtil, ObjListContains) {
    ModelFixture m(R"({"format": "xeq-model", "version": 1, "name": "u", "objects": [
      {"name": "top.s", "type": "subnet"}, {"name": "top.n", "type": "node"},
      {"name": "top.p", "type": "path"}]})");
    XeqT_Obj_List list = Xeq_Obj_List_Create();
    EXPECT_FALSE(NbxXeqUtil::obj_list_contains(list, XEQC_OBJ_NODE));
    Xeq_Obj_List_Insert(list, m.obj("top.s"), -1);
    Xeq_Obj_List_Insert(list, m.obj("top.p"), -1);
    EXPECT_FALSE(NbxXeqUtil::obj_list_contains(list, XEQC_OBJ_NODE));
    EXPECT_TRUE(NbxXeqUtil::obj_list_contains(list, XEQC_OBJ_PATH));
    Xeq_Obj_List_Insert(list, m.obj("top.n"), -1);
    EXPECT_TRUE(NbxXeqUtil::obj_list_contains(list, XEQC_OBJ_NODE));
    Xeq_Obj_List_Destroy(list);
    EXPECT_FALSE(NbxXeqUtil::obj_list_contains(nullptr, XEQC_OBJ_NODE));
}

} // namespace
