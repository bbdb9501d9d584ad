#include "routing/ra_net_data.hpp"

#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <ostream>

#include "routing/ra_owned_list.hpp"
#include "xml/nbx_xml.hpp"

NBX_POOL_DEFINE(RaIpNetwork, 1)
NBX_POOL_DEFINE(RaAtmNetwork, 1)
NBX_POOL_DEFINE(RaIpNode, 16)
NBX_POOL_DEFINE(RaIpRouteTable, 16)
NBX_POOL_DEFINE(RaIpRouteEntry, 32)
NBX_POOL_DEFINE(RaIpRouteNextHop, 32)

namespace {

struct Protocol {
    int code;
    const char* name;
};

// In the order names are matched when read.
constexpr Protocol kProtocols[] = {
    {RAC_PROTOCOL_OSPF, "ospf"},   {RAC_PROTOCOL_RIP, "rip"},       {RAC_PROTOCOL_IGRP, "igrp"},
    {RAC_PROTOCOL_BGP, "bgp"},     {RAC_PROTOCOL_EIGRP, "eigrp"},   {RAC_PROTOCOL_ISIS, "isis"},
    {RAC_PROTOCOL_STATIC, "static"}, {RAC_PROTOCOL_DIRECT, "direct"}, {RAC_PROTOCOL_NONE, "none"},
};

const char* bool_text(bool value) { return value ? "true" : "false"; }

struct Dotted {
    char text[KPLC_IP_ADDRESS_TEXT_SIZE];
    explicit Dotted(uint32_t value) { kpl_ip_address_value_to_string(value, text); }
};

// Numbers of the file in its one spelling, whatever locale the process or
// the stream has: a decimal comma or digit grouping would be read back as
// another number. Times as printf's %g (6 significant digits) writes them
// in the C locale.
struct Number {
    char text[32];
    explicit Number(int value) { finish(std::to_chars(text, text + sizeof text - 1, value)); }
    explicit Number(double value) {
        finish(std::to_chars(text, text + sizeof text - 1, value, std::chars_format::general, 6));
    }

private:
    void finish(std::to_chars_result result) { *result.ptr = '\0'; }
};

char* copy_text(const char* text) {
    const size_t size = std::strlen(text) + 1;
    auto* copy = static_cast<char*>(kpl_mem_alloc(size));
    if (copy != nullptr) std::memcpy(copy, text, size);
    return copy;
}

template <typename T>
void print_all(const QovT_Ll_Desc* list, std::ostream* os) {
    for (int i = 0; i < kpl_list_size(list); ++i) static_cast<const T*>(kpl_list_access(list, i))->print(os);
}

} // namespace

int ra_text_to_int(const char* text) {
    if (text == nullptr) return 0;
    const long long value = std::strtoll(text, nullptr, 10); // saturates on overflow
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

// ---- process id -------------------------------------------------------------

RaIpRoutingProcessId::RaIpRoutingProcessId() : process(-1) {
    QOV_FRAME("RaIpRoutingProcessId::RaIpRoutingProcessId()");
}

void RaIpRoutingProcessId::set(const char* proc_num) {
    QOV_FRAME("RaIpRoutingProcessId::set(char *proc_num)");
    process = ra_text_to_int(proc_num);
}

void RaIpRoutingProcessId::print(std::ostream* os) const {
    QOV_FRAME("RaIpRoutingProcessId::print(std::ostream *os)");
    *os << Number(process).text;
}

// ---- next hop ----------------------------------------------------------------

RaIpRouteNextHop::RaIpRouteNextHop() : next_hop_addr{0, 0}, metric(0), insert_time(-1.0) {
    QOV_FRAME("RaIpRouteNextHop::RaIpRouteNextHop()");
}

RaIpRouteNextHop::~RaIpRouteNextHop() { QOV_FRAME("RaIpRouteNextHop::~RaIpRouteNextHop()"); }

bool RaIpRouteNextHop::set_next_hop_addr(const char* addr) {
    return kpl_ip_address_parse(addr, "255.255.255.255", &next_hop_addr) == 1;
}

void RaIpRouteNextHop::print(std::ostream* os) const {
    QOV_FRAME("RaIpRouteNextHop::print(*os)");
    *os << "<IpNextHop addr=\"" << Dotted(kpl_ip_address_value_get(next_hop_addr)).text << "\" metric=\""
        << Number(metric).text << "\" time=\"" << Number(insert_time).text << "\"/>\n";
}

// ---- route entry ---------------------------------------------------------------

RaIpRouteEntry::RaIpRouteEntry() : destination{0, 0}, protocol(RAC_PROTOCOL_NONE) {
    QOV_FRAME("RaIpRouteEntry::RaIpRouteEntry()");
    kpl_list_init(&next_hops);
}

RaIpRouteEntry::~RaIpRouteEntry() {
    QOV_FRAME("RaIpRouteEntry::~RaIpRouteEntry()");
    ra::delete_all<RaIpRouteNextHop>(&next_hops);
}

bool RaIpRouteEntry::set_destination(const char* addr, const char* mask) {
    // A null or empty mask would make the parser read "a.b.c.d/len" or a
    // host address: neither is what the two texts mean.
    if (mask == nullptr || *mask == '\0') return false;
    return kpl_ip_address_parse(addr, mask, &destination) == 1;
}

void RaIpRouteEntry::set_destination(unsigned int value, unsigned int mask) {
    destination = kpl_ip_address_mask_set(kpl_ip_address_value_set(destination, value), mask);
}

const char* RaIpRouteEntry::get_protocol_as_string() const {
    QOV_FRAME("RaIpRouteEntry::get_protocol_as_string()");
    for (const Protocol& p : kProtocols)
        if (p.code == protocol) return p.name;
    return "ERROR";
}

void RaIpRouteEntry::insert_protocol_as_string(const char* proto_str) {
    QOV_FRAME("RaIpRouteEntry::insert_protocol_as_string(const char *proto_str)");
    if (proto_str == nullptr) return;
    for (const Protocol& p : kProtocols)
        if (std::strcmp(p.name, proto_str) == 0) {
            protocol = p.code;
            return;
        }
}

RaIpRouteNextHop* RaIpRouteEntry::add_next_hop() {
    QOV_FRAME("RaIpRouteEntry::add_next_hop()");
    return ra::append_new<RaIpRouteNextHop>(&next_hops);
}

void RaIpRouteEntry::print(std::ostream* os) const {
    QOV_FRAME("RaIpRouteEntry::print(std::ostream *os)");
    *os << "<IpRteEntry addr=\"" << Dotted(kpl_ip_address_value_get(destination)).text << "\" mask=\""
        << Dotted(kpl_ip_address_mask_get(destination)).text << "\" prot=\"" << get_protocol_as_string()
        << "\" process=\"";
    process.print(os);
    *os << "\">\n";
    print_all<RaIpRouteNextHop>(&next_hops, os);
    *os << "</IpRteEntry>\n";
}

// ---- route table ------------------------------------------------------------------

RaIpRouteTable::RaIpRouteTable() : time(0.0) {
    QOV_FRAME("RaIpRouteTable::RaIpRouteTable()");
    kpl_list_init(&entries);
}

RaIpRouteTable::~RaIpRouteTable() {
    QOV_FRAME("RaIpRouteTable::~RaIpRouteTable()");
    ra::delete_all<RaIpRouteEntry>(&entries);
}

RaIpRouteEntry* RaIpRouteTable::add_route_entry() {
    QOV_FRAME("RaIpRouteTable::add_route_entry()");
    return ra::append_new<RaIpRouteEntry>(&entries);
}

void RaIpRouteTable::print(std::ostream* os) const {
    QOV_FRAME("RaIpRouteTable::print(os)");
    *os << "<IpRteTable>\n";
    print_all<RaIpRouteEntry>(&entries, os);
    *os << "</IpRteTable>\n";
}

// ---- node ---------------------------------------------------------------------------

RaIpNode::RaIpNode()
    : name(nullptr), gateway(false), ip_cloud(false), route_table(new RaIpRouteTable), cell(nullptr) {
    QOV_FRAME("RaIpNode::RaIpNode()");
}

RaIpNode::RaIpNode(const char* name_text)
    : name(nullptr), gateway(false), ip_cloud(false), route_table(new RaIpRouteTable), cell(nullptr) {
    QOV_FRAME("RaIpNode::RaIpNode(name)");
    set_name(name_text);
}

RaIpNode::~RaIpNode() {
    QOV_FRAME("RaIpNode::~RaIpNode()");
    kpl_mem_free(name);
    delete route_table;
}

bool RaIpNode::set_name(const char* name_text) {
    QOV_FRAME("RaIpNode::set_name(name)");
    if (name_text == nullptr) return false;
    char* copy = copy_text(name_text);
    if (copy == nullptr) return false;
    kpl_mem_free(name);
    name = copy;
    return true;
}

RaIpRouteEntry* RaIpNode::add_ip_route() {
    return route_table == nullptr ? nullptr : route_table->add_route_entry();
}

void RaIpNode::print(std::ostream* os) const {
    QOV_FRAME("RaIpNode::print(os)");
    char* escaped = NbxXmlUtil::convert_xml_entities(name == nullptr ? "" : name);
    *os << "<IpNode hname=\"" << (escaped == nullptr ? "" : escaped) << "\">\n";
    kpl_mem_free(escaped);
    *os << "<IpConfig gateway=\"" << bool_text(gateway) << "\" cloud=\"" << bool_text(ip_cloud) << "\"/>\n";
    if (route_table != nullptr) route_table->print(os);
    *os << "</IpNode>\n";
}

// ---- networks ------------------------------------------------------------------------

RaIpNetwork::RaIpNetwork() : time(0.0) {
    QOV_FRAME("RaIpNetwork::RaIpNetwork()");
    kpl_list_init(&nodes);
}

RaIpNetwork::~RaIpNetwork() {
    QOV_FRAME("RaIpNetwork::~RaIpNetwork()");
    ra::delete_all<RaIpNode>(&nodes);
}

RaIpNode* RaIpNetwork::add_ip_node() {
    QOV_FRAME("RaIpNetwork::add_ip_node()");
    return ra::append_new<RaIpNode>(&nodes);
}

void RaIpNetwork::print(std::ostream* os) const {
    QOV_FRAME("RaIpNetwork::print(os)");
    *os << "<IpNetwork>\n";
    for (int i = 0; i < kpl_list_size(&nodes); ++i) {
        static_cast<const RaIpNode*>(kpl_list_access(&nodes, i))->print(os);
        *os << '\n';
    }
    *os << "</IpNetwork>\n";
}

RaAtmNetwork::RaAtmNetwork() : time(0.0) {}

RaNetData::RaNetData() {
    QOV_FRAME("RaNetData::RaNetData()");
    kpl_list_init(&ip_networks);
    kpl_list_init(&atm_networks);
}

RaNetData::~RaNetData() {
    QOV_FRAME("RaNetData::~RaNetData()");
    ra::delete_all<RaIpNetwork>(&ip_networks);
    ra::delete_all<RaAtmNetwork>(&atm_networks);
}

RaIpNetwork* RaNetData::add_ip_network() {
    QOV_FRAME("RaNetData::add_ip_network()");
    return ra::append_new<RaIpNetwork>(&ip_networks);
}

RaAtmNetwork* RaNetData::add_atm_network() {
    QOV_FRAME("RaNetData::add_atm_network()");
    return ra::append_new<RaAtmNetwork>(&atm_networks);
}

KplT_Compcode RaNetData::export_network_data(const std::string& filename) const {
    QOV_FRAME("RaNetData::export_data(filename)");
    std::ofstream file(filename, std::ios::out | std::ios::trunc);
    if (!file.is_open()) return RAC_EXPORT_OPEN_FAILED;
    file << "<?xml version=\"1.0\"?>\n<NetData>\n";
    print_all<RaIpNetwork>(&ip_networks, &file);
    file << "</NetData>\n";
    file.close();
    return file.fail() ? RAC_EXPORT_WRITE_FAILED : RAC_EXPORT_DONE;
}
