// Windows of the layer: lookup and the hooks other concerns of the layer call.
#pragma once

#include "core/platform_state.h"

namespace kd508::platform {

HWND window_handle_for(PresenterWindowId id);

// The menu bar was attached, removed or changed: recomputes the client area (sending WM_SIZE
// when it changed) and mirrors the bar to the presenter.
void menu_bar_changed(HWND window);

// Sends a message straight to the window's procedure; 0 for a window that does not exist.
LRESULT send_to_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace kd508::platform

namespace kd508::platform {

// The user resized the client area through the presenter.
void resize_client_area(HWND window, int client_width, int client_height);

// Marks the whole client area for painting, with its background erased first.
void invalidate_whole_client(HWND window);

}  // namespace kd508::platform
