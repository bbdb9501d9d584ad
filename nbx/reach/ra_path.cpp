#include "reach/ra_path.hpp"

#include <cstdio>
#include <cstring>
#include <memory>

#include "ipspace/gip.hpp"
#include "ipspace/gip_entry.hpp"
#include "ipspace/xeq_util.hpp"
#include "reach/ra_bt_tree.hpp"
#include "reach/ra_host_ptr.hpp"
#include "reach/ra_reach.hpp"
#include "routing/ra_net_data.hpp"

namespace {

constexpr int kNameSize = 256;
// Interface lists (xeqed.h): physical interfaces with their subnet masks,
// to find the one facing a next hop; and with host masks, to find the one
// that holds it.
constexpr int kPhysical = RULEC_NT_INTF_PHYSICAL;
constexpr int kPhysicalHostAddress = RULEC_NT_INTF_PHYSICAL | RULEC_NT_INTF_HOST_ADDRESS;
constexpr int kThickness = 5;
constexpr int kUiStatusHighlighted = 6;
constexpr int kIgpBudget = 100;
constexpr char kHostMask[] = "255.255.255.255";
constexpr char kShowIgpRoute[] = "Show IGP Route";
// The click type of the right button, which asks for an object's popup
// menu (host/DIALOG_FORMAT.md).
constexpr int kClickMenu = 1;
constexpr int kShowIgpRouteItem = 0;

// Interface entries are host blocks: the list goes with its entries.
struct InterfaceListDestroy {
    void operator()(QovT_Ll_Desc* list) const { kpl_list_destroy(list, 1); }
};
using InterfaceList = std::unique_ptr<QovT_Ll_Desc, InterfaceListDestroy>;
using PortCopy = std::unique_ptr<RuleT_Nt_Port, ra::HostBlockFree>;

// The interface of node found for a next hop: its "IP Routing
// Parameters.Name" ("" when none qualifies) and a copy of its port.
struct FoundInterface {
    char name[kNameSize] = "";
    PortCopy port;
};

// The first interface of node (listed with flags) for which matches holds.
template <typename Match>
FoundInterface find_interface(XeqT_Obj_Handle node, int flags, Match matches) {
    QOV_FRAME("find_interface(node, flags, matches)");
    FoundInterface found;
    InterfaceList interfaces(kpl_list_create());
    if (interfaces == nullptr) return found;
    Rule_Nt_Device_Interface_List_Generate(node, flags, interfaces.get());
    const int count = kpl_list_size(interfaces.get());
    for (int i = 0; i < count; ++i) {
        const auto* intf = static_cast<const RuleT_Nt_Interface*>(kpl_list_access(interfaces.get(), i));
        if (!matches(Rule_Nt_Interface_IP_Address_Get(intf))) continue;
        Rule_Nt_Interface_Attr_Get_As_String(intf, "IP Routing Parameters.Name", found.name);
        found.port.reset(Rule_Nt_Port_Copy(Rule_Nt_Interface_Port_Get(intf)));
        break;
    }
    return found;
}

// The link joining source and next_hop_node on which port receives, as
// the current model names it; 0 when the two are not linked or the port
// carries no link.
XeqT_Obj_Handle link_between(XeqT_Obj_Handle source, XeqT_Obj_Handle next_hop_node,
                             const RuleT_Nt_Port* port) {
    QOV_FRAME("link_between(source, next_hop_node, port)");
    if (port == nullptr ||
        Xeq_Topo_Connect_Count_Get(source, next_hop_node, XEQC_TOPO_CONNECT_LINKS) == 0)
        return 0;
    const XeqT_Obj_Handle link = Rule_Nt_Port_Receive_Link_Get(port);
    if (Xeq_Obj_Invalid(link)) return 0;
    char hname[kNameSize];
    // A name that fills the buffer may have been cut, and a cut name may
    // be another object's.
    if (!Rule_Nt_Obj_Hierarchical_Name_Get(link, hname) || std::strlen(hname) + 1 >= sizeof hname)
        return 0;
    const XeqT_Obj_Handle found = Xeq_Obj_From_Hname_Get(Xeq_Model_Current_Get(0), hname);
    return Xeq_Obj_Invalid(found) ? 0 : found;
}

void dotted(KplT_IP_Address address, char (&text)[KPLC_IP_ADDRESS_TEXT_SIZE]) {
    QOV_FRAME("dotted(address, text)");
    kpl_ip_address_value_to_string(kpl_ip_address_value_get(address), text);
}

// The route's details as the path's tooltip shows them.
void format_tooltip(const RaIpRouteEntry& route, const RaIpRouteNextHop& hop, char (&tooltip)[1024]) {
    QOV_FRAME("format_tooltip(route, hop, tooltip)");
    char destination[KPLC_IP_ADDRESS_TEXT_SIZE];
    kpl_ip_address_format(route.get_destination(), destination, nullptr);
    char next_hop[KPLC_IP_ADDRESS_TEXT_SIZE];
    dotted(hop.get_next_hop_addr(), next_hop);
    // Room for any double printed with three decimals.
    char insert_time[400];
    if (hop.get_insert_time() == -1)
        std::snprintf(insert_time, sizeof insert_time, "Insert Time: N/A\n");
    else
        std::snprintf(insert_time, sizeof insert_time, "Insert Time: %.3fs \n", hop.get_insert_time());
    std::snprintf(tooltip, sizeof tooltip, "Destination: %s\nProtocol: %s (%d)\nNext Hop: %s \n%sMetric: %d\n",
                  destination, route.get_protocol_as_string(), route.get_process(), next_hop,
                  insert_time, hop.get_metric());
}

struct PathEnds {
    XeqT_Obj_Handle source;
    const char* source_intf;
    XeqT_Obj_Handle next_hop_node;
    const char* next_hop_intf;
};

// Creates and connects the path of one next hop through route_objects.
void draw_path(const RaIpRouteEntry& route, const RaIpRouteNextHop& hop, const PathEnds& ends,
               XeqT_Obj_List route_objects, XeqT_Color colour) {
    QOV_FRAME("draw_path(route, hop, ends, route_objects, colour)");
    const XeqT_Obj_Handle path = Xeq_Obj_Create(XEQC_OBJ_PATH);
    if (Xeq_Obj_Invalid(path)) return;
    char next_hop[KPLC_IP_ADDRESS_TEXT_SIZE];
    dotted(hop.get_next_hop_addr(), next_hop);
    if (Xeq_Obj_List_Size(route_objects) == 2 && route.get_protocol() == RAC_PROTOCOL_BGP) {
        Xeq_Obj_Attr_Set(path, "model", RAC_SHORTCUT_PATH_MODEL);
        Xeq_Obj_Attr_Set(path, "src_node", Xeq_Obj_Hname_Get(ends.source, 0));
        Xeq_Obj_Attr_Set(path, "next_hop", next_hop);
    } else {
        Xeq_Obj_Attr_Set(path, "model", RAC_NEXT_HOP_PATH_MODEL);
        Xeq_Obj_Attr_Set(path, "color", colour);
    }
    Xeq_Obj_Attr_Set(path, "thickness", kThickness);

    char source_name[kNameSize] = "";
    char next_hop_name[kNameSize] = "";
    Xeq_Obj_Attr_Get(ends.source, "name", source_name);
    Xeq_Obj_Attr_Get(ends.next_hop_node, "name", next_hop_name);
    char name[5 * kNameSize];
    std::snprintf(name, sizeof name, "%s: %s (%s) -> %s (%s)", route.get_protocol_as_string(),
                  source_name, ends.source_intf, next_hop_name, ends.next_hop_intf);
    Xeq_Obj_Attr_Set(path, "name", name);
    char tooltip[1024];
    format_tooltip(route, hop, tooltip);
    Xeq_Obj_Attr_Set(path, "tooltip", tooltip);

    if (Xeq_Obj_Path_Install_Connect(path, route_objects) == 1)
        Xeq_Obj_UI_Status_Set(path, kUiStatusHighlighted);
}

// The path from source to the owner of hop's address.
void draw_next_hop(const RaIpRouteEntry& route, const RaIpRouteNextHop& hop, XeqT_Obj_Handle source,
                   const NbxGipEntry& owner, XeqT_Color colour) {
    QOV_FRAME("draw_next_hop(route, hop, source, owner, colour)");
    const XeqT_Obj_Handle next_hop_node = owner.obj_hndl;
    if (Xeq_Obj_Equal(next_hop_node, source)) return;
    const KplT_IP_Address address = hop.get_next_hop_addr();
    ra::ObjList route_objects(Xeq_Obj_List_Create());
    Xeq_Obj_List_Insert(route_objects.get(), source, KPLC_LISTPOS_TAIL);
    const FoundInterface source_intf = find_interface(source, kPhysical, [&](KplT_IP_Address a) {
        return kpl_ip_address_subnets_overlap(a, address) != 0;
    });
    const FoundInterface next_hop_intf =
        find_interface(next_hop_node, kPhysicalHostAddress,
                       [&](KplT_IP_Address a) { return kpl_ip_address_equal(a, address) != 0; });
    const XeqT_Obj_Handle link = link_between(source, next_hop_node, next_hop_intf.port.get());
    if (link != 0) Xeq_Obj_List_Insert(route_objects.get(), link, KPLC_LISTPOS_TAIL);
    Xeq_Obj_List_Insert(route_objects.get(), next_hop_node, KPLC_LISTPOS_TAIL);
    draw_path(route, hop, {source, source_intf.name, next_hop_node, next_hop_intf.name},
              route_objects.get(), colour);
}

// The IP space's records of the nodes owning address; null when none does.
const QovT_Ll_Desc* owners_of(KplT_IP_Address address) {
    QOV_FRAME("owners_of(address)");
    QovT_Ll_Desc* owners = nullptr;
    if (nbx_gip_get_data_by_address(address, &owners) != 0 || kpl_list_size(owners) == 0)
        return nullptr;
    return owners;
}

// The hierarchical name of the first node owning address, or null.
const char* first_owner_name(KplT_IP_Address address) {
    QOV_FRAME("first_owner_name(address)");
    const QovT_Ll_Desc* owners = owners_of(address);
    if (owners == nullptr) return nullptr;
    return Xeq_Obj_Hname_Get(static_cast<const NbxGipEntry*>(kpl_list_access(owners, 0))->obj_hndl, 0);
}

} // namespace

QovT_Ll_Desc* RaBtStateData::display_next_hop_path(XeqT_Color colour, bool /*flag*/) const {
    QOV_FRAME("RaBtStateData::display_next_hop_path(colour, flag)");
    if (node == nullptr || route == nullptr) return nullptr;
    QovT_Ll_Desc* hops = route->get_next_hops();
    const XeqT_Obj_Handle source =
        node->get_name() == nullptr ? 0 : Xeq_Obj_From_Hname_Get(Xeq_Model_Current_Get(0), node->get_name());
    // A router the model does not hold has nowhere to draw from.
    if (Xeq_Obj_Invalid(source)) return hops;
    const int hop_count = kpl_list_size(hops);
    for (int h = 0; h < hop_count; ++h) {
        const auto* hop = static_cast<const RaIpRouteNextHop*>(kpl_list_access(hops, h));
        const QovT_Ll_Desc* owners = owners_of(hop->get_next_hop_addr());
        const int owner_count = kpl_list_size(owners);
        for (int o = 0; o < owner_count; ++o)
            draw_next_hop(*route, *hop, source,
                          *static_cast<const NbxGipEntry*>(kpl_list_access(owners, o)), colour);
    }
    return hops;
}

// ---- the IGP trace ------------------------------------------------------------------

RaIgpBudget::RaIgpBudget(int calls) : calls_left(calls) {
    QOV_FRAME("RaIgpBudget::RaIgpBudget(calls)");
    kpl_list_init(&traced);
}

RaIgpBudget::~RaIgpBudget() {
    QOV_FRAME("RaIgpBudget::~RaIgpBudget()");
    kpl_list_free(&traced);
}

bool RaIgpBudget::trace(const RaIpNode* router) {
    QOV_FRAME("RaIgpBudget::trace(router)");
    const int count = kpl_list_size(&traced);
    for (int i = 0; i < count; ++i)
        if (kpl_list_access(&traced, i) == router) return false;
    return kpl_list_insert(&traced, const_cast<RaIpNode*>(router), KPLC_LISTPOS_TAIL) == 1;
}

void RaIgpBudget::forget(const RaIpNode* router) {
    QOV_FRAME("RaIgpBudget::forget(router)");
    const int count = kpl_list_size(&traced);
    for (int i = count - 1; i >= 0; --i)
        if (kpl_list_access(&traced, i) == router) kpl_list_remove(&traced, i);
}

XEQ_EXPORT int ra_shortcut_path_click_handler(XeqT_Obj_Handle path_handle, int click_type) {
    QOV_FRAME("ra_shortcut_path_click_handler(path_handle, click_type)");
    // The copy is made only for a menu that opens: the menu's answer is
    // what releases it.
    if (click_type != kClickMenu) return 0;
    auto* copy = static_cast<XeqT_Obj_Handle*>(kpl_mem_alloc(sizeof(XeqT_Obj_Handle)));
    if (copy == nullptr) return 0;
    *copy = path_handle;
    QovT_Ll_Desc items;
    kpl_list_init(&items);
    kpl_list_insert(&items, const_cast<char*>(kShowIgpRoute), KPLC_LISTPOS_TAIL);
    const int opened = Xeq_Nt_Popup_Menu_Open(&items, ra_shortcut_popup_menu_proc, copy);
    kpl_list_free(&items);
    if (opened != 1) {
        kpl_mem_free(copy);
        return 0;
    }
    return 1;
}

XEQ_EXPORT void ra_shortcut_popup_menu_proc(void* state_ptr, int selected_item,
                                            const char* /*selected_item_text*/) {
    QOV_FRAME("ra_shortcut_popup_menu_proc(state_ptr, selected_item, selected_item_text)");
    const std::unique_ptr<XeqT_Obj_Handle, ra::HostBlockFree> path(static_cast<XeqT_Obj_Handle*>(state_ptr));
    if (selected_item != kShowIgpRouteItem || path == nullptr) return;
    char src_node[kNameSize];
    char next_hop[KPLC_IP_ADDRESS_TEXT_SIZE];
    if (!NbxXeqUtil::whole_text_get(*path, "src_node", src_node) ||
        !NbxXeqUtil::whole_text_get(*path, "next_hop", next_hop) ||
        ra_igp_path_draw(src_node, next_hop) == 0)
        std::printf("Path drawing failed\n");
}

int ra_igp_path_draw(const char* src_node, const char* destination) {
    QOV_FRAME("ra_igp_path_draw(src_node, destination)");
    if (Xeq_Obj_Invalid(Xeq_Obj_From_Hname_Get(Xeq_Model_Current_Get(0), src_node))) return 0;
    KplT_IP_Address dest_ip;
    if (kpl_ip_address_parse(destination, kHostMask, &dest_ip) != 1) return 0;
    RaBtTree* tree = ra_model_tree();
    if (tree == nullptr) return 0;
    const RaReachAnswer answer(*tree, dest_ip, true);
    if (answer.state() == nullptr) return 0;
    RaIgpBudget call_count(kIgpBudget);
    ra_get_paths(answer.state(), src_node, dest_ip, call_count);
    return 1;
}

void ra_get_paths(RaBtState* state, const char* obj_name, KplT_IP_Address dest_ip,
                  RaIgpBudget& call_count) {
    QOV_FRAME("ra_get_paths(state, obj_name, dest_ip, call_count)");
    if (call_count.spent() || state == nullptr || obj_name == nullptr) return;
    const XeqT_Color red = Xeq_Gui_Color_From_RGB(1, 0, 0);
    const QovT_Ll_Desc* records = state->get_data();
    for (int r = 0; r < kpl_list_size(records); ++r) {
        const auto* record = static_cast<const RaBtStateData*>(kpl_list_access(records, r));
        const RaIpNode* router = record->get_node();
        if (router == nullptr || router->get_name() == nullptr ||
            std::strcmp(router->get_name(), obj_name) != 0 || !call_count.trace(router))
            continue;
        const QovT_Ll_Desc* hops = record->display_next_hop_path(red, false);
        for (int h = 0; h < kpl_list_size(hops); ++h) {
            const auto* hop = static_cast<const RaIpRouteNextHop*>(kpl_list_access(hops, h));
            const char* next_router = first_owner_name(hop->get_next_hop_addr());
            if (next_router == nullptr) continue;
            if (std::strcmp(next_router, obj_name) != 0) {
                call_count.spend();
                ra_get_paths(state, next_router, dest_ip, call_count);
                continue;
            }
            // The next hop is the router itself: it reaches the network
            // directly, and only the hop to the destination's owner is left.
            const char* dest_owner = first_owner_name(dest_ip);
            if (dest_owner != nullptr && std::strcmp(dest_owner, obj_name) != 0)
                ra_synthesize_igp_path(dest_ip, obj_name, call_count);
        }
    }
}

void ra_synthesize_igp_path(KplT_IP_Address dest_ip, const char* obj_name, RaIgpBudget& call_count) {
    QOV_FRAME("ra_synthesize_igp_path(dest_ip, obj_name, call_count)");
    char address[KPLC_IP_ADDRESS_TEXT_SIZE];
    char mask[KPLC_IP_ADDRESS_TEXT_SIZE];
    kpl_ip_address_format(dest_ip, address, mask);
    // Declared before the state, so that the record goes before its router.
    RaIpNode router(obj_name);
    RaIpRouteEntry* route = router.add_ip_route();
    RaIpRouteNextHop* hop = route == nullptr ? nullptr : route->add_next_hop();
    if (hop == nullptr) return;
    route->set_protocol(RAC_PROTOCOL_DIRECT);
    route->set_destination(address, mask);
    hop->set_metric(0);
    hop->set_insert_time(0);
    hop->set_next_hop_addr(address);
    RaBtState state;
    auto* record = new RaBtStateData;
    if (record == nullptr) return;
    record->insert_node(&router);
    record->insert_route(route);
    if (!state.insert_data(record)) {
        delete record;
        return;
    }
    call_count.spend();
    ra_get_paths(&state, obj_name, dest_ip, call_count);
    call_count.forget(&router);
}
