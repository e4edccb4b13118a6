#include "qt_windows_1252.h"

#include "core/windows_1252.h"

namespace kd508::platform::qt {

namespace {

constexpr char16_t ascii_delete = 0x7F;
constexpr char16_t replacement_character = 0xFFFD;

// The five bytes the code page leaves unassigned decode to C1 control codes, which nobody types
// and no label should show.
bool is_c1_control(char32_t code_point) { return code_point >= 0x80 && code_point < 0xA0; }

}  // namespace

unsigned char windows_1252_character(const QString& text) {
    if (text.size() != 1) return 0;
    const char16_t code_point = text.at(0).unicode();
    // Delete types nothing on Windows.
    if (code_point == ascii_delete || is_c1_control(code_point)) return 0;
    const int byte = windows_1252_from_unicode(code_point);
    return byte < 0 ? 0 : static_cast<unsigned char>(byte);
}

QString from_windows_1252(const std::string& text) {
    QString result;
    result.reserve(static_cast<qsizetype>(text.size()));
    for (const char byte : text) {
        const char32_t code_point = unicode_from_windows_1252(static_cast<unsigned char>(byte));
        result.append(QChar(is_c1_control(code_point) ? replacement_character : static_cast<char16_t>(code_point)));
    }
    return result;
}

}  // namespace kd508::platform::qt
