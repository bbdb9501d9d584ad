#include "reach/ra_reach.hpp"

#include <cstring>

#include "ipspace/xeq_util.hpp"
#include "reach/ra_bt_tree.hpp"
#include "reach/ra_client_state.hpp"
#include "reach/ra_path.hpp"
#include "routing/ra_xml_parser.hpp"

namespace {

constexpr char kHostMask[] = "255.255.255.255";

int client_state_id() {
    QOV_FRAME("client_state_id()");
    return Xeq_Client_State_By_Name_Get(RAC_CLIENT_STATE_LABEL);
}

} // namespace

RaBtTree* ra_kept_tree() {
    QOV_FRAME("ra_kept_tree()");
    return static_cast<RaBtTree*>(
        Xeq_Model_Network_State_Access(Xeq_Model_Current_Get(0), client_state_id()));
}

RaBtTree* ra_keep_tree(RaBtTree* tree) {
    QOV_FRAME("ra_keep_tree(tree)");
    if (Xeq_Model_Network_State_Set(Xeq_Model_Current_Get(0), client_state_id(), tree)) return tree;
    delete tree;
    return nullptr;
}

RaBtTree* ra_model_tree() {
    QOV_FRAME("ra_model_tree()");
    RaBtTree* tree = ra_kept_tree();
    return tree != nullptr ? tree : ra_keep_tree(ra_parse_xml());
}

bool ra_network_parse(const char* text, KplT_IP_Address* network) {
    QOV_FRAME("ra_network_parse(text, network)");
    if (text == nullptr) return false;
    const char* mask = std::strchr(text, '/') != nullptr ? "" : kHostMask;
    return kpl_ip_address_parse(text, mask, network) == 1;
}

RaReachAnswer::RaReachAnswer(RaBtTree& tree, KplT_IP_Address network, bool aggregate)
    : state_(tree.get_state_by_prefix(network, aggregate)), owned_(aggregate), filtered_(nullptr) {
    QOV_FRAME("RaReachAnswer::RaReachAnswer(tree, network, aggregate)");
}

RaReachAnswer::~RaReachAnswer() {
    QOV_FRAME("RaReachAnswer::~RaReachAnswer()");
    if (owned_) delete state_;
}

void RaReachAnswer::filter_by_selection() {
    QOV_FRAME("RaReachAnswer::filter_by_selection()");
    if (state_ == nullptr) return;
    ra::ObjList selected(Xeq_Obj_List_Create());
    Xeq_Model_Selected_List_Get(Xeq_Model_Current_Get(0), selected.get());
    if (Xeq_Obj_List_Size(selected.get()) == 0 ||
        !NbxXeqUtil::obj_list_contains(selected.get(), XEQC_OBJ_NODE))
        return;
    filtered_.reset(state_->get_data_by_filter(selected.get()));
    // Without memory for the filtered list nothing may be marked: marking
    // every router would ignore the user's selection.
    if (filtered_ == nullptr) {
        if (owned_) delete state_;
        state_ = nullptr;
    }
}

const QovT_Ll_Desc* RaReachAnswer::records() const {
    QOV_FRAME("RaReachAnswer::records()");
    if (filtered_ != nullptr) return filtered_.get();
    return state_ == nullptr ? nullptr : state_->get_data();
}

void ra_mark_records(const QovT_Ll_Desc* records, bool draw_paths) {
    QOV_FRAME("ra_mark_records(records, draw_paths)");
    const XeqT_Color green = Xeq_Gui_Color_From_RGB(0.1607, 0.745, 0.1999);
    const int count = kpl_list_size(records);
    for (int i = 0; i < count; ++i) {
        const auto* record = static_cast<const RaBtStateData*>(kpl_list_access(records, i));
        if (draw_paths) record->display_next_hop_path(green, true);
        record->display_icon();
    }
}

namespace {

bool is_analysis_path(XeqT_Obj_Handle path) {
    QOV_FRAME("is_analysis_path(path)");
    char model[XEQC_ATTR_TEXT_SIZE] = "";
    if (!Xeq_Obj_Attr_Get(path, "model", model)) return false;
    for (const char* analysis : RAC_ANALYSIS_PATH_MODELS)
        if (std::strcmp(model, analysis) == 0) return true;
    return false;
}

} // namespace

void ra_network_clear(XeqT_Model_Handle network_hndl) {
    QOV_FRAME("ra_network_clear(network_hndl)");
    Xeq_Model_Draw_Lock(network_hndl);
    for (const XeqT_Obj_Type marked : {XEQC_OBJC_NODES, XEQC_OBJC_SUBNETS}) {
        const int count = Xeq_Topo_Object_Count_Get(network_hndl, marked);
        for (int i = 0; i < count; ++i)
            Xeq_Nt_Object_Overlay_Icon_Name_Set(Xeq_Topo_Object_Get(network_hndl, marked, i), "");
    }
    ra::ObjList paths(Xeq_Obj_List_Create());
    const int path_count = Xeq_Topo_Object_Count_Get(network_hndl, XEQC_OBJ_PATH);
    for (int i = 0; i < path_count; ++i) {
        const XeqT_Obj_Handle path = Xeq_Topo_Object_Get(network_hndl, XEQC_OBJ_PATH, i);
        if (is_analysis_path(path)) Xeq_Obj_List_Insert(paths.get(), path, KPLC_LISTPOS_TAIL);
    }
    for (int i = Xeq_Obj_List_Size(paths.get()) - 1; i >= 0; --i)
        Xeq_Obj_Destroy(Xeq_Obj_List_Object_Get(paths.get(), i));
    Xeq_Model_Draw_Unlock(network_hndl);
}
