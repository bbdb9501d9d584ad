// dwint: token ring port attributes of the 7.0 layout move into one
// "Token Ring Parameters" compound per port.
#include "converter.hpp"
#include "hespr.h"

XEQ_IMPORT_RELEASE_MARKER(This_File_Was_Compiled_With_XEQ_Release_90A);
XEQ_IMPORT_RELEASE_MARKER(This_File_Was_Compiled_With_VALDRIC_Release_90A);

namespace {

// Where a field goes when the converted object has neither port form:
// nowhere, into every attribute of the object, or into those whose names
// contain "Token Ring Parameters".
enum class Fallback { None, EveryAttribute, TokenRingAttributes };

struct TokenRingField {
    const char* keyword;
    const char* field;
    Fallback fallback;
};

const TokenRingField kFields[] = {
    {"Token Ring Address", "Address", Fallback::None},
    {"Token Ring ID", "Ring ID", Fallback::None},
    {"Token Ring Identifier", "Ring ID", Fallback::None},
    {"Token Ring Operational Mode", "Operational Mode", Fallback::None},
    {"Token Ring Operation Mode", "Operational Mode", Fallback::None},
    {"Token Ring Promiscuous Mode", "Promiscuous Mode", Fallback::EveryAttribute},
    {"Token Ring Spawn Station Offset", "Spawn Station Offset", Fallback::None},
    {"Token Ring Stack Modification Time", "Stack Modification Time", Fallback::TokenRingAttributes},
    {"Token Ring Station Latency", "Station Latency", Fallback::None},
    {"Token Ring THT Duration", "THT Duration", Fallback::None},
    {"Token Ring Hop Propagation Delay", "Hop Propagation Delay", Fallback::TokenRingAttributes},
};

const char* const kGroup = "Token Ring Parameters";

// Every "<M>.<field>" of the converted object. Only fields that exist are
// written: this host creates a missing field on a copy, and an unfiltered
// fallback would add one to every compound of the object.
void copy_to_every_attribute(XeqT_Obj_Handle converted, XeqT_Obj_Handle old, const char* name,
                             const TokenRingField& row) {
    conv::for_each_attr_name(converted, [&](const char* attribute) {
        if (row.fallback == Fallback::TokenRingAttributes && !std::strstr(attribute, kGroup)) return;
        const conv::Path target("%s.%s", attribute, row.field);
        if (Xeq_Obj_Attr_Exists(converted, target))
            Xeq_Obj_Attr_Set_From_Obj_Attr(converted, target, old, name);
    });
}

void convert_field(XeqT_Obj_Handle converted, XeqT_Obj_Handle old, const TokenRingField& row,
                   const char* name) {
    const conv::Path indexed =
        conv::port_indexed_path(kGroup, conv::port_suffix(name, row.keyword, 0), row.field);
    const conv::Path named =
        conv::port_named_path(kGroup, conv::port_suffix(name, row.keyword, 1), row.field);
    if (Xeq_Obj_Attr_Exists(converted, indexed))
        Xeq_Obj_Attr_Set_From_Obj_Attr(converted, indexed, old, name);
    else if (row.fallback == Fallback::None || Xeq_Obj_Attr_Exists(converted, named))
        Xeq_Obj_Attr_Set_From_Obj_Attr(converted, named, old, name);
    else
        copy_to_every_attribute(converted, old, name, row);
}

} // namespace

XEQ_EXPORT int tr_params_convert_70_to_80(XeqT_Obj_Handle converted, XeqT_Obj_Handle old) {
    conv::for_each_port_attr(old, kFields, [&](const TokenRingField& row, const char* name) {
        convert_field(converted, old, row, name);
    });
    return conv::kDone;
}
