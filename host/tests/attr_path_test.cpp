// The attribute path grammar, read through Xeq_Obj_Attr_Exists/Get on one
// model: every form the converters and the IP space use, and malformed
// paths, which must fail without crashing.
#include <gtest/gtest.h>

#include "model_fixture.hpp"
#include "xeqed.h"

namespace {

struct PathCase {
    const char* path;
    bool exists;
    const char* text; // expected text reading, null: must not read as text
};

const PathCase kCases[] = {
    {"BGP Parameters", true, nullptr},
    {"BGP Parameters [0].Start Time", true, "30"},
    {"BGP Parameters[0].Start Time", true, "30"},
    {"BGP Parameters.Start Time", true, "30"}, // no index: row 0
    {"BGP Parameters [0].Community Lists.count", true, "2"},
    {"BGP Parameters [0].Community Lists [1].Community list number", true, "200"},
    {"BGP Parameters [0].Community Lists[1].Community list number", true, "200"},
    {"BGP Parameters [0].Community Lists [2].Community list number", false, nullptr},
    {"BGP Parameters [0].Community Lists [1]", true, nullptr},
    {"BGP Parameters [0].Community Lists [2]", false, nullptr},
    {"BGP Parameters [0].Route Map Configuration.count", true, "0"},
    {"BGP Parameters [1].Start Time", false, nullptr},
    {"IP Routing Parameters.Interface Information [1].Address", true, "10.0.1.1"},
    {"IP Routing Parameters [0].Interface Information.count", true, "2"},
    {"model", true, "bgp_router"},
    {"name", true, "r1"},
    {"Shutdown", true, "Disabled"},
    {"Redistribution", true, "1"},
    {"model.count", false, nullptr},   // not a compound
    {"No Such Attribute", false, nullptr},
    // malformed
    {"", false, nullptr},
    {".", false, nullptr},
    {"BGP Parameters..Start Time", false, nullptr},
    {"BGP Parameters [0].", false, nullptr},
    {".BGP Parameters", false, nullptr},
    {"BGP Parameters [0", false, nullptr},
    {"BGP Parameters 0]", false, nullptr},
    {"BGP Parameters [x].Start Time", false, nullptr},
    {"BGP Parameters [-1].Start Time", false, nullptr},
    {"BGP Parameters [].Start Time", false, nullptr},
    {"BGP Parameters [0]x.Start Time", false, nullptr},
    {"BGP Parameters [99999999999999999999].Start Time", false, nullptr},
    {"BGP Parameters  [0].Start Time", false, nullptr}, // two blanks
    {"BGP Parameters [0][0].Start Time", false, nullptr},
};

void PrintTo(const PathCase& c, std::ostream* os) { *os << '"' << c.path << '"'; }

class AttrPath : public ::testing::TestWithParam<PathCase> {};

TEST_P(AttrPath, ResolvesAsExpected) {
    ModelFixture m(kRouterModel);
    const PathCase& c = GetParam();
    const XeqT_Obj_Handle r1 = m.obj("top.campus.r1");
    EXPECT_EQ(Xeq_Obj_Attr_Exists(r1, c.path), c.exists ? 1 : 0);
    char text[64] = "untouched";
    const int read = Xeq_Obj_Attr_Get(r1, c.path, text);
    if (c.text) {
        EXPECT_EQ(read, 1);
        EXPECT_STREQ(text, c.text);
    } else {
        EXPECT_EQ(read, 0);
        EXPECT_STREQ(text, "untouched");
    }
}

INSTANTIATE_TEST_SUITE_P(Grammar, AttrPath, ::testing::ValuesIn(kCases));

TEST(AttrPathNulls, NullArgumentsFail) {
    ModelFixture m(kRouterModel);
    const XeqT_Obj_Handle r1 = m.obj("top.campus.r1");
    int n = 0;
    EXPECT_EQ(Xeq_Obj_Attr_Exists(r1, nullptr), 0);
    EXPECT_EQ(Xeq_Obj_Attr_Get(r1, nullptr, &n), 0);
    EXPECT_EQ(Xeq_Obj_Attr_Value_Get(r1, "model", XEQC_VALUE_INT, nullptr, 0), 0);
    EXPECT_EQ(Xeq_Obj_Attr_Exists(0, "model"), 0);
    EXPECT_EQ(Xeq_Obj_Attr_Symbol_Set(r1, "model", nullptr), 0);
    EXPECT_EQ(Xeq_Obj_Attr_Value_Set(r1, "model", XEQC_VALUE_TEXT, nullptr), 0);
}

} // namespace
