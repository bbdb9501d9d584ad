// What the tool plug-in tests share: a scratch directory per test, files
// read back whole, and the "mod_dirs" preference set and read as a list.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "kpllib.h"

namespace tools_test {

namespace fs = std::filesystem;

// A fresh directory, removed with everything in it at the end of the test.
class ScratchDirectory {
public:
    ScratchDirectory() {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = fs::temp_directory_path() /
                (std::string("tools-") + test->test_suite_name() + "-" + test->name() + "-" +
                 std::to_string(::getpid()));
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~ScratchDirectory() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const fs::path& path() const { return path_; }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
    fs::path path_;
};

inline std::string file_text(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void set_model_directories(const std::vector<std::string>& directories) {
    QovT_Ll_Desc values;
    kpl_list_init(&values);
    for (const std::string& d : directories) kpl_list_insert(&values, const_cast<char*>(d.c_str()), -1);
    kpl_env_attr_value_set("mod_dirs", &values);
    kpl_list_free(&values);
}

inline std::vector<std::string> model_directories() {
    std::vector<std::string> directories;
    QovT_Ll_Desc values;
    kpl_list_init(&values);
    kpl_env_attr_value_get(1, "mod_dirs", &values);
    while (kpl_list_size(&values) > 0) {
        auto* value = static_cast<char*>(kpl_list_remove(&values, KPLC_LISTPOS_HEAD));
        directories.emplace_back(value);
        kpl_mem_free(value);
    }
    kpl_list_free(&values);
    return directories;
}

// Every piece appears in the transcript, in this order.
inline void expect_in_order(const std::string& transcript, const std::vector<std::string>& pieces) {
    size_t at = 0;
    for (const std::string& piece : pieces) {
        const size_t found = transcript.find(piece, at);
        ASSERT_NE(found, std::string::npos) << "missing, in order: " << piece << "\n--- transcript:\n"
                                            << transcript;
        at = found + piece.size();
    }
}

} // namespace tools_test
