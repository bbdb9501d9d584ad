// nirt: the choices of an attribute that names a SIP proxy server, the
// addresses of the model's nodes that serve as SIP proxies.
#include <cstring>

#include "hespr.h"
#include "kpllib.h"
#include "qovlib.h"
#include "text_order.hpp"
#include "xeq_attr_procs.h"
#include "xeq_plugin.h"

XEQ_IMPORT_RELEASE_MARKER(This_File_Was_Compiled_With_XEQ_Release_90A);
XEQ_IMPORT_RELEASE_MARKER(This_File_Was_Compiled_With_VALDRIC_Release_90A);

namespace {

bool is_proxy(XeqT_Obj_Handle node) {
    int service = 0;
    return Xeq_Obj_Attr_Exists(node, "SIP Proxy Server Parameters") == 1 &&
           Xeq_Obj_Attr_Get(node, "SIP Proxy Server Parameters [0].Proxy Service", &service) && service == 1;
}

// The proxy's own address; false when it has none or it is assigned later.
bool proxy_address(XeqT_Obj_Handle node, char (&address)[XEQC_ATTR_TEXT_SIZE]) {
    return Xeq_Obj_Attr_Exists(node, "Server Address") == 1 && Xeq_Obj_Attr_Get(node, "Server Address", address) &&
           std::strcmp(address, "Auto Assigned") != 0;
}

char* copy_of(const char* text) {
    const size_t size = std::strlen(text) + 1;
    auto* copy = static_cast<char*>(kpl_mem_alloc(size));
    if (copy) std::memcpy(copy, text, size);
    return copy;
}

} // namespace

XEQ_EXPORT int sip_proxy_servers_list_create(XeqT_Obj_Handle, const char*, XeqT_Model_Handle, void*, void*,
                                             void*, void*, void*, void*, QovT_Textlist* choices) {
    const XeqT_Model_Handle model = Xeq_Model_Current_Get(0);
    const int nodes = Xeq_Topo_Object_Count_Get(model, XEQC_OBJ_NODE);
    const bool bar = nodes > 20;
    if (bar) Xeq_Progress_Bar_Start("Locating SIP Proxy Servers...", nodes);
    QovT_Ll_Desc addresses;
    kpl_list_init(&addresses);
    for (int i = nodes - 1; i >= 0; --i) {
        const XeqT_Obj_Handle node = Xeq_Topo_Object_Get(model, XEQC_OBJ_NODE, i);
        char address[XEQC_ATTR_TEXT_SIZE];
        if (is_proxy(node) && proxy_address(node, address))
            if (char* copy = copy_of(address); copy && !kpl_list_insert_sorted(&addresses, copy, tools::text_order))
                kpl_mem_free(copy);
        if (bar) Xeq_Progress_Bar_Advance(1);
    }
    if (bar) Xeq_Progress_Bar_End();
    while (kpl_list_size(&addresses) > 0) {
        auto* address = static_cast<char*>(kpl_list_remove(&addresses, KPLC_LISTPOS_HEAD));
        Qov_Textlist_Append(choices, address, -1);
        kpl_mem_free(address);
    }
    kpl_list_free(&addresses);
    return 2;
}
