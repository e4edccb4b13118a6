#include "ellipse.h"

#include <algorithm>
#include <array>
#include <vector>
#include <cmath>
#include <memory>
#include <optional>

#include "exact_division.h"
#include "precondition.h"
#include "span.h"

namespace kd508::raster {
namespace {

// Offsets from the box's centre are doubled, so that odd and even boxes both have integral
// ones: the pixel at index i of a box whose first and last indices are f and l lies at
// |2i - (f + l)|. In these units the ellipse's semi-axes are the box's width and height less
// one, and its equation at an offset (x, y) is F = b²x² + a²y² - a²b².
//
// The reference traces a quarter of the edge from (a, 0), or (a, 1) for an even height, towards
// the top. From each pixel (x, y) it steps left when F(x-2, y+2) + F(x, y+2) >= 0, up when
// F(x-2, y+2) + F(x-2, y) <= 0, both when both hold, and it stops once x < 0 or y > b. A row's
// pixels are those up to the first x the trace reaches on it. Rather than walking the whole
// trace, which could be 2^32 steps long, each row's first x is found from the row below in
// closed form:
//   - the trace leaves row y at the first x (going left) where it steps up: the largest x with
//     b²(x-2)² <= a²(b² - (y+1)² - 1);
//   - it reaches that x no further left than the largest x still inside the row's decision,
//     b²(x-1)² < a²(b² - y²) - b², which bounds it while the edge is steeper than a diagonal;
//   - the smaller of the two, x', moves one more step left on the way up unless
//     b²(x'-1)² < a²(b² - (y+2)²) - b² still holds on the row above.
// Both quadratic conditions hold on an interval of x, so the largest x on the row's grid
// (x of the parity of a, 0 <= x <= a) follows from one square root.
struct Quadrant {
    std::int64_t a = 0;  // doubled semi-axes
    std::int64_t b = 0;
};

// Below this size every product below fits in 64 bits (a²b² < 2^60) and the rows are decided in
// plain integers; that covers every box a surface can show whole. Up to exact_axis_limit they fit
// in signed 128 bits, and up to unsigned_axis_limit (every box of a 32-bit drawing call) in
// unsigned ones. A larger ellipse is far larger than any surface, and long double decides its
// rows to well within a pixel.
constexpr std::int64_t narrow_axis_limit = std::int64_t{1} << 15;
constexpr std::int64_t exact_axis_limit = std::int64_t{1} << 30;

std::int64_t floor_sqrt(std::int64_t n) {
    // A double's square root of a value below 2^60 is within one of the exact root.
    std::int64_t root = static_cast<std::int64_t>(std::sqrt(static_cast<double>(n)));
    while (root > 0 && root * root > n) --root;
    while ((root + 1) * (root + 1) <= n) ++root;
    return root;
}
std::int64_t floor_sqrt(Wide n) {
    Wide root = static_cast<Wide>(std::sqrt(static_cast<long double>(n)));
    while (root > 0 && root * root > n) --root;
    while ((root + 1) * (root + 1) <= n) ++root;
    return static_cast<std::int64_t>(root);
}
long double floor_sqrt(long double n) { return std::floor(std::sqrt(n)); }

std::int64_t floor_quotient(std::int64_t n, std::int64_t d) { return n / d; }
long double floor_quotient(long double n, std::int64_t d) { return std::floor(n / static_cast<long double>(d)); }

// The largest x of the quadrant's grid with b²(x - centre)² <= limit; none when there is none.
template <typename Number>
std::optional<std::int64_t> largest_on_grid(const Quadrant& q, std::int64_t centre, Number limit) {
    if (limit < 0) return std::nullopt;
    // b·u <= sqrt(limit) for u = |x - centre|.
    const auto reach = floor_quotient(floor_sqrt(limit), q.b);
    const auto clamp = [&](auto value) { return static_cast<std::int64_t>(std::min<decltype(value)>(value, q.a + 1)); };
    const std::int64_t u = clamp(reach);
    std::int64_t x = std::min(q.a, centre + u);
    if ((q.a - x) % 2 != 0) --x;
    if (x < 0 || x < centre - u) return std::nullopt;
    return x;
}

template <typename Number>
std::optional<std::int64_t> row_extent_in(const Quadrant& q, std::int64_t y) {
    const Number a = q.a;
    const Number b = q.b;
    const auto row_decision_limit = [&](std::int64_t row) {
        return a * a * (b * b - Number(row) * row) - b * b - 1;
    };
    const std::int64_t below = y - 2;
    const Number step_up_limit = a * a * (b * b - Number(below + 1) * (below + 1) - 1);
    const auto leaves = largest_on_grid(q, 2, step_up_limit);
    const auto reaches = largest_on_grid(q, 1, row_decision_limit(below));
    if (!leaves || !reaches) return std::nullopt;
    const std::int64_t x = std::min(*leaves, *reaches);
    const bool stays = b * b * (Number(x) - 1) * (Number(x) - 1) <= row_decision_limit(y);
    const std::int64_t first = stays ? x : x - 2;
    if (first < 0) return std::nullopt;
    return first;
}

// Boxes of a 32-bit drawing call reach 2^32 pixels across, where a²b² needs all 128 bits: the
// rows are decided there in unsigned 128-bit integers, with every difference kept non-negative.
using Unsigned = unsigned __int128;
constexpr std::int64_t unsigned_axis_limit = std::int64_t{1} << 32;

// floor(sqrt(n)) for any n below 2^128; the root may pass 2^63.
std::uint64_t floor_sqrt(Unsigned n) {
    constexpr Unsigned largest_root = ~std::uint64_t{0};
    Unsigned root = static_cast<Unsigned>(std::sqrt(static_cast<long double>(n)));
    if (root > largest_root) root = largest_root;
    while (root > 0 && root * root > n) --root;
    while (root < largest_root && (root + 1) * (root + 1) <= n) ++root;
    return static_cast<std::uint64_t>(root);
}

// A non-negative 128-bit limit, or none for a negative one.
using UnsignedLimit = std::optional<Unsigned>;

// The largest x of the quadrant's grid with b²(x - centre)² <= limit; none when there is none.
std::optional<std::int64_t> largest_on_grid(const Quadrant& q, std::int64_t centre, UnsignedLimit limit) {
    if (!limit) return std::nullopt;
    const std::uint64_t reach = floor_sqrt(*limit) / static_cast<std::uint64_t>(q.b);
    const auto u = static_cast<std::int64_t>(std::min<std::uint64_t>(reach, static_cast<std::uint64_t>(q.a) + 1));
    std::int64_t x = std::min(q.a, centre + u);
    if ((q.a - x) % 2 != 0) --x;
    if (x < 0 || x < centre - u) return std::nullopt;
    return x;
}

// The same rule as row_extent_in, for doubled semi-axes below 2^32 (and row <= b).
std::optional<std::int64_t> row_extent_unsigned(const Quadrant& q, std::int64_t y) {
    const Unsigned a2 = static_cast<Unsigned>(q.a) * static_cast<Unsigned>(q.a);
    const Unsigned b2 = static_cast<Unsigned>(q.b) * static_cast<Unsigned>(q.b);
    const auto squared = [](std::int64_t v) { return static_cast<Unsigned>(v) * static_cast<Unsigned>(v); };
    // a²(b² - row²) - b² - 1, for 0 <= row <= b.
    const auto row_decision_limit = [&](std::int64_t row) -> UnsignedLimit {
        const Unsigned product = a2 * (b2 - squared(row));
        if (product < b2 + 1) return std::nullopt;
        return product - b2 - 1;
    };
    const std::int64_t below = y - 2;
    // a²(b² - (below + 1)² - 1); below + 1 < b, so the difference is not negative.
    const Unsigned rows_left = b2 - squared(below + 1);
    UnsignedLimit step_up_limit;
    if (rows_left >= 1) step_up_limit = a2 * (rows_left - 1);
    const auto leaves = largest_on_grid(q, 2, step_up_limit);
    const auto reaches = largest_on_grid(q, 1, row_decision_limit(below));
    if (!leaves || !reaches) return std::nullopt;
    const std::int64_t x = std::min(*leaves, *reaches);
    const UnsignedLimit limit = row_decision_limit(y);
    const bool stays = limit && b2 * squared(x - 1) <= *limit;
    const std::int64_t first = stays ? x : x - 2;
    if (first < 0) return std::nullopt;
    return first;
}

// The doubled half-width of the row at doubled offset y from the centre; none when the row
// has no pixel. Each path is exact; the narrowest one that holds the box's products is taken,
// from the arithmetic given on.
template <EllipseArithmetic from>
std::optional<std::int64_t> row_extent(const Quadrant& q, std::int64_t y) {
    if (y > q.b) return std::nullopt;
    if (y < 2) return q.a;  // the trace starts on the middle row (two rows for an even height)
    const auto below = [&](std::int64_t limit) { return q.a < limit && q.b < limit; };
    if (from == EllipseArithmetic::narrowest && below(narrow_axis_limit)) return row_extent_in<std::int64_t>(q, y);
    if (from != EllipseArithmetic::unsigned_wide && below(exact_axis_limit)) return row_extent_in<Wide>(q, y);
    if (below(unsigned_axis_limit)) return row_extent_unsigned(q, y);
    return row_extent_in<long double>(q, y);
}

using Span = EllipseRow;

bool too_thin_for_an_inside(const Box& box) { return box.width() < 3 || box.height() < 3; }

// The doubled half-widths of every row of one box size, by half the row's doubled offset from
// the centre. The same boxes come back many times a frame (every bug has the same body), so the
// tables of the last box sizes are kept, each slot's storage reused when another size takes it.
constexpr std::int64_t tabled_height_limit = 1024;
constexpr std::size_t table_set_count = 128;
constexpr std::size_t tables_per_set = 4;
constexpr std::int32_t no_row = -1;

// A row of the box as the fill writes it: count pixels from first, both from the box's left
// edge; a row without pixels has a count of 0.
struct BoxRow {
    std::int32_t first = 0;
    std::int32_t count = 0;
};

struct SpanTable {
    Quadrant quadrant{-1, -1};
    std::vector<std::int32_t> extents;
    std::vector<BoxRow> box_rows;  // from the box's top row down
};

// Tables are found by hashing the box size to a set of a few slots, so that the sizes of one
// frame do not keep pushing each other out; within a set the oldest table gives way.
struct SpanTableSet {
    std::array<SpanTable, tables_per_set> tables;
    std::size_t next_to_replace = 0;
};

std::size_t set_of(const Quadrant& q) {
    const std::uint64_t key = static_cast<std::uint64_t>(q.a) * 0x9E3779B97F4A7C15u ^ static_cast<std::uint64_t>(q.b);
    return static_cast<std::size_t>((key ^ (key >> 29)) % table_set_count);
}

const SpanTable* span_table(const Quadrant& q) {
    if (q.a >= narrow_axis_limit || q.b >= tabled_height_limit) return nullptr;
    // Each drawing thread keeps its own tables, and a set is made when a size first falls in
    // it: held whole in the thread's static storage, the sets would be copied into every thread
    // the process starts (the toolkit's event reader and bus threads among them, which never
    // draw), and a program draws few enough sizes to fill a fraction of them.
    thread_local std::array<std::unique_ptr<SpanTableSet>, table_set_count> sets;
    std::unique_ptr<SpanTableSet>& slot = sets[set_of(q)];
    if (!slot) slot = std::make_unique<SpanTableSet>();
    SpanTableSet& set = *slot;
    for (const SpanTable& table : set.tables)
        if (table.quadrant.a == q.a && table.quadrant.b == q.b) return &table;
    SpanTable& table = set.tables[set.next_to_replace];
    set.next_to_replace = (set.next_to_replace + 1) % tables_per_set;
    table.quadrant = q;
    const std::int64_t parity = q.b % 2;
    table.extents.resize(static_cast<std::size_t>(q.b / 2 + 1));
    for (std::size_t k = 0; k < table.extents.size(); ++k) {
        const auto extent = row_extent<EllipseArithmetic::narrowest>(q, parity + 2 * static_cast<std::int64_t>(k));
        table.extents[k] = extent ? static_cast<std::int32_t>(*extent) : no_row;
    }
    // The doubled centre of a box whose left edge is 0 is its width less one, that is a.
    table.box_rows.resize(static_cast<std::size_t>(q.b + 1));
    for (std::size_t row = 0; row < table.box_rows.size(); ++row) {
        const std::int64_t offset = 2 * static_cast<std::int64_t>(row) - q.b;
        const std::int32_t extent = table.extents[static_cast<std::size_t>((offset < 0 ? -offset : offset) / 2)];
        table.box_rows[row] = extent == no_row ? BoxRow{}
                                               : BoxRow{static_cast<std::int32_t>((q.a - extent) / 2), extent + 1};
    }
    return &table;
}

// The rows of one box, looked up in its size's table when it has one.
class EllipseRows {
public:
    explicit EllipseRows(const Box& box)
        : box_(box), thin_(too_thin_for_an_inside(box)), quadrant_{box.width() - 1, box.height() - 1},
          table_(thin_ || box.empty() ? nullptr : span_table(quadrant_)) {}

    std::optional<Span> row(std::int64_t y) const {
        if (box_.empty() || y < box_.top || y >= box_.bottom) return std::nullopt;
        if (thin_) return Span{box_.left, box_.right - 1};
        const std::int64_t offset = 2 * y - (box_.top + box_.bottom - 1);
        const std::int64_t distance = offset < 0 ? -offset : offset;
        std::optional<std::int64_t> extent;
        if (table_) {
            const std::int32_t tabled = table_->extents[static_cast<std::size_t>(distance / 2)];
            if (tabled != no_row) extent = tabled;
        } else {
            extent = row_extent<EllipseArithmetic::narrowest>(quadrant_, distance);
        }
        if (!extent) return std::nullopt;
        // The extent has the parity of the doubled centre, so both ends divide exactly.
        const std::int64_t centre = box_.left + box_.right - 1;
        return Span{(centre - *extent) / 2, (centre + *extent) / 2};
    }

    // Calls visit(y, span) for each row of rows that has pixels of the ellipse. With a table,
    // rows are read from it without the checks row() makes for a single row.
    template <class Visit>
    void for_each_row(RowRange rows, Visit&& visit) const {
        if (!table_) {
            for (int y = rows.begin; y < rows.end; ++y)
                if (const auto span = row(y)) visit(y, *span);
            return;
        }
        const std::int64_t centre = box_.left + box_.right - 1;
        std::int64_t offset = 2 * std::int64_t{rows.begin} - (box_.top + box_.bottom - 1);
        for (int y = rows.begin; y < rows.end; ++y, offset += 2) {
            const std::int32_t extent = table_->extents[static_cast<std::size_t>((offset < 0 ? -offset : offset) / 2)];
            if (extent != no_row) visit(y, Span{(centre - extent) / 2, (centre + extent) / 2});
        }
    }

    // Fills the ellipse of a box that lies wholly on the surface, when its size has a table:
    // nothing is clipped, and each row costs its stores. False when the box has no table.
    bool fill_whole(const Surface& surface, Pixel colour) const {
        if (!table_) return false;
        KD508_PRECONDITION(box_.left >= 0 && box_.top >= 0 && box_.right <= surface.width && box_.bottom <= surface.height);
        Pixel* row = surface.row(static_cast<int>(box_.top)) + box_.left;
        for (const BoxRow& span : table_->box_rows) {
            fill_pixels(row + span.first, span.count, colour);
            row += surface.stride;
        }
        return true;
    }

private:
    Box box_;
    bool thin_;
    Quadrant quadrant_;
    const SpanTable* table_;
};

// Whether any column of the box lies on the surface.
bool reaches_surface_columns(const Surface& surface, const Box& box) {
    return box.right > 0 && box.left < surface.width;
}

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

std::optional<EllipseRow> ellipse_row(const Box& box, std::int64_t y) { return EllipseRows(box).row(y); }

std::optional<EllipseRow> ellipse_row_using(EllipseArithmetic arithmetic, const Box& box, std::int64_t y) {
    if (box.empty() || y < box.top || y >= box.bottom) return std::nullopt;
    if (too_thin_for_an_inside(box)) return Span{box.left, box.right - 1};
    const Quadrant quadrant{box.width() - 1, box.height() - 1};
    const std::int64_t offset = 2 * y - (box.top + box.bottom - 1);
    const std::int64_t distance = offset < 0 ? -offset : offset;
    std::optional<std::int64_t> extent;
    switch (arithmetic) {
        case EllipseArithmetic::narrowest: extent = row_extent<EllipseArithmetic::narrowest>(quadrant, distance); break;
        case EllipseArithmetic::wide: extent = row_extent<EllipseArithmetic::wide>(quadrant, distance); break;
        case EllipseArithmetic::unsigned_wide: extent = row_extent<EllipseArithmetic::unsigned_wide>(quadrant, distance); break;
    }
    if (!extent) return std::nullopt;
    const std::int64_t centre = box.left + box.right - 1;
    return Span{(centre - *extent) / 2, (centre + *extent) / 2};
}

void fill_ellipse(const Surface& surface, const Box& box, Pixel colour) {
    if (!reaches_surface_columns(surface, box)) return;
    const EllipseRows ellipse(box);
    const bool whole_on_surface = box.left >= 0 && box.top >= 0 && box.right <= surface.width && box.bottom <= surface.height;
    if (whole_on_surface && ellipse.fill_whole(surface, colour)) return;
    const RowRange rows = visible_rows(surface, box.top, box.bottom);
    if (rows.begin >= rows.end) return;
    ellipse.for_each_row(
        rows, [&](int y, Span span) { fill_span_clipped(surface, y, span.first, span.last + 1, colour); });
}

void outline_ellipse(const Surface& surface, const Box& box, Pixel colour) {
    if (!reaches_surface_columns(surface, box)) return;
    const RowRange rows = visible_rows(surface, box.top, box.bottom);
    if (rows.begin >= rows.end) return;
    const EllipseRows ellipse(box);
    std::optional<Span> above = ellipse.row(std::int64_t{rows.begin} - 1);
    std::optional<Span> span = ellipse.row(rows.begin);
    for (int y = rows.begin; y < rows.end; ++y) {
        const std::optional<Span> below = ellipse.row(std::int64_t{y} + 1);
        if (span) {
            // A pixel is inside the rim when its four neighbours are in the ellipse; the spans
            // are convex, so those pixels form one run.
            std::optional<Span> interior;
            if (above && below)
                interior = Span{std::max({span->first + 1, above->first, below->first}),
                                std::min({span->last - 1, above->last, below->last})};
            fill_span_around(surface, y, *span, interior, colour);
        }
        above = span;
        span = below;
    }
}

}  // namespace kd508::raster
