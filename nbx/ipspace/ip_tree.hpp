// The IP space tree: a binary prefix tree walked over the 32 bits of an IPv4
// address, most significant bit first (a 1 bit leads right). Every inserted
// address ends in a node at depth 32 carrying an NbxIpState, whose list
// holds the records of everything that claimed the address. The mask of an
// inserted address is not part of the key.
//
// Records filed in an IP tree are host blocks (kpl_mem_alloc) that the
// state owns and releases with kpl_mem_free; each starts with the handle of
// the model object that claimed the address, which is how remove_node finds
// an object's records.
#pragma once

#include "ipspace/bt_tree.hpp"
#include "ipspace/gip_entry.hpp"
#include "kpllib.h"
#include "xeqed.h"

class NbxIpState : public NbxBtState {
public:
    NbxIpState();
    // Releases the list and every record in it.
    ~NbxIpState() override;

    // Appends data_ptr at the tail; the state takes it over. False (the
    // record stays the caller's) when memory is out.
    bool insert_data(void* data_ptr);
    // The records in insertion order, owned by the state. The list lives as
    // long as the state, which lives as long as its tree.
    QovT_Ll_Desc* get_data() const { return data; }
    // Takes every record of node_hndl out of the list, keeping the others in
    // their order. A record taken out stays allocated until the state dies,
    // because a look-up may have handed it out (a report still showing it);
    // when memory runs out for that, the record stays listed.
    void remove_node(XeqT_Obj_Handle node_hndl);

    NBX_POOLED

private:
    // Files a record taken out of data; false when memory runs out.
    bool keep_removed(void* record);

    QovT_Ll_Desc* data;
    QovT_Ll_Desc* removed; // records taken out, created on the first removal
};

class NbxIpTree : public NbxBtTree {
public:
    ~NbxIpTree() override;

    // Files data under the address, creating the path and the state as
    // needed. True when filed; false when memory ran out, in which case data
    // stays the caller's.
    virtual bool insert_ip_address(KplT_IP_Address address, void* data);

    // The state of the address, or null when it was never inserted (or all
    // of its records were removed).
    NbxIpState* get_state_by_address(KplT_IP_Address ip_address) const;
    // A new list (the caller's; the states stay the tree's) of the states
    // with records of every address on the network's prefix, highest
    // address first; null when there is none. Host bits beyond the prefix
    // are ignored.
    QovT_Ll_Desc* get_state_by_network(KplT_IP_Address ip_network) const;
    // The same, telling memory running out (out_of_memory set, null) from a
    // network without addresses.
    QovT_Ll_Desc* get_state_by_network(KplT_IP_Address ip_network, bool& out_of_memory) const;
    // Takes the records of obj_hndl filed under the address out of the
    // look-ups. States are never deleted before the tree: a state's list,
    // and the records taken out of it, stay valid for whoever holds them;
    // an address left without records reads as never inserted.
    void remove_state_by_address(KplT_IP_Address address, XeqT_Obj_Handle obj_hndl);

    NBX_POOLED

private:
    // The node at the end of the first prefix_length bits of value, or null
    // when the path was never created.
    NbxBtNode* find_node(std::uint32_t value, int prefix_length) const;
};

class NbxGipTree : public NbxIpTree {
public:
    ~NbxGipTree() override;

    bool insert_ip_address(KplT_IP_Address ip_address, void* data) override;
    // Files a new NbxGipEntry built from the arguments (intf_name is copied;
    // null reads as ""). False when memory ran out (nothing filed).
    bool insert_ip_address(KplT_IP_Address ip_address, XeqT_Obj_Handle obj_hndl,
                           const char* intf_name, bool secondary);

    NBX_POOLED
};
