// Checks of what a kernel expects of its caller (a span clipped to the surface, a run of a
// length the kernel was written for), on in Debug builds and in the sanitizer build, where a
// broken promise stops the program at the call that broke it instead of writing past a row.
// Elsewhere a check compiles to nothing: the kernels run once per span and pixel run, and the
// shipped and benchmarked builds pay nothing for them. The condition is not evaluated then, so
// it must have no effect of its own.
#pragma once

#if defined(KD508_CHECK_PRECONDITIONS)

#include <cstdio>
#include <cstdlib>

namespace kd508::raster {

inline constexpr bool preconditions_checked = true;

// Reports the broken condition and where it was required, and stops the program.
[[noreturn]] inline void precondition_failed(const char* condition, const char* function, const char* file, int line) {
    std::fprintf(stderr, "precondition failed: %s, in %s at %s:%d\n", condition, function, file, line);
    std::fflush(stderr);
    std::abort();
}

}  // namespace kd508::raster

#define KD508_PRECONDITION(condition)                                                                   \
    ((condition) ? static_cast<void>(0)                                                                 \
                 : ::kd508::raster::precondition_failed(#condition, __func__, __FILE__, __LINE__))

#else

namespace kd508::raster {

inline constexpr bool preconditions_checked = false;

}  // namespace kd508::raster

// The condition stays an operand of sizeof, so that a name used only in checks is still used.
#define KD508_PRECONDITION(condition) static_cast<void>(sizeof(!(condition)))

#endif
