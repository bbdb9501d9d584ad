// Random routing tables, every look-up checked against a brute-force scan
// of all routes: exact answers are the routes to exactly the prefix, in
// filing order; aggregate answers keep, per router, the longest covering
// prefix (the later route among equals), routers ordered by where they
// first appear walking from the root down.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <random>

#include "routers.hpp"

namespace {

struct Route {
    RaIpNode* router;
    RaIpRouteEntry* entry;
    uint32_t value;
    int length;
    int order; // filing order
};

uint32_t mask_of(int length) { return length == 0 ? 0 : ~0u << (32 - length); }

bool covers(const Route& route, uint32_t value, int length) {
    return route.length <= length && ((route.value ^ value) & mask_of(route.length)) == 0;
}

using Pairs = std::vector<std::pair<const RaIpNode*, const RaIpRouteEntry*>>;

Pairs brute_exact(const std::vector<Route>& routes, uint32_t value, int length) {
    Pairs out;
    for (const Route& r : routes)
        if (r.length == length && ((r.value ^ value) & mask_of(length)) == 0) out.emplace_back(r.router, r.entry);
    return out;
}

Pairs brute_aggregate(const std::vector<Route>& routes, uint32_t value, int length) {
    std::vector<const Route*> covering;
    for (const Route& r : routes)
        if (covers(r, value, length)) covering.push_back(&r);
    std::stable_sort(covering.begin(), covering.end(),
                     [](const Route* a, const Route* b) { return a->length < b->length; });
    Pairs out;
    std::map<const RaIpNode*, size_t> slot;
    for (const Route* r : covering) {
        auto [it, fresh] = slot.emplace(r->router, out.size());
        if (fresh) out.emplace_back(r->router, r->entry);
        else out[it->second].second = r->entry;
    }
    return out;
}

TEST(RaBtTreeOracle, EveryLookUpMatchesABruteForceLongestPrefixMatch) {
    std::mt19937 random(4242);
    for (int round = 0; round < 4; ++round) {
        RouterTree t;
        std::vector<Route> routes;
        std::vector<RaIpNode*> routers;
        for (int r = 0; r < 25; ++r) routers.push_back(t.router(("top.r" + std::to_string(r)).c_str()));
        // Prefixes drawn from a small pool of networks so that routers
        // share destinations and nest inside one another.
        std::vector<std::pair<uint32_t, int>> pool;
        for (int i = 0; i < 60; ++i) {
            const int length = i < 2 ? 0 : static_cast<int>(random() % 33);
            pool.emplace_back(static_cast<uint32_t>(random()) & 0xC0FFFFFFu & mask_of(length), length);
        }
        for (int i = 0; i < 1500; ++i) {
            RaIpNode* router = routers[random() % routers.size()];
            const auto [value, length] = pool[random() % pool.size()];
            char text[32];
            kpl_ip_address_value_to_string(value, text);
            const std::string destination = std::string(text) + "/" + std::to_string(length);
            RaIpRouteEntry* entry = t.route(router, destination.c_str(), static_cast<int>(random() % 9) - 1);
            routes.push_back({router, entry, value, length, i});
        }
        // Queries: every filed prefix, every prefix one bit longer or
        // shorter, and random networks.
        std::vector<std::pair<uint32_t, int>> queries = pool;
        for (const auto& [value, length] : pool) {
            if (length < 32) queries.emplace_back(value | (1u << (31 - length)), length + 1);
            if (length > 0) queries.emplace_back(value, length - 1);
        }
        for (int i = 0; i < 300; ++i)
            queries.emplace_back(static_cast<uint32_t>(random()) & 0xC0FFFFFFu, static_cast<int>(random() % 33));

        for (const auto& [value, length] : queries) {
            const KplT_IP_Address network{value, mask_of(length)};
            const RaBtState* state = t.tree.get_state_by_prefix(network, false);
            EXPECT_EQ(state ? pairs(state->get_data()) : Pairs{},
                      brute_exact(routes, value, length))
                << value << "/" << length;
            std::unique_ptr<RaBtState> result(t.tree.get_state_by_prefix(network, true));
            ASSERT_NE(result, nullptr);
            EXPECT_EQ(pairs(result->get_data()), brute_aggregate(routes, value, length))
                << value << "/" << length;
            ASSERT_TRUE(t.cells_clear());
        }
    }
}

} // namespace
