// Routing snapshots shaped like real networks, written through the
// routing export writer, for benchmarks and demonstrations.
//
// Campus: routers in areas of about fifty, each area running one interior
// protocol (OSPF most, then EIGRP, IS-IS, RIP, IGRP); the first router of
// an area is its border router. All routers share one set of destination
// networks (mostly /24, from /8 to /32); each destination sits on one
// router, which has it as "direct"; the others reach it through their
// area's protocol, border routers through BGP when it lies in another area,
// a few through static routes; about 3 % of the routes are missing, as in a
// snapshot taken while routing converges. Every router has a default route
// (static at border routers, learnt elsewhere). One to four next hops.
//
// Internet edge: border routers each carrying the same full table of
// distinct prefixes learnt by BGP, with the length mix of the public
// table (mostly /24, none longer), announced in runs of consecutive /24s
// as deaggregated allocations are.
#pragma once

#include <cstdint>

class RaNetData;

struct CampusShape {
    int routers = 1000;
    int destinations = 1000;
    uint32_t seed = 1;
};

struct InternetEdgeShape {
    int routers = 2;
    int prefixes = 1000000;
    uint32_t seed = 1;
};

// Fill an empty snapshot (one IP network). Return the number of route
// entries made.
long fill_campus(RaNetData& data, const CampusShape& shape);
long fill_internet_edge(RaNetData& data, const InternetEdgeShape& shape);

// Router names: "top.campus.r<n>" (n from 0, four digits at least) and
// "top.edge.bgp<n>".
