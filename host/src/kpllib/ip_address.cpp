// IPv4 address values. Texts come from model attributes and user input, so
// parsing is strict: exactly four decimal octets, no blanks, no extra text.
#include <bit>
#include <cstdio>

#include "kpllib.h"

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Reads one to max_digits decimal digits at *text, advancing it.
bool read_number(const char*& text, int max_digits, unsigned& value) {
    value = 0;
    int digits = 0;
    while (is_digit(*text)) {
        if (++digits > max_digits) return false;
        value = value * 10 + static_cast<unsigned>(*text++ - '0');
    }
    return digits > 0;
}

// Parses "a.b.c.d" at text, leaving text on the character after the last octet.
bool parse_dotted(const char*& text, uint32_t& out) {
    uint32_t value = 0;
    for (int octet = 0; octet < 4; ++octet) {
        if (octet > 0 && *text++ != '.') return false;
        unsigned number;
        if (!read_number(text, 3, number) || number > 255) return false;
        value = value << 8 | number;
    }
    out = value;
    return true;
}

bool is_contiguous(uint32_t mask) { return (~mask & (~mask + 1)) == 0; }

uint32_t mask_of_length(unsigned length) { return length == 0 ? 0 : ~uint32_t{0} << (32 - length); }

bool parse_mask_text(const char* text, uint32_t& mask) {
    uint32_t value;
    if (!parse_dotted(text, value) || *text != '\0' || !is_contiguous(value)) return false;
    mask = value;
    return true;
}

} // namespace

extern "C" {

int kpl_ip_address_parse(const char* address_text, const char* mask_text, KplT_IP_Address* out) {
    if (address_text == nullptr || out == nullptr) return 0;
    const char* text = address_text;
    KplT_IP_Address parsed{0, 0xFFFFFFFFu};
    if (!parse_dotted(text, parsed.value)) return 0;
    const bool has_mask_text = mask_text != nullptr && *mask_text != '\0';
    if (*text == '/') {
        ++text;
        unsigned length;
        if (has_mask_text || !read_number(text, 2, length) || *text != '\0' || length > 32) return 0;
        parsed.mask = mask_of_length(length);
    } else if (*text != '\0') {
        return 0;
    } else if (has_mask_text && !parse_mask_text(mask_text, parsed.mask)) {
        return 0;
    }
    *out = parsed;
    return 1;
}

uint32_t kpl_ip_address_value_get(KplT_IP_Address address) { return address.value; }

uint32_t kpl_ip_address_mask_get(KplT_IP_Address address) { return address.mask; }

int kpl_ip_address_mask_prefix_length_compute(uint32_t mask) { return std::countl_one(mask); }

void kpl_ip_address_value_to_string(uint32_t value, char* buffer) {
    if (buffer == nullptr) return;
    std::snprintf(buffer, KPLC_IP_ADDRESS_TEXT_SIZE, "%u.%u.%u.%u", value >> 24, value >> 16 & 0xFF,
                  value >> 8 & 0xFF, value & 0xFF);
}

void kpl_ip_address_format(KplT_IP_Address address, char* address_buffer, char* mask_buffer) {
    kpl_ip_address_value_to_string(address.value, address_buffer);
    kpl_ip_address_value_to_string(address.mask, mask_buffer);
}

KplT_IP_Address kpl_ip_address_value_set(KplT_IP_Address address, uint32_t value) {
    address.value = value;
    return address;
}

KplT_IP_Address kpl_ip_address_mask_set(KplT_IP_Address address, uint32_t mask) {
    address.mask = mask;
    return address;
}

int kpl_ip_address_equal(KplT_IP_Address a, KplT_IP_Address b) {
    return a.value == b.value && a.mask == b.mask;
}

int kpl_ip_address_subnets_overlap(KplT_IP_Address a, KplT_IP_Address b) {
    // For contiguous masks the common bits are exactly the shorter mask.
    return ((a.value ^ b.value) & a.mask & b.mask) == 0;
}

} // extern "C"
