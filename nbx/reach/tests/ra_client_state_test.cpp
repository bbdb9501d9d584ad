#include <gtest/gtest.h>

#include "model_fixture.hpp"
#include "reach/ra_client_state.hpp"
#include "routers.hpp"

namespace {

TEST(RaClientState, RegistersAndKeepsNothingInTheModelFile) {
    ra_xeq_init();
    const int id = Xeq_Client_State_By_Name_Get("(RA) Global Routing Tables");
    ASSERT_GE(id, 0);
    EXPECT_EQ(ra_grt_copy_create(reinterpret_cast<void*>(0x1)), nullptr);
    EXPECT_EQ(ra_grt_read(reinterpret_cast<void*>(0x1)), nullptr);
    EXPECT_EQ(ra_grt_write(reinterpret_cast<void*>(0x1), nullptr), 0);
    ra_grt_destroy(nullptr);

    // A tree kept with a model goes with the model (ASan sees any leak).
    ModelFixture model(R"({"format": "xeq-model", "version": 1, "name": "m", "objects": []})");
    auto* tree = new RaBtTree;
    QovT_Ll_Desc* nodes = kpl_list_create();
    kpl_list_insert(nodes, new RaIpNode("top.r1"), KPLC_LISTPOS_TAIL);
    tree->set_node_list(nodes);
    ASSERT_EQ(Xeq_Model_Network_State_Set(model.model(), id, tree), 1);
    EXPECT_EQ(Xeq_Model_Network_State_Access(model.model(), id), tree);
}

} // namespace
