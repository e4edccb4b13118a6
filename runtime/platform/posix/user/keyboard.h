// Keyboard state and the translation of key-downs into characters.
//
// On this layer the scan-code field of a key message's lParam (bits 16 to 23) carries the
// Windows-1252 character the key types, as the presenter reported it, 0 for none. Nothing
// reads real scan codes here, and keeping the character inside the message is what lets a
// key-down posted on from another window translate exactly as the original.
#pragma once

#include "core/platform_state.h"

namespace kd508::platform {

// Windows' virtual key for a character that no key of the layout stands for.
inline constexpr unsigned vk_packet = 0xE7;

LPARAM key_lparam(unsigned char character, bool down, bool was_down);
unsigned char key_character(LPARAM lparam);

// Input key messages update the keyboard state as they are retrieved, as Windows does.
void note_key_message(const MSG& message);
void forget_pressed_keys();

}  // namespace kd508::platform
