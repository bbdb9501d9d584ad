// Routes drawn over the model: one path object per next hop of a route,
// from the router to the node owning the next-hop address, and, on a BGP
// shortcut path, "Show IGP Route", which draws in red how the interior
// routing reaches the BGP next hop.
#pragma once

#include "kpllib.h"
#include "xeq_plugin.h"
#include "xeqed.h"

class RaBtState;
class RaIpNode;

// The path models the analysis draws (a next hop; a BGP next hop that is
// no direct neighbour; the IGP trace's) and removes again.
constexpr char RAC_NEXT_HOP_PATH_MODEL[] = "ra_next_hop_path";
constexpr char RAC_SHORTCUT_PATH_MODEL[] = "ra_shortcut_path";
constexpr char RAC_IGP_PATH_MODEL[] = "ra_igp_path";
constexpr const char* RAC_ANALYSIS_PATH_MODELS[] = {RAC_NEXT_HOP_PATH_MODEL, RAC_IGP_PATH_MODEL,
                                                    RAC_SHORTCUT_PATH_MODEL};

// The IGP trace's budget, shared by the whole trace: at most calls_left
// further routers are traced, each router once, so that a routing loop
// with equal-cost next hops ends after a bounded number of steps.
class RaIgpBudget {
public:
    explicit RaIgpBudget(int calls);
    ~RaIgpBudget();
    RaIgpBudget(const RaIgpBudget&) = delete;
    RaIgpBudget& operator=(const RaIgpBudget&) = delete;

    bool spent() const { return calls_left <= 0; }
    void spend() { --calls_left; }
    // True the first time router is traced; false when it was before (or
    // when memory runs out, which ends the trace there rather than risk
    // tracing a router again and again).
    bool trace(const RaIpNode* router);
    // Forgets a router that is about to be deleted, so that another one
    // made later at the same address counts as new.
    void forget(const RaIpNode* router);

private:
    int calls_left;
    QovT_Ll_Desc traced;
};

// A click on a shortcut path: click type 1 opens its popup menu with
// "Show IGP Route" and gives 1; any other click gives 0 and opens nothing.
XEQ_EXPORT int ra_shortcut_path_click_handler(XeqT_Obj_Handle path_handle, int click_type);
// The popup menu's answer; state_ptr is the copy of the path handle, which
// it releases whatever was picked (-1: dismissed). Entry 0 traces the IGP
// route from the path's "src_node" to its "next_hop".
XEQ_EXPORT void ra_shortcut_popup_menu_proc(void* state_ptr, int selected_item,
                                            const char* selected_item_text);

// Draws the IGP trace from the router src_node to the address destination
// (dotted text). 1 when traced; 0 when src_node is no object of the model,
// destination no address, or the model has no routing export data.
int ra_igp_path_draw(const char* src_node, const char* destination);
// Draws, in red, the next hops of obj_name's records in state and traces on
// from each next-hop router; the last hop to a network the router reaches
// directly is closed by ra_synthesize_igp_path.
void ra_get_paths(RaBtState* state, const char* obj_name, KplT_IP_Address dest_ip,
                  RaIgpBudget& call_count);
// One red "direct" path from obj_name to the owner of dest_ip.
void ra_synthesize_igp_path(KplT_IP_Address dest_ip, const char* obj_name, RaIgpBudget& call_count);
