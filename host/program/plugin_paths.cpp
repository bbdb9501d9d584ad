#include "plugin_paths.hpp"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace xeqhost {
namespace {

namespace fs = std::filesystem;

constexpr char kPluginSuffix[] = ".i0.xeq.so";

// The running program's folder; empty when the system cannot say.
fs::path program_directory() {
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : program.parent_path();
}

void append_search_path(const char* list, std::vector<std::string>& directories) {
    if (list == nullptr) return;
    const std::string text(list);
    for (size_t start = 0; start <= text.size();) {
        const size_t end = std::min(text.find(':', start), text.size());
        if (end > start) directories.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

bool ends_with(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

} // namespace

std::vector<std::string> plugin_directories() {
    std::vector<std::string> directories;
    append_search_path(std::getenv("XEQHOST_PLUGIN_PATH"), directories);
    const fs::path program = program_directory();
    if (!program.empty()) {
        directories.push_back((program / ".." / "plugins").lexically_normal().string());
        directories.push_back((program / XEQHOST_INSTALLED_PLUGIN_DIR).lexically_normal().string());
    }
    return directories;
}

std::string plugin_path(const std::string& name_or_path) {
    if (name_or_path.empty() || name_or_path.find('/') != std::string::npos) return name_or_path;
    const std::string file = ends_with(name_or_path, kPluginSuffix) ? name_or_path : name_or_path + kPluginSuffix;
    for (const std::string& directory : plugin_directories()) {
        const fs::path candidate = fs::path(directory) / file;
        std::error_code error;
        if (fs::is_regular_file(candidate, error)) return candidate.string();
    }
    return name_or_path;
}

} // namespace xeqhost
