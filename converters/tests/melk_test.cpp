// The frame relay PVC converters: PVC table rows become demands.
#include <cstdio>
#include <string>

#include "conversion.hpp"
#include "xeq_host.h"

namespace {

using conv_test::symbolic;
using conv_test::text_of;

const xeqhost::Plugin& melk() {
    static const xeqhost::Plugin plugin(MELK_PLUGIN);
    return plugin;
}

using PvcConversion = void (*)(XeqT_Model_Handle, XeqT_Obj_Handle);
using Install = void (*)(XeqT_Model_Handle, XeqT_Obj_Handle, XeqT_Obj_Handle, XeqT_Obj_Handle);

// FRADs top.fr1 to top.fr3 and top.hub holding the PVC table rows.
std::string pvc_model(const std::string& rows, const std::string& extra_objects = "") {
    return R"({"format": "xeq-model", "version": 1, "name": "fr", "objects": [
        {"name": "top.fr1", "type": "node"}, {"name": "top.fr2", "type": "node"},
        {"name": "top.fr3", "type": "node"},)" +
           extra_objects + R"(
        {"name": "top.hub", "type": "node", "attributes": {"PVC Configuration": [)" + rows + "]}}]}";
}

// Runs the PVC conversion on top.hub and gives what it printed.
std::string convert_pvcs(const ModelFixture& m) {
    testing::internal::CaptureStdout();
    melk().function<PvcConversion>("frelay_convert_pvc_config_to_demands")(m.model(), m.obj("top.hub"));
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

XeqT_Obj_Handle demand(const ModelFixture& m, int index) {
    return Xeq_Topo_Object_Get(m.model(), XEQC_OBJ_DEMAND, index);
}

std::pair<std::string, std::string> ends_of(XeqT_Obj_Handle d) {
    XeqT_Obj_Handle from = 0, to = 0;
    if (!Xeq_Host_Demand_Ends_Get(d, &from, &to)) return {"<none>", "<none>"};
    return {Xeq_Obj_Hname_Get(from, 0), Xeq_Obj_Hname_Get(to, 0)};
}

TEST(PvcTable, EveryResolvableRowBecomesADemand) {
    ModelFixture m(pvc_model(R"(
      {"Source FRAD": "top.fr1", "Destination FRAD": "top.fr2", "PVC Name": "pvc_a",
       "Contract Parameters": [{"CIR": 64000, "Bc": 8000.5, "Label": "gold", "Up": true}],
       "Characteristics": {"type": "compound", "symbols": {"Default": 1}, "rows": [{"Priority": 3}]},
       "Cloud Parameters": [{"Outgoing Packet Discard Ratio": [{"Ratio": 0.01}],
                             "Incoming Packet Discard Ratio": [],
                             "Outgoing Delay": -1.0, "Incoming Delay": -0.5}]},
      {"Source FRAD": "top.fr1", "Destination FRAD": "top.nowhere", "PVC Name": "lost"},
      {"Source FRAD": "top.fr2", "Destination FRAD": "top.fr3", "PVC Name": )" + symbolic("Not Used") + R"(,
       "Contract Parameters": [{"Burst": [{"Size": 5, "Unit": "bytes"}]}],
       "Cloud Parameters": {"type": "compound", "symbols": {"Default Cloud": 1},
                            "rows": [{"Outgoing Delay": 0.5}]}})"));
    const std::string before = conv_test::text_of(m.obj("top.hub"), "PVC Configuration.count");
    EXPECT_EQ(convert_pvcs(m), "Invalid Frame Relay demand destination\n");
    ASSERT_EQ(Xeq_Topo_Object_Count_Get(m.model(), XEQC_OBJ_DEMAND), 2);
    EXPECT_EQ(text_of(m.obj("top.hub"), "PVC Configuration.count"), before) << "the table stays";

    const XeqT_Obj_Handle a = demand(m, 0);
    EXPECT_STREQ(Xeq_Obj_Hname_Get(a, 0), "top.pvc_a");
    EXPECT_EQ(ends_of(a), std::make_pair(std::string("top.fr1"), std::string("top.fr2")));
    EXPECT_EQ(text_of(a, "model"), "fr_pvc");
    EXPECT_EQ(text_of(a, "Contract Parameters [0].CIR"), "64000");
    EXPECT_EQ(text_of(a, "Contract Parameters [0].Bc"), "8000.5");
    EXPECT_EQ(text_of(a, "Contract Parameters [0].Label"), "gold");
    EXPECT_EQ(text_of(a, "Contract Parameters [0].Up"), "<missing>") << "toggles are not copied";
    EXPECT_EQ(text_of(a, "Characteristics"), "Default") << "the symbol wins over the rows";
    EXPECT_EQ(text_of(a, "Characteristics [0].Priority"), "<missing>");
    EXPECT_EQ(text_of(a, "Cloud Parameters [0].Outgoing Packet Discard Ratio [0].Ratio"), "0.01");
    EXPECT_EQ(text_of(a, "Cloud Parameters [0].Incoming Packet Discard Ratio.count"), "0");
    EXPECT_EQ(text_of(a, "Cloud Parameters [0].Outgoing Delay"), "Cloud Based");
    EXPECT_EQ(text_of(a, "Cloud Parameters [0].Incoming Delay"), "constant (-0.500000)");

    const XeqT_Obj_Handle c = demand(m, 1);
    EXPECT_EQ(ends_of(c), std::make_pair(std::string("top.fr2"), std::string("top.fr3")));
    EXPECT_STREQ(Xeq_Obj_Hname_Get(c, 0), "top.object_2") << "\"Not Used\" names nothing";
    EXPECT_EQ(text_of(c, "Contract Parameters [0].Burst [0].Size"), "5");
    EXPECT_EQ(text_of(c, "Contract Parameters [0].Burst [0].Unit"), "bytes");
    EXPECT_EQ(text_of(c, "Cloud Parameters"), "Default Cloud");
    EXPECT_EQ(text_of(c, "Cloud Parameters [0].Outgoing Delay"), "<missing>") << "no delay conversion";
}

TEST(PvcTable, UnresolvableAndOverLongNamesAreRefused) {
    const std::string long_node = "top." + std::string(251, 'f'); // 255 characters
    ModelFixture m(pvc_model(R"(
      {"Source FRAD": ")" + long_node + R"(x", "Destination FRAD": "top.fr2"},
      {"Source FRAD": "top.fr1"},
      {"Source FRAD": "top.fr1", "Destination FRAD": "top.fr1", "PVC Name": "loop"},
      {"Source FRAD": "top.fr1", "Destination FRAD": ")" + long_node + R"(",
       "PVC Name": ")" + std::string(130, 'n') + R"("},
      {"Source FRAD": "top.fr3", "Destination FRAD": "top.fr2", "PVC Name": "Not Used"})",
                             R"({"name": ")" + long_node + R"(", "type": "node"},)"));
    EXPECT_EQ(convert_pvcs(m),
              "Invalid Frame Relay demand source\n"      // cut, it would name another node
              "Invalid Frame Relay demand destination\n" // no destination at all
              "Demand handle is invalid \n");            // a demand from a node to itself
    ASSERT_EQ(Xeq_Topo_Object_Count_Get(m.model(), XEQC_OBJ_DEMAND), 2);
    EXPECT_EQ(ends_of(demand(m, 0)).second, long_node) << "a name of 255 characters fits";
    EXPECT_EQ(text_of(demand(m, 0), "name"), "<missing>") << "a PVC name beyond 127 is not cut";
    EXPECT_EQ(text_of(demand(m, 1), "name"), "<missing>") << "a plain \"Not Used\" too";
}

TEST(PvcTable, NothingToConvert) {
    for (const char* attrs : {"", R"("PVC Configuration": 5)"}) {
        ModelFixture m(R"({"format": "xeq-model", "version": 1, "name": "fr", "objects": [
            {"name": "top.hub", "type": "node", "attributes": {)" + std::string(attrs) + "}}]}");
        EXPECT_EQ(convert_pvcs(m), "") << attrs;
        EXPECT_EQ(Xeq_Topo_Object_Count_Get(m.model(), XEQC_OBJ_DEMAND), 0);
    }
}

TEST(PvcDemand, InstallOutsideTheCurrentModelReportsAnInvalidHandle) {
    ModelFixture m(pvc_model(R"({"Source FRAD": "top.fr1", "Destination FRAD": "top.fr2"})"));
    ModelFixture other(pvc_model(""));
    Xeq_Host_Model_Current_Set(other.model());
    testing::internal::CaptureStdout();
    XeqT_Obj_Handle row = 0;
    ASSERT_EQ(Xeq_Obj_Attr_Get(m.obj("top.hub"), "PVC Configuration [0]", &row), 1);
    melk().function<Install>("frelay_install_pvc_demand")(m.model(), m.obj("top.fr1"), m.obj("top.fr2"), row);
    std::fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Demand handle is invalid \n");
    EXPECT_EQ(Xeq_Topo_Object_Count_Get(other.model(), XEQC_OBJ_DEMAND), 0) << "no stray demand";
    EXPECT_EQ(Xeq_Topo_Object_Count_Get(m.model(), XEQC_OBJ_DEMAND), 0);
}

TEST(CloudDelays, BecomeCloudBasedOrConstants) {
    struct Case {
        const char* old_delay;
        const char* after;
    };
    const Case cases[] = {
        {"-1.0", "Cloud Based"},
        {"0.05", "constant (0.050000)"},
        {"-0.5", "constant (-0.500000)"},
        {"0", "constant (0.000000)"},
        {"1e300", "unchanged"}, // its text would not fit 64 characters
        {R"("fast")", "unchanged"},
    };
    const std::string delay = R"({"type": "text", "value": "unchanged", "symbols": {"Cloud Based": "Cloud Based"}})";
    for (const Case& c : cases) {
        conv_test::Conversion conversion(
            melk(), std::string(R"("Cloud Parameters": [{"Outgoing Delay": )") + c.old_delay + "}]",
            R"("Cloud Parameters": [{"Outgoing Delay": )" + delay + R"j(, "Incoming Delay": "constant (1)"}])j");
        EXPECT_EQ(conversion.run("frelay_pvc_demand_cloud_delay_convert_91pl0_to_91pl1"), 1);
        EXPECT_EQ(conversion.text("Cloud Parameters [0].Outgoing Delay"), c.after) << c.old_delay;
        EXPECT_EQ(conversion.text("Cloud Parameters [0].Incoming Delay"), "constant (1)")
            << "a delay the old object lacks stays";
    }
    conv_test::Conversion no_cloud(melk(), R"("Cloud Parameters": [{"Outgoing Delay": -1.0}])", "");
    EXPECT_EQ(no_cloud.run("frelay_pvc_demand_cloud_delay_convert_91pl0_to_91pl1"), 1);
    EXPECT_EQ(no_cloud.text("Cloud Parameters [0].Outgoing Delay"), "<missing>");
}

} // namespace
