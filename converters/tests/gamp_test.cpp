// The FDDI port attribute converter.
#include <string>

#include "conversion.hpp"

namespace {

const xeqhost::Plugin& gamp() {
    static const xeqhost::Plugin plugin(GAMP_PLUGIN);
    return plugin;
}

TEST(FddiPorts, TheFirstFormThatExistsElseTheThird) {
    struct Case {
        const char* old_attrs;
        const char* new_attrs;
        const char* path;
        const char* value;
    };
    const Case cases[] = {
        {R"("FDDI Address P2": 7)", R"("FDDI Parameters P2": [{"Address": 0}])",
         "FDDI Parameters P2[0].Address", "7"},
        {R"("FDDI Address P2": 7)", R"j("FDDI Parameters (PP2)": [{"Address": 0}], "FDDI Parameters (P2)": [{"Address": 0}])j",
         "FDDI Parameters (PP2).Address", "7"},
        {R"("FDDI Address P2": 7)", R"j("FDDI Parameters (P2)": [{"Address": 0}])j",
         "FDDI Parameters (P2).Address", "7"},
        {R"("FDDI Separate Synchronous Queueing 0": 1)",
         R"j("FDDI Parameters (P0)": [{"Separate Synchronous Queuing": 0}])j",
         "FDDI Parameters (P0).Separate Synchronous Queuing", "1"},
        // The bare keyword has no suffix for any form.
        {R"("FDDI Ring ID": 3)", R"j("FDDI Parameters (P)": [{"Ring ID": 0}])j", "FDDI Parameters (P).Ring ID", "3"},
        {R"("Ring ID 1": 3)", R"j("FDDI Parameters (P1)": [{"Ring ID": 0}])j", "FDDI Parameters (P1).Ring ID", "0"},
    };
    for (const Case& c : cases) {
        conv_test::Conversion conversion(gamp(), c.old_attrs, c.new_attrs);
        EXPECT_EQ(conversion.run("fddi_params_convert_70_to_80"), 1);
        EXPECT_EQ(conversion.text(c.path), c.value) << c.old_attrs << " / " << c.new_attrs;
    }
}

} // namespace
