// Attribute semantics: typed reads and writes, bounded texts, creation of
// missing leaves, row counts with templates, symbols, and copies between
// objects.
#include <gtest/gtest.h>

#include <string>

#include "model_fixture.hpp"
#include "xeqed.h"

namespace {

const char* const kPairModel = R"({
  "format": "xeq-model", "version": 1, "name": "pair",
  "objects": [
    {"name": "top.a", "type": "node", "attributes": {
      "Count": 7, "Ratio": 2.5, "Label": "alpha", "Whole": 30.0,
      "Rows": {"type": "compound", "template": {"Action": "Permit", "Cost": 1},
               "rows": [{"Action": "Deny", "Cost": 5}]},
      "Mode": {"type": "text", "value": "Fast", "symbols": {"Fast": "Fast", "Slow": "Slow"}},
      "Level": {"type": "integer", "value": 2, "symbols": {"Low": 1, "High": 2}}
    }},
    {"name": "top.b", "type": "node", "attributes": {"Count": 0, "Rows": []}}
  ]})";

TEST(AttrRead, ConvertsBetweenKindsOnlyWhenExact) {
    ModelFixture m(kPairModel);
    const XeqT_Obj_Handle a = m.obj("top.a");
    int n = -1;
    double d = -1;
    EXPECT_EQ(Xeq_Obj_Attr_Get(a, "Whole", &n), 1);
    EXPECT_EQ(n, 30);
    EXPECT_EQ(Xeq_Obj_Attr_Get(a, "Ratio", &n), 0) << "2.5 is not an integer";
    EXPECT_EQ(Xeq_Obj_Attr_Get(a, "Count", &d), 1);
    EXPECT_EQ(d, 7.0);
    EXPECT_EQ(Xeq_Obj_Attr_Get(a, "Label", &n), 0);
    EXPECT_EQ(n, 30) << "a failed read leaves the output alone";
    EXPECT_EQ(Xeq_Obj_Attr_Get(a, "Rows", &n), 0) << "a compound is not a number";
}

TEST(AttrRead, CompoundsAndRowsReadAsObjects) {
    ModelFixture m(kPairModel);
    const XeqT_Obj_Handle a = m.obj("top.a");
    XeqT_Obj_Handle compound = 0, row = 0;
    ASSERT_EQ(Xeq_Obj_Attr_Get(a, "Rows", &compound), 1);
    EXPECT_EQ(Xeq_Obj_Type_Get(compound), XEQC_OBJ_COMPOUND_ATTR);
    ASSERT_EQ(Xeq_Obj_Attr_Get(a, "Rows [0]", &row), 1);
    EXPECT_EQ(Xeq_Obj_Type_Get(row), XEQC_OBJ_ATTR_ROW);
    char action[16];
    EXPECT_EQ(Xeq_Obj_Attr_Get_As_String(row, "Action", action), 1);
    EXPECT_STREQ(action, "Deny");
    EXPECT_STREQ(Xeq_Obj_Hname_Get(row, 0), "top.a.Rows [0]");
    XeqT_Obj_List rows = Xeq_Obj_List_Create();
    EXPECT_EQ(Xeq_Topo_Child_List_Get(compound, XEQC_OBJ_ATTR_ROW, rows), 1);
    EXPECT_EQ(Xeq_Obj_List_Object_Get(rows, 0), row);
    Xeq_Obj_List_Destroy(rows);
}

TEST(AttrRead, TextIsCutToTheCallersBuffer) {
    ModelFixture m(kPairModel);
    char small[4] = "xyz";
    EXPECT_EQ(Xeq_Obj_Attr_Get(m.obj("top.a"), "Label", small), 1);
    EXPECT_STREQ(small, "alp");
    char symbol[3];
    EXPECT_EQ(Xeq_Obj_Attr_Symbol_Get(m.obj("top.a"), "Level", symbol), 1);
    EXPECT_STREQ(symbol, "Hi");
}

TEST(AttrWrite, ConvertsToTheAttributesKindOrFails) {
    ModelFixture m(kPairModel);
    const XeqT_Obj_Handle a = m.obj("top.a");
    char text[32];
    EXPECT_EQ(Xeq_Obj_Attr_Set(a, "Label", 42), 1);
    Xeq_Obj_Attr_Get(a, "Label", text);
    EXPECT_STREQ(text, "42");
    EXPECT_EQ(Xeq_Obj_Attr_Set(a, "Count", "12"), 1);
    int n = 0;
    Xeq_Obj_Attr_Get(a, "Count", &n);
    EXPECT_EQ(n, 12);
    EXPECT_EQ(Xeq_Obj_Attr_Set(a, "Count", "twelve"), 0);
    Xeq_Obj_Attr_Get(a, "Count", &n);
    EXPECT_EQ(n, 12) << "a failed write leaves the value";
    EXPECT_EQ(Xeq_Obj_Attr_Set(a, "Rows", 3), 0) << "a compound takes only .count";
    EXPECT_EQ(Xeq_Obj_Attr_Set(a, "Rows [0]", 3), 0);
}

TEST(AttrWrite, CreatesMissingLeavesOnlyInExistingRows) {
    ModelFixture m(kPairModel);
    const XeqT_Obj_Handle a = m.obj("top.a");
    EXPECT_EQ(Xeq_Obj_Attr_Set(a, "Rows [0].Note", "new"), 1);
    EXPECT_EQ(Xeq_Obj_Attr_Exists(a, "Rows [0].Note"), 1);
    EXPECT_EQ(Xeq_Obj_Attr_Set(a, "Rows [3].Note", "lost"), 0);
    EXPECT_EQ(Xeq_Obj_Attr_Set(a, "Missing.Note", "lost"), 0);
    EXPECT_EQ(Xeq_Obj_Attr_Set(a, "Added.count", 2), 1) << ".count creates a compound";
    EXPECT_EQ(Xeq_Obj_Attr_Exists(a, "Added [1]"), 1);
}

TEST(AttrWrite, CountGrowsFromTheTemplateAndShrinkInvalidatesRows) {
    ModelFixture m(kPairModel);
    const XeqT_Obj_Handle a = m.obj("top.a");
    ASSERT_EQ(Xeq_Obj_Attr_Set(a, "Rows.count", 3), 1);
    char action[16];
    Xeq_Obj_Attr_Get(a, "Rows [0].Action", action);
    EXPECT_STREQ(action, "Deny") << "existing rows stay";
    Xeq_Obj_Attr_Get(a, "Rows [2].Action", action);
    EXPECT_STREQ(action, "Permit") << "new rows copy the template";
    XeqT_Obj_Handle row2 = 0;
    Xeq_Obj_Attr_Get(a, "Rows [2]", &row2);
    ASSERT_EQ(Xeq_Obj_Attr_Set(a, "Rows.count", 1), 1);
    EXPECT_NE(Xeq_Obj_Invalid(row2), 0) << "a removed row's handle no longer resolves";
    EXPECT_EQ(Xeq_Obj_Attr_Get_As_String(row2, "Action", action), 0);
    EXPECT_EQ(Xeq_Obj_Attr_Set(a, "Rows.count", -1), 0);
    EXPECT_EQ(Xeq_Obj_Attr_Set(a, "Rows.count", 1 << 30), 0) << "absurd counts are refused";
}

struct SymbolCase {
    const char* path;
    const char* set; // null: only read
    int set_result;
    const char* symbol_after; // null: holds no symbol, only a value
};

const SymbolCase kSymbolCases[] = {
    {"Level", nullptr, 0, "High"},
    {"Level", "Low", 1, "Low"},
    {"Level", "7", 1, nullptr},        // a number without a symbol
    {"Level", "Medium", 0, "High"},    // neither a symbol nor a number
    {"Mode", "Slow", 1, "Slow"},
    {"Label", "beta", 1, nullptr},     // free text takes any symbol, as a value
    {"Rows", nullptr, 0, nullptr},     // rows that match no symbol
    {"Rows", "None", 1, "None"},
    {"Rows", "Some", 0, nullptr},
    {"Brand New", "None", 1, "None"},  // an empty compound
    {"Other New", "Next Term", 1, nullptr}, // a new text holding it as a value
};

void PrintTo(const SymbolCase& c, std::ostream* os) {
    *os << c.path << " <- " << (c.set ? c.set : "(read)");
}

class AttrSymbol : public ::testing::TestWithParam<SymbolCase> {};

TEST_P(AttrSymbol, SetsAndReads) {
    ModelFixture m(kPairModel);
    const SymbolCase& c = GetParam();
    const XeqT_Obj_Handle a = m.obj("top.a");
    if (c.set) {
        EXPECT_EQ(Xeq_Obj_Attr_Symbol_Set(a, c.path, c.set), c.set_result);
    }
    char symbol[XEQC_SYMBOL_SIZE];
    ASSERT_EQ(Xeq_Obj_Attr_Symbol_Get(a, c.path, symbol), c.symbol_after ? 1 : 0);
    if (c.symbol_after) {
        EXPECT_STREQ(symbol, c.symbol_after);
    }
}

INSTANTIATE_TEST_SUITE_P(Symbols, AttrSymbol, ::testing::ValuesIn(kSymbolCases));

TEST(AttrCopy, CopiesKindValueAndRowsIndependently) {
    ModelFixture m(kPairModel);
    const XeqT_Obj_Handle a = m.obj("top.a"), b = m.obj("top.b");
    ASSERT_EQ(Xeq_Obj_Attr_Set_From_Obj_Attr(b, "Count", a, "Ratio"), 1);
    double d = 0;
    EXPECT_EQ(Xeq_Obj_Attr_Get(b, "Count", &d), 1);
    EXPECT_EQ(d, 2.5) << "the target takes the source's kind";
    ASSERT_EQ(Xeq_Obj_Attr_Set_From_Obj_Attr(b, "Rows", a, "Rows"), 1);
    XeqT_Obj_Handle copied_row = 0;
    Xeq_Obj_Attr_Get(b, "Rows [0]", &copied_row);
    EXPECT_STREQ(Xeq_Obj_Hname_Get(copied_row, 0), "top.b.Rows [0]");
    Xeq_Obj_Attr_Set(b, "Rows [0].Action", "Changed");
    char action[16];
    Xeq_Obj_Attr_Get(a, "Rows [0].Action", action);
    EXPECT_STREQ(action, "Deny") << "rows are copied, not shared";
    ASSERT_EQ(Xeq_Obj_Attr_Set_From_Obj_Attr(b, "Level Copy", a, "Level"), 1);
    char symbol[16];
    Xeq_Obj_Attr_Symbol_Get(b, "Level Copy", symbol);
    EXPECT_STREQ(symbol, "High") << "symbols travel with the value";
    EXPECT_EQ(Xeq_Obj_Attr_Set_From_Obj_Attr(b, "X", a, "Nothing"), 0);
    EXPECT_EQ(Xeq_Obj_Attr_Exists(b, "X"), 0);
    ASSERT_EQ(Xeq_Obj_Attr_Set_From_Obj_Attr(a, "Rows [0].Cost", a, "Count"), 1) << "within one object";
    int cost = 0;
    Xeq_Obj_Attr_Get(a, "Rows [0].Cost", &cost);
    EXPECT_EQ(cost, 7);
}

TEST(AttrWrite, NameAttributeRenamesTheObject) {
    ModelFixture m(kPairModel);
    const XeqT_Obj_Handle a = m.obj("top.a");
    ASSERT_EQ(Xeq_Obj_Attr_Set(a, "name", "renamed"), 1);
    EXPECT_STREQ(Xeq_Obj_Hname_Get(a, 0), "top.renamed");
    EXPECT_EQ(Xeq_Obj_From_Hname_Get(m.model(), "top.renamed"), a);
    EXPECT_EQ(Xeq_Obj_From_Hname_Get(m.model(), "top.a"), 0u);
}

} // namespace
