// What the Qt presenter reports for keys and typed text, against what a Windows keyboard reports.
#include <gtest/gtest.h>

#include <Qt>

#include "qt/qt_key_mapping.h"
#include "qt/qt_windows_1252.h"

namespace {

using kd508::platform::qt::from_windows_1252;
using kd508::platform::qt::ToolkitKey;
using kd508::platform::qt::windows_1252_character;
using kd508::platform::qt::windows_virtual_key;

// X key codes as the server numbers the physical keys: the Linux key number plus 8.
constexpr std::uint32_t x_minus_key = 12 + 8;
constexpr std::uint32_t x_digit_1_key = 2 + 8;
constexpr std::uint32_t x_left_ctrl_key = 29 + 8;
constexpr std::uint32_t x_right_ctrl_key = 97 + 8;
constexpr std::uint32_t x_keypad_1_key = 79 + 8;
constexpr std::uint32_t x_up_key = 103 + 8;
constexpr std::uint32_t x_keypad_enter_key = 96 + 8;
constexpr std::uint32_t x_remapped_spare_key = 253;  // names no physical key

struct KeyCase {
    const char* what;
    ToolkitKey key;
    unsigned expected;
};

TEST(QtKeyMapping, GivesWindowsVirtualKeyCodes) {
    const KeyCase cases[] = {
        {"a letter, whatever Shift or Ctrl say", {Qt::Key_A, 30 + 8, false}, 'A'},
        {"a letter without a key code", {Qt::Key_Q, 0, false}, 'Q'},
        {"the minus key typing an underscore with Shift", {Qt::Key_Underscore, x_minus_key, false}, 0xBD},
        {"the 1 key typing ! with Shift", {Qt::Key_Exclam, x_digit_1_key, false}, '1'},
        {"left Ctrl", {Qt::Key_Control, x_left_ctrl_key, false}, 0x11},
        {"right Ctrl, the same generic key", {Qt::Key_Control, x_right_ctrl_key, false}, 0x11},
        {"keypad 1 with Num Lock", {Qt::Key_1, x_keypad_1_key, true}, 0x61},
        {"keypad 1 without Num Lock is End", {Qt::Key_End, x_keypad_1_key, true}, 0x23},
        {"an arrow", {Qt::Key_Up, x_up_key, false}, 0x26},
        {"keypad Enter", {Qt::Key_Enter, x_keypad_enter_key, true}, 0x0D},
        {"Enter without a key code", {Qt::Key_Return, 0, false}, 0x0D},
        {"Tab without a key code", {Qt::Key_Tab, 0, false}, 0x09},
        {"F5 without a key code", {Qt::Key_F5, 0, false}, 0x74},
        {"a digit without a key code", {Qt::Key_7, 0, false}, '7'},
        {"Escape on a remapped key", {Qt::Key_Escape, x_remapped_spare_key, false}, 0x1B},
        {"a character typed through a remapped key", {Qt::Key_Eacute, x_remapped_spare_key, false}, 0},
        {"a key Windows has no code for", {Qt::Key_LaunchMail, 0, false}, 0},
    };
    for (const KeyCase& c : cases) EXPECT_EQ(windows_virtual_key(c.key), c.expected) << c.what;
}

TEST(QtKeyMapping, TypedTextBecomesTheWindows1252Character) {
    EXPECT_EQ(windows_1252_character(QStringLiteral("a")), 'a');
    EXPECT_EQ(windows_1252_character(QString(QChar(1))), 1);  // Ctrl+A
    EXPECT_EQ(windows_1252_character(QStringLiteral("\r")), 13);
    EXPECT_EQ(windows_1252_character(QString(QChar(0xE9))), 233);  // e acute
    EXPECT_EQ(windows_1252_character(QString(QChar(0xFF))), 255);
    EXPECT_EQ(windows_1252_character(QString(QChar(0xA0))), 0xA0);
    EXPECT_EQ(windows_1252_character(QString(QChar(0x20AC))), 0x80);  // euro sign
    EXPECT_EQ(windows_1252_character(QString(QChar(0x0178))), 0x9F);  // Y diaeresis
}

TEST(QtKeyMapping, TextWithoutAWindows1252CharacterTypesNothing) {
    EXPECT_EQ(windows_1252_character(QString()), 0);
    EXPECT_EQ(windows_1252_character(QStringLiteral("ab")), 0);
    // Delete has text in the toolkit but types nothing on Windows.
    EXPECT_EQ(windows_1252_character(QString(QChar(0x7F))), 0);
    // C1 control codes are not the code page's characters 0x80 to 0x9F.
    EXPECT_EQ(windows_1252_character(QString(QChar(0x81))), 0);
    EXPECT_EQ(windows_1252_character(QString(QChar(0x0100))), 0);
    EXPECT_EQ(windows_1252_character(QString(QChar(0x4E2D))), 0);
}

TEST(QtKeyMapping, LabelsAreDecodedFromWindows1252) {
    EXPECT_EQ(from_windows_1252("&Run"), QStringLiteral("&Run"));
    EXPECT_EQ(from_windows_1252("\x80 caf\xE9"), QString(QChar(0x20AC)) + QStringLiteral(" caf") + QChar(0xE9));
    // Codes the code page leaves unassigned show as the replacement character.
    EXPECT_EQ(from_windows_1252("\x81"), QString(QChar(0xFFFD)));
}

}  // namespace
