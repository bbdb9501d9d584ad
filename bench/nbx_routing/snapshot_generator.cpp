#include "snapshot_generator.hpp"

#include <cstdio>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

#include "routing/ra_net_data.hpp"

namespace {

struct Prefix {
    uint32_t value;
    int length;
};

uint32_t mask_of(int length) { return length == 0 ? 0 : ~0u << (32 - length); }

class Random {
public:
    explicit Random(uint32_t seed) : engine_(seed) {}
    uint32_t bits() { return static_cast<uint32_t>(engine_()); }
    int below(int n) { return static_cast<int>(engine_() % static_cast<uint32_t>(n)); }
    bool chance(double p) { return std::uniform_real_distribution<double>(0.0, 1.0)(engine_) < p; }
    // A time in quarter seconds, written exactly by the writer's format.
    double quarter_seconds(int max_seconds) { return below(max_seconds * 4) / 4.0; }

private:
    std::mt19937 engine_;
};

// Distinct prefixes: a prefix is known by its masked value and length.
class PrefixSet {
public:
    bool add(Prefix p) { return seen_.insert((static_cast<uint64_t>(p.value) << 6) | static_cast<uint64_t>(p.length)).second; }

private:
    std::unordered_set<uint64_t> seen_;
};

RaIpRouteEntry* add_route(RaIpNode* node, Prefix p, int protocol, int process) {
    RaIpRouteEntry* entry = node->add_ip_route();
    entry->set_destination(p.value, mask_of(p.length));
    entry->set_protocol(protocol);
    entry->set_process(process);
    return entry;
}

void add_hop(RaIpRouteEntry* entry, uint32_t address, int metric, double time) {
    RaIpRouteNextHop* hop = entry->add_next_hop();
    hop->set_next_hop_addr(KplT_IP_Address{address, 0xFFFFFFFFu});
    hop->set_metric(metric);
    hop->set_insert_time(time);
}

// ---- campus --------------------------------------------------------------------

constexpr int kAreaSize = 50;
constexpr int kAreaProtocols[] = {RAC_PROTOCOL_OSPF,  RAC_PROTOCOL_OSPF, RAC_PROTOCOL_EIGRP, RAC_PROTOCOL_OSPF,
                                  RAC_PROTOCOL_ISIS,  RAC_PROTOCOL_OSPF, RAC_PROTOCOL_RIP,   RAC_PROTOCOL_IGRP};

int process_of(int protocol) {
    switch (protocol) {
    case RAC_PROTOCOL_OSPF: return 1;
    case RAC_PROTOCOL_ISIS: return 1;
    case RAC_PROTOCOL_EIGRP:
    case RAC_PROTOCOL_IGRP: return 100;
    case RAC_PROTOCOL_BGP: return 65000;
    default: return -1;
    }
}

int metric_of(int protocol, Random& random) {
    switch (protocol) {
    case RAC_PROTOCOL_OSPF: return 1 + random.below(200);
    case RAC_PROTOCOL_ISIS: return 10 + random.below(300);
    case RAC_PROTOCOL_RIP: return 1 + random.below(15);
    case RAC_PROTOCOL_EIGRP:
    case RAC_PROTOCOL_IGRP: return 2816 + random.below(300000);
    default: return 0;
    }
}

// Mostly /24; then /16 to /23, /25 to /30, host routes and a few short
// prefixes, all inside the private ranges.
Prefix campus_destination(Random& random) {
    const int roll = random.below(100);
    int length;
    if (roll < 70) length = 24;
    else if (roll < 80) length = 16 + random.below(8);
    else if (roll < 90) length = 25 + random.below(6);
    else if (roll < 95) length = 32;
    else length = 8 + random.below(8);
    uint32_t base;
    uint32_t span;
    if (length >= 16) {
        base = random.chance(0.8) ? 0x0A000000u : 0xAC100000u; // 10/8 or 172.16/12
        span = base == 0x0A000000u ? 0x00FFFFFFu : 0x000FFFFFu;
    } else {
        base = 0x00000000u; // short prefixes anywhere below 224/3
        span = 0xDFFFFFFFu;
    }
    return {(base | (random.bits() & span)) & mask_of(length), length};
}

int hop_count(Random& random) {
    const int roll = random.below(100);
    return roll < 60 ? 1 : roll < 85 ? 2 : roll < 95 ? 3 : 4;
}

// The address of the far end of link k of router r (point-to-point links
// numbered in 100.64/10).
uint32_t neighbour_address(int router, int link) {
    return 0x64400000u | (static_cast<uint32_t>(router) << 4) | (static_cast<uint32_t>(link) << 1) | 1u;
}

} // namespace

long fill_campus(RaNetData& data, const CampusShape& shape) {
    Random random(shape.seed);
    PrefixSet distinct;
    std::vector<Prefix> destinations;
    while (static_cast<int>(destinations.size()) < shape.destinations) {
        const Prefix p = campus_destination(random);
        if (distinct.add(p)) destinations.push_back(p);
    }
    std::vector<int> owner(destinations.size());
    for (int& o : owner) o = random.below(shape.routers);

    RaIpNetwork* network = data.add_ip_network();
    long entries = 0;
    char name[64];
    for (int r = 0; r < shape.routers; ++r) {
        RaIpNode* node = network->add_ip_node();
        std::snprintf(name, sizeof name, "top.campus.r%04d", r);
        node->set_name(name);
        const int area = r / kAreaSize;
        const bool border = r % kAreaSize == 0;
        const int igp = kAreaProtocols[area % (sizeof kAreaProtocols / sizeof *kAreaProtocols)];
        node->set_gateway(border);

        RaIpRouteEntry* def = border ? add_route(node, {0, 0}, RAC_PROTOCOL_STATIC, -1)
                                     : add_route(node, {0, 0}, igp, process_of(igp));
        add_hop(def, border ? 0xC6336401u /* 198.51.100.1 upstream */ : neighbour_address(r, 0),
                border ? 1 : metric_of(igp, random), random.quarter_seconds(60));
        ++entries;

        for (size_t d = 0; d < destinations.size(); ++d) {
            if (owner[d] != r && random.chance(0.03)) continue;
            int protocol;
            if (owner[d] == r) protocol = RAC_PROTOCOL_DIRECT;
            else if (random.chance(0.02)) protocol = RAC_PROTOCOL_STATIC;
            else if (owner[d] / kAreaSize != area && border) protocol = RAC_PROTOCOL_BGP;
            else protocol = igp;
            RaIpRouteEntry* entry = add_route(node, destinations[d], protocol, process_of(protocol));
            ++entries;
            const double time = random.quarter_seconds(3600);
            if (protocol == RAC_PROTOCOL_DIRECT) {
                add_hop(entry, destinations[d].value | (destinations[d].length < 32 ? 1u : 0u), 0, time);
                continue;
            }
            const int hops = protocol == RAC_PROTOCOL_STATIC ? 1 : hop_count(random);
            const int metric = metric_of(protocol, random);
            for (int h = 0; h < hops; ++h) add_hop(entry, neighbour_address(r, h), metric, time);
        }
    }
    return entries;
}

// ---- internet edge ------------------------------------------------------------------

namespace {

// The public table's length mix (per mille): /24 about 60 %, then /22,
// /23, /21, /20, /19, shorter ones rare.
int internet_length(Random& random) {
    static constexpr struct {
        int length;
        int per_mille;
    } mix[] = {{24, 600}, {22, 110}, {23, 90}, {21, 50}, {20, 45}, {19, 35}, {18, 20},
               {17, 15},  {16, 25},  {15, 4},  {14, 3},  {13, 1},  {12, 1},  {11, 1}};
    int roll = random.below(1000);
    for (const auto& m : mix) {
        if (roll < m.per_mille) return m.length;
        roll -= m.per_mille;
    }
    return 8;
}

// An address in the public unicast space (1.0.0.0 to 223.255.255.255,
// leaving out 10/8 and 127/8).
uint32_t public_address(Random& random) {
    for (;;) {
        const uint32_t value = random.bits();
        const uint32_t first = value >> 24;
        if (first >= 1 && first <= 223 && first != 10 && first != 127) return value;
    }
}

} // namespace

long fill_internet_edge(RaNetData& data, const InternetEdgeShape& shape) {
    Random random(shape.seed);
    PrefixSet distinct;
    std::vector<Prefix> table;
    table.reserve(static_cast<size_t>(shape.prefixes));
    while (static_cast<int>(table.size()) < shape.prefixes) {
        const int length = internet_length(random);
        const uint32_t start = public_address(random) & mask_of(length);
        // /24s come in runs of up to 16 consecutive networks.
        const int run = length == 24 ? 1 + random.below(16) : 1;
        for (int i = 0; i < run && static_cast<int>(table.size()) < shape.prefixes; ++i) {
            const Prefix p{start + (static_cast<uint32_t>(i) << 8), length};
            if (p.value >> 24 == start >> 24 && distinct.add(p)) table.push_back(p);
        }
    }

    RaIpNetwork* network = data.add_ip_network();
    long entries = 0;
    char name[64];
    for (int r = 0; r < shape.routers; ++r) {
        RaIpNode* node = network->add_ip_node();
        std::snprintf(name, sizeof name, "top.edge.bgp%d", r);
        node->set_name(name);
        node->set_gateway(true);
        // Each border router peers with two providers: 203.0.113.x.
        const uint32_t peer = 0xCB007100u | static_cast<uint32_t>(2 * r + 1);
        for (const Prefix& p : table) {
            RaIpRouteEntry* entry = add_route(node, p, RAC_PROTOCOL_BGP, 64500 + r);
            const double time = random.quarter_seconds(86400);
            add_hop(entry, peer, 0, time);
            if (random.chance(0.1)) add_hop(entry, peer + 1, 0, time); // multipath
            ++entries;
        }
    }
    return entries;
}
