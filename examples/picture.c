/* picture.c: a still picture made of shapes and text in several colours.
 *
 * The smallest kind of KD508 program: open the windows, draw once, then wait until the user
 * quits with the Run menu's Quit, with Ctrl+Q, or with the window's close box.
 *
 * Coordinates: (0, 0) is the centre of the drawing area and y grows upwards. The drawing area
 * is 595 by 494 pixels, so x runs from -297 to 297 and y from -246 to 247. */
#include <stddef.h> /* NULL */

#include <kd508.h>

int main(void)
{
    int x, y;
    char key;

    /* Opens the graphics window and the text window. A program with its own main passes
     * NULL, NULL, NULL and 1 ("show the windows normally"). */
    KD508_open(NULL, NULL, NULL, 1);
    KD508_logging(0); /* do not echo every drawing call into the text window */
    KD508_clear();    /* paint the whole canvas white */

    /* Sky and ground. A width of 0 means "filled"; the corners may come in any order. */
    KD508_rectangle(KD508_ICE_BLUE, -297, 247, 297, -100, 0);
    KD508_rectangle(KD508_FOREST_GREEN, -297, -100, 297, -246, 0);

    /* A sun: circles are always filled. Its rays are lines 3 pixels wide. */
    KD508_line(KD508_ORANGE, 150, 150, 250, 150, 3);
    KD508_line(KD508_ORANGE, 200, 100, 200, 200, 3);
    KD508_line(KD508_ORANGE, 165, 115, 235, 185, 3);
    KD508_line(KD508_ORANGE, 165, 185, 235, 115, 3);
    KD508_circle(KD508_YELLOW, 200, 150, 30);

    /* A house: a filled wall, an outlined frame around it, a roof and a door. */
    KD508_rectangle(KD508_PEACH, -200, 0, -40, -140, 0);
    KD508_rectangle(KD508_BROWN, -200, 0, -40, -140, 3);
    KD508_triangle(KD508_RED, -220, 0, -20, 0, -120, 90, 0);
    KD508_rectangle(KD508_NAVY_BLUE, -140, -60, -100, -140, 0);
    KD508_circle(KD508_GOLD, -108, -100, 3);

    /* A tree: a trunk and three overlapping circles of leaves. */
    KD508_rectangle(KD508_BROWN, 90, -60, 110, -160, 0);
    KD508_circle(KD508_GREEN, 100, -30, 40);
    KD508_circle(KD508_SEA_GREEN, 75, -55, 28);
    KD508_circle(KD508_SEA_GREEN, 125, -55, 28);

    /* Text stands on its point: (x, y) is where the bottom-left of the first line sits.
     * KD508_text formats like printf. */
    KD508_text(KD508_NAVY_BLUE, -280, 200, 28, "A house, a tree, the sun");
    KD508_text(KD508_PURPLE, -280, 170, 16, "%d shapes in %d colours", 16, 13);
    KD508_text(KD508_WHITE, -280, -200, 14, "Quit: Run menu > Quit, or Ctrl+Q");

    /* Wait for events until the user quits; this picture reacts to nothing else. */
    while (KD508_await_event(&x, &y, &key) != KD508_QUIT) {
    }

    KD508_close();
    return 0;
}
