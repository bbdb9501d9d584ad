// The SIP proxy list and the read-only click handler as the attribute
// editor of `xeqhost ui` meets them, through the plug-ins' definitions.
#include <gtest/gtest.h>

#include <string>

#include "session.hpp"
#include "tool_test_support.hpp"

namespace {

using tools_test::expect_in_order;

std::string run(const char* model, const std::string& script, int* status) {
    return xeqhost::run_session({std::string(FIXTURE_DIR "/") + model, {NIRT_PLUGIN, ROQA_PLUGIN}}, script, status);
}

TEST(SipProxies, TheChoicesAreTheServingProxiesAddressesInOrderDuplicatesKept) {
    int status = -1;
    const std::string out = run("sip_proxies.json",
                                "choices top.ua SIP UAC Parameters [0].Proxy Server Address\n"
                                "edit top.ua \"SIP UAC Parameters [0].Proxy Server Address\" 10.0.0.9\n",
                                &status);
    EXPECT_EQ(status, 0) << out;
    // Not listed: a proxy not in service, one "Auto Assigned", one without an address.
    expect_in_order(out, {"top.ua: SIP UAC Parameters [0].Proxy Server Address choices: [10.0.0.3] [10.0.0.3] [10.0.0.9]\n",
                          "top.ua: SIP UAC Parameters [0].Proxy Server Address = 10.0.0.9"});
}

TEST(SipProxies, AModelWithoutProxiesHasNoChoices) {
    int status = -1;
    const std::string out = run("no_sip_proxies.json", "choices top.ua SIP UAC Parameters [0].Proxy Server Address\n", &status);
    EXPECT_EQ(status, 0) << out;
    expect_in_order(out, {"choices: none"});
}

TEST(ReadOnlyAttribute, ItsClickHandlerRefusesTheEditAndTheValueStays) {
    int status = -1;
    const std::string out = run("sip_proxies.json",
                                "edit top.p1 \"SIP Proxy Server Parameters [0].Proxy Service\" 0\n"
                                "attr top.p1 SIP Proxy Server Parameters [0].Proxy Service\n"
                                "choices top.p1 Server Address\n",
                                &status);
    EXPECT_EQ(status, 1) << out;
    expect_in_order(out, {"error: 'SIP Proxy Server Parameters [0].Proxy Service' of 'top.p1' is read-only: "
                          "it cannot be edited in place",
                          "Proxy Service = 1",
                          "error: no plug-in gives the choices of 'Server Address'"});
}

} // namespace
