// Formatted text on the canvas, standing on its anchor point, one line per newline.
#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdint>
#include <cstring>

#include "../include/kd508.h"
#include "call_echo.h"
#include "draw_command.h"
#include "formatted_text.h"
#include "palette.h"
#include "runtime_state.h"

namespace kd508 {

namespace {

inline constexpr int max_point_size = 127;
// The runtime brings no face of its own; the font layer picks one for this name.
inline constexpr char text_face_name[] = "KD508-font";

void report_point_size(int point_size, int corrected) {
    KD508_printf("ptsize of %d not possible, using ptsize %d\n", point_size, corrected);
}

// The plain-string stage: corrects, logs, copies the text into a block of its own for the
// renderer, and frees the block again as soon as the renderer is done.
int text_operation(int colour, int x, int y, int point_size, const char* text) {
    if (point_size < 0) {
        // INT_MIN has no positive counterpart; the nearest one, INT_MAX, then meets the cap.
        const int corrected = point_size == INT_MIN ? INT_MAX : -point_size;
        report_point_size(point_size, corrected);
        point_size = corrected;
    }
    if (point_size > max_point_size) {
        report_point_size(point_size, max_point_size);
        point_size = max_point_size;
    }
    colour = check_colour(colour);
    echo_call("%s text at (%d,%d), \"%s\"\n", palette_name(colour), x, y, text);

    DrawCommand command;
    command.kind = draw_text;
    command.colour = colour;
    command.x1 = x;
    command.y1 = y;
    command.x2 = point_size;

    const SIZE_T bytes = std::strlen(text) + 1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (void* copy = GlobalLock(block)) {
        std::memcpy(copy, text, bytes);
        GlobalUnlock(block);
        command.text_block = block;
    }
    // Without a block the renderer draws no characters but still marks the canvas changed.
    render_command(command);
    if (block) GlobalFree(block);
    return 1;
}

}  // namespace

void render_text_command(const DrawCommand& command) {
    HDC canvas = runtime_state().canvas_surface;
    // The text colour is left as set: the canvas keeps the colour of the last text drawn.
    SetTextColor(canvas, palette_colour(command.colour));
    const int previous_mode = GetBkMode(canvas);
    SetBkMode(canvas, TRANSPARENT);
    HFONT font = CreateFontA(-command.x2, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, text_face_name);
    HGDIOBJ previous_font = SelectObject(canvas, font);

    if (const char* text = static_cast<const char*>(GlobalLock(command.text_block))) {
        // One height for every line: that of the whole text, newlines measured too.
        const int length = static_cast<int>(std::strlen(text));
        SIZE extent = {};
        GetTextExtentPointA(canvas, text, length, &extent);
        const std::int64_t line_height = extent.cy;

        // The first line's cell ends on the row above the anchor, so the text stands on it;
        // each further line is one line height lower. A trailing newline leaves an empty last
        // line, which draws nothing.
        const std::int32_t column = clamp_canvas(canvas_x(command.x1));
        const std::int64_t anchor_row = canvas_y(command.y1);
        const char* line = text;
        for (std::int64_t k = 0;; ++k) {
            const char* end = std::strchr(line, '\n');
            const int count = static_cast<int>(end ? end - line : text + length - line);
            TextOutA(canvas, column, clamp_canvas(anchor_row + (k - 1) * line_height), line, count);
            if (!end) break;
            line = end + 1;
        }
        GlobalUnlock(command.text_block);
    }

    SetBkMode(canvas, previous_mode);
    SelectObject(canvas, previous_font);
    DeleteObject(font);
}

}  // namespace kd508

using namespace kd508;

int KD508_text(int colour, int x, int y, int point_size, const char* format, ...) {
    // A text longer than 1023 characters is cut to the buffer; the count the formatting produced
    // is still the result.
    char buffer[printf_buffer_size];
    va_list arguments;
    va_start(arguments, format);
    const int formatted = format_text(buffer, format, arguments);
    va_end(arguments);
    text_operation(colour, x, y, point_size, buffer);
    return formatted;
}
