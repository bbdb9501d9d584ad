// Points the model directories ("mod_dirs") at the given directories for
// the length of a test.
#pragma once

#include <string>
#include <vector>

#include "kpllib.h"

class ModelDirectories {
public:
    explicit ModelDirectories(std::vector<std::string> directories) { set(directories); }
    ~ModelDirectories() { set({}); }
    ModelDirectories(const ModelDirectories&) = delete;
    ModelDirectories& operator=(const ModelDirectories&) = delete;

private:
    static void set(const std::vector<std::string>& directories) {
        QovT_Ll_Desc values;
        kpl_list_init(&values);
        for (const std::string& d : directories) kpl_list_insert(&values, const_cast<char*>(d.c_str()), -1);
        kpl_env_attr_value_set("mod_dirs", &values);
        kpl_list_free(&values);
    }
};
