// Every function of the plug-in opens a trace frame with its signature text
// and closes every frame it opened, whichever way it returns.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "ipspace/gip.hpp"
#include "model_fixture.hpp"
#include "reach/ra_bt_tree.hpp"
#include "reach/ra_client_state.hpp"
#include "routers.hpp"
#include "routing/ra_net_data.hpp"
#include "routing/ra_xml_parser.hpp"
#include "xeq_host.h"
#include "xml/nbx_xml.hpp"

namespace {

// The labels of the frames call opened at the caller's own depth (not those
// its callees opened inside them), and whether the depth came back.
std::vector<std::string> frames_opened_by(const std::function<void()>& call, bool& balanced) {
    const int depth = Qov_Fstack_Depth();
    Xeq_Host_Fstack_Record_Start();
    call();
    Xeq_Host_Fstack_Record_Stop();
    balanced = Qov_Fstack_Depth() == depth;
    std::vector<std::string> labels;
    for (int i = 0; i < Xeq_Host_Fstack_Record_Count(); ++i) {
        int at = -1;
        const char* label = Xeq_Host_Fstack_Record_Get(i, &at);
        if (at == depth) labels.emplace_back(label == nullptr ? "(null)" : label);
    }
    return labels;
}

const char* const kModel = R"({
  "format": "xeq-model", "version": 1, "name": "lan",
  "objects": [
    {"name": "top.r1", "type": "node", "attributes": {
      "IP Routing Parameters": [{
        "Interface Information": [{"Name": "eth0", "Address": "10.0.0.1", "Subnet Mask": "255.255.255.0"}]}]}},
    {"name": "top.h1", "type": "node", "attributes": {
      "IP Host Parameters": [{"Interface Information": [{"Name": "nic", "Address": "10.0.0.2"}]}]}}
  ]})";

TEST(TraceFrames, EveryFunctionOpensItsLabelAndClosesItsFrames) {
    Xeq_Host_Echo_Set(0);
    if (Xeq_Client_State_By_Name_Get("(NBX) Network IP Space") < 0) nbx_ed_xeq_init();
    ModelFixture model(kModel);
    const XeqT_Obj_Handle r1 = model.obj("top.r1");
    const KplT_IP_Address host = prefix("10.0.0.1/32");
    const KplT_IP_Address missing = prefix("192.168.0.1/32");
    const KplT_IP_Address network = prefix("10.0.0.0/24");

    NbxGipTree ip_tree;
    ip_tree.insert_ip_address(host, r1, "eth0", false);
    RouterTree routes;
    RaIpNode* router = routes.router("top.r1");
    RaIpRouteEntry* entry = routes.route(router, "10.0.0.0/8");
    RaBtState* exact = routes.tree.get_state_by_prefix(prefix("10.0.0.0/8"), false);
    ASSERT_NE(exact, nullptr);
    std::ostringstream out;
    XeqT_Obj_List selection = Xeq_Obj_List_Create();
    Xeq_Obj_List_Insert(selection, r1, -1);
    char process_text[] = "7";

    const struct {
        const char* label;
        std::function<void()> call;
    } cases[] = {
        // binary prefix tree
        {"NbxBtTree::NbxBtTree()", [] { NbxBtTree t; }},
        {"NbxBtTree::~NbxBtTree()", [] { NbxBtTree t; }},
        {"NbxBtNode::NbxBtNode()", [] { NbxBtNode n; }},
        {"NbxBtNode::~NbxBtNode()", [] { NbxBtNode n; }},
        {"NbxBtNode::left_insert(data)", [] { NbxBtNode n; n.left_insert(nullptr); }},
        {"NbxBtNode::right_insert(data)", [] { NbxBtNode n; n.right_insert(nullptr); }},
        {"NbxBtNode::collect_recursive(state_lptr)",
         [] {
             NbxBtNode n;
             QovT_Ll_Desc* list = kpl_list_create();
             n.collect_recursive(list);
             kpl_list_destroy(list, 0);
         }},
        // IP space tree and states
        {"NbxIpTree::~NbxIpTree()", [] { NbxIpTree t; }},
        {"NbxIpTree::insert_ip_address(address,data)",
         [&] { NbxIpTree t; t.NbxIpTree::insert_ip_address(missing, kpl_mem_alloc(sizeof(NbxGipEntry))); }},
        {"NbxIpTree::get_state_by_address(ip_address)", [&] { ip_tree.get_state_by_address(host); }},
        {"NbxIpTree::get_state_by_address(ip_address)", [&] { ip_tree.get_state_by_address(missing); }},
        {"NbxIpTree::get_state_by_network(ip_network)",
         [&] { kpl_list_destroy(ip_tree.get_state_by_network(network), 0); }},
        {"NbxIpTree::get_state_by_network(ip_network)", [&] { ip_tree.get_state_by_network(missing); }},
        {"NbxIpTree::remove_state_by_address(address,obj_hndl)", [&] { ip_tree.remove_state_by_address(missing, r1); }},
        {"NbxIpState::NbxIpState()", [] { NbxIpState s; }},
        {"NbxIpState::~NbxIpState()", [] { NbxIpState s; }},
        {"NbxIpState::insert_data(data_ptr)", [] { NbxIpState s; s.insert_data(kpl_mem_alloc(sizeof(NbxGipEntry))); }},
        {"NbxIpState::remove_node(node_hndl)", [&] { NbxIpState s; s.remove_node(r1); }},
        {"NbxGipTree::~NbxGipTree()", [] { NbxGipTree t; }},
        {"NbxGipTree::insert_ip_address(KplT_IP_Address ip_address, void *data)",
         [&] { NbxGipTree t; static_cast<NbxIpTree&>(t).insert_ip_address(missing, kpl_mem_alloc(sizeof(NbxGipEntry))); }},
        {"NbxGipTree::insert_ip_address(KplT_IP_Address ip_address, XeqT_Obj_Handle obj_hndl, const char "
         "*intf_name, bool secondary)",
         [&] { NbxGipTree t; t.insert_ip_address(missing, r1, "x", false); }},
        // network IP space service (registering again keeps a state's id)
        {"nbx_ed_xeq_init()", [] { nbx_ed_xeq_init(); }},
        {"nbx_gip_copy_create(orig_state_ptr)", [] { nbx_gip_copy_create(nullptr); }},
        {"nbx_gip_destroy(state_ptr)", [] { nbx_gip_destroy(nullptr); }},
        {"nbx_gip_read(block_hndl)", [] { nbx_gip_read(nullptr); }},
        {"nbx_gip_write(state_ptr, block_hndl)", [] { nbx_gip_write(nullptr, nullptr); }},
        {"nbx_gip_get_data_by_address(address, ret_data_lptr)",
         [&] { QovT_Ll_Desc* l = nullptr; nbx_gip_get_data_by_address(host, &l); }},
        {"nbx_gip_get_data_by_address(address, ret_data_lptr)",
         [&] { QovT_Ll_Desc* l = nullptr; nbx_gip_get_data_by_address(missing, &l); }},
        {"nbx_gip_get_data_by_network(network,ret_data_lptr)",
         [&] { QovT_Ll_Desc* l = nullptr; nbx_gip_get_data_by_network(network, &l); kpl_list_destroy(l, 0); }},
        {"nbx_gip_get_data_by_network(network,ret_data_lptr)", [&] { nbx_gip_get_data_by_network(network, nullptr); }},
        {"nbx_gip_insert_address(address)", [&] { nbx_gip_insert_address(missing, r1, "x", false, true); }},
        {"nbx_gip_remove_address(address)", [&] { nbx_gip_remove_address(missing, r1); }},
        {"nbx_gip_pstate_create()", [] { delete nbx_gip_pstate_create(); }},
        {"nbx_xeq_node_list_by_model_attr (model_attr_name, node_obj_lptr)",
         [] {
             XeqT_Obj_List l = Xeq_Obj_List_Create();
             nbx_xeq_node_list_by_model_attr("IP Host Parameters", l);
             Xeq_Obj_List_Destroy(l);
         }},
        // XML reading framework
        {"NbxXmlUtil::convert_xml_entities(orig_str)", [] { kpl_mem_free(NbxXmlUtil::convert_xml_entities("<&>")); }},
        {"NbxXmlUtil::convert_xml_entities(orig_str)", [] { NbxXmlUtil::convert_xml_entities(nullptr); }},
        {"NbxFileUtil::exists(pathname)", [] { NbxFileUtil::exists("/no/such/file"); }},
        {"NbxFileUtil::mod_date_get(pathname, data_ptr)", [] { NbxFileUtil::mod_date_get("/no/such/file", nullptr); }},
        // routing data model and reader
        {"RaNetData::RaNetData()", [] { RaNetData d; }},
        {"RaNetData::~RaNetData()", [] { RaNetData d; }},
        {"RaNetData::add_ip_network()", [] { RaNetData d; d.add_ip_network(); }},
        {"RaNetData::add_atm_network()", [] { RaNetData d; d.add_atm_network(); }},
        {"RaNetData::export_data(filename)", [] { RaNetData d; d.export_network_data("/no/such/dir/x.atv.xml"); }},
        {"RaIpNetwork::RaIpNetwork()", [] { RaIpNetwork n; }},
        {"RaIpNetwork::~RaIpNetwork()", [] { RaIpNetwork n; }},
        {"RaIpNetwork::add_ip_node()", [] { RaIpNetwork n; n.add_ip_node(); }},
        {"RaIpNetwork::print(os)", [&] { RaIpNetwork n; n.print(&out); }},
        {"RaIpNode::RaIpNode()", [] { RaIpNode n; }},
        {"RaIpNode::RaIpNode(name)", [] { RaIpNode n("r"); }},
        {"RaIpNode::~RaIpNode()", [] { RaIpNode n; }},
        {"RaIpNode::set_name(name)", [] { RaIpNode n; n.set_name("r"); }},
        {"RaIpNode::print(os)", [&] { router->print(&out); }},
        {"RaIpRouteTable::RaIpRouteTable()", [] { RaIpRouteTable t; }},
        {"RaIpRouteTable::~RaIpRouteTable()", [] { RaIpRouteTable t; }},
        {"RaIpRouteTable::add_route_entry()", [] { RaIpRouteTable t; t.add_route_entry(); }},
        {"RaIpRouteTable::print(os)", [&] { RaIpRouteTable t; t.print(&out); }},
        {"RaIpRouteEntry::RaIpRouteEntry()", [] { RaIpRouteEntry e; }},
        {"RaIpRouteEntry::~RaIpRouteEntry()", [] { RaIpRouteEntry e; }},
        {"RaIpRouteEntry::add_next_hop()", [] { RaIpRouteEntry e; e.add_next_hop(); }},
        {"RaIpRouteEntry::get_protocol_as_string()", [&] { entry->get_protocol_as_string(); }},
        {"RaIpRouteEntry::insert_protocol_as_string(const char *proto_str)",
         [&] { entry->insert_protocol_as_string("no such"); }},
        {"RaIpRouteEntry::print(std::ostream *os)", [&] { entry->print(&out); }},
        {"RaIpRoutingProcessId::RaIpRoutingProcessId()", [] { RaIpRoutingProcessId p; }},
        {"RaIpRoutingProcessId::set(char *proc_num)", [&] { RaIpRoutingProcessId p; p.set(process_text); }},
        {"RaIpRoutingProcessId::print(std::ostream *os)", [&] { RaIpRoutingProcessId p; p.print(&out); }},
        {"RaIpRouteNextHop::RaIpRouteNextHop()", [] { RaIpRouteNextHop h; }},
        {"RaIpRouteNextHop::~RaIpRouteNextHop()", [] { RaIpRouteNextHop h; }},
        {"RaIpRouteNextHop::print(*os)", [&] { RaIpRouteNextHop h; h.print(&out); }},
        {"RaXmlParser::RaXmlParser()",
         [] {
             RaXmlParser p;
             delete p.get_tree();
             kpl_list_destroy(p.get_node_list(), 0);
         }},
        {"NbxXmlParser::parse (filename_ptr)",
         [] {
             RaXmlParser p;
             p.parse("/no/such/file.atv.xml");
             delete p.get_tree();
             kpl_list_destroy(p.get_node_list(), 0);
         }},
        // reachability client state
        {"ra_xeq_init()", [] { ra_xeq_init(); }},
        {"ra_grt_copy_create(orig_state_ptr)", [] { ra_grt_copy_create(nullptr); }},
        {"ra_grt_destroy(state_ptr)", [] { ra_grt_destroy(nullptr); }},
        {"ra_grt_destroy(state_ptr)", [] { ra_grt_destroy(new RaBtTree); }},
        {"ra_grt_read(block_hndl)", [] { ra_grt_read(nullptr); }},
        {"ra_grt_write(state_ptr, block_hndl)", [] { ra_grt_write(nullptr, nullptr); }},
        // reachability prefix tree
        {"RaBtTree::RaBtTree()", [] { RaBtTree t; }},
        {"RaBtTree::~RaBtTree()", [] { RaBtTree t; }},
        {"RaBtTree::insert_ip_address(address, node_ptr)",
         [&] { RaBtTree t; t.insert_ip_address(missing, new RaBtStateData); }},
        {"RaBtTree::get_state_by_prefix(ip_network, aggregate)",
         [&] { delete routes.tree.get_state_by_prefix(prefix("10.1.0.0/16"), true); }},
        {"RaBtTree::get_state_by_prefix(ip_network, aggregate)",
         [&] { routes.tree.get_state_by_prefix(prefix("10.1.0.0/16"), false); }},
        {"RaBtTree::set_file_path(path)", [] { RaBtTree t; t.set_file_path(nullptr); }},
        {"RaBtTree::set_node_list(node_lptr)", [] { RaBtTree t; t.set_node_list(nullptr); }},
        {"RaBtState::RaBtState()", [] { RaBtState s; }},
        {"RaBtState::~RaBtState()", [] { RaBtState s; }},
        {"RaBtState::insert_data(data)", [&] { RaBtState s; s.insert_data(new RaBtStateData); }},
        {"RaBtState::accumulate(state)", [&] { RaBtState s; s.accumulate(nullptr); }},
        {"RaBtState::insert_data_unique_node(data)", [&] { RaBtState s; s.insert_data_unique_node(
             static_cast<const RaBtStateData*>(kpl_list_access(exact->get_data(), 0))); s.clear_cell_cache(); }},
        {"RaBtState::get_data_by_filter(filter_lptr)", [&] { kpl_list_destroy(exact->get_data_by_filter(selection), 0); }},
        {"RaBtState::clear_cell_cache()", [&] { exact->clear_cell_cache(); }},
        {"RaBtStateData::RaBtStateData()", [] { RaBtStateData d; }},
        {"RaBtStateData::~RaBtStateData()", [] { RaBtStateData d; }},
        {"RaBtStateData::display_icon()", [] { RaBtStateData d; d.display_icon(); }},
    };
    for (const auto& c : cases) {
        bool balanced = false;
        const std::vector<std::string> opened = frames_opened_by(c.call, balanced);
        EXPECT_NE(std::find(opened.begin(), opened.end(), c.label), opened.end())
            << c.label << " not opened; opened: " << ::testing::PrintToString(opened);
        EXPECT_TRUE(balanced) << c.label;
    }
    Xeq_Obj_List_Destroy(selection);
}

} // namespace
