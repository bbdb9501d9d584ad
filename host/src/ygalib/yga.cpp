// Probe models in memory and in their files (host/PROBE_FORMAT.md).
#include "ygalib.h"

#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include <nlohmann/json.hpp>

#include "kpllib.h"
#include "vyqlib.h"

using Json = nlohmann::json;

struct YgaS_Object;

namespace {

enum class Kind { kText, kDouble, kObject };

// The attributes of probe models and the kind of their values; the entry
// lists carry no kinds of their own.
const std::map<std::string_view, Kind> kAttributeKinds = {
    {"network name", Kind::kText}, {"name", Kind::kText},         {"statistic", Kind::kText},
    {"capture mode", Kind::kText}, {"draw style", Kind::kText},   {"group", Kind::kText},
    {"subnet", Kind::kText},       {"node", Kind::kText},         {"link", Kind::kText},
    {"channel", Kind::kText},      {"ordinate label", Kind::kText}, {"pos", Kind::kObject},
    {"x", Kind::kDouble},          {"y", Kind::kDouble},          {"high bound", Kind::kDouble},
};

struct Attribute {
    std::string name;
    std::variant<std::monostate, std::string, double, int> value; // int: an object's index
    std::map<int, int> codes;
};

struct Attributes {
    std::vector<Attribute> list;
    Attribute& named(std::string_view name) {
        for (Attribute& a : list)
            if (a.name == name) return a;
        list.push_back({std::string(name), {}, {}});
        return list.back();
    }
    const Attribute* find(std::string_view name) const {
        for (const Attribute& a : list)
            if (a.name == name) return &a;
        return nullptr;
    }
};

constexpr const char* kFormat = "xeq-probe-model";

void warn(const std::string& text) { Xeq_Msg_Warning(0, text.c_str(), nullptr, nullptr); }

} // namespace

struct YgaS_Object {
    int index;
    int kind;
    Attributes attributes;
};

struct YgaS_Model {
    int kind = YGAC_MODEL_PROBE;
    Attributes attributes;
    std::deque<YgaS_Object> objects; // stable addresses: handles point here
};

namespace {

bool owns(const YgaS_Model* model, const YgaS_Object* object) {
    return object && object->index >= 0 && static_cast<size_t>(object->index) < model->objects.size() &&
           &model->objects[object->index] == object;
}

// Takes entries until YGAC_EOL; false at the first entry it cannot take.
bool set_entries(YgaS_Model* model, Attributes& attributes, va_list entries) {
    for (;;) {
        const char* name = va_arg(entries, const char*);
        if (!name || std::strcmp(name, YGAC_EOL) == 0) return true;
        const int code = va_arg(entries, int);
        va_arg(entries, int); // the index: every attribute here has one value
        const auto kind = kAttributeKinds.find(name);
        if (kind == kAttributeKinds.end()) return false;
        Attribute& attribute = attributes.named(name);
        if (code != YGAC_CODE_VALUE) {
            attribute.codes[code] = va_arg(entries, int);
            continue;
        }
        switch (kind->second) {
        case Kind::kText: {
            const char* text = va_arg(entries, const char*);
            if (!text) return false;
            attribute.value = std::string(text);
            break;
        }
        case Kind::kDouble: attribute.value = va_arg(entries, double); break;
        case Kind::kObject: {
            const YgaS_Object* object = va_arg(entries, YgaS_Object*);
            if (!owns(model, object)) return false;
            attribute.value = object->index;
            break;
        }
        }
    }
}

// ---- the file form ------------------------------------------------------------
Json attributes_to_json(const Attributes& attributes) {
    Json list = Json::array();
    for (const Attribute& a : attributes.list) {
        Json entry = {{"name", a.name}};
        if (const auto* text = std::get_if<std::string>(&a.value)) entry["value"] = *text;
        if (const auto* number = std::get_if<double>(&a.value)) entry["value"] = *number;
        if (const auto* object = std::get_if<int>(&a.value)) entry["object"] = *object;
        for (const auto& [code, value] : a.codes) entry[std::to_string(code)] = value;
        list.push_back(entry);
    }
    return list;
}

Json model_to_json(const YgaS_Model& model) {
    Json objects = Json::array();
    for (const YgaS_Object& o : model.objects)
        objects.push_back({{"kind", o.kind}, {"attributes", attributes_to_json(o.attributes)}});
    return {{"format", kFormat}, {"version", 1}, {"kind", model.kind},
            {"attributes", attributes_to_json(model.attributes)}, {"objects", objects}};
}

struct FormatError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

Attributes attributes_from_json(const Json& list, size_t objects) {
    if (!list.is_array()) throw FormatError("\"attributes\" must be a list");
    Attributes attributes;
    for (const Json& entry : list) {
        if (!entry.is_object() || !entry.contains("name") || !entry["name"].is_string())
            throw FormatError("an attribute needs a \"name\"");
        Attribute& a = attributes.named(entry["name"].get<std::string>());
        for (const auto& [key, value] : entry.items()) {
            if (key == "name") continue;
            if (key == "value" && value.is_string()) a.value = value.get<std::string>();
            else if (key == "value" && value.is_number()) a.value = value.get<double>();
            else if (key == "object" && value.is_number_unsigned() && value.get<size_t>() < objects)
                a.value = value.get<int>();
            else if (!key.empty() && key.find_first_not_of("0123456789") == std::string::npos &&
                     key.size() < 6 && value.is_number_integer())
                a.codes[std::stoi(key)] = value.get<int>();
            else
                throw FormatError("attribute '" + a.name + "': bad \"" + key + "\"");
        }
    }
    return attributes;
}

std::unique_ptr<YgaS_Model> model_from_json(const Json& j) {
    if (!j.is_object() || j.value("format", "") != kFormat || j.value("version", 0) != 1)
        throw FormatError("not a probe model (\"format\": \"xeq-probe-model\", \"version\": 1)");
    if (j.value("kind", 0) != YGAC_MODEL_PROBE) throw FormatError("not of model kind 5");
    if (!j.contains("objects") || !j["objects"].is_array()) throw FormatError("\"objects\" must be a list");
    auto model = std::make_unique<YgaS_Model>();
    const size_t count = j["objects"].size();
    model->attributes = attributes_from_json(j.value("attributes", Json::array()), count);
    for (const Json& o : j["objects"]) {
        if (!o.is_object() || !o.contains("kind") || !o["kind"].is_number_integer())
            throw FormatError("an object needs a \"kind\"");
        model->objects.push_back({static_cast<int>(model->objects.size()), o["kind"].get<int>(),
                                  attributes_from_json(o.value("attributes", Json::array()), count)});
    }
    return model;
}

std::string first_model_directory() {
    QovT_Ll_Desc values;
    kpl_list_init(&values);
    std::string first;
    if (kpl_env_attr_value_get(1, "mod_dirs", &values) && kpl_list_size(&values) > 0)
        first = static_cast<const char*>(kpl_list_access(&values, 0));
    while (kpl_list_size(&values) > 0) kpl_mem_free(kpl_list_remove(&values, KPLC_LISTPOS_HEAD));
    kpl_list_free(&values);
    return first;
}

// Written beside its place and renamed over it, so a failed write leaves
// the old file whole.
bool write_file(const std::string& path, const std::string& text) {
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!(out << text) || !out.flush()) {
            ::unlink(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

const Attribute* attribute_of(YgaS_Model* model, YgaS_Object* object, const char* name) {
    if (!model || !name || (object && !owns(model, object))) return nullptr;
    return (object ? object->attributes : model->attributes).find(name);
}

} // namespace

extern "C" {

int Yga_Init(int, int, int) { return 1; }

YgaT_Model Yga_Model_File_Read(const char* path) {
    if (!path) return nullptr;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        warn(std::string(path) + ": cannot be read");
        return nullptr;
    }
    std::ostringstream text;
    text << in.rdbuf();
    try {
        return model_from_json(Json::parse(text.str())).release();
    } catch (const std::exception& e) {
        warn(std::string(path) + ": " + e.what());
        return nullptr;
    }
}

YgaT_Model Yga_Model_Read(int model_kind, const char* name) {
    char path[4096];
    if (model_kind != YGAC_MODEL_PROBE || !kpl_tfile_path_get(name, KPLC_TFILE_PROBE_MODEL, path, sizeof path))
        return nullptr;
    return Yga_Model_File_Read(path);
}

YgaT_Model Yga_Model_Create(int model_kind) {
    return model_kind == YGAC_MODEL_PROBE ? new (std::nothrow) YgaS_Model : nullptr;
}

int Yga_Model_Write(YgaT_Model model, const char* name) {
    if (!model || !name || !*name || std::strchr(name, '/')) return 0;
    char existing[4096];
    std::string path;
    if (kpl_tfile_path_get(name, KPLC_TFILE_PROBE_MODEL, existing, sizeof existing)) {
        path = existing;
    } else {
        const std::string directory = first_model_directory();
        if (directory.empty()) {
            warn(std::string("probe model '") + name + "': no model directory to write it to");
            return 0;
        }
        path = directory + "/" + name + ".prb";
    }
    if (!write_file(path, model_to_json(*model).dump(1) + "\n")) {
        warn(path + ": cannot be written");
        return 0;
    }
    return 1;
}

void Yga_Model_Destroy(YgaT_Model model) { delete model; }

YgaT_Object Yga_Object_Create(YgaT_Model model, int object_kind) {
    if (!model) return nullptr;
    model->objects.push_back({static_cast<int>(model->objects.size()), object_kind, {}});
    return &model->objects.back();
}

int Yga_Object_Attr_Set(YgaT_Model model, YgaT_Object object, ...) {
    if (!model || !owns(model, object)) return 0;
    va_list entries;
    va_start(entries, object);
    const bool done = set_entries(model, object->attributes, entries);
    va_end(entries);
    return done ? 1 : 0;
}

int Yga_Model_Attr_Set(YgaT_Model model, ...) {
    if (!model) return 0;
    va_list entries;
    va_start(entries, model);
    const bool done = set_entries(model, model->attributes, entries);
    va_end(entries);
    return done ? 1 : 0;
}

int Yga_Model_Object_Count(YgaT_Model model) { return model ? static_cast<int>(model->objects.size()) : 0; }

YgaT_Object Yga_Model_Object_Get(YgaT_Model model, int index) {
    if (!model || index < 0 || static_cast<size_t>(index) >= model->objects.size()) return nullptr;
    return &model->objects[index];
}

int Yga_Object_Kind_Get(YgaT_Object object) { return object ? object->kind : -1; }

int Yga_Attr_Text_Get(YgaT_Model model, YgaT_Object object, const char* name, char* buffer, size_t size) {
    const Attribute* a = attribute_of(model, object, name);
    if (!a || !buffer || size == 0 || std::holds_alternative<std::monostate>(a->value)) return 0;
    if (const auto* text = std::get_if<std::string>(&a->value)) std::snprintf(buffer, size, "%s", text->c_str());
    if (const auto* number = std::get_if<double>(&a->value)) std::snprintf(buffer, size, "%g", *number);
    if (const auto* index = std::get_if<int>(&a->value)) std::snprintf(buffer, size, "#%d", *index);
    return 1;
}

int Yga_Attr_Code_Get(YgaT_Model model, YgaT_Object object, const char* name, int code, int* out) {
    const Attribute* a = attribute_of(model, object, name);
    if (!a || !out) return 0;
    const auto found = a->codes.find(code);
    if (found == a->codes.end()) return 0;
    *out = found->second;
    return 1;
}

} // extern "C"
