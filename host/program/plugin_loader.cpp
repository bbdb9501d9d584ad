#include "plugin_loader.hpp"

#include <dlfcn.h>

namespace xeqhost {

Plugin::Plugin(const std::string& path) : path_(path) {
    // Bind everything now so a plug-in missing a host symbol fails here,
    // not in the middle of a conversion.
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* why = dlerror();
        throw HostError("cannot load plug-in '" + path + "': " + (why ? why : "unknown reason"));
    }
}

Plugin::~Plugin() { dlclose(handle_); }

void* Plugin::find(const std::string& name) const {
    dlerror();
    return dlsym(handle_, name.c_str());
}

void* Plugin::export_named(const std::string& name) const {
    void* address = find(name);
    if (!address) throw HostError("plug-in '" + path_ + "' has no export '" + name + "'");
    return address;
}

} // namespace xeqhost
