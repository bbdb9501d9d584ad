// A binary tree whose paths are bit strings: a 0 bit leads left, a 1 bit
// right. A node may carry one state, the payload a derived tree attaches at
// the end of a path; the tree knows nothing of what the bits mean. The IP
// space tree and the reachability tree derive from it.
//
// Ownership runs strictly downward: the tree owns its root, every node owns
// both children and its state. Nodes are never removed; the whole tree goes
// at once, and with it every state exactly once.
//
// Copying a tree, node or state copies the fields as they are (pointers
// shared); nothing in the system copies them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ipspace/pool.hpp"
#include "qovlib.h"

// Polymorphic base of every state kept in a tree; a node deletes whatever
// derived state it holds through the virtual destructor.
class NbxBtState {
public:
    virtual ~NbxBtState() = default;
    NBX_POOLED
};

class NbxBtNode {
public:
    NbxBtNode();
    ~NbxBtNode();

    // A new empty child carrying data (null allowed), stored as this node's
    // left (0-bit) or right (1-bit) child and returned. The child must be
    // absent: an existing one is not looked at. Null when memory is out,
    // leaving this node unchanged.
    NbxBtNode* left_insert(NbxBtState* data);
    NbxBtNode* right_insert(NbxBtState* data);

    NbxBtNode* get_left() const { return left; }
    NbxBtNode* get_right() const { return right; }
    void* get_state() const { return state; }
    // Stores data without deleting a previous state: the caller takes over
    // (or has already released) whatever was there.
    void set_state(NbxBtState* data) { state = data; }

    // Appends to state_lptr every state of the subtree rooted here, pre-order
    // with the 1 branch first: this node's state, then the right subtree,
    // then the left. States at equal depth thus come in descending order of
    // their bit paths. The list receives pointers; the nodes keep ownership.
    // False when memory runs out (the list then holds only a part).
    bool collect_recursive(QovT_Ll_Desc* state_lptr);

    NBX_POOLED

private:
    // A new child carrying data stored in slot; null when memory is out.
    static NbxBtNode* attach_child(NbxBtNode*& slot, NbxBtState* data);

    NbxBtNode* left;
    NbxBtNode* right;
    NbxBtState* state;
};

class NbxBtTree {
public:
    NbxBtTree();
    virtual ~NbxBtTree();

    // Never null once constructed, except when memory ran out during
    // construction; derived trees treat a null root as an empty tree.
    NbxBtNode* get_root() const { return root; }
    // Nodes added below the root since construction.
    std::int32_t get_size() const { return size; }
    // Derived trees call this for every node they create.
    void inc_size() { ++size; }

    NBX_POOLED

private:
    std::int32_t size;
    NbxBtNode* root;
};
