#include "ipspace/ip_tree.hpp"

#include <cstddef>
#include <cstring>

NBX_POOL_DEFINE(NbxIpState, 16)
NBX_POOL_DEFINE(NbxIpTree, 1)
NBX_POOL_DEFINE(NbxGipTree, 1)

// remove_node reads the owner handle at the start of every record.
static_assert(offsetof(NbxGipEntry, obj_hndl) == 0);

namespace {

constexpr int kAddressBits = 32;

bool bit_set(std::uint32_t value, int depth) { return (value >> (kAddressBits - 1 - depth)) & 1u; }

XeqT_Obj_Handle record_owner(const void* record) {
    XeqT_Obj_Handle owner;
    std::memcpy(&owner, record, sizeof owner);
    return owner;
}

} // namespace

NbxIpState::NbxIpState() : data(kpl_list_create()), removed(nullptr) {
    QOV_FRAME("NbxIpState::NbxIpState()");
}

NbxIpState::~NbxIpState() {
    QOV_FRAME("NbxIpState::~NbxIpState()");
    kpl_list_destroy(data, 1);
    if (removed != nullptr) kpl_list_destroy(removed, 1);
}

bool NbxIpState::insert_data(void* data_ptr) {
    QOV_FRAME("NbxIpState::insert_data(data_ptr)");
    return kpl_list_insert(data, data_ptr, KPLC_LISTPOS_TAIL) == 1;
}

void NbxIpState::remove_node(XeqT_Obj_Handle node_hndl) {
    QOV_FRAME("NbxIpState::remove_node(node_hndl)");
    // Rotate once through the list: every record is taken from the head and
    // either released or put back at the tail, so the kept ones keep their
    // order.
    for (int n = kpl_list_size(data); n > 0; --n) {
        void* record = kpl_list_remove(data, KPLC_LISTPOS_HEAD);
        if (record_owner(record) != node_hndl || !keep_removed(record))
            kpl_list_insert(data, record, KPLC_LISTPOS_TAIL);
    }
}

bool NbxIpState::keep_removed(void* record) {
    if (removed == nullptr && (removed = kpl_list_create()) == nullptr) return false;
    return kpl_list_insert(removed, record, KPLC_LISTPOS_TAIL) == 1;
}

NbxIpTree::~NbxIpTree() { QOV_FRAME("NbxIpTree::~NbxIpTree()"); }

bool NbxIpTree::insert_ip_address(KplT_IP_Address address, void* data) {
    QOV_FRAME("NbxIpTree::insert_ip_address(address,data)");
    NbxBtNode* node = get_root();
    if (node == nullptr) return false;
    const std::uint32_t value = kpl_ip_address_value_get(address);
    for (int depth = 0; depth < kAddressBits; ++depth) {
        const bool one = bit_set(value, depth);
        NbxBtNode* next = one ? node->get_right() : node->get_left();
        if (next == nullptr) {
            next = one ? node->right_insert(nullptr) : node->left_insert(nullptr);
            if (next == nullptr) return false;
            inc_size();
        }
        node = next;
    }
    auto* state = static_cast<NbxIpState*>(node->get_state());
    if (state != nullptr) return state->insert_data(data);
    state = new NbxIpState;
    if (state == nullptr) return false;
    // A new state that got no record is dropped again: nobody has seen it.
    if (state->get_data() == nullptr || !state->insert_data(data)) {
        delete state;
        return false;
    }
    node->set_state(state);
    return true;
}

NbxBtNode* NbxIpTree::find_node(std::uint32_t value, int prefix_length) const {
    NbxBtNode* node = get_root();
    for (int depth = 0; node != nullptr && depth < prefix_length; ++depth)
        node = bit_set(value, depth) ? node->get_right() : node->get_left();
    return node;
}

NbxIpState* NbxIpTree::get_state_by_address(KplT_IP_Address ip_address) const {
    QOV_FRAME("NbxIpTree::get_state_by_address(ip_address)");
    const NbxBtNode* node = find_node(kpl_ip_address_value_get(ip_address), kAddressBits);
    auto* state = node == nullptr ? nullptr : static_cast<NbxIpState*>(node->get_state());
    return state == nullptr || kpl_list_size(state->get_data()) == 0 ? nullptr : state;
}

QovT_Ll_Desc* NbxIpTree::get_state_by_network(KplT_IP_Address ip_network) const {
    QOV_FRAME("NbxIpTree::get_state_by_network(ip_network)");
    bool out_of_memory = false;
    return get_state_by_network(ip_network, out_of_memory);
}

QovT_Ll_Desc* NbxIpTree::get_state_by_network(KplT_IP_Address ip_network, bool& out_of_memory) const {
    QOV_FRAME("NbxIpTree::get_state_by_network(ip_network, out_of_memory)");
    out_of_memory = false;
    const int prefix_length =
        kpl_ip_address_mask_prefix_length_compute(kpl_ip_address_mask_get(ip_network));
    NbxBtNode* node = find_node(kpl_ip_address_value_get(ip_network), prefix_length);
    if (node == nullptr) return nullptr;
    QovT_Ll_Desc* states = kpl_list_create();
    if (states == nullptr || !node->collect_recursive(states)) {
        out_of_memory = true;
        if (states != nullptr) kpl_list_destroy(states, 0);
        return nullptr;
    }
    // States whose records were all removed hold no address any more.
    for (int n = kpl_list_size(states); n > 0; --n) {
        auto* state = static_cast<NbxIpState*>(kpl_list_remove(states, KPLC_LISTPOS_HEAD));
        if (kpl_list_size(state->get_data()) > 0) kpl_list_insert(states, state, KPLC_LISTPOS_TAIL);
    }
    if (kpl_list_size(states) == 0) {
        kpl_list_destroy(states, 0);
        return nullptr;
    }
    return states;
}

void NbxIpTree::remove_state_by_address(KplT_IP_Address address, XeqT_Obj_Handle obj_hndl) {
    QOV_FRAME("NbxIpTree::remove_state_by_address(address,obj_hndl)");
    NbxBtNode* node = find_node(kpl_ip_address_value_get(address), kAddressBits);
    if (node == nullptr || node->get_state() == nullptr) return;
    static_cast<NbxIpState*>(node->get_state())->remove_node(obj_hndl);
}

NbxGipTree::~NbxGipTree() { QOV_FRAME("NbxGipTree::~NbxGipTree()"); }

bool NbxGipTree::insert_ip_address(KplT_IP_Address ip_address, void* data) {
    QOV_FRAME("NbxGipTree::insert_ip_address(KplT_IP_Address ip_address, void *data)");
    return NbxIpTree::insert_ip_address(ip_address, data);
}

bool NbxGipTree::insert_ip_address(KplT_IP_Address ip_address, XeqT_Obj_Handle obj_hndl,
                                   const char* intf_name, bool secondary) {
    QOV_FRAME("NbxGipTree::insert_ip_address(KplT_IP_Address ip_address, XeqT_Obj_Handle "
              "obj_hndl, const char *intf_name, bool secondary)");
    if (intf_name == nullptr) intf_name = "";
    const std::size_t name_size = std::strlen(intf_name) + 1;
    auto* entry = static_cast<NbxGipEntry*>(kpl_mem_alloc(sizeof(NbxGipEntry) + name_size));
    if (entry == nullptr) return false;
    entry->obj_hndl = obj_hndl;
    entry->intf_name = reinterpret_cast<char*>(entry + 1);
    std::memcpy(entry->intf_name, intf_name, name_size);
    entry->ip_address = ip_address;
    entry->secondary = secondary;
    if (insert_ip_address(ip_address, static_cast<void*>(entry))) return true;
    kpl_mem_free(entry);
    return false;
}
