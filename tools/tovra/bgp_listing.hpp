// Reading a router's BGP table listing, line by line, into routes.
//
// Routers print the table in several layouts: the classic one starts the
// status at column 0 and the network at column 3; newer ones start every line
// with a blank and widen the status, so the network starts at column 4, 5 or
// 6. Numbers are right-aligned and hand-edited captures drift by a column, so
// nothing is read at a fixed column: the network is where the status ends,
// the next hop is the first word after it, the metric, local preference and
// weight are the numbers whose right edge lies nearest to where that layout
// puts them (relative to the next hop), and the path is what follows.
#pragma once

#include <cstddef>
#include <cstdio>

namespace tovra {

// Fixed sizes of the import's texts, terminator included.
inline constexpr size_t kLineSize = 512;     // a listing line: 511 characters
inline constexpr size_t kRouterIdSize = 256;
inline constexpr size_t kNetworkSize = 256;
inline constexpr size_t kPathSize = 128;     // the AS path and origin: 127
inline constexpr size_t kNumberSize = 32;    // metric, local preference
inline constexpr size_t kNextHopSize = 64;

// What became of a line. Every route line of a listing ends in exactly one
// of the route outcomes (kWritten ... kPathTooLong); the others are lines
// that hold no route.
enum class Outcome {
    kRoute,          // a route to write (filled in)
    kInternal,       // an "i" in the status: a route learnt over iBGP
    kNoNetwork,      // a continuation with no network above it
    kNoAsPath,       // the path holds only the origin: a locally originated route
    kNoOrigin,       // the path does not end in "i", "e" or "?"
    kPathTooLong,    // the path does not fit its 127 characters
    kIncomplete,     // a wrapped network whose rest never came
    kWrapped,        // a network that wraps: the rest of the route follows
    kBeforeRouterId, // any line before "local router ID is "
    kNotRouteLine,   // headers, blank lines, totals
    kStop,           // "local router ID is " with nothing after it
};

struct Route {
    char network[kNetworkSize];
    char next_hop[kNextHopSize];
    char med[kNumberSize];
    char local_pref[kNumberSize];
    char path[kPathSize];     // "100,200;i"
    char first_as[kPathSize]; // "100"
};

// One listing. Feed it every line of the file in order; each line gives one
// outcome, and a kRoute fills the route. A wrapped network gives kWrapped and
// its route comes with the next line; when that line is itself a route line
// the wrapped one is given up and counted as kIncomplete (incomplete()).
class ListingParser {
public:
    // line: without or with its line end; at most kLineSize - 1 characters
    // are looked at.
    Outcome feed(const char* line, Route* route);
    // The router ID of "local router ID is ", once found.
    const char* router_id() const { return router_id_; }
    bool stopped() const { return stopped_; }
    int incomplete() const { return incomplete_; }

private:
    Outcome read_router_id(const char* line, size_t length);
    Outcome read_route_line(const char* line, size_t length, size_t star, Route* route);
    Outcome read_rest(const char* line, size_t length, size_t from, bool internal, Route* route);

    char router_id_[kRouterIdSize] = "";
    bool have_router_id_ = false;
    bool stopped_ = false;
    char network_[kNetworkSize] = ""; // the current network
    bool wrapped_ = false;            // the last line was a wrapped network
    bool wrapped_internal_ = false;
    int incomplete_ = 0;
};

// Whether a line is a route line: its first character, or the one after a
// single leading blank, is "*". Lines are counted by this rule.
bool is_route_line(const char* line);

// Reads the next line into line; a longer line is cut to kLineSize - 1
// characters and the rest of it skipped. False at the end of the file.
bool read_listing_line(std::FILE* in, char (&line)[kLineSize]);

} // namespace tovra
