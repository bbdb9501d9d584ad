// ploz: the statistics probes a generated test scenario collects, written
// into a probe model through the host's model-file library.
#include <cstring>
#include <memory>

#include "hespr.h"
#include "kpllib.h"
#include "text_order.hpp"
#include "xeq_plugin.h"
#include "ygalib.h"

XEQ_IMPORT_RELEASE_MARKER(This_File_Was_Compiled_With_XEQ_Release_90A);
XEQ_IMPORT_RELEASE_MARKER(This_File_Was_Compiled_With_VALDRIC_Release_90A);

namespace {

constexpr int kValue = 6;
constexpr int kInUse = 10;
constexpr int kFlags = 15;

struct Probe {
    const char* name;
    int kind;
    const char* statistic;
    const char* capture_mode; // null: none
    const char* draw_style;
    const char* group;
    double high_bound; // link probes only
    double x, y;
    int created; // the probe's place in the order the objects are made
};

constexpr const char* kSum = "bucket/default total/sum_time";
constexpr const char* kMean = "bucket/default total/sample mean";
constexpr const char* kAverage = "bucket/default total/time average";
constexpr int kNode = YGAC_OBJ_NODE_PROBE;
constexpr int kGlobal = YGAC_OBJ_GLOBAL_PROBE;
constexpr int kLink = YGAC_OBJ_LINK_PROBE;

// In the order they are filled in.
constexpr Probe kProbes[] = {
    {"pb5", kNode, "Task Response Time (sec)", nullptr, "discrete", "KYB", 0, 254, 94, 0},
    {"pb6", kNode, "Traffic Received (bytes/sec)", kSum, "linear", "KYB", 0, 294, 94, 1},
    {"pb7", kNode, "Traffic Received (packets/sec)", kSum, "linear", "KYB", 0, 334, 94, 2},
    {"pb8", kNode, "Traffic Sent (bytes/sec)", kSum, "linear", "KYB", 0, 374, 94, 3},
    {"pb9", kNode, "Traffic Sent (packets/sec)", kSum, "linear", "KYB", 0, 414, 94, 4},
    {"pb18", kNode, "Application Response Time (sec)", kMean, "linear", "Client Custom Application", 0, 454, 94, 18},
    {"pb0", kGlobal, "Task Response Time (sec)", nullptr, "discrete", "KYB", 0, 54, 54, 5},
    {"pb1", kGlobal, "Traffic Received (bytes/sec)", kSum, "linear", "KYB", 0, 94, 54, 6},
    {"pb2", kGlobal, "Traffic Received (packets/sec)", kSum, "linear", "KYB", 0, 134, 54, 7},
    {"pb3", kGlobal, "Traffic Sent (bytes/sec)", kSum, "linear", "KYB", 0, 174, 54, 8},
    {"pb4", kGlobal, "Traffic Sent (packets/sec)", kSum, "linear", "KYB", 0, 214, 54, 9},
    {"pb19", kGlobal, "Application Response Time (sec)", nullptr, "linear", "Custom Application", 0, 454, 94, 19},
    {"pb10", kLink, "throughput (bits/sec) <--", kSum, "linear", "point-to-point", 2e100, 334, 94, 10},
    {"pb11", kLink, "throughput (bits/sec) -->", kSum, "linear", "point-to-point", 2e100, 374, 94, 11},
    {"pb12", kLink, "utilization -->", kAverage, "linear", "point-to-point", 100, 414, 94, 12},
    {"pb13", kLink, "utilization <--", kAverage, "linear", "point-to-point", 100, 454, 94, 13},
    {"pb14", kLink, "throughput (packets/sec) -->", kSum, "linear", "point-to-point", 100, 454, 94, 14},
    {"pb15", kLink, "throughput (packets/sec) <--", kSum, "linear", "point-to-point", 100, 454, 94, 15},
    {"pb16", kLink, "queuing delay -->", kMean, "linear", "point-to-point", 100, 454, 94, 16},
    {"pb17", kLink, "queuing delay <--", kMean, "linear", "point-to-point", 100, 454, 94, 17},
};
constexpr int kProbeCount = sizeof kProbes / sizeof kProbes[0];

struct Placed {
    YgaT_Object probe;
    YgaT_Object position;
};

struct ModelDestroyer {
    void operator()(YgaS_Model* model) const { Yga_Model_Destroy(model); }
};

void set_text(YgaT_Model model, YgaT_Object object, const char* name, const char* text) {
    Yga_Object_Attr_Set(model, object, name, kValue, 0, text, name, kFlags, 0, 0, YGAC_EOL);
}

void fill_probe(YgaT_Model model, const Probe& p, const Placed& placed) {
    const YgaT_Object o = placed.probe;
    set_text(model, o, "name", p.name);
    set_text(model, o, "statistic", p.statistic);
    if (p.capture_mode) set_text(model, o, "capture mode", p.capture_mode);
    Yga_Object_Attr_Set(model, o, "pos", kValue, 0, placed.position, YGAC_EOL);
    set_text(model, o, "draw style", p.draw_style);
    set_text(model, o, "group", p.group);
    if (p.kind == kNode) {
        set_text(model, o, "subnet", "*");
        set_text(model, o, "node", "*");
        set_text(model, o, "ordinate label", "");
    } else if (p.kind == kLink) {
        set_text(model, o, "subnet", "*");
        set_text(model, o, "link", "*");
        set_text(model, o, "channel", "channel [0]");
        Yga_Object_Attr_Set(model, o, "high bound", kInUse, 0, 1, "high bound", kValue, 0, p.high_bound,
                            "high bound", kFlags, 0, 0, YGAC_EOL);
    }
    Xeq_Progress_Bar_Advance(1);
}

void fill_probes_of_kind(YgaT_Model model, int kind, const Placed (&placed)[kProbeCount]) {
    for (const Probe& p : kProbes)
        if (p.kind == kind) fill_probe(model, p, placed[p.created]);
}

bool probe_model_exists(const char* name) {
    QovT_Ll_Desc* names = kpl_tfile_name_list_get(KPLC_TFILE_PROBE_MODEL);
    bool found = false;
    for (int i = 0; names && i < kpl_list_size(names); ++i)
        found = found || std::strcmp(static_cast<const char*>(kpl_list_access(names, i)), name) == 0;
    kpl_list_destroy(names, 1);
    return found;
}

} // namespace

XEQ_EXPORT int gna_string_compare_proc(const void* a, const void* b) { return tools::text_order(a, b); }

XEQ_EXPORT int atg_select_probes(const char* name) {
    Yga_Init(2, 0, 0);
    const bool exists = name && probe_model_exists(name);
    const std::unique_ptr<YgaS_Model, ModelDestroyer> model(exists ? Yga_Model_Read(YGAC_MODEL_PROBE, name)
                                                                   : Yga_Model_Create(YGAC_MODEL_PROBE));
    // Every probe is made, in creation order, with its position after it.
    Placed placed[kProbeCount];
    for (int rank = 0; rank < kProbeCount; ++rank)
        for (const Probe& p : kProbes)
            if (p.created == rank) {
                placed[rank].probe = Yga_Object_Create(model.get(), p.kind);
                placed[rank].position = Yga_Object_Create(model.get(), YGAC_OBJ_POSITION);
            }
    Xeq_Progress_Bar_Start(exists ? "Updating Statistics..." : "Choosing Statistics...", 2 * kProbeCount);
    fill_probes_of_kind(model.get(), kNode, placed);
    Yga_Model_Attr_Set(model.get(), "network name", kValue, 0, "KYB_TEST-scenario1", YGAC_EOL);
    for (const Probe& p : kProbes) {
        const YgaT_Object position = placed[p.created].position;
        Yga_Object_Attr_Set(model.get(), position, "x", kValue, 0, p.x, "y", kValue, 0, p.y, YGAC_EOL);
        Xeq_Progress_Bar_Advance(1);
    }
    fill_probes_of_kind(model.get(), kGlobal, placed);
    fill_probes_of_kind(model.get(), kLink, placed);
    Xeq_Progress_Bar_End();
    Yga_Model_Write(model.get(), name);
    Xeq_Command_Builtin_Exec("rehash_dirs");
    return 1;
}
