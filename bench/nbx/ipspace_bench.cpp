// The network IP space of a generated model: 10,000 routers with 8
// interfaces each (every fifth router with one secondary address) and
// 20,000 hosts, about 102,000 addresses.
//
// - Build: nbx_gip_pstate_create against its floor, the same attribute
//   reads through the host without inserting anything (Floor).
// - Look-ups: 1,000,000 addresses (nine in ten owned, in random order) and
//   10,000 networks from /16 to /30, through the exports as callers make
//   them.
// - Memory: heap held by one built IP space (counter "heap_MB").
// - Trace frame: a call with a frame against the same call without.
// - Context: the same look-ups over a cached working set, and the latency
//   of one dependent load into memory on this machine.
//
// The model is generated as JSON and parsed by the host once per process;
// nothing is written to disk.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "ipspace/gip.hpp"
#include "xeq_host.h"

namespace {

constexpr int kRouters = 10'000;
constexpr int kInterfaces = 8;
constexpr int kHosts = 20'000;
constexpr int kAddressLookUps = 1'000'000;
constexpr int kNetworkLookUps = 10'000;

std::string dotted(std::uint32_t v) {
    char text[KPLC_IP_ADDRESS_TEXT_SIZE];
    kpl_ip_address_value_to_string(v, text);
    return text;
}

// Router r sits in 10.(r / 100).(r % 100).0/24: interface i at .(16 i + 1),
// its secondary at .(16 i + 9); hosts 2r and 2r + 1 at .130 and .146.
std::uint32_t router_base(int r) {
    return 0x0a000000u | static_cast<std::uint32_t>(r / 100) << 16 |
           static_cast<std::uint32_t>(r % 100) << 8;
}

struct Generated {
    XeqT_Model_Handle model = nullptr;
    std::vector<std::uint32_t> addresses; // every address the model holds
};

const Generated& generated() {
    static const Generated g = [] {
        Generated out;
        std::string json = R"({"format": "xeq-model", "version": 1, "name": "bench", "objects": [)";
        json.reserve(16u << 20);
        for (int r = 0; r < kRouters; ++r) {
            json += r ? "," : "";
            json += R"({"name": "top.r)" + std::to_string(r) +
                    R"(", "type": "node", "attributes": {"IP Routing Parameters": [{"Interface Information": [)";
            for (int i = 0; i < kInterfaces; ++i) {
                const std::uint32_t a = router_base(r) | (16u * i + 1);
                out.addresses.push_back(a);
                json += i ? "," : "";
                json += R"({"Name": "ge)" + std::to_string(i) + R"(", "Address": ")" + dotted(a) +
                        R"(", "Subnet Mask": "255.255.255.240")";
                if (r % 5 == 0 && i == kInterfaces - 1) {
                    const std::uint32_t s = router_base(r) | (16u * i + 9);
                    out.addresses.push_back(s);
                    json += R"(, "Secondary Address Information": [{"Address": ")" + dotted(s) +
                            R"(", "Subnet Mask": "255.255.255.240"}])";
                }
                json += "}";
            }
            json += "]}]}}";
        }
        for (int h = 0; h < kHosts; ++h) {
            const std::uint32_t a = router_base(h / 2) | (h % 2 ? 146u : 130u);
            out.addresses.push_back(a);
            json += R"(,{"name": "top.h)" + std::to_string(h) +
                    R"(", "type": "node", "attributes": {"IP Host Parameters": [{"Interface Information": [{"Name": "IF0", "Address": ")" +
                    dotted(a) + R"(", "Subnet Mask": "255.255.255.240"}]}]}})";
        }
        json += "]}";
        char error[512] = "";
        out.model = Xeq_Host_Model_Parse(json.c_str(), "generated", error, sizeof error);
        if (out.model == nullptr) {
            std::fprintf(stderr, "cannot generate the model: %s\n", error);
            std::abort();
        }
        Xeq_Host_Model_Current_Set(out.model);
        Xeq_Host_Echo_Set(0);
        nbx_ed_xeq_init();
        return out;
    }();
    return g;
}

// Heap held by one IP space: what the allocator hands out while it is
// built, less what it takes back when it is deleted. The host's pools keep
// released objects for reuse, so this is measured first, before any other
// build has filled the pools.
void BM_MemoryHeld(benchmark::State& state) {
    generated();
    for (auto _ : state) {
        const std::size_t before = mallinfo2().uordblks;
        NbxGipTree* tree = nbx_gip_pstate_create();
        const std::size_t after = mallinfo2().uordblks;
        state.counters["heap_MB"] = static_cast<double>(after - before) / (1 << 20);
        state.counters["bytes_per_address"] =
            static_cast<double>(after - before) / static_cast<double>(generated().addresses.size());
        delete tree;
        Xeq_Host_Events_Clear();
    }
}
BENCHMARK(BM_MemoryHeld)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_Build(benchmark::State& state) {
    generated();
    for (auto _ : state) {
        NbxGipTree* tree = nbx_gip_pstate_create();
        state.PauseTiming();
        state.counters["tree_nodes"] = tree->get_size() + 1;
        delete tree;
        Xeq_Host_Events_Clear();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Build)->Unit(benchmark::kMillisecond)->Iterations(10);

// The reads of the build, each as the service makes it, without the tree.
void read_hosts(std::uint64_t& sink) {
    XeqT_Obj_List hosts = Xeq_Obj_List_Create();
    nbx_xeq_node_list_by_model_attr("IP Host Parameters", hosts);
    for (int i = 0; i < Xeq_Obj_List_Size(hosts); ++i) {
        const XeqT_Obj_Handle host = Xeq_Obj_List_Object_Get(hosts, i);
        char address_text[17];
        char name[80];
        KplT_IP_Address address;
        if (Xeq_Obj_Attr_Get(host, "IP Host Parameters [0].Interface Information [0].Address", address_text) &&
            kpl_ip_address_parse(address_text, "255.255.255.255", &address))
            sink += address.value;
        Xeq_Obj_Attr_Get(host, "IP Host Parameters [0].Interface Information [0].Name", name);
        sink += static_cast<unsigned char>(name[0]);
    }
    Xeq_Obj_List_Destroy(hosts);
}

void read_routers(std::uint64_t& sink) {
    XeqT_Obj_List routers = Xeq_Obj_List_Create();
    nbx_xeq_node_list_by_model_attr("IP Routing Parameters", routers);
    for (int r = 0; r < Xeq_Obj_List_Size(routers); ++r) {
        const XeqT_Obj_Handle router = Xeq_Obj_List_Object_Get(routers, r);
        QovT_Ll_Desc* interfaces = kpl_list_create();
        Rule_Nt_Device_Interface_List_Generate(router, 359, interfaces);
        for (int i = 0; i < kpl_list_size(interfaces); ++i) {
            const auto* intf = static_cast<const RuleT_Nt_Interface*>(kpl_list_access(interfaces, i));
            sink += kpl_ip_address_mask_set(Rule_Nt_Interface_IP_Address_Get(intf), ~0u).value;
            char name[80];
            Rule_Nt_Interface_Attr_Get(intf, "IP Routing Parameters.Name", name);
            sink += static_cast<unsigned char>(name[0]);
            XeqT_Obj_Handle table = 0;
            if (!Rule_Nt_Interface_Attr_Get(intf, "IP Routing Parameters.Secondary Address Information", &table))
                continue;
            XeqT_Obj_List rows = Xeq_Obj_List_Create();
            Xeq_Topo_Child_List_Get(table, XEQC_OBJ_ATTR_ROW, rows);
            for (int s = 0; s < Xeq_Obj_List_Size(rows); ++s) {
                char text[128];
                KplT_IP_Address address;
                if (Xeq_Obj_Attr_Get_As_String(Xeq_Obj_List_Object_Get(rows, s), "Address", text) &&
                    kpl_ip_address_parse(text, "255.255.255.255", &address))
                    sink += address.value;
            }
            Xeq_Obj_List_Destroy(rows);
        }
        kpl_list_destroy(interfaces, 1);
    }
    Xeq_Obj_List_Destroy(routers);
}

void BM_BuildFloor(benchmark::State& state) {
    generated();
    for (auto _ : state) {
        std::uint64_t sink = 0;
        read_hosts(sink);
        read_routers(sink);
        benchmark::DoNotOptimize(sink);
        state.PauseTiming();
        Xeq_Host_Events_Clear();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BuildFloor)->Unit(benchmark::kMillisecond)->Iterations(10);

// The model's IP space, built once and kept as its client state.
void ensure_ip_space() {
    generated();
    nbx_gip_get_data_by_address(KplT_IP_Address{0, ~0u}, nullptr);
}

void BM_AddressLookUp(benchmark::State& state) {
    ensure_ip_space();
    std::vector<KplT_IP_Address> probes;
    std::mt19937 rng(7);
    const auto& all = generated().addresses;
    for (int i = 0; i < kAddressLookUps; ++i) {
        const std::uint32_t v = i % 10 == 9 ? static_cast<std::uint32_t>(rng())
                                            : all[rng() % all.size()];
        probes.push_back(KplT_IP_Address{v, ~0u});
    }
    int found = 0;
    for (auto _ : state) {
        found = 0;
        for (const KplT_IP_Address& a : probes) {
            QovT_Ll_Desc* entries = nullptr;
            found += nbx_gip_get_data_by_address(a, &entries) == 0;
            benchmark::DoNotOptimize(entries);
        }
    }
    state.counters["found"] = found;
    state.counters["per_lookup"] = benchmark::Counter(
        kAddressLookUps, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_AddressLookUp)->Unit(benchmark::kMillisecond);

// The tree walk alone, without the client-state fetch of the export.
void BM_AddressLookUpTreeOnly(benchmark::State& state) {
    ensure_ip_space();
    const auto* tree = static_cast<const NbxGipTree*>(Xeq_Model_Network_State_Access(
        generated().model, Xeq_Client_State_By_Name_Get("(NBX) Network IP Space")));
    std::vector<KplT_IP_Address> probes;
    std::mt19937 rng(7);
    const auto& all = generated().addresses;
    for (int i = 0; i < kAddressLookUps; ++i) probes.push_back({all[rng() % all.size()], ~0u});
    for (auto _ : state)
        for (const KplT_IP_Address& a : probes) benchmark::DoNotOptimize(tree->get_state_by_address(a));
    state.counters["per_lookup"] = benchmark::Counter(
        kAddressLookUps, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_AddressLookUpTreeOnly)->Unit(benchmark::kMillisecond);

// The same export with the probes confined to 1,000 owned addresses, whose
// paths stay in cache: the cost of the code rather than of memory.
void BM_AddressLookUpHot(benchmark::State& state) {
    ensure_ip_space();
    std::vector<KplT_IP_Address> probes;
    std::mt19937 rng(7);
    const auto& all = generated().addresses;
    for (int i = 0; i < kAddressLookUps; ++i) probes.push_back({all[rng() % 1000], ~0u});
    for (auto _ : state)
        for (const KplT_IP_Address& a : probes) {
            QovT_Ll_Desc* entries = nullptr;
            benchmark::DoNotOptimize(nbx_gip_get_data_by_address(a, &entries));
        }
    state.counters["per_lookup"] = benchmark::Counter(
        kAddressLookUps, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_AddressLookUpHot)->Unit(benchmark::kMillisecond);

// What one dependent load into memory of the IP space's size costs on this
// machine: a random cyclic walk over 64 MB, one cache line per step. A
// look-up walks 32 dependent steps, the lower ones mostly outside the cache.
void BM_MemoryLatency(benchmark::State& state) {
    struct alignas(64) Line {
        std::uint32_t next;
    };
    const std::uint32_t lines = (64u << 20) / sizeof(Line);
    std::vector<std::uint32_t> order(lines);
    for (std::uint32_t i = 0; i < lines; ++i) order[i] = i;
    std::shuffle(order.begin(), order.end(), std::mt19937(3));
    std::vector<Line> ring(lines);
    for (std::uint32_t i = 0; i < lines; ++i) ring[order[i]].next = order[(i + 1) % lines];
    constexpr int kSteps = 1'000'000;
    std::uint32_t at = 0;
    for (auto _ : state)
        for (int i = 0; i < kSteps; ++i) at = ring[at].next;
    benchmark::DoNotOptimize(at);
    state.counters["per_step"] = benchmark::Counter(
        kSteps, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_MemoryLatency)->Unit(benchmark::kMillisecond);

void BM_NetworkLookUp(benchmark::State& state) {
    ensure_ip_space();
    std::vector<KplT_IP_Address> probes;
    std::mt19937 rng(11);
    const auto& all = generated().addresses;
    for (int i = 0; i < kNetworkLookUps; ++i) {
        const int length = 16 + static_cast<int>(rng() % 15); // /16 to /30
        probes.push_back({all[rng() % all.size()], ~0u << (32 - length)});
    }
    double entries_total = 0;
    for (auto _ : state) {
        entries_total = 0;
        for (const KplT_IP_Address& n : probes) {
            QovT_Ll_Desc* entries = nullptr;
            nbx_gip_get_data_by_network(n, &entries);
            entries_total += kpl_list_size(entries);
            kpl_list_destroy(entries, 0);
        }
    }
    state.counters["entries_per_lookup"] = entries_total / kNetworkLookUps;
    state.counters["per_lookup"] = benchmark::Counter(
        kNetworkLookUps, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_NetworkLookUp)->Unit(benchmark::kMillisecond);

[[gnu::noinline]] int plain_call(int x) {
    benchmark::DoNotOptimize(x);
    return x + 1;
}

[[gnu::noinline]] int framed_call(int x) {
    QOV_FRAME("framed_call(x)");
    benchmark::DoNotOptimize(x);
    return x + 1;
}

void BM_CallPlain(benchmark::State& state) {
    int x = 0;
    for (auto _ : state) x = plain_call(x);
    benchmark::DoNotOptimize(x);
}
BENCHMARK(BM_CallPlain);

void BM_CallWithTraceFrame(benchmark::State& state) {
    int x = 0;
    for (auto _ : state) x = framed_call(x);
    benchmark::DoNotOptimize(x);
}
BENCHMARK(BM_CallWithTraceFrame);

} // namespace

BENCHMARK_MAIN();
