#include "ellipse.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "exact_division.h"
#include "span.h"

namespace kd508::raster {
namespace {

// An ellipse in half- and quarter-pixel units, so that every box, odd or even, has integral
// numbers: the centre is given doubled, the semi-axes quadrupled.
struct EllipseShape {
    std::int64_t centre_x2 = 0;  // twice the centre's x
    std::int64_t centre_y2 = 0;
    std::int64_t semi_x4 = 0;    // four times the semi-axes
    std::int64_t semi_y4 = 0;
};

// Semi-axes up to this many quarter pixels are decided in exact integers; beyond, the shape is
// far larger than any surface and long double is precise enough.
constexpr std::int64_t exact_semi_axis_limit = std::int64_t{1} << 28;

EllipseShape shape_of(const Box& box) {
    // The outermost pixel centres are (width - 1) / 2 from the centre; a quarter pixel more
    // makes the edge.
    return EllipseShape{box.left + box.right - 1, box.top + box.bottom - 1, 2 * box.width() - 1,
                        2 * box.height() - 1};
}

// The same centre with the semi-axes grown (or shrunk) by half of width pixels.
EllipseShape grown(EllipseShape shape, std::int64_t width) {
    shape.semi_x4 += 2 * width;
    shape.semi_y4 += 2 * width;
    return shape;
}

struct Span {
    std::int64_t first = 0;  // inclusive pixel columns
    std::int64_t last = 0;
};

// The largest half-pixel offset h from the centre with (2h / a)^2 + (q / b)^2 <= 1, where q is
// the row's offset in quarter pixels; none when the row misses the ellipse.
std::optional<std::int64_t> half_extent(const EllipseShape& shape, std::int64_t row_offset_q) {
    const std::int64_t a = shape.semi_x4;
    const std::int64_t b = shape.semi_y4;
    if (a <= 0 || b <= 0) return std::nullopt;
    if (row_offset_q < -b || row_offset_q > b) return std::nullopt;
    using Real = long double;
    const Real ratio = static_cast<Real>(row_offset_q) / static_cast<Real>(b);
    const Real estimate = static_cast<Real>(a) * std::sqrt(std::max<Real>(0, 1 - ratio * ratio)) / 2;
    std::int64_t h = static_cast<std::int64_t>(std::floor(estimate));
    if (a < exact_semi_axis_limit && b < exact_semi_axis_limit) {
        // 4 h^2 b^2 <= a^2 (b^2 - q^2), settled exactly around the estimate.
        const Wide limit = static_cast<Wide>(a) * a * (static_cast<Wide>(b) * b - static_cast<Wide>(row_offset_q) * row_offset_q);
        const auto fits = [&](std::int64_t candidate) {
            return 4 * static_cast<Wide>(candidate) * candidate * b * b <= limit;
        };
        while (h > 0 && !fits(h)) --h;
        while (fits(h + 1)) ++h;
    }
    return h;
}

// The pixels of row y inside the ellipse.
std::optional<Span> row_span(const EllipseShape& shape, std::int64_t y) {
    const std::int64_t offset_y2 = 2 * y - shape.centre_y2;
    const std::optional<std::int64_t> h = half_extent(shape, 2 * offset_y2);
    if (!h) return std::nullopt;
    // Columns x with |2x - centre_x2| <= h.
    const Span span{static_cast<std::int64_t>(ceil_div(shape.centre_x2 - *h, 2)),
                    static_cast<std::int64_t>(floor_div(shape.centre_x2 + *h, 2))};
    if (span.first > span.last) return std::nullopt;
    return span;
}

bool paints_nothing(const Box& box) { return box.width() < 2 || box.height() < 2; }

// Paints a row's span minus the hole (inclusive columns), in up to two pieces.
void fill_span_around(const Surface& surface, int y, Span span, std::optional<Span> hole, Pixel colour) {
    if (!hole || hole->first > hole->last || hole->last < span.first || hole->first > span.last) {
        fill_span_clipped(surface, y, span.first, span.last + 1, colour);
        return;
    }
    fill_span_clipped(surface, y, span.first, hole->first, colour);
    fill_span_clipped(surface, y, hole->last + 1, span.last + 1, colour);
}

}  // namespace

void fill_ellipse(const Surface& surface, const Box& box, Pixel colour) {
    if (paints_nothing(box)) return;
    const EllipseShape shape = shape_of(box);
    const RowRange rows = visible_rows(surface, box.top, box.bottom);
    for (int y = rows.begin; y < rows.end; ++y)
        if (const auto span = row_span(shape, y)) fill_span_clipped(surface, y, span->first, span->last + 1, colour);
}

void outline_ellipse(const Surface& surface, const Box& box, Pixel colour) {
    if (paints_nothing(box)) return;
    const EllipseShape shape = shape_of(box);
    const RowRange rows = visible_rows(surface, box.top, box.bottom);
    for (int y = rows.begin; y < rows.end; ++y) {
        const auto span = row_span(shape, y);
        if (!span) continue;
        // A pixel is inside the rim when its four neighbours are in the ellipse; the spans are
        // convex, so those pixels form one run.
        std::optional<Span> interior;
        const auto above = row_span(shape, std::int64_t{y} - 1);
        const auto below = row_span(shape, std::int64_t{y} + 1);
        if (above && below)
            interior = Span{std::max({span->first + 1, above->first, below->first}),
                            std::min({span->last - 1, above->last, below->last})};
        fill_span_around(surface, y, *span, interior, colour);
    }
}

void stroke_ellipse(const Surface& surface, const Box& box, std::int64_t width, Pixel colour) {
    if (paints_nothing(box) || width <= 0) return;
    const EllipseShape outer = grown(shape_of(box), width);
    const EllipseShape inner = grown(shape_of(box), -width);
    const RowRange rows = visible_rows(surface, box.top - width, box.bottom + width);
    for (int y = rows.begin; y < rows.end; ++y) {
        const auto span = row_span(outer, y);
        if (span) fill_span_around(surface, y, *span, row_span(inner, y), colour);
    }
}

}  // namespace kd508::raster
