// Model files: JSON, loaded and saved whole (format in host/MODEL_FORMAT.md).
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <limits>
#include <sstream>

#include <nlohmann/json.hpp>

#include "model.hpp"
#include "xeq_host.h"

namespace xeq {
namespace {

using Json = nlohmann::ordered_json;

constexpr const char* kFormat = "xeq-model";
constexpr int kVersion = 1;

const std::pair<const char*, XeqT_Obj_Type> kTypeNames[] = {
    {"subnet", XEQC_OBJ_SUBNET}, {"node", XEQC_OBJ_NODE},     {"link", XEQC_OBJ_LINK},
    {"path", XEQC_OBJ_PATH},     {"demand", XEQC_OBJ_DEMAND},
};

const std::pair<const char*, Kind> kKindNames[] = {
    {"integer", Kind::Integer}, {"double", Kind::Double},     {"text", Kind::Text},
    {"toggle", Kind::Toggle},   {"compound", Kind::Compound},
};

// Where in the file the reader is, for error messages.
struct Place {
    const std::string& source;
    std::string object;
    std::string attribute;

    [[noreturn]] void fail(const std::string& what) const {
        std::string message = source;
        if (!object.empty()) message += ": object '" + object + "'";
        if (!attribute.empty()) message += ": attribute '" + attribute + "'";
        throw LoadError{message + ": " + what};
    }
};

Scalar read_scalar(const Json& j, Kind kind, const Place& place) {
    Scalar v;
    v.kind = kind;
    switch (kind) {
    case Kind::Integer:
        if (!j.is_number_integer()) place.fail("expected an integer");
        if (j.is_number_unsigned() ? j.get<uint64_t>() > std::numeric_limits<int>::max()
                                   : (j.get<int64_t>() < std::numeric_limits<int>::min() ||
                                      j.get<int64_t>() > std::numeric_limits<int>::max()))
            place.fail("integer out of the 32-bit range");
        v.i = j.get<int>();
        break;
    case Kind::Double:
        if (j.is_number()) v.d = j.get<double>();
        else if (j == "nan") v.d = std::numeric_limits<double>::quiet_NaN();
        else if (j == "inf") v.d = std::numeric_limits<double>::infinity();
        else if (j == "-inf") v.d = -std::numeric_limits<double>::infinity();
        else place.fail("expected a number");
        break;
    case Kind::Text:
        if (!j.is_string()) place.fail("expected a text");
        v.text = j.get<std::string>();
        break;
    case Kind::Toggle:
        if (!j.is_boolean()) place.fail("expected true or false");
        v.i = j.get<bool>() ? 1 : 0;
        break;
    case Kind::Compound: place.fail("a compound has no scalar value");
    }
    return v;
}

void read_attributes(const Json& j, Obj& obj, Place& place);

void read_rows(const Json& rows, Obj& compound, Place& place) {
    if (!rows.is_array()) place.fail("expected an array of rows");
    const std::string base = place.attribute;
    for (size_t r = 0; r < rows.size(); ++r) {
        place.attribute = base + " [" + std::to_string(r) + "]";
        if (!rows[r].is_object()) place.fail("a row must be an object of attributes");
        compound.rows.push_back(make_row(compound, r));
        read_attributes(rows[r], *compound.rows.back(), place);
    }
    place.attribute = base;
}

Kind kind_named(const Json& j, const Place& place) {
    if (j.is_string())
        for (const auto& [name, kind] : kKindNames)
            if (j == name) return kind;
    place.fail("\"type\" must be one of integer, double, text, toggle, compound");
}

// {"type": ..., "value"|"rows": ..., "symbols": {...}, "template": {...}}
void read_long_form(const Json& j, Obj& owner, Attr& attr, Place& place) {
    for (const auto& [key, _] : j.items())
        if (key != "type" && key != "value" && key != "rows" && key != "symbols" &&
            key != "template")
            place.fail("unknown key \"" + key + "\"");
    if (!j.contains("type")) place.fail("missing \"type\"");
    const Kind kind = kind_named(j["type"], place);
    if (kind == Kind::Compound) {
        if (j.contains("value")) place.fail("a compound takes \"rows\", not \"value\"");
        attr.value.kind = Kind::Compound;
        attr.compound = make_compound(owner, attr.name);
        if (j.contains("template")) {
            if (!j["template"].is_object()) place.fail("\"template\" must be an object");
            attr.compound->row_template = std::make_unique<Obj>(
                XEQC_OBJ_ATTR_ROW, owner.model, attr.compound->hname + " [template]");
            const std::string base = place.attribute;
            place.attribute += " [template]";
            read_attributes(j["template"], *attr.compound->row_template, place);
            place.attribute = base;
        }
        if (j.contains("rows")) read_rows(j["rows"], *attr.compound, place);
    } else {
        if (j.contains("rows") || j.contains("template"))
            place.fail("only a compound takes \"rows\" or \"template\"");
        if (!j.contains("value")) place.fail("missing \"value\"");
        attr.value = read_scalar(j["value"], kind, place);
    }
    if (j.contains("symbols")) {
        if (!j["symbols"].is_object()) place.fail("\"symbols\" must be an object");
        const Kind symbol_kind = kind == Kind::Compound ? Kind::Integer : kind;
        for (const auto& [name, value] : j["symbols"].items())
            attr.symbols.push_back({name, read_scalar(value, symbol_kind, place)});
    }
}

void read_attributes(const Json& j, Obj& obj, Place& place) {
    const std::string base = place.attribute;
    for (const auto& [name, value] : j.items()) {
        place.attribute = base.empty() ? name : base + "." + name;
        if (name.empty() || name.find_first_of(".[]") != std::string::npos)
            place.fail("attribute names may not be empty or contain '.', '[' or ']'");
        if (obj.find(name)) place.fail("attribute given twice");
        Attr attr;
        attr.name = name;
        if (value.is_array()) {
            attr.value.kind = Kind::Compound;
            attr.compound = make_compound(obj, name);
            read_rows(value, *attr.compound, place);
        } else if (value.is_object()) {
            read_long_form(value, obj, attr, place);
        } else if (value.is_number_integer()) {
            attr.value = read_scalar(value, Kind::Integer, place);
        } else if (value.is_number_float()) {
            attr.value = read_scalar(value, Kind::Double, place);
        } else if (value.is_string()) {
            attr.value = read_scalar(value, Kind::Text, place);
        } else if (value.is_boolean()) {
            attr.value = read_scalar(value, Kind::Toggle, place);
        } else {
            place.fail("null is not a value");
        }
        obj.add(std::move(attr));
    }
    place.attribute = base;
}

XeqT_Obj_Type type_named(const Json& j, const Place& place) {
    if (j.is_number_integer()) return j.get<int>();
    if (j.is_string())
        for (const auto& [name, type] : kTypeNames)
            if (j == name) return type;
    place.fail("unknown object type " + j.dump());
}

// The "Name"s of a node's physical IP interfaces, a router's or a host's.
std::vector<std::string> interface_names(const Obj& node) {
    std::vector<std::string> names;
    for (const char* group : {"IP Routing Parameters", "IP Host Parameters"}) {
        const Attr* g = node.find(group);
        if (!g || !g->compound || g->compound->rows.empty()) continue;
        const Attr* table = g->compound->rows.front()->find("Interface Information");
        if (!table || !table->compound) continue;
        for (const auto& row : table->compound->rows)
            if (const Attr* name = row->find("Name"); name && !name->compound) names.push_back(as_text(name->value));
    }
    return names;
}

// "position" of nodes and subnets, "ends" of links, "route" of paths.
void read_placement(const Json& j, Obj& obj, const Place& place) {
    const bool placeable = obj.type == XEQC_OBJ_NODE || obj.type == XEQC_OBJ_SUBNET;
    if (j.contains("position")) {
        const Json& p = j["position"];
        if (!placeable) place.fail("only nodes and subnets take a \"position\"");
        if (!p.is_array() || p.size() != 2 || !p[0].is_number_integer() || !p[1].is_number_integer() ||
            std::abs(p[0].get<int64_t>()) > 1000000 || std::abs(p[1].get<int64_t>()) > 1000000)
            place.fail("\"position\" must be [x, y], whole numbers");
        obj.position = {p[0].get<int>(), p[1].get<int>()};
    }
    if (obj.type == XEQC_OBJ_LINK && !j.contains("ends")) place.fail("a link needs its \"ends\"");
    if (j.contains("ends") && obj.type != XEQC_OBJ_LINK && obj.type != XEQC_OBJ_DEMAND)
        place.fail("only links and demands take \"ends\"");
    if (obj.type == XEQC_OBJ_LINK) {
        const Json& ends = j["ends"];
        if (!ends.is_array() || ends.size() != 2) place.fail("\"ends\" must list two ends");
        for (const Json& end : ends) {
            if (!end.is_object() || end.size() != 2 || !end.contains("node") || !end.contains("interface") ||
                !end["node"].is_string() || !end["interface"].is_string() ||
                end["interface"].get<std::string>().empty())
                place.fail("an end is {\"node\": name, \"interface\": name}");
            const std::string node_name = end["node"].get<std::string>();
            auto node = obj.model->by_hname.find(node_name);
            if (node == obj.model->by_hname.end() || node->second->type != XEQC_OBJ_NODE)
                place.fail("no node '" + node_name + "' before the link");
            const std::string interface = end["interface"].get<std::string>();
            const std::vector<std::string> names = interface_names(*node->second);
            if (!names.empty() && std::find(names.begin(), names.end(), interface) == names.end())
                place.fail("'" + node_name + "' has no interface '" + interface + "'");
            for (const Obj* link : obj.model->by_type[XEQC_OBJ_LINK])
                for (const Obj::LinkEnd& other : link->ends)
                    if (other.node == node->second->handle && other.interface == interface)
                        place.fail("interface '" + interface + "' of '" + node_name + "' already carries '" +
                                   link->hname + "'");
            obj.ends.push_back({node->second->handle, interface});
        }
        if (obj.ends[0].node == obj.ends[1].node) place.fail("a link joins two different nodes");
    }
    if (j.contains("route")) {
        if (obj.type != XEQC_OBJ_PATH) place.fail("only paths take a \"route\"");
        if (!j["route"].is_array()) place.fail("\"route\" must list object names");
        for (const Json& step : j["route"]) {
            auto it = step.is_string() ? obj.model->by_hname.find(step.get<std::string>()) : obj.model->by_hname.end();
            if (it == obj.model->by_hname.end()) place.fail("the route names no object before the path: " + step.dump());
            obj.route.push_back(it->second->handle);
        }
    }
}

bool valid_hname(const std::string& name) {
    if (name.empty() || name.front() == '.' || name.back() == '.') return false;
    return name.find("..") == std::string::npos;
}

void read_object(const Json& j, Model& model, const std::string& source) {
    Place place{source, {}, {}};
    if (!j.is_object()) place.fail("every object must be a JSON object");
    if (!j.contains("name") || !j["name"].is_string()) place.fail("an object needs a \"name\" text");
    place.object = j["name"].get<std::string>();
    if (!valid_hname(place.object)) place.fail("malformed hierarchical name");
    if (model.by_hname.count(place.object)) place.fail("name given twice");
    for (const auto& [key, _] : j.items())
        if (key != "name" && key != "type" && key != "attributes" && key != "position" &&
            key != "ends" && key != "route")
            place.fail("unknown key \"" + key + "\"");
    if (!j.contains("type")) place.fail("missing \"type\"");
    const XeqT_Obj_Type type = type_named(j["type"], place);
    if (type == XEQC_OBJC_NODES || type == XEQC_OBJC_SUBNETS)
        place.fail("type codes 2 and 4 name classes of objects, not a type");
    Obj& obj = model.add_object(type, place.object);
    if (j.contains("attributes")) {
        if (!j["attributes"].is_object()) place.fail("\"attributes\" must be an object");
        read_attributes(j["attributes"], obj, place);
    }
    read_placement(j, obj, place);
    if (!obj.find("name")) {
        Attr name;
        name.name = "name";
        name.value.kind = Kind::Text;
        name.value.text = place.object.substr(place.object.rfind('.') + 1);
        obj.add(std::move(name));
    }
}

// "ends": [source, destination] of a placed demand, read once every object
// is known, as an end may come later in the file.
void read_ends(const Json& j, Model& model, const std::string& source) {
    if (!j.contains("ends")) return;
    Place place{source, j["name"].get<std::string>(), {}};
    Obj* demand = model.by_hname.at(place.object);
    if (demand->type != XEQC_OBJ_DEMAND) return; // a link's, read with the link
    const Json& ends = j["ends"];
    if (!ends.is_array() || ends.size() != 2 || !ends[0].is_string() || !ends[1].is_string())
        place.fail("\"ends\" must be two object names");
    XeqT_Obj_Handle handles[2];
    for (int e = 0; e < 2; ++e) {
        auto it = model.by_hname.find(ends[e].get<std::string>());
        if (it == model.by_hname.end() || it->second->type != XEQC_OBJ_NODE)
            place.fail("demand end '" + ends[e].get<std::string>() + "' is not a node of the model");
        handles[e] = it->second->handle;
    }
    if (handles[0] == handles[1]) place.fail("a demand's two ends must be different nodes");
    model.demand_ends[demand->handle] = {handles[0], handles[1]};
}

// ---- writing -------------------------------------------------------------------

Json scalar_json(const Scalar& v) {
    switch (v.kind) {
    case Kind::Integer: return v.i;
    case Kind::Toggle: return v.i != 0;
    case Kind::Double:
        if (std::isnan(v.d)) return "nan";
        if (std::isinf(v.d)) return v.d > 0 ? "inf" : "-inf";
        return v.d;
    case Kind::Text: return v.text;
    case Kind::Compound: break;
    }
    return nullptr;
}

const char* kind_name(Kind kind) {
    for (const auto& [name, k] : kKindNames)
        if (k == kind) return name;
    return "";
}

Json attributes_json(const Obj& obj);

Json rows_json(const Obj& compound) {
    Json rows = Json::array();
    for (const auto& row : compound.rows) rows.push_back(attributes_json(*row));
    return rows;
}

Json attr_json(const Attr& a) {
    const bool plain_double = a.kind() == Kind::Double && std::isfinite(a.value.d);
    const bool short_form = a.symbols.empty() &&
                            (a.kind() == Kind::Compound ? !a.compound->row_template
                                                        : a.kind() != Kind::Double || plain_double);
    if (short_form) return a.compound ? rows_json(*a.compound) : scalar_json(a.value);
    Json j;
    j["type"] = kind_name(a.kind());
    if (a.compound) {
        if (a.compound->row_template) j["template"] = attributes_json(*a.compound->row_template);
        j["rows"] = rows_json(*a.compound);
    } else {
        j["value"] = scalar_json(a.value);
    }
    if (!a.symbols.empty()) {
        Json symbols = Json::object();
        for (const Symbol& s : a.symbols) symbols[s.name] = scalar_json(s.value);
        j["symbols"] = symbols;
    }
    return j;
}

Json attributes_json(const Obj& obj) {
    Json j = Json::object();
    for (const Attr& a : obj.attrs) j[a.name] = attr_json(a);
    return j;
}

Json type_json(XeqT_Obj_Type type) {
    for (const auto& [name, t] : kTypeNames)
        if (t == type) return name;
    return type;
}

void write_placement(const Obj& obj, Json& o) {
    if (obj.position) o["position"] = {obj.position->first, obj.position->second};
    if (!obj.ends.empty()) {
        Json ends = Json::array();
        for (const Obj::LinkEnd& end : obj.ends)
            ends.push_back({{"node", resolve(end.node) ? resolve(end.node)->hname : ""}, {"interface", end.interface}});
        o["ends"] = std::move(ends);
    }
    if (obj.type == XEQC_OBJ_PATH) {
        Json route = Json::array();
        for (XeqT_Obj_Handle step : obj.route)
            if (const Obj* o_step = resolve(step)) route.push_back(o_step->hname);
        o["route"] = std::move(route);
    }
}

} // namespace

std::unique_ptr<Model> parse_model(std::string_view text, const std::string& source) {
    Place place{source, {}, {}};
    Json j;
    try {
        j = Json::parse(text);
    } catch (const Json::parse_error& e) {
        std::string what = e.what();
        const size_t cut = what.find("] ");
        place.fail(cut == std::string::npos ? what : what.substr(cut + 2));
    }
    if (!j.is_object()) place.fail("a model file is a JSON object");
    if (j.value("format", "") != kFormat) place.fail("\"format\" must be \"xeq-model\"");
    if (!j.contains("version") || j["version"] != kVersion)
        place.fail("unsupported \"version\" (this host reads version 1)");
    for (const auto& [key, _] : j.items())
        if (key != "format" && key != "version" && key != "name" && key != "objects")
            place.fail("unknown key \"" + key + "\"");
    if (!j.contains("name") || !j["name"].is_string()) place.fail("a model needs a \"name\" text");
    auto model = std::make_unique<Model>(j["name"].get<std::string>());
    if (j.contains("objects")) {
        if (!j["objects"].is_array()) place.fail("\"objects\" must be an array");
        for (const Json& object : j["objects"]) read_object(object, *model, source);
        for (const Json& object : j["objects"]) read_ends(object, *model, source);
    }
    return model;
}

std::string serialise_model(const Model& model) {
    Json j;
    j["format"] = kFormat;
    j["version"] = kVersion;
    j["name"] = model.name;
    Json objects = Json::array();
    for (const auto& obj : model.objects) {
        Json o;
        o["name"] = obj->hname;
        o["type"] = type_json(obj->type);
        o["attributes"] = attributes_json(*obj);
        write_placement(*obj, o);
        auto ends = model.demand_ends.find(obj->handle);
        const Obj* from = ends == model.demand_ends.end() ? nullptr : resolve(ends->second.first);
        const Obj* to = ends == model.demand_ends.end() ? nullptr : resolve(ends->second.second);
        if (from && to) o["ends"] = {from->hname, to->hname};
        objects.push_back(std::move(o));
    }
    j["objects"] = std::move(objects);
    return j.dump(2) + "\n";
}

} // namespace xeq

using namespace xeq;

namespace {
XeqT_Model_Handle handle_of(std::unique_ptr<Model> model) {
    return reinterpret_cast<XeqT_Model_Handle>(model.release());
}

void report(const std::string& message, char* error, size_t error_size) {
    copy_bounded(message, error, error_size);
}
} // namespace

extern "C" {

XeqT_Model_Handle Xeq_Host_Model_Parse(const char* text, const char* source, char* error,
                                       size_t error_size) {
    if (!text) return nullptr;
    try {
        return handle_of(parse_model(text, source ? source : "<model>"));
    } catch (const LoadError& e) {
        report(e.message, error, error_size);
    } catch (const std::exception& e) {
        report(std::string(source ? source : "<model>") + ": " + e.what(), error, error_size);
    }
    return nullptr;
}

XeqT_Model_Handle Xeq_Host_Model_Load(const char* path, char* error, size_t error_size) {
    if (!path) return nullptr;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        report(std::string(path) + ": cannot open the model file", error, error_size);
        return nullptr;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        report(std::string(path) + ": cannot read the model file", error, error_size);
        return nullptr;
    }
    XeqT_Model_Handle model = Xeq_Host_Model_Parse(text.str().c_str(), path, error, error_size);
    if (model) reinterpret_cast<Model*>(model)->path = path;
    return model;
}

XeqT_Model_Handle Xeq_Host_Model_New(const char* name) {
    return handle_of(std::make_unique<Model>(name ? name : ""));
}

int Xeq_Host_Model_Save(XeqT_Model_Handle handle, const char* path, char* error,
                        size_t error_size) {
    Model* model = reinterpret_cast<Model*>(handle);
    if (!model_alive(model) || !path) return 0;
    const std::string temp = std::string(path) + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << serialise_model(*model);
        out.flush();
        if (!out) {
            std::remove(temp.c_str());
            report(std::string(path) + ": cannot write the model file", error, error_size);
            return 0;
        }
    }
    if (std::rename(temp.c_str(), path) != 0) {
        std::remove(temp.c_str());
        report(std::string(path) + ": cannot replace the model file", error, error_size);
        return 0;
    }
    model->path = path;
    return 1;
}

const char* Xeq_Host_Model_Text_Get(XeqT_Model_Handle handle) {
    static std::string text; // the host's one user-interface thread reads it
    Model* model = reinterpret_cast<Model*>(handle);
    if (!model_alive(model)) return "";
    text = serialise_model(*model);
    return text.c_str();
}

void Xeq_Host_Model_Close(XeqT_Model_Handle handle) {
    Model* model = reinterpret_cast<Model*>(handle);
    if (!model_alive(model)) return;
    destroy_client_states(*model);
    delete model;
}

void Xeq_Host_Model_Current_Set(XeqT_Model_Handle handle) {
    Model* model = reinterpret_cast<Model*>(handle);
    set_current_model(model_alive(model) ? model : nullptr);
}

const char* Xeq_Host_Model_Path_Get(XeqT_Model_Handle handle) {
    Model* model = reinterpret_cast<Model*>(handle);
    return model_alive(model) ? model->path.c_str() : "";
}

} // extern "C"
