// gamp: FDDI port attributes of the 7.0 layout move into one
// "FDDI Parameters" compound per port.
#include "converter.hpp"
#include "hespr.h"

XEQ_IMPORT_RELEASE_MARKER(This_File_Was_Compiled_With_XEQ_Release_90A);
XEQ_IMPORT_RELEASE_MARKER(This_File_Was_Compiled_With_VALDRIC_Release_90A);

namespace {

struct FddiField {
    const char* keyword;
    const char* field;
};

const FddiField kFields[] = {
    {"FDDI Address", "Address"},
    {"FDDI Requested TTRT", "Requested TTRT"},
    {"FDDI Operational Mode", "Operational Mode"},
    {"FDDI Promiscuous Mode", "Promiscuous Mode"},
    {"FDDI Ring ID", "Ring ID"},
    {"FDDI Separate Synchronous Queuing", "Separate Synchronous Queuing"},
    {"FDDI Separate Synchronous Queueing", "Separate Synchronous Queuing"},
    {"FDDI Synchronous Bandwidth", "Synchronous Bandwidth"},
};

const char* const kGroup = "FDDI Parameters";

// The first of the indexed and the named form that the converted object
// has, else the named form one character further in, untested: "FDDI
// Address P2" tries "FDDI Parameters P2[0].Address", then "FDDI Parameters
// (PP2).Address", else goes to "FDDI Parameters (P2).Address".
conv::Path target_path(XeqT_Obj_Handle converted, const FddiField& row, const char* name) {
    const conv::Path indexed =
        conv::port_indexed_path(kGroup, conv::port_suffix(name, row.keyword, 0), row.field);
    if (Xeq_Obj_Attr_Exists(converted, indexed)) return indexed;
    const conv::Path named =
        conv::port_named_path(kGroup, conv::port_suffix(name, row.keyword, 1), row.field);
    if (Xeq_Obj_Attr_Exists(converted, named)) return named;
    return conv::port_named_path(kGroup, conv::port_suffix(name, row.keyword, 2), row.field);
}

} // namespace

XEQ_EXPORT int fddi_params_convert_70_to_80(XeqT_Obj_Handle converted, XeqT_Obj_Handle old) {
    conv::for_each_port_attr(old, kFields, [&](const FddiField& row, const char* name) {
        Xeq_Obj_Attr_Set_From_Obj_Attr(converted, target_path(converted, row, name), old, name);
    });
    return conv::kDone;
}
