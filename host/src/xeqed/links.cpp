// Links, ports, drawn paths and the draw lock.
#include <algorithm>

#include "links.hpp"
#include "model.hpp"

using namespace xeq;

struct XeqS_Obj_List {
    std::vector<XeqT_Obj_Handle> items;
};

namespace {

bool joins(const Obj& link, XeqT_Obj_Handle a, XeqT_Obj_Handle b) {
    return link.ends.size() == 2 && ((link.ends[0].node == a && link.ends[1].node == b) ||
                                     (link.ends[0].node == b && link.ends[1].node == a));
}

// A route as a path may run: node (link node)*, each link joining its
// neighbours, at least two nodes.
bool valid_route(const std::vector<XeqT_Obj_Handle>& route, const Model& model) {
    std::vector<const Obj*> objs;
    for (XeqT_Obj_Handle h : route) {
        const Obj* o = resolve(h);
        if (!o || o->model != &model || (o->type != XEQC_OBJ_NODE && o->type != XEQC_OBJ_LINK)) return false;
        objs.push_back(o);
    }
    if (objs.size() < 2 || objs.front()->type != XEQC_OBJ_NODE || objs.back()->type != XEQC_OBJ_NODE) return false;
    for (size_t i = 1; i + 1 < objs.size(); ++i)
        if (objs[i]->type == XEQC_OBJ_LINK &&
            (objs[i - 1]->type != XEQC_OBJ_NODE || objs[i + 1]->type != XEQC_OBJ_NODE ||
             !joins(*objs[i], objs[i - 1]->handle, objs[i + 1]->handle)))
            return false;
    return true;
}

Model* live_model(XeqT_Model_Handle handle) {
    Model* model = reinterpret_cast<Model*>(handle);
    return model_alive(model) ? model : nullptr;
}

} // namespace

extern "C" {

int Xeq_Obj_Equal(XeqT_Obj_Handle a, XeqT_Obj_Handle b) { return a == b && resolve(a) != nullptr; }

int Xeq_Topo_Connect_Count_Get(XeqT_Obj_Handle a, XeqT_Obj_Handle b, int kind) {
    const Obj* oa = resolve(a);
    const Obj* ob = resolve(b);
    if (kind != XEQC_TOPO_CONNECT_LINKS || !oa || !ob || oa->model != ob->model) return 0;
    const auto& links = oa->model->by_type[XEQC_OBJ_LINK];
    return static_cast<int>(std::count_if(links.begin(), links.end(), [&](const Obj* l) { return joins(*l, a, b); }));
}

const RuleT_Nt_Port* Rule_Nt_Interface_Port_Get(const RuleT_Nt_Interface* intf) {
    return intf ? &intf->port : nullptr;
}

RuleT_Nt_Port* Rule_Nt_Port_Copy(const RuleT_Nt_Port* port) {
    if (!port) return nullptr;
    auto* copy = static_cast<RuleT_Nt_Port*>(kpl_mem_alloc(sizeof(RuleT_Nt_Port)));
    if (copy) *copy = *port;
    return copy;
}

XeqT_Obj_Handle Rule_Nt_Port_Receive_Link_Get(const RuleT_Nt_Port* port) {
    const Obj* node = port ? resolve(port->node) : nullptr;
    const Obj* row = port ? resolve(port->row) : nullptr;
    const Attr* name = row ? row->find("Name") : nullptr;
    if (!node || !name || name->compound) return 0;
    const std::string interface = as_text(name->value);
    for (const Obj* link : node->model->by_type[XEQC_OBJ_LINK])
        for (const Obj::LinkEnd& end : link->ends)
            if (end.node == port->node && end.interface == interface) return link->handle;
    return 0;
}

int Rule_Nt_Obj_Hierarchical_Name_Get_N(XeqT_Obj_Handle handle, char* buffer, size_t size) {
    const Obj* obj = resolve(handle);
    copy_bounded(obj ? obj->hname : "", buffer, size);
    return obj ? 1 : 0;
}

int Rule_Nt_Obj_Hierarchical_Name_Get(XeqT_Obj_Handle obj, char* buffer) {
    return Rule_Nt_Obj_Hierarchical_Name_Get_N(obj, buffer, XEQC_MODEL_NAME_SIZE);
}

int Xeq_Obj_Path_Install_Connect(XeqT_Obj_Handle handle, XeqT_Obj_List list) {
    Obj* path = resolve(handle);
    if (!path || path->type != XEQC_OBJ_PATH || !list || !valid_route(list->items, *path->model)) return 0;
    path->route = list->items;
    return 1;
}

int Xeq_Obj_Path_Route_Get(XeqT_Obj_Handle handle, XeqT_Obj_List list) {
    const Obj* path = resolve(handle);
    if (!path || !list) return 0;
    int added = 0;
    for (XeqT_Obj_Handle step : path->route)
        if (resolve(step)) {
            list->items.push_back(step);
            ++added;
        }
    return added;
}


void Xeq_Model_Draw_Lock(XeqT_Model_Handle handle) {
    if (Model* model = live_model(handle)) ++model->draw_locks;
}

void Xeq_Model_Draw_Unlock(XeqT_Model_Handle handle) {
    if (Model* model = live_model(handle); model && model->draw_locks > 0) --model->draw_locks;
}

int Xeq_Model_Draw_Locked(XeqT_Model_Handle handle) {
    Model* model = live_model(handle);
    return model && model->draw_locks > 0;
}

} // extern "C"
