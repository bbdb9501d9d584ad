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

private:
    std::vector<std::unique_ptr<Plugin>> plugins_;
};

} // namespace xeqhost
