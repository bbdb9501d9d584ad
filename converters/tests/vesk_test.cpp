// The IS-IS converters.
#include <string>

#include "conversion.hpp"
#include "xeq_host.h"

namespace {

const xeqhost::Plugin& vesk() {
    static const xeqhost::Plugin plugin(VESK_PLUGIN);
    return plugin;
}

const char* const kProcess = "IS-IS Parameters [0].Processes [0].Process Parameters [0].";

std::string old_isis(const std::string& wide_metrics) {
    return R"("IS-IS Parameters": [{"Interface Information": [{"Circuit Type": 1}, {"Circuit Type": 2}],
        "System ID": "0000.0001", "Wide Metrics": )" + wide_metrics + R"(,
        "Routing Table Interval": [{"Level-1": 5, "Level-2": 10}]}])";
}

std::string new_isis() {
    const std::string circuit = R"({"type": "text", "value": "Level-1-2", "symbols":
        {"Level-1-only": "Level-1-only", "Level-2-only": "Level-2-only", "Level-1-2": "Level-1-2"}})";
    return R"("IS-IS Parameters": [{"Interface Information": [{"Circuit Type": )" + circuit +
           R"(}, {"Circuit Type": )" + circuit + R"(}],
        "Processes": [{"Process Parameters": [{
          "Metric Style": {"type": "compound", "symbols": {"Narrow": 1, "Wide": 2},
                           "rows": [{"Level 1": "Transition", "Level 2": "Transition"}]},
          "SPF Calculation Parameters": [{"Level-1": [{"Minimum Interval": 1}],
                                          "Level-2": [{"Minimum Interval": 1}]}],
          "Hello Multiplier": 3}]}]}])";
}

TEST(IsisParams, MovesUnderTheProcessAndKeepsTheNewFields) {
    conv_test::Conversion c(
        vesk(), old_isis(R"({"type": "compound", "symbols": {"Disabled": 0, "Enabled": 2, "Per Level": 1},
                             "rows": [{"Level 1": 1}]})"),
        new_isis());
    EXPECT_EQ(c.run("isis_params_convert_80_to_81"), 1);
    EXPECT_EQ(c.symbol("IS-IS Parameters [0].Interface Information [0].Circuit Type"), "Level-1-only");
    EXPECT_EQ(c.symbol("IS-IS Parameters [0].Interface Information [1].Circuit Type"), "Level-1-2")
        << "circuit type 2 leaves the new value";
    const std::string p = kProcess;
    EXPECT_EQ(c.text(p + "System ID"), "0000.0001") << "the old values";
    EXPECT_EQ(c.text(p + "Hello Multiplier"), "3") << "and the new layout's own fields";
    EXPECT_EQ(c.text(p + "Metric Style [0].Level 1"), "Wide");
    EXPECT_EQ(c.text(p + "Metric Style [0].Level 2"), "Wide") << "both levels follow the old level 1";
    EXPECT_EQ(c.text(p + "SPF Calculation Parameters [0].Level-1 [0].Minimum Interval"), "5");
    EXPECT_EQ(c.text(p + "SPF Calculation Parameters [0].Level-2 [0].Minimum Interval"), "10");
}

TEST(IsisParams, MetricStyleFollowsTheOldWideMetrics) {
    struct Case {
        const char* wide_metrics;
        const char* style, *level1, *level2;
    };
    const Case cases[] = {
        {R"({"type": "compound", "symbols": {"Enabled": 2}, "rows": [{}, {}]})", "Wide", "Transition", "Transition"},
        {R"({"type": "compound", "symbols": {"Disabled": 0}, "rows": []})", "Narrow", "Transition", "Transition"},
        {R"({"type": "compound", "symbols": {"Per Level": 1}, "rows": [{"Level 1": 0}]})", "Narrow",
         "Narrow", "Narrow"},
        // No symbol held: the metric style is not touched.
        {R"({"type": "compound", "symbols": {"Enabled": 5}, "rows": [{"Level 1": 1}]})", "Narrow",
         "Transition", "Transition"},
    };
    const std::string p = kProcess;
    for (const Case& k : cases) {
        conv_test::Conversion c(vesk(), old_isis(k.wide_metrics), new_isis());
        EXPECT_EQ(c.run("isis_params_convert_80_to_81"), 1);
        EXPECT_EQ(c.symbol(p + "Metric Style"), k.style) << k.wide_metrics;
        EXPECT_EQ(c.text(p + "Metric Style [0].Level 1"), k.level1) << k.wide_metrics;
        EXPECT_EQ(c.text(p + "Metric Style [0].Level 2"), k.level2) << k.wide_metrics;
        EXPECT_EQ(c.text(p + "SPF Calculation Parameters [0].Level-1 [0].Minimum Interval"), "5")
            << "intervals are copied in every case";
    }
}

TEST(IsisParams, AConvertedObjectWithoutIsisIsLeftAlone) {
    conv_test::Conversion c(vesk(), old_isis(R"({"type": "compound", "symbols": {"Enabled": 0}, "rows": []})"),
                            R"("OSPF Parameters": [{}])");
    const std::string before = Xeq_Host_Model_Text_Get(c.new_model.model());
    EXPECT_EQ(c.run("isis_params_convert_80_to_81"), 1);
    EXPECT_EQ(Xeq_Host_Model_Text_Get(c.new_model.model()), before);
}

TEST(IsisRedistribution, EnabledProtocolsGetUsableNumbers) {
    const std::string protocols = R"("EIGRP Parameters": [{"AS Parameters": [{"AS Number": 55}]}],
        "IS-IS Parameters": [{"Processes": [{"Process Parameters": [{"Redistribution": [{"Routing Protocols": [{
          "EIGRP": [{"Redistribution": 1, "AS Number": 0}], "OSPF": [{"Redistribution": 1, "Process Tag": 0}],
          "IGRP": [{"Redistribution": 0, "AS Number": 0}]}]}]}]}]}])";
    ModelFixture m(conv_test::node_model("m", protocols));
    const auto convert = vesk().function<conv_test::SingleObject>("isis_redist_params_for_91_convert");
    EXPECT_EQ(convert(m.obj("top.r1")), 1);
    const std::string base = std::string(kProcess) + "Redistribution [0].Routing Protocols [0].";
    EXPECT_EQ(conv_test::text_of(m.obj("top.r1"), base + "EIGRP [0].AS Number"), "55");
    EXPECT_EQ(conv_test::text_of(m.obj("top.r1"), base + "OSPF [0].Process Tag"), "1");
    EXPECT_EQ(conv_test::text_of(m.obj("top.r1"), base + "IGRP [0].AS Number"), "0") << "not enabled";
    ModelFixture none(conv_test::node_model("m", ""));
    EXPECT_EQ(convert(none.obj("top.r1")), 1);
}

} // namespace
