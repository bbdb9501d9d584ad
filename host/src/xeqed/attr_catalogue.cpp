// The attribute catalogue of an object: names in order and type codes, for
// plug-ins that walk every attribute rather than name one.
#include <cstring>

#include "model.hpp"

namespace xeq {
namespace {

int type_code(const Attr& attr) {
    switch (attr.kind()) {
    case Kind::Integer: return attr.symbols.empty() ? XEQC_ATTR_TYPE_INTEGER : XEQC_ATTR_TYPE_CODE32;
    case Kind::Double: return XEQC_ATTR_TYPE_DOUBLE;
    case Kind::Text: return XEQC_ATTR_TYPE_TEXT;
    case Kind::Toggle: return XEQC_ATTR_TYPE_TOGGLE;
    case Kind::Compound: return XEQC_ATTR_TYPE_COMPOUND;
    }
    return -1;
}

} // namespace
} // namespace xeq

using namespace xeq;

extern "C" {

int Xeq_Obj_Attr_Names_Get(XeqT_Obj_Handle handle, QovT_Ll_Desc* list) {
    Obj* obj = resolve(handle);
    if (!obj || !list) return 0;
    for (const Attr& attr : obj->attrs) {
        char* name = static_cast<char*>(kpl_mem_alloc(attr.name.size() + 1));
        std::memcpy(name, attr.name.c_str(), attr.name.size() + 1);
        kpl_list_insert(list, name, KPLC_LISTPOS_TAIL);
    }
    return static_cast<int>(obj->attrs.size());
}

int Xeq_Obj_Attr_Type_Get(XeqT_Obj_Handle handle, const char* name) {
    Obj* obj = resolve(handle);
    if (!obj || !name) return -1;
    auto target = locate(*obj, name);
    if (!target || !target->attr || target->row >= 0 || target->count) return -1;
    return type_code(*target->attr);
}

int Xeq_Obj_Attr_Count_Get(XeqT_Obj_Handle handle) {
    Obj* obj = resolve(handle);
    return obj ? static_cast<int>(obj->attrs.size()) : 0;
}

int Xeq_Obj_Attr_Desc_Nth_Get_N(XeqT_Obj_Handle handle, int index, char* buffer, size_t size) {
    Obj* obj = resolve(handle);
    if (!obj || !buffer || index < 0 || static_cast<size_t>(index) >= obj->attrs.size()) return 0;
    const std::string& name = obj->attrs[index].name;
    if (name.size() >= size) return 0;
    copy_bounded(name, buffer, size);
    return 1;
}

int Xeq_Obj_Attr_Desc_Nth_Get(XeqT_Obj_Handle obj, int index, char* buffer) {
    return Xeq_Obj_Attr_Desc_Nth_Get_N(obj, index, buffer, XEQC_ATTR_NAME_SIZE);
}

} // extern "C"
