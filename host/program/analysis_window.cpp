#include "analysis_window.hpp"

#include <algorithm>

#include "plugin_loader.hpp"

namespace xeqhost {
namespace {

const char* const kMenuItem = "Reachability Analysis";
const char* const kSelector = "pop_dialog_selector";

void act(const std::string& error) {
    if (!error.empty()) throw HostError(error);
}

// The user's answer to whatever prompt waits: OK.
bool answer_waiting_prompt() {
    const XeqT_Dbox prompt = xeq::ui::find_dialog("prompt");
    return prompt && xeq::ui::answer(prompt, "OK").empty();
}

// The page of the window that is shown now.
XeqT_Dbox shown_page() {
    for (XeqT_Dbox d : xeq::ui::dialogs())
        if (auto v = xeq::ui::view(d); v && v->visible && v->name.rfind("ra/", 0) == 0 && v->name != "ra/ip_report")
            return d;
    return nullptr;
}

} // namespace

AnalysisWindow::AnalysisWindow() {
    xeq::ui::set_event_loop(answer_waiting_prompt);
    act(xeq::ui::run_menu_item(kMenuItem));
}

AnalysisWindow::~AnalysisWindow() {
    xeq::ui::close_all();
    xeq::ui::set_event_loop(nullptr);
}

bool AnalysisWindow::has_routing_data() const {
    const XeqT_Dbox shown = shown_page();
    const auto v = shown ? xeq::ui::view(shown) : std::nullopt;
    if (!v) return false;
    for (const auto& c : v->controls)
        if (c.name == kSelector)
            return std::find(c.entries.begin(), c.entries.end(), "Display Reachability") != c.entries.end();
    return false;
}

XeqT_Dbox AnalysisWindow::page(const std::string& name) {
    XeqT_Dbox shown = shown_page();
    if (!shown) throw HostError("the analysis window shows no page");
    if (xeq::ui::view(shown)->name != name) {
        const std::string entry = name == "ra/find_node" ? "Find Node" : "Display Reachability";
        act(xeq::ui::pick_entry(shown, kSelector, entry));
    }
    const XeqT_Dbox target = xeq::ui::find_dialog(name);
    if (!target) throw HostError("the analysis window has no page '" + name + "'");
    return target;
}

std::optional<xeq::ui::TableView> AnalysisWindow::table_of(const std::string& dialog,
                                                           const std::string& table) const {
    const XeqT_Dbox d = xeq::ui::find_dialog(dialog);
    if (!d) return std::nullopt;
    const auto shown = xeq::ui::view(d);
    for (const auto& c : shown->controls)
        if (c.name == table && c.table) return c.table;
    throw HostError("'" + dialog + "' has no table '" + table + "'");
}

std::optional<xeq::ui::TableView> AnalysisWindow::find_node_report(const std::string& text) {
    const XeqT_Dbox node = page("ra/find_node");
    act(xeq::ui::type_text(node, "edt_ip_address", text));
    act(xeq::ui::set_toggle(node, "chk_report", true));
    act(xeq::ui::press(node, "btn_find"));
    return table_of("ra/ip_report", "tbl_ip_report");
}

xeq::ui::TableView AnalysisWindow::display_reachability(const std::string& network, bool aggregate) {
    const XeqT_Dbox dest = page("ra/find_network");
    act(xeq::ui::type_text(dest, "edt_ip_network", network));
    act(xeq::ui::set_toggle(dest, "chk_aggregate", aggregate));
    act(xeq::ui::set_toggle(dest, "chk_next_hop", false));
    act(xeq::ui::press(dest, "btk_display"));
    auto report = table_of("ra/reach_report", "tbl_reach_report");
    if (!report) throw HostError("Display Reachability opened no reachability report");
    return *report;
}

} // namespace xeqhost
