// The probe model as the plug-in writes it, read back through ygalib: once
// (a new model) and twice (the same probes added again).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin_loader.hpp"
#include "tool_test_support.hpp"
#include "xeq_host.h"
#include "ygalib.h"

namespace {

using namespace tools_test;

const xeqhost::Plugin& ploz() {
    static const xeqhost::Plugin plugin(PLOZ_PLUGIN);
    return plugin;
}

int select_probes(const char* name) { return ploz().function<int (*)(const char*)>("atg_select_probes")(name); }

std::vector<std::string> events() {
    std::vector<std::string> lines;
    for (int i = 0; i < Xeq_Host_Event_Count(); ++i) lines.emplace_back(Xeq_Host_Event_Get(i));
    return lines;
}

struct ModelDestroyer {
    void operator()(YgaS_Model* model) const { Yga_Model_Destroy(model); }
};
using Model = std::unique_ptr<YgaS_Model, ModelDestroyer>;

std::string text(YgaT_Model m, YgaT_Object o, const char* name) {
    char buffer[256];
    return Yga_Attr_Text_Get(m, o, name, buffer, sizeof buffer) ? buffer : "<unset>";
}
int code(YgaT_Model m, YgaT_Object o, const char* name, int c) {
    int value = -1;
    return Yga_Attr_Code_Get(m, o, name, c, &value) ? value : -1;
}

struct ProbeRun : ::testing::Test {
    void SetUp() override {
        set_model_directories({scratch.path().string()});
        Xeq_Host_Echo_Set(0);
        Xeq_Host_Events_Clear();
    }
    void TearDown() override { Xeq_Host_Echo_Set(1); }
    ScratchDirectory scratch;
};

TEST_F(ProbeRun, ANewModelGetsTheTwentyProbesEachFollowedByItsPosition) {
    EXPECT_EQ(select_probes("scenario"), 1);
    EXPECT_EQ(events().front(), "progress start: Choosing Statistics... (40)");
    EXPECT_EQ(events().back(), "command: rehash_dirs");
    const Model m(Yga_Model_Read(YGAC_MODEL_PROBE, "scenario"));
    ASSERT_TRUE(m);
    EXPECT_EQ(text(m.get(), nullptr, "network name"), "KYB_TEST-scenario1");
    ASSERT_EQ(Yga_Model_Object_Count(m.get()), 40);
    const char* const created[] = {"pb5", "pb6", "pb7", "pb8", "pb9", "pb0", "pb1", "pb2", "pb3", "pb4",
                                   "pb10", "pb11", "pb12", "pb13", "pb14", "pb15", "pb16", "pb17", "pb18", "pb19"};
    for (int i = 0; i < 20; ++i) {
        const YgaT_Object probe = Yga_Model_Object_Get(m.get(), 2 * i);
        EXPECT_EQ(text(m.get(), probe, "name"), created[i]);
        EXPECT_EQ(text(m.get(), probe, "pos"), "#" + std::to_string(2 * i + 1)) << created[i];
        EXPECT_EQ(Yga_Object_Kind_Get(Yga_Model_Object_Get(m.get(), 2 * i + 1)), YGAC_OBJ_POSITION);
    }
    // One probe of each kind, every attribute and code.
    const YgaT_Object pb5 = Yga_Model_Object_Get(m.get(), 0);
    EXPECT_EQ(Yga_Object_Kind_Get(pb5), YGAC_OBJ_NODE_PROBE);
    EXPECT_EQ(text(m.get(), pb5, "statistic"), "Task Response Time (sec)");
    EXPECT_EQ(text(m.get(), pb5, "capture mode"), "<unset>");
    EXPECT_EQ(text(m.get(), pb5, "draw style"), "discrete");
    EXPECT_EQ(text(m.get(), pb5, "ordinate label"), "");
    EXPECT_EQ(text(m.get(), pb5, "node"), "*");
    EXPECT_EQ(code(m.get(), pb5, "group", 15), 0);
    EXPECT_EQ(code(m.get(), pb5, "pos", 15), -1); // "pos" has its value only
    EXPECT_EQ(text(m.get(), Yga_Model_Object_Get(m.get(), 1), "x"), "254");

    const YgaT_Object pb10 = Yga_Model_Object_Get(m.get(), 20);
    EXPECT_EQ(Yga_Object_Kind_Get(pb10), YGAC_OBJ_LINK_PROBE);
    EXPECT_EQ(text(m.get(), pb10, "statistic"), "throughput (bits/sec) <--");
    EXPECT_EQ(text(m.get(), pb10, "capture mode"), "bucket/default total/sum_time");
    EXPECT_EQ(text(m.get(), pb10, "channel"), "channel [0]");
    EXPECT_EQ(text(m.get(), pb10, "high bound"), "2e+100");
    EXPECT_EQ(code(m.get(), pb10, "high bound", 10), 1);
    EXPECT_EQ(code(m.get(), pb10, "high bound", 15), 0);

    const YgaT_Object pb19 = Yga_Model_Object_Get(m.get(), 38);
    EXPECT_EQ(Yga_Object_Kind_Get(pb19), YGAC_OBJ_GLOBAL_PROBE);
    EXPECT_EQ(text(m.get(), pb19, "group"), "Custom Application");
    EXPECT_EQ(text(m.get(), pb19, "subnet"), "<unset>");
    EXPECT_EQ(text(m.get(), Yga_Model_Object_Get(m.get(), 39), "y"), "94");
}

TEST_F(ProbeRun, RunningAgainAddsASecondSetToTheExistingModel) {
    select_probes("scenario");
    Xeq_Host_Events_Clear();
    select_probes("scenario");
    EXPECT_EQ(events().front(), "progress start: Updating Statistics... (40)");
    const Model m(Yga_Model_Read(YGAC_MODEL_PROBE, "scenario"));
    ASSERT_TRUE(m);
    ASSERT_EQ(Yga_Model_Object_Count(m.get()), 80);
    EXPECT_EQ(text(m.get(), Yga_Model_Object_Get(m.get(), 40), "name"), "pb5");
    EXPECT_EQ(text(m.get(), Yga_Model_Object_Get(m.get(), 40), "pos"), "#41");
}

TEST_F(ProbeRun, AMalformedProbeModelIsNamedAndLeftAsItWas) {
    const fs::path file = scratch.path() / "scenario.prb";
    std::ofstream(file) << "{\"format\": \"xeq-probe-model\"";
    EXPECT_EQ(select_probes("scenario"), 1);
    EXPECT_EQ(file_text(file), "{\"format\": \"xeq-probe-model\"");
    bool named = false;
    for (const std::string& e : events()) named = named || (e.rfind("warning: " + file.string(), 0) == 0);
    EXPECT_TRUE(named);
}

TEST(ProbeLibrary, EntriesItCannotTakeEndTheListWithAFailure) {
    const Model m(Yga_Model_Create(YGAC_MODEL_PROBE));
    const Model other(Yga_Model_Create(YGAC_MODEL_PROBE));
    const YgaT_Object o = Yga_Object_Create(m.get(), YGAC_OBJ_NODE_PROBE);
    const YgaT_Object foreign = Yga_Object_Create(other.get(), YGAC_OBJ_POSITION);
    EXPECT_EQ(Yga_Object_Attr_Set(m.get(), o, "name", 6, 0, "pb1", "colour", 6, 0, "red", YGAC_EOL), 0);
    EXPECT_EQ(text(m.get(), o, "name"), "pb1"); // what came before is kept
    EXPECT_EQ(Yga_Object_Attr_Set(m.get(), o, "pos", 6, 0, foreign, YGAC_EOL), 0);
    EXPECT_EQ(Yga_Object_Attr_Set(m.get(), foreign, "x", 6, 0, 1.0, YGAC_EOL), 0);
    EXPECT_EQ(Yga_Model_Create(4), nullptr);
    EXPECT_EQ(Yga_Model_Write(m.get(), "../escape"), 0);
}

TEST(ProbeCompare, TextsInByteOrder) {
    const auto compare = ploz().function<int (*)(const void*, const void*)>("gna_string_compare_proc");
    EXPECT_EQ(compare("a", "b"), 1);
    EXPECT_EQ(compare("b", "a"), -1);
    EXPECT_EQ(compare("same", "same"), 0);
    EXPECT_EQ(compare("B", "a"), 1); // bytes, not letters
}

} // namespace
