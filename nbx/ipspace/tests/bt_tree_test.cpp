#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ipspace/bt_tree.hpp"

namespace {

// A state that records its name in a shared log when destroyed.
class NamedState : public NbxBtState {
public:
    NamedState(std::string name, std::vector<std::string>* destroyed)
        : name_(std::move(name)), destroyed_(destroyed) {}
    ~NamedState() override { destroyed_->push_back(name_); }
    const std::string& name() const { return name_; }

private:
    std::string name_;
    std::vector<std::string>* destroyed_;
};

// Walks path ("0" left, "1" right) from node, creating what is missing, and
// puts a state named after the path at its end.
NbxBtNode* file(NbxBtTree& tree, const std::string& path, std::vector<std::string>* destroyed) {
    NbxBtNode* node = tree.get_root();
    for (char bit : path) {
        NbxBtNode* next = bit == '1' ? node->get_right() : node->get_left();
        if (next == nullptr) {
            next = bit == '1' ? node->right_insert(nullptr) : node->left_insert(nullptr);
            tree.inc_size();
        }
        node = next;
    }
    node->set_state(new NamedState(path.empty() ? "root" : path, destroyed));
    return node;
}

std::vector<std::string> collect(NbxBtNode* from) {
    QovT_Ll_Desc* list = kpl_list_create();
    from->collect_recursive(list);
    std::vector<std::string> names;
    while (kpl_list_size(list) > 0)
        names.push_back(static_cast<NamedState*>(kpl_list_remove(list, KPLC_LISTPOS_HEAD))->name());
    kpl_list_destroy(list, 0);
    return names;
}

TEST(NbxBtTree, NewTreeIsEmpty) {
    NbxBtTree tree;
    ASSERT_NE(tree.get_root(), nullptr);
    EXPECT_EQ(tree.get_size(), 0);
    EXPECT_EQ(tree.get_root()->get_left(), nullptr);
    EXPECT_EQ(tree.get_root()->get_right(), nullptr);
    EXPECT_EQ(tree.get_root()->get_state(), nullptr);
    EXPECT_TRUE(collect(tree.get_root()).empty());
}

TEST(NbxBtTree, InsertCreatesChildWithState) {
    std::vector<std::string> destroyed;
    NbxBtTree tree;
    auto* state = new NamedState("s", &destroyed);
    NbxBtNode* child = tree.get_root()->right_insert(state);
    EXPECT_EQ(tree.get_root()->get_right(), child);
    EXPECT_EQ(tree.get_root()->get_left(), nullptr);
    EXPECT_EQ(child->get_state(), state);
}

TEST(NbxBtTree, CollectsDescendingPathsAfterOwnState) {
    std::vector<std::string> destroyed;
    NbxBtTree tree;
    file(tree, "000", &destroyed);
    file(tree, "101", &destroyed);
    file(tree, "110", &destroyed);
    EXPECT_EQ(collect(tree.get_root()), (std::vector<std::string>{"110", "101", "000"}));
    EXPECT_EQ(tree.get_size(), 3 + 3 + 2);

    file(tree, "", &destroyed);
    file(tree, "1", &destroyed);
    // Pre-order, 1 branch first: an inner state precedes its subtree.
    EXPECT_EQ(collect(tree.get_root()),
              (std::vector<std::string>{"root", "1", "110", "101", "000"}));
    EXPECT_EQ(collect(tree.get_root()->get_right()), (std::vector<std::string>{"1", "110", "101"}));
}

TEST(NbxBtTree, DestructionDeletesEveryStateOnce) {
    std::vector<std::string> destroyed;
    {
        auto* tree = new NbxBtTree;
        for (const char* path : {"", "0", "01", "011", "1", "10", "111"}) file(*tree, path, &destroyed);
        delete tree;
    }
    std::sort(destroyed.begin(), destroyed.end());
    EXPECT_EQ(destroyed, (std::vector<std::string>{"0", "01", "011", "1", "10", "111", "root"}));
}

TEST(NbxBtTree, NodesReturnToTheirPool) {
    const KplT_Pmo_Handle pool = kpl_pmo_define("NbxBtNode", sizeof(NbxBtNode), 32);
    const int before = kpl_pmo_live_count(pool);
    std::vector<std::string> destroyed;
    {
        NbxBtTree tree;
        file(tree, "0101", &destroyed);
        EXPECT_EQ(kpl_pmo_live_count(pool), before + 5);
    }
    EXPECT_EQ(kpl_pmo_live_count(pool), before);
}

} // namespace
