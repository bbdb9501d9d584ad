// Overlay icons: kept beside the objects, by handle. A handle never comes
// back to life once its object is gone, so an entry of a destroyed object
// can only be dropped, never misapplied; entries are dropped as they are
// found stale, and clearing an icon removes its entry.
#include <string>
#include <unordered_map>

#include "model.hpp"

namespace {
std::unordered_map<XeqT_Obj_Handle, std::string>& overlay_icons() {
    static std::unordered_map<XeqT_Obj_Handle, std::string> icons;
    return icons;
}
} // namespace

extern "C" {

int Xeq_Nt_Object_Overlay_Icon_Name_Set(XeqT_Obj_Handle obj, const char* icon_name) {
    auto& icons = overlay_icons();
    if (xeq::resolve(obj) == nullptr) {
        icons.erase(obj);
        return 0;
    }
    if (icon_name == nullptr) return 0;
    if (*icon_name == '\0') icons.erase(obj);
    else icons[obj] = icon_name;
    return 1;
}

int Xeq_Nt_Object_Overlay_Icon_Name_Get(XeqT_Obj_Handle obj, char* buffer, size_t size) {
    auto& icons = overlay_icons();
    if (xeq::resolve(obj) == nullptr) {
        icons.erase(obj);
        return 0;
    }
    auto it = icons.find(obj);
    if (buffer != nullptr && size > 0) xeq::copy_bounded(it == icons.end() ? "" : it->second, buffer, size);
    return 1;
}

} // extern "C"
