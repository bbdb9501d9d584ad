// The route-file import as a user runs it in `xeqhost ui`: the menu item,
// the dialog, its directory choosers, OK, and the prompt about "mod_dirs";
// then the route files on disk and the assignments in the model.
#include <gtest/gtest.h>

#include <string>

#include "session.hpp"
#include "tool_test_support.hpp"

namespace {

using namespace tools_test;

const std::string kListings = FIXTURE_DIR "/listings";
const std::string kHeader =
    "#<network address>[/prefix length];<next hop>;[MED];[local preference];<as path>;<origin>;"
    "[<communities>;]\n";

// A session on a copy of a fixture model in its own directory, which is
// then a model directory as the open model's always is.
struct Import {
    explicit Import(const char* model = "bgp_peers.json") {
        fs::create_directories(scratch.path() / "model");
        fs::copy_file(fs::path(FIXTURE_DIR) / model, scratch.path() / "model" / model);
        model_path = (scratch.path() / "model" / model).string();
        set_model_directories({});
    }

    std::string run(const std::string& script) {
        return xeqhost::run_session({model_path, {TOVRA_PLUGIN}}, script, &status);
    }
    // Opens the dialog, fills both directories (the target through its
    // chooser when it is not empty) and presses OK; then the script's rest.
    std::string import(const std::string& source, const std::string& target, const std::string& then = "") {
        std::string script = "menu Import BGP Route Files\n"
                             "press bgp/bgp_route_file_import src_btn\n"
                             "choose " + source + "\n";
        if (!target.empty()) script += "press bgp/bgp_route_file_import tar_btn\nchoose " + target + "\n";
        return run(script + "press bgp/bgp_route_file_import ok_btn\n" + then);
    }
    std::string model_dir() const { return (scratch.path() / "model").string(); }

    ScratchDirectory scratch;
    std::string model_path;
    int status = -1;
};

std::string route_file_attr(const char* node, int row) {
    return std::string("attr ") + node + " BGP Parameters [0].Neighbor Information [" + std::to_string(row) +
           "].Route File\n";
}

TEST(TovraImport, ListingsOfEveryLayoutBecomeRouteFilesAssignedToThePeers) {
    Import run;
    const std::string out = run.import(kListings, run.model_dir(),
                                       route_file_attr("top.as300", 0) + route_file_attr("top.as300", 1) +
                                           route_file_attr("top.as300", 2) + route_file_attr("top.as300", 3) +
                                           route_file_attr("top.as700", 0) + "show\n");
    EXPECT_EQ(run.status, 0) << out;
    expect_in_order(out, {
        "chooser: Choose directory to read config files from (open directory)",
        "chooser: Choose directory to write config files to (open directory)",
        "progress start: Reading BGP Route File(s)... (6)",
        "info: Route files assigned to 4 external AS neighbors",
        "Route File = AS300_10_0_0_1-bgp_rib",
        "Route File = \n", // one route file goes to the first of two matching neighbours only
        "Route File = AS300_10_0_0_2-bgp_rib",
        "Route File = AS300_10_0_0_5-bgp_rib",
        "Route File = AS700_10_0_0_3-bgp_rib",
        "no window is open", // the dialog is gone, and no prompt: the target is a model directory
    });
    const fs::path dir = run.model_dir();
    // Classic layout: metrics at their right edge ("0" kept, blank empty),
    // continuation lines, a wrapped network, internal and local routes left out.
    EXPECT_EQ(file_text(dir / "AS300_10_0_0_1-bgp_rib.gdf"),
              kHeader + "10.1.0.0/16;192.0.2.2;0;;300,400;i;\n"
                        "10.1.0.0/16;192.0.2.6;;;300,500,400;i;\n"
                        "10.2.0.0/16;192.0.2.2;3072;;300;?;\n"
                        "198.51.100.128/25;192.0.2.2;20;;300;e;\n");
    // Leading blank and three status characters; the same first AS from
    // another router makes another file.
    EXPECT_EQ(file_text(dir / "AS300_10_0_0_2-bgp_rib.gdf"),
              kHeader + "10.3.0.0/16;192.0.2.10;0;;300;i;\n"
                        "10.4.0.0/16;192.0.2.10;;200;300,600;i;\n");
    // Four status characters: a metric wider than its column, a wrapped
    // network whose rest is one column off, numbers and path drifted.
    EXPECT_EQ(file_text(dir / "AS700_10_0_0_3-bgp_rib.gdf"),
              kHeader + "10.5.0.0/16;192.0.2.14;4000000000;350;700;?;\n"
                        "203.0.113.240/28;192.0.2.14;28416;350;700,800;i;\n"
                        "10.7.0.0/16;192.0.2.14;7;350;700,900;i;\n");
    // Five status characters; written though no router of the model has it.
    EXPECT_EQ(file_text(dir / "AS300_10_0_0_4-bgp_rib.gdf"), kHeader + "10.8.0.0/16;192.0.2.18;0;;300;i;\n");
    // The fixed columns a listing may also use, byte for byte (two blanks
    // in a path give two commas).
    EXPECT_EQ(file_text(dir / "AS300_10_0_0_5-bgp_rib.gdf"),
              kHeader + "10.11.0.0/16;192.0.2.22;5;100;300;i;\n"
                        "10.11.0.0/16;192.0.2.26;12345;;300,310;i;\n"
                        "10.12.0.0;192.0.2.22;;;300,,320;?;\n");
    // The listing without "local router ID is " made nothing: five files.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 6);
}

TEST(TovraImport, ARouteFileLeftByAnEarlierRunIsOverwritten) {
    Import run;
    const fs::path old = run.scratch.path() / "model" / "AS300_10_0_0_4-bgp_rib.gdf";
    std::ofstream(old) << "stale\n";
    run.import(kListings, run.model_dir());
    EXPECT_EQ(file_text(old), kHeader + "10.8.0.0/16;192.0.2.18;0;;300;i;\n");
}

TEST(TovraImport, ATargetOutsideTheModelDirectoriesIsProposedForThem) {
    Import run;
    const std::string target = run.scratch / "routes";
    fs::create_directories(target);
    const std::string out = run.import(kListings, target, "show prompt\n");
    EXPECT_EQ(run.status, 1) << out; // the input ends while the prompt waits
    expect_in_order(out, {
        "info: Route files assigned to 4 external AS neighbors",
        "prompt \"Warning...!\"",
        "The directory " + target,
        "in which the BGP route files are saved is not a member of model directories.",
        "This directoy should be included in the mod_dirs environment preference for",
        "simulation to be able to read these route files.",
        "Click \"OK\" to add this directory to mod_dirs.",
        "[OK] [Cancel]",
    });
    EXPECT_TRUE(fs::exists(fs::path(target) / "AS700_10_0_0_3-bgp_rib.gdf"));
}

TEST(TovraImport, OkAddsTheTargetAfterTheFirstModelDirectory) {
    Import run;
    const std::string first = run.scratch / "first";
    const std::string target = run.scratch / "routes";
    fs::create_directories(first);
    fs::create_directories(target);
    set_model_directories({first});
    run.import(kListings, target, "answer OK\n");
    // The session's own model directory (appended last while it ran) is gone again.
    EXPECT_EQ(model_directories(), (std::vector<std::string>{first, target}));
}

TEST(TovraImport, CancelLeavesTheModelDirectoriesAlone) {
    Import run;
    const std::string first = run.scratch / "first";
    const std::string target = run.scratch / "routes";
    fs::create_directories(first);
    fs::create_directories(target);
    set_model_directories({first});
    run.import(kListings, target, "answer Cancel\n");
    EXPECT_EQ(model_directories(), (std::vector<std::string>{first}));
}

TEST(TovraImport, AnEmptyTargetWritesToTheFirstModelDirectoryWithoutAPrompt) {
    Import run;
    const std::string first = run.scratch / "first";
    fs::create_directories(first);
    set_model_directories({first});
    const std::string out = run.import(kListings, "", "show\n");
    EXPECT_EQ(run.status, 0) << out;
    EXPECT_TRUE(fs::exists(fs::path(first) / "AS300_10_0_0_1-bgp_rib.gdf"));
    EXPECT_EQ(out.find("prompt"), std::string::npos) << out;
}

TEST(TovraImport, NoRouteInTheListingsAssignsNothing) {
    Import run;
    const std::string source = run.scratch / "listings";
    fs::create_directories(source + "/subdirectory");
    fs::copy_file(kListings + "/r5_no_router_id.txt", source + "/r5_no_router_id.txt");
    const std::string out = run.import(source, run.model_dir());
    expect_in_order(out, {"confirm: Warning... / The specified source directory did not contain any files with valid  / "
                          "BGP routing table output information. No Route file assignments were / "
                          "made to the external AS nodes."});
    EXPECT_EQ(out.find("info: Route files"), std::string::npos) << out;
}

TEST(TovraImport, RouteFilesNoPeerListsAreReportedAsNotAssigned) {
    Import run;
    const std::string source = run.scratch / "listings";
    fs::create_directories(source);
    fs::copy_file(kListings + "/r4_blank5.txt", source + "/r4_blank5.txt");
    const std::string out = run.import(source, run.model_dir());
    expect_in_order(out, {"info: Route file assignments not performed on any of the external AS nodes"});
}

TEST(TovraImport, AnInvalidSourceIsRefusedAndTheDialogStaysOpen) {
    Import run;
    const std::string out = run.run("menu Import BGP Route Files\n"
                                    "type bgp/bgp_route_file_import src_edit /no/such/directory\n"
                                    "press bgp/bgp_route_file_import ok_btn\n"
                                    "show\n"
                                    "press bgp/bgp_route_file_import cancel_btn\n"
                                    "show\n");
    expect_in_order(out, {"warning: Please specify a valid directory to read in the / BGP route config file.",
                          "dialog bgp/bgp_route_file_import", "no window is open"});
}

TEST(TovraImport, AModelWithoutExternalAsNodesNeverOpensTheDialog) {
    Import run("no_external_as.json");
    const std::string out = run.run("menu Import BGP Route Files\nshow\n");
    expect_in_order(out, {"confirm: Warning...No external AS nodes present in this network / "
                          "Route files can only be associated with external AS nodes. / "
                          "External AS nodes represent eBGP peering to routers that are not part of the / "
                          "imported config set. XRT provides an option to create these nodes during import.",
                          "no window is open"});
}

TEST(TovraImport, RoutesThatCannotBeWrittenAreReportedAndTheirFileIsNotAssigned) {
    Import run;
    // A directory where the route file would go: it cannot be created.
    fs::create_directories(run.scratch.path() / "model" / "AS300_10_0_0_1-bgp_rib.gdf");
    const std::string out = run.import(kListings, run.model_dir(), route_file_attr("top.as300", 0));
    expect_in_order(out, {"warning: Some BGP routes could not be written to the route files in / " + run.model_dir() +
                              " / 4 route(s) could not be written; they are in no route file.",
                          "info: Route files assigned to 3 external AS neighbors",
                          "Route File = \n"});
}

} // namespace
