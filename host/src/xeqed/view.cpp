// The editor's view of a model: the top object, where plug-ins install what
// they make, and per object its user-interface status and selection, per
// model the zoom target. None of it is saved with the model.
#include "model.hpp"
#include "xeq_host.h"

using namespace xeq;

namespace {
Model* live_model(XeqT_Model_Handle handle) {
    Model* model = reinterpret_cast<Model*>(handle);
    return model_alive(model) ? model : nullptr;
}

// Objects of the model's own list (not rows, compounds or the top).
bool is_model_object(const Obj& obj) {
    return obj.type != XEQC_OBJ_ATTR_ROW && obj.type != XEQC_OBJ_COMPOUND_ATTR &&
           &obj != obj.model->top.get();
}

std::string last_level(const Obj& obj) {
    if (const Attr* name = obj.find("name"); name && name->kind() == Kind::Text && !name->value.text.empty())
        return name->value.text;
    return obj.hname.substr(obj.hname.rfind('.') + 1);
}
} // namespace

extern "C" {

XeqT_Obj_Handle Xeq_Topo_Top_Get(XeqT_Model_Handle handle) {
    Model* model = live_model(handle);
    return model ? model->top->handle : 0;
}

int Xeq_Obj_Install(XeqT_Obj_Handle handle, XeqT_Obj_Handle parent_handle) {
    Obj* obj = resolve(handle);
    Obj* parent = resolve(parent_handle);
    if (!obj || !parent || obj == parent || obj->model != parent->model || !is_model_object(*obj) ||
        (parent->type != XEQC_OBJ_SUBNET))
        return 0;
    const std::string level = last_level(*obj);
    if (level.find('.') != std::string::npos) return 0;
    const std::string hname = parent->hname + "." + level;
    auto it = obj->model->by_hname.find(hname);
    if (it != obj->model->by_hname.end()) return it->second == obj ? 1 : 0;
    obj->model->rename(*obj, hname);
    return 1;
}

int Xeq_Obj_UI_Status_Set(XeqT_Obj_Handle handle, int status) {
    Obj* obj = resolve(handle);
    if (!obj) return 0;
    obj->ui_status = status;
    return 1;
}

int Xeq_Obj_UI_Status_Get(XeqT_Obj_Handle handle) {
    Obj* obj = resolve(handle);
    return obj ? obj->ui_status : 0;
}

int Xeq_Obj_Selected_Status_Set(XeqT_Obj_Handle handle, int selected) {
    Obj* obj = resolve(handle);
    if (!obj || !is_model_object(*obj)) return 0;
    obj->selected = selected != 0;
    return 1;
}

int Xeq_Model_Selected_List_Get(XeqT_Model_Handle handle, XeqT_Obj_List list) {
    Model* model = live_model(handle);
    if (!model || !list) return 0;
    int added = 0;
    for (const auto& obj : model->objects)
        if (obj->selected && Xeq_Obj_List_Insert(list, obj->handle, -1)) ++added;
    return added;
}

int Xeq_Obj_Zoom_To(XeqT_Obj_Handle handle) {
    Obj* obj = resolve(handle);
    if (!obj || !is_model_object(*obj)) return 0;
    obj->model->zoom = handle;
    return 1;
}

XeqT_Obj_Handle Xeq_Model_Zoom_Target_Get(XeqT_Model_Handle handle) {
    Model* model = live_model(handle);
    return model && resolve(model->zoom) ? model->zoom : 0;
}

} // extern "C"

extern "C" {

int Xeq_Host_Obj_Position_Get(XeqT_Obj_Handle handle, int* x, int* y) {
    const Obj* obj = resolve(handle);
    if (!obj || !obj->position || !x || !y) return 0;
    *x = obj->position->first;
    *y = obj->position->second;
    return 1;
}

XeqT_Obj_Handle Xeq_Host_Link_End_Get(XeqT_Obj_Handle handle, int end) {
    const Obj* link = resolve(handle);
    if (!link || end < 0 || static_cast<size_t>(end) >= link->ends.size()) return 0;
    return resolve(link->ends[end].node) ? link->ends[end].node : 0;
}

int Xeq_Host_Obj_Selected_Get(XeqT_Obj_Handle handle) {
    const Obj* obj = resolve(handle);
    return obj && obj->selected;
}

} // extern "C"
