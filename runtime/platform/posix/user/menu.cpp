// Menus: menu bars, pop-ups and their items. The window code mirrors a window's bar to the
// presenter; this file tells it when the bar or an item in it changed.
//
// A menu is a list of items; a pop-up item holds the handle of another menu. Lookups "by
// command" walk the pop-ups depth first, the way Win32 does, so that a check mark can be set on
// an item of a pop-up through the menu bar or through the pop-up itself.
#include <algorithm>
#include <cstring>

#include "menu.h"

#include "core/platform_state.h"
#include "window.h"

using namespace kd508::platform;

namespace {

// Deeper nesting than this is refused; it also bounds every walk over the tree.
constexpr int max_menu_depth = 16;

// The flags that say what an item is, as opposed to its state.
constexpr UINT menu_state_flags = MF_GRAYED | MF_DISABLED | MF_CHECKED;

constexpr UINT item_not_found = static_cast<UINT>(-1);

Menu* find_menu(HMENU menu) { return platform_state().menus.menus.find(menu); }

bool is_popup_item(const MenuItem& item) { return (item.flags & MF_POPUP) != 0; }

// True when needle is haystack or lies somewhere below it.
bool menu_contains(HMENU haystack, HMENU needle, int depth = 0) {
    if (haystack == needle) return true;
    const Menu* menu = find_menu(haystack);
    if (!menu || depth >= max_menu_depth) return false;
    return std::any_of(menu->items.begin(), menu->items.end(), [&](const MenuItem& item) {
        return is_popup_item(item) && menu_contains(item.popup, needle, depth + 1);
    });
}

int menu_depth(HMENU root, int depth = 0) {
    const Menu* menu = find_menu(root);
    if (!menu || depth >= max_menu_depth) return depth;
    int deepest = depth;
    for (const MenuItem& item : menu->items) {
        if (is_popup_item(item)) deepest = std::max(deepest, menu_depth(item.popup, depth + 1));
    }
    return deepest;
}

MenuItem* find_command_item_below(HMENU handle, UINT_PTR command, UINT excluded_flags, int depth) {
    Menu* menu = find_menu(handle);
    if (!menu || depth >= max_menu_depth) return nullptr;
    for (MenuItem& item : menu->items) {
        if (is_popup_item(item)) {
            if (MenuItem* found = find_command_item_below(item.popup, command, excluded_flags, depth + 1)) {
                return found;
            }
        } else if (item.id == command && (item.flags & excluded_flags) == 0) {
            return &item;
        }
    }
    return nullptr;
}

MenuItem* find_item(HMENU handle, UINT item, UINT flags) {
    if ((flags & MF_BYPOSITION) == 0) return find_command_item(handle, item);
    Menu* menu = find_menu(handle);
    if (!menu || item >= menu->items.size()) return nullptr;
    return &menu->items[item];
}

// Re-shows every menu bar that holds the menu, so that a changed check mark reaches the screen.
void mirror_bars_holding(HMENU changed) {
    std::vector<HWND> windows;
    platform_state().menus.menus.for_each([&](void* handle, const Menu& menu) {
        if (menu.attached_to && menu_contains(static_cast<HMENU>(handle), changed)) {
            windows.push_back(menu.attached_to);
        }
    });
    for (HWND window : windows) menu_bar_changed(window);
}

void destroy_menu_tree(HMENU handle, int depth) {
    Menu* menu = find_menu(handle);
    if (!menu) return;
    // The items are taken out before the menu goes, so nothing refers to a freed menu meanwhile.
    std::vector<MenuItem> items = std::move(menu->items);
    platform_state().menus.menus.erase(handle);
    if (depth >= max_menu_depth) return;
    for (const MenuItem& item : items) {
        if (is_popup_item(item)) destroy_menu_tree(item.popup, depth + 1);
    }
}

}  // namespace

MenuItem* kd508::platform::find_command_item(HMENU root, UINT_PTR command, UINT excluded_flags) {
    return find_command_item_below(root, command, excluded_flags, 0);
}

HMENU WINAPI CreateMenu(void) {
    return static_cast<HMENU>(platform_state().menus.menus.insert(std::make_unique<Menu>()));
}

HMENU WINAPI CreatePopupMenu(void) {
    auto menu = std::make_unique<Menu>();
    menu->is_popup = true;
    return static_cast<HMENU>(platform_state().menus.menus.insert(std::move(menu)));
}

BOOL WINAPI DestroyMenu(HMENU menu) {
    // Destroying a menu destroys its pop-ups with it, as on Windows. A window whose bar it was
    // loses the bar, rather than keeping a handle that names nothing.
    const Menu* found = find_menu(menu);
    if (!found) return FALSE;
    HWND attached_to = found->attached_to;
    destroy_menu_tree(menu, 0);
    if (Window* window = find_window(attached_to); window && window->menu == menu) {
        window->menu = nullptr;
        menu_bar_changed(attached_to);
    }
    return TRUE;
}

BOOL WINAPI AppendMenuA(HMENU handle, UINT flags, UINT_PTR id_or_popup, LPCSTR label) {
    Menu* menu = find_menu(handle);
    if (!menu) return FALSE;
    MenuItem item;
    item.flags = flags;
    if (flags & MF_POPUP) {
        const auto popup = reinterpret_cast<HMENU>(id_or_popup);
        // A pop-up that holds this menu would make the tree a loop; one too deep is refused too.
        if (!find_menu(popup) || menu_contains(popup, handle) || menu_depth(popup) + 1 >= max_menu_depth) {
            return FALSE;
        }
        item.popup = popup;
        item.id = item_not_found;
    } else {
        item.id = id_or_popup;
    }
    if ((flags & MF_SEPARATOR) == 0 && label) item.label = label;
    menu->items.push_back(std::move(item));
    // A pop-up shows its items when it opens; the mirror stands for that opening.
    if (menu->is_popup) mirror_bars_holding(handle);
    return TRUE;
}

BOOL WINAPI SetMenu(HWND handle, HMENU menu) {
    Window* window = find_window(handle);
    if (!window) return FALSE;
    Menu* bar = nullptr;
    if (menu) {
        bar = find_menu(menu);
        if (!bar) return FALSE;
    }
    if (Menu* old_bar = find_menu(window->menu)) old_bar->attached_to = nullptr;
    window->menu = menu;
    if (bar) bar->attached_to = handle;
    menu_bar_changed(handle);
    return TRUE;
}

HMENU WINAPI GetMenu(HWND handle) {
    const Window* window = find_window(handle);
    return window ? window->menu : nullptr;
}

BOOL WINAPI DrawMenuBar(HWND handle) {
    if (!find_window(handle)) return FALSE;
    menu_bar_changed(handle);
    return TRUE;
}

DWORD WINAPI CheckMenuItem(HMENU menu, UINT item_id, UINT check) {
    MenuItem* item = find_item(menu, item_id, check);
    if (!item) return static_cast<DWORD>(-1);
    const DWORD previous = item->flags & MF_CHECKED;
    if (check & MF_CHECKED) {
        item->flags |= MF_CHECKED;
    } else {
        item->flags &= ~static_cast<UINT>(MF_CHECKED);
    }
    mirror_bars_holding(menu);
    return previous;
}

int WINAPI GetMenuItemCount(HMENU handle) {
    const Menu* menu = find_menu(handle);
    return menu ? static_cast<int>(menu->items.size()) : -1;
}

UINT WINAPI GetMenuItemID(HMENU handle, int position) {
    const Menu* menu = find_menu(handle);
    if (!menu || position < 0 || static_cast<std::size_t>(position) >= menu->items.size()) return item_not_found;
    const MenuItem& item = menu->items[static_cast<std::size_t>(position)];
    return is_popup_item(item) ? item_not_found : static_cast<UINT>(item.id);
}

UINT WINAPI GetMenuState(HMENU menu, UINT item_id, UINT flags) {
    const MenuItem* item = find_item(menu, item_id, flags);
    if (!item) return item_not_found;
    if (is_popup_item(*item)) {
        // A pop-up's state carries its item count in the high byte, its flags in the low one.
        const int count = std::max(GetMenuItemCount(item->popup), 0);
        return (static_cast<UINT>(count) << 8) | ((item->flags | MF_POPUP) & 0xFF);
    }
    return item->flags & (menu_state_flags | MF_SEPARATOR | MF_POPUP);
}

int WINAPI GetMenuStringA(HMENU menu, UINT item_id, LPSTR text, int capacity, UINT flags) {
    const MenuItem* item = find_item(menu, item_id, flags);
    if (!item) return 0;
    const auto length = static_cast<int>(item->label.size());
    if (!text || capacity <= 0) return length;
    const int copied = std::min(length, capacity - 1);
    std::memcpy(text, item->label.data(), static_cast<std::size_t>(copied));
    text[copied] = '\0';
    return copied;
}

HMENU WINAPI GetSubMenu(HMENU handle, int position) {
    const Menu* menu = find_menu(handle);
    if (!menu || position < 0 || static_cast<std::size_t>(position) >= menu->items.size()) return nullptr;
    const MenuItem& item = menu->items[static_cast<std::size_t>(position)];
    return is_popup_item(item) ? item.popup : nullptr;
}
