// The BGP converters, called the way the editor calls them: the plug-in is
// opened with dlopen and each converter found by its export name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model_fixture.hpp"
#include "plugin_loader.hpp"
#include "xeqed.h"

namespace {

using TwoObject = int (*)(XeqT_Obj_Handle, XeqT_Obj_Handle);
using SingleObject = int (*)(XeqT_Obj_Handle);

const xeqhost::Plugin& sarv() {
    static const xeqhost::Plugin plugin(SARV_PLUGIN);
    return plugin;
}

// An old and a new model of one node each, "top.r1".
struct Conversion {
    Conversion(const std::string& old_attrs, const std::string& new_attrs)
        : old_model(model("old", old_attrs)), new_model(model("new", new_attrs)) {
        Xeq_Host_Model_Current_Set(new_model.model());
        Xeq_Host_Echo_Set(0);
        Xeq_Host_Events_Clear();
    }
    ~Conversion() { Xeq_Host_Echo_Set(1); }

    static std::string model(const char* name, const std::string& attrs) {
        return std::string(R"({"format": "xeq-model", "version": 1, "name": ")") + name +
               R"(", "objects": [{"name": "top.r1", "type": "node", "attributes": {"model": "bgp_rtr")" +
               (attrs.empty() ? "" : ", ") + attrs + "}}]}";
    }

    int run(const char* export_name) {
        return sarv().function<TwoObject>(export_name)(new_obj(), old_obj());
    }
    XeqT_Obj_Handle old_obj() const { return old_model.obj("top.r1"); }
    XeqT_Obj_Handle new_obj() const { return new_model.obj("top.r1"); }

    std::string text(const char* path) const {
        char buffer[256];
        return Xeq_Obj_Attr_Get(new_obj(), path, buffer) ? buffer : "<missing>";
    }
    std::string symbol(const char* path) const {
        char buffer[256];
        return Xeq_Obj_Attr_Symbol_Get(new_obj(), path, buffer) ? buffer : "<missing>";
    }

    ModelFixture old_model;
    ModelFixture new_model;
};

std::vector<std::string> events() {
    std::vector<std::string> lines;
    for (int i = 0; i < Xeq_Host_Event_Count(); ++i) lines.emplace_back(Xeq_Host_Event_Get(i));
    return lines;
}

// ---- bgp_params_convert_70_to_80 ---------------------------------------------

const char* const kNew80 =
    R"j("BGP Parameters": [{"Start Time": "constant (10)", "Timers": [{"Hold Timer": 180, "Connect Retry Timer": 120}]}],
       "IP Routing Parameters": [{"Autonomous System Number": 0}])j";

TEST(BgpParams70To80, StartTimeBecomesADistributionAndTimersMove) {
    Conversion c(R"("BGP Parameters": [{"Start Time": 30.0, "Autonomous System Number": 65001,
                                       "Hold Timer Value": 90}])",
                 kNew80);
    EXPECT_EQ(c.run("bgp_params_convert_70_to_80"), 1);
    EXPECT_EQ(c.text("BGP Parameters [0].Start Time"), "constant (30.00)");
    EXPECT_EQ(c.text("IP Routing Parameters[0].Autonomous System Number"), "65001");
    EXPECT_EQ(c.text("BGP Parameters [0].Timers.Hold Timer"), "90");
    EXPECT_EQ(c.text("BGP Parameters [0].Timers.Connect Retry Timer"), "120")
        << "an old attribute that is missing is not copied";
    EXPECT_TRUE(events().empty());
}

TEST(BgpParams70To80, MissingStartTimeGivesTheDefault) {
    Conversion c(R"("BGP Parameters": [{"Autonomous System Number": 7}])", kNew80);
    EXPECT_EQ(c.run("bgp_params_convert_70_to_80"), 1);
    EXPECT_EQ(c.text("BGP Parameters [0].Start Time"), "constant (50)");
}

TEST(BgpParams70To80, UnreadableStartTimeWritesNothingButTheRestRuns) {
    Conversion c(R"("BGP Parameters": [{"Start Time": "soon", "Autonomous System Number": 7}])", kNew80);
    EXPECT_EQ(c.run("bgp_params_convert_70_to_80"), 1);
    EXPECT_EQ(c.text("BGP Parameters [0].Start Time"), "constant (10)");
    EXPECT_EQ(c.text("IP Routing Parameters[0].Autonomous System Number"), "7");
}

TEST(BgpParams70To80, WarnsWhenEitherSideHasNoBgp) {
    for (const bool old_has_bgp : {true, false}) {
        Conversion c(old_has_bgp ? R"("BGP Parameters": [{"Start Time": 30.0}])" : "",
                     old_has_bgp ? "" : kNew80);
        EXPECT_EQ(c.run("bgp_params_convert_70_to_80"), 1);
        EXPECT_EQ(events(), std::vector<std::string>{
                                "warning: Object (r1, bgp_rtr) no longer has BGP attributes."});
        if (!old_has_bgp) {
            EXPECT_EQ(c.text("BGP Parameters [0].Start Time"), "constant (10)");
        }
    }
}

// ---- bgp_params_convert_80nov01_to_80jan02 --------------------------------------

TEST(BgpRouteMaps, CommunityListNumbersBecomeTextsAndNoMapsLeavesMapsAlone) {
    Conversion c(R"("BGP Parameters": [{"Community Lists": [{"Community list number": 10},
                                                           {"Community list number": 200}]}])",
                 R"("BGP Parameters": [{"Community Lists": [{"Community list number": ""},
                                                           {"Community list number": ""}]}],
                    "IP Routing Parameters": [{"Route Map Configuration": [{"Map Label": "keep"}]}])");
    EXPECT_EQ(c.run("bgp_params_convert_80nov01_to_80jan02"), 1);
    EXPECT_EQ(c.text("BGP Parameters [0].Community Lists [0].Community list number"), "10");
    EXPECT_EQ(c.text("BGP Parameters [0].Community Lists [1].Community list number"), "200");
    EXPECT_EQ(c.text("IP Routing Parameters.Route Map Configuration.count"), "1");
    EXPECT_EQ(c.text("IP Routing Parameters.Route Map Configuration [0].Map Label"), "keep");
}

TEST(BgpRouteMaps, SingleTermMapsBecomeOneTermEach) {
    Conversion c(R"("BGP Parameters": [{"Route Map Configuration": [
                      {"Label": "m1", "Permit/Deny": "Deny", "Match Property": "AS Path",
                       "Match Condition": "Equals", "Match Value": "100",
                       "Set Attribute": "Degree Of Preference", "Set Value": "5"}]}])",
                 R"("IP Routing Parameters": [{"Route Map Configuration": []}])");
    EXPECT_EQ(c.run("bgp_params_convert_80nov01_to_80jan02"), 1);
    const char* base = "IP Routing Parameters.Route Map Configuration [0].";
    const auto at = [&](const char* field) { return c.text((std::string(base) + field).c_str()); };
    EXPECT_EQ(at("Map Label"), "m1");
    EXPECT_EQ(at("Map Configuration.count"), "1");
    EXPECT_EQ(at("Map Configuration [0].Action"), "Deny");
    EXPECT_EQ(at("Map Configuration [0].Match Info [0].Match Property"), "AS Path");
    EXPECT_EQ(at("Map Configuration [0].Match Info [0].Match Condition"), "Equals");
    EXPECT_EQ(at("Map Configuration [0].Match Info [0].Match Value"), "100");
    EXPECT_EQ(at("Map Configuration [0].Set Info [0].Set Attribute"), "Degree Of Preference")
        << "the single-term layout copies the set attribute unchanged";
    EXPECT_EQ(at("Map Configuration [0].Set Info [0].Set Value"), "5");
    EXPECT_EQ(at("Next Map Label"), "<missing>");
    EXPECT_EQ(at("Map Configuration [0].Set Info [0].Set Operation"), "<missing>");
}

const char* const kMultiTermOld = R"("BGP Parameters": [{"Route Map Configuration": [
    {"Label": "empty", "Next Label": "", "Match Info": [], "Set Info": []},
    {"Label": "full", "Next Label": "empty", "Permit/Deny/Default": {"type": "text", "value": "Default",
                                                                  "symbols": {"Permit": "Permit", "Default": "Default"}},
     "Match Info": [{"Match Property": "Community", "Match Condition": "Contains", "Match Value": "65000:1"}],
     "Set Info": [{"Set Attribute": {"type": "text", "value": "Degree Of Preference",
                                    "symbols": {"Degree Of Preference": "Degree Of Preference"}},
                   "Set Operation": "Set", "Set Value": "200"},
                  {"Set Attribute": "MED", "Set Operation": "Add", "Set Value": "10"}]},
    {"Label": "permit", "Next Label": "", "Permit/Deny/Default": "Permit", "Match Info": [], "Set Info": []}
  ]}])";

TEST(BgpRouteMaps, MultiTermMapsMoveWithTheirClauses) {
    Conversion c(kMultiTermOld, R"("IP Routing Parameters": [{"Route Map Configuration": []}])");
    EXPECT_EQ(c.run("bgp_params_convert_80nov01_to_80jan02"), 1);
    const auto at = [&](int map, const char* field) {
        return c.text(("IP Routing Parameters.Route Map Configuration [" + std::to_string(map) +
                       "]." + field).c_str());
    };
    EXPECT_EQ(c.text("IP Routing Parameters.Route Map Configuration.count"), "3");
    // Match and set "None" without an action: no terms at all.
    EXPECT_EQ(at(0, "Map Label"), "empty");
    EXPECT_EQ(c.symbol("IP Routing Parameters.Route Map Configuration [0].Map Configuration"), "None");
    // Default becomes Next Term; Degree Of Preference becomes Weight.
    EXPECT_EQ(at(1, "Next Map Label"), "empty");
    EXPECT_EQ(at(1, "Map Configuration.count"), "1");
    EXPECT_EQ(at(1, "Map Configuration [0].Action"), "Next Term");
    EXPECT_EQ(at(1, "Map Configuration [0].Match Info.count"), "1");
    EXPECT_EQ(at(1, "Map Configuration [0].Match Info [0].Match Value"), "65000:1");
    EXPECT_EQ(at(1, "Map Configuration [0].Set Info.count"), "2");
    EXPECT_EQ(at(1, "Map Configuration [0].Set Info [0].Set Attribute"), "Weight");
    EXPECT_EQ(at(1, "Map Configuration [0].Set Info [0].Set Operation"), "Set");
    EXPECT_EQ(at(1, "Map Configuration [0].Set Info [0].Set Value"), "200");
    EXPECT_EQ(at(1, "Map Configuration [0].Set Info [1].Set Attribute"), "MED");
    // An action with "None" clauses: one term whose clauses are "None". The
    // old action is a plain text, no symbol: it is carried over as it is.
    EXPECT_EQ(at(2, "Map Configuration [0].Action"), "Permit");
    EXPECT_EQ(c.symbol("IP Routing Parameters.Route Map Configuration [2].Map Configuration [0].Match Info"),
              "None");
    EXPECT_EQ(c.symbol("IP Routing Parameters.Route Map Configuration [2].Map Configuration [0].Set Info"),
              "None");
}

// ---- bgp_as_pathlist_81_to_90_convert -------------------------------------------

std::string as_path_entries(const std::string& entries) {
    return R"("BGP Parameters": [{"AS Path Lists": [{"AS Path Configuration": [)" + entries + "]}]}]";
}

TEST(BgpAsPathList, EntriesGetMatchExpressions) {
    Conversion c(as_path_entries(R"({"AS Path": -1, "Match Condition": 3},
                                    {"AS Path": 700, "Match Condition": 2},
                                    {"AS Path": 700, "Match Condition": 1},
                                    {"AS Path": 700, "Match Condition": 3},
                                    {"AS Path": 700, "Match Condition": 0},
                                    {"AS Path": 800, "Match Condition": 1})"),
                 as_path_entries(R"({"Match Expression": {"type": "text", "value": "Not Used", "symbols": {"Not Used": "Not Used"}}}, {"Match Expression": {"type": "text", "value": "Not Used", "symbols": {"Not Used": "Not Used"}}},
                                    {"Match Expression": {"type": "text", "value": "Not Used", "symbols": {"Not Used": "Not Used"}}}, {"Match Expression": {"type": "text", "value": "Not Used", "symbols": {"Not Used": "Not Used"}}},
                                    {"Match Expression": {"type": "text", "value": "Not Used", "symbols": {"Not Used": "Not Used"}}}, {"Match Expression": "_9_"})"));
    EXPECT_EQ(c.run("bgp_as_pathlist_81_to_90_convert"), 1);
    const std::vector<std::string> expected = {".*", "^700_", "_700_", "_700$", "Not Used", "_9_"};
    for (size_t j = 0; j < expected.size(); ++j)
        EXPECT_EQ(c.text(("BGP Parameters [0].AS Path Lists [0].AS Path Configuration [" +
                          std::to_string(j) + "].Match Expression").c_str()),
                  expected[j])
            << "entry " << j;
}

TEST(BgpAsPathList, StopsAtTheFirstEntryMissingAnAttribute) {
    struct Case {
        const char* old_entries;
        const char* new_entries;
    };
    const Case cases[] = {
        {R"({"AS Path": 1, "Match Condition": 1}, {"AS Path": 2, "Match Condition": 1})",
         R"({"Match Expression": {"type": "text", "value": "Not Used", "symbols": {"Not Used": "Not Used"}}}, {"Other": 0})"},
        {R"({"AS Path": 1, "Match Condition": 1}, {"Match Condition": 1})",
         R"({"Match Expression": {"type": "text", "value": "Not Used", "symbols": {"Not Used": "Not Used"}}}, {"Match Expression": {"type": "text", "value": "Not Used", "symbols": {"Not Used": "Not Used"}}})"},
        {R"({"AS Path": 1, "Match Condition": 1}, {"AS Path": 2})",
         R"({"Match Expression": {"type": "text", "value": "Not Used", "symbols": {"Not Used": "Not Used"}}}, {"Match Expression": {"type": "text", "value": "Not Used", "symbols": {"Not Used": "Not Used"}}})"},
    };
    for (const Case& k : cases) {
        Conversion c(as_path_entries(k.old_entries), as_path_entries(k.new_entries));
        EXPECT_EQ(c.run("bgp_as_pathlist_81_to_90_convert"), 0) << k.old_entries;
        EXPECT_EQ(c.text("BGP Parameters [0].AS Path Lists [0].AS Path Configuration [0].Match Expression"),
                  "_1_")
            << "entries before the failure keep their new values";
    }
}

TEST(BgpAsPathList, NothingToConvert) {
    Conversion no_bgp("", as_path_entries(R"({"Match Expression": {"type": "text", "value": "Not Used", "symbols": {"Not Used": "Not Used"}}})"));
    EXPECT_EQ(no_bgp.run("bgp_as_pathlist_81_to_90_convert"), 1);
    Conversion no_lists(R"("BGP Parameters": [{}])", "");
    EXPECT_EQ(no_lists.run("bgp_as_pathlist_81_to_90_convert"), 1);
}

// ---- bgp_redist_params_for_91_convert ---------------------------------------------

std::string redistribution(int eigrp_on, int eigrp_as, int ospf_on, int igrp_on) {
    const auto proto = [](const char* name, int on, const std::string& fields) {
        return std::string("\"") + name + R"(": [{"Redistribution": )" + std::to_string(on) +
               fields + "}]";
    };
    return R"("EIGRP Parameters": [{"AS Parameters": [{"AS Number": 55}]}],
              "BGP Parameters": [{"Redistribution": [{"Routing Protocols": [{)" +
           proto("EIGRP", eigrp_on, R"(, "AS Number": )" + std::to_string(eigrp_as)) + ", " +
           proto("OSPF", ospf_on, R"(, "Process Tag": 0)") + ", " +
           proto("IGRP", igrp_on, R"(, "AS Number": 0)") + "}]}]}]";
}

TEST(BgpRedistribution, EnabledProtocolsGetUsableNumbers) {
    struct Case {
        int eigrp_on, eigrp_as, ospf_on, igrp_on;
        const char *eigrp_after, *ospf_after, *igrp_after;
    };
    const Case cases[] = {
        {1, 0, 1, 1, "55", "1", "1"},
        {1, 7, 1, 1, "7", "1", "1"},
        {0, 0, 0, 0, "0", "0", "0"},
        {2, 0, 2, 2, "0", "0", "0"}, // only 1 means enabled
    };
    const char* base = "BGP Parameters [0].Redistribution [0].Routing Protocols [0].";
    for (const Case& k : cases) {
        ModelFixture m(Conversion::model("m", redistribution(k.eigrp_on, k.eigrp_as, k.ospf_on, k.igrp_on)));
        const XeqT_Obj_Handle r1 = m.obj("top.r1");
        EXPECT_EQ(sarv().function<SingleObject>("bgp_redist_params_for_91_convert")(r1), 1);
        const auto at = [&](const char* field) {
            char text[32] = "";
            Xeq_Obj_Attr_Get(r1, (std::string(base) + field).c_str(), text);
            return std::string(text);
        };
        EXPECT_EQ(at("EIGRP [0].AS Number"), k.eigrp_after);
        EXPECT_EQ(at("OSPF [0].Process Tag"), k.ospf_after);
        EXPECT_EQ(at("IGRP [0].AS Number"), k.igrp_after);
    }
}

TEST(BgpRedistribution, ObjectWithoutBgpIsDone) {
    ModelFixture m(Conversion::model("m", ""));
    EXPECT_EQ(sarv().function<SingleObject>("bgp_redist_params_for_91_convert")(m.obj("top.r1")), 1);
}

TEST(SarvPlugin, UnknownExportIsAClearError) {
    try {
        sarv().export_named("bgp_params_convert_60_to_70");
        FAIL() << "expected an error";
    } catch (const xeqhost::HostError& e) {
        EXPECT_NE(std::string(e.what()).find("has no export 'bgp_params_convert_60_to_70'"),
                  std::string::npos);
    }
}

} // namespace
