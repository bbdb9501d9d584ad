#include "model_picture.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <sstream>
#include <vector>

#include "xeq_host.h"
#include "xeqed.h"

namespace xeqhost {
namespace {

struct Point {
    double x = 0, y = 0;
};

constexpr double kNodeRadius = 16;
constexpr double kMargin = 60;
constexpr int kAutoColumns = 8;
constexpr double kAutoSpacing = 110;

// The editor's overlay icons, drawn as a lettered badge on the object.
struct Badge {
    const char* icon;
    const char* letter;
    const char* fill;
    const char* meaning;
};
const Badge kBadges[] = {
    {"R", "R", "#D9822B", "rip"},       {"G", "G", "#8F6B32", "igrp"},   {"O", "O", "#2B8A3E", "ospf"},
    {"B", "B", "#7048E8", "bgp"},       {"E", "E", "#C2255C", "eigrp"},  {"I", "I", "#1C7ED6", "isis"},
    {"S", "S", "#495057", "static"},    {"selection", "C", "#0B7285", "directly connected"},
};

std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string text_attr(XeqT_Obj_Handle obj, const char* path) {
    char value[XEQC_ATTR_TEXT_SIZE] = "";
    if (!Xeq_Obj_Attr_Value_Get(obj, path, XEQC_VALUE_TEXT, value, sizeof value)) return {};
    return value;
}

std::optional<int> int_attr(XeqT_Obj_Handle obj, const char* path) {
    int value = 0;
    if (!Xeq_Obj_Attr_Value_Get(obj, path, XEQC_VALUE_INT, &value, sizeof value)) return std::nullopt;
    return value;
}

// Names the object a part of the picture draws, so that a face showing the
// picture can map a click on it back to the object.
std::string object_attr(XeqT_Obj_Handle obj) {
    return " data-object=\"" + escaped(Xeq_Obj_Hname_Get(obj, 0)) + "\"";
}

std::string last_level(const std::string& hname) { return hname.substr(hname.rfind('.') + 1); }

std::string hex(XeqT_Color color) {
    char text[8];
    std::snprintf(text, sizeof text, "#%06X", static_cast<unsigned>(color & 0xFFFFFF));
    return text;
}

std::string number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", v);
    return text;
}

std::vector<XeqT_Obj_Handle> objects_of(XeqT_Model_Handle model, XeqT_Obj_Type type) {
    std::vector<XeqT_Obj_Handle> objects;
    for (int i = 0; i < Xeq_Topo_Object_Count_Get(model, type); ++i) objects.push_back(Xeq_Topo_Object_Get(model, type, i));
    return objects;
}

// Where each node is drawn: its position, or a place in rows below the
// placed nodes, in model order.
std::map<XeqT_Obj_Handle, Point> layout(XeqT_Model_Handle model) {
    std::map<XeqT_Obj_Handle, Point> at;
    std::vector<XeqT_Obj_Handle> unplaced;
    double bottom = 0;
    for (XeqT_Obj_Handle node : objects_of(model, XEQC_OBJ_NODE)) {
        int x = 0, y = 0;
        if (Xeq_Host_Obj_Position_Get(node, &x, &y)) {
            at[node] = {static_cast<double>(x), static_cast<double>(y)};
            bottom = std::max(bottom, static_cast<double>(y));
        } else {
            unplaced.push_back(node);
        }
    }
    const double top = at.empty() ? kMargin : bottom + kAutoSpacing;
    for (size_t i = 0; i < unplaced.size(); ++i)
        at[unplaced[i]] = {2 * kMargin + static_cast<double>(i % kAutoColumns) * kAutoSpacing,
                           top + static_cast<double>(i / kAutoColumns) * kAutoSpacing};
    return at;
}

// The nodes a path runs through, in order (its links lie between them).
std::vector<XeqT_Obj_Handle> path_nodes(XeqT_Obj_Handle path) {
    std::vector<XeqT_Obj_Handle> nodes;
    XeqT_Obj_List route = Xeq_Obj_List_Create();
    Xeq_Obj_Path_Route_Get(path, route);
    for (int i = 0; i < Xeq_Obj_List_Size(route); ++i)
        if (Xeq_Obj_Type_Get(Xeq_Obj_List_Object_Get(route, i)) == XEQC_OBJ_NODE)
            nodes.push_back(Xeq_Obj_List_Object_Get(route, i));
    Xeq_Obj_List_Destroy(route);
    return nodes;
}

class Picture {
public:
    explicit Picture(XeqT_Model_Handle model) : model_(model), at_(layout(model)) {
        double x1 = 0, y1 = 0;
        for (const auto& [node, p] : at_) {
            left_ = std::min(left_, p.x - kMargin);
            top_ = std::min(top_, p.y - kMargin);
            x1 = std::max(x1, p.x + kMargin * 2);
            y1 = std::max(y1, p.y + kMargin * 1.5);
        }
        width_ = std::max(width_, x1 - left_);
        height_ = std::max(height_, y1 - top_);
    }

    std::string svg() {
        std::ostringstream body;
        subnets(body);
        links(body);
        paths(body);
        nodes(body);
        std::ostringstream out;
        out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << number(width_) << "\" height=\""
            << number(height_) << "\" viewBox=\"" << number(left_) << " " << number(top_) << " " << number(width_) << " "
            << number(height_)
            << "\" font-family=\"DejaVu Sans, sans-serif\" font-size=\"11\">\n"
            << "<rect x=\"" << number(left_) << "\" y=\"" << number(top_) << "\" width=\"100%\" height=\"100%\" fill=\"#FFFFFF\"/>\n<defs>\n" << markers_.str() << "</defs>\n"
            << body.str() << legend() << "</svg>\n";
        return out.str();
    }

private:
    void subnets(std::ostream& out) const {
        for (XeqT_Obj_Handle subnet : objects_of(model_, XEQC_OBJ_SUBNET)) {
            const std::string prefix = std::string(Xeq_Obj_Hname_Get(subnet, 0)) + ".";
            double x0 = 1e9, y0 = 1e9, x1 = -1e9, y1 = -1e9;
            for (const auto& [node, p] : at_)
                if (std::string(Xeq_Obj_Hname_Get(node, 0)).rfind(prefix, 0) == 0) {
                    x0 = std::min(x0, p.x), y0 = std::min(y0, p.y), x1 = std::max(x1, p.x), y1 = std::max(y1, p.y);
                }
            if (x0 > x1) continue;
            const double pad = 42;
            out << "<g class=\"subnet\"><rect x=\"" << number(x0 - pad) << "\" y=\"" << number(y0 - pad) << "\" width=\""
                << number(x1 - x0 + 2 * pad) << "\" height=\"" << number(y1 - y0 + 2 * pad)
                << "\" rx=\"10\" fill=\"#F8F9FA\" stroke=\"#ADB5BD\" stroke-dasharray=\"6 4\"/>"
                << "<text x=\"" << number(x0 - pad + 8) << "\" y=\"" << number(y0 - pad + 15)
                << "\" fill=\"#868E96\" font-weight=\"bold\">" << escaped(last_level(Xeq_Obj_Hname_Get(subnet, 0)))
                << "</text></g>\n";
        }
    }

    void links(std::ostream& out) const {
        for (XeqT_Obj_Handle link : objects_of(model_, XEQC_OBJ_LINK)) {
            const auto a_at = at_.find(Xeq_Host_Link_End_Get(link, 0));
            const auto b_at = at_.find(Xeq_Host_Link_End_Get(link, 1));
            if (a_at == at_.end() || b_at == at_.end()) continue;
            const Point a = a_at->second, b = b_at->second;
            out << "<line class=\"link\"" << object_attr(link) << " x1=\"" << number(a.x) << "\" y1=\"" << number(a.y) << "\" x2=\"" << number(b.x)
                << "\" y2=\"" << number(b.y) << "\" stroke=\"#868E96\" stroke-width=\"2\"><title>"
                << escaped(Xeq_Obj_Hname_Get(link, 0)) << "</title></line>\n";
        }
    }

    std::string marker_for(const std::string& color) {
        auto it = marker_ids_.find(color);
        if (it != marker_ids_.end()) return it->second;
        const std::string id = "arrow" + std::to_string(marker_ids_.size());
        markers_ << "<marker id=\"" << id << "\" viewBox=\"0 0 10 10\" refX=\"9\" refY=\"5\" markerWidth=\"4\" "
                 << "markerHeight=\"4\" orient=\"auto\"><path d=\"M0,0 L10,5 L0,10 z\" fill=\"" << color << "\"/></marker>\n";
        marker_ids_[color] = id;
        return id;
    }

    void paths(std::ostream& out) {
        std::map<std::pair<XeqT_Obj_Handle, XeqT_Obj_Handle>, int> drawn; // paths per node pair, for offsets
        for (XeqT_Obj_Handle path : objects_of(model_, XEQC_OBJ_PATH)) {
            const std::vector<XeqT_Obj_Handle> nodes = path_nodes(path);
            if (nodes.size() < 2) continue;
            const bool shortcut = text_attr(path, "model") == "ra_shortcut_path";
            const auto color_value = int_attr(path, "color");
            const std::string color = color_value ? hex(static_cast<XeqT_Color>(*color_value)) : shortcut ? "#7048E8" : "#1C7ED6";
            const double width = std::clamp(static_cast<double>(int_attr(path, "thickness").value_or(3)) * 0.7, 1.0, 8.0);
            const auto key = std::minmax(nodes.front(), nodes.back());
            const int nth = drawn[key]++;
            const double offset = (nth % 2 ? -1 : 1) * 7.0 * ((nth + 1) / 2); // 0, 7, -7, 14, ...
            std::ostringstream points;
            for (size_t i = 0; i < nodes.size(); ++i) {
                Point p = shifted(nodes, i, offset);
                if (i + 1 == nodes.size()) p = pulled_back(shifted(nodes, i - 1, offset), p);
                points << (i ? " " : "") << number(p.x) << "," << number(p.y);
            }
            // Labelled near its source: paths to one next hop share their
            // ends there, and their middles crowd.
            const Point from = shifted(nodes, 0, offset), to = shifted(nodes, 1, offset);
            const Point mid{from.x + (to.x - from.x) * 0.35, from.y + (to.y - from.y) * 0.35};
            const std::string name = text_attr(path, "name");
            out << "<g class=\"path\"" << object_attr(path) << "><title>" << escaped(name) << "\n" << escaped(text_attr(path, "tooltip"))
                << "</title><polyline points=\"" << points.str() << "\" fill=\"none\" stroke=\"" << color
                << "\" stroke-width=\"" << number(width) << "\" stroke-linejoin=\"round\" opacity=\"0.85\""
                << (shortcut ? " stroke-dasharray=\"8 5\"" : "") << " marker-end=\"url(#" << marker_for(color) << ")\"/>"
                << "<text x=\"" << number(mid.x) << "\" y=\"" << number(mid.y - 5) << "\" text-anchor=\"middle\" "
                << "font-size=\"9\" fill=\"" << color << "\" stroke=\"#FFFFFF\" stroke-width=\"3\" paint-order=\"stroke\">"
                << escaped(name) << "</text></g>\n";
        }
    }

    // Node i of a path, moved sideways by offset so that paths between the
    // same nodes lie side by side.
    Point shifted(const std::vector<XeqT_Obj_Handle>& nodes, size_t i, double offset) const {
        const Point a = at_.at(nodes.front()), b = at_.at(nodes.back());
        const double dx = b.x - a.x, dy = b.y - a.y, len = std::hypot(dx, dy);
        const Point p = at_.at(nodes[i]);
        if (len == 0 || offset == 0) return p;
        return {p.x - dy / len * offset, p.y + dx / len * offset};
    }

    // The end of a path's last segment at the rim of the node's circle.
    static Point pulled_back(Point from, Point to) {
        const double dx = to.x - from.x, dy = to.y - from.y, len = std::hypot(dx, dy);
        if (len <= kNodeRadius + 4) return to;
        return {to.x - dx / len * (kNodeRadius + 4), to.y - dy / len * (kNodeRadius + 4)};
    }

    void nodes(std::ostream& out) {
        const XeqT_Obj_Handle zoom = Xeq_Model_Zoom_Target_Get(model_);
        for (const auto& [node, p] : at_) {
            const std::string hname = Xeq_Obj_Hname_Get(node, 0);
            const bool router = Xeq_Obj_Attr_Exists(node, "IP Routing Parameters");
            const bool host = Xeq_Obj_Attr_Exists(node, "IP Host Parameters");
            const bool selected = Xeq_Host_Obj_Selected_Get(node);
            out << "<g class=\"node" << (selected ? " selected" : "") << "\"" << object_attr(node) << "><title>" << escaped(hname) << " ("
                << escaped(text_attr(node, "model")) << ")</title>";
            if (node == zoom)
                out << "<rect class=\"zoom\" x=\"" << number(p.x - 34) << "\" y=\"" << number(p.y - 34)
                    << "\" width=\"68\" height=\"82\" fill=\"none\" stroke=\"#E03131\" stroke-width=\"2\" stroke-dasharray=\"4 3\"/>";
            if (selected)
                out << "<circle cx=\"" << number(p.x) << "\" cy=\"" << number(p.y) << "\" r=\"" << number(kNodeRadius + 6)
                    << "\" fill=\"#FFE066\" opacity=\"0.8\"/>";
            const char* fill = router ? "#364FC7" : host ? "#5C940D" : "#868E96";
            if (router)
                out << "<circle cx=\"" << number(p.x) << "\" cy=\"" << number(p.y) << "\" r=\"" << number(kNodeRadius)
                    << "\" fill=\"" << fill << "\" stroke=\"#FFFFFF\" stroke-width=\"2\"/>";
            else
                out << "<rect x=\"" << number(p.x - 13) << "\" y=\"" << number(p.y - 11) << "\" width=\"26\" height=\"22\" rx=\""
                    << (host ? 3 : 1) << "\" fill=\"" << fill << "\" stroke=\"#FFFFFF\" stroke-width=\"2\"/>";
            out << "<text x=\"" << number(p.x) << "\" y=\"" << number(p.y + kNodeRadius + 13)
                << "\" text-anchor=\"middle\" fill=\"#212529\">" << escaped(last_level(hname)) << "</text>";
            badge(out, node, p);
            out << "</g>\n";
        }
    }

    void badge(std::ostream& out, XeqT_Obj_Handle node, Point p) {
        char icon[XEQC_SYMBOL_SIZE] = "";
        if (!Xeq_Nt_Object_Overlay_Icon_Name_Get(node, icon, sizeof icon) || !*icon) return;
        const Badge* b = nullptr;
        for (const Badge& known : kBadges)
            if (std::string(known.icon) == icon) b = &known;
        const std::string letter = b ? b->letter : std::string(1, icon[0]);
        used_badges_[b ? b->icon : icon] = b;
        out << "<g class=\"badge\"><title>" << escaped(b ? b->meaning : icon) << "</title><circle cx=\"" << number(p.x + 14)
            << "\" cy=\"" << number(p.y - 14) << "\" r=\"9\" fill=\"" << (b ? b->fill : "#495057")
            << "\" stroke=\"#FFFFFF\" stroke-width=\"1.5\"/><text x=\"" << number(p.x + 14) << "\" y=\"" << number(p.y - 10.5)
            << "\" text-anchor=\"middle\" font-size=\"10\" font-weight=\"bold\" fill=\"#FFFFFF\">" << escaped(letter)
            << "</text></g>";
    }

    std::string legend() const {
        if (used_badges_.empty()) return {};
        std::ostringstream out;
        double y = top_ + 20;
        out << "<g class=\"legend\">";
        for (const auto& [icon, b] : used_badges_) {
            out << "<circle cx=\"" << number(left_ + width_ - 130) << "\" cy=\"" << number(y) << "\" r=\"7\" fill=\""
                << (b ? b->fill : "#495057") << "\"/><text x=\"" << number(left_ + width_ - 118) << "\" y=\"" << number(y + 4)
                << "\">" << escaped(b ? b->meaning : icon) << "</text>";
            y += 18;
        }
        out << "</g>\n";
        return out.str();
    }

    XeqT_Model_Handle model_;
    std::map<XeqT_Obj_Handle, Point> at_;
    double left_ = 0, top_ = 0; // the picture's top left corner in model coordinates
    double width_ = 400, height_ = 300;
    std::ostringstream markers_;
    std::map<std::string, std::string> marker_ids_;
    std::map<std::string, const Badge*> used_badges_;
};

} // namespace

std::string model_picture_svg(XeqT_Model_Handle model) { return Picture(model).svg(); }

} // namespace xeqhost
