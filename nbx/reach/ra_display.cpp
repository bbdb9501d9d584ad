#include "reach/ra_display.hpp"

#include "reach/ra_gui.hpp"
#include "reach/ra_host_ptr.hpp"
#include "reach/ra_reach.hpp"
#include "reach/ra_reach_report.hpp"

XEQ_EXPORT void ra_find_display_btn_handler(XeqT_Dbox dbox_ptr, int /*message*/, int /*submessage*/,
                                            const char* /*control*/, void* /*data*/) {
    QOV_FRAME("ra_find_display_btn_handler(dbox_ptr, message, submessage, control, data)");
    const ra::HostText text(
        Xeq_Ctl_Value_Dyn_Str_Get(Xeq_Dbox_Ctl_Get(dbox_ptr, RaGui::CtlC_NetworkEditIpNetwork)));
    const int next_hop = Xeq_Ctl_Value_Int_Get(Xeq_Dbox_Ctl_Get(dbox_ptr, RaGui::CtlC_NetworkChkDrawPath));
    const bool aggregate =
        Xeq_Ctl_Value_Int_Get(Xeq_Dbox_Ctl_Get(dbox_ptr, RaGui::CtlC_NetworkChkAggregate)) != 0;
    auto* gui = static_cast<RaGui*>(Xeq_Dbox_State_Get(dbox_ptr));
    ra_network_clear(Xeq_Model_Current_Get(0));
    if (gui == nullptr) return;

    gui->UpdateTree();
    RaBtTree* tree = gui->GetTree();
    KplT_IP_Address network;
    if (tree == nullptr || !ra_network_parse(text.get(), &network)) {
        gui->SetReportDbox(ra_reach_report_show(gui->GetReportDbox(), text.get(), nullptr));
        return;
    }
    RaReachAnswer answer(*tree, network, aggregate);
    answer.filter_by_selection();
    ra_mark_records(answer.records(), next_hop == 1);
    gui->SetReportDbox(ra_reach_report_show(gui->GetReportDbox(), text.get(), answer.records()));
}

XEQ_EXPORT void ra_find_clear_btn_handler(XeqT_Dbox dbox_ptr, int /*message*/, int /*submessage*/,
                                          const char* /*control*/, void* /*data*/) {
    QOV_FRAME("ra_find_clear_btn_handler(dbox_ptr, message, submessage, control, data)");
    ra_network_clear(Xeq_Model_Current_Get(0));
    // The report describes marks that are gone now.
    if (const auto* gui = static_cast<const RaGui*>(Xeq_Dbox_State_Get(dbox_ptr)))
        Xeq_Dbox_Destroy(gui->GetReportDbox());
}
