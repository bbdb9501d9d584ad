// The plug-ins of a session, loaded as the editor loads them: each shared
// object by path, its definition file beside it ("<name>.xeq.json": its
// initialiser and menu items), its folder on the dialog path. Exports named
// by dialogs and menus are then found by name across all of them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "plugin_loader.hpp"

namespace xeqhost {

// An attribute that a plug-in definition gives meaning to: on objects whose
// "model" attribute is object_model ("*": any object), the attribute at
// that path takes its choices from one export and asks another before it
// is edited in place. Either export may be empty.
struct AttributeDefinition {
    std::string object_model;
    std::string attribute;
    std::string choices;
    std::string click;
};

class PluginSet {
public:
    // Binds the host's user interface to this set's exports.
    PluginSet();
    // Unbinds the user interface, then unloads the plug-ins, last first.
    ~PluginSet();
    PluginSet(const PluginSet&) = delete;
    PluginSet& operator=(const PluginSet&) = delete;

    // Loads the plug-in (a path, or a bare name found by plugin_path), reads
    // its definition, adds its menu items and calls its initialiser. Throws
    // HostError naming the plug-in or the definition file and what is wrong.
    void load(const std::string& name_or_path);
    // The first loaded plug-in's export of that name, or null.
    void* find(const std::string& name) const;
    const Plugin& plugin(size_t index) const { return *plugins_.at(index); }
    // The first attribute definition for that object model and path, or null.
    const AttributeDefinition* attribute(const std::string& object_model, const std::string& path) const;

private:
    std::vector<std::unique_ptr<Plugin>> plugins_;
    std::vector<AttributeDefinition> attributes_;
};

} // namespace xeqhost
