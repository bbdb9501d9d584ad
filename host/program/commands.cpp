#include "commands.hpp"

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>

#include <nlohmann/json.hpp>

#include "plugin_loader.hpp"
#include "plugin_paths.hpp"
#include "analysis_window.hpp"
#include "model_directories.hpp"
#include "model_picture.hpp"
#include "session.hpp"
#include "xeq_host.h"

namespace xeqhost {
namespace {

// A model open for the length of a command, closed (client states
// destroyed) on every exit.
class OpenModel {
public:
    explicit OpenModel(const std::string& path) {
        char error[1024] = "";
        handle_ = Xeq_Host_Model_Load(path.c_str(), error, sizeof error);
        if (!handle_) throw HostError(error);
    }
    ~OpenModel() { Xeq_Host_Model_Close(handle_); }
    OpenModel(const OpenModel&) = delete;
    OpenModel& operator=(const OpenModel&) = delete;

    XeqT_Model_Handle get() const { return handle_; }

    void save(const std::string& path) const {
        char error[1024] = "";
        if (!Xeq_Host_Model_Save(handle_, path.c_str(), error, sizeof error)) throw HostError(error);
    }

private:
    XeqT_Model_Handle handle_;
};

using TwoObjectConverter = int (*)(XeqT_Obj_Handle converted, XeqT_Obj_Handle old);
using SingleObjectConverter = int (*)(XeqT_Obj_Handle obj);
// Converters that take the model and one object and define no result (the
// PVC table conversion).
using ModelObjectConverter = void (*)(XeqT_Model_Handle model, XeqT_Obj_Handle obj);

void report_missing(const std::vector<std::string>& missing) {
    for (const std::string& name : missing)
        std::printf("%s: an attribute the conversion needs is missing (result 0)\n", name.c_str());
}

// Leaf attributes of a saved model, "object: path" -> value text.
using Leaves = std::map<std::string, std::string>;

void flatten(const nlohmann::ordered_json& attrs, const std::string& object,
             const std::string& prefix, Leaves& out) {
    for (const auto& [name, value] : attrs.items()) {
        const std::string path = prefix.empty() ? name : prefix + "." + name;
        const nlohmann::ordered_json* rows = nullptr;
        if (value.is_array()) rows = &value;
        else if (value.is_object() && value.contains("rows")) rows = &value["rows"];
        if (rows) {
            out[object + path + ".count"] = std::to_string(rows->size());
            for (size_t r = 0; r < rows->size(); ++r)
                flatten((*rows)[r], object, path + " [" + std::to_string(r) + "]", out);
        } else {
            out[object + path] = (value.is_object() ? value["value"] : value).dump();
        }
    }
}

// Read through the host, so that both sides are compared as the host sees
// them (implied attributes included) and a malformed file is refused.
Leaves leaves_of(const std::string& path) {
    OpenModel model(path);
    const auto json = nlohmann::ordered_json::parse(Xeq_Host_Model_Text_Get(model.get()));
    Leaves leaves;
    for (const auto& obj : json["objects"]) {
        const std::string object = obj["name"].get<std::string>() + ": ";
        flatten(obj["attributes"], object, "", leaves);
        if (obj.contains("ends"))
            leaves[object + "(ends)"] = obj["ends"][0].get<std::string>() + " -> " +
                                        obj["ends"][1].get<std::string>();
    }
    return leaves;
}

XeqT_Obj_Type type_option(const Args& args) {
    const std::string type = args.optional("type");
    if (type.empty() || type == "node") return XEQC_OBJ_NODE;
    if (type == "link") return XEQC_OBJ_LINK;
    if (type == "demand") return XEQC_OBJ_DEMAND;
    throw HostError("--type must be node, link or demand");
}

// The --address or --network option as an address; a network takes
// "a.b.c.d/len" or a dotted --mask.
KplT_IP_Address ip_option(const Args& args, const std::string& option) {
    const std::string text = args.required(option);
    const std::string mask = args.optional("mask");
    KplT_IP_Address ip{};
    if (!kpl_ip_address_parse(text.c_str(), mask.empty() ? nullptr : mask.c_str(), &ip))
        throw HostError("'" + text + (mask.empty() ? "" : "' with mask '" + mask) +
                        "' is not an IPv4 " + option);
    return ip;
}



// The plug-in with the analysis window: --plugin, or the nbx plug-in found
// by its name as every bare plug-in name is.
std::string analysis_plugin(const Args& args) {
    const std::string named = args.optional("plugin");
    return named.empty() ? "nbx" : named;
}

std::string address_text(KplT_IP_Address address) {
    char value[KPLC_IP_ADDRESS_TEXT_SIZE];
    kpl_ip_address_value_to_string(kpl_ip_address_value_get(address), value);
    return value;
}

std::string prefix_text(KplT_IP_Address address) {
    char value[KPLC_IP_ADDRESS_TEXT_SIZE];
    kpl_ip_address_value_to_string(kpl_ip_address_value_get(address), value);
    return std::string(value) + "/" +
           std::to_string(kpl_ip_address_mask_prefix_length_compute(kpl_ip_address_mask_get(address)));
}


} // namespace

const std::string& Args::required(const std::string& name) const {
    auto it = options.find(name);
    if (it == options.end()) throw HostError("missing option --" + name);
    return it->second;
}

std::string Args::optional(const std::string& name) const {
    auto it = options.find(name);
    return it == options.end() ? std::string() : it->second;
}

namespace {

// Runs a model-and-object converter on each object of the type. Objects it
// adds (demands) are of another type and are not visited.
int run_model_object_convert(const Args& args) {
    Plugin plugin(plugin_path(args.required("plugin")));
    const std::string& name = args.required("export");
    const auto convert = plugin.function<ModelObjectConverter>(name);
    const XeqT_Obj_Type type = type_option(args);
    OpenModel model(args.required("model"));
    Xeq_Host_Model_Current_Set(model.get());
    const int count = Xeq_Topo_Object_Count_Get(model.get(), type);
    for (int i = 0; i < count; ++i) convert(model.get(), Xeq_Topo_Object_Get(model.get(), type, i));
    Xeq_Host_Model_Current_Set(nullptr);
    std::fflush(stdout);
    std::fflush(stderr);
    model.save(args.required("out"));
    std::printf("%s: converted %d object(s), saved %s\n", name.c_str(), count,
                args.required("out").c_str());
    return 0;
}

} // namespace

int run_convert(const Args& args) {
    const std::string form = args.optional("form");
    if (form == "model-object") return run_model_object_convert(args);
    if (!form.empty()) throw HostError("--form must be model-object");
    Plugin plugin(plugin_path(args.required("plugin")));
    const std::string& name = args.required("export");
    const bool two_object = !args.optional("old").empty();
    const XeqT_Obj_Type type = type_option(args);
    OpenModel target(two_object ? args.required("new") : args.required("model"));
    std::vector<std::string> missing;
    int converted = 0;
    Xeq_Host_Model_Current_Set(target.get());
    if (two_object) {
        const auto convert = plugin.function<TwoObjectConverter>(name);
        OpenModel old(args.required("old"));
        for (int i = 0; i < Xeq_Topo_Object_Count_Get(target.get(), type); ++i) {
            const XeqT_Obj_Handle obj = Xeq_Topo_Object_Get(target.get(), type, i);
            const char* hname = Xeq_Obj_Hname_Get(obj, 0);
            const XeqT_Obj_Handle old_obj = Xeq_Obj_From_Hname_Get(old.get(), hname);
            if (Xeq_Obj_Invalid(old_obj)) continue; // new in this release: nothing to carry over
            ++converted;
            if (convert(obj, old_obj) == 0) missing.push_back(hname);
        }
    } else {
        const auto convert = plugin.function<SingleObjectConverter>(name);
        for (int i = 0; i < Xeq_Topo_Object_Count_Get(target.get(), type); ++i) {
            const XeqT_Obj_Handle obj = Xeq_Topo_Object_Get(target.get(), type, i);
            ++converted;
            if (convert(obj) == 0) missing.push_back(Xeq_Obj_Hname_Get(obj, 0));
        }
    }
    Xeq_Host_Model_Current_Set(nullptr);
    std::fflush(stderr);
    report_missing(missing);
    target.save(args.required("out"));
    std::printf("%s: converted %d object(s), saved %s\n", name.c_str(), converted,
                args.required("out").c_str());
    return 0;
}

int run_diff(const Args& args) {
    if (args.words.size() != 2) throw HostError("diff takes two model files");
    const Leaves before = leaves_of(args.words[0]);
    const Leaves after = leaves_of(args.words[1]);
    for (const auto& [key, value] : after) {
        auto it = before.find(key);
        if (it == before.end()) std::printf("+ %s = %s\n", key.c_str(), value.c_str());
        else if (it->second != value)
            std::printf("~ %s: %s -> %s\n", key.c_str(), it->second.c_str(), value.c_str());
    }
    for (const auto& [key, value] : before)
        if (!after.count(key)) std::printf("- %s (was %s)\n", key.c_str(), value.c_str());
    return 0;
}

int run_check(const Args& args) {
    if (args.words.size() != 1) throw HostError("check takes one model file");
    OpenModel model(args.words[0]);
    char name[XEQC_MODEL_NAME_SIZE];
    Xeq_Model_Name_Get(model.get(), name);
    std::printf("model '%s': %d object(s)\n", name, Xeq_Host_Model_Object_Count(model.get()));
    return 0;
}

int run_call(const Args& args) {
    Plugin plugin(plugin_path(args.required("plugin")));
    const std::string& name = args.required("export");
    // With --text, an export taking one text (a probe model's name).
    const auto function = [&] {
        if (args.options.count("text"))
            plugin.function<int (*)(const char*)>(name)(args.options.at("text").c_str());
        else
            plugin.function<void (*)()>(name)();
    };
    const std::string path = args.optional("model");
    if (path.empty()) {
        function();
        return 0;
    }
    OpenModel model(path);
    Xeq_Host_Model_Current_Set(model.get());
    function();
    Xeq_Host_Model_Current_Set(nullptr);
    return 0;
}

int run_ipspace(const Args& args) {
    const bool by_address = !args.optional("address").empty();
    if (by_address == !args.optional("network").empty())
        throw HostError("ipspace takes one of --address or --network");
    const KplT_IP_Address ip = ip_option(args, by_address ? "address" : "network");
    const std::string subject = by_address ? "address " + address_text(ip) : "network " + prefix_text(ip);
    // What a user types into Find Node: an address, or a network with its
    // prefix length.
    const std::string typed = by_address ? address_text(ip) : prefix_text(ip);
    Session session({args.required("model"), {analysis_plugin(args)}});
    AnalysisWindow window;
    const auto report = window.find_node_report(typed);
    const size_t count = report ? report->rows.size() : 0;
    if (count > 0) std::printf("%-30s %-20s %s\n", "node", "interface", "address");
    for (size_t r = 0; r < count; ++r) {
        const auto& cells = report->rows[r];
        std::printf("%-30s %-20s %s%s\n", cells.at(0).c_str(), cells.at(1).c_str(), cells.at(2).c_str(),
                    report->backgrounds[r] ? " (secondary)" : "");
    }
    std::printf("%zu entr%s for %s\n", count, count == 1 ? "y" : "ies", subject.c_str());
    return count > 0 ? 0 : 1;
}

// A routing export file named on the command line stands in for the
// model's own: the plug-in looks for "<model name>.atv.xml" in the model
// directories, so the file is linked under that name into a directory of
// its own put first among them.
class RoutesFile {
public:
    RoutesFile(const std::string& file, XeqT_Model_Handle model) {
        char name[XEQC_MODEL_NAME_SIZE];
        Xeq_Model_Name_Get(model, name);
        char pattern[] = "/tmp/xeqhost-routes-XXXXXX";
        if (!mkdtemp(pattern)) throw HostError("cannot make a directory for '" + file + "'");
        dir_ = pattern;
        link_ = dir_ + "/" + name + "." + kpl_tfile_suffix(KPLC_TFILE_ROUTING_EXPORT);
        char* absolute = realpath(file.c_str(), nullptr);
        const bool linked = absolute && symlink(absolute, link_.c_str()) == 0;
        std::free(absolute);
        if (!linked) {
            rmdir(dir_.c_str());
            throw HostError("cannot read '" + file + "'");
        }
        in_use_ = std::make_unique<ModelDirectoryInUse>(dir_, ModelDirectoryInUse::First);
    }
    ~RoutesFile() {
        in_use_.reset();
        unlink(link_.c_str());
        rmdir(dir_.c_str());
    }
    RoutesFile(const RoutesFile&) = delete;
    RoutesFile& operator=(const RoutesFile&) = delete;

private:
    std::string dir_, link_;
    std::unique_ptr<ModelDirectoryInUse> in_use_;
};

// Display Reachability in the plug-in's analysis window, as a user runs it;
// the lines printed are the window's reachability report.
int run_reach(const Args& args) {
    const std::string lookup = args.optional("lookup");
    if (!lookup.empty() && lookup != "exact" && lookup != "aggregate")
        throw HostError("--lookup must be exact or aggregate");
    const bool aggregate = lookup != "exact";
    // As the analysis window reads it: "a.b.c.d/len" is that network, a
    // bare address the network of that one address.
    const std::string text = args.required("network");
    KplT_IP_Address network{};
    const bool has_length = text.find('/') != std::string::npos;
    if (!kpl_ip_address_parse(text.c_str(), has_length ? nullptr : "255.255.255.255", &network))
        throw HostError("'" + text + "' is not an IPv4 network (a.b.c.d/len or a.b.c.d)");
    const std::string routes = args.optional("routes");
    if (!routes.empty() && access(routes.c_str(), R_OK) != 0) throw HostError("cannot read '" + routes + "'");

    Session session({args.required("model"), {analysis_plugin(args)}});
    const std::unique_ptr<RoutesFile> named = routes.empty() ? nullptr : std::make_unique<RoutesFile>(routes, session.model());
    AnalysisWindow window;
    if (!window.has_routing_data()) {
        char name[XEQC_MODEL_NAME_SIZE];
        Xeq_Model_Name_Get(session.model(), name);
        throw HostError(std::string("no routing export file '") + name +
                        ".atv.xml' in the model directories or beside the model");
    }
    const xeq::ui::TableView report = window.display_reachability(prefix_text(network), aggregate);
    if (!report.rows.empty())
        std::printf("%-24s %-18s %-8s %-28s %s\n", "router", "route", "protocol", "next hops", "icon");
    for (const auto& cells : report.rows)
        std::printf("%-24s %-18s %-8s %-28s %s\n", cells.at(0).c_str(), cells.at(1).c_str(), cells.at(2).c_str(),
                    cells.at(3).c_str(), cells.at(4).c_str());
    const size_t count = report.rows.size();
    std::printf("%zu router%s reach%s %s (%s)\n", count, count == 1 ? "" : "s", count == 1 ? "es" : "",
                prefix_text(network).c_str(), aggregate ? "longest match per router" : "exact prefix");
    return count > 0 ? 0 : 1;
}

} // namespace xeqhost

namespace xeqhost {

int run_ui(const Args& args) {
    Session::Options options;
    options.model = args.required("model");
    if (auto it = args.all.find("plugin"); it != args.all.end()) options.plugins = it->second;
    const std::string script = args.optional("script");
    std::ifstream file;
    if (!script.empty()) {
        file.open(script);
        if (!file) throw HostError("cannot read the script '" + script + "'");
    }
    Session session(options);
    const bool interactive = script.empty() && isatty(STDIN_FILENO) == 1;
    return session.run(script.empty() ? std::cin : file, std::cout, interactive);
}

} // namespace xeqhost

namespace xeqhost {

int run_draw(const Args& args) {
    if (args.words.size() != 2) throw HostError("draw takes a model file and the picture's file");
    OpenModel model(args.words[0]);
    std::ofstream file(args.words[1], std::ios::binary | std::ios::trunc);
    file << model_picture_svg(model.get());
    file.close();
    if (!file) throw HostError("cannot write the picture '" + args.words[1] + "'");
    return 0;
}

} // namespace xeqhost
