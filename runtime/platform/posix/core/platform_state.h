// The layer's one state record. Each section belongs to one concern of the layer; the functions
// of that concern are the only ones that change it.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "handle_pool.h"
#include "pixel_buffer.h"
#include "raster/geometry.h"
#include "presenter.h"
#include "win32_subset.h"

namespace kd508::font {
struct FontState;  // font/font_state.h
}

namespace kd508::platform {

// ---- windows -------------------------------------------------------------------------------

struct WindowClass {
    std::string name;
    UINT style = 0;
    WNDPROC procedure = nullptr;
    HINSTANCE instance = nullptr;
    HBRUSH background = nullptr;
};

// A box of one colour: one that a bitmap holds but has not had written yet (pending_fills.h),
// or one that a window's client area is known to hold.
struct PendingFill {
    raster::Box device_box;
    raster::Pixel colour = 0;
};

// A running fingerprint of the drawing calls that reached a tile of a bitmap (drawing_journal.h).
using DrawingFingerprint = std::uint64_t;

// The drawing calls a journal tells apart.
enum class DrawingCall : std::uint64_t { rectangle = 1, ellipse, polygon, line, pixel, text };

// What a window shows of the last bitmap copied to it, tile by tile of the bitmap
// (drawing_journal.h).
struct ShownDrawing {
    HGDIOBJ source = nullptr;  // the bitmap; null when the window shows no journaled copy
    raster::Box area;          // the copy's, in the window's coordinates
    std::int64_t shift_x = 0;
    std::int64_t shift_y = 0;
    std::int64_t columns = 0;  // of the bitmap's tiles, which tiles holds row by row
    std::vector<DrawingFingerprint> tiles;
};

// A copy of a bitmap to a window that nothing has looked at yet (deferred_copy.h).
struct DeferredCopy {
    HGDIOBJ source = nullptr;
    // The source's pixels as they were copied, once the source has had to write its own: until
    // then the source's bits are the copy's pixels.
    std::optional<PixelBuffer> kept_pixels;
    std::vector<PendingFill> source_pending;  // the source's pending boxes then, in its coordinates
    raster::Box area;                         // in the window's coordinates
    std::int64_t shift_x = 0;
    std::int64_t shift_y = 0;
};

// A window's client pixels as GDI draws on them and the presenter shows them. USER owns the
// window and holds its surface; GDI reaches the surface by the window's handle
// (find_window_surface) and knows nothing else of windows.
struct WindowSurface {
    PresenterWindowId presenter_id = 0;  // the window's, which never changes in its life
    PixelBuffer client;                  // owned here and shown by the presenter
    // Boxes the client area still holds in one colour since the last copy of a bitmap's pending
    // boxes to it (changed_pixel_copy.h); never overlapping.
    std::vector<PendingFill> shown_solid;
    std::optional<DeferredCopy> deferred_copy;  // to be made before client's pixels are read or drawn on
    ShownDrawing shown_drawing;
};

struct Window {
    PresenterWindowId presenter_id = 0;
    std::string class_name;
    WNDPROC procedure = nullptr;
    UINT class_style = 0;
    HBRUSH background = nullptr;
    std::string title;
    DWORD style = 0;
    DWORD ex_style = 0;
    WindowGeometry geometry;  // outer rectangle on the screen and the client rectangle inside it
    HMENU menu = nullptr;
    bool visible = false;
    bool destroying = false;

    WindowSurface surface;  // the client area's pixels

    // The update region, kept as one box in client coordinates.
    bool needs_paint = false;
    bool needs_erase = false;
    raster::Box invalid;
};

struct WindowingSection {
    std::vector<WindowClass> classes;
    HandlePool<Window, HandleKind::window> windows;
    PresenterWindowId next_presenter_id = 1;
};

// ---- message queue, timers and keyboard -----------------------------------------------------

struct QueuedMessage {
    MSG message{};
    bool is_input = false;  // came from the presenter, so it updates the keyboard state
};

struct Timer {
    HWND window = nullptr;
    UINT_PTR id = 0;
    UINT period_ms = 0;
    std::int64_t due_ms = 0;
};

struct KeyboardState {
    std::array<bool, 256> down{};
    std::array<bool, 256> toggled{};  // Caps Lock and the other toggle keys
};

struct QueueSection {
    std::deque<QueuedMessage> posted;  // posted and input messages, first in, first out
    bool quit_posted = false;
    int quit_code = 0;
    std::vector<Timer> timers;
    KeyboardState keyboard;
    // A quit is posted once the clock reaches this time (--run-for).
    std::optional<std::int64_t> quit_at_ms;
};

// ---- GDI objects and device contexts -------------------------------------------------------

// Which kernel strokes with a pen. It follows from the pen alone, so it is chosen once, when the
// pen is made (gdi/pen_stroker.h), rather than at every shape drawn with it: the runtime makes a
// pen for a shape and selects it, and the pen it had before back, so a choice made at each
// selection would be made twice as often as at each shape.
enum class PenStroker : std::uint8_t {
    none,         // PS_NULL: shapes are drawn without an outline
    thin_line,    // widths 0 and 1: the one-pixel line of the cosmetic pen
    wide_stroke,  // wider: a band of the pen's width with round ends and joins
};

// A pen as the shapes draw with it: its stroker, its width in device pixels and its colour as
// a pixel, made from CreatePen's arguments by make_pen (gdi/pen_stroker.h). Nothing asks a pen
// for those arguments again, so they are not kept.
struct PenObject {
    PenStroker stroker = PenStroker::none;
    // At least 1 when the pen draws. Unsigned 32 bits hold the size of every int width, INT_MIN's
    // among them, and keep a pen as small as CreatePen's three arguments.
    std::uint32_t size = 0;
    raster::Pixel pixel = 0;

    bool draws() const { return stroker != PenStroker::none; }
    std::int64_t width() const { return size; }
    // How far the pen reaches beyond its path, for the area reported as drawn.
    std::int64_t reach() const { return draws() ? width() / 2 + 1 : 0; }
};

struct BrushObject {
    bool hollow = false;
    COLORREF colour = 0;
};

struct FontObject {
    int height = 0;  // as CreateFontA received it: negative asks for character height
    int weight = FW_NORMAL;
    bool italic = false;
    bool underline = false;
    bool strike_out = false;
    DWORD pitch_and_family = 0;
    std::string face_name;
    bool fixed_pitch = false;  // the stock fixed font, or a request for FIXED_PITCH
};

struct BitmapObject {
    PixelBuffer bits;
    std::vector<PendingFill> pending_fills;  // never overlapping, each on the bitmap and not empty
    HWND copied_to = nullptr;  // a window holding a deferred copy of these very bits (deferred_copy.h)
};

// Rectangle, Ellipse, Polygon or LineTo with everything that decides its pixels, so that it can
// be drawn at once or kept and drawn later (shape_call.h). A polygon's points lie beside it.
struct ShapeCall {
    DrawingCall call = DrawingCall::rectangle;
    PenObject pen;
    bool brush_fills = false;
    raster::Pixel brush_colour = 0;
    raster::Box device_box;  // a rectangle's or an ellipse's, corners in order
    raster::Point from;      // a line's ends
    raster::Point to;
};

// A line of text with everything that decides its pixels (text_line.h). Its bytes and its font's
// face name lie beside it.
struct TextLine {
    int font_height = 0;
    bool fixed_pitch = false;
    std::int64_t device_left = 0;
    std::int64_t device_top = 0;
    raster::Pixel colour = 0;
    bool opaque = false;
    raster::Pixel background = 0;
    // Drawing stops at the first character whose pen position lies here or further right.
    std::int64_t device_right_edge = 0;
};

// A call a journal keeps instead of drawing it (kept_drawing.h): a shape, or a line of text when
// is_text. Its polygon points, or its text followed by its face name, lie in the journal's
// kept_points or kept_bytes, from index first on.
struct KeptCall {
    raster::Box device_area;  // every pixel it may draw, on the bitmap
    bool is_text = false;
    ShapeCall shape;
    TextLine text;
    std::uint32_t first = 0;
    std::uint32_t count = 0;       // points, or bytes of text
    std::uint32_t face_count = 0;  // bytes of the face name, after the text's
};

// A bitmap's journal of the calls drawn on it since its last copy to a window, tile by tile
// (drawing_journal.h), and the calls it keeps until their tiles are looked at (kept_drawing.h).
struct BitmapJournal {
    HGDIOBJ bitmap = nullptr;
    HWND window = nullptr;     // whose copy last took the tiles
    std::int64_t columns = 0;  // of the tiles, which tiles holds row by row
    std::vector<DrawingFingerprint> tiles;
    std::vector<DrawingFingerprint> made;  // by tile: the calls whose pixels the tile holds
    std::vector<std::uint8_t> keeping;     // by tile: 1 while the tile's calls since the last copy are kept
    std::vector<KeptCall> kept;
    std::vector<raster::Point> kept_points;
    std::string kept_bytes;
};

struct GdiObject {
    std::variant<PenObject, BrushObject, FontObject, BitmapObject> value;
    bool stock = false;
    int selections = 0;           // device contexts that have it selected
    bool delete_pending = false;  // DeleteObject came while selected: freed on deselection
};

struct DeviceContext {
    enum class Target { screen, window, memory };
    Target target = Target::screen;
    HWND window = nullptr;  // window device contexts
    bool from_begin_paint = false;

    HGDIOBJ pen = nullptr;
    HGDIOBJ brush = nullptr;
    HGDIOBJ font = nullptr;
    HGDIOBJ bitmap = nullptr;  // memory device contexts

    // The objects those handles name, so that a selection is let go of without a lookup. An
    // object stays where it is for as long as it is selected: DeleteObject defers freeing a
    // selected pen, brush or font and refuses a selected bitmap, and the pool never moves a
    // live object.
    struct SelectedObjects {
        GdiObject* pen = nullptr;
        GdiObject* brush = nullptr;
        GdiObject* font = nullptr;
        GdiObject* bitmap = nullptr;
    };
    SelectedObjects selected;

    // What the selected pen and brush are, taken when they are selected: a pen or a brush
    // never changes after it is created, so a shape reads them here. Until something is
    // selected they draw nothing.
    PenObject selected_pen;
    BrushObject selected_brush{true, 0};

    COLORREF text_colour = RGB(0, 0, 0);
    COLORREF background_colour = RGB(255, 255, 255);
    int background_mode = OPAQUE;
    POINT position{0, 0};
};

// Stock objects by GetStockObject index; the table is long enough for every index the layer knows.
inline constexpr int stock_object_count = 18;

struct GdiSection {
    HandlePool<GdiObject, HandleKind::gdi_object> objects;
    HandlePool<DeviceContext, HandleKind::device_context> contexts;
    std::array<HGDIOBJ, stock_object_count> stock{};
    HGDIOBJ default_bitmap = nullptr;  // the 1x1 bitmap a new memory device context holds
    std::size_t stock_count = 0;       // objects in the pool that are stock, left out of live counts
    PixelBuffer spare_bits;            // a bitmap's old bits, kept for the next one to draw on (deferred_copy.h)
    // The journals of the bitmaps whose copies to windows are made as they come, and the count
    // of drawing calls given a fingerprint of their own (drawing_journal.h).
    std::vector<BitmapJournal> journals;
    std::uint64_t unrepeatable_calls = 0;
    std::uint64_t kept_lines_drawn = 0;  // lines of text a journal kept and has drawn (kept_drawing.h)
};

// ---- menus ---------------------------------------------------------------------------------

struct MenuItem {
    UINT flags = 0;
    UINT_PTR id = 0;
    HMENU popup = nullptr;
    std::string label;
};

struct Menu {
    bool is_popup = false;
    std::vector<MenuItem> items;
    HWND attached_to = nullptr;  // the window whose menu bar this is
};

struct MenuSection {
    HandlePool<Menu, HandleKind::menu> menus;
};

// ---- fonts ---------------------------------------------------------------------------------

struct FontStateDeleter {
    void operator()(font::FontState* state) const;
};

// The faces, sized fonts and glyphs of the font layer (font/font_state.h), made on the first text
// call. The section is held through a pointer so that this record does not bring FreeType's and
// fontconfig's declarations into every file of the layer.
struct FontSection {
    std::unique_ptr<font::FontState, FontStateDeleter> state;
};

// ---- global memory -------------------------------------------------------------------------

struct GlobalBlock {
    std::vector<unsigned char> bytes;
    UINT flags = 0;
    int lock_count = 0;
};

struct MemorySection {
    HandlePool<GlobalBlock, HandleKind::global_block> blocks;
};

// ---- the run's options ---------------------------------------------------------------------

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// What the runtime's command-line options ask of this run (command_options.h).
struct RunSection {
    std::string program_name = "kd508";
    bool headless = false;
    std::string initial_script;  // played from the first event wait; empty for none
    std::string screenshot_path;
    HWND graphics_window = nullptr;
    bool screenshot_taken = false;
    // The graphics window's pixels as it was destroyed, for a screenshot after its end.
    std::optional<PixelBuffer> closed_client;
    std::string transcript_path;
    std::unique_ptr<std::FILE, FileCloser> transcript;
    // A status the run ends with, whatever the program returns; 0 for none.
    int failure_status = 0;
    // The program has its own main(): the runtime brought the layer up when it opened, from
    // KD508_OPTIONS alone, and ends the run when it closes.
    bool started_by_runtime = false;
};

// ---- the record ----------------------------------------------------------------------------

struct PlatformState {
    std::unique_ptr<Presenter> presenter;
    WindowingSection windowing;
    QueueSection queue;
    GdiSection gdi;
    MenuSection menus;
    FontSection fonts;
    MemorySection memory;
    RunSection run;
};

// The layer's one state record. Every call of the layer starts here, several times for a drawing
// call, so the record is reached inline rather than through a call.
extern PlatformState the_platform_state;
inline PlatformState& platform_state() { return the_platform_state; }

// The window a handle names, or null for one that is gone or was never a window's.
inline Window* find_window(HWND window) { return the_platform_state.windowing.windows.find(window); }

// The client pixels of the window a handle names, or null.
inline WindowSurface* find_window_surface(HWND window) {
    Window* found = find_window(window);
    return found ? &found->surface : nullptr;
}

// Starts the layer afresh with the given presenter: every window, object and block is dropped.
// The program does this once; tests do it for every case.
void reset_platform(std::unique_ptr<Presenter> presenter);

}  // namespace kd508::platform
