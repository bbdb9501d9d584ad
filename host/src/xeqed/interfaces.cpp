// A node's IP interfaces as the routing layer sees them: rows of the node's
// "IP Routing Parameters [0]" interface tables, handed out as small entries
// that name the node and the row by handle, so an entry outliving its row
// fails its reads instead of reaching freed memory.
#include <cstring>
#include <string>

#include "links.hpp"
#include "model.hpp"

namespace xeq {
namespace {

constexpr char kGroup[] = "IP Routing Parameters";

// The rows of table in the node's first "IP Routing Parameters" row.
const std::vector<std::unique_ptr<Obj>>* table_rows(Obj& node, const char* table) {
    const Attr* group = node.find(kGroup);
    if (!group || !group->compound || group->compound->rows.empty()) return nullptr;
    const Attr* rows = group->compound->rows.front()->find(table);
    if (!rows || !rows->compound) return nullptr;
    return &rows->compound->rows;
}

std::optional<std::string> row_text(const Obj& row, const char* name) {
    const Attr* attr = row.find(name);
    if (!attr || attr->compound) return std::nullopt;
    return as_text(attr->value);
}

// The row's address with its mask; a missing or malformed mask gives the
// address alone (all ones, or the "/len" form's mask).
std::optional<KplT_IP_Address> row_address(const Obj& row) {
    const auto address = row_text(row, "Address");
    if (!address) return std::nullopt;
    KplT_IP_Address ip{};
    const auto mask = row_text(row, "Subnet Mask");
    if (mask && kpl_ip_address_parse(address->c_str(), mask->c_str(), &ip)) return ip;
    if (kpl_ip_address_parse(address->c_str(), nullptr, &ip)) return ip;
    return std::nullopt;
}

int append_rows(Obj& node, const char* table, int flags, QovT_Ll_Desc* list) {
    const auto* rows = table_rows(node, table);
    if (!rows) return 0;
    int added = 0;
    for (const auto& row : *rows) {
        if ((flags & RULEC_NT_INTF_ADDRESSED) && !row_address(*row)) continue;
        auto* entry = static_cast<RuleS_Nt_Interface*>(kpl_mem_alloc(sizeof(RuleS_Nt_Interface)));
        if (!entry) return -1;
        entry->node = node.handle;
        entry->row = row->handle;
        entry->host_address = (flags & RULEC_NT_INTF_HOST_ADDRESS) != 0;
        entry->port = {node.handle, row->handle};
        if (!kpl_list_insert(list, entry, KPLC_LISTPOS_TAIL)) {
            kpl_mem_free(entry);
            return -1;
        }
        ++added;
    }
    return added;
}

// The path within the interface's row: what follows "IP Routing Parameters.".
const char* row_path(const char* path) {
    const size_t n = sizeof kGroup - 1;
    if (!path || std::strncmp(path, kGroup, n) != 0 || path[n] != '.') return nullptr;
    return path + n + 1;
}

} // namespace
} // namespace xeq

using namespace xeq;

extern "C" {

int Rule_Nt_Device_Interface_List_Generate(XeqT_Obj_Handle node_handle, int flags,
                                           QovT_Ll_Desc* list) {
    Obj* node = resolve(node_handle);
    if (!node || node->type != XEQC_OBJ_NODE || !list) return 0;
    // A caller must not take a list cut short by memory running out for the
    // node's interfaces: the entries go again and the failure is told.
    const int before = kpl_list_size(list);
    const int physical =
        flags & RULEC_NT_INTF_PHYSICAL ? append_rows(*node, "Interface Information", flags, list) : 0;
    const int loopback =
        physical >= 0 && (flags & RULEC_NT_INTF_LOOPBACK) ? append_rows(*node, "Loopback Interfaces", flags, list) : 0;
    if (physical < 0 || loopback < 0) {
        while (kpl_list_size(list) > before) kpl_mem_free(kpl_list_remove(list, KPLC_LISTPOS_TAIL));
        return -1;
    }
    return physical + loopback;
}

KplT_IP_Address Rule_Nt_Interface_IP_Address_Get(const RuleT_Nt_Interface* intf) {
    const Obj* row = intf ? resolve(intf->row) : nullptr;
    const auto ip = row ? row_address(*row) : std::nullopt;
    if (!ip) return KplT_IP_Address{0, 0};
    return intf->host_address ? kpl_ip_address_mask_set(*ip, 0xFFFFFFFFu) : *ip;
}

int Rule_Nt_Interface_Attr_Value_Get(const RuleT_Nt_Interface* intf, const char* path,
                                     XeqT_Value_Kind kind, void* out, size_t out_size) {
    const char* rest = row_path(path);
    if (!intf || !rest) return 0;
    return Xeq_Obj_Attr_Value_Get(intf->row, rest, kind, out, out_size);
}

int Rule_Nt_Interface_Attr_Get(const RuleT_Nt_Interface* intf, const char* path, void* out) {
    const char* rest = row_path(path);
    if (!intf || !rest) return 0;
    return Xeq_Obj_Attr_Get(intf->row, rest, out);
}

int Rule_Nt_Interface_Attr_Get_As_String(const RuleT_Nt_Interface* intf, const char* path,
                                         char* buffer) {
    return Rule_Nt_Interface_Attr_Value_Get(intf, path, XEQC_VALUE_TEXT, buffer,
                                            XEQC_ATTR_TEXT_SIZE);
}

} // extern "C"
