// hulb: application, profile, CPU and LAN attributes of older releases.
#include <initializer_list>

#include "converter.hpp"
#include "hespr.h"

XEQ_IMPORT_RELEASE_MARKER(This_File_Was_Compiled_With_XEQ_Release_90A);
XEQ_IMPORT_RELEASE_MARKER(This_File_Was_Compiled_With_VALDRIC_Release_90A);

using conv::Path;

namespace {

// An old attribute copied whole into its new name.
struct Renaming {
    const char* old_name;
    const char* new_name;
};

// Both CPU resource rows target one attribute: the later one, "Resource
// Parameters", wins when the old object has both.
const Renaming kCpuRenamings[] = {
    {"CPU Resource Parameters", "CPU: Resource Parameters"},
    {"Resource Parameters", "CPU: Resource Parameters"},
    {"CPU Background Utilization", "CPU: Background Utilization"},
};
const Renaming kLanRenamings[] = {
    {"Application: Server Supported Services", "Application: Supported Services"},
    {"Application: Client Supported Profiles", "Application: Supported Profiles"},
    {"Application: Client Source Preferences", "Application: Source Preferences"},
};
const Renaming kServiceRenamings[] = {
    {"Application: Supported Service", "Application: Supported Services"},
};

template <size_t N>
int rename_all(XeqT_Obj_Handle converted, XeqT_Obj_Handle old, const Renaming (&table)[N]) {
    for (const Renaming& r : table)
        if (Xeq_Obj_Attr_Exists(converted, r.new_name) && Xeq_Obj_Attr_Exists(old, r.old_name))
            Xeq_Obj_Attr_Set_From_Obj_Attr(converted, r.new_name, old, r.old_name);
    return conv::kDone;
}

// The default at path, written only where the old model had nothing.
void default_where_old_lacks(XeqT_Obj_Handle converted, XeqT_Obj_Handle old, const char* path,
                             const char* value) {
    if (!Xeq_Obj_Attr_Exists(old, path)) Xeq_Obj_Attr_Set(converted, path, value);
}

// Browsing presets describe their pages themselves.
bool is_preset_http(const conv::SymbolText& http) {
    for (const char* preset : {"Off", "Searching", "Heavy Browsing", "Image Browsing"})
        if (http.is(preset)) return true;
    return false;
}

} // namespace

XEQ_EXPORT int app_params_convert_70_to_80(XeqT_Obj_Handle converted, XeqT_Obj_Handle old) {
    if (!Xeq_Obj_Attr_Exists(converted, "Application Definitions") &&
        !Xeq_Obj_Attr_Exists(old, "Application Definitions")) {
        conv::warn_no_longer_has(converted, "application");
        return conv::kDone;
    }
    int applications = 0;
    if (!Xeq_Obj_Attr_Get(converted, "Application Definitions.count", &applications)) return conv::kDone;
    for (int i = 0; i < applications; ++i) {
        const conv::SymbolText http(converted, Path("Application Definitions[%d].Description[0].Http", i));
        if (!http.held() || is_preset_http(http)) continue;
        const int pages = conv::read_count(
            converted, Path("Application Definitions[%d].Description[0].Http.Page Properties.count", i));
        for (int j = 0; j < pages; ++j)
            default_where_old_lacks(
                converted, old,
                Path("Application Definitions[%d].Description[0].Http[0].Page Properties[%d].Number of Objects",
                     i, j),
                "constant (1)");
    }
    return conv::kDone;
}

XEQ_EXPORT int prof_params_convert_70_to_80(XeqT_Obj_Handle converted, XeqT_Obj_Handle old) {
    if (!Xeq_Obj_Attr_Exists(converted, "Profile Configuration") &&
        !Xeq_Obj_Attr_Exists(old, "Profile Configuration")) {
        conv::warn_no_longer_has(converted, "profile");
        return conv::kDone;
    }
    const int profiles = conv::read_count(converted, "Profile Configuration.count");
    for (int i = 0; i < profiles; ++i) {
        default_where_old_lacks(converted, old, Path("Profile Configuration[%d].Start Time", i),
                                "exponential (100)");
        const int applications =
            conv::read_count(converted, Path("Profile Configuration[%d].Applications.count", i));
        for (int j = 0; j < applications; ++j)
            default_where_old_lacks(converted, old,
                                    Path("Profile Configuration[%d].Applications[%d].Start Time Offset", i, j),
                                    "exponential (10)");
    }
    return conv::kDone;
}

XEQ_EXPORT int cpu_params_convert_70_to_80(XeqT_Obj_Handle converted, XeqT_Obj_Handle old) {
    return rename_all(converted, old, kCpuRenamings);
}

XEQ_EXPORT int lan_app_attrs_convert_80jul_to_80oct(XeqT_Obj_Handle converted, XeqT_Obj_Handle old) {
    return rename_all(converted, old, kLanRenamings);
}

XEQ_EXPORT int app_sup_service_convert_70_to_80(XeqT_Obj_Handle converted, XeqT_Obj_Handle old) {
    return rename_all(converted, old, kServiceRenamings);
}
