// Links through interface ports, drawn paths, object classes and the
// destruction of model objects.
#include <gtest/gtest.h>

#include <string>

#include "model_fixture.hpp"
#include "xeqed.h"

namespace {

const char* const kTwoSites = R"({
  "format": "xeq-model", "version": 1, "name": "links",
  "objects": [
    {"name": "top.a", "type": "subnet", "position": [10, 10]},
    {"name": "top.a.r1", "type": "node", "position": [100, 50], "attributes": {
      "IP Routing Parameters": [{"Interface Information": [
        {"Name": "r1-ge0", "Address": "10.0.0.1", "Subnet Mask": "255.255.255.252"},
        {"Name": "r1-ge1", "Address": "10.1.0.1", "Subnet Mask": "255.255.255.0"}]}]}},
    {"name": "top.a.r2", "type": "node", "attributes": {
      "IP Routing Parameters": [{"Interface Information": [
        {"Name": "r2-ge0", "Address": "10.0.0.2", "Subnet Mask": "255.255.255.252"}]}]}},
    {"name": "top.a.sw", "type": "node", "attributes": {"model": "ethernet_switch"}},
    {"name": "top.a.r1-r2", "type": "link",
     "ends": [{"node": "top.a.r1", "interface": "r1-ge0"}, {"node": "top.a.r2", "interface": "r2-ge0"}]},
    {"name": "top.a.r1-sw", "type": "link",
     "ends": [{"node": "top.a.r1", "interface": "r1-ge1"}, {"node": "top.a.sw", "interface": "p1"}]}
  ]})";

// The interface entries of a node, released at the end of the scope.
struct Interfaces {
    Interfaces(XeqT_Obj_Handle node, int flags) {
        kpl_list_init(&list);
        Rule_Nt_Device_Interface_List_Generate(node, flags, &list);
    }
    ~Interfaces() {
        while (kpl_list_size(&list) > 0) kpl_mem_free(kpl_list_remove(&list, KPLC_LISTPOS_HEAD));
        kpl_list_free(&list);
    }
    const RuleT_Nt_Interface* at(int i) const {
        return static_cast<const RuleT_Nt_Interface*>(kpl_list_access(&list, i));
    }
    QovT_Ll_Desc list;
};

XeqT_Obj_List list_of(std::initializer_list<XeqT_Obj_Handle> objects) {
    XeqT_Obj_List list = Xeq_Obj_List_Create();
    for (XeqT_Obj_Handle o : objects) Xeq_Obj_List_Insert(list, o, -1);
    return list;
}

TEST(Links, PortsLeadToTheLinkTheyCarry) {
    ModelFixture m(kTwoSites);
    const XeqT_Obj_Handle r1 = m.obj("top.a.r1"), r2 = m.obj("top.a.r2"), sw = m.obj("top.a.sw");
    EXPECT_EQ(Xeq_Topo_Connect_Count_Get(r1, r2, XEQC_TOPO_CONNECT_LINKS), 1);
    EXPECT_EQ(Xeq_Topo_Connect_Count_Get(r2, r1, XEQC_TOPO_CONNECT_LINKS), 1);
    EXPECT_EQ(Xeq_Topo_Connect_Count_Get(r2, sw, XEQC_TOPO_CONNECT_LINKS), 0);
    EXPECT_EQ(Xeq_Topo_Connect_Count_Get(r1, r2, 0), 0);

    const Interfaces r1_intfs(r1, RULEC_NT_INTF_PHYSICAL);
    ASSERT_EQ(kpl_list_size(&r1_intfs.list), 2);
    RuleT_Nt_Port* port = Rule_Nt_Port_Copy(Rule_Nt_Interface_Port_Get(r1_intfs.at(1)));
    EXPECT_EQ(Rule_Nt_Port_Receive_Link_Get(port), m.obj("top.a.r1-sw"));
    kpl_mem_free(port);
    EXPECT_EQ(Rule_Nt_Port_Receive_Link_Get(Rule_Nt_Interface_Port_Get(r1_intfs.at(0))), m.obj("top.a.r1-r2"));
    EXPECT_EQ(Rule_Nt_Port_Receive_Link_Get(nullptr), 0u);

    char name[8];
    EXPECT_EQ(Rule_Nt_Obj_Hierarchical_Name_Get(r1, name), 1);
    EXPECT_STREQ(name, "top.a.r"); // cut to the buffer
    EXPECT_TRUE(Xeq_Obj_Equal(r1, r1));
    EXPECT_FALSE(Xeq_Obj_Equal(r1, r2));
}

TEST(Links, HostAddressFlagGivesTheInterfaceAsOneAddress) {
    ModelFixture m(kTwoSites);
    const Interfaces subnet(m.obj("top.a.r1"), RULEC_NT_INTF_PHYSICAL);
    const Interfaces host(m.obj("top.a.r1"), RULEC_NT_INTF_PHYSICAL | RULEC_NT_INTF_HOST_ADDRESS);
    EXPECT_EQ(kpl_ip_address_mask_get(Rule_Nt_Interface_IP_Address_Get(subnet.at(0))), 0xFFFFFFFCu);
    const KplT_IP_Address one = Rule_Nt_Interface_IP_Address_Get(host.at(0));
    KplT_IP_Address next_hop{};
    ASSERT_EQ(kpl_ip_address_parse("10.0.0.1", "255.255.255.255", &next_hop), 1);
    EXPECT_TRUE(kpl_ip_address_equal(one, next_hop));
}

TEST(Paths, ConnectOnlyThroughARouteOfNodesAndTheirLinks) {
    ModelFixture m(kTwoSites);
    const XeqT_Obj_Handle r1 = m.obj("top.a.r1"), r2 = m.obj("top.a.r2"), sw = m.obj("top.a.sw");
    const XeqT_Obj_Handle r1_r2 = m.obj("top.a.r1-r2"), r1_sw = m.obj("top.a.r1-sw");
    struct Case {
        std::initializer_list<XeqT_Obj_Handle> route;
        int connected;
    };
    const Case cases[] = {
        {{r1, r1_r2, r2}, 1}, {{r2, r1_r2, r1}, 1}, {{r2, sw}, 1},  {{r1, r1_sw, sw}, 1},
        {{r1, r1_sw, r2}, 0}, {{r1}, 0},            {{r1, r1_r2}, 0}, {{r1_r2, r1, r2}, 0},
        {{r1, r1_r2, r1_r2, r2}, 0},
    };
    for (const Case& c : cases) {
        const XeqT_Obj_Handle path = Xeq_Obj_Create(XEQC_OBJ_PATH);
        XeqT_Obj_List route = list_of(c.route);
        EXPECT_EQ(Xeq_Obj_Path_Install_Connect(path, route), c.connected) << c.route.size();
        XeqT_Obj_List back = Xeq_Obj_List_Create();
        EXPECT_EQ(Xeq_Obj_Path_Route_Get(path, back), c.connected ? static_cast<int>(c.route.size()) : 0);
        Xeq_Obj_List_Destroy(back);
        Xeq_Obj_List_Destroy(route);
    }
    EXPECT_EQ(Xeq_Obj_Path_Install_Connect(r1, nullptr), 0);
}

TEST(Paths, SavedWithTheirRouteColourAndNames) {
    ModelFixture m(kTwoSites);
    const XeqT_Obj_Handle path = Xeq_Obj_Create(XEQC_OBJ_PATH);
    XeqT_Obj_List route = list_of({m.obj("top.a.r1"), m.obj("top.a.r1-r2"), m.obj("top.a.r2")});
    ASSERT_EQ(Xeq_Obj_Path_Install_Connect(path, route), 1);
    Xeq_Obj_List_Destroy(route);
    ASSERT_EQ(Xeq_Obj_Attr_Set(path, "color", Xeq_Gui_Color_From_RGB(1, 0, 0)), 1);
    // Two paths may carry one name; their hierarchical names stay apart.
    const XeqT_Obj_Handle twin = Xeq_Obj_Create(XEQC_OBJ_PATH);
    ASSERT_EQ(Xeq_Obj_Attr_Set(path, "name", "ospf: r1 -> r2"), 1);
    ASSERT_EQ(Xeq_Obj_Attr_Set(twin, "name", "ospf: r1 -> r2"), 1);
    EXPECT_STRNE(Xeq_Obj_Hname_Get(path, 0), Xeq_Obj_Hname_Get(twin, 0));
    EXPECT_EQ(Xeq_Obj_From_Hname_Get(m.model(), Xeq_Obj_Hname_Get(twin, 0)), twin);

    char error[256] = "";
    const std::string text = Xeq_Host_Model_Text_Get(m.model());
    XeqT_Model_Handle again = Xeq_Host_Model_Parse(text.c_str(), "again", error, sizeof error);
    ASSERT_NE(again, nullptr) << error;
    EXPECT_EQ(Xeq_Host_Model_Text_Get(again), text);
    const XeqT_Obj_Handle read_path = Xeq_Obj_From_Hname_Get(again, "top.ospf: r1 -> r2");
    XeqT_Obj_List read_route = Xeq_Obj_List_Create();
    EXPECT_EQ(Xeq_Obj_Path_Route_Get(read_path, read_route), 3);
    EXPECT_STREQ(Xeq_Obj_Hname_Get(Xeq_Obj_List_Object_Get(read_route, 1), 0), "top.a.r1-r2");
    int color = 0;
    EXPECT_EQ(Xeq_Obj_Attr_Get(read_path, "color", &color), 1);
    EXPECT_EQ(color, 0xFF0000);
    Xeq_Obj_List_Destroy(read_route);
    Xeq_Host_Model_Close(again);
}

TEST(Objects, DestroyingANodeTakesItsLinksAlong) {
    ModelFixture m(kTwoSites);
    const XeqT_Obj_Handle r1 = m.obj("top.a.r1"), link = m.obj("top.a.r1-r2");
    ASSERT_EQ(Xeq_Obj_Zoom_To(r1), 1);
    Xeq_Obj_Destroy(r1);
    EXPECT_TRUE(Xeq_Obj_Invalid(r1));
    EXPECT_TRUE(Xeq_Obj_Invalid(link));
    EXPECT_EQ(Xeq_Obj_From_Hname_Get(m.model(), "top.a.r1"), 0u);
    EXPECT_EQ(Xeq_Topo_Object_Count_Get(m.model(), XEQC_OBJ_LINK), 0);
    EXPECT_EQ(Xeq_Topo_Object_Count_Get(m.model(), XEQC_OBJ_NODE), 2);
    EXPECT_EQ(Xeq_Model_Zoom_Target_Get(m.model()), 0u);
    Xeq_Obj_Destroy(r1); // a second time: nothing
    Xeq_Obj_Destroy(Xeq_Topo_Top_Get(m.model()));
    EXPECT_FALSE(Xeq_Obj_Invalid(Xeq_Topo_Top_Get(m.model())));
}

TEST(Objects, ClassCodesGatherNodesAndSubnets) {
    ModelFixture m(kTwoSites);
    EXPECT_EQ(Xeq_Topo_Object_Count_Get(m.model(), XEQC_OBJC_NODES), 3);
    EXPECT_EQ(Xeq_Topo_Object_Get(m.model(), XEQC_OBJC_NODES, 0), m.obj("top.a.r1"));
    EXPECT_EQ(Xeq_Topo_Object_Count_Get(m.model(), XEQC_OBJC_SUBNETS), 1);
}

TEST(Objects, InstalledUnderTheTopWithTheirName) {
    ModelFixture m(kTwoSites);
    const XeqT_Obj_Handle top = Xeq_Topo_Top_Get(m.model());
    EXPECT_STREQ(Xeq_Obj_Hname_Get(top, 0), "top");
    const XeqT_Obj_Handle made = Xeq_Obj_Create(XEQC_OBJ_NODE);
    ASSERT_EQ(Xeq_Obj_Attr_Set(made, "name", "Config"), 1);
    EXPECT_EQ(Xeq_Obj_Install(made, top), 1);
    EXPECT_STREQ(Xeq_Obj_Hname_Get(made, 0), "top.Config");
    EXPECT_EQ(Xeq_Obj_Install(made, m.obj("top.a")), 1);
    EXPECT_STREQ(Xeq_Obj_Hname_Get(made, 0), "top.a.Config");
    const XeqT_Obj_Handle clash = Xeq_Obj_Create(XEQC_OBJ_NODE);
    ASSERT_EQ(Xeq_Obj_Attr_Set(clash, "name", "r1"), 1);
    EXPECT_EQ(Xeq_Obj_Install(clash, m.obj("top.a")), 0); // top.a.r1 is taken
    EXPECT_EQ(Xeq_Obj_Install(made, m.obj("top.a.r1")), 0); // not into a node
    // Not saved: the top object is the host's.
    EXPECT_EQ(std::string(Xeq_Host_Model_Text_Get(m.model())).find("\"name\": \"top\""), std::string::npos);
}

TEST(ModelFile, LinksAndPositionsThatCannotBeAreRefused) {
    struct Case {
        const char* objects;
        const char* message;
    };
    const Case cases[] = {
        {R"({"name": "top.l", "type": "link", "ends": [{"node": "top.x", "interface": "i"}, {"node": "top.y", "interface": "j"}]})",
         "object 'top.l': no node 'top.x' before the link"},
        {R"({"name": "top.n", "type": "node"}, {"name": "top.l", "type": "link"})", "object 'top.l': a link needs its \"ends\""},
        {R"({"name": "top.n", "type": "node", "ends": []})", "object 'top.n': only links and demands take \"ends\""},
        {R"({"name": "top.n", "type": "node"}, {"name": "top.l", "type": "link", "ends": [{"node": "top.n", "interface": "i"}, {"node": "top.n", "interface": "j"}]})",
         "object 'top.l': a link joins two different nodes"},
        {R"({"name": "top.n", "type": "node"}, {"name": "top.m", "type": "node"}, {"name": "top.l", "type": "link", "ends": [{"node": "top.n", "interface": "i"}, {"node": "top.m", "interface": "j"}]}, {"name": "top.k", "type": "link", "ends": [{"node": "top.n", "interface": "i"}, {"node": "top.m", "interface": "k"}]})",
         "object 'top.k': interface 'i' of 'top.n' already carries 'top.l'"},
        {R"({"name": "top.n", "type": "node", "attributes": {"IP Host Parameters": [{"Interface Information": [{"Name": "IF0"}]}]}}, {"name": "top.m", "type": "node"}, {"name": "top.l", "type": "link", "ends": [{"node": "top.n", "interface": "IF1"}, {"node": "top.m", "interface": "p"}]})",
         "object 'top.l': 'top.n' has no interface 'IF1'"},
        {R"({"name": "top.n", "type": "node", "position": [1]})", "object 'top.n': \"position\" must be [x, y], whole numbers"},
        {R"({"name": "top.n", "type": "node", "position": [1.5, 2]})", "object 'top.n': \"position\" must be [x, y], whole numbers"},
        {R"({"name": "top.p", "type": "path", "route": ["top.none"]})", "object 'top.p': the route names no object before the path: \"top.none\""},
        {R"({"name": "top.n", "type": 4})", "object 'top.n': type codes 2 and 4 name classes of objects, not a type"},
    };
    for (const Case& c : cases) {
        const std::string text =
            std::string(R"({"format": "xeq-model", "version": 1, "name": "m", "objects": [)") + c.objects + "]}";
        char error[512] = "";
        EXPECT_EQ(Xeq_Host_Model_Parse(text.c_str(), "m.json", error, sizeof error), nullptr) << c.message;
        EXPECT_EQ(std::string(error), std::string("m.json: ") + c.message);
    }
}

} // namespace
