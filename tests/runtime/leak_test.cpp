// Drawing frame after frame leaks nothing: no pen, brush, font or memory block outlives a call.
#include "drawing_fixture.h"

namespace kd508::testing {
namespace {

constexpr int calls_per_operation = 10000;

class Leaks : public OpenRuntime {};

TEST_F(Leaks, EveryDrawingOperationGivesBackWhatItTakes) {
    KD508_logging(0);
    const std::size_t objects = platform::live_gdi_object_count();
    const std::size_t contexts = platform::live_device_context_count();
    const std::size_t blocks = platform::live_global_block_count();

    for (int i = 0; i < calls_per_operation; ++i) {
        const int colour = i % KD508_COLOUR_COUNT;
        const int offset = i % 200 - 100;
        KD508_circle(colour, offset, -offset, i % 30);
        KD508_triangle(colour, offset, 0, 0, offset, 20, 20, i % 3);
        KD508_rectangle(colour, offset, offset, 0, 0, i % 3);
        KD508_line(colour, offset, 0, 0, offset, i % 4);
        KD508_text(colour, offset, offset, i % 40, "frame %d", i);
        if (i % 1000 == 0) KD508_clear();
    }

    EXPECT_EQ(platform::live_gdi_object_count(), objects);
    EXPECT_EQ(platform::live_device_context_count(), contexts);
    EXPECT_EQ(platform::live_global_block_count(), blocks);
}

// Messages and log lines paint the text window; the ring keeps its 25 blocks and nothing else.
TEST_F(Leaks, MessagesKeepOnlyTheRingsBlocks) {
    for (int i = 0; i < log_ring_size; ++i) KD508_printf("filling %d\n", i);
    const std::size_t objects = platform::live_gdi_object_count();
    const std::size_t contexts = platform::live_device_context_count();
    const std::size_t blocks = platform::live_global_block_count();

    for (int i = 0; i < 200; ++i) {
        KD508_circle(-1, 0, 0, -2);
        KD508_text(99, 0, 0, -200, "x");
        KD508_clear();
    }

    EXPECT_EQ(platform::live_gdi_object_count(), objects);
    EXPECT_EQ(platform::live_device_context_count(), contexts);
    EXPECT_EQ(platform::live_global_block_count(), blocks);
}

}  // namespace
}  // namespace kd508::testing
