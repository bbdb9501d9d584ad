// A model parsed from inline text and made current, closed at the end of
// the test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "xeq_host.h"

class ModelFixture {
public:
    explicit ModelFixture(const std::string& json) {
        char error[512] = "";
        model_ = Xeq_Host_Model_Parse(json.c_str(), "fixture", error, sizeof error);
        EXPECT_NE(model_, nullptr) << error;
        Xeq_Host_Model_Current_Set(model_);
    }
    ~ModelFixture() { Xeq_Host_Model_Close(model_); }
    ModelFixture(const ModelFixture&) = delete;
    ModelFixture& operator=(const ModelFixture&) = delete;

    XeqT_Model_Handle model() const { return model_; }
    XeqT_Obj_Handle obj(const char* hname) const {
        const XeqT_Obj_Handle handle = Xeq_Obj_From_Hname_Get(model_, hname);
        EXPECT_FALSE(Xeq_Obj_Invalid(handle)) << hname;
        return handle;
    }

private:
    XeqT_Model_Handle model_ = nullptr;
};

// The one-router model most attribute tests read.
inline const char* const kRouterModel = R"({
  "format": "xeq-model", "version": 1, "name": "paths",
  "objects": [
    {"name": "top.campus.r1", "type": "node", "attributes": {
      "model": "bgp_router",
      "BGP Parameters": [
        {"Start Time": 30.0, "Autonomous System Number": 100,
         "Community Lists": [{"Community list number": 10}, {"Community list number": 200}],
         "Route Map Configuration": []}
      ],
      "IP Routing Parameters": [{"Name": "r1-ip", "Interface Information": [
        {"Address": "10.0.0.1"}, {"Address": "10.0.1.1"}]}],
      "Redistribution": {"type": "integer", "value": 1, "symbols": {"Enabled": 1, "Disabled": 0}},
      "Shutdown": false,
      "Match Expression": "Not Used"
    }}
  ]})";
