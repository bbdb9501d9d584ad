#include "model.hpp"

#include <algorithm>
#include <cstring>
#include <unordered_set>

namespace xeq {
namespace {

// Handle = generation << 32 | (slot index + 1); 0 is never a handle.
struct Slot {
    Obj* obj = nullptr;
    uint32_t generation = 1;
};

struct HandleTable {
    std::vector<Slot> slots;
    std::vector<uint32_t> free_slots;

    XeqT_Obj_Handle add(Obj* obj) {
        uint32_t index;
        if (!free_slots.empty()) {
            index = free_slots.back();
            free_slots.pop_back();
        } else {
            index = static_cast<uint32_t>(slots.size());
            slots.push_back({});
        }
        slots[index].obj = obj;
        return (uint64_t{slots[index].generation} << 32) | (uint64_t{index} + 1);
    }

    void remove(XeqT_Obj_Handle handle) {
        const uint32_t index = static_cast<uint32_t>(handle & 0xffffffffu) - 1;
        slots[index].obj = nullptr;
        ++slots[index].generation;
        free_slots.push_back(index);
    }

    Obj* find(XeqT_Obj_Handle handle) const {
        const uint64_t low = handle & 0xffffffffu;
        if (low == 0 || low > slots.size()) return nullptr;
        const Slot& slot = slots[low - 1];
        return slot.generation == (handle >> 32) ? slot.obj : nullptr;
    }
};

// The host's object table and model set: the editor's process-wide state.
HandleTable& handles() {
    static HandleTable table;
    return table;
}

std::unordered_set<const Model*>& live_models() {
    static std::unordered_set<const Model*> models;
    return models;
}

Model* g_current = nullptr;

} // namespace

bool Scalar::operator==(const Scalar& other) const {
    if (kind != other.kind) return false;
    switch (kind) {
    case Kind::Double: return d == other.d;
    case Kind::Text: return text == other.text;
    default: return i == other.i;
    }
}

Obj::Obj(XeqT_Obj_Type obj_type, Model* owner_model, std::string name)
    : type(obj_type), model(owner_model), hname(std::move(name)) {
    handle = handles().add(this);
}

Obj::~Obj() { handles().remove(handle); }

Attr* Obj::find(std::string_view name) {
    for (Attr& a : attrs)
        if (a.name == name) return &a;
    return nullptr;
}

const Attr* Obj::find(std::string_view name) const {
    return const_cast<Obj*>(this)->find(name);
}

Attr& Obj::add(Attr attr) {
    attrs.push_back(std::move(attr));
    return attrs.back();
}

Model::Model(std::string model_name) : name(std::move(model_name)) {
    live_models().insert(this);
    top = std::make_unique<Obj>(XEQC_OBJ_SUBNET, this, "top");
    by_hname[top->hname] = top.get();
}

Model::~Model() {
    live_models().erase(this);
    if (g_current == this) g_current = nullptr;
}

Obj& Model::add_object(XeqT_Obj_Type type, std::string hname) {
    objects.push_back(std::make_unique<Obj>(type, this, std::move(hname)));
    Obj& obj = *objects.back();
    by_hname[obj.hname] = &obj;
    by_type[type].push_back(&obj);
    return obj;
}

bool Model::rename(Obj& obj, const std::string& hname) {
    auto taken = by_hname.find(hname);
    if (taken != by_hname.end()) return taken->second == &obj;
    auto it = by_hname.find(obj.hname);
    if (it != by_hname.end() && it->second == &obj) by_hname.erase(it);
    obj.hname = hname;
    by_hname[hname] = &obj;
    return true;
}


Obj* resolve(XeqT_Obj_Handle handle) { return handles().find(handle); }

std::unique_ptr<Obj> make_compound(Obj& owner, const std::string& attr_name) {
    return std::make_unique<Obj>(XEQC_OBJ_COMPOUND_ATTR, owner.model,
                                 owner.hname + "." + attr_name);
}

std::unique_ptr<Obj> make_row(Obj& compound, size_t index) {
    return std::make_unique<Obj>(XEQC_OBJ_ATTR_ROW, compound.model,
                                 compound.hname + " [" + std::to_string(index) + "]");
}

static void copy_attrs(const Obj& from, Obj& to) {
    to.attrs.reserve(from.attrs.size());
    for (const Attr& a : from.attrs) to.add(clone_attr(a, to, a.name));
}

std::unique_ptr<Obj> clone_compound(const Obj& from, Obj& owner, const std::string& name) {
    auto copy = make_compound(owner, name);
    if (from.row_template) {
        copy->row_template = std::make_unique<Obj>(XEQC_OBJ_ATTR_ROW, owner.model,
                                                   copy->hname + " [template]");
        copy_attrs(*from.row_template, *copy->row_template);
    }
    copy->rows.reserve(from.rows.size());
    for (size_t r = 0; r < from.rows.size(); ++r) {
        copy->rows.push_back(make_row(*copy, r));
        copy_attrs(*from.rows[r], *copy->rows.back());
    }
    return copy;
}

Attr clone_attr(const Attr& attr, Obj& owner, const std::string& name) {
    Attr copy;
    copy.name = name;
    copy.value = attr.value;
    copy.symbols = attr.symbols;
    if (attr.compound) copy.compound = clone_compound(*attr.compound, owner, name);
    return copy;
}

void resize_rows(Obj& compound, size_t count) {
    if (count < compound.rows.size()) {
        compound.rows.resize(count);
        return;
    }
    compound.rows.reserve(count);
    while (compound.rows.size() < count) {
        compound.rows.push_back(make_row(compound, compound.rows.size()));
        if (compound.row_template) copy_attrs(*compound.row_template, *compound.rows.back());
    }
}

Model* current_model() { return g_current; }
void set_current_model(Model* model) { g_current = model; }
bool model_alive(const Model* model) { return model && live_models().count(model) != 0; }

void copy_bounded(std::string_view text, char* buffer, size_t size) {
    if (!buffer || size == 0) return;
    const size_t n = std::min(text.size(), size - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

} // namespace xeq
