// Display Reachability with next hops, as a user presses "btk_display" in
// the analysis window of the built plug-in, on a generated model of 1,000
// routers in a chain of links, every one of which has a route to the
// network displayed (a next hop over its link, and a default route). Each
// display clears the paths and marks of the one before, marks 1,000
// routers, draws 1,000 paths and refreshes the reachability report.
//
// The floor is the aggregate look-up of the same network alone
// (get_state_by_prefix on the same tree); the ratio of the two, measured in
// the same run, is printed at the end.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "reach/ra_bt_tree.hpp"
#include "session.hpp"
#include "xeq_host.h"
#include "xeq_ui.hpp"

namespace {

constexpr int kRouters = 1000;
constexpr char kNetwork[] = "10.200.0.0/16";

std::string link_address(int link, int end) {
    return "10." + std::to_string(link / 250) + "." + std::to_string(link % 250) + "." + std::to_string(end);
}

// Router i is linked to router i + 1 through link i (10.a.b.1 on i's "up",
// 10.a.b.2 on i + 1's "down").
std::string model_json() {
    std::string json = R"({"format": "xeq-model", "version": 1, "name": "bench", "objects": [
  {"name": "top.net", "type": "subnet"})";
    for (int i = 0; i < kRouters; ++i) {
        const std::string r = "r" + std::to_string(i);
        json += R"(,
  {"name": "top.net.)" + r + R"(", "type": "node", "position": [)" + std::to_string(40 * (i % 40)) + ", " +
                std::to_string(40 * (i / 40)) + R"(], "attributes": {"model": "ip_router", "IP Routing Parameters": [{"Interface Information": [
    {"Name": ")" + r + R"(-up", "Address": ")" + link_address(i, 1) + R"(", "Subnet Mask": "255.255.255.0"},
    {"Name": ")" + r + R"(-down", "Address": ")" + link_address((i - 1 + kRouters) % kRouters, 2) + R"(", "Subnet Mask": "255.255.255.0"}]}]}})";
    }
    for (int i = 0; i + 1 < kRouters; ++i)
        json += R"(,
  {"name": "top.net.l)" + std::to_string(i) + R"(", "type": "link", "ends": [{"node": "top.net.r)" + std::to_string(i) +
                R"(", "interface": "r)" + std::to_string(i) + R"(-up"}, {"node": "top.net.r)" + std::to_string(i + 1) +
                R"(", "interface": "r)" + std::to_string(i + 1) + R"(-down"}]})";
    return json + "]}\n";
}

std::string routes_xml() {
    std::string xml = "<?xml version=\"1.0\"?>\n<NetData>\n<IpNetwork>\n";
    for (int i = 0; i < kRouters; ++i) {
        // The last router's next hop, r0's "down", is on its subnet but
        // not linked: its path is drawn straight.
        const std::string hop = link_address(i, 2);
        xml += "<IpNode hname=\"top.net.r" + std::to_string(i) + "\">\n<IpConfig gateway=\"false\" cloud=\"false\"/>\n"
               "<IpRteTable>\n"
               "<IpRteEntry addr=\"0.0.0.0\" mask=\"0.0.0.0\" prot=\"static\" process=\"0\">\n"
               "<IpNextHop addr=\"" + hop + "\" metric=\"1\" time=\"-1\"/>\n</IpRteEntry>\n"
               "<IpRteEntry addr=\"10.200.0.0\" mask=\"255.255.0.0\" prot=\"ospf\" process=\"1\">\n"
               "<IpNextHop addr=\"" + hop + "\" metric=\"" + std::to_string(10 * (kRouters - i)) +
               "\" time=\"12.5\"/>\n</IpRteEntry>\n</IpRteTable>\n</IpNode>\n";
    }
    return xml + "</IpNetwork>\n</NetData>\n";
}

// The model and its export file in a scratch directory, a session on them
// with the plug-in, and its analysis window set for the display.
class Bench {
public:
    Bench() {
        char pattern[] = "/tmp/nbx-reach-bench-XXXXXX";
        if (::mkdtemp(pattern) == nullptr) std::abort();
        dir_ = pattern;
        std::ofstream(dir_ + "/bench.json") << model_json();
        std::ofstream(dir_ + "/bench.atv.xml") << routes_xml();
        Xeq_Host_Echo_Set(0);
        session_ = std::make_unique<xeqhost::Session>(xeqhost::Session::Options{dir_ + "/bench.json", {NBX_PLUGIN}});
        namespace ui = xeq::ui;
        check(ui::run_menu_item("Reachability Analysis"));
        page_ = ui::find_dialog("ra/find_network");
        check(ui::type_text(page_, "edt_ip_network", kNetwork));
        check(ui::set_toggle(page_, "chk_aggregate", true));
        check(ui::set_toggle(page_, "chk_next_hop", true));
        display(); // builds the IP space once, as the first display does
        if (Xeq_Topo_Object_Count_Get(session_->model(), XEQC_OBJ_PATH) != kRouters) {
            std::fprintf(stderr, "the display drew %d paths, not %d\n",
                         Xeq_Topo_Object_Count_Get(session_->model(), XEQC_OBJ_PATH), kRouters);
            std::abort();
        }
        kpl_ip_address_parse(kNetwork, nullptr, &network_);
    }
    ~Bench() {
        session_.reset();
        std::filesystem::remove_all(dir_);
    }

    void display() { check(xeq::ui::press(page_, "btk_display")); }
    // The plug-in's own tree, kept with the model.
    RaBtTree& tree() const {
        return *static_cast<RaBtTree*>(Xeq_Model_Network_State_Access(
            session_->model(), Xeq_Client_State_By_Name_Get("(RA) Global Routing Tables")));
    }
    KplT_IP_Address network() const { return network_; }

private:
    static void check(const std::string& error) {
        if (error.empty()) return;
        std::fprintf(stderr, "%s\n", error.c_str());
        std::abort();
    }
    std::string dir_;
    std::unique_ptr<xeqhost::Session> session_;
    XeqT_Dbox page_ = nullptr;
    KplT_IP_Address network_{};
};

Bench& bench() {
    static Bench b;
    return b;
}

// Seconds per iteration of each, for the ratio printed at the end.
double g_floor = 0;
double g_display = 0;

template <typename Body>
double seconds_per_iteration(benchmark::State& state, Body body) {
    double total = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        body();
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    return total / static_cast<double>(state.iterations());
}

void BM_Floor_AggregateLookUp(benchmark::State& state) {
    Bench& b = bench();
    g_floor = seconds_per_iteration(state, [&] {
        RaBtState* result = b.tree().get_state_by_prefix(b.network(), true);
        benchmark::DoNotOptimize(result);
        delete result;
    });
}

void BM_DisplayReachabilityWithNextHops(benchmark::State& state) {
    Bench& b = bench();
    g_display = seconds_per_iteration(state, [&] { b.display(); });
}

BENCHMARK(BM_Floor_AggregateLookUp)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DisplayReachabilityWithNextHops)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    if (g_floor > 0 && g_display > 0)
        std::printf("display %.3f ms, floor %.1f us: %.0f times the floor (%d routers, %s)\n", g_display * 1e3,
                    g_floor * 1e6, g_display / g_floor, kRouters, kNetwork);
    benchmark::Shutdown();
    return 0;
}
