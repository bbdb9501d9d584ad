// Device interfaces: which rows the generator yields, their addresses, and
// reads through the interface's parameter group.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model_fixture.hpp"
#include "xeqed.h"

namespace {

const char* const kInterfaceModel = R"({
  "format": "xeq-model", "version": 1, "name": "intf",
  "objects": [
    {"name": "top.r1", "type": "node", "attributes": {
      "IP Routing Parameters": [{
        "Interface Information": [
          {"Name": "eth0", "Address": "10.0.0.1", "Subnet Mask": "255.255.255.0",
           "Secondary Address Information": [{"Address": "10.0.9.1"}, {"Address": "10.0.9.2"}]},
          {"Name": "eth1", "Address": "Unassigned"},
          {"Name": "eth2", "Address": "192.168.1.1/30"},
          {"Name": "eth3", "Address": "172.16.0.1", "Subnet Mask": "255.0.255.0"}
        ],
        "Loopback Interfaces": [{"Name": "lo0", "Address": "1.1.1.1", "Subnet Mask": "255.255.255.255"}]
      }]}},
    {"name": "top.h1", "type": "node", "attributes": {
      "IP Host Parameters": [{"Interface Information": [{"Name": "nic", "Address": "10.0.0.9"}]}]}},
    {"name": "top.campus", "type": "subnet"}
  ]})";

struct Generated {
    explicit Generated(XeqT_Obj_Handle node, int flags) : list(kpl_list_create()) {
        count = Rule_Nt_Device_Interface_List_Generate(node, flags, list);
    }
    ~Generated() { kpl_list_destroy(list, 1); }
    const RuleT_Nt_Interface* at(int i) const {
        return static_cast<const RuleT_Nt_Interface*>(kpl_list_access(list, i));
    }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (int i = 0; i < kpl_list_size(list); ++i) {
            char name[80] = "";
            EXPECT_EQ(Rule_Nt_Interface_Attr_Get(at(i), "IP Routing Parameters.Name", name), 1);
            out.emplace_back(name);
        }
        return out;
    }
    QovT_Ll_Desc* list;
    int count = 0;
};

using Names = std::vector<std::string>;

TEST(DeviceInterfaces, FlagsSelectRows) {
    ModelFixture m(kInterfaceModel);
    const XeqT_Obj_Handle r1 = m.obj("top.r1");
    EXPECT_EQ(Generated(r1, 359).names(), (Names{"eth0", "eth2", "eth3", "lo0"}));
    EXPECT_EQ(Generated(r1, RULEC_NT_INTF_PHYSICAL).names(), (Names{"eth0", "eth1", "eth2", "eth3"}));
    EXPECT_EQ(Generated(r1, RULEC_NT_INTF_LOOPBACK).names(), (Names{"lo0"}));
    EXPECT_EQ(Generated(r1, 0).count, 0);
    // Hosts, non-nodes and stale handles have no routing interfaces.
    EXPECT_EQ(Generated(m.obj("top.h1"), 359).count, 0);
    EXPECT_EQ(Generated(m.obj("top.campus"), 359).count, 0);
    EXPECT_EQ(Generated(0, 359).count, 0);
    EXPECT_EQ(Rule_Nt_Device_Interface_List_Generate(r1, 359, nullptr), 0);
}

TEST(DeviceInterfaces, AddressesCarryTheirMasks) {
    ModelFixture m(kInterfaceModel);
    Generated all(m.obj("top.r1"), RULEC_NT_INTF_PHYSICAL | RULEC_NT_INTF_LOOPBACK);
    ASSERT_EQ(all.count, 5);
    struct Case {
        int index;
        const char* address;
        const char* mask;
    };
    for (const Case& c : {Case{0, "10.0.0.1", "255.255.255.0"}, Case{1, "0.0.0.0", "0.0.0.0"},
                          Case{2, "192.168.1.1", "255.255.255.252"},
                          Case{3, "172.16.0.1", "255.255.255.255"}, // a malformed mask is dropped
                          Case{4, "1.1.1.1", "255.255.255.255"}}) {
        char address[16], mask[16];
        kpl_ip_address_format(Rule_Nt_Interface_IP_Address_Get(all.at(c.index)), address, mask);
        EXPECT_STREQ(address, c.address) << c.index;
        EXPECT_STREQ(mask, c.mask) << c.index;
    }
    EXPECT_EQ(kpl_ip_address_value_get(Rule_Nt_Interface_IP_Address_Get(nullptr)), 0u);
}

TEST(DeviceInterfaces, ReadsThroughTheParameterGroup) {
    ModelFixture m(kInterfaceModel);
    Generated g(m.obj("top.r1"), 359);
    XeqT_Obj_Handle secondaries = 0;
    ASSERT_EQ(Rule_Nt_Interface_Attr_Get(g.at(0), "IP Routing Parameters.Secondary Address Information",
                                         &secondaries), 1);
    XeqT_Obj_List rows = Xeq_Obj_List_Create();
    EXPECT_EQ(Xeq_Topo_Child_List_Get(secondaries, XEQC_OBJ_ATTR_ROW, rows), 2);
    char text[128] = "";
    EXPECT_EQ(Xeq_Obj_Attr_Get_As_String(Xeq_Obj_List_Object_Get(rows, 1), "Address", text), 1);
    EXPECT_STREQ(text, "10.0.9.2");
    Xeq_Obj_List_Destroy(rows);

    char mask[16] = "";
    EXPECT_EQ(Rule_Nt_Interface_Attr_Get_As_String(g.at(0), "IP Routing Parameters.Subnet Mask", mask), 1);
    EXPECT_STREQ(mask, "255.255.255.0");
    // Only the routing group is known; no secondary table is no compound.
    EXPECT_EQ(Rule_Nt_Interface_Attr_Get(g.at(0), "IP Host Parameters.Name", text), 0);
    EXPECT_EQ(Rule_Nt_Interface_Attr_Get(g.at(0), "IP Routing Parameters", text), 0);
    EXPECT_EQ(Rule_Nt_Interface_Attr_Get(g.at(0), "IP Routing ParametersX.Name", text), 0);
    EXPECT_EQ(Rule_Nt_Interface_Attr_Get(g.at(1), "IP Routing Parameters.Secondary Address Information",
                                         &secondaries), 0);
    EXPECT_EQ(Rule_Nt_Interface_Attr_Get(nullptr, "IP Routing Parameters.Name", text), 0);
}

TEST(DeviceInterfaces, EntriesOutlivingTheirRowsFailSafely) {
    ModelFixture m(kInterfaceModel);
    const XeqT_Obj_Handle r1 = m.obj("top.r1");
    Generated g(r1, RULEC_NT_INTF_PHYSICAL);
    ASSERT_EQ(Xeq_Obj_Attr_Set(r1, "IP Routing Parameters [0].Interface Information.count", 1), 1);
    char name[80] = "";
    EXPECT_EQ(Rule_Nt_Interface_Attr_Get(g.at(3), "IP Routing Parameters.Name", name), 0);
    EXPECT_EQ(kpl_ip_address_value_get(Rule_Nt_Interface_IP_Address_Get(g.at(3))), 0u);
    EXPECT_EQ(Rule_Nt_Interface_Attr_Get(g.at(0), "IP Routing Parameters.Name", name), 1);
}

} // namespace
