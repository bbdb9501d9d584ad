#include "reach/ra_bt_tree.hpp"

#include <cstdint>
#include <cstring>

#include "routing/ra_net_data.hpp"
#include "routing/ra_owned_list.hpp"

NBX_POOL_DEFINE(RaBtState, 8)
NBX_POOL_DEFINE(RaBtStateData, 1)

namespace {

struct Prefix {
    uint32_t value;
    int length; // 0..32
};

Prefix prefix_of(KplT_IP_Address address) {
    return {kpl_ip_address_value_get(address),
            kpl_ip_address_mask_prefix_length_compute(kpl_ip_address_mask_get(address))};
}

bool bit_set(uint32_t value, int i) { return ((value << i) & 0x80000000u) != 0; }

RaBtState* state_of(const NbxBtNode* node) { return static_cast<RaBtState*>(node->get_state()); }

} // namespace

// ---- records ------------------------------------------------------------------

RaBtStateData::RaBtStateData() : node(nullptr), route(nullptr) {
    QOV_FRAME("RaBtStateData::RaBtStateData()");
}

RaBtStateData::~RaBtStateData() { QOV_FRAME("RaBtStateData::~RaBtStateData()"); }

const char* ra_protocol_icon_name(int protocol) {
    switch (protocol) {
    case RAC_PROTOCOL_NONE: return "";
    case RAC_PROTOCOL_RIP: return "R";
    case RAC_PROTOCOL_IGRP: return "G";
    case RAC_PROTOCOL_OSPF: return "O";
    case RAC_PROTOCOL_BGP: return "B";
    case RAC_PROTOCOL_EIGRP: return "E";
    case RAC_PROTOCOL_ISIS: return "I";
    case RAC_PROTOCOL_STATIC: return "S";
    case RAC_PROTOCOL_DIRECT: return "selection";
    default: return nullptr;
    }
}

void RaBtStateData::display_icon() const {
    QOV_FRAME("RaBtStateData::display_icon()");
    if (node == nullptr || route == nullptr || node->get_name() == nullptr) return;
    // A code outside the table cannot come from a file; it marks nothing
    // rather than naming an icon the editor does not have.
    const char* icon = ra_protocol_icon_name(route->get_protocol());
    if (icon == nullptr) return;
    const XeqT_Obj_Handle obj = Xeq_Obj_From_Hname_Get(Xeq_Model_Current_Get(0), node->get_name());
    Xeq_Nt_Object_Overlay_Icon_Name_Set(obj, icon);
}

// ---- states -----------------------------------------------------------------------

RaBtState::RaBtState() {
    QOV_FRAME("RaBtState::RaBtState()");
    kpl_list_init(&data_list);
}

RaBtState::~RaBtState() {
    QOV_FRAME("RaBtState::~RaBtState()");
    ra::delete_all<RaBtStateData>(&data_list);
}

bool RaBtState::insert_data(RaBtStateData* data) {
    QOV_FRAME("RaBtState::insert_data(data)");
    return kpl_list_insert(&data_list, data, KPLC_LISTPOS_TAIL) == 1;
}

bool RaBtState::accumulate(RaBtState* state) {
    QOV_FRAME("RaBtState::accumulate(state)");
    if (state == nullptr) return true;
    // The records of one prefix were made router after router while the
    // file was read, so each sits far from the next in memory; asking for
    // them a few records ahead overlaps their cache misses instead of
    // waiting for each in turn.
    constexpr int kAhead = 8;
    const QovT_Ll_Desc* list = state->get_data();
    const int size = kpl_list_size(list);
    for (int i = 0; i < size; ++i) {
        if (i + kAhead < size) __builtin_prefetch(kpl_list_access(list, i + kAhead));
        if (!insert_data_unique_node(static_cast<const RaBtStateData*>(kpl_list_access(list, i))))
            return false;
    }
    return true;
}

// The router's cell pointer names this state's record for it, so a
// replacement is one store and keeps the record's place in the list. The
// state makes its own records rather than listing the tree's: whoever
// deletes an aggregate result then deletes exactly what it owns.
bool RaBtState::insert_data_unique_node(const RaBtStateData* data) {
    QOV_FRAME("RaBtState::insert_data_unique_node(data)");
    RaIpNode* router = data->get_node();
    if (router == nullptr) return true;
    if (RaBtStateData* mine = router->get_cell_ptr()) {
        mine->insert_route(data->get_route());
        return true;
    }
    RaBtStateData* record = new RaBtStateData;
    if (record == nullptr) return false;
    record->insert_node(router);
    record->insert_route(data->get_route());
    if (!insert_data(record)) {
        delete record;
        return false;
    }
    router->set_cell_ptr(record);
    return true;
}

QovT_Ll_Desc* RaBtState::get_data_by_filter(XeqT_Obj_List filter_lptr) const {
    QOV_FRAME("RaBtState::get_data_by_filter(filter_lptr)");
    QovT_Ll_Desc* result = kpl_list_create();
    if (result == nullptr) return nullptr;
    const int objects = Xeq_Obj_List_Size(filter_lptr);
    for (int i = 0; i < kpl_list_size(&data_list); ++i) {
        auto* record = static_cast<RaBtStateData*>(kpl_list_access(&data_list, i));
        const char* name = record->get_node() == nullptr ? nullptr : record->get_node()->get_name();
        if (name == nullptr) continue;
        for (int j = 0; j < objects; ++j) {
            // The host keeps the name with its object: nothing to release.
            if (std::strcmp(name, Xeq_Obj_Hname_Get(Xeq_Obj_List_Object_Get(filter_lptr, j), 0)) == 0) {
                if (!kpl_list_insert(result, record, KPLC_LISTPOS_TAIL)) {
                    kpl_list_destroy(result, 0);
                    return nullptr;
                }
                break;
            }
        }
    }
    return result;
}

void RaBtState::clear_cell_cache() {
    QOV_FRAME("RaBtState::clear_cell_cache()");
    for (int i = 0; i < kpl_list_size(&data_list); ++i) {
        RaIpNode* router = static_cast<RaBtStateData*>(kpl_list_access(&data_list, i))->get_node();
        if (router != nullptr) router->clear_cell_ptr();
    }
}

// ---- tree -----------------------------------------------------------------------------

RaBtTree::RaBtTree() : node_list(nullptr), file_path(nullptr) {
    QOV_FRAME("RaBtTree::RaBtTree()");
    kpl_list_init(&retired_routers);
}

namespace {

void delete_routers(QovT_Ll_Desc* node_list) {
    if (node_list == nullptr) return;
    ra::delete_all<RaIpNode>(node_list);
    kpl_list_destroy(node_list, 0);
}

int position_in(const QovT_Ll_Desc* list, const void* item) {
    const int size = list == nullptr ? 0 : kpl_list_size(list);
    for (int i = 0; i < size; ++i)
        if (kpl_list_access(list, i) == item) return i;
    return -1;
}

} // namespace

RaBtTree::~RaBtTree() {
    QOV_FRAME("RaBtTree::~RaBtTree()");
    delete_routers(node_list);
    ra::delete_all<RaIpNode>(&retired_routers);
    kpl_mem_free(file_path);
}

bool RaBtTree::insert_ip_address(KplT_IP_Address address, RaBtStateData* node_ptr) {
    QOV_FRAME("RaBtTree::insert_ip_address(address, node_ptr)");
    NbxBtNode* node = get_root();
    if (node == nullptr) return false;
    const Prefix prefix = prefix_of(address);
    for (int i = 0; i < prefix.length; ++i) {
        NbxBtNode* child;
        if (bit_set(prefix.value, i)) {
            child = node->get_right();
            if (child == nullptr && (child = node->right_insert(nullptr)) != nullptr) inc_size();
        } else {
            child = node->get_left();
            if (child == nullptr && (child = node->left_insert(nullptr)) != nullptr) inc_size();
        }
        if (child == nullptr) return false;
        node = child;
    }
    RaBtState* state = state_of(node);
    if (state == nullptr) {
        state = new RaBtState;
        if (state == nullptr) return false;
        node->set_state(state);
    }
    return state->insert_data(node_ptr);
}

RaBtState* RaBtTree::get_state_by_prefix(KplT_IP_Address ip_network, bool aggregate) {
    QOV_FRAME("RaBtTree::get_state_by_prefix(ip_network, aggregate)");
    const Prefix prefix = prefix_of(ip_network);
    RaBtState* result = nullptr;
    if (aggregate && (result = new RaBtState) == nullptr) return nullptr;
    const NbxBtNode* node = get_root();
    bool whole = true;
    for (int i = 0; node != nullptr && whole; ++i) {
        if (aggregate) whole = result->accumulate(state_of(node));
        if (i == prefix.length) break;
        node = bit_set(prefix.value, i) ? node->get_right() : node->get_left();
    }
    if (!aggregate) return node == nullptr ? nullptr : state_of(node);
    result->clear_cell_cache();
    // An answer missing a router would read as that router having no route.
    if (!whole) {
        delete result;
        return nullptr;
    }
    return result;
}

bool RaBtTree::set_file_path(const char* path) {
    QOV_FRAME("RaBtTree::set_file_path(path)");
    if (path == nullptr) return false;
    const size_t size = std::strlen(path) + 1;
    auto* copy = static_cast<char*>(kpl_mem_alloc(size));
    if (copy == nullptr) return false;
    std::memcpy(copy, path, size);
    kpl_mem_free(file_path);
    file_path = copy;
    return true;
}

// Every router ever listed is deleted exactly once, by the tree's
// destructor: the tree owns the union of its lists, and retired_routers holds
// the part the current list does not. Replacing a list is rare (the reader
// gives one), so linear searches are cheap enough.
void RaBtTree::set_node_list(QovT_Ll_Desc* node_lptr) {
    QOV_FRAME("RaBtTree::set_node_list(node_lptr)");
    if (node_list == node_lptr) return;
    if (node_list != nullptr) {
        for (int i = 0; i < kpl_list_size(node_list); ++i) {
            void* router = kpl_list_access(node_list, i);
            // Out of memory the router is kept alive unowned: a leak, where
            // releasing it would leave the records dangling.
            if (position_in(node_lptr, router) < 0 && position_in(&retired_routers, router) < 0)
                kpl_list_insert(&retired_routers, router, KPLC_LISTPOS_TAIL);
        }
        kpl_list_destroy(node_list, 0);
    }
    for (int i = kpl_list_size(&retired_routers); i-- > 0;)
        if (position_in(node_lptr, kpl_list_access(&retired_routers, i)) >= 0)
            kpl_list_remove(&retired_routers, i);
    node_list = node_lptr;
}
