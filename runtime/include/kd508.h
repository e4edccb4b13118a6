/* The KD508 graphics runtime: windows and an off-screen canvas, an event wait, animation
 * control, a message window, script recording and playback, a palette of 24 colours, shapes
 * and text. Logical coordinates have their origin at the centre of the graphics window's client
 * area, x to the right and y upward. Usable from C and C++. */
#ifndef KD508_H
#define KD508_H

#ifdef __cplusplus
extern "C" {
#endif

/* Event kinds returned by KD508_await_event. */
enum {
    KD508_MOUSE = 1,
    KD508_KBD = 2,
    KD508_PERIODIC = 3,
    KD508_QUIT = 4
};

/* Commands for KD508_animate; 3 and 4 are accepted and do nothing. */
enum {
    ANIMATE_HALT = 0,
    ANIMATE_SINGLE_STEP = 1,
    ANIMATE_RUN = 2,
    ANIMATE_QUIT = 5
};

/* Palette indices. */
enum {
    KD508_BLACK = 0,
    KD508_WHITE = 1,
    KD508_RED = 2,
    KD508_GREEN = 3,
    KD508_BLUE = 4,
    KD508_YELLOW = 5,
    KD508_MAGENTA = 6,
    KD508_CYAN = 7,
    KD508_PURPLE = 8,
    KD508_NAVY_BLUE = 9,
    KD508_DUSTY_PLUM = 10,
    KD508_ICE_BLUE = 11,
    KD508_TURQUOISE = 12,
    KD508_ORANGE = 13,
    KD508_BROWN = 14,
    KD508_PINK = 15,
    KD508_CHALK = 16,
    KD508_GOLD = 17,
    KD508_PEACH = 18,
    KD508_FOREST_GREEN = 19,
    KD508_SEA_GREEN = 20,
    KD508_OLIVE = 21,
    KD508_GRAY_50 = 22,
    KD508_GRAY_20 = 23,
    KD508_COLOUR_COUNT = 24
};

/* Lifecycle. Both return 1. KD508_open takes the four arguments of the platform's entry point
 * (instance, previous instance, command line, show mode); the handles are passed untyped so that
 * callers need no platform header. */
int KD508_open(void* instance, void* previous_instance, char* command_line, int show_mode);
int KD508_close(void);

/* Waits for the next event and returns its kind, with the logical position of a click and
 * the character of a key. */
int KD508_await_event(int* x, int* y, char* key);

/* Returns 0 before KD508_open, else 1. */
int KD508_animate(int command);
int KD508_logging(int on);

/* printf into the text window; returns the formatted length. */
int KD508_printf(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

/* Drawing on the canvas; each returns 1. Width 0 fills triangles and rectangles. */
int KD508_circle(int colour, int x, int y, int radius);
int KD508_triangle(int colour, int x1, int y1, int x2, int y2, int x3, int y3, int width);
int KD508_rectangle(int colour, int x1, int y1, int x2, int y2, int width);
int KD508_line(int colour, int x1, int y1, int x2, int y2, int width);
int KD508_clear(void);

/* Formatted text standing on (x, y); returns the formatted length. */
int KD508_text(int colour, int x, int y, int point_size, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 5, 6)))
#endif
    ;

#ifdef __cplusplus
}
#endif

#endif /* KD508_H */
