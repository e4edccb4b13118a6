// Calls every public drawing function of the runtime with arguments from the whole 32-bit range
// (its edges weighted), texts of arbitrary bytes, and logging switched on and off. The sanitizers
// report any byte touched outside a buffer and any overflow; a call that takes longer than
// 100 ms aborts, since a library call that the caller cannot bound is a fault of its own.
#include <fuzzer/FuzzedDataProvider.h>

#include <time.h>

#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "headless/headless_driver.h"
#include "kd508.h"
#include "runtime_state.h"

namespace {

kd508::headless::Driver* driver = nullptr;

constexpr auto longest_call = std::chrono::milliseconds(100);
// Calls per input: enough for drawings to meet each other, few enough to keep runs quick.
constexpr int calls_per_input = 24;

// Values where arithmetic on coordinates, sizes and colours turns: the type's limits, the
// canvas's edges, the 16-bit limits that the platform's coordinates once had, and the limit the
// rasterizer's kernels accept.
constexpr int edge_values[] = {
    INT_MIN, INT_MIN + 1, -(1 << 30), -(1 << 28) - 1, -(1 << 28), -65536, -32769, -32768, -601, -600, -301, -300,
    -1, 0, 1, 2, 23, 24, 25, 299, 300, 301, 599, 600, 601, 32767, 32768, 65535, 65536, (1 << 28),
    (1 << 28) + 1, (1 << 30), INT_MAX - 1, INT_MAX,
};

int any_int(FuzzedDataProvider& data) {
    switch (data.ConsumeIntegralInRange<int>(0, 3)) {
        case 0:
            return data.PickValueInArray(edge_values);
        case 1:
            return data.ConsumeIntegralInRange<int>(-1000, 1000);
        default:
            return data.ConsumeIntegral<int>();
    }
}

enum class Call { circle, triangle, rectangle, line, clear, text, printf, logging, count };

// Arguments per call: up to eight numbers and one text.
inline constexpr int most_numbers = 8;
constexpr int numbers_of[] = {4, 8, 6, 6, 0, 4, 0, 1};

struct DrawingCall {
    Call call = Call::clear;
    int v[most_numbers] = {};
    std::string text;
};

DrawingCall next_call(FuzzedDataProvider& data) {
    DrawingCall drawing;
    drawing.call = static_cast<Call>(data.ConsumeIntegralInRange<int>(0, static_cast<int>(Call::count) - 1));
    for (int i = 0; i < numbers_of[static_cast<int>(drawing.call)]; ++i) drawing.v[i] = any_int(data);
    if (drawing.call == Call::text) drawing.text = data.ConsumeRandomLengthString(300);
    // Longer than the message buffer, so that cutting is reached.
    if (drawing.call == Call::printf) drawing.text = data.ConsumeRandomLengthString(1200);
    return drawing;
}

void make(const DrawingCall& d) {
    const int* v = d.v;
    switch (d.call) {
        case Call::circle:
            KD508_circle(v[0], v[1], v[2], v[3]);
            break;
        case Call::triangle:
            KD508_triangle(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
            break;
        case Call::rectangle:
            KD508_rectangle(v[0], v[1], v[2], v[3], v[4], v[5]);
            break;
        case Call::line:
            KD508_line(v[0], v[1], v[2], v[3], v[4], v[5]);
            break;
        case Call::clear:
            KD508_clear();
            break;
        case Call::text:
            // The bytes are text, never a format: a format is the caller's own.
            KD508_text(v[0], v[1], v[2], v[3], "%s", d.text.c_str());
            break;
        case Call::printf:
            KD508_printf("%s", d.text.c_str());
            break;
        case Call::logging:
            KD508_logging(v[0]);
            break;
        case Call::count:
            break;
    }
}

// The processor time the call took: the machine may be shared with other work, which stretches
// the time on the clock but not this.
std::chrono::nanoseconds thread_time() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

std::chrono::milliseconds time_of(const DrawingCall& drawing) {
    const auto start = thread_time();
    make(drawing);
    return std::chrono::duration_cast<std::chrono::milliseconds>(thread_time() - start);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    driver = new kd508::headless::Driver();
    kd508::reset_runtime_state();
    KD508_open(nullptr, nullptr, const_cast<char*>(""), 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    KD508_logging(data.ConsumeBool());
    for (int i = 0; i < calls_per_input && data.remaining_bytes() > 0; ++i) {
        const DrawingCall drawing = next_call(data);
        // A first call may pay for what later calls find ready (a glyph drawn at a new size); a
        // call is slow only when it is slow again at once.
        if (time_of(drawing) > longest_call) {
            const auto again = time_of(drawing);
            if (again > longest_call) {
                std::fprintf(stderr, "drawing call %d (%d, %d, %d, %d, %d, %d, %d, %d) took %lld ms\n",
                             static_cast<int>(drawing.call), drawing.v[0], drawing.v[1], drawing.v[2],
                             drawing.v[3], drawing.v[4], drawing.v[5], drawing.v[6], drawing.v[7],
                             static_cast<long long>(again.count()));
                std::abort();
            }
        }
    }
    return 0;
}
