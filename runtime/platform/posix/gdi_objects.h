// Pens, brushes, fonts and bitmaps in the layer's object pool.
#pragma once

#include "platform_state.h"

namespace kd508::platform {

GdiObject* find_gdi_object(HGDIOBJ object);

// The object's value when it is of type T, else null.
template <class T>
T* find_gdi(HGDIOBJ object) {
    GdiObject* found = find_gdi_object(object);
    return found ? std::get_if<T>(&found->value) : nullptr;
}

HGDIOBJ add_gdi_object(GdiObject object);

// Records in the device context what a newly selected object is (DeviceContext's selected_*
// fields), after its handle has gone into the context's slot for it.
void remember_selected(DeviceContext& dc, GdiObject& object);

// Called by SelectObject when a device context lets go of an object; frees it if DeleteObject
// came while it was selected.
void release_selection(HGDIOBJ object);

// Creates the stock objects in a fresh layer.
void create_stock_objects();

// Live objects, stock ones left out: tests compare the count before and after drawing.
std::size_t live_gdi_object_count();

}  // namespace kd508::platform
