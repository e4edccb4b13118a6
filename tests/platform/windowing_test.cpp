// Windows, painting, device contexts and memory blocks of the layer, through the Win32 calls.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gdi/device_context.h"
#include "gdi/gdi_objects.h"
#include "headless/headless_driver.h"
#include "core/layer_counters.h"
#include "core/platform_state.h"
#include "win32_subset.h"

namespace {

using kd508::headless::Driver;

// What a window procedure saw, in order.
std::vector<std::string> seen;
RECT client_seen_at_size{};

LRESULT CALLBACK recording_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_CREATE:
            seen.push_back("create");
            return 0;
        case WM_SIZE:
            seen.push_back("size " + std::to_string(LOWORD(lparam)) + "x" + std::to_string(HIWORD(lparam)));
            GetClientRect(window, &client_seen_at_size);
            return 0;
        case WM_DESTROY:
            seen.push_back("destroy");
            return 0;
        case WM_CLOSE:
            seen.push_back("close");
            break;
        case WM_PAINT:
            seen.push_back("paint");
            break;
        default:
            break;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

class Windowing : public ::testing::Test {
protected:
    Windowing() {
        seen.clear();
        WNDCLASSA description{};
        description.style = CS_HREDRAW | CS_VREDRAW;
        description.lpfnWndProc = recording_proc;
        description.hbrBackground = CreateSolidBrush(RGB(255, 255, 255));
        description.lpszClassName = "ProbeClass";
        EXPECT_NE(RegisterClassA(&description), 0);
    }

    HWND create(DWORD style, int width, int height) {
        return CreateWindowExA(0, "ProbeClass", "Probe", style, 0, 0, width, height, nullptr, nullptr, nullptr, nullptr);
    }

    bool take(MSG& message) { return PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) != 0; }

    Driver driver;
};

TEST_F(Windowing, CreationSendsCreateThenSizeWithTheClientAreaTheFrameLeaves) {
    HWND window = create(WS_CAPTION | WS_SYSMENU, 601, 540);
    ASSERT_NE(window, nullptr);
    // A fixed frame of 3 pixels and a 20-pixel caption; the menu bar would take 20 more.
    EXPECT_EQ(seen, (std::vector<std::string>{"create", "size 595x514"}));
    EXPECT_EQ(client_seen_at_size.right, 595);
    EXPECT_EQ(client_seen_at_size.bottom, 514);

    HMENU bar = CreateMenu();
    AppendMenuA(bar, MF_STRING, 1, "&Item");
    SetMenu(window, bar);
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 595);
    EXPECT_EQ(client.bottom, 494);
    EXPECT_EQ(seen.back(), "size 595x494");
}

TEST_F(Windowing, RegisteringAClassTwiceFailsAndUnknownClassesCreateNothing) {
    WNDCLASSA description{};
    description.lpfnWndProc = recording_proc;
    description.lpszClassName = "probeclass";  // class names ignore case
    EXPECT_EQ(RegisterClassA(&description), 0);
    EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);
}

TEST_F(Windowing, TheCloseBoxDestroysTheWindowThroughTheDefaultHandling) {
    HWND window = create(WS_OVERLAPPEDWINDOW, 300, 200);
    ShowWindow(window, SW_SHOWNORMAL);
    seen.clear();
    driver.close(window);
    MSG message;
    while (take(message)) DispatchMessageA(&message);
    EXPECT_EQ(seen, (std::vector<std::string>{"close", "destroy"}));
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(Windowing, StaleAndForeignHandlesAreRefused) {
    HWND window = create(WS_OVERLAPPEDWINDOW, 300, 200);
    HDC dc = GetDC(window);
    ASSERT_NE(dc, nullptr);
    ReleaseDC(window, dc);
    EXPECT_EQ(ReleaseDC(window, dc), 0) << "a released device context is gone";
    EXPECT_EQ(SetPixel(dc, 1, 1, RGB(1, 2, 3)), CLR_INVALID);

    DestroyWindow(window);
    EXPECT_EQ(GetDC(window), nullptr);
    RECT client{};
    EXPECT_FALSE(GetClientRect(window, &client));

    // A pen handle is not a window, and a window handle is not a device context.
    HPEN pen = CreatePen(PS_SOLID, 1, 0);
    EXPECT_FALSE(IsWindow(reinterpret_cast<HWND>(pen)));
    EXPECT_EQ(SelectObject(reinterpret_cast<HDC>(pen), pen), nullptr);
    EXPECT_FALSE(DeleteDC(reinterpret_cast<HDC>(pen)));
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_FALSE(DeleteObject(pen)) << "deleted twice";
}

TEST_F(Windowing, PaintingErasesWithTheClassBrushAndValidates) {
    HWND window = create(WS_OVERLAPPEDWINDOW, 300, 200);
    ShowWindow(window, SW_SHOWNORMAL);
    seen.clear();
    MSG message;
    ASSERT_TRUE(take(message));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_PAINT));
    DispatchMessageA(&message);
    EXPECT_EQ(driver.client_pixel(window, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(driver.client_pixel(window, driver.client_width(window) - 1, driver.client_height(window) - 1), 0xFFFFFFu);
    EXPECT_FALSE(take(message)) << "painted windows ask for no more paint";

    driver.expose(window);
    ASSERT_TRUE(take(message));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_PAINT));
}

TEST_F(Windowing, ScreenSizeAndTheResizedTextWindowFollowThePresenter) {
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1024);
    HWND window = create(WS_OVERLAPPEDWINDOW, 1280, 341);
    seen.clear();
    driver.resize_client(window, 800, 200);
    EXPECT_EQ(seen, (std::vector<std::string>{"size 800x200"}));
    EXPECT_EQ(driver.client_width(window), 800);
    RECT outer{};
    GetWindowRect(window, &outer);
    EXPECT_EQ(outer.right - outer.left, 808);

    // A size no one could drag the window to is held to the screen; a negative one to nothing.
    driver.resize_client(window, 2147483647, 70000);
    EXPECT_EQ(driver.client_width(window), 1280);
    EXPECT_EQ(driver.client_height(window), 1024);
    driver.resize_client(window, -5, -2147483647 - 1);
    EXPECT_EQ(driver.client_width(window), 0);
    EXPECT_EQ(driver.client_height(window), 0);
}

TEST_F(Windowing, BitBltCopiesAndClipsBetweenBitmaps) {
    HDC screen = GetDC(nullptr);
    HDC source = CreateCompatibleDC(screen);
    HDC target = CreateCompatibleDC(screen);
    HBITMAP source_bits = CreateCompatibleBitmap(screen, 4, 4);
    HBITMAP target_bits = CreateCompatibleBitmap(screen, 3, 3);
    SelectObject(source, source_bits);
    SelectObject(target, target_bits);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) SetPixel(source, x, y, RGB(x * 10, y * 10, 0));
    }
    EXPECT_TRUE(BitBlt(target, -1, 1, 4, 4, source, 0, 0, SRCCOPY));
    EXPECT_EQ(GetPixel(target, 0, 0), RGB(0, 0, 0)) << "the row above the copy is untouched";
    EXPECT_EQ(GetPixel(target, 0, 1), RGB(10, 0, 0));
    EXPECT_EQ(GetPixel(target, 2, 2), RGB(30, 10, 0));
    EXPECT_EQ(GetPixel(target, 3, 3), CLR_INVALID);
    // Huge offsets copy nothing and overflow nothing.
    EXPECT_TRUE(BitBlt(target, 2147483647, -2147483647 - 1, 2147483647, 2147483647, source, 0, 0, SRCCOPY));

    DeleteDC(source);
    DeleteDC(target);
    DeleteObject(source_bits);
    DeleteObject(target_bits);
    ReleaseDC(nullptr, screen);
}

TEST_F(Windowing, SelectedObjectsOutliveDeleteObjectUntilDeselected) {
    const std::size_t objects_before = kd508::platform::live_gdi_object_count();
    HDC dc = CreateCompatibleDC(nullptr);
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    HGDIOBJ previous = SelectObject(dc, brush);
    EXPECT_EQ(previous, GetStockObject(WHITE_BRUSH));
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_NE(kd508::platform::find_gdi_object(brush), nullptr) << "still selected, so still there";
    SelectObject(dc, previous);
    EXPECT_EQ(kd508::platform::find_gdi_object(brush), nullptr);
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_PEN))) << "stock objects ignore deletion";
    EXPECT_NE(kd508::platform::find_gdi_object(GetStockObject(BLACK_PEN)), nullptr);
    DeleteDC(dc);
    EXPECT_EQ(kd508::platform::live_gdi_object_count(), objects_before);
    EXPECT_EQ(kd508::platform::live_device_context_count(), 0u);
}

TEST_F(Windowing, GlobalBlocksAreMovableHandlesNotPointers) {
    const std::size_t before = kd508::platform::live_global_block_count();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 6);
    ASSERT_NE(block, nullptr);
    char* text = static_cast<char*>(GlobalLock(block));
    ASSERT_NE(text, nullptr);
    EXPECT_NE(static_cast<void*>(text), block);
    std::snprintf(text, 6, "hello");
    EXPECT_FALSE(GlobalUnlock(block));
    EXPECT_STREQ(static_cast<char*>(GlobalLock(block)), "hello");
    GlobalUnlock(block);
    EXPECT_EQ(kd508::platform::live_global_block_count(), before + 1);
    EXPECT_EQ(GlobalFree(block), nullptr);
    EXPECT_EQ(GlobalLock(block), nullptr) << "a freed block's handle is refused";
    EXPECT_EQ(GlobalFree(block), block) << "freeing twice fails";
    EXPECT_EQ(kd508::platform::live_global_block_count(), before);
}

}  // namespace
