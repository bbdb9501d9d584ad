// The reachability analysis window: four pages (Display Reachability, Find
// Node, Configure and OSPF summarization) that share one page selector and
// one screen position, and the controller they all carry as dialog state.
// The user's choices live as attributes of the configuration node
// "top.Config_Reachability_Analysis", so they are saved with the model.
#pragma once

#include <array>
#include <initializer_list>

#include "ipspace/pool.hpp"
#include "reach/ra_host_ptr.hpp"
#include "vyqlib.h"
#include "xeq_plugin.h"
#include "xeqed.h"

class RaBtTree;

// The controller of one open analysis window. It borrows the routing tree
// kept with the model and lives until the last of its pages is destroyed.
class RaGui {
public:
    // Attributes of the configuration node.
    static constexpr char AttrC_Export[] = "Reachability Info Export";
    static constexpr char AttrC_Aggregates[] = "Include Aggregates";
    static constexpr char AttrC_NextHops[] = "Show Next Hops";
    static constexpr char AttrC_IpReport[] = "Show IP Report";
    static constexpr char AttrC_IpNetwork[] = "IP Network";
    static constexpr char AttrC_IpAddress[] = "IP Address";
    static constexpr char AttrC_IncDefault[] = "Include Default Route";
    static constexpr char AttrC_OspfFillHoles[] = "OSPF Config.Fill Holes";
    static constexpr char AttrC_OspfFillLength[] = "OSPF Config.Fill Length";
    static constexpr char AttrC_OspfLimitRanges[] = "OSPF Config.Limit Ranges";
    static constexpr char AttrC_OspfNewScenario[] = "OSPF Config.New Scenario";
    static constexpr char AttrC_OspfRangeFile[] = "OSPF Config.Range File";

    // Entries of the page selector.
    static constexpr char ItemC_PopupDest[] = "Display Reachability";
    static constexpr char ItemC_PopupNode[] = "Find Node";
    static constexpr char ItemC_PopupConf[] = "Configure";
    static constexpr char ItemC_PopupOspf[] = "Summarization (OSPF)";

    // Control names of the pages.
    static constexpr char CtlC_PopupDialogSelector[] = "pop_dialog_selector";
    static constexpr char CtlC_NodeEditIpAddress[] = "edt_ip_address";
    static constexpr char CtlC_NodeChkReport[] = "chk_report";
    static constexpr char CtlC_NodeBtnFind[] = "btn_find";
    static constexpr char CtlC_NodeBtnHelp[] = "btn_node_help";
    static constexpr char CtlC_NetworkEditIpNetwork[] = "edt_ip_network";
    static constexpr char CtlC_NetworkChkAggregate[] = "chk_aggregate";
    static constexpr char CtlC_NetworkChkDrawPath[] = "chk_next_hop";
    static constexpr char CtlC_NetworkBtnDisplay[] = "btk_display";
    static constexpr char CtlC_NetworkBtnHelp[] = "btn_ntwk_help";
    static constexpr char CtlC_ConfChkEnabled[] = "chk_enable";
    static constexpr char CtlC_ConfChkDisabled[] = "chk_disable";
    static constexpr char CtlC_ConfBtnHelp[] = "btn_conf_help";
    static constexpr char CtlC_OspfEditBits[] = "edt_ospf_bits";
    static constexpr char CtlC_OspfChkFillHoles[] = "chk_fill_holes";
    static constexpr char CtlC_OspfChkRanges[] = "chk_limit_ranges";
    static constexpr char CtlC_OspfNewScenario[] = "chk_new_scenario";
    static constexpr char CtlC_OspfBtnRangeSpecify[] = "btn_range_specify";
    static constexpr char CtlC_OspfBtnOptimize[] = "btn_optimize";

    // Texts of the preferences, terminator included.
    static constexpr int IpNetworkSize = 20;
    static constexpr int IpAddressSize = 16;
    // The selector's entry as read back.
    static constexpr int SelectedTextSize = 80;

    RaGui();
    ~RaGui();
    RaGui(const RaGui&) = delete;
    RaGui& operator=(const RaGui&) = delete;

    // Gives the selector the pages it may switch to ("Display Reachability"
    // only with a tree) and selects item.
    void SetPopupList(VyqT_Control popup_ctl, const char* item);
    // Each moves its page to the position of the page last hidden and shows
    // it; a page that was never loaded stays absent.
    void ShowDestDbox();
    void ShowNodeDbox();
    void ShowConfDbox();
    void ShowOspfDbox();
    // Selects item in the selector of dbox.
    void ResetMainPopup(XeqT_Dbox dbox, const char* item);
    // Remembers the position of dbox and hides it.
    void HideMainDbox(XeqT_Dbox dbox);
    // Shows the page whose entry popup_ctl has selected; an unknown entry
    // shows none.
    void ShowMainDbox(VyqT_Control popup_ctl);
    // Put the preferences into the controls of their page.
    void SetDestPrefs();
    void SetNodePrefs();
    void SetConfPrefs();
    void SetOspfPrefs();
    // Read the controls of their page into the preferences and write them
    // to the configuration node.
    void SaveDestPrefs();
    void SaveNodePrefs();
    void SaveOspfPrefs();
    // Finds the configuration node of the current model, making one when
    // there is none, and reads the preferences from it.
    void FindUtilityObject();
    void PopulateRaPreferences();
    // Destroys every page other than dbox, and the reachability report,
    // once per window.
    void CloseDboxes(XeqT_Dbox dbox);
    // Borrows tree and copies its file path (a null tree keeps the path).
    void SetTree(RaBtTree* tree_ptr);
    // Catches up with the model's routing tree: adopts the one now kept
    // with the model (another window may have replaced it), and reads the
    // routing export file again when its modification time changed. A
    // missing file keeps the tree in use.
    void UpdateTree();
    RaBtTree* GetTree() const { return tree; }
    XeqT_Obj_Handle GetUtilityObject() const { return utility_object; }
    void SetDestDbox(XeqT_Dbox dbox) { dest_dbox = dbox; }
    void SetNodeDbox(XeqT_Dbox dbox) { node_dbox = dbox; }
    void SetConfDbox(XeqT_Dbox dbox) { conf_dbox = dbox; }
    void SetOspfDbox(XeqT_Dbox dbox) { ospf_dbox = dbox; }
    // The reachability report of the window's last display (it may have
    // been closed since: then calls on it do nothing).
    void SetReportDbox(XeqT_Dbox dbox) { report_dbox = dbox; }
    XeqT_Dbox GetReportDbox() const { return report_dbox; }

    // Shows the first page of a new window: Display Reachability with a
    // tree, Configure (where the export is switched on) without. False when
    // no page of the window could be loaded.
    bool ShowFirstDbox();
    // Drops a destroyed page; true when the window has no page left, upon
    // which its controller is released.
    bool ForgetDbox(XeqT_Dbox dbox);

    NBX_POOLED

private:
    void ShowAtBounds(XeqT_Dbox dbox);
    std::array<XeqT_Dbox*, 4> Dboxes() { return {&dest_dbox, &node_dbox, &conf_dbox, &ospf_dbox}; }

    RaBtTree* tree;
    XeqT_Obj_Handle utility_object;
    XeqT_Dbox_Bounds bounds;
    XeqT_Dbox dest_dbox;
    XeqT_Dbox node_dbox;
    XeqT_Dbox conf_dbox;
    XeqT_Dbox ospf_dbox;
    XeqT_Dbox report_dbox;
    long file_time;
    ra::HostText file_path;
    bool closing;
    int export_info;
    int aggregates;
    int next_hops;
    int ip_report;
    int default_route;
    char ip_network[IpNetworkSize];
    char ip_address[IpAddressSize];
};

// Shows a prompt of title and lines with an OK button and waits until the
// user dismisses it.
void ra_prompt_and_wait(const char* title, std::initializer_list<const char*> lines);

// Opens the analysis window on the current model (the host menu's
// "Reachability Analysis").
XEQ_EXPORT void ra_load_find_dbox();
// Default handlers of the pages: record and fill the page on
// XEQC_DBOX_MSG_CREATE, save its preferences and close the window on
// XEQC_DBOX_MSG_CLOSE.
XEQ_EXPORT void ra_find_default_handler(XeqT_Dbox dbox_ptr, int message, int submessage,
                                        const char* control, void* data);
XEQ_EXPORT void ra_node_default_handler(XeqT_Dbox dbox_ptr, int message, int submessage,
                                        const char* control, void* data);
XEQ_EXPORT void ra_configure_default_handler(XeqT_Dbox dbox_ptr, int message, int submessage,
                                             const char* control, void* data);
XEQ_EXPORT void ra_ospf_default_handler(XeqT_Dbox dbox_ptr, int message, int submessage,
                                        const char* control, void* data);
// The selector of any page: switches to the page picked, at the position of
// the page left.
XEQ_EXPORT void ra_popup_dbox_selector_handler(XeqT_Dbox dbox_ptr, int message, int submessage,
                                               const char* control, void* data);
// The Configure page's save: writes the export toggle at once.
XEQ_EXPORT void ra_conf_save_btn_handler(XeqT_Dbox dbox_ptr, int message, int submessage,
                                         const char* control, void* data);
// The callback of this window's prompts: ends the wait; returns 2.
XEQ_EXPORT int ra_dummy_ok_callback(XeqT_Dbox dbox_ptr, int event);
