// A snapshot of the IP routing tables of every router of a network, as a
// simulation run exports it, and the writer of its routing export file
// (".atv.xml"). The reader (ra_xml_parser.hpp) rebuilds nodes and route
// entries from such a file for the reachability tree.
//
// Ownership runs downward: a network owns its nodes, a node its route
// table, a table its entries, an entry its next hops. Lists are host lists
// of owned pointers in insertion order. Every add_* returns the new object,
// or null when memory runs out (nothing is added then).
#pragma once

#include <iosfwd>
#include <string>

#include "ipspace/pool.hpp"
#include "kpllib.h"

class RaBtStateData;

// A decimal text read as atoi reads it (leading blanks, a sign, digits up to
// the first other character; 0 when there are none), except that a value
// beyond the range of int is clamped instead of being undefined.
int ra_text_to_int(const char* text);

// Completion codes of RaNetData::export_network_data.
#define RAC_EXPORT_DONE 0
// The file could not be opened (or created) for writing; nothing was written.
#define RAC_EXPORT_OPEN_FAILED (-1)
// The file was opened but writing it failed part way (a full disk, an I/O
// error); what is in the file is incomplete.
#define RAC_EXPORT_WRITE_FAILED (-2)

// Protocol codes as a route entry holds them; RAC_PROTOCOL_NONE is also the
// code of an entry whose protocol was never set.
#define RAC_PROTOCOL_NONE (-1)
#define RAC_PROTOCOL_RIP 0
#define RAC_PROTOCOL_IGRP 1
#define RAC_PROTOCOL_OSPF 2
#define RAC_PROTOCOL_BGP 3
#define RAC_PROTOCOL_EIGRP 4
#define RAC_PROTOCOL_ISIS 5
#define RAC_PROTOCOL_STATIC 6
#define RAC_PROTOCOL_DIRECT 7

// The number of a routing process; -1 for none.
class RaIpRoutingProcessId {
public:
    RaIpRoutingProcessId();
    void set(int proc_num) { process = proc_num; }
    // Decimal text, converted as atoi does (0 for a text that is no number).
    void set(const char* proc_num);
    int get() const { return process; }
    void print(std::ostream* os) const;

private:
    int process;
};

class RaIpRouteNextHop {
public:
    RaIpRouteNextHop();
    ~RaIpRouteNextHop();

    // Parses a dotted address with mask 255.255.255.255; false, leaving the
    // address unchanged, when the text is not one.
    bool set_next_hop_addr(const char* addr);
    void set_next_hop_addr(KplT_IP_Address address) { next_hop_addr = address; }
    KplT_IP_Address get_next_hop_addr() const { return next_hop_addr; }
    void set_metric(int value) { metric = value; }
    int get_metric() const { return metric; }
    // Seconds; negative when the insertion time is unknown.
    void set_insert_time(double seconds) { insert_time = seconds; }
    double get_insert_time() const { return insert_time; }
    void print(std::ostream* os) const;

    NBX_POOLED

private:
    KplT_IP_Address next_hop_addr;
    int metric;
    double insert_time;
};

class RaIpRouteEntry {
public:
    RaIpRouteEntry();
    ~RaIpRouteEntry();

    // Parses dotted address and mask texts; false, leaving the destination
    // unchanged, when either is malformed (a non-contiguous mask included).
    bool set_destination(const char* addr, const char* mask);
    void set_destination(unsigned int value, unsigned int mask);
    KplT_IP_Address get_destination() const { return destination; }

    void set_protocol(int code) { protocol = code; }
    int get_protocol() const { return protocol; }
    // The protocol's name as the file writes it; "ERROR" outside the table.
    const char* get_protocol_as_string() const;
    // Sets the code whose name equals proto_str exactly; any other text
    // (including "ERROR") leaves the code as it was.
    void insert_protocol_as_string(const char* proto_str);

    void set_process(int proc_num) { process.set(proc_num); }
    void set_process(const char* proc_num) { process.set(proc_num); }
    int get_process() const { return process.get(); }

    RaIpRouteNextHop* add_next_hop();
    // The entry's own list of RaIpRouteNextHop*, in insertion order.
    QovT_Ll_Desc* get_next_hops() { return &next_hops; }
    const QovT_Ll_Desc* get_next_hops() const { return &next_hops; }

    void print(std::ostream* os) const;

    NBX_POOLED

private:
    KplT_IP_Address destination;
    int protocol;
    // Held in place rather than through a pointer of its own: a routing
    // table of a million entries then needs a million fewer objects.
    RaIpRoutingProcessId process;
    QovT_Ll_Desc next_hops;
};

class RaIpRouteTable {
public:
    RaIpRouteTable();
    ~RaIpRouteTable();

    RaIpRouteEntry* add_route_entry();
    // The table's own list of RaIpRouteEntry*, in insertion order.
    const QovT_Ll_Desc* get_entries() const { return &entries; }
    void set_time(double seconds) { time = seconds; }
    void print(std::ostream* os) const;

    NBX_POOLED

private:
    QovT_Ll_Desc entries;
    double time;
};

class RaIpNode {
public:
    RaIpNode();
    explicit RaIpNode(const char* name_text);
    ~RaIpNode();

    // Replaces the node's copy of its name; false (name unchanged) when
    // memory runs out.
    bool set_name(const char* name_text);
    const char* get_name() const { return name; }
    void set_gateway(bool on) { gateway = on; }
    void set_ip_cloud(bool on) { ip_cloud = on; }

    // The node's one route table (made with the node; null only when
    // memory ran out then).
    RaIpRouteTable* add_ip_route_table() { return route_table; }
    const RaIpRouteTable* get_route_table() const { return route_table; }
    // A new entry in the node's table.
    RaIpRouteEntry* add_ip_route();

    // The record this router has in the aggregate result being built, or
    // null; used only by RaBtState while it merges (reach/ra_bt_tree.hpp).
    RaBtStateData* get_cell_ptr() const { return cell; }
    void set_cell_ptr(RaBtStateData* record) { cell = record; }
    void clear_cell_ptr() { cell = nullptr; }

    void print(std::ostream* os) const;

    NBX_POOLED

private:
    char* name;
    bool gateway;
    bool ip_cloud;
    RaIpRouteTable* route_table;
    RaBtStateData* cell;
};

class RaIpNetwork {
public:
    RaIpNetwork();
    ~RaIpNetwork();

    RaIpNode* add_ip_node();
    const QovT_Ll_Desc* get_nodes() const { return &nodes; }
    void set_time(double seconds) { time = seconds; }
    void print(std::ostream* os) const;

    NBX_POOLED

private:
    double time;
    QovT_Ll_Desc nodes;
};

// Kept with the snapshot but never written.
class RaAtmNetwork {
public:
    RaAtmNetwork();
    void set_time(double seconds) { time = seconds; }

    NBX_POOLED

private:
    double time;
};

class RaNetData {
public:
    RaNetData();
    ~RaNetData();
    RaNetData(const RaNetData&) = delete;
    RaNetData& operator=(const RaNetData&) = delete;

    RaIpNetwork* add_ip_network();
    RaAtmNetwork* add_atm_network();
    const QovT_Ll_Desc* get_ip_networks() const { return &ip_networks; }

    // Writes the IP networks to filename (truncating it). Returns
    // RAC_EXPORT_DONE (0) after a complete write, RAC_EXPORT_OPEN_FAILED
    // when the file cannot be opened (nothing is written), and
    // RAC_EXPORT_WRITE_FAILED when writing fails part way.
    KplT_Compcode export_network_data(const std::string& filename) const;

private:
    QovT_Ll_Desc ip_networks;
    QovT_Ll_Desc atm_networks;
};
