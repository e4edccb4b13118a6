#include "windows_1252.h"

#include <array>

namespace kd508::platform {

namespace {

// Bytes 0x80 to 0x9F, in order. The zeros are the undefined positions (0x81, 0x8D, 0x8F, 0x90,
// 0x9D), which map to their own value.
constexpr std::array<char32_t, 32> code_page_upper_controls = {
    U'\u20AC', 0,         U'\u201A', U'\u0192', U'\u201E', U'\u2026', U'\u2020', U'\u2021',
    U'\u02C6', U'\u2030', U'\u0160', U'\u2039', U'\u0152', 0,         U'\u017D', 0,
    0,         U'\u2018', U'\u2019', U'\u201C', U'\u201D', U'\u2022', U'\u2013', U'\u2014',
    U'\u02DC', U'\u2122', U'\u0161', U'\u203A', U'\u0153', 0,         U'\u017E', U'\u0178',
};

constexpr unsigned first_table_byte = 0x80;
constexpr char32_t last_8_bit_code = 0xFF;

}  // namespace

char32_t unicode_from_windows_1252(unsigned char byte) {
    if (byte >= first_table_byte && byte < first_table_byte + code_page_upper_controls.size()) {
        const char32_t mapped = code_page_upper_controls[byte - first_table_byte];
        if (mapped != 0) return mapped;
    }
    return byte;
}

int windows_1252_from_unicode(char32_t code_point) {
    for (unsigned byte = 0; byte <= last_8_bit_code; ++byte) {
        if (unicode_from_windows_1252(static_cast<unsigned char>(byte)) == code_point) return static_cast<int>(byte);
    }
    return -1;
}

}  // namespace kd508::platform
