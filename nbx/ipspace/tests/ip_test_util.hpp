// Address helpers shared by the IP space tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kpllib.h"

inline KplT_IP_Address ip(const char* address, const char* mask = "255.255.255.255") {
    KplT_IP_Address out{};
    EXPECT_EQ(kpl_ip_address_parse(address, mask, &out), 1) << address << " " << mask;
    return out;
}

inline std::string dotted(std::uint32_t value) {
    char text[KPLC_IP_ADDRESS_TEXT_SIZE];
    kpl_ip_address_value_to_string(value, text);
    return text;
}
