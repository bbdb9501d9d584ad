// Objects, lists, topology, client state, messages and the progress bar.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model_fixture.hpp"
#include "vyqlib.h"
#include "xeqed.h"

namespace {

const char* const kTopoModel = R"({
  "format": "xeq-model", "version": 1, "name": "topo",
  "objects": [
    {"name": "top.campus", "type": "subnet"},
    {"name": "top.campus.r1", "type": "node"},
    {"name": "top.campus.r2", "type": "node"},
    {"name": "top.campus.inner.r3", "type": "node"},
    {"name": "top.campus.p1", "type": "path"}
  ]})";

std::vector<std::string> events() {
    std::vector<std::string> lines;
    for (int i = 0; i < Xeq_Host_Event_Count(); ++i) lines.emplace_back(Xeq_Host_Event_Get(i));
    return lines;
}

TEST(Topology, CountsAndListsObjectsByType) {
    ModelFixture m(kTopoModel);
    EXPECT_EQ(Xeq_Topo_Object_Count_Get(m.model(), XEQC_OBJ_NODE), 3);
    EXPECT_EQ(Xeq_Topo_Object_Count_Get(m.model(), XEQC_OBJ_DEMAND), 0);
    EXPECT_STREQ(Xeq_Obj_Hname_Get(Xeq_Topo_Object_Get(m.model(), XEQC_OBJ_NODE, 2), 0),
                 "top.campus.inner.r3");
    EXPECT_EQ(Xeq_Topo_Object_Get(m.model(), XEQC_OBJ_NODE, 3), 0u);
    EXPECT_EQ(Xeq_Topo_Object_Get(m.model(), XEQC_OBJ_NODE, -1), 0u);
    XeqT_Obj_List children = Xeq_Obj_List_Create();
    EXPECT_EQ(Xeq_Topo_Child_List_Get(m.obj("top.campus"), XEQC_OBJ_NODE, children), 2)
        << "direct children only";
    Xeq_Obj_List_Destroy(children);
}

TEST(Objects, CreatedObjectsGetUniqueNamesAndStaleHandlesFail) {
    XeqT_Obj_Handle created = 0;
    {
        ModelFixture m(kTopoModel);
        created = Xeq_Obj_Create(XEQC_OBJ_NODE);
        ASSERT_FALSE(Xeq_Obj_Invalid(created));
        EXPECT_EQ(Xeq_Obj_Type_Get(created), XEQC_OBJ_NODE);
        EXPECT_NE(Xeq_Obj_Create(XEQC_OBJ_NODE), created);
        EXPECT_EQ(Xeq_Topo_Object_Count_Get(m.model(), XEQC_OBJ_NODE), 5);
    }
    EXPECT_NE(Xeq_Obj_Invalid(created), 0) << "the model is closed";
    EXPECT_EQ(Xeq_Obj_Type_Get(created), -1);
    EXPECT_STREQ(Xeq_Obj_Hname_Get(created, 0), "");
    EXPECT_EQ(Xeq_Obj_Create(XEQC_OBJ_NODE), 0u) << "no current model";
    EXPECT_NE(Xeq_Obj_Invalid(0), 0);
    EXPECT_NE(Xeq_Obj_Invalid(0xdeadbeef12345678ull), 0);
}

TEST(ObjectLists, PositionRules) {
    XeqT_Obj_List list = Xeq_Obj_List_Create();
    EXPECT_EQ(Xeq_Obj_List_Insert(list, 1, -1), 1);
    EXPECT_EQ(Xeq_Obj_List_Insert(list, 2, -1), 1);
    EXPECT_EQ(Xeq_Obj_List_Insert(list, 0, -2), 1);
    EXPECT_EQ(Xeq_Obj_List_Insert(list, 9, 5), 0);
    ASSERT_EQ(Xeq_Obj_List_Size(list), 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Xeq_Obj_List_Object_Get(list, i), XeqT_Obj_Handle(i));
    EXPECT_EQ(Xeq_Obj_List_Object_Get(list, 3), 0u);
    Xeq_Obj_List_Destroy(list);
    EXPECT_EQ(Xeq_Obj_List_Size(nullptr), 0);
}

int g_destroyed = 0;
void count_destroy(void* state) {
    ++g_destroyed;
    delete static_cast<int*>(state);
}

TEST(ClientState, KeptPerModelAndDestroyedOnClose) {
    const int id = Xeq_Client_State_Handlers_Register("(TEST) State", nullptr, count_destroy,
                                                      nullptr, nullptr);
    ASSERT_GE(id, 0);
    EXPECT_EQ(Xeq_Client_State_By_Name_Get("(TEST) State"), id);
    EXPECT_EQ(Xeq_Client_State_By_Name_Get("(TEST) Unknown"), -1);
    g_destroyed = 0;
    {
        ModelFixture m(kTopoModel);
        EXPECT_EQ(Xeq_Model_Network_State_Access(m.model(), id), nullptr);
        ASSERT_EQ(Xeq_Model_Network_State_Set(m.model(), id, new int(1)), 1);
        EXPECT_EQ(*static_cast<int*>(Xeq_Model_Network_State_Access(m.model(), id)), 1);
        Xeq_Model_Network_State_Set(m.model(), id, new int(2));
        EXPECT_EQ(g_destroyed, 1) << "a replaced state is destroyed";
        EXPECT_EQ(Xeq_Model_Network_State_Set(m.model(), id + 1000, nullptr), 0);
    }
    EXPECT_EQ(g_destroyed, 2) << "closing the model destroys its state";
}

TEST(Events, MessagesAndProgressAreRecorded) {
    Xeq_Host_Echo_Set(0);
    Xeq_Host_Events_Clear();
    Xeq_Msg_Warning(0, "Object (r1, m) no longer has BGP attributes.", 0, 0);
    Xeq_Msg_Info(0, "done");
    Xeq_Host_Confirm_Answer_Set(0);
    EXPECT_EQ(Xeq_Msg_Confirm(0, "Warning...", "Proceed?"), 0);
    Xeq_Host_Confirm_Answer_Set(1);
    Xeq_Progress_Bar_Start("Checking", 21);
    Xeq_Progress_Bar_Advance(10);
    Xeq_Progress_Bar_End();
    const std::vector<std::string> expected = {
        "warning: Object (r1, m) no longer has BGP attributes.",
        "info: done",
        "confirm: Warning... / Proceed? -> no",
        "progress start: Checking (21)",
        "progress advance: 10",
        "progress end",
    };
    EXPECT_EQ(events(), expected);
    Xeq_Host_Echo_Set(1);
}

TEST(Models, NameIsCutToTheBuffer) {
    ModelFixture m(kTopoModel);
    EXPECT_EQ(Xeq_Model_Current_Get(0), m.model());
    char name[3];
    EXPECT_EQ(Xeq_Model_Name_Get(m.model(), name), 1);
    EXPECT_STREQ(name, "to");
}

} // namespace
