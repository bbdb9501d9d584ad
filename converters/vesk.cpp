// vesk: IS-IS attributes move under a per-process block, and route
// redistribution into IS-IS gets usable numbers.
#include <initializer_list>

#include "converter.hpp"
#include "hespr.h"

XEQ_IMPORT_RELEASE_MARKER(This_File_Was_Compiled_With_XEQ_Release_90A);
XEQ_IMPORT_RELEASE_MARKER(This_File_Was_Compiled_With_VALDRIC_Release_90A);

using conv::Path;

namespace {

const char* const kProcess = "IS-IS Parameters [0].Processes [0].Process Parameters";

void convert_circuit_types(XeqT_Obj_Handle converted, XeqT_Obj_Handle old) {
    int interfaces = 0;
    if (!Xeq_Obj_Attr_Get(old, "IS-IS Parameters [0].Interface Information.count", &interfaces)) return;
    for (int i = 0; i < interfaces; ++i) {
        const Path path("IS-IS Parameters [0].Interface Information [%d].Circuit Type", i);
        int type = 0;
        if (Xeq_Obj_Attr_Get(old, path, &type) && type == 1)
            Xeq_Obj_Attr_Symbol_Set(converted, path, "Level-1-only");
    }
}

// The old parameters go into the process block field by field, so that the
// block keeps the fields only the new layout has (metric style, SPF
// intervals) alongside the old values; a whole copy would replace its row.
void merge_old_parameters(XeqT_Obj_Handle converted, XeqT_Obj_Handle old) {
    XeqT_Obj_Handle old_row = 0;
    if (!Xeq_Obj_Attr_Get(old, "IS-IS Parameters [0]", &old_row)) return;
    conv::ensure_first_row(converted, kProcess);
    conv::for_each_attr_name(old_row, [&](const char* field) {
        Xeq_Obj_Attr_Set_From_Obj_Attr(converted, Path("%s [0].%s", kProcess, field), old,
                                       Path("IS-IS Parameters [0].%s", field));
    });
}

void convert_metric_style(XeqT_Obj_Handle converted, XeqT_Obj_Handle old) {
    const conv::SymbolText wide(old, "IS-IS Parameters [0].Wide Metrics");
    if (!wide.held()) return;
    const Path style("%s [0].Metric Style", kProcess);
    {
        const conv::CompoundHandle compound(converted, style);
        if (compound.valid()) Xeq_Obj_Attr_Set(converted, style, compound.get());
    }
    if (wide.is("Enabled") || wide.is("Disabled")) {
        Xeq_Obj_Attr_Symbol_Set(converted, style, wide.is("Enabled") ? "Wide" : "Narrow");
        return;
    }
    int level1 = 0;
    if (!Xeq_Obj_Attr_Get(old, "IS-IS Parameters [0].Wide Metrics [0].Level 1", &level1)) return;
    const char* symbol = level1 == 1 ? "Wide" : "Narrow";
    Xeq_Obj_Attr_Symbol_Set(converted, Path("%s [0].Level 1", static_cast<const char*>(style)), symbol);
    Xeq_Obj_Attr_Symbol_Set(converted, Path("%s [0].Level 2", static_cast<const char*>(style)), symbol);
}

void copy_spf_intervals(XeqT_Obj_Handle converted, XeqT_Obj_Handle old) {
    for (const char* level : {"Level-1", "Level-2"})
        Xeq_Obj_Attr_Set_From_Obj_Attr(
            converted, Path("%s [0].SPF Calculation Parameters [0].%s [0].Minimum Interval", kProcess, level),
            old, Path("IS-IS Parameters [0].Routing Table Interval [0].%s", level));
}

} // namespace

XEQ_EXPORT int isis_params_convert_80_to_81(XeqT_Obj_Handle converted, XeqT_Obj_Handle old) {
    if (!Xeq_Obj_Attr_Exists(converted, "IS-IS Parameters")) return conv::kDone;
    convert_circuit_types(converted, old);
    merge_old_parameters(converted, old);
    convert_metric_style(converted, old);
    copy_spf_intervals(converted, old);
    return conv::kDone;
}

XEQ_EXPORT int isis_redist_params_for_91_convert(XeqT_Obj_Handle obj) {
    return conv::redistribution_for_91(
        obj, "IS-IS Parameters",
        "IS-IS Parameters [0].Processes [0].Process Parameters [0].Redistribution [0].Routing Protocols [0]");
}
