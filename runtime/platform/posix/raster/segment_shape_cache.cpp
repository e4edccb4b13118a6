#include "segment_shape_cache.h"

#include <array>
#include <memory>
#include <vector>

#include "span.h"

namespace kd508::raster {
namespace {

// Shapes up to these sizes are kept. Recording one scans its bounding box once, so the limits
// keep a shape that is drawn only once close to the cost of drawing it directly.
constexpr std::int64_t widest_recorded_pen = 64;
constexpr std::int64_t longest_recorded_axis = 256;

// A pen paints at most width / 2 + 1 pixels beyond its path (the round ends width / 2, the body's
// corners rounded outwards one more); the scratch surface leaves this many empty pixels beyond
// that on every side, which a correct recording never touches.
constexpr std::int64_t recording_margin = 2;

// The colour a shape is recorded in; the scratch surface is otherwise empty.
constexpr Pixel recorded = 1;
constexpr Pixel empty = 0;

// One run of a recorded shape, in pixels from the segment's start point.
struct Run {
    std::int32_t row = 0;
    std::int32_t first = 0;
    std::int32_t end = 0;  // exclusive
};

struct ShapeKey {
    std::int64_t dx = 0;
    std::int64_t dy = 0;
    std::int64_t width = 0;  // 0 marks a slot that holds no shape

    bool operator==(const ShapeKey&) const = default;
};

struct RecordedShape {
    ShapeKey key;
    std::vector<Run> runs;
    Box bounds;  // of the runs, from the segment's start point
};

// Shapes are found by hashing to a set of a few slots, so that the limbs of one frame do not keep
// pushing each other out; within a set the oldest shape gives way, its run storage reused.
constexpr std::size_t shape_set_count = 128;
constexpr std::size_t shapes_per_set = 4;

struct ShapeSet {
    std::array<RecordedShape, shapes_per_set> shapes;
    std::size_t next_to_replace = 0;
};

// One cache per drawing thread. A set is made when a shape first falls in it: held whole in the
// thread's static storage, the sets would be copied into every thread the process starts (the
// toolkit's event reader and bus threads among them, which never draw), and a program draws few
// enough shapes to fill a fraction of them.
struct ShapeCache {
    std::array<std::unique_ptr<ShapeSet>, shape_set_count> sets;
    // Kept empty between recordings, so that recording never clears more than it painted.
    std::vector<Pixel> scratch;

    ShapeSet& set(std::size_t index) {
        std::unique_ptr<ShapeSet>& slot = sets[index];
        if (!slot) slot = std::make_unique<ShapeSet>();
        return *slot;
    }
};

ShapeCache& shape_cache() {
    thread_local ShapeCache cache;
    return cache;
}

std::size_t set_of(const ShapeKey& key) {
    std::uint64_t hash = static_cast<std::uint64_t>(key.dx) * 0x9E3779B97F4A7C15u;
    hash ^= static_cast<std::uint64_t>(key.dy) * 0xC2B2AE3D27D4EB4Fu;
    hash ^= static_cast<std::uint64_t>(key.width) * 0x165667B19E3779F9u;
    return static_cast<std::size_t>((hash ^ (hash >> 31)) % shape_set_count);
}

std::int64_t magnitude(std::int64_t value) { return value < 0 ? -value : value; }

// Draws the shape on the scratch surface and reads its runs back, emptying the scratch surface
// as it goes. False when a pixel landed in the margin, which would mean the shape reaches further
// than its pen should and may have been cut: such a shape is not kept.
bool record(ShapeCache& cache, const ShapeKey& key, RecordedShape& shape, SegmentPainter draw) {
    const std::int64_t pad = key.width / 2 + 1 + recording_margin;
    const int width = static_cast<int>(magnitude(key.dx) + 2 * pad + 1);
    const int height = static_cast<int>(magnitude(key.dy) + 2 * pad + 1);
    const std::size_t needed = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (cache.scratch.size() < needed) cache.scratch.resize(needed, empty);
    const Surface scratch{cache.scratch.data(), width, height, width};
    const Point start{pad + (key.dx < 0 ? -key.dx : 0), pad + (key.dy < 0 ? -key.dy : 0)};
    draw(scratch, start, Point{start.x + key.dx, start.y + key.dy}, key.width, recorded);

    std::vector<Run>& runs = shape.runs;
    runs.clear();
    shape.bounds = Box{};
    bool within_margin = true;
    for (int y = 0; y < height; ++y) {
        Pixel* row = scratch.row(y);
        for (std::size_t x = 0; x < static_cast<std::size_t>(width);) {
            const std::size_t first = x + first_unlike(row + x, static_cast<std::size_t>(width) - x, empty);
            if (first >= static_cast<std::size_t>(width)) break;
            const std::size_t end = first + first_unlike(row + first, static_cast<std::size_t>(width) - first, recorded);
            fill_run(row + first, end - first, empty);
            if (y < recording_margin || y >= height - recording_margin || first < recording_margin ||
                end > static_cast<std::size_t>(width - recording_margin))
                within_margin = false;
            const Run run{static_cast<std::int32_t>(y - start.y), static_cast<std::int32_t>(first - start.x),
                          static_cast<std::int32_t>(end - start.x)};
            runs.push_back(run);
            shape.bounds = shape.bounds.united(Box{run.first, run.row, run.end, run.row + 1});
            x = end;
        }
    }
    return within_margin;
}

}  // namespace

bool paint_recorded_segment(const Surface& surface, Point a, Point b, std::int64_t width, Pixel colour,
                            SegmentPainter draw) {
    const ShapeKey key{b.x - a.x, b.y - a.y, width};
    if (width <= 0 || width > widest_recorded_pen || magnitude(key.dx) > longest_recorded_axis ||
        magnitude(key.dy) > longest_recorded_axis)
        return false;

    ShapeCache& cache = shape_cache();
    ShapeSet& set = cache.set(set_of(key));
    const RecordedShape* shape = nullptr;
    for (const RecordedShape& candidate : set.shapes)
        if (candidate.key == key) shape = &candidate;
    if (!shape) {
        RecordedShape& slot = set.shapes[set.next_to_replace];
        slot.key = ShapeKey{};
        if (!record(cache, key, slot, draw)) return false;
        slot.key = key;
        set.next_to_replace = (set.next_to_replace + 1) % shapes_per_set;
        shape = &slot;
    }
    // Most segments lie wholly on the surface, and their runs need no clipping.
    const Box& bounds = shape->bounds;
    if (a.x + bounds.left >= 0 && a.y + bounds.top >= 0 && a.x + bounds.right <= surface.width &&
        a.y + bounds.bottom <= surface.height) {
        const int x = static_cast<int>(a.x), y = static_cast<int>(a.y);
        for (const Run& run : shape->runs) fill_span(surface, y + run.row, x + run.first, x + run.end, colour);
        return true;
    }
    for (const Run& run : shape->runs)
        fill_span_clipped(surface, a.y + run.row, a.x + run.first, a.x + run.end, colour);
    return true;
}

}  // namespace kd508::raster
