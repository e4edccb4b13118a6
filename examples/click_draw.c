/* click_draw.c: draw dots by clicking; type a letter to choose their colour.
 *
 * A click with the left mouse button arrives as KD508_MOUSE with the point in logical
 * coordinates (origin at the centre of the picture, y upwards). A typed character arrives as
 * KD508_KBD. The letters a to x (or A to X) pick the 24 colours in palette order, shown in the
 * strip at the top; the space bar wipes the drawing. What is drawn stays on the canvas until
 * it is drawn over, so each click only has to draw its own dot. */
#include <stddef.h> /* NULL */

#include <kd508.h>

#define DOT_RADIUS 6

/* The strip of the 24 colours, each with the letter that picks it. */
static void draw_legend(void)
{
    int colour;
    for (colour = 0; colour < KD508_COLOUR_COUNT; colour++) {
        int left = -288 + 24 * colour;
        KD508_rectangle(colour, left, 240, left + 19, 221, 0);           /* filled */
        KD508_rectangle(KD508_BLACK, left, 240, left + 19, 221, 1);      /* thin outline */
        KD508_text(KD508_BLACK, left + 6, 203, 14, "%c", 'a' + colour);
    }
    KD508_line(KD508_GRAY_50, -297, 180, 297, 180, 1);
}

/* The current colour, drawn over the previous one. */
static void draw_current(int colour)
{
    KD508_rectangle(KD508_WHITE, -297, 199, 297, 181, 0); /* wipe the old line */
    KD508_text(KD508_BLACK, -288, 184, 14, "Colour %d. Click to draw, type a to x for a colour,"
               " space to wipe.", colour);
    KD508_circle(colour, 270, 190, 7);
}

int main(void)
{
    int x, y;
    char key;
    int event;
    int colour = KD508_BLUE;

    KD508_open(NULL, NULL, NULL, 1);
    KD508_logging(0);
    KD508_clear();
    draw_legend();
    draw_current(colour);

    while ((event = KD508_await_event(&x, &y, &key)) != KD508_QUIT) {
        if (event == KD508_MOUSE && y < 180) {
            KD508_circle(colour, x, y, DOT_RADIUS); /* (x, y) is where the user clicked */
        } else if (event == KD508_KBD) {
            if (key >= 'a' && key <= 'x') {
                colour = key - 'a';
            } else if (key >= 'A' && key <= 'X') {
                colour = key - 'A';
            } else if (key == ' ') {
                KD508_rectangle(KD508_WHITE, -297, 179, 297, -246, 0);
            }
            draw_current(colour);
        }
    }

    KD508_close();
    return 0;
}
