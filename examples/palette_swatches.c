/* palette_swatches.c: the 24 colours of the palette, each as a swatch with its index and name.
 *
 * This program draws the picture docs/palette.png. To make that picture again, run it headless
 * with a screenshot of the drawing area taken when it ends:
 *   KD508_OPTIONS="--headless --run-for 200 --screenshot palette.png" ./palette_swatches */
#include <stddef.h> /* NULL */

#include <kd508.h>

/* The names of the colours, in palette order, as the runtime writes them in its log lines. */
static const char *const names[KD508_COLOUR_COUNT] = {
    "black",     "white",  "red",    "green",  "blue",         "yellow",
    "magenta",   "cyan",   "purple", "navy blue", "dusty plum", "ice blue",
    "turquoise", "orange", "brown",  "pink",   "chalk",        "gold",
    "peach",     "forest green", "sea green", "olive", "50% gray", "20% gray",
};

int main(void)
{
    int x, y;
    char key;
    int colour;

    KD508_open(NULL, NULL, NULL, 1);
    KD508_logging(0);
    KD508_clear();
    KD508_text(KD508_BLACK, -280, 212, 24, "The 24 colours of KD508");

    /* Six swatches a row, four rows, in index order. */
    for (colour = 0; colour < KD508_COLOUR_COUNT; colour++) {
        int left = -285 + 96 * (colour % 6);
        int top = 180 - 108 * (colour / 6);
        KD508_rectangle(colour, left, top, left + 84, top - 56, 0);     /* the colour, filled */
        KD508_rectangle(KD508_BLACK, left, top, left + 84, top - 56, 1); /* a thin black edge */
        KD508_text(KD508_BLACK, left, top - 78, 14, "%d\n%s", colour, names[colour]);
    }

    while (KD508_await_event(&x, &y, &key) != KD508_QUIT) {
    }
    KD508_close();
    return 0;
}
