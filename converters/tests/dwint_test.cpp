// The token ring port attribute converter.
#include <string>

#include "conversion.hpp"

namespace {

const xeqhost::Plugin& dwint() {
    static const xeqhost::Plugin plugin(DWINT_PLUGIN);
    return plugin;
}

struct PortCase {
    const char* old_attrs;
    const char* new_attrs;
    const char* path;  // where the old value must be
    const char* value;
};

TEST(TokenRingPorts, EachOldAttributeFindsItsPortField) {
    const std::string long_name = "Token Ring Address" + std::string(600, 'x');
    const PortCase cases[] = {
        // A bare keyword: the indexed form when it exists, else "(P)".
        {R"("Token Ring Address": 11)",
         R"j("Token Ring Parameters": [{"Address": 0}], "Token Ring Parameters (P)": [{"Address": 0}])j",
         "Token Ring Parameters[0].Address", "11"},
        {R"("Token Ring Address": 11)", R"j("Token Ring Parameters (P)": [{"Address": 0}])j",
         "Token Ring Parameters (P).Address", "11"},
        {R"("Token Ring Address 1": 12)", R"("Token Ring Parameters 1": [{"Address": 0}])",
         "Token Ring Parameters 1[0].Address", "12"},
        {R"("Token Ring Address 1": 12)", R"j("Token Ring Parameters (P1)": [{"Address": 0}])j",
         "Token Ring Parameters (P1).Address", "12"},
        // One character past the keyword: nothing is left for the named form.
        {R"("Token Ring Address1": 13)", R"j("Token Ring Parameters (P)": [{"Address": 0}])j",
         "Token Ring Parameters (P).Address", "13"},
        // Two old names for one field.
        {R"("Token Ring Identifier 2": 5)", R"j("Token Ring Parameters (P2)": [{"Ring ID": 0}])j",
         "Token Ring Parameters (P2).Ring ID", "5"},
        {R"("Token Ring Operation Mode 0": "Active")",
         R"j("Token Ring Parameters (P0)": [{"Operational Mode": "Off"}])j",
         "Token Ring Parameters (P0).Operational Mode", "Active"},
        // No keyword: copied nowhere.
        {R"("Ring Address 1": 14)", R"j("Token Ring Parameters (P1)": [{"Address": 0}])j",
         "Token Ring Parameters (P1).Address", "0"},
    };
    for (const PortCase& c : cases) {
        conv_test::Conversion conversion(dwint(), c.old_attrs, c.new_attrs);
        EXPECT_EQ(conversion.run("tr_params_convert_70_to_80"), 1);
        EXPECT_EQ(conversion.text(c.path), c.value) << c.old_attrs << " / " << c.new_attrs;
    }
    // A name too long for a path is skipped, never cut into another path.
    conv_test::Conversion too_long(dwint(), "\"" + long_name + "\": 15",
                                   R"("Token Ring Parameters": [{"Address": 0}])");
    EXPECT_EQ(too_long.run("tr_params_convert_70_to_80"), 1);
    EXPECT_EQ(too_long.text("Token Ring Parameters[0].Address"), "0");
}

TEST(TokenRingPorts, FallbackFieldsGoToEveryMatchingAttribute) {
    const char* fields = R"([{"Promiscuous Mode": 0, "Hop Propagation Delay": 0.0}])";
    conv_test::Conversion c(dwint(), R"("Token Ring Promiscuous Mode": 1, "Token Ring Hop Propagation Delay": 0.25)",
                            std::string(R"j("Token Ring Parameters (P0)": )j") + fields +
                                R"j(, "Token Ring Parameters (P1)": )j" + fields +
                                R"(, "Other Parameters": )" + fields + R"(, "Plain": [{"Unrelated": 1}])");
    EXPECT_EQ(c.run("tr_params_convert_70_to_80"), 1);
    for (const char* port : {"Token Ring Parameters (P0)", "Token Ring Parameters (P1)"}) {
        EXPECT_EQ(c.text(std::string(port) + ".Promiscuous Mode"), "1") << port;
        EXPECT_EQ(c.text(std::string(port) + ".Hop Propagation Delay"), "0.25") << port;
    }
    EXPECT_EQ(c.text("Other Parameters.Promiscuous Mode"), "1") << "promiscuous mode takes every name";
    EXPECT_EQ(c.text("Other Parameters.Hop Propagation Delay"), "0") << "only token ring names";
    EXPECT_EQ(c.text("Plain.Promiscuous Mode"), "<missing>") << "no field is added where there is none";
}

} // namespace
