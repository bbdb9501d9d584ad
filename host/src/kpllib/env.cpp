// Environment preferences: named lists of texts, kept in the process and
// stored in a preferences file of "name: value" lines. A name with several
// values has one line per value, in order.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "kpllib.h"

namespace {

using Values = std::vector<std::string>;
using Preferences = std::map<std::string, Values, std::less<>>;

Preferences& preferences() {
    static Preferences all;
    return all;
}

constexpr std::string_view kBlanks = " \t\r";

std::string_view trim(std::string_view text) {
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool has_line_break(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

// Names and values that would not read back the same from the file are
// refused when set, so a save followed by a load never changes a preference.
bool storable_name(std::string_view name) {
    return !name.empty() && trim(name) == name && name.front() != '#' &&
           name.find(':') == std::string_view::npos && !has_line_break(name);
}

bool storable_value(std::string_view value) { return trim(value) == value && !has_line_break(value); }

char* copy_text(const std::string& text) {
    auto* copy = static_cast<char*>(kpl_mem_alloc(text.size() + 1));
    if (copy != nullptr) std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

// Parses a whole preferences file; false (with a message naming the line)
// for a line that is neither blank, a comment nor "name: value".
bool parse_file(const char* path, std::istream& in, Preferences& parsed) {
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const std::string_view text = trim(line);
        if (text.empty() || text.front() == '#') continue;
        const size_t colon = text.find(':');
        const std::string_view name = colon == std::string_view::npos ? text : trim(text.substr(0, colon));
        if (colon == std::string_view::npos || !storable_name(name)) {
            std::fprintf(stderr, "%s:%d: expected \"name: value\"\n", path, number);
            return false;
        }
        parsed[std::string(name)].emplace_back(trim(text.substr(colon + 1)));
    }
    if (in.bad()) {
        std::fprintf(stderr, "%s: read error\n", path);
        return false;
    }
    return true;
}

} // namespace

extern "C" {

int kpl_env_attr_value_get(int scope, const char* name, QovT_Ll_Desc* values) {
    if (scope != 1 || name == nullptr || values == nullptr) return 0;
    const auto found = preferences().find(std::string_view(name));
    if (found == preferences().end()) return 0;
    // Copy everything first so that a failure leaves the caller's list as it was.
    std::vector<char*> copies;
    try {
        copies.reserve(found->second.size());
    } catch (const std::bad_alloc&) {
        return 0;
    }
    for (const std::string& value : found->second) {
        char* copy = copy_text(value);
        if (copy == nullptr) {
            for (char* made : copies) kpl_mem_free(made);
            return 0;
        }
        copies.push_back(copy);
    }
    for (size_t i = 0; i < copies.size(); ++i) {
        if (!kpl_list_insert(values, copies[i], KPLC_LISTPOS_TAIL)) {
            for (size_t j = i; j < copies.size(); ++j) kpl_mem_free(copies[j]);
            for (size_t j = 0; j < i; ++j) kpl_list_remove(values, KPLC_LISTPOS_TAIL);
            for (size_t j = 0; j < i; ++j) kpl_mem_free(copies[j]);
            return 0;
        }
    }
    return 1;
}

int kpl_env_attr_value_set(const char* name, const QovT_Ll_Desc* values) {
    if (name == nullptr || values == nullptr || !storable_name(name)) return 0;
    try {
        Values copies;
        for (int i = 0; i < kpl_list_size(values); ++i) {
            const auto* value = static_cast<const char*>(kpl_list_access(values, i));
            if (value == nullptr || !storable_value(value)) return 0;
            copies.emplace_back(value);
        }
        preferences()[name] = std::move(copies);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return 1;
}

int kpl_env_load(const char* path) {
    if (path == nullptr) return 0;
    try {
        std::ifstream in(path);
        if (!in) {
            std::fprintf(stderr, "%s: cannot read the preferences file: %s\n", path, std::strerror(errno));
            return 0;
        }
        Preferences parsed;
        if (!parse_file(path, in, parsed)) return 0;
        for (auto& [name, values] : parsed) preferences()[name] = std::move(values);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return 1;
}

int kpl_env_save(const char* path) {
    if (path == nullptr) return 0;
    // Written beside the target and renamed over it, so a failed save leaves
    // the previous file whole.
    const std::string temporary = std::string(path) + ".tmp";
    FILE* out = std::fopen(temporary.c_str(), "w");
    if (out == nullptr) {
        std::fprintf(stderr, "%s: cannot write the preferences file: %s\n", path, std::strerror(errno));
        return 0;
    }
    bool written = true;
    for (const auto& [name, values] : preferences())
        for (const std::string& value : values)
            written = written && std::fprintf(out, "%s: %s\n", name.c_str(), value.c_str()) >= 0;
    written = std::fclose(out) == 0 && written;
    if (!written || std::rename(temporary.c_str(), path) != 0) {
        std::fprintf(stderr, "%s: cannot write the preferences file: %s\n", path, std::strerror(errno));
        std::remove(temporary.c_str());
        return 0;
    }
    return 1;
}

} // extern "C"
