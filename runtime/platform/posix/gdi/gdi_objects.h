// Pens, brushes, fonts and bitmaps in the layer's object pool.
#pragma once

#include "core/platform_state.h"

namespace kd508::platform {

inline GdiObject* find_gdi_object(HGDIOBJ object) { return platform_state().gdi.objects.find(object); }

// The object's value when it is of type T, else null.
template <class T>
T* find_gdi(HGDIOBJ object) {
    GdiObject* found = find_gdi_object(object);
    return found ? std::get_if<T>(&found->value) : nullptr;
}

HGDIOBJ add_gdi_object(GdiObject&& object);

// Selects an object into a new device context (its default objects), as SelectObject would.
void select_into_new_context(DeviceContext& dc, HGDIOBJ handle, GdiObject& object);

// Lets go of everything a device context has selected, as it is deleted; frees the objects
// that DeleteObject came for while they were selected.
void release_selections(const DeviceContext& dc);

// Creates the stock objects in a fresh layer.
void create_stock_objects();

// Live objects, stock ones left out: tests compare the count before and after drawing.
std::size_t live_gdi_object_count();

}  // namespace kd508::platform
