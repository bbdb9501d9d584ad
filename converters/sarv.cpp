// sarv: BGP attribute converters.
#include "converter.hpp"
#include "hespr.h"

XEQ_IMPORT_RELEASE_MARKER(This_File_Was_Compiled_With_XEQ_Release_90A);
XEQ_IMPORT_RELEASE_MARKER(This_File_Was_Compiled_With_VALDRIC_Release_90A);

using conv::Path;
using conv::SymbolText;

namespace {

void copy_if_exists(XeqT_Obj_Handle new_obj, const char* new_path, XeqT_Obj_Handle old_obj,
                    const char* old_path) {
    if (Xeq_Obj_Attr_Exists(old_obj, old_path))
        Xeq_Obj_Attr_Set_From_Obj_Attr(new_obj, new_path, old_obj, old_path);
}

void convert_community_lists(XeqT_Obj_Handle new_obj, XeqT_Obj_Handle old_obj) {
    const int lists = Xeq_Obj_Attr_Exists(old_obj, "BGP Parameters [0].Community Lists")
                          ? conv::read_count(old_obj, "BGP Parameters [0].Community Lists.count")
                          : 0;
    for (int c = 0; c < lists; ++c) {
        const Path path("BGP Parameters [0].Community Lists [%d].Community list number", c);
        int number = 0;
        // An unreadable number is left alone rather than written as a
        // made-up value.
        if (!Xeq_Obj_Attr_Get(old_obj, path, &number)) continue;
        char text[16];
        std::snprintf(text, sizeof text, "%d", number);
        Xeq_Obj_Attr_Set(new_obj, path, text);
    }
}

// Old route maps with one match clause, one set clause and a permit/deny
// flag in the route map row itself.
void convert_single_term_maps(XeqT_Obj_Handle new_obj, XeqT_Obj_Handle old_obj, int maps) {
    Xeq_Obj_Attr_Set(new_obj, "IP Routing Parameters.Route Map Configuration.count", maps);
    for (int i = 0; i < maps; ++i) {
        const auto copy = [&](const char* new_field, const char* old_field) {
            Xeq_Obj_Attr_Set_From_Obj_Attr(
                new_obj, Path("IP Routing Parameters.Route Map Configuration [%d].%s", i, new_field),
                old_obj, Path("BGP Parameters [0].Route Map Configuration [%d].%s", i, old_field));
        };
        const auto set_count = [&](const char* field) {
            Xeq_Obj_Attr_Set(
                new_obj, Path("IP Routing Parameters.Route Map Configuration [%d].%s", i, field), 1);
        };
        copy("Map Label", "Label");
        set_count("Map Configuration.count");
        copy("Map Configuration [0].Action", "Permit/Deny");
        set_count("Map Configuration [0].Match Info.count");
        copy("Map Configuration [0].Match Info [0].Match Property", "Match Property");
        copy("Map Configuration [0].Match Info [0].Match Condition", "Match Condition");
        copy("Map Configuration [0].Match Info [0].Match Value", "Match Value");
        set_count("Map Configuration [0].Set Info.count");
        copy("Map Configuration [0].Set Info [0].Set Attribute", "Set Attribute");
        copy("Map Configuration [0].Set Info [0].Set Value", "Set Value");
    }
}

// One clause group ("Match Info" or "Set Info") of multi-term route map i.
void convert_clauses(XeqT_Obj_Handle new_obj, XeqT_Obj_Handle old_obj, int i, const char* group,
                     bool none) {
    const Path new_group("IP Routing Parameters.Route Map Configuration [%d].Map Configuration [0].%s",
                         i, group);
    if (none) {
        Xeq_Obj_Attr_Symbol_Set(new_obj, new_group, "None");
        return;
    }
    const Path old_group("BGP Parameters [0].Route Map Configuration [%d].%s", i, group);
    const int clauses = conv::read_count(old_obj, Path("%s.count", static_cast<const char*>(old_group)));
    Xeq_Obj_Attr_Set(new_obj, Path("%s.count", static_cast<const char*>(new_group)), clauses);
    const bool is_set = std::strcmp(group, "Set Info") == 0;
    for (int k = 0; k < clauses; ++k) {
        const auto copy = [&](const char* field) {
            Xeq_Obj_Attr_Set_From_Obj_Attr(
                new_obj, Path("%s [%d].%s", static_cast<const char*>(new_group), k, field), old_obj,
                Path("%s [%d].%s", static_cast<const char*>(old_group), k, field));
        };
        if (!is_set) {
            copy("Match Property");
            copy("Match Condition");
            copy("Match Value");
            continue;
        }
        const Path old_attribute("%s [%d].Set Attribute", static_cast<const char*>(old_group), k);
        if (SymbolText(old_obj, old_attribute).is("Degree Of Preference"))
            Xeq_Obj_Attr_Symbol_Set(
                new_obj, Path("%s [%d].Set Attribute", static_cast<const char*>(new_group), k),
                "Weight");
        else
            copy("Set Attribute");
        copy("Set Operation");
        copy("Set Value");
    }
}

void convert_multi_term_map(XeqT_Obj_Handle new_obj, XeqT_Obj_Handle old_obj, int i) {
    const auto new_path = [i](const char* field) {
        return Path("IP Routing Parameters.Route Map Configuration [%d].%s", i, field);
    };
    const auto old_path = [i](const char* field) {
        return Path("BGP Parameters [0].Route Map Configuration [%d].%s", i, field);
    };
    Xeq_Obj_Attr_Set_From_Obj_Attr(new_obj, new_path("Map Label"), old_obj, old_path("Label"));
    Xeq_Obj_Attr_Set_From_Obj_Attr(new_obj, new_path("Next Map Label"), old_obj,
                                   old_path("Next Label"));
    const bool match_none = SymbolText(old_obj, old_path("Match Info")).is("None");
    const bool set_none = SymbolText(old_obj, old_path("Set Info")).is("None");
    const bool has_action = Xeq_Obj_Attr_Exists(old_obj, old_path("Permit/Deny/Default"));
    if (match_none && set_none && !has_action) {
        Xeq_Obj_Attr_Symbol_Set(new_obj, new_path("Map Configuration"), "None");
        return;
    }
    // The term row must exist before its action is written, or a map whose
    // new layout starts without terms would lose its action.
    Xeq_Obj_Attr_Set(new_obj, new_path("Map Configuration.count"), 1);
    if (has_action) {
        const SymbolText action(old_obj, old_path("Permit/Deny/Default"));
        // An action that holds no symbol is carried over as it is rather
        // than set to an empty symbol.
        if (!action.held())
            Xeq_Obj_Attr_Set_From_Obj_Attr(new_obj, new_path("Map Configuration [0].Action"), old_obj,
                                           old_path("Permit/Deny/Default"));
        else
            Xeq_Obj_Attr_Symbol_Set(new_obj, new_path("Map Configuration [0].Action"),
                                    action.is("Default") ? "Next Term" : action.c_str());
    }
    convert_clauses(new_obj, old_obj, i, "Match Info", match_none);
    convert_clauses(new_obj, old_obj, i, "Set Info", set_none);
}

// The regular expression over the AS path for AS number as_number and a
// match condition code; empty for an unknown code.
void as_path_expression(int as_number, int condition, char (&out)[32]) {
    const char* format = condition == 1   ? "_%d_"
                         : condition == 2 ? "^%d_"
                         : condition == 3 ? "_%d$"
                                          : nullptr;
    if (format) std::snprintf(out, sizeof out, format, as_number);
    else out[0] = '\0';
}

} // namespace

XEQ_EXPORT int bgp_params_convert_70_to_80(XeqT_Obj_Handle new_obj, XeqT_Obj_Handle old_obj) {
    if (!Xeq_Obj_Attr_Exists(new_obj, "BGP Parameters") ||
        !Xeq_Obj_Attr_Exists(old_obj, "BGP Parameters")) {
        conv::warn_no_longer_has(new_obj, "BGP");
        return conv::kDone;
    }
    const char* start_time = "BGP Parameters [0].Start Time";
    if (Xeq_Obj_Attr_Exists(old_obj, start_time)) {
        double seconds = 0;
        if (Xeq_Obj_Attr_Get(old_obj, start_time, &seconds)) {
            char text[64];
            std::snprintf(text, sizeof text, "constant (%.2f)", seconds);
            Xeq_Obj_Attr_Set(new_obj, start_time, text);
        }
    } else {
        Xeq_Obj_Attr_Set(new_obj, start_time, "constant (50)");
    }
    copy_if_exists(new_obj, "IP Routing Parameters[0].Autonomous System Number", old_obj,
                   "BGP Parameters [0].Autonomous System Number");
    copy_if_exists(new_obj, "BGP Parameters [0].Timers.Hold Timer", old_obj,
                   "BGP Parameters [0].Hold Timer Value");
    copy_if_exists(new_obj, "BGP Parameters [0].Timers.Connect Retry Timer", old_obj,
                   "BGP Parameters [0].Connect Retry Timer Value");
    return conv::kDone;
}

XEQ_EXPORT int bgp_params_convert_80nov01_to_80jan02(XeqT_Obj_Handle new_obj,
                                                     XeqT_Obj_Handle old_obj) {
    const int maps =
        Xeq_Obj_Attr_Exists(old_obj, "BGP Parameters [0].Route Map Configuration")
            ? conv::read_count(old_obj, "BGP Parameters [0].Route Map Configuration.count")
            : 0;
    convert_community_lists(new_obj, old_obj);
    if (maps == 0) return conv::kDone;
    if (Xeq_Obj_Attr_Exists(old_obj, "BGP Parameters [0].Route Map Configuration [0].Match Property")) {
        convert_single_term_maps(new_obj, old_obj, maps);
        return conv::kDone;
    }
    Xeq_Obj_Attr_Set(new_obj, "IP Routing Parameters.Route Map Configuration.count", maps);
    for (int i = 0; i < maps; ++i) convert_multi_term_map(new_obj, old_obj, i);
    return conv::kDone;
}

XEQ_EXPORT int bgp_as_pathlist_81_to_90_convert(XeqT_Obj_Handle new_obj, XeqT_Obj_Handle old_obj) {
    if (!Xeq_Obj_Attr_Exists(old_obj, "BGP Parameters")) return conv::kDone;
    int lists = 0;
    if (!Xeq_Obj_Attr_Get(old_obj, "BGP Parameters [0].AS Path Lists.count", &lists))
        return conv::kDone;
    for (int i = 0; i < lists; ++i) {
        int entries = 0;
        if (!Xeq_Obj_Attr_Get(old_obj,
                              Path("BGP Parameters [0].AS Path Lists [%d].AS Path Configuration.count", i),
                              &entries))
            continue;
        for (int j = 0; j < entries; ++j) {
            const auto entry = [i, j](const char* field) {
                return Path("BGP Parameters [0].AS Path Lists [%d].AS Path Configuration [%d].%s", i, j,
                            field);
            };
            const Path expression_path = entry("Match Expression");
            if (!Xeq_Obj_Attr_Exists(new_obj, expression_path)) return conv::kMissing;
            if (!SymbolText(new_obj, expression_path).is("Not Used")) continue;
            // An attribute that exists but does not read as a number is as
            // unusable as a missing one.
            int as_number = 0;
            if (!Xeq_Obj_Attr_Get(old_obj, entry("AS Path"), &as_number)) return conv::kMissing;
            char expression[32] = ".*";
            if (as_number != -1) {
                int condition = 0;
                if (!Xeq_Obj_Attr_Get(old_obj, entry("Match Condition"), &condition))
                    return conv::kMissing;
                as_path_expression(as_number, condition, expression);
            }
            if (expression[0] != '\0') Xeq_Obj_Attr_Set(new_obj, expression_path, expression);
        }
    }
    return conv::kDone;
}

XEQ_EXPORT int bgp_redist_params_for_91_convert(XeqT_Obj_Handle obj) {
    return conv::redistribution_for_91(obj, "BGP Parameters",
                                       "BGP Parameters [0].Redistribution [0].Routing Protocols [0]");
}
