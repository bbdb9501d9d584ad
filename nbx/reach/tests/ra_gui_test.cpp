// The analysis window's controller and the routing export file: the tree
// in use follows the file and the tree kept with the model.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "model_directories.hpp"
#include "model_fixture.hpp"
#include "reach/ra_bt_tree.hpp"
#include "reach/ra_client_state.hpp"
#include "reach/ra_gui.hpp"
#include "routers.hpp"
#include "routing/ra_xml_parser.hpp"
#include "temp_dir.hpp"

namespace {

std::string export_file(const char* destination) {
    return std::string("<?xml version=\"1.0\"?>\n<NetData>\n<IpNetwork>\n<IpNode hname=\"top.r1\">\n"
                       "<IpRteTable>\n<IpRteEntry addr=\"") +
           destination +
           "\" mask=\"255.255.0.0\" prot=\"ospf\" process=\"1\">\n"
           "<IpNextHop addr=\"10.0.0.2\" metric=\"2\" time=\"1\"/>\n</IpRteEntry>\n"
           "</IpRteTable>\n</IpNode>\n</IpNetwork>\n</NetData>\n";
}

class RoutingExport : public ::testing::Test {
protected:
    RoutingExport() { path_ = dir_.write("lab.atv.xml", export_file("10.1.0.0")); }

    RaBtTree* kept() const {
        return static_cast<RaBtTree*>(Xeq_Model_Network_State_Access(model_.model(), id_));
    }
    // Rewrites the file as a later simulation run does, some seconds later.
    void rewrite(const char* destination) {
        const auto before = std::filesystem::last_write_time(path_);
        dir_.write("lab.atv.xml", export_file(destination));
        std::filesystem::last_write_time(path_, before + std::chrono::seconds(5));
    }
    static bool routes_to(const RaBtTree* tree, const char* network) {
        return tree != nullptr && const_cast<RaBtTree*>(tree)->get_state_by_prefix(prefix(network), false) != nullptr;
    }

    static int registered_state() {
        ra_xeq_init();
        return Xeq_Client_State_By_Name_Get("(RA) Global Routing Tables");
    }

    const int id_ = registered_state();
    ModelFixture model_{R"({"format": "xeq-model", "version": 1, "name": "lab", "objects": []})"};
    TempDir dir_;
    ModelDirectories directories_{{dir_.path()}};
    std::string path_;
};

TEST_F(RoutingExport, ARewrittenFileIsReadAgainAndADeletedOneKeepsTheTree) {
    ASSERT_EQ(Xeq_Model_Network_State_Set(model_.model(), id_, ra_parse_xml()), 1);
    RaGui gui;
    gui.SetTree(kept());
    ASSERT_TRUE(routes_to(gui.GetTree(), "10.1.0.0/16"));

    gui.UpdateTree(); // the file's time was not known yet: read again, which is safe
    RaBtTree* current = gui.GetTree();
    ASSERT_TRUE(routes_to(current, "10.1.0.0/16"));
    EXPECT_EQ(kept(), current);
    gui.UpdateTree(); // unchanged file: same tree
    EXPECT_EQ(gui.GetTree(), current);

    rewrite("10.2.0.0");
    gui.UpdateTree();
    EXPECT_NE(gui.GetTree(), current);
    EXPECT_EQ(kept(), gui.GetTree());
    EXPECT_TRUE(routes_to(gui.GetTree(), "10.2.0.0/16"));
    EXPECT_FALSE(routes_to(gui.GetTree(), "10.1.0.0/16"));

    current = gui.GetTree();
    std::filesystem::remove(path_);
    gui.UpdateTree();
    EXPECT_EQ(gui.GetTree(), current);
    EXPECT_EQ(kept(), current);
}

// Two windows on one model: the tree one of them reads again replaces the
// one the other borrowed, which must not go on using the destroyed tree.
TEST_F(RoutingExport, AWindowAdoptsTheTreeAnotherWindowReadAgain) {
    ASSERT_EQ(Xeq_Model_Network_State_Set(model_.model(), id_, ra_parse_xml()), 1);
    RaGui first;
    RaGui second;
    first.SetTree(kept());
    second.SetTree(kept());
    first.UpdateTree();
    second.UpdateTree();
    EXPECT_EQ(second.GetTree(), kept());
    rewrite("10.3.0.0");
    second.UpdateTree();
    first.UpdateTree(); // reads the file too: its own time is older
    second.UpdateTree(); // adopts that tree; the file is as it last read it
    EXPECT_EQ(first.GetTree(), kept());
    EXPECT_EQ(second.GetTree(), kept());
    EXPECT_TRUE(routes_to(first.GetTree(), "10.3.0.0/16"));
}

} // namespace
