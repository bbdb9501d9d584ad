// The plug-in as the editor loads it: its initialiser registers the
// reachability client state after the IP space's, and the handlers the host
// calls are those of this part.
#include <gtest/gtest.h>

#include "plugin_loader.hpp"
#include "xeqed.h"

namespace {

TEST(NbxPlugin, InitialiserRegistersTheRoutingTablesState) {
    const xeqhost::Plugin nbx(NBX_PLUGIN);
    ASSERT_EQ(Xeq_Client_State_By_Name_Get("(RA) Global Routing Tables"), -1);
    nbx.function<void (*)()>("nbx_xeq_init")();
    const int ip_space = Xeq_Client_State_By_Name_Get("(NBX) Network IP Space");
    const int routing = Xeq_Client_State_By_Name_Get("(RA) Global Routing Tables");
    ASSERT_GE(ip_space, 0);
    EXPECT_GT(routing, ip_space); // registered second

    // Nothing is kept in or read from the model file; a copy starts empty.
    EXPECT_EQ(nbx.function<void* (*)(void*)>("ra_grt_copy_create")(nullptr), nullptr);
    EXPECT_EQ(nbx.function<void* (*)(void*)>("ra_grt_read")(nullptr), nullptr);
    EXPECT_EQ(nbx.function<int (*)(void*, void*)>("ra_grt_write")(nullptr, nullptr), 0);
}

} // namespace
