#include <gtest/gtest.h>

#include <random>
#include <string>

#include "comma_locale.hpp"
#include "describe.hpp"
#include "model_directories.hpp"
#include "model_fixture.hpp"
#include "reach/ra_bt_tree.hpp"
#include "routing/ra_xml_parser.hpp"
#include "temp_dir.hpp"

namespace {

// A tree read from text, deleted at the end of the test.
struct ReadTree {
    RaBtTree* tree;
    explicit ReadTree(RaBtTree* t) : tree(t) {}
    ~ReadTree() { delete tree; }
    ReadTree(const ReadTree&) = delete;
    ReadTree& operator=(const ReadTree&) = delete;
    std::string text() const { return describe(tree->get_node_list()); }
};

std::string read_text(const std::string& xml) {
    TempDir dir;
    ReadTree read(ra_parse_xml_file(dir.write("r.atv.xml", xml).c_str()));
    EXPECT_NE(read.tree, nullptr);
    return read.tree == nullptr ? "(null)" : read.text();
}

std::string document(const std::string& body) {
    return "<?xml version=\"1.0\"?>\n<NetData>\n<IpNetwork>\n" + body + "</IpNetwork>\n</NetData>\n";
}

const char* const kEntry = "<IpRteEntry addr=\"10.1.0.0\" mask=\"255.255.0.0\" prot=\"ospf\" process=\"1\">"
                           "<IpNextHop addr=\"10.0.0.2\" metric=\"20\" time=\"3\"/></IpRteEntry>";

TEST(RaXmlParser, ReadsTheGoldenSnapshot) {
    ReadTree read(ra_parse_xml_file(ROUTING_GOLDEN_DIR "/snapshot.atv.xml"));
    ASSERT_NE(read.tree, nullptr);
    EXPECT_EQ(read.text(),
              "top.campus.r<1> & \"core\": 10.1.0.0/16 ospf 1 [10.0.0.2 20 -1, 10.0.0.3 20 12.25]; "
              "0.0.0.0/0 none -1 []; "
              "192.168.1.7/32 static 0 [10.0.0.9 1 1.23457e+06, 10.0.0.10 -5 0.0001, 10.0.0.11 0 1e-05]\n"
              "top.campus.r2:\n");
    EXPECT_STREQ(read.tree->get_file_path(), ROUTING_GOLDEN_DIR "/snapshot.atv.xml");
}

TEST(RaXmlParser, DocumentShapes) {
    const struct {
        const char* what;
        std::string xml;
        const char* expected;
    } cases[] = {
        {"root other than NetData", "<Other><IpNetwork><IpNode hname=\"a\"/></IpNetwork></Other>", ""},
        {"empty NetData", "<NetData/>", ""},
        {"two nodes with one name",
         document(std::string("<IpNode hname=\"a\"><IpRteTable>") + kEntry + "</IpRteTable></IpNode>"
                  "<IpNode hname=\"a\"/>"),
         "a: 10.1.0.0/16 ospf 1 [10.0.0.2 20 3]\na:\n"},
        {"attribute order does not matter",
         document("<IpNode hname=\"a\"><IpRteTable><IpRteEntry process=\"3\" prot=\"bgp\" mask=\"255.0.0.0\" "
                  "addr=\"10.0.0.0\"><IpNextHop time=\"2.5\" metric=\"7\" addr=\"1.2.3.4\"/></IpRteEntry>"
                  "</IpRteTable></IpNode>"),
         "a: 10.0.0.0/8 bgp 3 [1.2.3.4 7 2.5]\n"},
        {"unknown or ERROR protocol leaves none; missing time is unknown",
         document("<IpNode hname=\"a\"><IpRteTable><IpRteEntry addr=\"10.0.0.0\" mask=\"255.0.0.0\" "
                  "prot=\"ERROR\"><IpNextHop addr=\"1.2.3.4\"/></IpRteEntry><IpRteEntry addr=\"10.0.0.0\" "
                  "mask=\"255.0.0.0\" prot=\"Ospf\"/></IpRteTable></IpNode>"),
         "a: 10.0.0.0/8 none -1 [1.2.3.4 0 -1]; 10.0.0.0/8 none -1 []\n"},
        {"an unexpected element inside IpNode ends it early",
         document(std::string("<IpNode hname=\"a\"><Unexpected/><IpRteTable>") + kEntry +
                  "</IpRteTable></IpNode><IpNode hname=\"b\"/>"),
         "a:\n"},
        {"IpNode without hname attaches to the node before",
         document(std::string("<IpNode hname=\"a\"/><IpNode><IpRteTable>") + kEntry + "</IpRteTable></IpNode>"),
         "a: 10.1.0.0/16 ospf 1 [10.0.0.2 20 3]\n"},
        {"entries before any named node are skipped",
         document(std::string("<IpNode><IpRteTable>") + kEntry + "</IpRteTable></IpNode><IpNode hname=\"a\"/>"),
         "a:\n"},
        {"entries without a usable destination are skipped with their next hops",
         document(std::string("<IpNode hname=\"a\"><IpRteTable>") + kEntry +
                  "<IpRteEntry addr=\"10.2.0.0\" prot=\"rip\"><IpNextHop addr=\"9.9.9.9\"/></IpRteEntry>"
                  "<IpRteEntry mask=\"255.0.0.0\"><IpNextHop addr=\"9.9.9.8\"/></IpRteEntry>"
                  "<IpRteEntry addr=\"10.2.0.0\" mask=\"\"><IpNextHop addr=\"9.9.9.7\"/></IpRteEntry>"
                  "<IpRteEntry addr=\"010.002.000.0000\" mask=\"255.0.0.0\"/>"
                  "<IpRteEntry addr=\"10.0.0.0\" mask=\"255.255.255.255.0\"/>"
                  "<IpRteEntry addr=\"10.0.0.0\" mask=\"255.0.255.0\"/>"
                  "<IpRteEntry addr=\"10.0.0.0/8\" mask=\"255.0.0.0\"/>"
                  "<IpRteEntry addr=\"10.3.0.0\" mask=\"255.255.0.0\" prot=\"isis\"/>"
                  "</IpRteTable></IpNode>"),
         "a: 10.1.0.0/16 ospf 1 [10.0.0.2 20 3]; 10.3.0.0/16 isis -1 []\n"},
        {"next hops of an entry without attributes, or without a valid addr, are skipped",
         document(std::string("<IpNode hname=\"a\"><IpRteTable>") + kEntry +
                  "<IpRteEntry><IpNextHop addr=\"9.9.9.9\"/></IpRteEntry></IpRteTable></IpNode>"
                  "<IpNode hname=\"b\"><IpRteTable><IpRteEntry addr=\"10.0.0.0\" mask=\"255.0.0.0\">"
                  "<IpNextHop metric=\"1\"/><IpNextHop addr=\"1.2.3\"/><IpNextHop/>"
                  "<IpNextHop addr=\"1.2.3.4\" metric=\"99999999999\" time=\"abc\"/>"
                  "</IpRteEntry></IpRteTable></IpNode>"),
         "a: 10.1.0.0/16 ospf 1 [10.0.0.2 20 3]\nb: 10.0.0.0/8 none -1 [1.2.3.4 2147483647 0]\n"},
        {"next hop addresses are host addresses; times are read as atof reads them",
         document("<IpNode hname=\"a\"><IpRteTable><IpRteEntry addr=\"10.0.0.0\" mask=\"255.0.0.0\">"
                  "<IpNextHop addr=\"1.2.3.4/24\"/><IpNextHop addr=\"1.2.3.5\" time=\"+2.5\"/>"
                  "<IpNextHop addr=\"1.2.3.6\" time=\" 3x\"/><IpNextHop addr=\"1.2.3.7\" time=\"0x10\"/>"
                  "<IpNextHop addr=\"1.2.3.8\" time=\"1.5e+06\"/></IpRteEntry></IpRteTable></IpNode>"),
         "a: 10.0.0.0/8 none -1 [1.2.3.5 0 2.5, 1.2.3.6 0 3, 1.2.3.7 0 16, 1.2.3.8 0 1.5e+06]\n"},
        {"a truncated file keeps what was read",
         "<NetData><IpNetwork><IpNode hname=\"a\"><IpRteTable>" + std::string(kEntry) +
             "<IpRteEntry addr=\"10.9.0.0\" mask=\"255.255.0.0\"><IpNextHop addr=\"1.1.1.1\" metr",
         "a: 10.1.0.0/16 ospf 1 [10.0.0.2 20 3]; 10.9.0.0/16 none -1 []\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(read_text(c.xml), c.expected) << c.what;
}

TEST(RaXmlParser, ReportsUnknownAttributesByPosition) {
    testing::internal::CaptureStdout();
    const std::string text = read_text(document(
        "<IpNode colour=\"red\" hname=\"a\"><IpConfig gateway=\"true\" odd=\"1\"/><IpRteTable>"
        "<IpRteEntry addr=\"10.0.0.0\" weight=\"2\" mask=\"255.0.0.0\">"
        "<IpNextHop addr=\"1.2.3.4\" metric=\"1\" time=\"1\" via=\"x\"/></IpRteEntry></IpRteTable></IpNode>"));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "IpNode: Unknown attribute 0, 'colour'\n"
              "IpRouteEntry: Unknown attribute 2, 'weight'\n"
              "IpNextHop: Unknown attribute 6, 'via'\n");
    EXPECT_EQ(text, "a: 10.0.0.0/8 none -1 [1.2.3.4 1 1]\n");
}

// Counts the records filed in the tree.
int records_in(RaBtTree& tree) {
    QovT_Ll_Desc states;
    kpl_list_init(&states);
    tree.get_root()->collect_recursive(&states);
    int records = 0;
    for (int i = 0; i < kpl_list_size(&states); ++i)
        records += kpl_list_size(static_cast<RaBtState*>(kpl_list_access(&states, i))->get_data());
    kpl_list_free(&states);
    return records;
}

TEST(RaXmlParser, RoundTripsWhatTheWriterWrites) {
    std::mt19937 random(20261211);
    RaNetData data;
    int entries = 0;
    const char* const names[] = {"top.core.r", "top.edge<&>.r", "top.\"lab\".r'"};
    for (int n = 0; n < 2; ++n) {
        RaIpNetwork* network = data.add_ip_network();
        for (int r = 0; r < 12; ++r) {
            RaIpNode* node = network->add_ip_node();
            node->set_name((names[r % 3] + std::to_string(n * 100 + r)).c_str());
            node->set_gateway(r % 2 == 0);
            const int count = static_cast<int>(random() % 40);
            for (int e = 0; e < count; ++e, ++entries) {
                RaIpRouteEntry* entry = node->add_ip_route();
                const int length = static_cast<int>(random() % 33);
                const uint32_t mask = length == 0 ? 0 : ~0u << (32 - length);
                entry->set_destination(static_cast<uint32_t>(random()) & mask, mask);
                entry->set_protocol(static_cast<int>(random() % 9) - 1);
                entry->set_process(static_cast<int>(random() % 5) - 1);
                const int hops = static_cast<int>(random() % 5);
                for (int h = 0; h < hops; ++h) {
                    RaIpRouteNextHop* hop = entry->add_next_hop();
                    hop->set_next_hop_addr(dotted(static_cast<uint32_t>(random())).c_str());
                    hop->set_metric(static_cast<int>(random() % 100000) - 10);
                    if (random() % 4) hop->set_insert_time(static_cast<double>(random() % 40000) / 4);
                }
            }
        }
    }
    TempDir dir;
    ASSERT_EQ(data.export_network_data(dir.file("rt.atv.xml")), RAC_EXPORT_DONE);
    ReadTree read(ra_parse_xml_file(dir.file("rt.atv.xml").c_str()));
    ASSERT_NE(read.tree, nullptr);
    // The nodes of both networks come back in one list, in file order.
    EXPECT_EQ(read.text(), describe(data));
    EXPECT_EQ(records_in(*read.tree), entries);
}

// Numbers read as in the C locale whatever the process's locale: the plain
// forms and those that take the slower path (a blank, a sign).
TEST(RaXmlParser, ReadsNumbersWhateverTheLocale) {
    const std::string xml = document(
        "<IpNode hname=\"r\"><IpRteTable>"
        "<IpRteEntry addr=\"10.1.0.0\" mask=\"255.255.0.0\" prot=\"ospf\" process=\"123456\">"
        "<IpNextHop addr=\"10.0.0.2\" metric=\"100000\" time=\"12.25\"/>"
        "<IpNextHop addr=\"10.0.0.3\" metric=\" 7\" time=\" 12.25\"/>"
        "<IpNextHop addr=\"10.0.0.4\" metric=\"+7\" time=\"+1.5e3\"/>"
        "</IpRteEntry></IpRteTable></IpNode>");
    const std::string expected = read_text(xml);
    EXPECT_EQ(expected, "r: 10.1.0.0/16 ospf 123456 [10.0.0.2 100000 12.25, 10.0.0.3 7 12.25, "
                        "10.0.0.4 7 1500]\n");
    RaBtTree* tree = nullptr;
    TempDir dir;
    {
        const CommaLocale comma;
        if (!comma.c_locale_set()) std::puts("no comma locale to be had: the C library's part is not tried");
        tree = ra_parse_xml_file(dir.write("r.atv.xml", xml).c_str());
    }
    ReadTree read(tree);
    ASSERT_NE(read.tree, nullptr);
    EXPECT_EQ(read.text(), expected);
}

TEST(RaParseXml, FindsTheCurrentModelsExportFileInTheModelDirectories) {
    ModelFixture model(R"({"format": "xeq-model", "version": 1, "name": "campus", "objects": []})");
    TempDir empty;
    TempDir dir;
    ModelDirectories directories({empty.path(), dir.path()});
    EXPECT_EQ(ra_parse_xml(), nullptr); // no export file yet
    dir.write("other.atv.xml", document("<IpNode hname=\"x\"/>"));
    EXPECT_EQ(ra_parse_xml(), nullptr);

    const std::string path = dir.write("campus.atv.xml", document("<IpNode hname=\"top.campus.r1\"/>"));
    ReadTree read(ra_parse_xml());
    ASSERT_NE(read.tree, nullptr);
    EXPECT_STREQ(read.tree->get_file_path(), path.c_str());
    EXPECT_EQ(read.text(), "top.campus.r1:\n");
}

TEST(RaParseXml, NoCurrentModelOrNoDirectoriesFindNothing) {
    TempDir dir;
    dir.write("campus.atv.xml", document("<IpNode hname=\"a\"/>"));
    {
        ModelDirectories directories({dir.path()});
        EXPECT_EQ(ra_parse_xml(), nullptr); // no model
    }
    ModelFixture model(R"({"format": "xeq-model", "version": 1, "name": "campus", "objects": []})");
    EXPECT_EQ(ra_parse_xml(), nullptr); // no directories
}

} // namespace
