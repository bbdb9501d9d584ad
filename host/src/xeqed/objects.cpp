// Models, objects, object lists and topology.
#include <algorithm>

#include "model.hpp"
#include "xeq_host.h"

struct XeqS_Obj_List {
    std::vector<XeqT_Obj_Handle> items;
};

using namespace xeq;

namespace {
Model* model_of(XeqT_Model_Handle handle) {
    Model* model = reinterpret_cast<Model*>(handle);
    return model_alive(model) ? model : nullptr;
}

const std::vector<Obj*>* objects_of_type(XeqT_Model_Handle handle, XeqT_Obj_Type type) {
    Model* model = model_of(handle);
    if (!model) return nullptr;
    // The classes of objects read as the types they gather.
    const XeqT_Obj_Type listed = type == XEQC_OBJC_NODES     ? XEQC_OBJ_NODE
                                 : type == XEQC_OBJC_SUBNETS ? XEQC_OBJ_SUBNET
                                                             : type;
    auto it = model->by_type.find(listed);
    return it == model->by_type.end() ? nullptr : &it->second;
}
} // namespace

extern "C" {

const int This_File_Was_Compiled_With_XEQ_Release_90A = 90;

XeqT_Model_Handle Xeq_Model_Current_Get(int /*which: one model is edited at a time*/) {
    return reinterpret_cast<XeqT_Model_Handle>(current_model());
}

int Xeq_Model_Name_Get_N(XeqT_Model_Handle handle, char* buffer, size_t size) {
    Model* model = model_of(handle);
    if (!model || !buffer || size == 0) return 0;
    copy_bounded(model->name, buffer, size);
    return 1;
}

int Xeq_Model_Name_Get(XeqT_Model_Handle model, char* buffer) {
    return Xeq_Model_Name_Get_N(model, buffer, XEQC_MODEL_NAME_SIZE);
}

int Xeq_Obj_Invalid(XeqT_Obj_Handle obj) { return resolve(obj) == nullptr; }

XeqT_Obj_Handle Xeq_Obj_Create(XeqT_Obj_Type type) {
    Model* model = current_model();
    if (!model) return 0;
    std::string name;
    do {
        name = "top.object_" + std::to_string(++model->created);
    } while (model->by_hname.count(name));
    return model->add_object(type, name).handle;
}

XeqT_Obj_Type Xeq_Obj_Type_Get(XeqT_Obj_Handle handle) {
    Obj* obj = resolve(handle);
    return obj ? obj->type : -1;
}

const char* Xeq_Obj_Hname_Get(XeqT_Obj_Handle handle, int /*flags*/) {
    Obj* obj = resolve(handle);
    return obj ? obj->hname.c_str() : "";
}

XeqT_Obj_Handle Xeq_Obj_From_Hname_Get(XeqT_Model_Handle handle, const char* hname) {
    Model* model = model_of(handle);
    if (!model || !hname) return 0;
    auto it = model->by_hname.find(hname);
    return it == model->by_hname.end() ? 0 : it->second->handle;
}

XeqT_Obj_List Xeq_Obj_List_Create(void) { return new XeqS_Obj_List; }

void Xeq_Obj_List_Destroy(XeqT_Obj_List list) { delete list; }

int Xeq_Obj_List_Insert(XeqT_Obj_List list, XeqT_Obj_Handle obj, int position) {
    if (!list) return 0;
    const int size = static_cast<int>(list->items.size());
    if (position == -1) position = size;
    else if (position == -2) position = 0;
    if (position < 0 || position > size) return 0;
    list->items.insert(list->items.begin() + position, obj);
    return 1;
}

int Xeq_Obj_List_Size(XeqT_Obj_List list) {
    return list ? static_cast<int>(list->items.size()) : 0;
}

XeqT_Obj_Handle Xeq_Obj_List_Object_Get(XeqT_Obj_List list, int index) {
    if (!list || index < 0 || static_cast<size_t>(index) >= list->items.size()) return 0;
    return list->items[index];
}

int Xeq_Topo_Object_Count_Get(XeqT_Model_Handle model, XeqT_Obj_Type type) {
    auto objects = objects_of_type(model, type);
    return objects ? static_cast<int>(objects->size()) : 0;
}

XeqT_Obj_Handle Xeq_Topo_Object_Get(XeqT_Model_Handle model, XeqT_Obj_Type type, int index) {
    auto objects = objects_of_type(model, type);
    if (!objects || index < 0 || static_cast<size_t>(index) >= objects->size()) return 0;
    return (*objects)[index]->handle;
}

int Xeq_Topo_Child_List_Get(XeqT_Obj_Handle handle, XeqT_Obj_Type type, XeqT_Obj_List list) {
    Obj* obj = resolve(handle);
    if (!obj || !list) return 0;
    int added = 0;
    if (obj->type == XEQC_OBJ_COMPOUND_ATTR) {
        if (type != XEQC_OBJ_ATTR_ROW) return 0;
        for (const auto& row : obj->rows) list->items.push_back(row->handle);
        return static_cast<int>(obj->rows.size());
    }
    if (obj->type == XEQC_OBJ_SUBNET) {
        const std::string prefix = obj->hname + ".";
        for (const auto& child : obj->model->objects) {
            const std::string& name = child->hname;
            if (child->type == type && name.size() > prefix.size() &&
                name.compare(0, prefix.size(), prefix) == 0 &&
                name.find('.', prefix.size()) == std::string::npos) {
                list->items.push_back(child->handle);
                ++added;
            }
        }
    }
    return added;
}

int Xeq_Host_Model_Object_Count(XeqT_Model_Handle handle) {
    Model* model = model_of(handle);
    return model ? static_cast<int>(model->objects.size()) : 0;
}

XeqT_Obj_Handle Xeq_Host_Model_Object_Get(XeqT_Model_Handle handle, int index) {
    Model* model = model_of(handle);
    if (!model || index < 0 || static_cast<size_t>(index) >= model->objects.size()) return 0;
    return model->objects[index]->handle;
}

} // extern "C"
