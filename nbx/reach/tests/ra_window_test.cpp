// The analysis window, Find Node and the IP report as a user works them:
// scripts of user acts run through the xeqhost ui loop on the built
// plug-in and a copy of the campus example.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "reach/ra_gui.hpp"
#include "ui_session.hpp"
#include "xeq_ui.hpp"

namespace {

// A copy of the campus example, with or without its routing export file.
class Campus : public ModelDir {
public:
    explicit Campus(bool with_export = true)
        : ModelDir("campus", read_file(CAMPUS_DIR "/campus.json"),
                   with_export ? read_file(CAMPUS_DIR "/campus.atv.xml") : "") {}
};

// Live controllers of analysis windows, from their host pool.
int live_windows() {
    return kpl_pmo_live_count(kpl_pmo_define("RaGui", sizeof(RaGui), 1));
}

constexpr const char* kOpen = kOpenAnalysis;

TEST(RaWindow, WithoutExportDataTheAlertWaitsThenConfigureIsShown) {
    Campus campus(false);
    // The prompt waits for its answer: a script that stops there fails.
    campus.run(kOpen, 1);

    const Transcript t = campus.run(std::string(kOpen) +
                                    "show all\n"
                                    "answer OK\n"
                                    "show\n"
                                    "show all\n"
                                    "attr top.Config_Reachability_Analysis model\n");
    EXPECT_HAS(t.at(1), "prompt \"Feature Alert\" (waits for an answer)");
    EXPECT_HAS(t.raw(1), "  Reachability Analysis simulation export data not found.  Some\n"
                         "  features will not be available until Reachability Analysis is\n"
                         "  enabled and a simulation is run.  See the documentation for details.\n");
    EXPECT_LACKS(t.at(1), "dialog ra/"); // the pages load once it is answered
    EXPECT_HAS(t.at(3), "dialog ra/configure");
    EXPECT_LACKS(t.at(3), "dialog ra/find_network");
    EXPECT_HAS(t.at(3), "Page: [Find Node] (Configure)\n");
    EXPECT_HAS(t.at(3), "chk_enable toggle Export routing tables: off");
    EXPECT_HAS(t.at(3), "chk_disable toggle Do not export routing tables: on");
    EXPECT_HAS(t.at(4), "dialog ra/find_node \"Reachability Analysis\" at 120,80 420x240 (hidden)");
    EXPECT_HAS(t.at(4), "Page: [Find Node] (Configure)\n");
    // The configuration node was made for the preferences.
    EXPECT_HAS(t.at(5), "model = Reachability_Info_Config");
}

TEST(RaWindow, WithExportDataDisplayReachabilityIsShownAndTheOtherPagesWait) {
    Campus campus;
    const Transcript t = campus.run(std::string(kOpen) + "show all\n");
    EXPECT_LACKS(t.at(1), "prompt");
    EXPECT_HAS(t.at(1), "dialog ra/find_network \"Reachability Analysis\" at 120,80 420x240\n");
    EXPECT_HAS(t.at(1), "Page: (Display Reachability) [Find Node] [Configure]\n");
    EXPECT_HAS(t.at(1), "dialog ra/configure \"Reachability Analysis\" at 120,80 420x240 (hidden)");
    EXPECT_HAS(t.at(1), "Page: [Display Reachability] [Find Node] (Configure)\n");
    EXPECT_HAS(t.at(1), "dialog ra/find_node \"Reachability Analysis\" at 120,80 420x240 (hidden)");
    EXPECT_HAS(t.at(1), "Page: [Display Reachability] (Find Node) [Configure]\n");
    EXPECT_LACKS(t.at(1), "Summarization (OSPF)");
}

TEST(RaWindow, PreferencesAreWrittenOnCloseSavedWithTheModelAndReadAtTheNextOpening) {
    Campus campus;
    const Transcript first = campus.run(std::string(kOpen) +
                                        "type ra/find_network edt_ip_network 10.1.0.0/16\n"
                                        "toggle ra/find_network chk_aggregate on\n"
                                        "toggle ra/find_network chk_next_hop on\n"
                                        "pick ra/find_network pop_dialog_selector \"Find Node\"\n"
                                        "type ra/find_node edt_ip_address 10.1.1.1\n"
                                        "toggle ra/find_node chk_report on\n"
                                        "pick ra/find_node pop_dialog_selector Configure\n"
                                        "toggle ra/configure chk_enable on\n"
                                        "press ra/configure btn_save\n"
                                        "attr top.Config_Reachability_Analysis \"Reachability Info Export\"\n"
                                        "close ra/configure\n"
                                        "attr top.Config_Reachability_Analysis \"IP Network\"\n"
                                        "attr top.Config_Reachability_Analysis \"IP Address\"\n"
                                        "save\n");
    EXPECT_HAS(first.at(10), "Reachability Info Export = 1"); // at once, by the save button
    EXPECT_HAS(first.at(12), "IP Network = 10.1.0.0/16");
    EXPECT_HAS(first.at(13), "IP Address = 10.1.1.1");

    const Transcript second = campus.run(std::string(kOpen) + "show all\n");
    const std::string& pages = second.at(1);
    EXPECT_HAS(pages, "edt_ip_network edit IP network or address: \"10.1.0.0/16\"");
    EXPECT_HAS(pages, "chk_aggregate toggle Include aggregate routes: on");
    EXPECT_HAS(pages, "chk_next_hop toggle Show next hops: on");
    EXPECT_HAS(pages, "edt_ip_address edit IP address or network: \"10.1.1.1\"");
    EXPECT_HAS(pages, "chk_report toggle Show IP report: on");
    EXPECT_HAS(pages, "chk_enable toggle Export routing tables: on");
    EXPECT_HAS(pages, "chk_disable toggle Do not export routing tables: off");
}

TEST(RaWindow, AnAddressTooLongForItsPreferenceKeepsTheOneBefore) {
    Campus campus;
    // 16 bytes hold an address; a network typed into Find Node may not fit,
    // and cut short it would be another network.
    const Transcript t = campus.run(std::string(kOpen) +
                                    "pick ra/find_network pop_dialog_selector \"Find Node\"\n"
                                    "type ra/find_node edt_ip_address 10.1.0.0/16\n"
                                    "close ra/find_node\n" + kOpen +
                                    "pick ra/find_network pop_dialog_selector \"Find Node\"\n"
                                    "type ra/find_node edt_ip_address 192.168.100.0/24\n"
                                    "close ra/find_node\n"
                                    "attr top.Config_Reachability_Analysis \"IP Address\"\n");
    EXPECT_HAS(t.at(8), "IP Address = 10.1.0.0/16");
}

TEST(RaWindow, SwitchingFromAMovedPageShowsTheNextPageAtItsPosition) {
    Campus campus;
    const Transcript t = campus.run(std::string(kOpen) +
                                    "move ra/find_network 300 200\n"
                                    "pick ra/find_network pop_dialog_selector \"Find Node\"\n"
                                    "show\n"
                                    "move ra/find_node 40 60\n"
                                    "pick ra/find_node pop_dialog_selector \"Display Reachability\"\n"
                                    "show\n");
    EXPECT_HAS(t.at(3), "dialog ra/find_node \"Reachability Analysis\" at 300,200 420x240\n");
    EXPECT_LACKS(t.at(3), "dialog ra/find_network");
    EXPECT_HAS(t.at(6), "dialog ra/find_network \"Reachability Analysis\" at 40,60 420x240\n");
    // The page shown again has its own entry selected, not the one picked
    // on it before it was left.
    EXPECT_HAS(t.at(6), "Page: (Display Reachability) [Find Node] [Configure]\n");
}

// Whichever page the user closes, the whole window goes, each page once,
// both pages' preferences are written and the controller is released. The
// acts are those the session's commands forward, made one by one so that
// the controllers can be counted in between.
TEST(RaWindow, ClosingAnyPageClosesTheWholeWindowOnce) {
    namespace ui = xeq::ui;
    for (const char* page : {"ra/find_network", "ra/find_node", "ra/configure"}) {
        SCOPED_TRACE(page);
        Campus campus;
        xeqhost::Session session(campus.options());
        ASSERT_EQ(ui::run_menu_item("Reachability Analysis"), "");
        EXPECT_EQ(live_windows(), 1);
        ASSERT_EQ(ui::type_text(ui::find_dialog("ra/find_network"), "edt_ip_network", "10.2.0.0/24"), "");
        ASSERT_EQ(ui::pick_entry(ui::find_dialog("ra/find_network"), "pop_dialog_selector", "Find Node"), "");
        ASSERT_EQ(ui::type_text(ui::find_dialog("ra/find_node"), "edt_ip_address", "10.0.0.1"), "");
        const std::string entry = page == std::string("ra/find_network") ? "Display Reachability"
                                  : page == std::string("ra/find_node")  ? "Find Node"
                                                                         : "Configure";
        ASSERT_EQ(ui::pick_entry(ui::find_dialog("ra/find_node"), "pop_dialog_selector", entry), "");
        ASSERT_EQ(ui::close(ui::find_dialog(page)), "");
        EXPECT_TRUE(ui::dialogs().empty());
        EXPECT_EQ(live_windows(), 0);

        const Transcript t(run_in(session, "attr top.Config_Reachability_Analysis \"IP Network\"\n"
                                           "attr top.Config_Reachability_Analysis \"IP Address\"\n"));
        EXPECT_HAS(t.at(0), "IP Network = 10.2.0.0/24");
        EXPECT_HAS(t.at(1), "IP Address = 10.0.0.1");
    }
}

TEST(RaFindNode, SelectsAndZoomsToWhatItFinds) {
    struct Case {
        const char* text;
        const char* selected;
        const char* zoomed;
    };
    const Case cases[] = {
        {"10.1.1.20", "top.campus.east_pc2", "top.campus.east_pc2"},  // a host's address
        {"172.16.2.1", "top.campus.core", "top.campus.core"},         // a secondary address
        {"10.1.0.0/24", "top.campus.east top.campus.east_pc1", "the whole model"},
        {"192.0.2.3/32", "top.campus.west", "top.campus.west"},       // a network of one
        {"10.99.0.1", "nothing", "the whole model"},                  // an address nobody owns
        {"10.1.1", "nothing", "the whole model"},                     // not an address
        {"10.0.0.0/33", "nothing", "the whole model"},
        {"", "nothing", "the whole model"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Campus campus;
        const Transcript t = campus.run(std::string(kOpen) +
                                        "pick ra/find_network pop_dialog_selector \"Find Node\"\n"
                                        "select top.campus.lab_pc\n" // gone once Find runs
                                        "type ra/find_node edt_ip_address \"" + c.text + "\"\n"
                                        "press ra/find_node btn_find\n"
                                        "model\n"
                                        "show all\n");
        EXPECT_HAS(t.at(5), std::string("selected: ") + c.selected + "\n");
        EXPECT_HAS(t.at(5), std::string("zoomed to: ") + c.zoomed + "\n");
        EXPECT_LACKS(t.at(6), "prompt");
        EXPECT_LACKS(t.at(6), "ra/ip_report");
    }
}

TEST(RaFindNode, ANetworkWithoutInterfacesWaitsOnNoNodeFound) {
    Campus campus;
    const Transcript t = campus.run(std::string(kOpen) +
                                    "pick ra/find_network pop_dialog_selector \"Find Node\"\n"
                                    "type ra/find_node edt_ip_address 10.99.0.0/16\n"
                                    "press ra/find_node btn_find\n"
                                    "show\n"
                                    "answer OK\n"
                                    "show\n");
    EXPECT_HAS(t.at(4), "prompt \"No Node Found\" (waits for an answer)\n IP Address not found in network\n");
    EXPECT_LACKS(t.at(6), "prompt");
    EXPECT_HAS(t.at(6), "dialog ra/find_node");
}

TEST(RaIpReport, ListsTheInterfacesFoundWithSecondaryAddressesHighlighted) {
    Campus campus;
    const Transcript t = campus.run(std::string(kOpen) +
                                    "pick ra/find_network pop_dialog_selector \"Find Node\"\n"
                                    "toggle ra/find_node chk_report on\n"
                                    "type ra/find_node edt_ip_address 172.16.0.0/16\n"
                                    "press ra/find_node btn_find\n"
                                    "show ra/ip_report\n"
                                    "model\n"
                                    "close ra/ip_report\n"
                                    "type ra/find_node edt_ip_address 10.1.1.1\n"
                                    "press ra/find_node btn_find\n"
                                    "show ra/ip_report\n"
                                    "model\n");
    // Several interfaces: the report only, highest address first.
    EXPECT_HAS(t.at(5), "dialog ra/ip_report \"172.16.0.0/16\"");
    EXPECT_HAS(t.at(5), "Node Name | Interface | Address\n"
                        " * top.campus.core | core-ge2 | 172.16.2.1 (highlighted #FFFFCC)\n"
                        " * top.campus.core | core-ge2 | 172.16.1.1 (highlighted #FFFFCC)\n"
                        " top.campus.core | core-ge2 | 172.16.0.1\n");
    EXPECT_HAS(t.at(6), "selected: nothing\n");
    // One interface: the report, and the node selected and zoomed to.
    EXPECT_HAS(t.at(10), "dialog ra/ip_report \"10.1.1.1\"");
    EXPECT_HAS(t.at(10), "tbl_ip_report table Interfaces found: 1 row(s)\n"
                         " Node Name | Interface | Address\n"
                         " * top.campus.east | east-ge1 | 10.1.1.1 (highlighted #FFFFCC)\n");
    EXPECT_HAS(t.at(11), "selected: top.campus.east\nzoomed to: top.campus.east\n");
}

TEST(RaIpReport, TheTableHandlersAnswerOnlyForItsRowsAndColumns) {
    Campus campus;
    xeqhost::Session session(campus.options());
    namespace ui = xeq::ui;
    ASSERT_EQ(ui::run_menu_item("Reachability Analysis"), "");
    ASSERT_EQ(ui::pick_entry(ui::find_dialog("ra/find_network"), "pop_dialog_selector", "Find Node"), "");
    ASSERT_EQ(ui::set_toggle(ui::find_dialog("ra/find_node"), "chk_report", true), "");
    ASSERT_EQ(ui::type_text(ui::find_dialog("ra/find_node"), "edt_ip_address", "10.0.0.5"), "");
    ASSERT_EQ(ui::press(ui::find_dialog("ra/find_node"), "btn_find"), "");
    const XeqT_Dbox report = xeq::ui::find_dialog("ra/ip_report");
    ASSERT_NE(report, nullptr);
    const auto display = reinterpret_cast<XeqT_Table_Display_Handler>(
        xeq::ui::resolve_export("ra_ip_report_table_display_handler"));
    const auto decorate = reinterpret_cast<XeqT_Table_Decoration_Handler>(
        xeq::ui::resolve_export("ra_ip_report_table_decoration_handler"));
    ASSERT_NE(display, nullptr);
    ASSERT_NE(decorate, nullptr);
    EXPECT_STREQ(display(report, "tbl_ip_report", -1, 0, nullptr), "Node Name");
    EXPECT_STREQ(display(report, "tbl_ip_report", -1, 2, nullptr), "Address");
    EXPECT_STREQ(display(report, "tbl_ip_report", 0, 1, nullptr), "core-ge1");
    EXPECT_STREQ(display(report, "tbl_ip_report", 0, 2, nullptr), "10.0.0.5");
    EXPECT_STREQ(display(report, "tbl_ip_report", 1, 0, nullptr), ""); // past the last record
    EXPECT_STREQ(display(report, "tbl_ip_report", -2, 0, nullptr), ""); // not a row either
    EXPECT_EQ(display(report, "tbl_ip_report", 0, 3, nullptr), nullptr);
    EXPECT_EQ(display(report, "tbl_ip_report", -1, -1, nullptr), nullptr);
    for (const int row : {0, 1, -1, -2}) { // a primary address and no rows
        XeqT_Table_Decoration decoration{0x123456, 0};
        decorate(report, "tbl_ip_report", row, 0, &decoration);
        EXPECT_EQ(decoration.flags, 0u) << row;
        EXPECT_EQ(decoration.background, 0x123456u) << row;
    }
}

// A lab model whose names hold what CSV readers split on.
const char* const kLab = R"({"format": "xeq-model", "version": 1, "name": "lab", "objects": [
  {"name": "top.lab", "type": "subnet"},
  {"name": "top.lab.r1", "type": "node", "attributes": {"model": "ip_router",
    "IP Routing Parameters": [{"Interface Information": [
      {"Name": "ge0, \"uplink\"", "Address": "10.5.0.1", "Subnet Mask": "255.255.255.0"}]}]}},
  {"name": "top.lab.edge,west", "type": "node", "attributes": {"model": "ip_router",
    "IP Routing Parameters": [{"Interface Information": [
      {"Name": "ge1", "Address": "10.5.0.2", "Subnet Mask": "255.255.255.0"}]}]}}]})";

TEST(RaIpReport, ExportsCsvThroughTheChooser) {
    TempDir dir;
    const std::string model = dir.write("lab.json", kLab);
    const std::string csv = dir.file("report.csv");
    const std::string unwritable = dir.file("missing/report.csv");
    int status = -1;
    const std::string out = xeqhost::run_session(
        {model, {NBX_PLUGIN}},
        std::string(kOpen) + "answer OK\n"
                             "pick ra/configure pop_dialog_selector \"Find Node\"\n"
                             "toggle ra/find_node chk_report on\n"
                             "type ra/find_node edt_ip_address 10.5.0.0/24\n"
                             "press ra/find_node btn_find\n"
                             "show ra/ip_report\n"
                             "press ra/ip_report btn_export\n"
                             "show chooser\n"
                             "choose " + csv + "\n"
                             "press ra/ip_report btn_export\n"
                             "choose " + csv + "\n"
                             "press ra/ip_report btn_export\n"
                             "choose " + unwritable + "\n"
                             "press ra/ip_report btn_export\n"
                             "close ra/ip_report\n"
                             "show all\n",
        &status);
    EXPECT_EQ(status, 0) << out;
    const Transcript t(out);
    // The table shows the names as they are.
    EXPECT_HAS(t.at(6), " top.lab.edge,west | ge1 | 10.5.0.2\n");
    EXPECT_HAS(t.at(6), " top.lab.r1 | ge0, \"uplink\" | 10.5.0.1\n");
    EXPECT_HAS(t.at(8), "chooser \"Export IP Report\": save a file from . (*.csv)");
    // Exported twice to one path: one copy, each name one field.
    EXPECT_EQ(read_file(csv), "\"top.lab.edge,west\",ge1,10.5.0.2\n"
                              "top.lab.r1,\"ge0, \"\"uplink\"\"\",10.5.0.1\n");
    EXPECT_HAS(t.at(13), "warning: The IP report could not be written to / " + unwritable);
    EXPECT_FALSE(std::filesystem::exists(unwritable));
    // A chooser left open goes with its report, which released its list.
    EXPECT_HAS(t.at(16), "dialog ra/find_node");
    EXPECT_LACKS(t.at(16), "chooser");
    EXPECT_LACKS(t.at(16), "ra/ip_report");
}

} // namespace
