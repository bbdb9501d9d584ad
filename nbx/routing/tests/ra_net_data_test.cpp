#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "comma_locale.hpp"
#include "routing/ra_net_data.hpp"
#include "temp_dir.hpp"

namespace {

// The snapshot of golden/snapshot.atv.xml: escaping, flags, every kind of
// time, an out-of-table protocol, an entry without next hops, a node
// without routes, an empty network.
void fill_golden_snapshot(RaNetData& data) {
    RaIpNetwork* network = data.add_ip_network();
    RaIpNode* r1 = network->add_ip_node();
    r1->set_name("top.campus.r<1> & \"core\"");
    r1->set_gateway(true);

    RaIpRouteEntry* ospf = r1->add_ip_route();
    ospf->set_destination("10.1.0.0", "255.255.0.0");
    ospf->insert_protocol_as_string("ospf");
    ospf->set_process(1);
    RaIpRouteNextHop* hop = ospf->add_next_hop();
    hop->set_next_hop_addr("10.0.0.2");
    hop->set_metric(20);
    hop = ospf->add_next_hop();
    hop->set_next_hop_addr("10.0.0.3");
    hop->set_metric(20);
    hop->set_insert_time(12.25);

    RaIpRouteEntry* odd = r1->add_ip_route();
    odd->set_destination(0u, 0u);
    odd->set_protocol(9);

    RaIpRouteEntry* host = r1->add_ip_route();
    host->set_destination(0xC0A80107u, 0xFFFFFFFFu);
    host->set_protocol(RAC_PROTOCOL_STATIC);
    host->set_process("0");
    const struct {
        const char* addr;
        int metric;
        double time;
    } hops[] = {{"10.0.0.9", 1, 1234567.0}, {"10.0.0.10", -5, 0.0001}, {"10.0.0.11", 0, 0.00001}};
    for (const auto& h : hops) {
        hop = host->add_next_hop();
        hop->set_next_hop_addr(h.addr);
        hop->set_metric(h.metric);
        hop->set_insert_time(h.time);
    }

    RaIpNode* r2 = network->add_ip_node();
    r2->set_name("top.campus.r2");
    r2->set_ip_cloud(true);
    data.add_ip_network();
    data.add_atm_network()->set_time(3.0); // never written
}

TEST(RaNetData, WritesTheExportFormatByteForByte) {
    TempDir dir;
    RaNetData data;
    fill_golden_snapshot(data);
    const std::string path = dir.file("snapshot.atv.xml");
    ASSERT_EQ(data.export_network_data(path), RAC_EXPORT_DONE);
    EXPECT_EQ(read_file(path), read_file(ROUTING_GOLDEN_DIR "/snapshot.atv.xml"));
}

TEST(RaNetData, WritesTheSameBytesWhateverTheLocale) {
    const CommaLocale comma;
    TempDir dir;
    RaNetData data;
    fill_golden_snapshot(data);
    const std::string path = dir.file("snapshot.atv.xml");
    ASSERT_EQ(data.export_network_data(path), RAC_EXPORT_DONE);
    EXPECT_EQ(read_file(path), read_file(ROUTING_GOLDEN_DIR "/snapshot.atv.xml"));

    // Also into a stream that carries the locale itself, with numbers a
    // grouping would split.
    RaIpRouteEntry entry;
    entry.set_destination(0x0A000000u, 0xFF000000u);
    entry.set_process(123456);
    RaIpRouteNextHop* hop = entry.add_next_hop();
    hop->set_next_hop_addr("10.0.0.1");
    hop->set_metric(100000);
    hop->set_insert_time(12.25);
    std::ostringstream out;
    out.imbue(std::locale());
    entry.print(&out);
    EXPECT_EQ(out.str(), "<IpRteEntry addr=\"10.0.0.0\" mask=\"255.0.0.0\" prot=\"none\" process=\"123456\">\n"
                         "<IpNextHop addr=\"10.0.0.1\" metric=\"100000\" time=\"12.25\"/>\n"
                         "</IpRteEntry>\n");
}

TEST(RaNetData, NetworksWithoutNodesAndAnEmptySnapshot) {
    TempDir dir;
    RaNetData two;
    two.add_ip_network();
    two.add_ip_network();
    ASSERT_EQ(two.export_network_data(dir.file("two.xml")), RAC_EXPORT_DONE);
    EXPECT_EQ(read_file(dir.file("two.xml")),
              "<?xml version=\"1.0\"?>\n<NetData>\n<IpNetwork>\n</IpNetwork>\n<IpNetwork>\n</IpNetwork>\n"
              "</NetData>\n");
    RaNetData none;
    ASSERT_EQ(none.export_network_data(dir.file("none.xml")), RAC_EXPORT_DONE);
    EXPECT_EQ(read_file(dir.file("none.xml")), "<?xml version=\"1.0\"?>\n<NetData>\n</NetData>\n");
}

TEST(RaNetData, ExportTruncatesAnOlderFile) {
    TempDir dir;
    const std::string path = dir.write("old.xml", std::string(4096, 'x'));
    RaNetData none;
    ASSERT_EQ(none.export_network_data(path), RAC_EXPORT_DONE);
    EXPECT_EQ(read_file(path), "<?xml version=\"1.0\"?>\n<NetData>\n</NetData>\n");
}

TEST(RaNetData, AFileThatCannotBeOpenedGivesItsCodeAndWritesNothing) {
    TempDir dir;
    RaNetData data;
    fill_golden_snapshot(data);
    EXPECT_EQ(data.export_network_data(dir.file("no/such/dir.atv.xml")), RAC_EXPORT_OPEN_FAILED);
    EXPECT_EQ(data.export_network_data(dir.path()), RAC_EXPORT_OPEN_FAILED); // a directory
    EXPECT_FALSE(std::ifstream(dir.file("no/such/dir.atv.xml")).good());
}

TEST(RaNetData, AWriteThatFailsPartWayIsNotReportedAsDone) {
    if (!std::ofstream("/dev/full").is_open()) GTEST_SKIP() << "no /dev/full here";
    RaNetData data;
    fill_golden_snapshot(data);
    EXPECT_EQ(data.export_network_data("/dev/full"), RAC_EXPORT_WRITE_FAILED);
}

TEST(RaIpRouteEntry, ProtocolNamesBothWays) {
    const struct {
        int code;
        const char* name;
    } table[] = {{-1, "none"}, {0, "rip"},  {1, "igrp"},   {2, "ospf"},   {3, "bgp"},
                 {4, "eigrp"}, {5, "isis"}, {6, "static"}, {7, "direct"}};
    for (const auto& row : table) {
        RaIpRouteEntry entry;
        entry.set_protocol(row.code);
        EXPECT_STREQ(entry.get_protocol_as_string(), row.name);
        RaIpRouteEntry read;
        read.set_protocol(42);
        read.insert_protocol_as_string(row.name);
        EXPECT_EQ(read.get_protocol(), row.code) << row.name;
    }
    RaIpRouteEntry entry;
    for (int code : {8, 9, -2, 1000}) {
        entry.set_protocol(code);
        EXPECT_STREQ(entry.get_protocol_as_string(), "ERROR");
    }
    entry.set_protocol(RAC_PROTOCOL_BGP);
    for (const char* other : {"ERROR", "OSPF", "ospf ", "", "bgp4"}) {
        entry.insert_protocol_as_string(other);
        EXPECT_EQ(entry.get_protocol(), RAC_PROTOCOL_BGP) << other;
    }
}

TEST(RaIpRouteEntry, DestinationsAndNumbers) {
    RaIpRouteEntry entry;
    EXPECT_EQ(entry.get_process(), -1);
    EXPECT_EQ(entry.get_protocol(), RAC_PROTOCOL_NONE);
    ASSERT_TRUE(entry.set_destination("172.16.4.0", "255.255.252.0"));
    EXPECT_EQ(entry.get_destination().value, 0xAC100400u);
    EXPECT_EQ(entry.get_destination().mask, 0xFFFFFC00u);
    // Malformed texts leave the destination as it was.
    for (const auto& [addr, mask] : {std::pair<const char*, const char*>{"10.0.0.0", "255.0.255.0"},
                                     {"10.0.0.256", "255.0.0.0"},
                                     {"10.0.0.0/8", "255.0.0.0"},
                                     {"10.0.0.0", ""},
                                     {"10.0.0.0", nullptr},
                                     {nullptr, "255.0.0.0"}}) {
        EXPECT_FALSE(entry.set_destination(addr, mask));
        EXPECT_EQ(entry.get_destination().value, 0xAC100400u);
        EXPECT_EQ(entry.get_destination().mask, 0xFFFFFC00u);
    }
    // Texts are read as atoi reads them; out-of-range values are clamped.
    const struct {
        const char* text;
        int value;
    } numbers[] = {{"12", 12}, {" -3x", -3}, {"abc", 0}, {"", 0}, {"99999999999", 2147483647},
                   {"-99999999999", -2147483647 - 1}};
    for (const auto& n : numbers) {
        entry.set_process(n.text);
        EXPECT_EQ(entry.get_process(), n.value) << n.text;
    }
    RaIpRouteNextHop hop;
    EXPECT_LT(hop.get_insert_time(), 0.0);
    EXPECT_TRUE(hop.set_next_hop_addr("10.9.8.7"));
    EXPECT_FALSE(hop.set_next_hop_addr("10.9.8"));
    EXPECT_EQ(hop.get_next_hop_addr().value, 0x0A090807u);
    EXPECT_EQ(hop.get_next_hop_addr().mask, 0xFFFFFFFFu);
}

TEST(RaIpNode, NamesAndTheOneRouteTable) {
    RaIpNode node("top.a");
    EXPECT_STREQ(node.get_name(), "top.a");
    EXPECT_TRUE(node.set_name("top.b"));
    EXPECT_STREQ(node.get_name(), "top.b");
    EXPECT_FALSE(node.set_name(nullptr));
    EXPECT_STREQ(node.get_name(), "top.b");
    EXPECT_EQ(node.add_ip_route_table(), node.add_ip_route_table());
    node.add_ip_route();
    node.add_ip_route();
    EXPECT_EQ(kpl_list_size(node.get_route_table()->get_entries()), 2);
    EXPECT_EQ(node.get_cell_ptr(), nullptr);
}

} // namespace
