// Message retrieval order, timers, key translation and the wait, on the virtual clock.
#include <gtest/gtest.h>

#include <vector>

#include "headless/headless_driver.h"
#include "win32_subset.h"

namespace {

using kd508::headless::Driver;
using kd508::headless::HeadlessStall;

LRESULT CALLBACK default_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    return DefWindowProcA(window, message, wparam, lparam);
}

class Queue : public ::testing::Test {
protected:
    Queue() {
        WNDCLASSA description{};
        description.lpfnWndProc = default_proc;
        description.lpszClassName = "QueueProbe";
        RegisterClassA(&description);
        window = CreateWindowExA(0, "QueueProbe", "", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                 nullptr, nullptr);
    }

    // Takes every message that is there now, translating key-downs as a message loop does;
    // WM_PAINT is validated so that it does not come back.
    std::vector<MSG> drain() {
        std::vector<MSG> taken;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            taken.push_back(message);
            TranslateMessage(&message);
            if (message.message == WM_PAINT) ValidateRect(message.hwnd, nullptr);
        }
        return taken;
    }

    static std::vector<UINT> kinds(const std::vector<MSG>& messages) {
        std::vector<UINT> result;
        for (const MSG& m : messages) result.push_back(m.message);
        return result;
    }

    // The characters that typing produced, in order.
    std::vector<WPARAM> characters() {
        std::vector<WPARAM> result;
        for (const MSG& m : drain()) {
            if (m.message == WM_CHAR) result.push_back(m.wParam);
        }
        return result;
    }

    Driver driver;
    HWND window = nullptr;
};

TEST_F(Queue, EverythingPendingAtOnceComesInWindowsOrder) {
    SetTimer(window, 2, 100, nullptr);
    driver.advance_ms(100);
    InvalidateRect(window, nullptr, TRUE);
    ShowWindow(window, SW_SHOW);
    PostMessageA(window, WM_USER + 1, 0, 0);
    PostQuitMessage(3);
    PostMessageA(window, WM_USER + 2, 0, 0);
    driver.click(window, 5, 6);

    const std::vector<MSG> taken = drain();
    EXPECT_EQ(kinds(taken), (std::vector<UINT>{WM_USER + 1, WM_USER + 2, WM_LBUTTONDOWN, WM_QUIT, WM_PAINT, WM_TIMER}));
    EXPECT_EQ(taken[2].lParam, MAKELPARAM(5, 6));
    EXPECT_EQ(taken[3].wParam, 3u);
}

TEST_F(Queue, MissedTicksAreCoalescedIntoOne) {
    SetTimer(window, 2, 100, nullptr);
    driver.advance_ms(1000);
    EXPECT_EQ(kinds(drain()), (std::vector<UINT>{WM_TIMER}));
    driver.advance_ms(99);
    EXPECT_TRUE(drain().empty()) << "the next period starts when the tick was taken";
    driver.advance_ms(1);
    EXPECT_EQ(kinds(drain()), (std::vector<UINT>{WM_TIMER}));
    KillTimer(window, 2);
    driver.advance_ms(1000);
    EXPECT_TRUE(drain().empty());
}

TEST_F(Queue, LettersFollowShiftCapsLockAndCtrl) {
    driver.type(window, "aZ");
    EXPECT_EQ(characters(), (std::vector<WPARAM>{'a', 'Z'}));

    driver.press_key(window, VK_CAPITAL);
    driver.press_key(window, 'Q', 'q');
    driver.key_down(window, VK_SHIFT);
    driver.press_key(window, 'Q', 'Q');
    driver.key_up(window, VK_SHIFT);
    EXPECT_EQ(characters(), (std::vector<WPARAM>{'Q', 'q'}));
    driver.press_key(window, VK_CAPITAL);

    driver.press_ctrl_letter(window, 'a');
    driver.press_ctrl_letter(window, 'z');
    EXPECT_EQ(characters(), (std::vector<WPARAM>{1, 26}));
}

TEST_F(Queue, ControlKeysDigitsPunctuationAndCharactersBeyondAscii) {
    driver.press_key(window, VK_RETURN);
    driver.press_key(window, VK_BACK);
    driver.press_key(window, VK_ESCAPE);
    driver.press_key(window, VK_TAB);
    driver.type(window, "7,\xE9");
    driver.press_key(window, VK_F5);
    EXPECT_EQ(characters(), (std::vector<WPARAM>{13, 8, 27, 9, '7', ',', 233}));

    // Ctrl with a digit types nothing.
    driver.key_down(window, VK_CONTROL);
    driver.press_key(window, '7', '7');
    driver.key_up(window, VK_CONTROL);
    EXPECT_TRUE(characters().empty());
}

TEST_F(Queue, TheCharacterComesRightAfterItsKeyDown) {
    // A key-up already queued must not overtake the character, or a Ctrl release queued behind
    // it would make Ctrl+A look like a plain character 1.
    driver.key_down(window, VK_CONTROL);
    driver.key_down(window, 'A', 1);
    driver.key_up(window, 'A');
    driver.key_up(window, VK_CONTROL);
    EXPECT_EQ(kinds(drain()), (std::vector<UINT>{WM_KEYDOWN, WM_KEYDOWN, WM_CHAR, WM_KEYUP, WM_KEYUP}));
}

TEST_F(Queue, KeyDownsPostedOnFromAnotherWindowTranslateTheSame) {
    HWND other = CreateWindowExA(0, "QueueProbe", "", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    driver.type(window, "\xE9");
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    ASSERT_EQ(message.message, static_cast<UINT>(WM_KEYDOWN));
    MSG key_up;
    ASSERT_TRUE(PeekMessageA(&key_up, nullptr, 0, 0, PM_REMOVE));
    PostMessageA(other, message.message, message.wParam, message.lParam);
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.hwnd, other);
    TranslateMessage(&message);
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_CHAR));
    EXPECT_EQ(message.wParam, 233u);
}

TEST_F(Queue, WaitSleepsUntilTheNextTimerOrScheduledInput) {
    SetTimer(window, 2, 100, nullptr);
    WaitMessage();
    EXPECT_EQ(driver.now_ms(), 100);
    drain();
    driver.at_ms(130, [&] { driver.click(window, 1, 1); });
    WaitMessage();
    EXPECT_EQ(driver.now_ms(), 130);
    EXPECT_EQ(kinds(drain()), (std::vector<UINT>{WM_LBUTTONDOWN}));
    EXPECT_EQ(driver.waits(), 2);

    // With something already waiting, the wait returns at once.
    PostMessageA(window, WM_USER, 0, 0);
    WaitMessage();
    EXPECT_EQ(driver.now_ms(), 130);
}

// A wait that leaves QS_TIMER out of its mask sleeps past due timers; the ticks it slept
// through count as taken when they fell due, so the timer keeps its step.
TEST_F(Queue, AWaitWithoutTimersInItsMaskSleepsPastTicksAndKeepsTheirStep) {
    constexpr DWORD no_timers = QS_ALLINPUT & ~QS_TIMER;
    SetTimer(window, 2, 100, nullptr);
    driver.at_ms(450, [&] { driver.click(window, 1, 1); });
    EXPECT_EQ(MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, no_timers, MWMO_INPUTAVAILABLE), WAIT_OBJECT_0);
    EXPECT_EQ(driver.now_ms(), 450);
    EXPECT_EQ(driver.waits(), 1);
    EXPECT_EQ(kinds(drain()), (std::vector<UINT>{WM_LBUTTONDOWN}));
    WaitMessage();
    EXPECT_EQ(driver.now_ms(), 500);
    EXPECT_EQ(kinds(drain()), (std::vector<UINT>{WM_TIMER}));

    // A timeout ends it too; with QS_TIMER the next tick does.
    EXPECT_EQ(MsgWaitForMultipleObjectsEx(0, nullptr, 130, no_timers, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(driver.now_ms(), 630);
    EXPECT_EQ(MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, 0), WAIT_OBJECT_0);
    EXPECT_EQ(driver.now_ms(), 700);
    EXPECT_EQ(kinds(drain()), (std::vector<UINT>{WM_TIMER}));

    // Posted messages and the quit end it at once; the layer has no kernel objects to wait on.
    PostQuitMessage(0);
    EXPECT_EQ(MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, no_timers, 0), WAIT_OBJECT_0);
    EXPECT_EQ(driver.now_ms(), 700);
    HANDLE object = nullptr;
    EXPECT_EQ(MsgWaitForMultipleObjectsEx(1, &object, 0, QS_ALLINPUT, 0), static_cast<DWORD>(WAIT_FAILED));
    KillTimer(window, 2);
    EXPECT_THROW(MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_TIMER, 0), HeadlessStall)
        << "the quit is no timer, and only timers could end this wait";
}

TEST_F(Queue, AWaitThatNothingCanEndFailsInsteadOfHanging) {
    EXPECT_THROW(WaitMessage(), HeadlessStall);
    SetTimer(window, 2, 100, nullptr);
    driver.set_stall_limit_ms(1000);
    EXPECT_THROW(
        {
            for (;;) {
                WaitMessage();
                drain();
            }
        },
        HeadlessStall);
}

}  // namespace
