#include "ipspace/bt_tree.hpp"

NBX_POOL_DEFINE(NbxBtNode, 32)
NBX_POOL_DEFINE(NbxBtTree, 1)

// A bare state carries nothing; only derived states are ever kept, and
// those with pools of their own define them.
void* NbxBtState::operator new(std::size_t size) noexcept { return kpl_mem_alloc(size); }

NbxBtNode::NbxBtNode() : left(nullptr), right(nullptr), state(nullptr) {
    QOV_FRAME("NbxBtNode::NbxBtNode()");
}

// Depth is bounded by the key length of the derived tree (33 levels for
// IPv4), so the recursion stays shallow.
NbxBtNode::~NbxBtNode() {
    QOV_FRAME("NbxBtNode::~NbxBtNode()");
    delete left;
    delete right;
    delete state;
}

NbxBtNode* NbxBtNode::attach_child(NbxBtNode*& slot, NbxBtState* data) {
    NbxBtNode* child = new NbxBtNode;
    if (child == nullptr) return nullptr;
    child->state = data;
    slot = child;
    return child;
}

NbxBtNode* NbxBtNode::left_insert(NbxBtState* data) {
    QOV_FRAME("NbxBtNode::left_insert(data)");
    return attach_child(left, data);
}

NbxBtNode* NbxBtNode::right_insert(NbxBtState* data) {
    QOV_FRAME("NbxBtNode::right_insert(data)");
    return attach_child(right, data);
}

bool NbxBtNode::collect_recursive(QovT_Ll_Desc* state_lptr) {
    QOV_FRAME("NbxBtNode::collect_recursive(state_lptr)");
    if (state != nullptr && !kpl_list_insert(state_lptr, state, KPLC_LISTPOS_TAIL)) return false;
    if (right != nullptr && !right->collect_recursive(state_lptr)) return false;
    return left == nullptr || left->collect_recursive(state_lptr);
}

NbxBtTree::NbxBtTree() : size(0), root(nullptr) {
    QOV_FRAME("NbxBtTree::NbxBtTree()");
    root = new NbxBtNode;
}

NbxBtTree::~NbxBtTree() {
    QOV_FRAME("NbxBtTree::~NbxBtTree()");
    delete root;
}
