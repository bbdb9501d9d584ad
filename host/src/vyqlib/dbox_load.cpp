// Dialogs loaded by name from their definition files on the dialog path
// (format in host/DIALOG_FORMAT.md). A definition is checked whole before
// anything is shown, so a malformed file never leaves half a dialog.
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "kpllib.h"
#include "vyqlib.h"
#include "xeq_ui.hpp"

namespace {

using Json = nlohmann::ordered_json;
using xeq::ui::ControlDefinition;
using xeq::ui::ControlKind;
using xeq::ui::DialogDefinition;

struct DefinitionError {
    std::string message;
};

const std::pair<const char*, ControlKind> kControlKinds[] = {
    {"edit", ControlKind::Edit},     {"toggle", ControlKind::Toggle}, {"popup", ControlKind::Popup},
    {"button", ControlKind::Button}, {"table", ControlKind::Table},   {"label", ControlKind::Label},
};

// Which control keys each kind takes, beyond name, kind, label and at.
struct KeyRule {
    const char* key;
    std::initializer_list<ControlKind> kinds;
};
const KeyRule kControlKeys[] = {
    {"text", {ControlKind::Edit, ControlKind::Label}},
    {"value", {ControlKind::Toggle}},
    {"entries", {ControlKind::Popup}},
    {"selected", {ControlKind::Popup}},
    {"on_press", {ControlKind::Button}},
    {"help", {ControlKind::Button}},
    {"on_change", {ControlKind::Edit, ControlKind::Toggle, ControlKind::Popup}},
    {"columns", {ControlKind::Table}},
};

class Reader {
public:
    explicit Reader(std::string file) : file_(std::move(file)) {}

    [[noreturn]] void fail(const std::string& what) const {
        throw DefinitionError{file_ + (control_.empty() ? "" : ": control '" + control_ + "'") + ": " + what};
    }

    std::string text(const Json& j, const char* key, bool required) const {
        if (!j.contains(key)) {
            if (required) fail(std::string("missing \"") + key + "\"");
            return {};
        }
        if (!j[key].is_string()) fail(std::string("\"") + key + "\" must be a text");
        return j[key].get<std::string>();
    }

    XeqT_Dbox_Bounds bounds(const Json& j, const char* key) const {
        if (!j.contains(key)) return {};
        const Json& b = j[key];
        if (!b.is_array() || b.size() != 4)
            fail(std::string("\"") + key + "\" must be [x, y, width, height]");
        int v[4];
        for (size_t i = 0; i < 4; ++i) {
            if (!b[i].is_number_integer() || b[i].get<int64_t>() < -100000 || b[i].get<int64_t>() > 100000)
                fail(std::string("\"") + key + "\" must hold whole numbers");
            v[i] = b[i].get<int>();
        }
        return {v[0], v[1], v[2], v[3]};
    }

    std::vector<std::string> texts(const Json& j, const char* key) const {
        std::vector<std::string> out;
        if (!j.contains(key)) return out;
        if (!j[key].is_array()) fail(std::string("\"") + key + "\" must be a list of texts");
        for (const Json& t : j[key]) {
            if (!t.is_string()) fail(std::string("\"") + key + "\" must be a list of texts");
            out.push_back(t.get<std::string>());
        }
        return out;
    }

    ControlDefinition control(const Json& j, int index) {
        control_ = "#" + std::to_string(index + 1);
        if (!j.is_object()) fail("a control is an object of keys");
        if (!j.contains("name") || !j["name"].is_string() || j["name"].get<std::string>().empty())
            fail("a control needs a \"name\"");
        ControlDefinition c;
        c.name = j["name"].get<std::string>();
        control_ = c.name;
        c.kind = kind(j);
        for (const auto& [key, _] : j.items()) check_key(key, c.kind);
        c.label = text(j, "label", false);
        c.at = bounds(j, "at");
        c.text = text(j, "text", false);
        if (j.contains("value")) {
            if (!j["value"].is_boolean()) fail("\"value\" must be true or false");
            c.value = j["value"].get<bool>() ? 1 : 0;
        }
        c.entries = texts(j, "entries");
        c.selected = text(j, "selected", false);
        if (!c.selected.empty() && std::find(c.entries.begin(), c.entries.end(), c.selected) == c.entries.end())
            fail("\"selected\" is not one of the entries");
        c.action = c.kind == ControlKind::Button ? text(j, "on_press", false) : text(j, "on_change", false);
        c.help = text(j, "help", false);
        c.columns = texts(j, "columns");
        control_.clear();
        return c;
    }

    DialogDefinition dialog(const Json& j, const std::string& wanted_name) {
        if (!j.is_object()) fail("a dialog definition is a JSON object");
        for (const auto& [key, _] : j.items())
            if (key != "format" && key != "version" && key != "name" && key != "title" && key != "bounds" &&
                key != "handler" && key != "table_display" && key != "table_decoration" && key != "controls")
                fail("unknown key \"" + key + "\"");
        if (text(j, "format", true) != "xeq-dialog") fail("\"format\" must be \"xeq-dialog\"");
        if (!j.contains("version") || j["version"] != 1) fail("unsupported \"version\" (this host reads 1)");
        DialogDefinition d;
        d.name = text(j, "name", true);
        if (d.name != wanted_name) fail("\"name\" is \"" + d.name + "\", but the file is found as \"" + wanted_name + "\"");
        d.title = text(j, "title", false);
        d.bounds = bounds(j, "bounds");
        d.handler = text(j, "handler", false);
        d.display = text(j, "table_display", false);
        d.decoration = text(j, "table_decoration", false);
        if (!j.contains("controls") || !j["controls"].is_array()) fail("\"controls\" must be a list");
        for (size_t i = 0; i < j["controls"].size(); ++i) {
            ControlDefinition c = control(j["controls"][i], static_cast<int>(i));
            for (const ControlDefinition& earlier : d.controls)
                if (earlier.name == c.name) {
                    control_ = c.name;
                    fail("a second control of that name");
                }
            if (c.kind == ControlKind::Table && d.display.empty()) {
                control_ = c.name;
                fail("a table needs the dialog's \"table_display\"");
            }
            d.controls.push_back(std::move(c));
        }
        return d;
    }

private:
    ControlKind kind(const Json& j) const {
        if (!j.contains("kind") || !j["kind"].is_string()) fail("a control needs a \"kind\"");
        for (const auto& [name, k] : kControlKinds)
            if (j["kind"] == name) return k;
        fail("unknown kind " + j["kind"].dump());
    }

    void check_key(const std::string& key, ControlKind kind) const {
        if (key == "name" || key == "kind" || key == "label" || key == "at") return;
        for (const KeyRule& rule : kControlKeys)
            if (key == rule.key) {
                if (std::find(rule.kinds.begin(), rule.kinds.end(), kind) == rule.kinds.end())
                    fail("\"" + key + "\" does not apply to this kind of control");
                return;
            }
        fail("unknown key \"" + key + "\"");
    }

    std::string file_;
    std::string control_;
};

bool safe_name(const std::string& name) {
    return !name.empty() && name.front() != '/' && name.find("..") == std::string::npos;
}

// The directories of the dialog path, in the order they are searched.
std::vector<std::string> dialog_path() {
    std::vector<std::string> dirs;
    QovT_Ll_Desc values;
    kpl_list_init(&values);
    if (kpl_env_attr_value_get(1, "dbox_dirs", &values))
        while (kpl_list_size(&values) > 0) {
            char* dir = static_cast<char*>(kpl_list_remove(&values, KPLC_LISTPOS_HEAD));
            dirs.emplace_back(dir);
            kpl_mem_free(dir);
        }
    kpl_list_free(&values);
    for (const std::string& folder : xeq::ui::plugin_folders()) dirs.push_back(folder + "/dialogs");
    return dirs;
}

std::string find_definition(const std::string& name) {
    for (const std::string& dir : dialog_path()) {
        const std::string path = dir + "/" + name + ".json";
        if (std::ifstream(path).good()) return path;
    }
    return {};
}

DialogDefinition read_definition(const std::string& path, const std::string& name) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    Reader reader(path);
    Json j;
    try {
        j = Json::parse(text.str());
    } catch (const Json::parse_error& e) {
        const std::string what = e.what();
        const size_t cut = what.find("] ");
        reader.fail(cut == std::string::npos ? what : what.substr(cut + 2));
    }
    return reader.dialog(j, name);
}

} // namespace

extern "C" XeqT_Dbox Xeq_Dbox_Load(const char* name, void* state_ptr) {
    const std::string wanted = name ? name : "";
    const std::string path = safe_name(wanted) ? find_definition(wanted) : std::string();
    if (path.empty()) {
        Xeq_Msg_Warning(0, ("no dialog definition '" + wanted + ".json' on the dialog path").c_str(), nullptr,
                        nullptr);
        return nullptr;
    }
    try {
        return xeq::ui::create_dialog(read_definition(path, wanted), state_ptr);
    } catch (const DefinitionError& e) {
        Xeq_Msg_Warning(0, e.message.c_str(), nullptr, nullptr);
    } catch (const std::exception& e) {
        Xeq_Msg_Warning(0, (path + ": " + e.what()).c_str(), nullptr, nullptr);
    }
    return nullptr;
}
