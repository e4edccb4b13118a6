#include "qt_windows_1252.h"

#include <array>

namespace kd508::platform::qt {
namespace {

// Unicode code points of the Windows-1252 characters 0x80 to 0x9F; the other 8-bit codes are
// their own code points. 0 marks the five codes that the code page leaves unassigned.
constexpr std::array<char16_t, 32> upper_control_block{
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};
constexpr char16_t upper_control_block_start = 0x80;
constexpr char16_t upper_control_block_end = 0xA0;
constexpr char16_t last_8_bit_code = 0xFF;
constexpr char16_t ascii_delete = 0x7F;
constexpr char16_t replacement_character = 0xFFFD;

}  // namespace

unsigned char windows_1252_character(const QString& text) {
    if (text.size() != 1) return 0;
    const char16_t code_point = text.at(0).unicode();
    if (code_point == ascii_delete) return 0;
    if (code_point < upper_control_block_start ||
        (code_point >= upper_control_block_end && code_point <= last_8_bit_code))
        return static_cast<unsigned char>(code_point);
    for (std::size_t i = 0; i < upper_control_block.size(); ++i)
        if (upper_control_block[i] != 0 && upper_control_block[i] == code_point)
            return static_cast<unsigned char>(upper_control_block_start + i);
    return 0;
}

QString from_windows_1252(const std::string& text) {
    QString result;
    result.reserve(static_cast<qsizetype>(text.size()));
    for (const char byte : text) {
        const auto code = static_cast<unsigned char>(byte);
        char16_t code_point = code;
        if (code >= upper_control_block_start && code < upper_control_block_end) {
            code_point = upper_control_block[code - upper_control_block_start];
            if (code_point == 0) code_point = replacement_character;
        }
        result.append(QChar(code_point));
    }
    return result;
}

}  // namespace kd508::platform::qt
