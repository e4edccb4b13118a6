/* bounce.c: a ball bouncing around a box, one step per periodic event.
 *
 * While the animation runs, KD508_await_event returns KD508_PERIODIC about ten times a second.
 * The program moves the ball on each one and draws the whole picture again. The "Run" menu
 * above the picture controls the animation without any code here:
 *   Animate (Ctrl+A)            periodic events come one after another
 *   Halt animation (Ctrl+H)     they stop; the ball stands still
 *   Advance one frame (Ctrl+F)  exactly one more periodic event, then halted
 *   Quit (Ctrl+Q)               KD508_await_event returns KD508_QUIT */
#include <stddef.h> /* NULL */

#include <kd508.h>

/* The walls of the box, in logical coordinates (origin at the centre, y upwards). */
#define LEFT (-280)
#define RIGHT 280
#define TOP 180
#define BOTTOM (-230)
#define RADIUS 20

static void draw_frame(int ball_x, int ball_y, int steps)
{
    KD508_clear();
    KD508_text(KD508_BLACK, -280, 215, 16, "Run menu: Animate Ctrl+A, Halt Ctrl+H,");
    KD508_text(KD508_BLACK, -280, 195, 16, "Advance one frame Ctrl+F, Quit Ctrl+Q");
    KD508_text(KD508_GRAY_50, 150, 195, 16, "step %d", steps);
    KD508_rectangle(KD508_NAVY_BLUE, LEFT, TOP, RIGHT, BOTTOM, 2); /* width 2: an outline */
    KD508_circle(KD508_ORANGE, ball_x, ball_y, RADIUS);
}

int main(void)
{
    int x, y;
    char key;
    int event;
    int ball_x = 0, ball_y = 0; /* the ball's centre */
    int speed_x = 9, speed_y = 6;
    int steps = 0;

    KD508_open(NULL, NULL, NULL, 1);
    KD508_logging(0);            /* try Ctrl+L to see every drawing call in the text window */
    KD508_animate(ANIMATE_RUN);  /* start with the animation running */
    draw_frame(ball_x, ball_y, steps);

    while ((event = KD508_await_event(&x, &y, &key)) != KD508_QUIT) {
        if (event != KD508_PERIODIC) {
            continue; /* clicks and keys do nothing here */
        }
        steps = steps + 1;
        ball_x = ball_x + speed_x;
        ball_y = ball_y + speed_y;
        /* Bounce: when the ball would reach past a wall, put it back inside and turn round. */
        if (ball_x + RADIUS >= RIGHT || ball_x - RADIUS <= LEFT) {
            speed_x = -speed_x;
            ball_x = ball_x + 2 * speed_x;
        }
        if (ball_y + RADIUS >= TOP || ball_y - RADIUS <= BOTTOM) {
            speed_y = -speed_y;
            ball_y = ball_y + 2 * speed_y;
        }
        draw_frame(ball_x, ball_y, steps);
    }

    KD508_close();
    return 0;
}
