// Loading plug-ins the way the editor does: dlopen by path, exports by name.
#pragma once

#include <stdexcept>
#include <string>

namespace xeqhost {

struct HostError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class Plugin {
public:
    // Throws HostError naming the plug-in and the loader's reason.
    explicit Plugin(const std::string& path);
    ~Plugin();
    Plugin(const Plugin&) = delete;
    Plugin& operator=(const Plugin&) = delete;

    // The export's address; throws HostError when the plug-in lacks it.
    void* export_named(const std::string& name) const;
    // The export's address, or null when the plug-in lacks it.
    void* find(const std::string& name) const;

    template <typename Fn>
    Fn function(const std::string& name) const {
        return reinterpret_cast<Fn>(export_named(name));
    }

private:
    std::string path_;
    void* handle_;
};

} // namespace xeqhost
