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

// The first pixel centre at or right of the edge's crossing of row y, exactly, clamped to just
// beyond the surface, which keeps it in 64 bits without moving it across the surface.
template <typename Integer>
std::int64_t first_x_on_row(const Edge& edge, std::int64_t y, int surface_width) {
    const Integer along = static_cast<Integer>(y - edge.top) * edge.dx;
    const Integer first_x = edge.top_x + ceil_div<Integer>(along, edge.bottom - edge.top);
    return static_cast<std::int64_t>(std::clamp<Integer>(first_x, -1, static_cast<Integer>(surface_width) + 1));
}

// The edge and crossing lists are kept from call to call, so that filling allocates nothing
// once they have grown to the largest polygon drawn.
struct FillScratch {
    std::vector<Edge> edges;
    std::vector<std::int64_t> crossings;
};

FillScratch& fill_scratch() {
    thread_local FillScratch scratch;
    return scratch;
}

}  // namespace

void fill_polygon_alternate(const Surface& surface, std::span<const Point> vertices, Pixel colour) {
    if (vertices.size() < 3) return;

    FillScratch& scratch = fill_scratch();
    std::vector<Edge>& edges = scratch.edges;
    edges.clear();
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
    std::vector<std::int64_t>& crossings = scratch.crossings;
    for (int y = rows.begin; y < rows.end; ++y) {
        crossings.clear();
        for (const Edge& edge : edges) {
            if (y < edge.top || y >= edge.bottom) continue;
            const bool narrow = edge.bottom - edge.top < narrow_factor_limit &&
                                edge.dx < narrow_factor_limit && edge.dx > -narrow_factor_limit;
            crossings.push_back(narrow ? first_x_on_row<std::int64_t>(edge, y, surface.width)
                                       : first_x_on_row<Wide>(edge, y, surface.width));
        }
        std::sort(crossings.begin(), crossings.end());
        for (std::size_t k = 0; k + 1 < crossings.size(); k += 2)
            fill_span_clipped(surface, y, crossings[k], crossings[k + 1], colour);
    }
}

}  // namespace kd508::raster
