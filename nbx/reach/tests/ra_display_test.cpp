// Display Reachability, its paths, the reachability report, Show IGP Route
// and Clear as a user works them, through the xeqhost ui loop on the built
// plug-in.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "lab_model.hpp"
#include "ui_session.hpp"
#include "xeq_host.h"
#include "xeq_ui.hpp"

namespace {

// r1 is linked to r2 only; r3 sits on r1's second subnet without a link;
// r4 and r5 both hold 10.0.14.9 on r1's third subnet.
std::string lab_model() {
    return LabModel("lab")
        .router("r1", {{"r1-ge0", "10.0.12.1", "255.255.255.0"},
                       {"r1-ge1", "10.0.13.1", "255.255.255.0"},
                       {"r1-ge2", "10.0.14.1", "255.255.255.0"}})
        .router("r2", {{"r2-ge0", "10.0.12.2", "255.255.255.0"}, {"r2-ge1", "10.0.23.2", "255.255.255.0"}})
        .router("r3", {{"r3-ge0", "10.0.13.3", "255.255.255.0"}})
        .router("r4", {{"r4-ge0", "10.0.14.9", "255.255.255.0"}})
        .router("r5", {{"r5-ge0", "10.0.14.9", "255.255.255.0"}})
        .link("r1", "r1-ge0", "r2", "r2-ge0")
        .json();
}

std::string lab_routes(const std::string& r1_protocol = "ospf") {
    return RoutingFile()
        .router("top.lab.r1")
        .route("10.50.0.0/16", r1_protocol, 1, {{"10.0.12.2", 20, "-1"}, {"10.0.13.3", 30, "12.5"}})
        .route("10.60.0.0/16", "bgp", 65000, {{"10.0.13.3", 0, "1"}})
        .route("10.70.0.0/16", "bgp", 65000, {{"10.0.12.2", 0, "1"}})
        .route("10.80.0.0/16", "static", 0, {{"10.0.14.9", 1, "-1"}})
        .route("10.0.13.0/24", "direct", -1, {{"10.0.13.1", 0, "-1"}})
        .router("top.lab.r2")
        .route("10.50.0.0/16", "direct", -1, {{"10.0.23.2", 0, "-1"}})
        .router("top.lab.r3")
        .route("0.0.0.0/0", "static", 0, {{"10.0.13.1", 1, "-1"}})
        .router("top.lab.r4")
        .route("10.50.0.0/16", "none", -1, {})
        .router("top.lab.ghost")
        .route("10.50.0.0/16", "rip", 1, {{"10.0.12.1", 2, "3"}})
        .xml();
}

class Lab : public ModelDir {
public:
    Lab() : ModelDir("lab", lab_model(), lab_routes()) {}
};

// The script that opens the window and displays network.
std::string display(const std::string& network, bool aggregate, bool next_hops = true) {
    return std::string(kOpenAnalysis) + "type ra/find_network edt_ip_network \"" + network + "\"\n" +
           "toggle ra/find_network chk_aggregate " + (aggregate ? "on" : "off") + "\n" +
           "toggle ra/find_network chk_next_hop " + (next_hops ? "on" : "off") + "\n" +
           "press ra/find_network btk_display\n";
}
constexpr size_t kAfterDisplay = 5; // the first command after display()

std::vector<std::string> paths(const std::string& model_output) { return lines_starting(model_output, "path: "); }
std::vector<std::string> marks(const std::string& model_output) { return lines_starting(model_output, "marked: "); }

std::string colour_text(double red, double green, double blue) {
    return std::to_string(Xeq_Gui_Color_From_RGB(red, green, blue) & 0xFFFFFFu);
}

TEST(RaDisplay, EachNextHopOwnerGetsAPathThroughTheLinkWhenThereIsOne) {
    struct Case {
        const char* network;
        std::vector<std::string> paths;
    };
    const Case cases[] = {
        // Two next hops: one over the link, one straight to an unlinked
        // router. r2's next hop is its own address and the ghost router is
        // no object of the model: neither draws.
        {"10.50.0.0/16",
         {"path: top.ospf: r1 (r1-ge0) -> r2 (r2-ge0) (ra_next_hop_path): top.lab.r1 -> top.lab.r1-r2 -> top.lab.r2",
          "path: top.ospf: r1 (r1-ge1) -> r3 (r3-ge0) (ra_next_hop_path): top.lab.r1 -> top.lab.r3"}},
        // BGP to a router two hops away: a shortcut; to a linked
        // neighbour: an ordinary path.
        {"10.60.0.0/16", {"path: top.bgp: r1 (r1-ge1) -> r3 (r3-ge0) (ra_shortcut_path): top.lab.r1 -> top.lab.r3"}},
        {"10.70.0.0/16",
         {"path: top.bgp: r1 (r1-ge0) -> r2 (r2-ge0) (ra_next_hop_path): top.lab.r1 -> top.lab.r1-r2 -> top.lab.r2"}},
        // A next hop two interfaces own: one path to each.
        {"10.80.0.0/16",
         {"path: top.static: r1 (r1-ge2) -> r4 (r4-ge0) (ra_next_hop_path): top.lab.r1 -> top.lab.r4",
          "path: top.static: r1 (r1-ge2) -> r5 (r5-ge0) (ra_next_hop_path): top.lab.r1 -> top.lab.r5"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.network);
        Lab lab;
        const Transcript t = lab.run(display(c.network, false) + "model\n");
        EXPECT_EQ(paths(t.raw(kAfterDisplay)), c.paths);
    }
}

TEST(RaDisplay, PathsCarryTheRouteInTheirAttributes) {
    Lab lab;
    const std::string to_r2 = "\"top.ospf: r1 (r1-ge0) -> r2 (r2-ge0)\"";
    const std::string to_r3 = "\"top.ospf: r1 (r1-ge1) -> r3 (r3-ge0)\"";
    const std::string shortcut = "\"top.bgp: r1 (r1-ge1) -> r3 (r3-ge0)\"";
    const Transcript t = lab.run(display("10.50.0.0/16", false) +
                                 "attr " + to_r2 + " tooltip\n"
                                 "attr " + to_r3 + " tooltip\n"
                                 "attr " + to_r2 + " color\n"
                                 "attr " + to_r2 + " thickness\n"
                                 "attr " + to_r2 + " src_node\n" +
                                 "type ra/find_network edt_ip_network 10.60.0.0/16\n"
                                 "press ra/find_network btk_display\n"
                                 "attr " + shortcut + " src_node\n"
                                 "attr " + shortcut + " next_hop\n"
                                 "attr " + shortcut + " thickness\n"
                                 "attr " + shortcut + " color\n",
                                 1); // the last two attributes are missing
    EXPECT_HAS(t.raw(5), "tooltip = Destination: 10.50.0.0\nProtocol: ospf (1)\nNext Hop: 10.0.12.2 \n"
                         "Insert Time: N/A\nMetric: 20\n");
    EXPECT_HAS(t.raw(6), "tooltip = Destination: 10.50.0.0\nProtocol: ospf (1)\nNext Hop: 10.0.13.3 \n"
                         "Insert Time: 12.500s \nMetric: 30\n");
    EXPECT_HAS(t.raw(7), "color = " + colour_text(0.1607, 0.745, 0.1999) + "\n");
    EXPECT_HAS(t.raw(8), "thickness = 5\n");
    EXPECT_HAS(t.raw(9), "has no attribute 'src_node'");
    EXPECT_HAS(t.raw(12), "src_node = top.lab.r1\n");
    EXPECT_HAS(t.raw(13), "next_hop = 10.0.13.3\n");
    EXPECT_HAS(t.raw(14), "thickness = 5\n");
    EXPECT_HAS(t.raw(15), "has no attribute 'color'");
}

TEST(RaDisplay, MarksEachRouterWithItsRoutesIconAndShowsTheReport) {
    Lab lab;
    const std::string csv = lab.file("reach.csv");
    const Transcript t = lab.run(display("10.50.0.0/16", true) +
                                 "model\n"
                                 "show ra/reach_report\n"
                                 "press ra/reach_report btn_export\n"
                                 "show chooser\n"
                                 "choose " + csv + "\n"
                                 "press ra/reach_report btn_export\n"
                                 "choose " + lab.file("missing/reach.csv") + "\n");
    EXPECT_EQ(marks(t.raw(kAfterDisplay)),
              (std::vector<std::string>{"marked: top.lab.r1 [O]", "marked: top.lab.r2 [selection]",
                                        "marked: top.lab.r3 [S]"}));
    // Longest match per router, from the default route down; a route of
    // protocol "none" gives no icon, a router of another model none either.
    EXPECT_HAS(t.at(kAfterDisplay + 1), "dialog ra/reach_report \"10.50.0.0/16\"");
    EXPECT_HAS(t.at(kAfterDisplay + 1), "tbl_reach_report table Routers that reach the network: 5 row(s)\n"
                                        " Router | Route | Protocol | Next Hops | Icon\n"
                                        " top.lab.r3 | 0.0.0.0/0 | static | 10.0.13.1 | S\n"
                                        " top.lab.r1 | 10.50.0.0/16 | ospf | 10.0.12.2,10.0.13.3 | O\n"
                                        " top.lab.r2 | 10.50.0.0/16 | direct | 10.0.23.2 | selection\n"
                                        " top.lab.r4 | 10.50.0.0/16 | none | - | (none)\n"
                                        " top.lab.ghost | 10.50.0.0/16 | rip | 10.0.12.1 | (not in the model)\n");
    EXPECT_HAS(t.at(kAfterDisplay + 3), "chooser \"Export Reachability Report\": save a file from . (*.csv)");
    EXPECT_EQ(read_file(csv), "Router,Route,Protocol,Next Hops,Icon\n"
                              "top.lab.r3,0.0.0.0/0,static,10.0.13.1,S\n"
                              "top.lab.r1,10.50.0.0/16,ospf,\"10.0.12.2,10.0.13.3\",O\n"
                              "top.lab.r2,10.50.0.0/16,direct,10.0.23.2,selection\n"
                              "top.lab.r4,10.50.0.0/16,none,-,(none)\n"
                              "top.lab.ghost,10.50.0.0/16,rip,10.0.12.1,(not in the model)\n");
    EXPECT_HAS(t.at(kAfterDisplay + 6), "warning: The reachability report could not be written to");
}

TEST(RaDisplay, TheReportFollowsEveryDisplayAndGoesWithClearAndWithTheWindow) {
    Lab lab;
    const Transcript t = lab.run(display("10.50.0.0/16", false) +
                                 "type ra/find_network edt_ip_network 10.50/16\n"
                                 "press ra/find_network btk_display\n"
                                 "show all\n"
                                 "type ra/find_network edt_ip_network 10.99.0.0/16\n"
                                 "press ra/find_network btk_display\n"
                                 "show ra/reach_report\n"
                                 "press ra/find_network btn_clear\n"
                                 "show all\n"
                                 "press ra/find_network btk_display\n"
                                 "close ra/find_network\n"
                                 "show all\n");
    // A text that does not parse: one report, refreshed, with no rows.
    const std::string& unparsed = t.at(kAfterDisplay + 2);
    EXPECT_HAS(unparsed, "dialog ra/reach_report \"10.50/16\"");
    EXPECT_HAS(unparsed, "tbl_reach_report table Routers that reach the network: 0 row(s)\n");
    EXPECT_EQ(unparsed.find("dialog ra/reach_report"), unparsed.rfind("dialog ra/reach_report"));
    // A network no router has a route to: the report shows it too.
    EXPECT_HAS(t.at(kAfterDisplay + 5), "dialog ra/reach_report \"10.99.0.0/16\"");
    EXPECT_HAS(t.at(kAfterDisplay + 5), "0 row(s)\n");
    EXPECT_LACKS(t.at(kAfterDisplay + 7), "ra/reach_report");
    EXPECT_HAS(t.at(kAfterDisplay + 7), "dialog ra/find_network");
    EXPECT_EQ(t.at(kAfterDisplay + 10), "> show all\nno window is open\n");
}

TEST(RaDisplay, WithNodesSelectedOnlySelectedRoutersAreMarked) {
    struct Case {
        const char* selection;
        std::vector<std::string> marked;
    };
    const std::vector<std::string> all = {"marked: top.lab.r1 [O]", "marked: top.lab.r2 [selection]",
                                          "marked: top.lab.r3 [S]"};
    const Case cases[] = {
        {"", all},
        {"select top.lab.r1\n", {"marked: top.lab.r1 [O]"}},
        {"select top.lab.r1 top.lab.r1-r2\n", {"marked: top.lab.r1 [O]"}},
        {"select top.lab.r1-r2\n", all}, // a link is no node
        {"select top.lab.r5\n", {}},     // a node without a route there
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.selection);
        Lab lab;
        const Transcript t = lab.run(std::string(c.selection) + display("10.50.0.0/16", true) + "model\n");
        const size_t at = kAfterDisplay + (c.selection[0] == '\0' ? 0 : 1);
        EXPECT_EQ(marks(t.raw(at)), c.marked);
    }
}

TEST(RaDisplay, NextHopsAreDrawnOnlyWithShowNextHops) {
    Lab lab;
    const Transcript t = lab.run(display("10.50.0.0/16", false, false) + "model\n");
    EXPECT_EQ(marks(t.raw(kAfterDisplay)).size(), 2u);
    EXPECT_TRUE(paths(t.raw(kAfterDisplay)).empty());
}

TEST(RaDisplay, DisplayClearsFirstAlsoWhenTheTextDoesNotParse) {
    for (const char* text : {"10.50.0/16", "10.50.0.0/33", "", "10.70.0.0/16"}) {
        SCOPED_TRACE(text);
        Lab lab;
        const Transcript t = lab.run(display("10.50.0.0/16", false) +
                                     "type ra/find_network edt_ip_network \"" + text + "\"\n"
                                     "toggle ra/find_network chk_next_hop off\n"
                                     "press ra/find_network btk_display\n"
                                     "model\n");
        const std::string& model = t.raw(kAfterDisplay + 3);
        EXPECT_TRUE(paths(model).empty());
        const std::vector<std::string> marked = marks(model);
        if (std::string(text) == "10.70.0.0/16")
            EXPECT_EQ(marked, std::vector<std::string>{"marked: top.lab.r1 [B]"});
        else
            EXPECT_TRUE(marked.empty());
    }
}

TEST(RaDisplay, ARewrittenExportFileIsReadForTheNextDisplay) {
    Lab lab;
    xeqhost::Session session(lab.options());
    const std::string first = run_in(session, display("10.50.0.0/16", false) + "model\n");
    EXPECT_EQ(marks(Transcript(first).raw(kAfterDisplay)),
              (std::vector<std::string>{"marked: top.lab.r1 [O]", "marked: top.lab.r2 [selection]"}));
    lab.rewrite_routes(RoutingFile().router("top.lab.r1").route("10.50.0.0/16", "rip", 1, {}).xml());
    // The window closes when a script ends; opened again, it shows what was
    // typed before.
    const std::string second = run_in(session, std::string(kOpenAnalysis) + "press ra/find_network btk_display\nmodel\n");
    EXPECT_EQ(marks(Transcript(second).raw(2)), std::vector<std::string>{"marked: top.lab.r1 [R]"});
}

// A shortcut path, the IGP trace it draws, a subnet's icon and a path
// the user drew: Clear takes every icon and analysis path, and only those.
TEST(RaDisplay, ClearLeavesNoIconAndNoAnalysisPath) {
    Lab lab;
    xeqhost::Session session(lab.options());
    const XeqT_Model_Handle model = session.model();
    run_in(session, display("10.60.0.0/16", true) +
                        "click \"top.bgp: r1 (r1-ge1) -> r3 (r3-ge0)\"\n"
                        "popup \"Show IGP Route\"\n");
    ASSERT_EQ(Xeq_Nt_Object_Overlay_Icon_Name_Set(Xeq_Obj_From_Hname_Get(model, "top.lab"), "O"), 1);
    const XeqT_Obj_Handle users = Xeq_Obj_Create(XEQC_OBJ_PATH);
    Xeq_Obj_Attr_Set(users, "model", "user_path");
    Xeq_Obj_Attr_Set(users, "name", "mine");
    XeqT_Obj_List route = Xeq_Obj_List_Create();
    Xeq_Obj_List_Insert(route, Xeq_Obj_From_Hname_Get(model, "top.lab.r1"), -1);
    Xeq_Obj_List_Insert(route, Xeq_Obj_From_Hname_Get(model, "top.lab.r3"), -1);
    ASSERT_EQ(Xeq_Obj_Path_Install_Connect(users, route), 1);
    Xeq_Obj_List_Destroy(route);

    const Transcript before(run_in(session, "model\n"));
    EXPECT_EQ(marks(before.raw(0)).size(), 3u); // r1, r3 and the subnet
    EXPECT_EQ(paths(before.raw(0)).size(), 4u); // shortcut, r3's default route, the trace, the user's

    const Transcript after(run_in(session, std::string(kOpenAnalysis) + "press ra/find_network btn_clear\nmodel\n"));
    EXPECT_TRUE(marks(after.raw(2)).empty());
    EXPECT_EQ(paths(after.raw(2)), std::vector<std::string>{"path: top.mine (user_path): top.lab.r1 -> top.lab.r3"});
}

TEST(RaShortcut, OnlyTheRightButtonOpensTheMenu) {
    Lab lab;
    xeqhost::Session session(lab.options());
    const Transcript t(run_in(session, display("10.60.0.0/16", false) +
                                           "click \"top.bgp: r1 (r1-ge1) -> r3 (r3-ge0)\" left\n"
                                           "show\n"));
    EXPECT_LACKS(t.at(kAfterDisplay + 1), "popup menu");
    const auto click = reinterpret_cast<int (*)(XeqT_Obj_Handle, int)>(
        xeq::ui::resolve_export("ra_shortcut_path_click_handler"));
    ASSERT_NE(click, nullptr);
    const XeqT_Obj_Handle path = Xeq_Obj_From_Hname_Get(session.model(), "top.bgp: r1 (r1-ge1) -> r3 (r3-ge0)");
    for (const int type : {0, 2, -1}) {
        EXPECT_EQ(click(path, type), 0) << type;
        EXPECT_FALSE(xeq::ui::popup_menu().has_value()) << type;
    }
    EXPECT_EQ(click(path, 1), 1);
    EXPECT_EQ(xeq::ui::popup_menu(), std::vector<std::string>{"Show IGP Route"});
    // Dismissed, the menu's answer releases the handle's copy (a leak
    // under the address sanitizer otherwise) and draws nothing.
    const size_t drawn = Xeq_Topo_Object_Count_Get(session.model(), XEQC_OBJ_PATH);
    EXPECT_EQ(xeq::ui::dismiss_popup(), "");
    EXPECT_EQ(static_cast<size_t>(Xeq_Topo_Object_Count_Get(session.model(), XEQC_OBJ_PATH)), drawn);
}

TEST(RaShortcut, ShowIgpRouteClosesTheLastGapWithADirectHopInRed) {
    Lab lab;
    const Transcript t = lab.run(display("10.60.0.0/16", false) +
                                 "click \"top.bgp: r1 (r1-ge1) -> r3 (r3-ge0)\"\n"
                                 "popup \"Show IGP Route\"\n"
                                 "model\n"
                                 "attr \"top.direct: r1 (r1-ge1) -> r3 (r3-ge0)\" color\n"
                                 "attr \"top.direct: r1 (r1-ge1) -> r3 (r3-ge0)\" tooltip\n");
    EXPECT_EQ(paths(t.raw(kAfterDisplay + 2)),
              (std::vector<std::string>{
                  "path: top.bgp: r1 (r1-ge1) -> r3 (r3-ge0) (ra_shortcut_path): top.lab.r1 -> top.lab.r3",
                  "path: top.direct: r1 (r1-ge1) -> r3 (r3-ge0) (ra_next_hop_path): top.lab.r1 -> top.lab.r3"}));
    EXPECT_HAS(t.raw(kAfterDisplay + 3), "color = " + colour_text(1, 0, 0) + "\n");
    EXPECT_HAS(t.raw(kAfterDisplay + 4), "tooltip = Destination: 10.0.13.3\nProtocol: direct (-1)\n"
                                         "Next Hop: 10.0.13.3 \nInsert Time: 0.000s \nMetric: 0\n");
}

TEST(RaShortcut, AShortcutWhoseAttributesNameNothingFailsToDraw) {
    struct Case {
        const char* attribute;
        const char* value;
    };
    const Case cases[] = {
        {"next_hop", "10.0.13"},            // no address
        {"next_hop", "10.0.13.3.10.0.13.3"}, // too long for an address
        {"src_node", "top.lab.gone"},       // no object of the model
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        Lab lab;
        xeqhost::Session session(lab.options());
        run_in(session, display("10.60.0.0/16", false));
        const XeqT_Obj_Handle path = Xeq_Obj_From_Hname_Get(session.model(), "top.bgp: r1 (r1-ge1) -> r3 (r3-ge0)");
        ASSERT_EQ(Xeq_Obj_Attr_Set(path, c.attribute, c.value), 1);
        testing::internal::CaptureStdout();
        run_in(session, "click \"top.bgp: r1 (r1-ge1) -> r3 (r3-ge0)\"\npopup \"Show IGP Route\"\n");
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "Path drawing failed\n");
        EXPECT_EQ(Xeq_Topo_Object_Count_Get(session.model(), XEQC_OBJ_PATH), 1);
    }
}

// A ring of routers, each with two equal-cost next hops (both ring
// neighbours) towards the BGP next hop: the interior routes loop. As each
// router is traced once, the trace ends, and draws both hops of every
// router exactly once.
TEST(RaShortcut, ShowIgpRouteEndsOnARoutingLoopWithEqualCostNextHops) {
    constexpr int kRouters = 24;
    LabModel model("ring");
    RoutingFile routes;
    auto name = [](int i) { return std::string("r").append(std::to_string((i + kRouters) % kRouters)); };
    auto link_net = [](int i) {
        return std::string("10.1.").append(std::to_string((i + kRouters) % kRouters)).append(".");
    };
    for (int i = 0; i < kRouters; ++i)
        model.router(name(i), {{name(i) + "-up", link_net(i) + "1", "255.255.255.0"},
                               {name(i) + "-down", link_net(i - 1) + "2", "255.255.255.0"}});
    for (int i = 0; i < kRouters; ++i) model.link(name(i), name(i) + "-up", name(i + 1), name(i + 1) + "-down");
    model.router("far", {{"far-ge0", "192.0.2.99", "255.255.255.0"}});
    for (int i = 0; i < kRouters; ++i) {
        routes.router(model.hname(name(i)))
            .route("192.0.2.0/24", "ospf", 1, {{link_net(i) + "2", 10, "1"}, {link_net(i - 1) + "1", 10, "1"}});
        if (i == 0) routes.route("10.99.0.0/16", "bgp", 65000, {{"192.0.2.99", 0, "2"}});
    }
    const ModelDir ring("ring", model.json(), routes.xml());
    const Transcript t = ring.run(display("10.99.0.0/16", false) +
                                  "click \"top.bgp: r0 () -> far (far-ge0)\"\n"
                                  "popup \"Show IGP Route\"\n"
                                  "model\n");
    const std::vector<std::string> drawn = paths(t.raw(kAfterDisplay + 2));
    EXPECT_EQ(drawn.size(), 1u + 2 * kRouters);
    EXPECT_EQ(std::set<std::string>(drawn.begin(), drawn.end()).size(), drawn.size());
    for (int i = 0; i < kRouters; ++i) {
        const std::string up = "path: top.ospf: " + name(i) + " (" + name(i) + "-up) -> " + name(i + 1) + " (" +
                               name(i + 1) + "-down) (ra_next_hop_path): top.ring." + name(i) + " -> top.ring." +
                               name(i) + "-" + name(i + 1) + " -> top.ring." + name(i + 1);
        EXPECT_NE(std::find(drawn.begin(), drawn.end(), up), drawn.end()) << up;
    }
}

// On the enterprise example: from a branch router over the WAN, both
// equal-cost core routers, each router once, and the provider link last.
TEST(RaShortcut, ShowIgpRouteTracesTheEnterpriseBackbone) {
    const ModelDir enterprise("enterprise", read_file(ENTERPRISE_DIR "/enterprise.json"),
                              read_file(ENTERPRISE_DIR "/enterprise.atv.xml"));
    const Transcript t = enterprise.run(display("198.51.100.0/24", false) +
                                        "model\n"
                                        "click \"top.bgp: br1_a () -> isp_edge (isp_edge-ge0)\"\n"
                                        "popup \"Show IGP Route\"\n"
                                        "model\n");
    const std::vector<std::string> before = paths(t.raw(kAfterDisplay));
    std::vector<std::string> added = paths(t.raw(kAfterDisplay + 3));
    for (const std::string& line : before) added.erase(std::find(added.begin(), added.end(), line));
    std::sort(added.begin(), added.end());
    EXPECT_EQ(added, (std::vector<std::string>{
                         "path: top.direct: hq_border (hq_border-ge0) -> isp_edge (isp_edge-ge0) (ra_next_hop_path): top.hq.hq_border -> top.isp-hq -> top.isp.isp_edge",
                         "path: top.ospf: br1_a (br1_a-ge0) -> br1_wan (br1_wan-ge1) (ra_next_hop_path): top.branch1.br1_a -> top.branch1.br1_wan-br1_a -> top.branch1.br1_wan",
                         "path: top.ospf: br1_wan (br1_wan-ge0) -> hq_wan (hq_wan-ge2) (ra_next_hop_path): top.branch1.br1_wan -> top.hq-branch1 -> top.hq.hq_wan",
                         "path: top.ospf: hq_core1 (hq_core1-ge0) -> hq_border (hq_border-ge1) (ra_next_hop_path): top.hq.hq_core1 -> top.hq.hq_border-hq_core1 -> top.hq.hq_border",
                         "path: top.ospf: hq_core2 (hq_core2-ge0) -> hq_border (hq_border-ge2) (ra_next_hop_path): top.hq.hq_core2 -> top.hq.hq_border-hq_core2 -> top.hq.hq_border",
                         "path: top.ospf: hq_wan (hq_wan-ge0) -> hq_core1 (hq_core1-ge4) (ra_next_hop_path): top.hq.hq_wan -> top.hq.hq_core1-hq_wan -> top.hq.hq_core1",
                         "path: top.ospf: hq_wan (hq_wan-ge1) -> hq_core2 (hq_core2-ge4) (ra_next_hop_path): top.hq.hq_wan -> top.hq.hq_core2-hq_wan -> top.hq.hq_core2",
                     }));
}

} // namespace
