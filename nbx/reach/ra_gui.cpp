// The analysis window's controller and the exports its pages are bound to
// in their dialog definitions (nbx/dialogs/ra/).
#include "reach/ra_gui.hpp"

#include <cstdio>
#include <cstring>

#include "reach/ra_bt_tree.hpp"
#include "reach/ra_reach.hpp"
#include "routing/ra_xml_parser.hpp"
#include "xml/nbx_xml.hpp"

NBX_POOL_DEFINE(RaGui, 1)

namespace {

constexpr char kUtilityHname[] = "top.Config_Reachability_Analysis";
constexpr char kUtilityModel[] = "Reachability_Info_Config";
constexpr char kUtilityName[] = "Config_Reachability_Analysis";
// A plug-in's object the user sees in the model (xeqed.h).
constexpr int kUiStatusShown = 1;

// Reads a text control into a preference buffer. A text longer than the
// buffer is not taken (false, buffer untouched): cut short, a network such
// as "192.168.100.0/24" would be kept as another network, "192.168.100.0/2".
template <size_t N>
bool read_preference_text(VyqT_Control ctl, char (&buffer)[N]) {
    QOV_FRAME("read_preference_text(ctl, buffer)");
    char* whole = Xeq_Ctl_Value_Dyn_Str_Get(ctl);
    const bool fits = whole != nullptr && std::strlen(whole) < N;
    if (fits) std::memcpy(buffer, whole, std::strlen(whole) + 1);
    kpl_mem_free(whole);
    return fits;
}

} // namespace

RaGui::RaGui()
    : tree(nullptr), utility_object(0), bounds{}, dest_dbox(nullptr), node_dbox(nullptr),
      conf_dbox(nullptr), ospf_dbox(nullptr), report_dbox(nullptr), file_time(0), file_path(nullptr), closing(false),
      export_info(0), aggregates(0), next_hops(0), ip_report(0), default_route(0), ip_network{},
      ip_address{} {
    QOV_FRAME("RaGui::RaGui()");
}

RaGui::~RaGui() { QOV_FRAME("RaGui::~RaGui()"); }

void RaGui::SetPopupList(VyqT_Control popup_ctl, const char* item) {
    QOV_FRAME("RaGui::SetPopupList(popup_ctl, item)");
    QovT_Ll_Desc entries;
    kpl_list_init(&entries);
    if (tree != nullptr)
        kpl_list_insert(&entries, const_cast<char*>(ItemC_PopupDest), KPLC_LISTPOS_TAIL);
    kpl_list_insert(&entries, const_cast<char*>(ItemC_PopupNode), KPLC_LISTPOS_TAIL);
    kpl_list_insert(&entries, const_cast<char*>(ItemC_PopupConf), KPLC_LISTPOS_TAIL);
    Xeq_Ctl_Entries_Set(popup_ctl, &entries);
    Xeq_Ctl_Selected_String_Set(popup_ctl, item);
    kpl_list_free(&entries);
}

void RaGui::ShowAtBounds(XeqT_Dbox dbox) {
    QOV_FRAME("RaGui::ShowAtBounds(dbox)");
    if (dbox == nullptr) return;
    Xeq_Dbox_Bounds_Set(dbox, &bounds);
    Xeq_Dbox_Show(dbox);
}

void RaGui::ShowDestDbox() {
    QOV_FRAME("RaGui::ShowDestDbox()");
    ShowAtBounds(dest_dbox);
}

void RaGui::ShowNodeDbox() {
    QOV_FRAME("RaGui::ShowNodeDbox()");
    ShowAtBounds(node_dbox);
}

void RaGui::ShowConfDbox() {
    QOV_FRAME("RaGui::ShowConfDbox()");
    ShowAtBounds(conf_dbox);
}

void RaGui::ShowOspfDbox() {
    QOV_FRAME("RaGui::ShowOspfDbox()");
    ShowAtBounds(ospf_dbox);
}

void RaGui::ResetMainPopup(XeqT_Dbox dbox, const char* item) {
    QOV_FRAME("RaGui::ResetMainPopup(dbox, item)");
    Xeq_Ctl_Selected_String_Set(Xeq_Dbox_Ctl_Get(dbox, CtlC_PopupDialogSelector), item);
}

void RaGui::HideMainDbox(XeqT_Dbox dbox) {
    QOV_FRAME("RaGui::HideMainDbox(dbox)");
    Xeq_Dbox_Bounds_Get(dbox, &bounds);
    if (!Xeq_Dbox_Hide(dbox)) std::printf("Dbox hide failed\n");
}

void RaGui::ShowMainDbox(VyqT_Control popup_ctl) {
    QOV_FRAME("RaGui::ShowMainDbox(popup_ctl)");
    struct Page {
        const char* item;
        XeqT_Dbox RaGui::*dbox;
        void (RaGui::*show)();
    };
    static constexpr Page kPages[] = {
        {ItemC_PopupDest, &RaGui::dest_dbox, &RaGui::ShowDestDbox},
        {ItemC_PopupNode, &RaGui::node_dbox, &RaGui::ShowNodeDbox},
        {ItemC_PopupConf, &RaGui::conf_dbox, &RaGui::ShowConfDbox},
        {ItemC_PopupOspf, &RaGui::ospf_dbox, &RaGui::ShowOspfDbox},
    };
    char selected[SelectedTextSize];
    if (!Xeq_Ctl_Selected_String_Get(popup_ctl, selected)) return;
    for (const Page& page : kPages) {
        if (std::strcmp(selected, page.item) != 0) continue;
        ResetMainPopup(this->*page.dbox, page.item);
        (this->*page.show)();
        return;
    }
}

void RaGui::SetDestPrefs() {
    QOV_FRAME("RaGui::SetDestPrefs()");
    Xeq_Ctl_Value_Str_Set(Xeq_Dbox_Ctl_Get(dest_dbox, CtlC_NetworkEditIpNetwork), ip_network);
    Xeq_Ctl_Value_Int_Set(Xeq_Dbox_Ctl_Get(dest_dbox, CtlC_NetworkChkAggregate), aggregates);
    Xeq_Ctl_Value_Int_Set(Xeq_Dbox_Ctl_Get(dest_dbox, CtlC_NetworkChkDrawPath), next_hops);
}

void RaGui::SetNodePrefs() {
    QOV_FRAME("RaGui::SetNodePrefs()");
    Xeq_Ctl_Value_Str_Set(Xeq_Dbox_Ctl_Get(node_dbox, CtlC_NodeEditIpAddress), ip_address);
    Xeq_Ctl_Value_Int_Set(Xeq_Dbox_Ctl_Get(node_dbox, CtlC_NodeChkReport), ip_report);
}

void RaGui::SetConfPrefs() {
    QOV_FRAME("RaGui::SetConfPrefs()");
    int enabled = 0;
    Xeq_Obj_Attr_Get(utility_object, AttrC_Export, &enabled);
    Xeq_Ctl_Value_Int_Set(Xeq_Dbox_Ctl_Get(conf_dbox, CtlC_ConfChkEnabled), enabled != 0);
    Xeq_Ctl_Value_Int_Set(Xeq_Dbox_Ctl_Get(conf_dbox, CtlC_ConfChkDisabled), enabled == 0);
}

// The OSPF page keeps no preferences.
void RaGui::SetOspfPrefs() { QOV_FRAME("RaGui::SetOspfPrefs()"); }

void RaGui::SaveDestPrefs() {
    QOV_FRAME("RaGui::SaveDestPrefs()");
    if (read_preference_text(Xeq_Dbox_Ctl_Get(dest_dbox, CtlC_NetworkEditIpNetwork), ip_network))
        Xeq_Obj_Attr_Set(utility_object, AttrC_IpNetwork, ip_network);
    aggregates = Xeq_Ctl_Value_Int_Get(Xeq_Dbox_Ctl_Get(dest_dbox, CtlC_NetworkChkAggregate));
    next_hops = Xeq_Ctl_Value_Int_Get(Xeq_Dbox_Ctl_Get(dest_dbox, CtlC_NetworkChkDrawPath));
    Xeq_Obj_Attr_Set(utility_object, AttrC_Aggregates, aggregates);
    Xeq_Obj_Attr_Set(utility_object, AttrC_NextHops, next_hops);
}

void RaGui::SaveNodePrefs() {
    QOV_FRAME("RaGui::SaveNodePrefs()");
    if (read_preference_text(Xeq_Dbox_Ctl_Get(node_dbox, CtlC_NodeEditIpAddress), ip_address))
        Xeq_Obj_Attr_Set(utility_object, AttrC_IpAddress, ip_address);
    ip_report = Xeq_Ctl_Value_Int_Get(Xeq_Dbox_Ctl_Get(node_dbox, CtlC_NodeChkReport));
    Xeq_Obj_Attr_Set(utility_object, AttrC_IpReport, ip_report);
}

void RaGui::SaveOspfPrefs() { QOV_FRAME("RaGui::SaveOspfPrefs()"); }

void RaGui::FindUtilityObject() {
    QOV_FRAME("RaGui::FindUtilityObject()");
    XeqT_Model_Handle model = Xeq_Model_Current_Get(0);
    utility_object = Xeq_Obj_From_Hname_Get(model, kUtilityHname);
    if (Xeq_Obj_Invalid(utility_object)) {
        utility_object = Xeq_Obj_Create(XEQC_OBJ_NODE);
        Xeq_Obj_Attr_Set(utility_object, "model", kUtilityModel);
        Xeq_Obj_Attr_Set(utility_object, "name", kUtilityName);
        Xeq_Obj_Install(utility_object, Xeq_Topo_Top_Get(model));
        Xeq_Obj_UI_Status_Set(utility_object, kUiStatusShown);
    }
    PopulateRaPreferences();
}

void RaGui::PopulateRaPreferences() {
    QOV_FRAME("RaGui::PopulateRaPreferences()");
    Xeq_Obj_Attr_Get(utility_object, AttrC_Export, &export_info);
    Xeq_Obj_Attr_Get(utility_object, AttrC_Aggregates, &aggregates);
    Xeq_Obj_Attr_Get(utility_object, AttrC_NextHops, &next_hops);
    Xeq_Obj_Attr_Get(utility_object, AttrC_IpReport, &ip_report);
    Xeq_Obj_Attr_Get(utility_object, AttrC_IpNetwork, ip_network);
    Xeq_Obj_Attr_Get(utility_object, AttrC_IpAddress, ip_address);
    Xeq_Obj_Attr_Get(utility_object, AttrC_IncDefault, &default_route);
}

void RaGui::CloseDboxes(XeqT_Dbox dbox) {
    QOV_FRAME("RaGui::CloseDboxes(dbox)");
    if (closing) return;
    closing = true;
    // Each page destroyed forgets itself here (ForgetDbox), so the fields
    // are read afresh for every page.
    for (XeqT_Dbox* page : Dboxes())
        if (*page != nullptr && *page != dbox) Xeq_Dbox_Destroy(*page);
    // The report shows what this window displayed; one the user closed
    // before is no dialog any more, and destroying it does nothing.
    Xeq_Dbox_Destroy(report_dbox);
}

void RaGui::SetTree(RaBtTree* tree_ptr) {
    QOV_FRAME("RaGui::SetTree(tree_ptr)");
    tree = tree_ptr;
    if (tree != nullptr) file_path = ra::copy_text(tree->get_file_path());
}

void RaGui::UpdateTree() {
    QOV_FRAME("RaGui::UpdateTree()");
    RaBtTree* kept = ra_kept_tree();
    if (kept != tree) SetTree(kept);
    long time = 0;
    NbxFileUtil::mod_date_get(file_path.get(), &time);
    if (time == 0 || time == file_time) return;
    SetTree(ra_keep_tree(ra_parse_xml()));
    file_time = time;
}

bool RaGui::ShowFirstDbox() {
    QOV_FRAME("RaGui::ShowFirstDbox()");
    XeqT_Dbox first = tree != nullptr ? dest_dbox : conf_dbox;
    if (first != nullptr) Xeq_Dbox_Show(first);
    for (XeqT_Dbox* page : Dboxes())
        if (*page != nullptr) return true;
    return false;
}

bool RaGui::ForgetDbox(XeqT_Dbox dbox) {
    QOV_FRAME("RaGui::ForgetDbox(dbox)");
    bool left = false;
    for (XeqT_Dbox* page : Dboxes()) {
        if (*page == dbox) *page = nullptr;
        left = left || *page != nullptr;
    }
    return !left;
}

void ra_prompt_and_wait(const char* title, std::initializer_list<const char*> lines) {
    QOV_FRAME("ra_prompt_and_wait(title, lines)");
    ra::Textlist text(Qov_Textlist_Create());
    for (const char* line : lines) Qov_Textlist_Append(text.get(), line, -1);
    XeqT_Dbox prompt = Xeq_Prompt_Dbox_Generic_Create(title, text.get(), ra_dummy_ok_callback, 0);
    if (prompt != nullptr) Xeq_Dbox_Block(prompt);
}

namespace {

// What sets one page apart from the others on creation and close.
struct PageKind {
    void (RaGui::*record)(XeqT_Dbox);
    const char* selector_item;
    void (RaGui::*fill)();
    void (RaGui::*save)(); // null: the page saves nothing on close
};

constexpr PageKind kDestPage{&RaGui::SetDestDbox, RaGui::ItemC_PopupDest, &RaGui::SetDestPrefs,
                             &RaGui::SaveDestPrefs};
constexpr PageKind kNodePage{&RaGui::SetNodeDbox, RaGui::ItemC_PopupNode, &RaGui::SetNodePrefs,
                             &RaGui::SaveNodePrefs};
constexpr PageKind kConfPage{&RaGui::SetConfDbox, RaGui::ItemC_PopupConf, &RaGui::SetConfPrefs,
                             nullptr};
// The OSPF page is not offered in the selector; it shows "Find Node".
constexpr PageKind kOspfPage{&RaGui::SetOspfDbox, RaGui::ItemC_PopupNode, &RaGui::SetOspfPrefs,
                             &RaGui::SaveOspfPrefs};

void page_default_handler(const PageKind& kind, XeqT_Dbox dbox, int message) {
    QOV_FRAME("page_default_handler(kind, dbox, message)");
    auto* gui = static_cast<RaGui*>(Xeq_Dbox_State_Get(dbox));
    if (gui == nullptr) return;
    if (message == XEQC_DBOX_MSG_CREATE) {
        (gui->*kind.record)(dbox);
        gui->SetPopupList(Xeq_Dbox_Ctl_Get(dbox, RaGui::CtlC_PopupDialogSelector),
                          kind.selector_item);
        (gui->*kind.fill)();
        Xeq_Dbox_Hide(dbox);
    } else if (message == XEQC_DBOX_MSG_CLOSE) {
        if (kind.save != nullptr) (gui->*kind.save)();
        gui->CloseDboxes(dbox);
        if (gui->ForgetDbox(dbox)) delete gui;
    }
}

} // namespace

XEQ_EXPORT void ra_load_find_dbox() {
    QOV_FRAME("ra_load_find_dbox()");
    auto* gui = new RaGui;
    if (gui == nullptr) {
        std::printf("Reachability Analysis: out of memory\n");
        return;
    }
    gui->FindUtilityObject();
    gui->SetTree(ra_model_tree());
    if (gui->GetTree() == nullptr)
        ra_prompt_and_wait("Feature Alert",
                           {"Reachability Analysis simulation export data not found.  Some",
                            "features will not be available until Reachability Analysis is",
                            "enabled and a simulation is run.  See the documentation for details."});
    Xeq_Dbox_Load("ra/find_network", gui);
    Xeq_Dbox_Load("ra/configure", gui);
    Xeq_Dbox_Load("ra/find_node", gui);
    if (!gui->ShowFirstDbox()) delete gui; // the host has warned about each page
}

XEQ_EXPORT void ra_find_default_handler(XeqT_Dbox dbox_ptr, int message, int /*submessage*/,
                                        const char* /*control*/, void* /*data*/) {
    QOV_FRAME("ra_find_default_handler(dbox_ptr, message, submessage, control, data)");
    page_default_handler(kDestPage, dbox_ptr, message);
}

XEQ_EXPORT void ra_node_default_handler(XeqT_Dbox dbox_ptr, int message, int /*submessage*/,
                                        const char* /*control*/, void* /*data*/) {
    QOV_FRAME("ra_node_default_handler(dbox_ptr, message, submessage, control, data)");
    page_default_handler(kNodePage, dbox_ptr, message);
}

XEQ_EXPORT void ra_configure_default_handler(XeqT_Dbox dbox_ptr, int message, int /*submessage*/,
                                             const char* /*control*/, void* /*data*/) {
    QOV_FRAME("ra_configure_default_handler(dbox_ptr, message, submessage, control, data)");
    page_default_handler(kConfPage, dbox_ptr, message);
}

XEQ_EXPORT void ra_ospf_default_handler(XeqT_Dbox dbox_ptr, int message, int /*submessage*/,
                                        const char* /*control*/, void* /*data*/) {
    QOV_FRAME("ra_ospf_default_handler(dbox_ptr, message, submessage, control, data)");
    page_default_handler(kOspfPage, dbox_ptr, message);
}

XEQ_EXPORT void ra_popup_dbox_selector_handler(XeqT_Dbox dbox_ptr, int /*message*/,
                                               int /*submessage*/, const char* /*control*/,
                                               void* /*data*/) {
    QOV_FRAME("ra_popup_dbox_selector_handler(dbox_ptr, message, submessage, control, data)");
    auto* gui = static_cast<RaGui*>(Xeq_Dbox_State_Get(dbox_ptr));
    if (gui == nullptr) return;
    gui->HideMainDbox(dbox_ptr);
    gui->ShowMainDbox(Xeq_Dbox_Ctl_Get(dbox_ptr, RaGui::CtlC_PopupDialogSelector));
}

XEQ_EXPORT void ra_conf_save_btn_handler(XeqT_Dbox dbox_ptr, int /*message*/, int /*submessage*/,
                                         const char* /*control*/, void* /*data*/) {
    QOV_FRAME("ra_conf_save_btn_handler(dbox_ptr, message, submessage, control, data)");
    const auto* gui = static_cast<const RaGui*>(Xeq_Dbox_State_Get(dbox_ptr));
    if (gui == nullptr) return;
    const int enabled =
        Xeq_Ctl_Value_Int_Get(Xeq_Dbox_Ctl_Get(dbox_ptr, RaGui::CtlC_ConfChkEnabled));
    Xeq_Obj_Attr_Set(gui->GetUtilityObject(), RaGui::AttrC_Export, enabled != 0 ? 1 : 0);
}

XEQ_EXPORT int ra_dummy_ok_callback(XeqT_Dbox dbox_ptr, int /*event*/) {
    QOV_FRAME("ra_dummy_ok_callback(dbox_ptr, event)");
    Xeq_Dbox_Unblock(dbox_ptr);
    return 2;
}
