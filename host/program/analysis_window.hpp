// The reachability analysis window driven as a user drives it, for the
// host program's one-shot commands (ipspace, reach): open it from the menu,
// type, press, and read what the window then shows. Only the plug-in's
// dialogs are used, never its code.
#pragma once

#include <string>
#include <vector>

#include <optional>

#include "xeq_ui.hpp"

namespace xeqhost {

class AnalysisWindow {
public:
    // Opens the window from the host menu of the open session; every
    // prompt it raises is answered OK, as a user who reads and dismisses
    // it. Throws HostError when the plug-ins offer no "Reachability
    // Analysis".
    AnalysisWindow();
    ~AnalysisWindow();
    AnalysisWindow(const AnalysisWindow&) = delete;
    AnalysisWindow& operator=(const AnalysisWindow&) = delete;

    // Whether the window found the model's routing export data (then it
    // offers the Display Reachability page).
    bool has_routing_data() const;
    // Find Node with the IP report: the report's table, or nullopt when no
    // report opened (nothing found).
    std::optional<xeq::ui::TableView> find_node_report(const std::string& text);
    // Display Reachability; the reachability report's table afterwards.
    xeq::ui::TableView display_reachability(const std::string& network, bool aggregate);

private:
    XeqT_Dbox page(const std::string& name);
    std::optional<xeq::ui::TableView> table_of(const std::string& dialog, const std::string& table) const;
};

} // namespace xeqhost
