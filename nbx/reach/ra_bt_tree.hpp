// The reachability prefix tree: every destination of every router's routing
// table, filed by destination prefix, so that one question is answered fast:
// which routers hold a route to a network, and with which entry. The exact
// answer lists the routes to exactly that prefix; the aggregate answer
// gives, for each router, the most specific of its routes that covers the
// prefix (a default route included): a longest-prefix match per router.
//
// A route to P/L hangs on the tree node reached from the root by the first
// L bits of P, most significant first (1 right, 0 left); /0 is the root.
//
// Ownership: the tree owns its nodes, each node its state, each state its
// records, and the tree the routers of its node list (which own their
// tables and entries). A record only borrows its router and route.
#pragma once

#include "ipspace/bt_tree.hpp"
#include "kpllib.h"
#include "xeqed.h"

class RaIpNode;
class RaIpRouteEntry;

// One (router, route) pair.
class RaBtStateData {
public:
    RaBtStateData();
    ~RaBtStateData();

    void insert_node(RaIpNode* node_ptr) { node = node_ptr; }
    RaIpNode* get_node() const { return node; }
    void insert_route(RaIpRouteEntry* route_ptr) { route = route_ptr; }
    RaIpRouteEntry* get_route() const { return route; }

    // Marks the router's object in the current model with the overlay icon
    // of the route's protocol ("" for "none" removes it).
    void display_icon() const;
    // Draws one path per owner of each next hop of the route, from the
    // router's object to the owner's (reach/ra_path.cpp): through their link
    // when one joins them; a BGP next hop that is no linked neighbour as a
    // shortcut path, any other in colour. flag changes nothing drawn.
    // Returns the route's own next-hop list (RaIpRouteNextHop*), which the
    // caller must not free.
    QovT_Ll_Desc* display_next_hop_path(XeqT_Color colour, bool flag) const;

    NBX_POOLED

private:
    RaIpNode* node;
    RaIpRouteEntry* route;
};

// The overlay icon name for a protocol code; null for a code outside the
// protocol table (no icon is set then).
const char* ra_protocol_icon_name(int protocol);

class RaBtState : public NbxBtState {
public:
    RaBtState();
    // Deletes every record of the list, last first.
    ~RaBtState() override;

    // Appends data, which the state then owns; false (nothing kept) when
    // memory runs out.
    bool insert_data(RaBtStateData* data);
    // The state's own list of RaBtStateData*.
    QovT_Ll_Desc* get_data() { return &data_list; }
    const QovT_Ll_Desc* get_data() const { return &data_list; }

    // Merges every record of state (null ignored) through
    // insert_data_unique_node, in list order. False when memory runs out
    // (the records merged so far stay).
    bool accumulate(RaBtState* state);
    // Keeps one record per router: a router that already has one here gets
    // its route replaced, at the same list position; another router gets a
    // new record at the tail, remembered through its cell pointer. The
    // state owns the records it makes; data stays with its owner. False when
    // memory runs out (nothing kept for the router).
    bool insert_data_unique_node(const RaBtStateData* data);
    // A new list (the caller releases it with kpl_list_destroy(list, 0))
    // of the records whose router name equals the hierarchical name of an
    // object of filter_lptr; the records stay with this state. Null when
    // memory runs out.
    QovT_Ll_Desc* get_data_by_filter(XeqT_Obj_List filter_lptr) const;
    // Clears the cell pointer of the router of every record.
    void clear_cell_cache();

    NBX_POOLED

private:
    QovT_Ll_Desc data_list;
};

class RaBtTree : public NbxBtTree {
public:
    RaBtTree();
    ~RaBtTree() override;

    // Files node_ptr (which the tree's state then owns) under the prefix of
    // address (value and mask). False, filing nothing, when memory runs out.
    bool insert_ip_address(KplT_IP_Address address, RaBtStateData* node_ptr);

    // Exact mode: the tree's own state for exactly the prefix of
    // ip_network, or null; it belongs to the tree.
    // Aggregate mode: a new state holding, per router, its most specific
    // route covering the network, in the order the routers were first met
    // from the root down. Never null unless memory runs out; the caller
    // deletes it (it owns its records, which borrow the tree's routers and
    // routes). Not reentrant: aggregations on one tree must not interleave.
    RaBtState* get_state_by_prefix(KplT_IP_Address ip_network, bool aggregate);

    // Stores a copy of path (false when memory runs out).
    bool set_file_path(const char* path);
    const char* get_file_path() const { return file_path; }
    // Takes ownership of a list (from kpl_list_create) of RaIpNode*. A list
    // given before is released, but its routers stay with the tree until it
    // dies: the records filed so far still borrow them.
    void set_node_list(QovT_Ll_Desc* node_lptr);
    const QovT_Ll_Desc* get_node_list() const { return node_list; }

private:
    QovT_Ll_Desc* node_list;
    char* file_path;
    // Routers of replaced node lists that the current one does not hold.
    QovT_Ll_Desc retired_routers;
};
