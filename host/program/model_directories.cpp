#include "model_directories.hpp"

#include <algorithm>

#include "kpllib.h"

namespace xeqhost {
namespace {
void set_model_directories(const std::vector<std::string>& dirs) {
    QovT_Ll_Desc values;
    kpl_list_init(&values);
    for (const std::string& dir : dirs) kpl_list_insert(&values, const_cast<char*>(dir.c_str()), KPLC_LISTPOS_TAIL);
    kpl_env_attr_value_set("mod_dirs", &values); // no values: the name goes away
    kpl_list_free(&values);
}
} // namespace

std::string directory_of(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

std::vector<std::string> model_directories() {
    std::vector<std::string> dirs;
    QovT_Ll_Desc values;
    kpl_list_init(&values);
    kpl_env_attr_value_get(1, "mod_dirs", &values);
    while (kpl_list_size(&values) > 0) {
        char* dir = static_cast<char*>(kpl_list_remove(&values, KPLC_LISTPOS_HEAD));
        dirs.emplace_back(dir);
        kpl_mem_free(dir);
    }
    kpl_list_free(&values);
    return dirs;
}

ModelDirectoryInUse::ModelDirectoryInUse(std::string directory, Place place)
    : directory_(std::move(directory)) {
    std::vector<std::string> dirs = model_directories();
    if (std::find(dirs.begin(), dirs.end(), directory_) != dirs.end()) return;
    dirs.insert(place == First ? dirs.begin() : dirs.end(), directory_);
    set_model_directories(dirs);
    added_ = true;
}

ModelDirectoryInUse::~ModelDirectoryInUse() {
    if (!added_) return;
    std::vector<std::string> dirs = model_directories();
    auto it = std::find(dirs.rbegin(), dirs.rend(), directory_);
    if (it == dirs.rend()) return;
    dirs.erase(std::next(it).base());
    set_model_directories(dirs);
}

} // namespace xeqhost
