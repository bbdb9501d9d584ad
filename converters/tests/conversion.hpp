// Converter plug-ins called the way the editor calls them: opened with
// dlopen, each converter found by its export name, run on small models.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model_fixture.hpp"
#include "plugin_loader.hpp"
#include "xeqed.h"

namespace conv_test {

using TwoObject = int (*)(XeqT_Obj_Handle, XeqT_Obj_Handle);
using SingleObject = int (*)(XeqT_Obj_Handle);

// A model of one node "top.r1" with the given attributes (JSON members).
inline std::string node_model(const char* name, const std::string& attrs) {
    return std::string(R"({"format": "xeq-model", "version": 1, "name": ")") + name +
           R"(", "objects": [{"name": "top.r1", "type": "node", "attributes": {"model": "rtr")" +
           (attrs.empty() ? "" : ", ") + attrs + "}}]}";
}

inline std::string text_of(XeqT_Obj_Handle obj, const std::string& path) {
    char buffer[512];
    return Xeq_Obj_Attr_Get(obj, path.c_str(), buffer) ? buffer : "<missing>";
}

inline std::string symbol_of(XeqT_Obj_Handle obj, const std::string& path) {
    char buffer[256];
    return Xeq_Obj_Attr_Symbol_Get(obj, path.c_str(), buffer) ? buffer : "<no symbol>";
}

inline std::vector<std::string> events() {
    std::vector<std::string> lines;
    for (int i = 0; i < Xeq_Host_Event_Count(); ++i) lines.emplace_back(Xeq_Host_Event_Get(i));
    return lines;
}

// The old and the converted model of one node each; the converted one is
// current, and messages are recorded only.
struct Conversion {
    Conversion(const xeqhost::Plugin& plugin, const std::string& old_attrs, const std::string& new_attrs)
        : plugin(plugin), old_model(node_model("old", old_attrs)), new_model(node_model("new", new_attrs)) {
        Xeq_Host_Model_Current_Set(new_model.model());
        Xeq_Host_Echo_Set(0);
        Xeq_Host_Events_Clear();
    }
    ~Conversion() { Xeq_Host_Echo_Set(1); }

    int run(const char* export_name) {
        return plugin.function<TwoObject>(export_name)(converted(), old());
    }
    XeqT_Obj_Handle old() const { return old_model.obj("top.r1"); }
    XeqT_Obj_Handle converted() const { return new_model.obj("top.r1"); }
    std::string text(const std::string& path) const { return text_of(converted(), path); }
    std::string symbol(const std::string& path) const { return symbol_of(converted(), path); }

    const xeqhost::Plugin& plugin;
    ModelFixture old_model;
    ModelFixture new_model;
};

// A text attribute that holds one of its declared symbols.
inline std::string symbolic(const std::string& value) {
    return R"({"type": "text", "value": ")" + value + R"(", "symbols": {")" + value + R"(": ")" +
           value + R"("}})";
}

} // namespace conv_test
