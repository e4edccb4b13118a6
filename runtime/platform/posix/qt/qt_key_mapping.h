// Turns what the toolkit reports about a key into the virtual-key code that a Windows keyboard
// reports for it.
#pragma once

#include <cstdint>

namespace kd508::platform::qt {

// What the toolkit tells about one key event.
struct ToolkitKey {
    int key = 0;                      // Qt::Key
    std::uint32_t native_scan_code = 0;  // the X server's key code, 0 when unknown
    bool keypad = false;              // Qt::KeypadModifier was set
};

// The Windows virtual-key code of the key, 0 when it has none.
unsigned windows_virtual_key(const ToolkitKey& key);

}  // namespace kd508::platform::qt
