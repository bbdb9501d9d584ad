// The network IP space service: builds the IP space of the current model on
// first use, keeps it as the model's client state, answers look-ups.
#include <cstdio>
#include <cstring>

#include "ipspace/gip.hpp"
#include "ipspace/xeq_util.hpp"

namespace {

constexpr char kClientStateLabel[] = "(NBX) Network IP Space";
constexpr char kHostAttr[] = "IP Host Parameters";
constexpr char kRouterAttr[] = "IP Routing Parameters";
// Every addressed physical and loopback interface (xeqed.h).
constexpr int kInterfaceFlags = 359;
constexpr std::uint32_t kAllOnes = 0xffffffffu;
constexpr char kHostMask[] = "255.255.255.255";

// Work buffers: names are cut to fit (they only label entries); an address
// text too long for its buffer is no dotted quad and is refused rather than
// cut into one.
constexpr int kNameSize = 80;
constexpr int kHostAddressSize = 16;
constexpr int kSecondaryAddressSize = 128;

// The progress bar shows for larger models only, advancing every 10 nodes.
constexpr int kProgressThreshold = 20;
constexpr int kProgressStep = 10;

// The insert_* steps of the build give false when memory runs out: a space
// missing some addresses would answer wrongly for as long as the model is
// open, so the build is given up instead.
bool insert_hosts(NbxGipTree& tree) {
    QOV_FRAME("insert_hosts(tree)");
    bool whole = true;
    XeqT_Obj_List hosts = Xeq_Obj_List_Create();
    nbx_xeq_node_list_by_model_attr(kHostAttr, hosts);
    const int count = Xeq_Obj_List_Size(hosts);
    for (int i = 0; i < count; ++i) {
        const XeqT_Obj_Handle host = Xeq_Obj_List_Object_Get(hosts, i);
        char address_text[kHostAddressSize];
        char name[kNameSize] = "";
        KplT_IP_Address address;
        if (!NbxXeqUtil::whole_text_get(host, "IP Host Parameters [0].Interface Information [0].Address",
                             address_text) ||
            !kpl_ip_address_parse(address_text, kHostMask, &address))
            continue;
        Xeq_Obj_Attr_Get(host, "IP Host Parameters [0].Interface Information [0].Name", name);
        if (!(whole = tree.insert_ip_address(address, host, name, false))) break;
    }
    Xeq_Obj_List_Destroy(hosts);
    return whole;
}

bool insert_secondaries(NbxGipTree& tree, XeqT_Obj_Handle router, const RuleT_Nt_Interface* intf,
                        const char* name) {
    QOV_FRAME("insert_secondaries(tree, router, intf, name)");
    XeqT_Obj_Handle table = 0;
    if (!Rule_Nt_Interface_Attr_Get(intf, "IP Routing Parameters.Secondary Address Information",
                                    &table))
        return true;
    bool whole = true;
    XeqT_Obj_List rows = Xeq_Obj_List_Create();
    Xeq_Topo_Child_List_Get(table, XEQC_OBJ_ATTR_ROW, rows);
    const int count = Xeq_Obj_List_Size(rows);
    for (int i = 0; i < count; ++i) {
        char text[kSecondaryAddressSize];
        KplT_IP_Address address;
        if (Xeq_Obj_Attr_Get_As_String(Xeq_Obj_List_Object_Get(rows, i), "Address", text) &&
            kpl_ip_address_parse(text, kHostMask, &address) &&
            !(whole = tree.insert_ip_address(address, router, name, true)))
            break;
    }
    Xeq_Obj_List_Destroy(rows);
    return whole;
}

bool insert_router(NbxGipTree& tree, XeqT_Obj_Handle router) {
    QOV_FRAME("insert_router(tree, router)");
    QovT_Ll_Desc* interfaces = kpl_list_create();
    if (interfaces == nullptr) return false;
    bool whole = Rule_Nt_Device_Interface_List_Generate(router, kInterfaceFlags, interfaces) >= 0;
    const int count = kpl_list_size(interfaces);
    for (int i = 0; i < count && whole; ++i) {
        const auto* intf = static_cast<const RuleT_Nt_Interface*>(kpl_list_access(interfaces, i));
        const KplT_IP_Address address =
            kpl_ip_address_mask_set(Rule_Nt_Interface_IP_Address_Get(intf), kAllOnes);
        char name[kNameSize] = "";
        Rule_Nt_Interface_Attr_Get(intf, "IP Routing Parameters.Name", name);
        whole = tree.insert_ip_address(address, router, name, false) &&
                insert_secondaries(tree, router, intf, name);
    }
    kpl_list_destroy(interfaces, 1);
    return whole;
}

bool insert_routers(NbxGipTree& tree) {
    QOV_FRAME("insert_routers(tree)");
    XeqT_Obj_List routers = Xeq_Obj_List_Create();
    nbx_xeq_node_list_by_model_attr(kRouterAttr, routers);
    const int count = Xeq_Obj_List_Size(routers);
    bool whole = true;
    for (int i = 0; i < count && whole; ++i) whole = insert_router(tree, Xeq_Obj_List_Object_Get(routers, i));
    Xeq_Obj_List_Destroy(routers);
    return whole;
}

// What ip_space found.
struct IpSpace {
    NbxGipTree* tree;   // null when there is none
    bool out_of_memory; // none because memory ran out while building it
};

// The current model's IP space; built and kept first when build is set and
// there is none. None without a current model, without the registered
// client state, or when memory runs out.
IpSpace ip_space(bool build) {
    QOV_FRAME("ip_space(build)");
    XeqT_Model_Handle model = Xeq_Model_Current_Get(0);
    const int id = Xeq_Client_State_By_Name_Get(kClientStateLabel);
    if (model == nullptr || id < 0) return {nullptr, false};
    if (Xeq_Model_Network_State_Access(model, id) == nullptr && build) {
        NbxGipTree* tree = nbx_gip_pstate_create();
        if (tree == nullptr) return {nullptr, true};
        if (!Xeq_Model_Network_State_Set(model, id, tree)) {
            delete tree;
            return {nullptr, true};
        }
    }
    return {static_cast<NbxGipTree*>(Xeq_Model_Network_State_Access(model, id)), false};
}

} // namespace

XEQ_EXPORT void nbx_ed_xeq_init() {
    QOV_FRAME("nbx_ed_xeq_init()");
    Xeq_Client_State_Handlers_Register(kClientStateLabel, nbx_gip_copy_create, nbx_gip_destroy,
                                       nbx_gip_read, nbx_gip_write);
}

XEQ_EXPORT void* nbx_gip_copy_create(void* /*orig_state_ptr*/) {
    QOV_FRAME("nbx_gip_copy_create(orig_state_ptr)");
    return nullptr;
}

XEQ_EXPORT void nbx_gip_destroy(void* state_ptr) {
    QOV_FRAME("nbx_gip_destroy(state_ptr)");
    delete static_cast<NbxGipTree*>(state_ptr);
}

XEQ_EXPORT void* nbx_gip_read(void* /*block_hndl*/) {
    QOV_FRAME("nbx_gip_read(block_hndl)");
    return nullptr;
}

XEQ_EXPORT int nbx_gip_write(void* /*state_ptr*/, void* /*block_hndl*/) {
    QOV_FRAME("nbx_gip_write(state_ptr, block_hndl)");
    return 0;
}

XEQ_EXPORT int nbx_gip_get_data_by_address(KplT_IP_Address address, QovT_Ll_Desc** ret_data_lptr) {
    QOV_FRAME("nbx_gip_get_data_by_address(address, ret_data_lptr)");
    const NbxGipTree* tree = ip_space(true).tree;
    const NbxIpState* state = tree == nullptr ? nullptr : tree->get_state_by_address(address);
    if (state == nullptr) return 1;
    if (ret_data_lptr != nullptr) *ret_data_lptr = state->get_data();
    return 0;
}

XEQ_EXPORT int nbx_gip_get_data_by_network(KplT_IP_Address network, QovT_Ll_Desc** ret_data_lptr) {
    QOV_FRAME("nbx_gip_get_data_by_network(network,ret_data_lptr)");
    if (ret_data_lptr == nullptr) return 1;
    *ret_data_lptr = nullptr;
    const IpSpace space = ip_space(true);
    if (space.out_of_memory) return 1;
    QovT_Ll_Desc* entries = kpl_list_create();
    if (entries == nullptr) return 1;
    bool whole = true;
    if (space.tree != nullptr) {
        bool out_of_memory = false;
        QovT_Ll_Desc* states = space.tree->get_state_by_network(network, out_of_memory);
        whole = !out_of_memory;
        const int state_count = states == nullptr ? 0 : kpl_list_size(states);
        for (int s = 0; s < state_count && whole; ++s) {
            const QovT_Ll_Desc* data = static_cast<NbxIpState*>(kpl_list_access(states, s))->get_data();
            const int entry_count = kpl_list_size(data);
            for (int e = 0; e < entry_count && whole; ++e)
                whole = kpl_list_insert(entries, kpl_list_access(data, e), KPLC_LISTPOS_TAIL) == 1;
        }
        if (states != nullptr) kpl_list_destroy(states, 0);
    }
    if (!whole) {
        kpl_list_destroy(entries, 0);
        return 1;
    }
    *ret_data_lptr = entries;
    return 0;
}

XEQ_EXPORT void nbx_gip_insert_address(KplT_IP_Address address, XeqT_Obj_Handle obj_hndl,
                                       const char* intf_name, bool secondary, bool existing_only) {
    QOV_FRAME("nbx_gip_insert_address(address)");
    NbxGipTree* tree = ip_space(!existing_only).tree;
    if (tree != nullptr) tree->insert_ip_address(address, obj_hndl, intf_name, secondary);
}

XEQ_EXPORT void nbx_gip_remove_address(KplT_IP_Address address, XeqT_Obj_Handle obj_hndl) {
    QOV_FRAME("nbx_gip_remove_address(address)");
    NbxGipTree* tree = ip_space(false).tree;
    if (tree != nullptr) tree->remove_state_by_address(address, obj_hndl);
}

NbxGipTree* nbx_gip_pstate_create() {
    QOV_FRAME("nbx_gip_pstate_create()");
    auto* tree = new NbxGipTree;
    if (tree == nullptr) return nullptr;
    if (tree->get_root() == nullptr) {
        delete tree;
        return nullptr;
    }
    if (!insert_hosts(*tree) || !insert_routers(*tree)) {
        delete tree;
        return nullptr;
    }
    return tree;
}

bool nbx_xeq_node_list_by_model_attr(const char* model_attr_name, XeqT_Obj_List node_obj_lptr) {
    QOV_FRAME("nbx_xeq_node_list_by_model_attr (model_attr_name, node_obj_lptr)");
    const XeqT_Model_Handle model = Xeq_Model_Current_Get(0);
    const int count = Xeq_Topo_Object_Count_Get(model, XEQC_OBJ_NODE);
    const bool progress = count > kProgressThreshold;
    if (progress) {
        char text[256];
        std::snprintf(text, sizeof text,
                      "Checking for existence of nodes with the attribute \"%s\" in this network...",
                      model_attr_name);
        Xeq_Progress_Bar_Start(text, count);
    }
    bool found = false;
    for (int i = 0; i < count; ++i) {
        const XeqT_Obj_Handle node = Xeq_Topo_Object_Get(model, XEQC_OBJ_NODE, i);
        if (progress && i % kProgressStep == 0) Xeq_Progress_Bar_Advance(kProgressStep);
        if (Xeq_Obj_Attr_Exists(node, model_attr_name) == 1) {
            Xeq_Obj_List_Insert(node_obj_lptr, node, KPLC_LISTPOS_TAIL);
            found = true;
        }
    }
    if (progress) Xeq_Progress_Bar_End();
    return found;
}
