/* typing.c: the characters you type appear as text in the graphics window.
 *
 * Each typed character arrives as a KD508_KBD event. Enter arrives as '\r' (13), Backspace as
 * '\b' (8). Letters such as é arrive as one byte of the Windows-1252 character set, which is
 * also what KD508_text draws, so they can be stored and drawn again unchanged. Keys pressed
 * together with Ctrl are the Run menu's shortcuts and never arrive as characters. The text
 * window at the bottom of the screen shows the code of every key, written with KD508_printf. */
#include <stddef.h> /* NULL */
#include <string.h> /* strlen */

#include <kd508.h>

#define MAX_TEXT 600 /* characters kept; KD508_text draws up to 1023 at once */
#define MAX_LINES 14

static char text[MAX_TEXT + 1]; /* what was typed, lines separated by '\n' */

static int count_lines(void)
{
    int lines = 1;
    size_t i;
    for (i = 0; text[i] != '\0'; i++) {
        if (text[i] == '\n') lines++;
    }
    return lines;
}

static void draw_page(void)
{
    KD508_clear();
    KD508_text(KD508_NAVY_BLUE, -280, 215, 20, "Type something. Enter: new line, Backspace: delete.");
    KD508_line(KD508_GRAY_50, -280, 205, 280, 205, 1);
    /* Several lines in one call: each '\n' starts a new line below. The typed text is passed
     * as an argument of "%s", never as the format itself, so a typed '%' is drawn as it is. */
    KD508_text(KD508_BLACK, -280, 180, 20, "%s_", text);
}

int main(void)
{
    int x, y;
    char key;
    int event;

    KD508_open(NULL, NULL, NULL, 1);
    KD508_logging(0);
    draw_page();

    while ((event = KD508_await_event(&x, &y, &key)) != KD508_QUIT) {
        /* char may be signed: read the key as a byte from 0 to 255 */
        unsigned char c = (unsigned char)key;
        size_t length = strlen(text);
        if (event != KD508_KBD) {
            continue;
        }
        KD508_printf("key code %d\n", c);
        if (c == '\b') {
            if (length > 0) text[length - 1] = '\0';
        } else if (c == '\r') {
            if (length < MAX_TEXT && count_lines() < MAX_LINES) text[length] = '\n';
        } else if (c >= ' ' && length < MAX_TEXT) {
            text[length] = (char)c; /* the array is zero after it, so the text stays ended */
        }
        draw_page();
    }

    KD508_close();
    return 0;
}
