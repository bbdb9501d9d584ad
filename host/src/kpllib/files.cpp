// Model-directory files, directory listing and string splitting. Lists handed
// out hold kpl_mem_alloc'ed strings; the caller releases them with
// kpl_list_destroy(list, 1).
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "kpllib.h"

namespace {

using Names = std::vector<std::string>;

bool is_directory(const std::string& path) {
    struct stat status;
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool is_regular_file(const std::string& path) {
    struct stat status;
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

std::string join_path(const std::string& directory, std::string_view name) {
    std::string path = directory;
    if (!path.empty() && path.back() != '/') path += '/';
    path += name;
    return path;
}

// The "mod_dirs" preference, in order; empty when it is not set.
Names model_directories() {
    Names directories;
    QovT_Ll_Desc values;
    kpl_list_init(&values);
    if (kpl_env_attr_value_get(1, "mod_dirs", &values)) {
        while (kpl_list_size(&values) > 0) {
            auto* value = static_cast<char*>(kpl_list_remove(&values, KPLC_LISTPOS_HEAD));
            if (*value != '\0') directories.emplace_back(value);
            kpl_mem_free(value);
        }
    }
    kpl_list_free(&values);
    return directories;
}

// Entry names of a directory, "." and ".." left out; false when unreadable.
bool read_directory(const std::string& path, Names& names) {
    const std::unique_ptr<DIR, int (*)(DIR*)> directory(::opendir(path.c_str()), ::closedir);
    if (!directory) return false;
    while (const dirent* entry = ::readdir(directory.get())) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") names.emplace_back(name);
    }
    return true;
}

// A new list holding copies of names; null when memory runs out.
QovT_Ll_Desc* to_list(const Names& names) {
    QovT_Ll_Desc* list = kpl_list_create();
    if (list == nullptr) return nullptr;
    for (const std::string& name : names) {
        auto* copy = static_cast<char*>(kpl_mem_alloc(name.size() + 1));
        if (copy != nullptr) std::memcpy(copy, name.c_str(), name.size() + 1);
        if (copy == nullptr || !kpl_list_insert(list, copy, KPLC_LISTPOS_TAIL)) {
            kpl_mem_free(copy);
            kpl_list_destroy(list, 1);
            return nullptr;
        }
    }
    return list;
}

void sort_unique(Names& names) {
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
}

} // namespace

extern "C" {

const char* kpl_tfile_suffix(int file_type) {
    switch (file_type) {
    case KPLC_TFILE_MODEL: return "json";
    case KPLC_TFILE_ROUTING_EXPORT: return "atv.xml";
    case KPLC_TFILE_PROBE_MODEL: return "prb";
    default: return nullptr;
    }
}

int kpl_tfile_path_get(const char* name, int file_type, char* buffer, size_t size) {
    const char* suffix = kpl_tfile_suffix(file_type);
    if (name == nullptr || *name == '\0' || suffix == nullptr || buffer == nullptr || size == 0)
        return 0;
    buffer[0] = '\0';
    try {
        const std::string file_name = std::string(name) + '.' + suffix;
        for (const std::string& directory : model_directories()) {
            const std::string path = join_path(directory, file_name);
            if (!is_regular_file(path)) continue;
            if (path.size() >= size) return 0;
            std::memcpy(buffer, path.c_str(), path.size() + 1);
            return 1;
        }
    } catch (const std::bad_alloc&) {
    }
    return 0;
}

QovT_Ll_Desc* kpl_tfile_name_list_get(int file_type) {
    const char* type_suffix = kpl_tfile_suffix(file_type);
    if (type_suffix == nullptr) return nullptr;
    try {
        const std::string suffix = std::string(".") + type_suffix;
        Names found;
        for (const std::string& directory : model_directories()) {
            Names entries;
            if (!read_directory(directory, entries)) continue;
            for (const std::string& entry : entries)
                if (entry.size() > suffix.size() && entry.ends_with(suffix) &&
                    is_regular_file(join_path(directory, entry)))
                    found.push_back(entry.substr(0, entry.size() - suffix.size()));
        }
        sort_unique(found);
        return to_list(found);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

QovT_Ll_Desc* kpl_dir_contents(const char* path) {
    if (path == nullptr) return nullptr;
    try {
        Names entries;
        if (!read_directory(path, entries)) return nullptr;
        std::sort(entries.begin(), entries.end());
        return to_list(entries);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

int kpl_path_name_is_dir(const char* path) {
    return path != nullptr && *path != '\0' && is_directory(path) ? 1 : 0;
}

QovT_Ll_Desc* kpl_str_decomp(const char* text, const char* separators) {
    if (text == nullptr || separators == nullptr) return nullptr;
    try {
        Names pieces;
        const std::string_view rest = text;
        size_t start = rest.find_first_not_of(separators);
        while (start != std::string_view::npos) {
            const size_t end = rest.find_first_of(separators, start);
            pieces.emplace_back(rest.substr(start, end - start));
            start = end == std::string_view::npos ? end : rest.find_first_not_of(separators, end);
        }
        return to_list(pieces);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

} // extern "C"
