// Random models, every look-up checked against a scan of all the entries the
// build should have filed. Addresses are drawn from a small space so that
// shared addresses, shared prefixes and empty networks all occur.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "ip_test_util.hpp"
#include "ipspace/gip.hpp"
#include "model_fixture.hpp"

namespace {

struct Expected {
    std::string node;
    std::string intf;
    std::uint32_t address;
    bool secondary;
    bool operator==(const Expected&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Expected& e) {
    return os << e.node << "/" << e.intf << "/" << dotted(e.address) << (e.secondary ? " (s)" : "");
}

std::vector<Expected> entries_of(const QovT_Ll_Desc* list) {
    std::vector<Expected> out;
    for (int i = 0; i < kpl_list_size(list); ++i) {
        const auto* e = static_cast<const NbxGipEntry*>(kpl_list_access(list, i));
        out.push_back({Xeq_Obj_Hname_Get(e->obj_hndl, 0), e->intf_name,
                       kpl_ip_address_value_get(e->ip_address), e->secondary});
    }
    return out;
}

class RandomModel {
public:
    explicit RandomModel(unsigned seed) : rng_(seed) {
        const int nodes = pick(1, 40);
        std::vector<Expected> hosts, routers;
        json_ = R"({"format": "xeq-model", "version": 1, "name": "random", "objects": [)";
        for (int n = 0; n < nodes; ++n) {
            const std::string name = "top.n" + std::to_string(n);
            json_ += n ? "," : "";
            json_ += R"({"name": ")" + name + R"(", "type": "node", "attributes": {)";
            if (pick(0, 2) == 0) {
                const std::uint32_t a = address();
                json_ += R"("IP Host Parameters": [{"Interface Information": [{"Name": "nic", "Address": ")" +
                         text(a) + R"("}]}])";
                if (a != kInvalid) hosts.push_back({name, "nic", a, false});
            } else {
                json_ += R"("IP Routing Parameters": [{"Interface Information": [)";
                const int interfaces = pick(0, 5);
                for (int i = 0; i < interfaces; ++i) {
                    const std::string intf = "if" + std::to_string(i);
                    const std::uint32_t a = address();
                    json_ += i ? "," : "";
                    json_ += R"({"Name": ")" + intf + R"(", "Address": ")" + text(a) +
                             R"(", "Secondary Address Information": [)";
                    if (a != kInvalid) routers.push_back({name, intf, a, false});
                    const int secondaries = pick(0, 3) == 0 ? pick(1, 2) : 0;
                    for (int s = 0; s < secondaries; ++s) {
                        const std::uint32_t b = address();
                        json_ += s ? "," : "";
                        json_ += R"({"Address": ")" + text(b) + R"("})";
                        if (b != kInvalid && a != kInvalid) routers.push_back({name, intf, b, true});
                    }
                    json_ += "]}";
                }
                json_ += "]}]";
            }
            json_ += "}}";
        }
        json_ += "]}";
        all_ = hosts;
        all_.insert(all_.end(), routers.begin(), routers.end());
    }

    const std::string& json() const { return json_; }
    const std::vector<Expected>& all() const { return all_; }
    std::uint32_t address() {
        if (pick(0, 15) == 0) return kInvalid;
        // 10.<0..3>.<0..3>.<0..7>, or anywhere.
        if (pick(0, 3) == 0) return static_cast<std::uint32_t>(rng_());
        return 0x0a000000u | pick(0, 3) << 16 | pick(0, 3) << 8 | pick(0, 7);
    }
    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

private:
    static constexpr std::uint32_t kInvalid = 0xffffffffu; // written as a malformed text
    static std::string text(std::uint32_t a) { return a == kInvalid ? "10.0.0.256" : dotted(a); }

    std::mt19937 rng_;
    std::string json_;
    std::vector<Expected> all_;
};

std::uint32_t mask_of(int length) { return length == 0 ? 0 : ~0u << (32 - length); }

TEST(GipOracle, EveryLookUpMatchesAScan) {
    Xeq_Host_Echo_Set(0);
    nbx_ed_xeq_init();
    for (unsigned seed = 1; seed <= 60; ++seed) {
        RandomModel model(seed);
        ModelFixture m(model.json());
        const std::vector<Expected>& all = model.all();
        for (int probe = 0; probe < 200; ++probe) {
            const std::uint32_t a = probe < static_cast<int>(all.size()) ? all[probe].address
                                                                          : model.address();
            std::vector<Expected> want;
            for (const Expected& e : all)
                if (e.address == a) want.push_back(e);
            QovT_Ll_Desc* got = nullptr;
            const int rc = nbx_gip_get_data_by_address(KplT_IP_Address{a, ~0u}, &got);
            ASSERT_EQ(rc, want.empty() ? 1 : 0) << "seed " << seed << " " << dotted(a);
            if (rc == 0) {
                ASSERT_EQ(entries_of(got), want) << "seed " << seed << " " << dotted(a);
            }

            const int length = model.pick(0, 32);
            const std::uint32_t mask = mask_of(length);
            want.clear();
            for (const Expected& e : all)
                if ((e.address & mask) == (a & mask)) want.push_back(e);
            std::stable_sort(want.begin(), want.end(),
                             [](const Expected& x, const Expected& y) { return x.address > y.address; });
            // Host bits of the network are ignored: probe with them scrambled.
            const KplT_IP_Address network{a ^ (~mask & static_cast<std::uint32_t>(probe * 2654435761u)), mask};
            ASSERT_EQ(nbx_gip_get_data_by_network(network, &got), 0);
            ASSERT_EQ(entries_of(got), want) << "seed " << seed << " " << dotted(a) << "/" << length;
            kpl_list_destroy(got, 0);
        }
    }
}

} // namespace
