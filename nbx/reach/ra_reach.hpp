// The reachability answer for the current model: the routing tree kept
// with it as client state, the look-up of a network in it, the records
// the selection leaves, and the marks and paths they get. Display
// Reachability and the IGP trace of a shortcut path both work through it.
#pragma once

#include "kpllib.h"
#include "reach/ra_host_ptr.hpp"
#include "xeqed.h"

class RaBtTree;
class RaBtState;

// The routing tree kept with the current model, or null.
RaBtTree* ra_kept_tree();
// Keeps tree with the current model in place of the one kept before (which
// the client state then destroys) and returns it; a tree the model cannot
// keep (no model, state not registered) is deleted and null returned.
RaBtTree* ra_keep_tree(RaBtTree* tree);
// The kept tree, or one read from the model's routing export file and kept
// when the model has none yet; null without export data.
RaBtTree* ra_model_tree();

// A network as the user types it: "a.b.c.d/len", or a bare address as the
// /32 network. False, leaving network alone, for any other text.
bool ra_network_parse(const char* text, KplT_IP_Address* network);

// One look-up of a network in a tree: the routers that have a route to it,
// each with the route, restricted to the selected routers when the
// selection holds nodes.
class RaReachAnswer {
public:
    // Exact mode lists the routes to exactly that prefix; aggregate mode
    // each router's most specific route covering it.
    RaReachAnswer(RaBtTree& tree, KplT_IP_Address network, bool aggregate);
    ~RaReachAnswer();
    RaReachAnswer(const RaReachAnswer&) = delete;
    RaReachAnswer& operator=(const RaReachAnswer&) = delete;

    // Keeps only the records of routers selected in the current model, when
    // its selection holds at least one node; otherwise keeps them all.
    void filter_by_selection();
    // The records (RaBtStateData*) in look-up order; null when the look-up
    // found no state (exact mode, no route to that prefix) or memory ran
    // out.
    const QovT_Ll_Desc* records() const;
    // The look-up's state; null as for records().
    RaBtState* state() const { return state_; }

private:
    RaBtState* state_;
    bool owned_; // an aggregate result is the caller's; an exact one the tree's
    ra::PtrList filtered_;
};

// Marks every router of records with its route's overlay icon and, when
// draw_paths is set, draws its next hops in the colour of Display
// Reachability first.
void ra_mark_records(const QovT_Ll_Desc* records, bool draw_paths);

// Removes the overlay icon of every node and subnet of network_hndl and
// destroys every analysis path (reach/ra_path.hpp), as one change of the
// drawing.
void ra_network_clear(XeqT_Model_Handle network_hndl);
