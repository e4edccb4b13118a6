#include "formatted_text.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdio>
#include <cstring>

namespace kd508 {

int format_text(char (&buffer)[printf_buffer_size], const char* format, va_list arguments) {
    buffer[0] = '\0';
    // Captions, labels and echoed lines come as "%s" with one string, and copying that string
    // gives the same bytes and length as the formatting at a fraction of its cost; everything
    // else, a null string among it ("(null)"), goes through vsnprintf.
    if (format && std::strcmp(format, "%s") == 0) {
        va_list peek;
        va_copy(peek, arguments);
        const char* text = va_arg(peek, const char*);
        va_end(peek);
        const std::size_t length = text ? std::strlen(text) : 0;
        if (text && length <= static_cast<std::size_t>(INT_MAX)) {
            const std::size_t kept = std::min(length, sizeof buffer - 1);
            std::memcpy(buffer, text, kept);
            buffer[kept] = '\0';
            return static_cast<int>(length);
        }
    }
    return std::vsnprintf(buffer, sizeof buffer, format, arguments);
}

}  // namespace kd508
