// Display Reachability on generated models and routing export files
// (fixed seeds), checked against a brute-force evaluation of every
// router's routes: the routers marked and their icons, the path drawn for
// each owner of each next hop (through the link when one joins the two),
// and the picture: a badge on every marked router, a line for every path.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "lab_model.hpp"
#include "ui_session.hpp"

namespace {

constexpr char kSubnet[] = "gen";

struct Prefix {
    std::uint32_t value;
    int length;
    bool covers(const Prefix& network) const {
        const std::uint32_t mask = length == 0 ? 0 : ~0u << (32 - length);
        return length <= network.length && (network.value & mask) == value;
    }
    bool operator==(const Prefix& other) const { return value == other.value && length == other.length; }
};

std::string dotted(std::uint32_t a) {
    return std::to_string(a >> 24) + "." + std::to_string((a >> 16) & 255) + "." + std::to_string((a >> 8) & 255) +
           "." + std::to_string(a & 255);
}
std::string text(const Prefix& p) { return dotted(p.value) + "/" + std::to_string(p.length); }

std::uint32_t addr(int a, int b, int c, int d) {
    return static_cast<std::uint32_t>(a) << 24 | static_cast<std::uint32_t>(b) << 16 |
           static_cast<std::uint32_t>(c) << 8 | static_cast<std::uint32_t>(d);
}

struct Interface {
    std::string router; // hierarchical name
    std::string name;
    std::uint32_t address;
    std::string link;      // hierarchical name, or ""
    std::string link_peer; // the router at the link's other end
};

struct Route {
    Prefix destination;
    std::string protocol;
    std::vector<std::uint32_t> hops;
};

struct Router {
    std::string hname;
    bool in_model;
    std::vector<Route> routes;
};

const char* const kProtocols[] = {"none", "rip", "igrp", "ospf", "bgp", "eigrp", "isis", "static", "direct"};
const char* const kIcons[] = {"", "R", "G", "O", "B", "E", "I", "S", "selection"};

std::string icon_of(const std::string& protocol) {
    for (size_t i = 0; i < std::size(kProtocols); ++i)
        if (protocol == kProtocols[i]) return kIcons[i];
    return "";
}

const Prefix kRoutePrefixes[] = {{0, 0},
                                 {addr(10, 0, 0, 0), 8},
                                 {addr(10, 0, 0, 0), 16},
                                 {addr(10, 0, 1, 0), 24},
                                 {addr(10, 0, 1, 128), 25},
                                 {addr(10, 0, 1, 5), 32},
                                 {addr(10, 0, 2, 0), 24},
                                 {addr(172, 16, 0, 0), 12}};
const Prefix kQueries[] = {{addr(10, 0, 1, 0), 24}, {addr(10, 0, 1, 5), 32},  {addr(10, 0, 1, 200), 32},
                           {addr(10, 0, 0, 0), 8},  {addr(192, 168, 0, 0), 16}, {addr(172, 16, 0, 0), 12}};

// A random network: routers with interfaces on a few shared segments,
// links between some interfaces of one segment, an address now and then
// held by two routers, and routers of the export file the model lacks.
class GeneratedNetwork {
public:
    explicit GeneratedNetwork(unsigned seed) : rng_(seed) {
        const int router_count = pick(8, 14);
        for (int r = 0; r < router_count; ++r) add_router(r);
        add_links();
        for (int g = 0; g < 2; ++g) routers_.push_back({hname("ghost" + std::to_string(g)), false, {}});
        for (Router& router : routers_) add_routes(router);
    }

    std::string model_json() const {
        LabModel model(kSubnet);
        for (const Router& router : routers_) {
            if (!router.in_model) continue;
            std::vector<LabInterface> rows;
            for (const Interface& i : interfaces_)
                if (i.router == router.hname) rows.push_back({i.name, dotted(i.address), "255.255.255.0"});
            model.router(last(router.hname), rows);
        }
        for (const auto& [link, ends] : links_)
            model.object(R"({"name": ")" + link + R"(", "type": "link", "ends": [{"node": ")" + ends.first->router +
                         R"(", "interface": ")" + ends.first->name + R"("}, {"node": ")" + ends.second->router +
                         R"(", "interface": ")" + ends.second->name + R"("}]})");
        return model.json();
    }

    std::string routes_xml() const {
        RoutingFile file;
        for (const Router& router : routers_) {
            file.router(router.hname);
            for (const Route& route : router.routes) {
                std::vector<LabHop> hops;
                for (std::uint32_t hop : route.hops) hops.push_back({dotted(hop), 1, "-1"});
                file.route(text(route.destination), route.protocol, 1, hops);
            }
        }
        return file.xml();
    }

    // "hname [icon]" of every router the display marks.
    std::vector<std::string> expected_marks(const Prefix& network, bool aggregate) const {
        std::vector<std::string> marks;
        for (const Router& router : routers_) {
            const Route* route = chosen(router, network, aggregate);
            if (router.in_model && route != nullptr && !icon_of(route->protocol).empty())
                marks.push_back("marked: " + router.hname + " [" + icon_of(route->protocol) + "]");
        }
        std::sort(marks.begin(), marks.end());
        return marks;
    }

    // "(model): route" of every path the display draws; the route is
    // empty for a path the host cannot connect.
    std::vector<std::string> expected_paths(const Prefix& network, bool aggregate) const {
        std::vector<std::string> paths;
        for (const Router& router : routers_) {
            if (!router.in_model) continue;
            for (const Route* route : records(router, network, aggregate))
                for (std::uint32_t hop : route->hops)
                    for (const Interface& owner : interfaces_)
                        if (owner.address == hop && owner.router != router.hname)
                            paths.push_back(path_of(router.hname, owner, route->protocol));
        }
        std::sort(paths.begin(), paths.end());
        return paths;
    }

private:
    static std::string hname(const std::string& node) { return std::string("top.") + kSubnet + "." + node; }
    static std::string last(const std::string& hname) { return hname.substr(hname.rfind('.') + 1); }
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }

    void add_router(int r) {
        const std::string name = hname("r" + std::to_string(r));
        routers_.push_back({name, true, {}});
        std::vector<int> segments = {0, 1, 2, 3};
        std::shuffle(segments.begin(), segments.end(), rng_);
        const int count = pick(1, 3);
        for (int i = 0; i < count; ++i) {
            std::uint32_t address = addr(10, 0, segments[static_cast<size_t>(i)], pick(1, 250));
            // Now and then the address of another router: two owners.
            if (!interfaces_.empty() && pick(0, 9) == 0) address = interfaces_[static_cast<size_t>(pick(0, static_cast<int>(interfaces_.size()) - 1))].address;
            if (owners(address) >= 2 || owned_by(address, name)) continue;
            interfaces_.push_back({name, last(name) + "-ge" + std::to_string(i), address, "", ""});
        }
    }

    int owners(std::uint32_t address) const {
        return static_cast<int>(std::count_if(interfaces_.begin(), interfaces_.end(),
                                              [&](const Interface& i) { return i.address == address; }));
    }
    bool owned_by(std::uint32_t address, const std::string& router) const {
        return std::any_of(interfaces_.begin(), interfaces_.end(),
                           [&](const Interface& i) { return i.address == address && i.router == router; });
    }

    void add_links() {
        for (size_t a = 0; a < interfaces_.size(); ++a)
            for (size_t b = a + 1; b < interfaces_.size(); ++b) {
                Interface& x = interfaces_[a];
                Interface& y = interfaces_[b];
                if (x.router == y.router || !x.link.empty() || !y.link.empty() ||
                    (x.address >> 8) != (y.address >> 8) || pick(0, 2) != 0)
                    continue;
                const std::string link = x.router + "-" + last(y.router) + "-" + std::to_string(links_.size());
                x.link = y.link = link;
                x.link_peer = y.router;
                y.link_peer = x.router;
                links_.emplace(link, std::make_pair(&x, &y));
            }
    }

    void add_routes(Router& router) {
        const int count = pick(0, 6);
        for (int i = 0; i < count; ++i) {
            Route route{kRoutePrefixes[static_cast<size_t>(pick(0, std::size(kRoutePrefixes) - 1))],
                        kProtocols[static_cast<size_t>(pick(0, std::size(kProtocols) - 1))],
                        {}};
            const int hops = pick(0, 3);
            for (int h = 0; h < hops; ++h)
                route.hops.push_back(pick(0, 5) == 0
                                         ? addr(10, 0, 9, 9) // nobody's
                                         : interfaces_[static_cast<size_t>(pick(0, static_cast<int>(interfaces_.size()) - 1))].address);
            router.routes.push_back(route);
        }
    }

    // The routes of router the look-up lists: exactly the network's prefix
    // (each, in file order), or the most specific covering one (the later
    // of two equal ones).
    static std::vector<const Route*> records(const Router& router, const Prefix& network, bool aggregate) {
        std::vector<const Route*> found;
        for (const Route& route : router.routes)
            if (aggregate ? route.destination.covers(network) : route.destination == network)
                found.push_back(&route);
        if (!aggregate || found.empty()) return found;
        const Route* best = found.front();
        for (const Route* route : found)
            if (route->destination.length >= best->destination.length) best = route;
        return {best};
    }
    // The route whose icon the router keeps: the last marked.
    static const Route* chosen(const Router& router, const Prefix& network, bool aggregate) {
        const std::vector<const Route*> found = records(router, network, aggregate);
        return found.empty() ? nullptr : found.back();
    }

    // The path from router to owner: through the link on the owner's
    // interface when it joins the two; a link of the owner's interface to
    // a third router while the two are linked elsewhere makes a route the
    // host cannot connect.
    std::string path_of(const std::string& router, const Interface& owner, const std::string& protocol) const {
        const bool linked = std::any_of(interfaces_.begin(), interfaces_.end(), [&](const Interface& i) {
            return i.router == router && i.link_peer == owner.router;
        });
        std::vector<std::string> route = {router};
        if (linked && !owner.link.empty()) {
            if (owner.link_peer != router) return "(ra_next_hop_path):";
            route.push_back(owner.link);
        }
        route.push_back(owner.router);
        const bool shortcut = route.size() == 2 && protocol == "bgp";
        std::string line = shortcut ? "(ra_shortcut_path):" : "(ra_next_hop_path):";
        for (size_t i = 0; i < route.size(); ++i) line += (i == 0 ? " " : " -> ") + route[i];
        return line;
    }

    std::mt19937 rng_;
    std::vector<Router> routers_;
    std::vector<Interface> interfaces_;
    std::map<std::string, std::pair<const Interface*, const Interface*>> links_;
};

std::vector<std::string> sorted_lines(const std::string& text, const std::string& prefix) {
    std::vector<std::string> lines = lines_starting(text, prefix);
    std::sort(lines.begin(), lines.end());
    return lines;
}

// The path lines of the model command without their names.
std::vector<std::string> drawn_paths(const std::string& model_output) {
    std::vector<std::string> paths;
    for (const std::string& line : lines_starting(model_output, "path: ")) paths.push_back(line.substr(line.rfind(" (ra_") + 1));
    std::sort(paths.begin(), paths.end());
    return paths;
}

size_t occurrences(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

// The picture's group of the node hname.
std::string node_group(const std::string& svg, const std::string& hname) {
    const size_t at = svg.find("<title>" + hname + " (");
    if (at == std::string::npos) return "";
    const size_t begin = svg.rfind("<g class=\"node", at);
    return svg.substr(begin, svg.find('\n', at) - begin);
}

TEST(RaReachOracle, MarksAndPathsEqualABruteForceEvaluation) {
    for (unsigned seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const GeneratedNetwork network(seed);
        const ModelDir dir(kSubnet, network.model_json(), network.routes_xml());
        std::string script = std::string(kOpenAnalysis) + "toggle ra/find_network chk_next_hop on\n";
        struct Check {
            Prefix query;
            bool aggregate;
            std::string picture;
        };
        std::vector<Check> checks;
        for (const Prefix& query : kQueries)
            for (const bool aggregate : {false, true}) {
                checks.push_back({query, aggregate, dir.file("display" + std::to_string(checks.size()) + ".svg")});
                script += "type ra/find_network edt_ip_network " + text(query) + "\n" +
                          "toggle ra/find_network chk_aggregate " + (aggregate ? "on" : "off") + "\n" +
                          "press ra/find_network btk_display\n"
                          "model\n"
                          "draw " + checks.back().picture + "\n";
            }
        const Transcript t = dir.run(script);
        for (size_t c = 0; c < checks.size(); ++c) {
            const Check& check = checks[c];
            SCOPED_TRACE(text(check.query) + (check.aggregate ? " aggregate" : " exact"));
            const std::string& model = t.raw(2 + 5 * c + 3);
            const std::vector<std::string> marks = network.expected_marks(check.query, check.aggregate);
            const std::vector<std::string> paths = network.expected_paths(check.query, check.aggregate);
            EXPECT_EQ(sorted_lines(model, "marked: "), marks);
            EXPECT_EQ(drawn_paths(model), paths);

            const std::string svg = read_file(check.picture);
            for (const std::string& mark : marks) {
                const std::string hname = mark.substr(8, mark.find(' ', 8) - 8);
                EXPECT_HAS(node_group(svg, hname), "class=\"badge\"");
            }
            EXPECT_EQ(occurrences(svg, "class=\"badge\""), marks.size());
            const size_t connected = static_cast<size_t>(std::count_if(
                paths.begin(), paths.end(), [](const std::string& p) { return p.back() != ':'; }));
            EXPECT_EQ(occurrences(svg, "<g class=\"path\" "), connected);
        }
    }
}

} // namespace
