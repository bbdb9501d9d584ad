// Memory running out at every allocation of an operation in turn: the
// operation gives its documented failure result, keeps no object alive and
// leaves the trace frame stack as it found it.
#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <string>
#include <vector>

#include "describe.hpp"
#include "ipspace/gip.hpp"
#include "model_fixture.hpp"
#include "reach/ra_bt_tree.hpp"
#include "routers.hpp"
#include "routing/ra_xml_parser.hpp"
#include "xeq_host.h"

namespace {

struct Pool {
    const char* name;
    size_t object_size;
    int block_count;
};

// Every pool of the plug-in's classes, as the classes define them.
const Pool kPools[] = {
    {"NbxBtNode", sizeof(NbxBtNode), 32},
    {"NbxIpState", sizeof(NbxIpState), 16},
    {"NbxGipTree", sizeof(NbxGipTree), 1},
    {"RaBtState", sizeof(RaBtState), 8},
    {"RaBtStateData", sizeof(RaBtStateData), 1},
    {"RaIpNode", sizeof(RaIpNode), 16},
    {"RaIpRouteTable", sizeof(RaIpRouteTable), 16},
    {"RaIpRouteEntry", sizeof(RaIpRouteEntry), 32},
    {"RaIpRouteNextHop", sizeof(RaIpRouteNextHop), 32},
    {"RaXmlParser", sizeof(RaXmlParser), 1},
    {"RaXmlStateStart", sizeof(RaXmlStateStart), 1},
    {"RaXmlStateNetData", sizeof(RaXmlStateNetData), 1},
    {"RaXmlStateIpNetwork", sizeof(RaXmlStateIpNetwork), 1},
    {"RaXmlStateIpNode", sizeof(RaXmlStateIpNode), 1},
    {"RaXmlStateIpConfig", sizeof(RaXmlStateIpConfig), 1},
    {"RaXmlStateIpRouteTable", sizeof(RaXmlStateIpRouteTable), 1},
    {"RaXmlStateIpRouteEntry", sizeof(RaXmlStateIpRouteEntry), 1},
    {"RaXmlStateIpNextHop", sizeof(RaXmlStateIpNextHop), 1},
};

std::vector<std::string> live_objects() {
    std::vector<std::string> live;
    for (const Pool& p : kPools)
        live.push_back(std::string(p.name) + " " +
                       std::to_string(kpl_pmo_live_count(kpl_pmo_define(p.name, p.object_size, p.block_count))));
    return live;
}

// Makes allocations fail after n successes for the life of the guard.
class FailAfter {
public:
    explicit FailAfter(int n) { Xeq_Host_Alloc_Fail_After(n); }
    ~FailAfter() { Xeq_Host_Alloc_Fail_After(-1); }
    FailAfter(const FailAfter&) = delete;
    FailAfter& operator=(const FailAfter&) = delete;
};

// Runs attempt(fresh()) with allocations failing after n = 0, 1, 2, ...
// successes (fresh runs before, with memory) until a run in which none was
// refused. attempt checks what it got (a whole answer or the documented
// failure) and says whether it succeeded.
template <typename Attempt, typename Fresh>
void at_every_failure_point(Attempt attempt, Fresh fresh) {
    constexpr int kLimit = 100000; // far more allocations than any operation here makes
    for (int n = 0; n < kLimit; ++n) {
        SCOPED_TRACE("allocations failing after " + std::to_string(n));
        const std::vector<std::string> before = live_objects();
        const int depth = Qov_Fstack_Depth();
        bool succeeded;
        int refused;
        {
            auto state = fresh();
            FailAfter fail(n);
            succeeded = attempt(*state);
            refused = Xeq_Host_Alloc_Failures();
        }
        EXPECT_EQ(live_objects(), before);
        EXPECT_EQ(Qov_Fstack_Depth(), depth);
        if (refused == 0) {
            EXPECT_TRUE(succeeded);
            return;
        }
        if (::testing::Test::HasFailure()) return;
    }
    ADD_FAILURE() << "never succeeded";
}

template <typename Attempt>
void at_every_failure_point(Attempt attempt) {
    at_every_failure_point([&](int) { return attempt(); }, [] { return std::make_unique<int>(0); });
}

using Pairs = std::vector<std::pair<const RaIpNode*, const RaIpRouteEntry*>>;

TEST(OutOfMemory, ReadingTheGoldenFileGivesNullOrTheWholeFile) {
    std::string whole;
    {
        std::unique_ptr<RaBtTree> tree(ra_parse_xml_file(ROUTING_GOLDEN_DIR "/snapshot.atv.xml"));
        ASSERT_NE(tree, nullptr);
        whole = describe(tree->get_node_list());
    }
    at_every_failure_point([&] {
        std::unique_ptr<RaBtTree> tree(ra_parse_xml_file(ROUTING_GOLDEN_DIR "/snapshot.atv.xml"));
        if (tree == nullptr) return false;
        EXPECT_EQ(describe(tree->get_node_list()), whole);
        EXPECT_STREQ(tree->get_file_path(), ROUTING_GOLDEN_DIR "/snapshot.atv.xml");
        return true;
    });
}

const char* const kNetwork = R"({
  "format": "xeq-model", "version": 1, "name": "lan",
  "objects": [
    {"name": "top.r1", "type": "node", "attributes": {
      "IP Routing Parameters": [{
        "Interface Information": [
          {"Name": "eth0", "Address": "10.0.0.1", "Subnet Mask": "255.255.255.0",
           "Secondary Address Information": [{"Address": "10.9.0.1"}, {"Address": "10.9.1.1"}]},
          {"Name": "eth1", "Address": "10.0.1.1", "Subnet Mask": "255.255.255.0"}],
        "Loopback Interfaces": [{"Name": "lo0", "Address": "1.1.1.1"}]}]}},
    {"name": "top.r2", "type": "node", "attributes": {
      "IP Routing Parameters": [{
        "Interface Information": [{"Name": "eth0", "Address": "10.0.1.2", "Subnet Mask": "255.255.255.0"}]}]}},
    {"name": "top.h1", "type": "node", "attributes": {
      "IP Host Parameters": [{"Interface Information": [{"Name": "nic", "Address": "10.0.1.1"}]}]}}
  ]})";

int ip_space_id() { return Xeq_Client_State_By_Name_Get("(NBX) Network IP Space"); }

std::vector<std::string> names_of(const QovT_Ll_Desc* entries) {
    std::vector<std::string> names;
    for (int i = 0; i < kpl_list_size(entries); ++i) {
        const auto* e = static_cast<const NbxGipEntry*>(kpl_list_access(entries, i));
        names.push_back(std::string(Xeq_Obj_Hname_Get(e->obj_hndl, 0)) + "/" + e->intf_name);
    }
    return names;
}

// The first look-up builds the space: without memory for all of it the
// look-up finds nothing and no space is kept, so the next one builds again.
TEST(OutOfMemory, BuildingTheIpSpaceKeepsAllOfItOrNothing) {
    Xeq_Host_Echo_Set(0);
    if (ip_space_id() < 0) nbx_ed_xeq_init();
    const struct {
        const char* address;
        std::vector<std::string> owners;
    } cases[] = {
        {"10.0.1.1", {"top.h1/nic", "top.r1/eth1"}}, // the host first, the router's second interface
        {"1.1.1.1", {"top.r1/lo0"}},                 // the first router's last interface
        {"10.9.1.1", {"top.r1/eth0"}},               // a secondary address
        {"10.0.1.2", {"top.r2/eth0"}},               // the last router
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        at_every_failure_point(
            [&](ModelFixture& model) {
                QovT_Ll_Desc* entries = nullptr;
                if (nbx_gip_get_data_by_address(prefix(c.address), &entries) != 0) {
                    EXPECT_EQ(Xeq_Model_Network_State_Access(model.model(), ip_space_id()), nullptr);
                    return false;
                }
                EXPECT_EQ(names_of(entries), c.owners);
                return true;
            },
            [] { return std::make_unique<ModelFixture>(kNetwork); });
    }
}

// A network look-up on a space already built: 1 and null, or every entry.
TEST(OutOfMemory, ANetworkLookUpGivesNullOrEveryEntry) {
    Xeq_Host_Echo_Set(0);
    if (ip_space_id() < 0) nbx_ed_xeq_init();
    ModelFixture model(kNetwork);
    QovT_Ll_Desc* entries = nullptr;
    ASSERT_EQ(nbx_gip_get_data_by_network(prefix("10.0.0.0/8"), &entries), 0);
    const std::vector<std::string> all = names_of(entries);
    kpl_list_destroy(entries, 0);
    ASSERT_EQ(all.size(), 6u);
    at_every_failure_point([&] {
        QovT_Ll_Desc* found = nullptr;
        if (nbx_gip_get_data_by_network(prefix("10.0.0.0/8"), &found) != 0) {
            EXPECT_EQ(found, nullptr);
            return false;
        }
        EXPECT_EQ(names_of(found), all);
        kpl_list_destroy(found, 0);
        return true;
    });
}

TEST(OutOfMemory, AnAggregateLookUpGivesNullOrEveryRouter) {
    RouterTree t;
    RaIpNode* a = t.router("top.a");
    RaIpNode* b = t.router("top.b");
    RaIpNode* c = t.router("top.c");
    RaIpRouteEntry* b_def = t.route(b, "0.0.0.0/0");
    RaIpRouteEntry* a8 = t.route(a, "10.0.0.0/8");
    RaIpRouteEntry* a16 = t.route(a, "10.1.0.0/16");
    RaIpRouteEntry* c24 = t.route(c, "10.1.2.0/24");
    const Pairs expected = {{b, b_def}, {a, a16}, {c, c24}};
    (void)a8;
    at_every_failure_point([&] {
        std::unique_ptr<RaBtState> result(t.tree.get_state_by_prefix(prefix("10.1.2.0/24"), true));
        EXPECT_TRUE(t.cells_clear());
        if (result == nullptr) return false;
        EXPECT_EQ(pairs(result->get_data()), expected);
        return true;
    });
}

} // namespace
