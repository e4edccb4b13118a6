// The 24 named colours and the check that keeps every drawing inside them.
#include "palette.h"

#include "../include/kd508.h"

namespace kd508 {

namespace {

// Two parallel tables, indexed by the palette index. The names appear only in log lines and are
// always passed as "%s" arguments, since one of them holds a per-cent sign.
const COLORREF palette_colours[palette_size] = {
    RGB(0, 0, 0),        // black
    RGB(255, 255, 255),  // white
    RGB(255, 0, 0),      // red
    RGB(0, 255, 0),      // green
    RGB(0, 0, 255),      // blue
    RGB(255, 255, 0),    // yellow
    RGB(255, 0, 255),    // magenta
    RGB(0, 255, 255),    // cyan
    RGB(153, 0, 204),    // purple
    RGB(0, 51, 153),     // navy blue
    RGB(153, 102, 153),  // dusty plum
    RGB(153, 255, 255),  // ice blue
    RGB(153, 255, 204),  // turquoise
    RGB(255, 102, 0),    // orange
    RGB(153, 102, 51),   // brown
    RGB(255, 153, 204),  // pink
    RGB(255, 255, 153),  // chalk
    RGB(204, 153, 51),   // gold
    RGB(255, 153, 102),  // peach
    RGB(0, 102, 51),     // forest green
    RGB(51, 204, 153),   // sea green
    RGB(153, 153, 51),   // olive
    RGB(128, 128, 128),  // 50% gray
    RGB(204, 204, 204),  // 20% gray
};

const char* const palette_names[palette_size] = {
    "black",     "white",     "red",          "green",     "blue",    "yellow",
    "magenta",   "cyan",      "purple",       "navy blue", "dusty plum", "ice blue",
    "turquoise", "orange",    "brown",        "pink",      "chalk",   "gold",
    "peach",     "forest green", "sea green", "olive",     "50% gray", "20% gray",
};

}  // namespace

int check_colour(int index) {
    if (index >= 0 && index < palette_size) return index;
    // Reported on every call, logging or not: a bad colour repeated every frame is reported
    // every frame.
    KD508_printf("Illegal color %d; using RED.\n", index);
    return palette_red;
}

COLORREF palette_colour(int checked_index) { return palette_colours[checked_index]; }

const char* palette_name(int checked_index) { return palette_names[checked_index]; }

}  // namespace kd508
