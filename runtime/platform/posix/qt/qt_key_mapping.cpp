#include "qt_key_mapping.h"

#include <array>

#include <Qt>

namespace kd508::platform::qt {
namespace {

// Windows virtual-key codes, under names of our own so that no Win32 declaration meets the
// toolkit's headers.
namespace windows_key {
constexpr unsigned back = 0x08;
constexpr unsigned tab = 0x09;
constexpr unsigned clear = 0x0C;
constexpr unsigned enter = 0x0D;
constexpr unsigned shift = 0x10;
constexpr unsigned control = 0x11;
constexpr unsigned alt = 0x12;
constexpr unsigned pause = 0x13;
constexpr unsigned caps_lock = 0x14;
constexpr unsigned escape = 0x1B;
constexpr unsigned space = 0x20;
constexpr unsigned page_up = 0x21;
constexpr unsigned page_down = 0x22;
constexpr unsigned end = 0x23;
constexpr unsigned home = 0x24;
constexpr unsigned left = 0x25;
constexpr unsigned up = 0x26;
constexpr unsigned right = 0x27;
constexpr unsigned down = 0x28;
constexpr unsigned print_screen = 0x2C;
constexpr unsigned insert = 0x2D;
constexpr unsigned delete_key = 0x2E;
constexpr unsigned digit_0 = 0x30;
constexpr unsigned letter_a = 0x41;
constexpr unsigned left_windows = 0x5B;
constexpr unsigned right_windows = 0x5C;
constexpr unsigned applications = 0x5D;
constexpr unsigned numpad_0 = 0x60;
constexpr unsigned multiply = 0x6A;
constexpr unsigned add = 0x6B;
constexpr unsigned subtract = 0x6D;
constexpr unsigned decimal = 0x6E;
constexpr unsigned divide = 0x6F;
constexpr unsigned f1 = 0x70;
constexpr unsigned num_lock = 0x90;
constexpr unsigned scroll_lock = 0x91;
constexpr unsigned oem_1 = 0xBA;       // ;:
constexpr unsigned oem_plus = 0xBB;    // =+
constexpr unsigned oem_comma = 0xBC;   // ,<
constexpr unsigned oem_minus = 0xBD;   // -_
constexpr unsigned oem_period = 0xBE;  // .>
constexpr unsigned oem_2 = 0xBF;       // /?
constexpr unsigned oem_3 = 0xC0;       // `~
constexpr unsigned oem_4 = 0xDB;       // [{
constexpr unsigned oem_5 = 0xDC;       // \|
constexpr unsigned oem_6 = 0xDD;       // ]}
constexpr unsigned oem_7 = 0xDE;       // '"
constexpr unsigned oem_102 = 0xE2;     // the extra key beside left Shift on 105-key boards
}  // namespace windows_key

struct KeyCodeRow {
    std::uint32_t linux_key_code;
    unsigned virtual_key;
};

// The X server numbers keys as the Linux input layer does, plus 8. In the main key block the
// Linux number is the PC scan code, which names the physical key whatever Shift says; that is
// what Windows derives its virtual-key codes from too. Keypad digits are left to the caller,
// because Num Lock decides between a digit and a cursor key.
constexpr std::uint32_t x_key_code_offset = 8;
constexpr std::array key_code_table{
    KeyCodeRow{1, windows_key::escape},
    KeyCodeRow{2, windows_key::digit_0 + 1},
    KeyCodeRow{3, windows_key::digit_0 + 2},
    KeyCodeRow{4, windows_key::digit_0 + 3},
    KeyCodeRow{5, windows_key::digit_0 + 4},
    KeyCodeRow{6, windows_key::digit_0 + 5},
    KeyCodeRow{7, windows_key::digit_0 + 6},
    KeyCodeRow{8, windows_key::digit_0 + 7},
    KeyCodeRow{9, windows_key::digit_0 + 8},
    KeyCodeRow{10, windows_key::digit_0 + 9},
    KeyCodeRow{11, windows_key::digit_0},
    KeyCodeRow{12, windows_key::oem_minus},
    KeyCodeRow{13, windows_key::oem_plus},
    KeyCodeRow{14, windows_key::back},
    KeyCodeRow{15, windows_key::tab},
    KeyCodeRow{26, windows_key::oem_4},
    KeyCodeRow{27, windows_key::oem_6},
    KeyCodeRow{28, windows_key::enter},
    KeyCodeRow{29, windows_key::control},  // left Ctrl
    KeyCodeRow{39, windows_key::oem_1},
    KeyCodeRow{40, windows_key::oem_7},
    KeyCodeRow{41, windows_key::oem_3},
    KeyCodeRow{42, windows_key::shift},  // left Shift
    KeyCodeRow{43, windows_key::oem_5},
    KeyCodeRow{51, windows_key::oem_comma},
    KeyCodeRow{52, windows_key::oem_period},
    KeyCodeRow{53, windows_key::oem_2},
    KeyCodeRow{54, windows_key::shift},  // right Shift
    KeyCodeRow{55, windows_key::multiply},
    KeyCodeRow{56, windows_key::alt},  // left Alt
    KeyCodeRow{57, windows_key::space},
    KeyCodeRow{58, windows_key::caps_lock},
    KeyCodeRow{59, windows_key::f1},
    KeyCodeRow{60, windows_key::f1 + 1},
    KeyCodeRow{61, windows_key::f1 + 2},
    KeyCodeRow{62, windows_key::f1 + 3},
    KeyCodeRow{63, windows_key::f1 + 4},
    KeyCodeRow{64, windows_key::f1 + 5},
    KeyCodeRow{65, windows_key::f1 + 6},
    KeyCodeRow{66, windows_key::f1 + 7},
    KeyCodeRow{67, windows_key::f1 + 8},
    KeyCodeRow{68, windows_key::f1 + 9},
    KeyCodeRow{69, windows_key::num_lock},
    KeyCodeRow{70, windows_key::scroll_lock},
    KeyCodeRow{71, windows_key::home},       // keypad 7 without Num Lock
    KeyCodeRow{72, windows_key::up},         // keypad 8
    KeyCodeRow{73, windows_key::page_up},    // keypad 9
    KeyCodeRow{74, windows_key::subtract},
    KeyCodeRow{75, windows_key::left},       // keypad 4
    KeyCodeRow{76, windows_key::clear},      // keypad 5
    KeyCodeRow{77, windows_key::right},      // keypad 6
    KeyCodeRow{78, windows_key::add},
    KeyCodeRow{79, windows_key::end},        // keypad 1
    KeyCodeRow{80, windows_key::down},       // keypad 2
    KeyCodeRow{81, windows_key::page_down},  // keypad 3
    KeyCodeRow{82, windows_key::insert},     // keypad 0
    KeyCodeRow{83, windows_key::delete_key}, // keypad .
    KeyCodeRow{86, windows_key::oem_102},
    KeyCodeRow{87, windows_key::f1 + 10},
    KeyCodeRow{88, windows_key::f1 + 11},
    KeyCodeRow{96, windows_key::enter},  // keypad Enter
    KeyCodeRow{97, windows_key::control},  // right Ctrl
    KeyCodeRow{98, windows_key::divide},
    KeyCodeRow{99, windows_key::print_screen},
    KeyCodeRow{100, windows_key::alt},  // right Alt
    KeyCodeRow{102, windows_key::home},
    KeyCodeRow{103, windows_key::up},
    KeyCodeRow{104, windows_key::page_up},
    KeyCodeRow{105, windows_key::left},
    KeyCodeRow{106, windows_key::right},
    KeyCodeRow{107, windows_key::end},
    KeyCodeRow{108, windows_key::down},
    KeyCodeRow{109, windows_key::page_down},
    KeyCodeRow{110, windows_key::insert},
    KeyCodeRow{111, windows_key::delete_key},
    KeyCodeRow{119, windows_key::pause},
    KeyCodeRow{125, windows_key::left_windows},
    KeyCodeRow{126, windows_key::right_windows},
    KeyCodeRow{127, windows_key::applications},
};

struct ToolkitKeyRow {
    int qt_key;
    unsigned virtual_key;
};

// For keys that come without a usable key code: the offscreen platform sends none, and a
// character typed through a temporarily remapped key has a code that names no physical key.
// Only keys whose meaning does not depend on the keyboard layout are listed.
constexpr std::array toolkit_key_table{
    ToolkitKeyRow{Qt::Key_Backspace, windows_key::back},
    ToolkitKeyRow{Qt::Key_Tab, windows_key::tab},
    ToolkitKeyRow{Qt::Key_Backtab, windows_key::tab},
    ToolkitKeyRow{Qt::Key_Return, windows_key::enter},
    ToolkitKeyRow{Qt::Key_Enter, windows_key::enter},
    ToolkitKeyRow{Qt::Key_Shift, windows_key::shift},
    ToolkitKeyRow{Qt::Key_Control, windows_key::control},
    ToolkitKeyRow{Qt::Key_Alt, windows_key::alt},
    ToolkitKeyRow{Qt::Key_Pause, windows_key::pause},
    ToolkitKeyRow{Qt::Key_CapsLock, windows_key::caps_lock},
    ToolkitKeyRow{Qt::Key_Escape, windows_key::escape},
    ToolkitKeyRow{Qt::Key_Space, windows_key::space},
    ToolkitKeyRow{Qt::Key_PageUp, windows_key::page_up},
    ToolkitKeyRow{Qt::Key_PageDown, windows_key::page_down},
    ToolkitKeyRow{Qt::Key_End, windows_key::end},
    ToolkitKeyRow{Qt::Key_Home, windows_key::home},
    ToolkitKeyRow{Qt::Key_Left, windows_key::left},
    ToolkitKeyRow{Qt::Key_Up, windows_key::up},
    ToolkitKeyRow{Qt::Key_Right, windows_key::right},
    ToolkitKeyRow{Qt::Key_Down, windows_key::down},
    ToolkitKeyRow{Qt::Key_Insert, windows_key::insert},
    ToolkitKeyRow{Qt::Key_Delete, windows_key::delete_key},
    ToolkitKeyRow{Qt::Key_NumLock, windows_key::num_lock},
    ToolkitKeyRow{Qt::Key_ScrollLock, windows_key::scroll_lock},
};

}  // namespace

unsigned windows_virtual_key(const ToolkitKey& key) {
    if (key.key >= Qt::Key_A && key.key <= Qt::Key_Z)
        return windows_key::letter_a + static_cast<unsigned>(key.key - Qt::Key_A);
    if (key.keypad && key.key >= Qt::Key_0 && key.key <= Qt::Key_9)
        return windows_key::numpad_0 + static_cast<unsigned>(key.key - Qt::Key_0);
    if (key.keypad && key.key == Qt::Key_Period)
        return windows_key::decimal;

    if (key.native_scan_code > x_key_code_offset) {
        const std::uint32_t linux_key_code = key.native_scan_code - x_key_code_offset;
        for (const KeyCodeRow& row : key_code_table)
            if (row.linux_key_code == linux_key_code) return row.virtual_key;
    }
    for (const ToolkitKeyRow& row : toolkit_key_table)
        if (row.qt_key == key.key) return row.virtual_key;
    if (key.key >= Qt::Key_F1 && key.key <= Qt::Key_F24)
        return windows_key::f1 + static_cast<unsigned>(key.key - Qt::Key_F1);
    if (key.key >= Qt::Key_0 && key.key <= Qt::Key_9)
        return windows_key::digit_0 + static_cast<unsigned>(key.key - Qt::Key_0);
    return 0;
}

}  // namespace kd508::platform::qt
