// Demands between nodes, object destruction, compound objects written back
// and the attribute catalogue.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kpllib.h"
#include "model_fixture.hpp"
#include "xeqed.h"

namespace {

const char* const kNetwork = R"({
  "format": "xeq-model", "version": 1, "name": "net",
  "objects": [
    {"name": "top.a", "type": "node", "attributes": {
      "Count": 3,
      "Level": {"type": "integer", "value": 2, "symbols": {"Low": 1, "High": 2}},
      "Ratio": 0.5,
      "Label": "x",
      "Up": true,
      "Rows": [{"Cost": 1}, {"Cost": 2}]}},
    {"name": "top.b", "type": "node", "attributes": {"Rows": [{"Cost": 9}], "Scalar": 1}},
    {"name": "top.c", "type": "node"},
    {"name": "top.old", "type": "demand", "ends": ["top.a", "top.b"]},
    {"name": "top.link", "type": "link", "ends": [{"node": "top.b", "interface": "p1"}, {"node": "top.c", "interface": "p1"}]}
  ]})";

TEST(Demands, InstallPlacesADemandBetweenTwoNodes) {
    ModelFixture m(kNetwork);
    XeqT_Obj_Handle demand = Xeq_Obj_Create(XEQC_OBJ_DEMAND);
    ASSERT_EQ(Xeq_Obj_Demand_Install(m.obj("top.a"), m.obj("top.c"), m.model(), &demand), 1);
    XeqT_Obj_Handle from = 0, to = 0;
    ASSERT_EQ(Xeq_Host_Demand_Ends_Get(demand, &from, &to), 1);
    EXPECT_EQ(from, m.obj("top.a"));
    EXPECT_EQ(to, m.obj("top.c"));
    Xeq_Obj_Attr_Set(demand, "name", "pvc");
    const std::string saved = Xeq_Host_Model_Text_Get(m.model());
    EXPECT_NE(saved.find(R"("name": "top.pvc",)"), std::string::npos);
    EXPECT_NE(saved.find(R"("ends": [)" "\n" R"(        "top.a",)" "\n" R"(        "top.c")"),
              std::string::npos)
        << saved;
    // The saved ends read back.
    ModelFixture again(saved);
    ASSERT_EQ(Xeq_Host_Demand_Ends_Get(again.obj("top.pvc"), &from, &to), 1);
    EXPECT_EQ(from, again.obj("top.a"));
}

TEST(Demands, RefusedInstallLeavesNoDemandBehind) {
    ModelFixture m(kNetwork);
    ModelFixture other(kNetwork);
    Xeq_Host_Model_Current_Set(m.model());
    struct Case {
        const char* what;
        XeqT_Obj_Handle source, destination;
        XeqT_Model_Handle model;
    };
    const Case cases[] = {
        {"same node twice", m.obj("top.a"), m.obj("top.a"), m.model()},
        {"an invalid end", m.obj("top.a"), 0, m.model()},
        {"an end that is not a node", m.obj("top.a"), m.obj("top.link"), m.model()},
        {"an end of another model", m.obj("top.a"), other.obj("top.b"), m.model()},
        {"a demand of another model", m.obj("top.a"), m.obj("top.b"), other.model()},
    };
    for (const Case& c : cases) {
        XeqT_Obj_Handle demand = Xeq_Obj_Create(XEQC_OBJ_DEMAND);
        EXPECT_EQ(Xeq_Obj_Demand_Install(c.source, c.destination, c.model, &demand), 0) << c.what;
        EXPECT_EQ(demand, 0u) << c.what;
        EXPECT_EQ(Xeq_Topo_Object_Count_Get(m.model(), XEQC_OBJ_DEMAND), 1) << c.what;
    }
    XeqT_Obj_Handle node = m.obj("top.c");
    EXPECT_EQ(Xeq_Obj_Demand_Install(m.obj("top.a"), m.obj("top.b"), m.model(), &node), 0);
    EXPECT_FALSE(Xeq_Obj_Invalid(m.obj("top.c"))) << "a node passed as the demand stays";
    EXPECT_EQ(Xeq_Obj_Demand_Install(m.obj("top.a"), m.obj("top.b"), m.model(), nullptr), 0);
}

TEST(Demands, BadEndsInAModelFileAreRefused) {
    const std::string head = R"({"format": "xeq-model", "version": 1, "name": "m", "objects": [
        {"name": "top.a", "type": "node"}, {"name": "top.p", "type": "path"},)";
    const std::pair<const char*, const char*> cases[] = {
        {R"({"name": "top.d", "type": "demand", "ends": ["top.a", "top.z"]})",
         "fixture: object 'top.d': demand end 'top.z' is not a node of the model"},
        {R"({"name": "top.d", "type": "demand", "ends": ["top.a", "top.p"]})",
         "fixture: object 'top.d': demand end 'top.p' is not a node of the model"},
        {R"({"name": "top.d", "type": "demand", "ends": ["top.a", "top.a"]})",
         "fixture: object 'top.d': a demand's two ends must be different nodes"},
        {R"({"name": "top.d", "type": "demand", "ends": ["top.a"]})",
         "fixture: object 'top.d': \"ends\" must be two object names"},
        {R"({"name": "top.d", "type": "node", "ends": ["top.a", "top.a"]})",
         "fixture: object 'top.d': only links and demands take \"ends\""},
    };
    for (const auto& [object, message] : cases) {
        char error[256] = "";
        EXPECT_EQ(Xeq_Host_Model_Parse((head + object + "]}").c_str(), "fixture", error, sizeof error),
                  nullptr);
        EXPECT_STREQ(error, message);
    }
}

TEST(Destroy, RemovesTheObjectAndTheDemandsEndingAtIt) {
    ModelFixture m(kNetwork);
    const XeqT_Obj_Handle a = m.obj("top.a"), demand = m.obj("top.old");
    EXPECT_EQ(Xeq_Obj_Destroy(a), 1);
    EXPECT_NE(Xeq_Obj_Invalid(a), 0);
    EXPECT_NE(Xeq_Obj_Invalid(demand), 0) << "a demand goes with its end";
    EXPECT_EQ(Xeq_Obj_From_Hname_Get(m.model(), "top.a"), 0u);
    EXPECT_EQ(Xeq_Topo_Object_Count_Get(m.model(), XEQC_OBJ_NODE), 2);
    EXPECT_EQ(Xeq_Topo_Object_Count_Get(m.model(), XEQC_OBJ_DEMAND), 0);
    EXPECT_EQ(Xeq_Host_Model_Object_Count(m.model()), 3);
    EXPECT_EQ(Xeq_Obj_Destroy(a), 0) << "a stale handle";
    // A new object may take the freed name.
    const XeqT_Obj_Handle c = Xeq_Obj_Create(XEQC_OBJ_NODE);
    EXPECT_EQ(Xeq_Obj_Attr_Set(c, "name", "a"), 1);
    EXPECT_EQ(Xeq_Obj_From_Hname_Get(m.model(), "top.a"), c);
}

TEST(Destroy, CompoundsAndRowsStayWithTheirAttribute) {
    ModelFixture m(kNetwork);
    XeqT_Obj_Handle rows = 0;
    ASSERT_EQ(Xeq_Obj_Attr_Get(m.obj("top.a"), "Rows", &rows), 1);
    EXPECT_EQ(Xeq_Obj_Destroy(rows), 0);
    EXPECT_EQ(Xeq_Obj_Destroy(Xeq_Topo_Child_Get(rows, 0, 1)), 0);
    EXPECT_FALSE(Xeq_Obj_Invalid(rows));
    EXPECT_EQ(Xeq_Obj_Attr_Exists(m.obj("top.a"), "Rows [1].Cost"), 1);
}

TEST(CompoundObjects, ChildrenByIndex) {
    ModelFixture m(kNetwork);
    XeqT_Obj_Handle rows = 0, row1 = 0;
    ASSERT_EQ(Xeq_Obj_Attr_Get(m.obj("top.a"), "Rows", &rows), 1);
    ASSERT_EQ(Xeq_Obj_Attr_Get(m.obj("top.a"), "Rows [1]", &row1), 1);
    EXPECT_EQ(Xeq_Topo_Child_Get(rows, 0, 1), row1);
    EXPECT_EQ(Xeq_Topo_Child_Get(rows, 0, 2), 0u);
    EXPECT_EQ(Xeq_Topo_Child_Get(rows, 0, -1), 0u);
    EXPECT_EQ(Xeq_Topo_Child_Get(rows, 1, 0), 0u) << "kind 0 only";
    EXPECT_EQ(Xeq_Topo_Child_Get(row1, 0, 0), 0u) << "a row has no rows";
}

TEST(CompoundObjects, SetFromAHandleCopiesTheRows) {
    ModelFixture m(kNetwork);
    const XeqT_Obj_Handle a = m.obj("top.a"), b = m.obj("top.b");
    XeqT_Obj_Handle rows = 0;
    ASSERT_EQ(Xeq_Obj_Attr_Get(a, "Rows", &rows), 1);
    EXPECT_EQ(Xeq_Obj_Attr_Set(b, "Rows", rows), 1);
    EXPECT_EQ(Xeq_Obj_Attr_Set(b, "Copy", rows), 1) << "a missing compound is created";
    Xeq_Obj_Attr_Set(a, "Rows [0].Cost", 5);
    int cost = 0, count = 0;
    ASSERT_EQ(Xeq_Obj_Attr_Get(b, "Rows.count", &count), 1);
    EXPECT_EQ(count, 2);
    ASSERT_EQ(Xeq_Obj_Attr_Get(b, "Copy [1].Cost", &cost), 1);
    EXPECT_EQ(cost, 2);
    ASSERT_EQ(Xeq_Obj_Attr_Get(b, "Rows [0].Cost", &cost), 1);
    EXPECT_EQ(cost, 1) << "a copy, not shared rows";
    EXPECT_EQ(Xeq_Obj_Attr_Set(a, "Rows", rows), 1) << "its own compound leaves it as it is";
    ASSERT_EQ(Xeq_Obj_Attr_Get(a, "Rows [0].Cost", &cost), 1);
    EXPECT_EQ(cost, 5);
    EXPECT_EQ(Xeq_Obj_Attr_Set(b, "Scalar", rows), 0) << "a scalar is not replaced by rows";
    XeqT_Obj_Handle row = 0;
    ASSERT_EQ(Xeq_Obj_Attr_Get(a, "Rows [0]", &row), 1);
    EXPECT_EQ(Xeq_Obj_Attr_Set(b, "Rows", row), 0) << "a row is not a compound";
    // A compound set from one of its own inner rows' compounds must not
    // read freed rows.
    EXPECT_EQ(Xeq_Obj_Attr_Set(b, "Rows [0].Inner.count", 1), 1);
    XeqT_Obj_Handle inner = 0;
    ASSERT_EQ(Xeq_Obj_Attr_Get(b, "Rows [0].Inner", &inner), 1);
    EXPECT_EQ(Xeq_Obj_Attr_Set(b, "Rows", inner), 1);
    ASSERT_EQ(Xeq_Obj_Attr_Get(b, "Rows.count", &count), 1);
    EXPECT_EQ(count, 1);
}

TEST(Names, ANameAnotherObjectHoldsLeavesBothHierarchicalNames) {
    ModelFixture m(kNetwork);
    const XeqT_Obj_Handle b = m.obj("top.b"), c = m.obj("top.c");
    EXPECT_EQ(Xeq_Obj_Attr_Set(c, "name", "b"), 1);
    EXPECT_EQ(Xeq_Obj_Attr_Set_From_Obj_Attr(c, "name", b, "name"), 1);
    EXPECT_EQ(Xeq_Obj_From_Hname_Get(m.model(), "top.b"), b);
    EXPECT_STREQ(Xeq_Obj_Hname_Get(c, 0), "top.c");
    // So the model still reads back.
    char error[256] = "";
    XeqT_Model_Handle again = Xeq_Host_Model_Parse(Xeq_Host_Model_Text_Get(m.model()), "again", error, sizeof error);
    EXPECT_NE(again, nullptr) << error;
    Xeq_Host_Model_Close(again);
}

TEST(Catalogue, NamesAndTypeCodes) {
    ModelFixture m(kNetwork);
    const XeqT_Obj_Handle a = m.obj("top.a");
    QovT_Ll_Desc list;
    kpl_list_init(&list);
    ASSERT_EQ(Xeq_Obj_Attr_Names_Get(a, &list), 7);
    std::vector<std::string> names;
    while (kpl_list_size(&list) > 0) {
        char* name = static_cast<char*>(kpl_list_remove(&list, KPLC_LISTPOS_HEAD));
        names.emplace_back(name);
        kpl_mem_free(name);
    }
    kpl_list_free(&list);
    EXPECT_EQ(names, (std::vector<std::string>{"Count", "Level", "Ratio", "Label", "Up", "Rows", "name"}));
    const std::pair<const char*, int> codes[] = {
        {"Count", XEQC_ATTR_TYPE_INTEGER}, {"Level", XEQC_ATTR_TYPE_CODE32},
        {"Ratio", XEQC_ATTR_TYPE_DOUBLE},  {"Label", XEQC_ATTR_TYPE_TEXT},
        {"Up", XEQC_ATTR_TYPE_TOGGLE},     {"Rows", XEQC_ATTR_TYPE_COMPOUND},
        {"Rows [0].Cost", XEQC_ATTR_TYPE_INTEGER}, {"Missing", -1},
        {"Rows.count", -1},
    };
    for (const auto& [name, code] : codes) EXPECT_EQ(Xeq_Obj_Attr_Type_Get(a, name), code) << name;
    EXPECT_EQ(Xeq_Obj_Attr_Count_Get(a), 7);
    EXPECT_EQ(Xeq_Obj_Attr_Count_Get(0), 0);
    char name[8];
    ASSERT_EQ(Xeq_Obj_Attr_Desc_Nth_Get(a, 5, name), 1);
    EXPECT_STREQ(name, "Rows");
    EXPECT_EQ(Xeq_Obj_Attr_Desc_Nth_Get(a, 7, name), 0);
    EXPECT_EQ(Xeq_Obj_Attr_Desc_Nth_Get(a, -1, name), 0);
    char tiny[5];
    EXPECT_EQ(Xeq_Obj_Attr_Desc_Nth_Get(a, 0, tiny), 0) << "\"Count\" does not fit and is not cut";
}

} // namespace
