// Models and routing export files written by the tests: routers with
// interfaces, links between interfaces, and each router's routes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct LabInterface {
    std::string name;
    std::string address;
    std::string mask;
};

// A model of one subnet top.<name> holding routers and the links between
// them, in the order added.
class LabModel {
public:
    explicit LabModel(std::string name) : name_(std::move(name)) {}

    std::string hname(const std::string& node) const { return "top." + name_ + "." + node; }

    LabModel& router(const std::string& node, const std::vector<LabInterface>& interfaces) {
        std::string rows;
        for (const LabInterface& i : interfaces)
            rows += std::string(rows.empty() ? "" : ",\n      ") + R"({"Name": ")" + i.name +
                    R"(", "Address": ")" + i.address + R"(", "Subnet Mask": ")" + i.mask + R"("})";
        objects_.push_back(R"({"name": ")" + hname(node) +
                           R"(", "type": "node", "attributes": {"model": "ip_router",
    "IP Routing Parameters": [{"Interface Information": [
      )" + rows + "]}]}}");
        return *this;
    }
    // A link named "<a>-<b>" joining interface a_intf of a and b_intf of b.
    LabModel& link(const std::string& a, const std::string& a_intf, const std::string& b,
                   const std::string& b_intf) {
        objects_.push_back(R"({"name": ")" + hname(a + "-" + b) + R"(", "type": "link", "ends": [{"node": ")" +
                           hname(a) + R"(", "interface": ")" + a_intf + R"("}, {"node": ")" + hname(b) +
                           R"(", "interface": ")" + b_intf + R"("}]})");
        return *this;
    }
    // Any other object, as its JSON text.
    LabModel& object(const std::string& json) {
        objects_.push_back(json);
        return *this;
    }

    std::string json() const {
        std::string text = R"({"format": "xeq-model", "version": 1, "name": ")" + name_ +
                           R"(", "objects": [
  {"name": "top.)" + name_ + R"(", "type": "subnet"})";
        for (const std::string& object : objects_) text += ",\n  " + object;
        return text + "]}\n";
    }

private:
    std::string name_;
    std::vector<std::string> objects_;
};

struct LabHop {
    std::string address;
    int metric;
    std::string time; // seconds as the file writes them; "-1" for unknown
};

inline std::string dotted_mask(int length) {
    const std::uint32_t mask = length == 0 ? 0 : ~0u << (32 - length);
    return std::to_string(mask >> 24) + "." + std::to_string((mask >> 16) & 255) + "." +
           std::to_string((mask >> 8) & 255) + "." + std::to_string(mask & 255);
}

// A routing export file: router after router, each with its routes.
class RoutingFile {
public:
    RoutingFile& router(const std::string& hname) {
        close_router();
        text_ += "<IpNode hname=\"" + hname + "\">\n<IpConfig gateway=\"false\" cloud=\"false\"/>\n<IpRteTable>\n";
        open_ = true;
        return *this;
    }
    // A route of the current router to network ("a.b.c.d/len").
    RoutingFile& route(const std::string& network, const std::string& protocol, int process,
                       const std::vector<LabHop>& hops) {
        const size_t slash = network.find('/');
        text_ += "<IpRteEntry addr=\"" + network.substr(0, slash) + "\" mask=\"" +
                 dotted_mask(std::stoi(network.substr(slash + 1))) + "\" prot=\"" + protocol +
                 "\" process=\"" + std::to_string(process) + "\">\n";
        for (const LabHop& hop : hops)
            text_ += "<IpNextHop addr=\"" + hop.address + "\" metric=\"" + std::to_string(hop.metric) +
                     "\" time=\"" + hop.time + "\"/>\n";
        text_ += "</IpRteEntry>\n";
        return *this;
    }
    std::string xml() {
        close_router();
        return "<?xml version=\"1.0\"?>\n<NetData>\n<IpNetwork>\n" + text_ + "</IpNetwork>\n</NetData>\n";
    }

private:
    void close_router() {
        if (open_) text_ += "</IpRteTable>\n</IpNode>\n";
        open_ = false;
    }
    std::string text_;
    bool open_ = false;
};
