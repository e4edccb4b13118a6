#include "keyboard.h"

#include <deque>

using namespace kd508::platform;

namespace {

KeyboardState& keyboard() { return platform_state().queue.keyboard; }

inline constexpr int character_shift = 16;
inline constexpr LPARAM previous_state_bit = LPARAM{1} << 30;
inline constexpr LPARAM transition_bit = LPARAM{1} << 31;

// Keys whose character does not come from the layout's text.
struct FixedCharacter {
    unsigned virtual_key;
    unsigned char character;
};
inline constexpr FixedCharacter fixed_characters[] = {
    {VK_RETURN, '\r'}, {VK_BACK, '\b'}, {VK_ESCAPE, 0x1B}, {VK_TAB, '\t'}, {VK_SPACE, ' '},
};

// The left and right variants also count as the generic key.
struct KeyAlias {
    unsigned specific;
    unsigned generic;
};
inline constexpr KeyAlias key_aliases[] = {
    {VK_LSHIFT, VK_SHIFT}, {VK_RSHIFT, VK_SHIFT}, {VK_LCONTROL, VK_CONTROL}, {VK_RCONTROL, VK_CONTROL},
};

bool is_down(unsigned virtual_key) { return keyboard().down[virtual_key & 0xFF]; }

}  // namespace

LPARAM kd508::platform::key_lparam(unsigned char character, bool down, bool was_down) {
    LPARAM lparam = 1 | (static_cast<LPARAM>(character) << character_shift);
    if (was_down) lparam |= previous_state_bit;
    if (!down) lparam |= previous_state_bit | transition_bit;
    return lparam;
}

unsigned char kd508::platform::key_character(LPARAM lparam) {
    return static_cast<unsigned char>((lparam >> character_shift) & 0xFF);
}

void kd508::platform::note_key_message(const MSG& message) {
    const bool down = message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN;
    const bool up = message.message == WM_KEYUP || message.message == WM_SYSKEYUP;
    if (!down && !up) return;
    const unsigned key = static_cast<unsigned>(message.wParam) & 0xFF;
    // A toggle key changes state on each press, not on the repeats of a held key.
    if (down && !keyboard().down[key]) keyboard().toggled[key] = !keyboard().toggled[key];
    keyboard().down[key] = down;
    for (const KeyAlias& alias : key_aliases) {
        if (alias.specific == key) keyboard().down[alias.generic] = down;
    }
}

void kd508::platform::forget_pressed_keys() { keyboard().down.fill(false); }

short WINAPI GetKeyState(int virtual_key) {
    const unsigned key = static_cast<unsigned>(virtual_key) & 0xFF;
    unsigned short state = 0;
    if (keyboard().down[key]) state |= 0x8000;
    if (keyboard().toggled[key]) state |= 0x0001;
    return static_cast<short>(state);
}

BOOL WINAPI TranslateMessage(const MSG* message) {
    if (!message || message->message != WM_KEYDOWN) return FALSE;
    const unsigned key = static_cast<unsigned>(message->wParam);
    const bool ctrl = is_down(VK_CONTROL);
    unsigned char character = 0;
    if (key >= 'A' && key <= 'Z') {
        // Letters follow Shift and Caps Lock; with Ctrl they become the control codes 1 to 26.
        const bool upper = is_down(VK_SHIFT) != keyboard().toggled[VK_CAPITAL];
        if (ctrl) character = static_cast<unsigned char>(key - 'A' + 1);
        else character = static_cast<unsigned char>(upper ? key : key - 'A' + 'a');
    } else {
        for (const FixedCharacter& fixed : fixed_characters) {
            if (fixed.virtual_key == key) character = fixed.character;
        }
        // Digits, punctuation and characters beyond ASCII are what the key's text says;
        // Ctrl with them types nothing.
        if (!character && !ctrl) character = key_character(message->lParam);
    }
    if (!character) return FALSE;
    MSG translated = *message;
    translated.message = WM_CHAR;
    translated.wParam = character;
    // The character comes next, ahead of anything queued after its key-down, as on Windows
    // where the posted character overtakes the input still waiting.
    platform_state().queue.posted.push_front(QueuedMessage{translated, false});
    return TRUE;
}
