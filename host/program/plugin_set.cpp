#include "plugin_set.hpp"

#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "model_directories.hpp"
#include "plugin_paths.hpp"
#include "xeq_ui.hpp"

namespace xeqhost {
namespace {

using Json = nlohmann::json;

struct Definition {
    std::string init;
    std::vector<xeq::ui::MenuItem> menu;
    std::vector<xeq::ui::ClickHandler> click_handlers;
    std::vector<AttributeDefinition> attributes;
};

// "<folder>/<name>.xeq.json" for "<folder>/<name>.i0.xeq.so"; other file
// names have no definition.
std::string definition_path(const std::string& plugin_path) {
    const std::string suffix = ".i0.xeq.so";
    if (plugin_path.size() <= suffix.size() ||
        plugin_path.compare(plugin_path.size() - suffix.size(), suffix.size(), suffix) != 0)
        return {};
    return plugin_path.substr(0, plugin_path.size() - suffix.size()) + ".xeq.json";
}

std::string text_of(const Json& j, const char* key, const std::string& file) {
    if (!j.contains(key) || !j[key].is_string() || j[key].get<std::string>().empty())
        throw HostError(file + ": \"" + key + "\" must be a non-empty text");
    return j[key].get<std::string>();
}

std::string optional_text_of(const Json& j, const char* key, const std::string& file) {
    return j.contains(key) ? text_of(j, key, file) : std::string();
}

std::vector<AttributeDefinition> read_attributes(const Json& value, const std::string& file) {
    if (!value.is_array()) throw HostError(file + ": \"attributes\" must be a list");
    std::vector<AttributeDefinition> attributes;
    for (const Json& item : value) {
        if (!item.is_object()) throw HostError(file + ": an attribute definition is an object");
        for (const auto& [key, unused] : item.items())
            if (key != "object_model" && key != "attribute" && key != "choices" && key != "click")
                throw HostError(file + ": unknown key \"" + key + "\" in an attribute definition");
        attributes.push_back({text_of(item, "object_model", file), text_of(item, "attribute", file),
                              optional_text_of(item, "choices", file), optional_text_of(item, "click", file)});
    }
    return attributes;
}

Definition read_definition(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return {};
    std::ostringstream text;
    text << in.rdbuf();
    Json j;
    try {
        j = Json::parse(text.str());
    } catch (const Json::parse_error& e) {
        throw HostError(file + ": " + e.what());
    }
    if (!j.is_object() || j.value("format", "") != "xeq-plugin" || j.value("version", 0) != 1)
        throw HostError(file + ": not a plug-in definition (\"format\": \"xeq-plugin\", \"version\": 1)");
    Definition d;
    for (const auto& [key, value] : j.items()) {
        if (key == "format" || key == "version") continue;
        if (key == "init") {
            d.init = text_of(j, "init", file);
        } else if (key == "menu") {
            if (!value.is_array()) throw HostError(file + ": \"menu\" must be a list");
            for (const Json& item : value) {
                if (!item.is_object()) throw HostError(file + ": a menu item is an object");
                d.menu.push_back({text_of(item, "item", file), text_of(item, "export", file)});
            }
        } else if (key == "click_handlers") {
            if (!value.is_array()) throw HostError(file + ": \"click_handlers\" must be a list");
            for (const Json& h : value) {
                if (!h.is_object()) throw HostError(file + ": a click handler is an object");
                d.click_handlers.push_back({text_of(h, "object_model", file), text_of(h, "export", file)});
            }
        } else if (key == "attributes") {
            d.attributes = read_attributes(value, file);
        } else {
            throw HostError(file + ": unknown key \"" + key + "\"");
        }
    }
    return d;
}

} // namespace

PluginSet::PluginSet() {
    xeq::ui::set_export_resolver([this](const std::string& name) { return find(name); });
}

PluginSet::~PluginSet() {
    xeq::ui::reset_bindings();
    while (!plugins_.empty()) plugins_.pop_back();
}

void PluginSet::load(const std::string& name_or_path) {
    const std::string path = plugin_path(name_or_path);
    const Definition definition = read_definition(definition_path(path));
    plugins_.push_back(std::make_unique<Plugin>(path));
    const Plugin& loaded = *plugins_.back();
    for (const xeq::ui::MenuItem& item : definition.menu) {
        loaded.export_named(item.action); // a menu item that cannot run is refused now
        xeq::ui::add_menu_item(item);
    }
    for (const xeq::ui::ClickHandler& handler : definition.click_handlers) {
        loaded.export_named(handler.action);
        xeq::ui::add_click_handler(handler);
    }
    for (const AttributeDefinition& attribute : definition.attributes) {
        for (const std::string& name : {attribute.choices, attribute.click})
            if (!name.empty()) loaded.export_named(name); // refused now, as a menu item is
        attributes_.push_back(attribute);
    }
    xeq::ui::add_plugin_folder(directory_of(path));
    if (!definition.init.empty()) loaded.function<void (*)()>(definition.init)();
}

const AttributeDefinition* PluginSet::attribute(const std::string& object_model, const std::string& path) const {
    for (const AttributeDefinition& a : attributes_)
        if ((a.object_model == "*" || a.object_model == object_model) && a.attribute == path) return &a;
    return nullptr;
}

void* PluginSet::find(const std::string& name) const {
    for (const auto& plugin : plugins_)
        if (void* address = plugin->find(name)) return address;
    return nullptr;
}

} // namespace xeqhost
