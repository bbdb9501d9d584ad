// Find Node: which node owns an address, or which interfaces lie on a
// network, shown as the model's selection or as the IP report.
#include "reach/ra_find_node.hpp"

#include <cstring>

#include "ipspace/gip.hpp"
#include "ipspace/gip_entry.hpp"
#include "reach/ra_gui.hpp"
#include "reach/ra_host_ptr.hpp"
#include "reach/ra_ip_report.hpp"

namespace {

constexpr char kHostMask[] = "255.255.255.255";

void deselect_all(XeqT_Model_Handle model) {
    QOV_FRAME("deselect_all(model)");
    ra::ObjList selected(Xeq_Obj_List_Create());
    Xeq_Model_Selected_List_Get(model, selected.get());
    const int count = Xeq_Obj_List_Size(selected.get());
    for (int i = 0; i < count; ++i)
        Xeq_Obj_Selected_Status_Set(Xeq_Obj_List_Object_Get(selected.get(), i), 0);
}

// The records for text, or null when it does not parse or no node owns the
// address. A network's list is new and goes to network_list as well; an
// address's list is the IP space's and must not be released.
QovT_Ll_Desc* look_up(const char* text, ra::PtrList& network_list) {
    QOV_FRAME("look_up(text, network_list)");
    KplT_IP_Address address;
    QovT_Ll_Desc* entries = nullptr;
    if (std::strchr(text, '/') != nullptr) {
        if (kpl_ip_address_parse(text, "", &address) != 1) return nullptr;
        nbx_gip_get_data_by_network(address, &entries);
        network_list.reset(entries);
    } else if (kpl_ip_address_parse(text, kHostMask, &address) == 1) {
        nbx_gip_get_data_by_address(address, &entries);
    }
    return entries;
}

XeqT_Obj_Handle node_of(const QovT_Ll_Desc* entries, int index) {
    return static_cast<const NbxGipEntry*>(kpl_list_access(entries, index))->obj_hndl;
}

void select_nodes(const QovT_Ll_Desc* entries) {
    QOV_FRAME("select_nodes(entries)");
    const int count = kpl_list_size(entries);
    for (int i = 0; i < count; ++i) Xeq_Obj_Selected_Status_Set(node_of(entries, i), 1);
}

} // namespace

XEQ_EXPORT void ra_address_display_handler(XeqT_Dbox dbox_ptr, int /*message*/, int /*submessage*/,
                                           const char* /*control*/, void* /*data*/) {
    QOV_FRAME("ra_address_display_handler(dbox_ptr, message, submessage, control, data)");
    const ra::HostText text(
        Xeq_Ctl_Value_Dyn_Str_Get(Xeq_Dbox_Ctl_Get(dbox_ptr, RaGui::CtlC_NodeEditIpAddress)));
    const bool report =
        Xeq_Ctl_Value_Int_Get(Xeq_Dbox_Ctl_Get(dbox_ptr, RaGui::CtlC_NodeChkReport)) != 0;
    deselect_all(Xeq_Model_Current_Get(0));
    if (text == nullptr) return;

    ra::PtrList network_list;
    QovT_Ll_Desc* entries = look_up(text.get(), network_list);
    if (entries == nullptr) return;
    const int count = kpl_list_size(entries);
    if (count == 0) {
        ra_prompt_and_wait("No Node Found", {"IP Address not found in network"});
        return;
    }
    if (count == 1) {
        const XeqT_Obj_Handle node = node_of(entries, 0);
        Xeq_Obj_Selected_Status_Set(node, 1);
        Xeq_Obj_Zoom_To(node);
    } else if (!report) {
        select_nodes(entries);
    }
    if (report) ra_ip_report_open(entries, text.get(), network_list.release() != nullptr);
}
