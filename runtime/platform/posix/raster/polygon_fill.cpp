#include "polygon_fill.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "exact_division.h"
#include "span.h"

namespace kd508::raster {
namespace {

// An edge oriented downwards; it covers the rows top..bottom-1.
struct Edge {
    std::int64_t top_x;
    std::int64_t top;
    std::int64_t bottom;
    std::int64_t dx;  // bottom x minus top x
};

}  // namespace

void fill_polygon_alternate(const Surface& surface, std::span<const Point> vertices, Pixel colour) {
    if (vertices.size() < 3) return;

    std::vector<Edge> edges;
    edges.reserve(vertices.size());
    std::int64_t top = vertices[0].y;
    std::int64_t bottom = vertices[0].y;
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        Point a = vertices[i];
        Point b = vertices[(i + 1) % vertices.size()];
        top = std::min(top, a.y);
        bottom = std::max(bottom, a.y);
        // A horizontal edge crosses no row centre line; its pixels belong to the edges beside it.
        if (a.y == b.y) continue;
        if (a.y > b.y) std::swap(a, b);
        edges.push_back(Edge{a.x, a.y, b.y, b.x - a.x});
    }

    const RowRange rows = visible_rows(surface, top, bottom);
    std::vector<std::int64_t> crossings;
    crossings.reserve(edges.size());
    for (int y = rows.begin; y < rows.end; ++y) {
        crossings.clear();
        for (const Edge& edge : edges) {
            if (y < edge.top || y >= edge.bottom) continue;
            // The first pixel centre at or right of the crossing point, exactly.
            const Wide along = static_cast<Wide>(y - edge.top) * edge.dx;
            const Wide first_x = edge.top_x + ceil_div(along, edge.bottom - edge.top);
            // Clamping keeps the value in 64 bits without moving it across the surface.
            crossings.push_back(static_cast<std::int64_t>(
                std::clamp<Wide>(first_x, -1, static_cast<Wide>(surface.width) + 1)));
        }
        std::sort(crossings.begin(), crossings.end());
        for (std::size_t k = 0; k + 1 < crossings.size(); k += 2)
            fill_span_clipped(surface, y, crossings[k], crossings[k + 1], colour);
    }
}

}  // namespace kd508::raster
