// Menus of the layer, through the Win32 calls: building, lookups by command and by position,
// check marks, the bar attached to a window and what the presenter is shown of it.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "headless/headless_driver.h"
#include "user/input_sink.h"
#include "user/menu.h"
#include "user/window.h"
#include "win32_subset.h"

namespace {

using kd508::headless::Driver;

constexpr UINT not_found = static_cast<UINT>(-1);

LRESULT CALLBACK plain_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    return DefWindowProcA(window, message, wparam, lparam);
}

class Menus : public ::testing::Test {
protected:
    Menus() {
        WNDCLASSA window_class{};
        window_class.lpfnWndProc = plain_proc;
        window_class.lpszClassName = "MenuTestClass";
        RegisterClassA(&window_class);
        window = CreateWindowExA(0, "MenuTestClass", "menus", WS_OVERLAPPEDWINDOW & ~WS_THICKFRAME, 0, 0, 601, 540,
                                 nullptr, nullptr, nullptr, nullptr);

        // A bar with two pop-ups; the second holds a nested pop-up.
        bar = CreateMenu();
        file = CreatePopupMenu();
        edit = CreatePopupMenu();
        nested = CreatePopupMenu();
        AppendMenuA(file, MF_STRING, 10, "&Open");
        AppendMenuA(file, MF_SEPARATOR, 0, "ignored");
        AppendMenuA(file, MF_GRAYED, 11, "Greyed");
        AppendMenuA(nested, MF_STRING | MF_CHECKED, 30, "Deep");
        AppendMenuA(edit, MF_STRING, 20, "Cut");
        AppendMenuA(edit, MF_POPUP, reinterpret_cast<UINT_PTR>(nested), "More");
        AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
        AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), "&Edit");
    }

    Driver driver;
    HWND window = nullptr;
    HMENU bar = nullptr;
    HMENU file = nullptr;
    HMENU edit = nullptr;
    HMENU nested = nullptr;
};

TEST_F(Menus, ItemsReadBackByPositionAndByCommand) {
    EXPECT_EQ(GetMenuItemCount(bar), 2);
    EXPECT_EQ(GetMenuItemCount(file), 3);
    EXPECT_EQ(GetMenuItemCount(nullptr), -1);
    EXPECT_EQ(GetSubMenu(bar, 1), edit);
    EXPECT_EQ(GetSubMenu(file, 0), nullptr);
    EXPECT_EQ(GetSubMenu(bar, 2), nullptr);

    EXPECT_EQ(GetMenuItemID(file, 0), 10u);
    EXPECT_EQ(GetMenuItemID(bar, 0), not_found) << "pop-ups have no identifier";
    EXPECT_EQ(GetMenuItemID(file, 3), not_found);
    EXPECT_EQ(GetMenuItemID(file, -1), not_found);

    // By command, the search goes down through every pop-up.
    EXPECT_EQ(GetMenuState(bar, 30, MF_BYCOMMAND), static_cast<UINT>(MF_CHECKED));
    EXPECT_EQ(GetMenuState(bar, 11, MF_BYCOMMAND), static_cast<UINT>(MF_GRAYED));
    EXPECT_EQ(GetMenuState(file, 1, MF_BYPOSITION), static_cast<UINT>(MF_SEPARATOR));
    EXPECT_EQ(GetMenuState(bar, 1, MF_BYPOSITION), (2u << 8) | MF_POPUP) << "item count in the high byte";
    EXPECT_EQ(GetMenuState(bar, 99, MF_BYCOMMAND), not_found);

    char text[8];
    EXPECT_EQ(GetMenuStringA(bar, 10, text, sizeof text, MF_BYCOMMAND), 5);
    EXPECT_STREQ(text, "&Open");
    EXPECT_EQ(GetMenuStringA(bar, 0, text, 4, MF_BYPOSITION), 3);
    EXPECT_STREQ(text, "&Fi");
    EXPECT_EQ(GetMenuStringA(bar, 10, nullptr, 0, MF_BYCOMMAND), 5);
    EXPECT_EQ(GetMenuStringA(file, 1, text, sizeof text, MF_BYPOSITION), 0) << "a separator has no text";
    EXPECT_EQ(GetMenuStringA(bar, 99, text, sizeof text, MF_BYCOMMAND), 0);
}

TEST_F(Menus, CheckMenuItemReturnsThePreviousStateOrMinusOne) {
    EXPECT_EQ(CheckMenuItem(bar, 30, MF_BYCOMMAND | MF_UNCHECKED), static_cast<DWORD>(MF_CHECKED));
    EXPECT_EQ(CheckMenuItem(nested, 30, MF_BYCOMMAND | MF_UNCHECKED), static_cast<DWORD>(MF_UNCHECKED));
    EXPECT_EQ(CheckMenuItem(edit, 0, MF_BYPOSITION | MF_CHECKED), static_cast<DWORD>(MF_UNCHECKED));
    EXPECT_EQ(GetMenuState(bar, 20, MF_BYCOMMAND), static_cast<UINT>(MF_CHECKED));
    EXPECT_EQ(CheckMenuItem(bar, 99, MF_CHECKED), static_cast<DWORD>(-1));
    EXPECT_EQ(CheckMenuItem(nullptr, 20, MF_CHECKED), static_cast<DWORD>(-1));
    // Only the check mark changes.
    EXPECT_EQ(CheckMenuItem(bar, 11, MF_CHECKED), static_cast<DWORD>(MF_UNCHECKED));
    EXPECT_EQ(GetMenuState(bar, 11, MF_BYCOMMAND), static_cast<UINT>(MF_GRAYED | MF_CHECKED));
}

TEST_F(Menus, ACommandNamesTheFirstItemDepthFirstThatItsFlagsDoNotHide) {
    using kd508::platform::find_command_item;
    // The same command twice: grayed in a pop-up first, then enabled on the bar after it; the
    // separator carries a command as well.
    AppendMenuA(nested, MF_GRAYED, 40, "Early");
    AppendMenuA(bar, MF_STRING, 40, "Late");
    AppendMenuA(file, MF_SEPARATOR, 41, nullptr);

    const auto* early = find_command_item(bar, 40);
    ASSERT_NE(early, nullptr);
    EXPECT_EQ(early->label, "Early");
    const auto* late = find_command_item(bar, 40, MF_GRAYED | MF_DISABLED);
    ASSERT_NE(late, nullptr);
    EXPECT_EQ(late->label, "Late");
    EXPECT_EQ(find_command_item(nested, 40, MF_GRAYED), nullptr) << "only the tree below the root";

    EXPECT_NE(find_command_item(file, 41), nullptr);
    EXPECT_EQ(find_command_item(file, 41, MF_SEPARATOR), nullptr);
    EXPECT_EQ(find_command_item(bar, 404), nullptr);
    EXPECT_EQ(find_command_item(nullptr, 10), nullptr);
    // A pop-up item is never the answer, whatever its identifier.
    EXPECT_EQ(find_command_item(bar, not_found), nullptr);
}

TEST_F(Menus, APresenterCanChooseOnlyTheCommandsTheBarOffers) {
    // What a presenter reports is checked against the bar: its own menu may be stale, or show
    // an item the program has since grayed.
    AppendMenuA(file, MF_SEPARATOR, 41, nullptr);
    ASSERT_TRUE(SetMenu(window, bar));
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {}

    const auto id = kd508::platform::find_window(window)->presenter_id;
    for (unsigned command : {11u, 41u, 404u, 30u, 10u}) kd508::platform::layer_input_sink().menu_chosen(id, command);
    std::vector<WPARAM> chosen;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_COMMAND) chosen.push_back(message.wParam);
    }
    EXPECT_EQ(chosen, (std::vector<WPARAM>{30, 10}));
}

TEST_F(Menus, PopUpsThatWouldMakeALoopAreRefused) {
    EXPECT_FALSE(AppendMenuA(nested, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), "loop"));
    EXPECT_FALSE(AppendMenuA(edit, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), "self"));
    EXPECT_FALSE(AppendMenuA(edit, MF_POPUP, 12345, "not a menu"));
    EXPECT_FALSE(AppendMenuA(nullptr, MF_STRING, 1, "nowhere"));
    EXPECT_EQ(GetMenuItemCount(edit), 2);
    EXPECT_EQ(CheckMenuItem(bar, 404, MF_CHECKED), static_cast<DWORD>(-1)) << "lookups still end";
}

TEST_F(Menus, AttachingTheBarShrinksTheClientAreaAndMirrorsIt) {
    RECT without_bar;
    GetClientRect(window, &without_bar);
    EXPECT_EQ(GetMenu(window), nullptr);

    ASSERT_TRUE(SetMenu(window, bar));
    EXPECT_EQ(GetMenu(window), bar);
    RECT with_bar;
    GetClientRect(window, &with_bar);
    EXPECT_EQ(with_bar.right, without_bar.right);
    EXPECT_LT(with_bar.bottom, without_bar.bottom);

    const auto mirrored = driver.mirrored_popup_items(window, 1);
    ASSERT_EQ(mirrored.size(), 2u);
    EXPECT_EQ(mirrored[0].label, "Cut");
    EXPECT_FALSE(mirrored[0].checked);

    // A check mark set on an attached pop-up reaches the presenter without DrawMenuBar.
    CheckMenuItem(edit, 20, MF_CHECKED);
    EXPECT_TRUE(driver.mirrored_popup_items(window, 1)[0].checked);
    EXPECT_TRUE(driver.choose_menu(window, 20));
    EXPECT_FALSE(driver.choose_menu(window, 11)) << "greyed items cannot be chosen";

    ASSERT_TRUE(SetMenu(window, nullptr));
    RECT removed;
    GetClientRect(window, &removed);
    EXPECT_EQ(removed.bottom, without_bar.bottom);
    EXPECT_TRUE(driver.menu_bar(window).empty());
    EXPECT_FALSE(SetMenu(window, reinterpret_cast<HMENU>(std::uintptr_t{77})));
}

TEST_F(Menus, DestroyingTheBarDestroysItsPopUpsAndDetachesIt) {
    SetMenu(window, bar);
    ASSERT_TRUE(DestroyMenu(bar));
    EXPECT_EQ(GetMenuItemCount(file), -1);
    EXPECT_EQ(GetMenuItemCount(nested), -1);
    EXPECT_EQ(GetMenu(window), nullptr);
    EXPECT_FALSE(DestroyMenu(bar)) << "a stale handle is refused";
    EXPECT_EQ(CheckMenuItem(edit, 20, MF_CHECKED), static_cast<DWORD>(-1));
}

}  // namespace
