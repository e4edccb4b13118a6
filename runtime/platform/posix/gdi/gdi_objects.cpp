// Pens, brushes and bitmaps, the stock objects, and selection into device contexts.
#include "gdi_objects.h"

#include "deferred_copy.h"
#include "device_context.h"
#include "drawing_journal.h"
#include "pen_stroker.h"
#include "core/layer_counters.h"

using namespace kd508::platform;

namespace {

GdiSection& gdi() { return platform_state().gdi; }

struct StockEntry {
    int index;
    GdiObject object;
};

// The stock objects by their GetStockObject index. Fonts are resolved by the font layer from
// their face request; the fixed one is the platform's fixed-pitch font.
std::vector<StockEntry> stock_table() {
    auto brush = [](COLORREF colour) { return GdiObject{BrushObject{false, colour}, true}; };
    auto pen = [](int style, COLORREF colour) { return GdiObject{make_pen(style, 0, colour), true}; };
    auto font = [](bool fixed) {
        FontObject request;
        request.fixed_pitch = fixed;
        return GdiObject{request, true};
    };
    return {
        {WHITE_BRUSH, brush(RGB(255, 255, 255))},
        {LTGRAY_BRUSH, brush(RGB(192, 192, 192))},
        {GRAY_BRUSH, brush(RGB(128, 128, 128))},
        {DKGRAY_BRUSH, brush(RGB(64, 64, 64))},
        {BLACK_BRUSH, brush(RGB(0, 0, 0))},
        {NULL_BRUSH, GdiObject{BrushObject{true, 0}, true}},
        {WHITE_PEN, pen(PS_SOLID, RGB(255, 255, 255))},
        {BLACK_PEN, pen(PS_SOLID, RGB(0, 0, 0))},
        {NULL_PEN, pen(PS_NULL, 0)},
        {OEM_FIXED_FONT, font(true)},
        {ANSI_FIXED_FONT, font(true)},
        {ANSI_VAR_FONT, font(false)},
        {SYSTEM_FONT, font(false)},
        {DEFAULT_GUI_FONT, font(false)},
    };
}

// Where a device context keeps an object of its kind: the handle and the object.
struct SelectionSlot {
    HGDIOBJ* handle = nullptr;
    GdiObject** object = nullptr;
};

SelectionSlot selection_slot(DeviceContext& dc, const GdiObject& object) {
    if (std::holds_alternative<PenObject>(object.value)) return {&dc.pen, &dc.selected.pen};
    if (std::holds_alternative<BrushObject>(object.value)) return {&dc.brush, &dc.selected.brush};
    if (std::holds_alternative<FontObject>(object.value)) return {&dc.font, &dc.selected.font};
    if (dc.target == DeviceContext::Target::memory) return {&dc.bitmap, &dc.selected.bitmap};
    return {};  // bitmaps go only into memory device contexts
}

// Puts the object into its slot, in place of what was there, and counts the selection.
void put_in_slot(DeviceContext& dc, const SelectionSlot& slot, HGDIOBJ handle, GdiObject& object) {
    *slot.handle = handle;
    *slot.object = &object;
    ++object.selections;
    if (const auto* pen = std::get_if<PenObject>(&object.value)) dc.selected_pen = *pen;
    else if (const auto* brush = std::get_if<BrushObject>(&object.value)) dc.selected_brush = *brush;
}

// Lets go of one selection of an object, and frees it when DeleteObject came while it was
// selected and this was its last selection.
void release_selection(GdiSection& section, HGDIOBJ handle, GdiObject* object) {
    if (!object || object->selections == 0) return;
    if (--object->selections == 0 && object->delete_pending) section.objects.erase(handle);
}

}  // namespace


HGDIOBJ kd508::platform::add_gdi_object(GdiObject&& object) {
    return gdi().objects.insert_value(std::move(object));
}

void kd508::platform::select_into_new_context(DeviceContext& dc, HGDIOBJ handle, GdiObject& object) {
    const SelectionSlot slot = selection_slot(dc, object);
    if (slot.handle) put_in_slot(dc, slot, handle, object);
}

void kd508::platform::release_selections(const DeviceContext& dc) {
    GdiSection& section = gdi();
    release_selection(section, dc.pen, dc.selected.pen);
    release_selection(section, dc.brush, dc.selected.brush);
    release_selection(section, dc.font, dc.selected.font);
    release_selection(section, dc.bitmap, dc.selected.bitmap);
}

void kd508::platform::create_stock_objects() {
    for (auto& entry : stock_table()) {
        gdi().stock[static_cast<std::size_t>(entry.index)] = add_gdi_object(std::move(entry.object));
        ++gdi().stock_count;
    }
    gdi().default_bitmap = add_gdi_object(GdiObject{BitmapObject{PixelBuffer(1, 1), {}}, true});
    ++gdi().stock_count;
}

std::size_t kd508::platform::live_gdi_object_count() { return gdi().objects.live_count() - gdi().stock_count; }

HGDIOBJ WINAPI GetStockObject(int index) {
    if (index < 0 || index >= stock_object_count) return nullptr;
    return gdi().stock[static_cast<std::size_t>(index)];
}

HPEN WINAPI CreatePen(int style, int width, COLORREF colour) {
    if (style != PS_SOLID && style != PS_NULL) style = PS_SOLID;
    return static_cast<HPEN>(add_gdi_object(GdiObject{make_pen(style, width, colour)}));
}

HBRUSH WINAPI CreateSolidBrush(COLORREF colour) {
    return static_cast<HBRUSH>(add_gdi_object(GdiObject{BrushObject{false, colour & 0x00FFFFFF}}));
}

HBITMAP WINAPI CreateCompatibleBitmap(HDC dc, int width, int height) {
    if (!find_device_context(dc) || width <= 0 || height <= 0) return nullptr;
    BitmapObject bitmap;
    try {
        bitmap.bits = PixelBuffer(width, height);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return static_cast<HBITMAP>(add_gdi_object(GdiObject{std::move(bitmap)}));
}

HGDIOBJ WINAPI SelectObject(HDC dc_handle, HGDIOBJ handle) {
    GdiSection& section = gdi();
    DeviceContext* dc = section.contexts.find(dc_handle);
    GdiObject* object = section.objects.find(handle);
    if (!dc || !object) return nullptr;
    const SelectionSlot slot = selection_slot(*dc, *object);
    if (!slot.handle) return nullptr;
    if (*slot.handle == handle) return handle;
    // A bitmap can be selected into one device context at a time.
    if (std::holds_alternative<BitmapObject>(object->value) && object->selections > 0 && !object->stock) {
        return nullptr;
    }
    HGDIOBJ previous = *slot.handle;
    GdiObject* previous_object = *slot.object;
    put_in_slot(*dc, slot, handle, *object);
    release_selection(section, previous, previous_object);
    return previous;
}

BOOL WINAPI DeleteObject(HGDIOBJ handle) {
    GdiSection& section = gdi();
    GdiObject* object = section.objects.find(handle);
    if (!object) return FALSE;
    if (object->stock) return TRUE;  // stock objects are never deleted
    // A copy waiting on a bitmap's bits is made before they go.
    if (const auto* bitmap = std::get_if<BitmapObject>(&object->value); bitmap && bitmap->copied_to) {
        make_waiting_copy(bitmap->copied_to);
        object = section.objects.find(handle);
        if (!object) return FALSE;
    }
    if (object->selections > 0) {
        // A selected bitmap cannot be deleted; a selected pen, brush or font is freed when the
        // device context lets go of it, so that the context never draws with a freed object.
        if (std::holds_alternative<BitmapObject>(object->value)) return FALSE;
        object->delete_pending = true;
        return TRUE;
    }
    if (std::holds_alternative<BitmapObject>(object->value)) drop_journal(handle);
    return section.objects.erase(handle) ? TRUE : FALSE;
}
