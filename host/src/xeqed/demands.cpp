// Demands between nodes, and the end of an object's life in its model
// (with a node go the links and demands that end at it).
#include <algorithm>

#include "model.hpp"
#include "xeq_host.h"

namespace xeq {
namespace {

bool is_model_object(const Obj& obj) {
    return obj.type != XEQC_OBJ_COMPOUND_ATTR && obj.type != XEQC_OBJ_ATTR_ROW && &obj != obj.model->top.get();
}

// A live node of model, by handle.
Obj* node_of(Model& model, XeqT_Obj_Handle handle) {
    Obj* obj = resolve(handle);
    return obj && obj->model == &model && obj->type == XEQC_OBJ_NODE ? obj : nullptr;
}

void forget(Model& model, Obj& obj) {
    auto named = model.by_hname.find(obj.hname);
    if (named != model.by_hname.end() && named->second == &obj) model.by_hname.erase(named);
    auto typed = model.by_type.find(obj.type);
    if (typed != model.by_type.end()) {
        auto& list = typed->second;
        list.erase(std::remove(list.begin(), list.end(), &obj), list.end());
    }
    model.demand_ends.erase(obj.handle);
}

} // namespace

void destroy_object(Obj& obj) {
    Model& model = *obj.model;
    std::vector<XeqT_Obj_Handle> ending_here;
    for (const auto& [demand, ends] : model.demand_ends)
        if (ends.first == obj.handle || ends.second == obj.handle) ending_here.push_back(demand);
    for (XeqT_Obj_Handle demand : ending_here)
        if (Obj* d = resolve(demand)) destroy_object(*d);
    if (obj.type == XEQC_OBJ_NODE) {
        std::vector<XeqT_Obj_Handle> links;
        for (const Obj* link : model.by_type[XEQC_OBJ_LINK])
            for (const Obj::LinkEnd& end : link->ends)
                if (end.node == obj.handle) links.push_back(link->handle);
        for (XeqT_Obj_Handle link : links)
            if (Obj* l = resolve(link)) destroy_object(*l);
    }
    if (model.zoom == obj.handle) model.zoom = 0;
    forget(model, obj);
    auto owned = std::find_if(model.objects.begin(), model.objects.end(),
                              [&](const std::unique_ptr<Obj>& o) { return o.get() == &obj; });
    if (owned != model.objects.end()) model.objects.erase(owned);
}

} // namespace xeq

using namespace xeq;

extern "C" {

XeqT_Obj_Handle Xeq_Topo_Child_Get(XeqT_Obj_Handle handle, int kind, int index) {
    Obj* obj = resolve(handle);
    if (!obj || kind != 0 || obj->type != XEQC_OBJ_COMPOUND_ATTR || index < 0 ||
        static_cast<size_t>(index) >= obj->rows.size())
        return 0;
    return obj->rows[index]->handle;
}

int Xeq_Obj_Destroy(XeqT_Obj_Handle handle) {
    Obj* obj = resolve(handle);
    if (!obj || !is_model_object(*obj)) return 0;
    destroy_object(*obj);
    return 1;
}

int Xeq_Obj_Demand_Install(XeqT_Obj_Handle source, XeqT_Obj_Handle destination,
                           XeqT_Model_Handle model_handle, XeqT_Obj_Handle* demand) {
    if (!demand) return 0;
    Model* model = reinterpret_cast<Model*>(model_handle);
    Obj* obj = resolve(*demand);
    const bool is_demand = obj && obj->type == XEQC_OBJ_DEMAND;
    if (model_alive(model) && is_demand && obj->model == model) {
        Obj* from = node_of(*model, source);
        Obj* to = node_of(*model, destination);
        if (from && to && from != to) {
            model->demand_ends[obj->handle] = {from->handle, to->handle};
            return 1;
        }
    }
    if (is_demand && !obj->model->demand_ends.count(obj->handle)) destroy_object(*obj);
    *demand = 0;
    return 0;
}

int Xeq_Host_Demand_Ends_Get(XeqT_Obj_Handle demand, XeqT_Obj_Handle* source,
                             XeqT_Obj_Handle* destination) {
    Obj* obj = resolve(demand);
    if (!obj || !source || !destination) return 0;
    auto it = obj->model->demand_ends.find(demand);
    if (it == obj->model->demand_ends.end()) return 0;
    *source = it->second.first;
    *destination = it->second.second;
    return 1;
}

} // extern "C"
