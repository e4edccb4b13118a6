/* A weston module for end-to-end tests: a seat with a pointer and a keyboard driven through a
 * named pipe, so that a test can click and type into the clients of a headless compositor,
 * which has no input devices of its own; and a report of where the compositor put each window,
 * since a Wayland client cannot place its own windows and cannot learn where they are.
 *
 * Load it with: weston --modules=/path/to/kd508_weston_test_seat.so
 * and name the pipe in KD508_WESTON_INPUT. One command per line:
 *   motion X Y          the pointer to (X, Y) in compositor coordinates
 *   button 1|0          the left button down or up
 *   key CODE 1|0        a key (a Linux input event code) down or up
 *   windows PATH        writes "LEFT TOP WIDTH HEIGHT TITLE" per mapped window to PATH
 * Input goes through the compositor exactly as a device's would: focus, bindings, xkb state. */
#include <errno.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include <linux/input-event-codes.h>
#include <wayland-server.h>
#include <libweston/libweston.h>
#include <libweston-desktop/libweston-desktop.h>

/* Exported by libweston for its backends, whose header it does not install. */
void weston_seat_init(struct weston_seat *seat, struct weston_compositor *compositor, const char *name);
void weston_seat_init_pointer(struct weston_seat *seat);
int weston_seat_init_keyboard(struct weston_seat *seat, struct xkb_keymap *keymap);
void notify_motion_absolute(struct weston_seat *seat, const struct timespec *time, double x, double y);
void notify_button(struct weston_seat *seat, const struct timespec *time, int32_t button,
                   enum wl_pointer_button_state state);
void notify_key(struct weston_seat *seat, const struct timespec *time, uint32_t key,
                enum wl_keyboard_key_state state, enum weston_key_state_update update_state);
void notify_pointer_frame(struct weston_seat *seat);

enum { command_capacity = 4096 };

struct test_seat {
    struct weston_compositor *compositor;
    struct weston_seat seat;
    int pipe_fd;
    char pending[command_capacity];
    size_t pending_length;
};

static void write_windows(struct test_seat *test, const char *path) {
    char partial[command_capacity + sizeof ".partial"];
    snprintf(partial, sizeof partial, "%s.partial", path);
    FILE *out = fopen(partial, "w");
    if (out == NULL) return;
    struct weston_view *view;
    wl_list_for_each(view, &test->compositor->view_list, link) {
        struct weston_surface *surface = view->surface;
        if (!weston_view_is_mapped(view) || !weston_surface_is_desktop_surface(surface)) continue;
        struct weston_desktop_surface *desktop = weston_surface_get_desktop_surface(surface);
        const char *title = weston_desktop_surface_get_title(desktop);
        fprintf(out, "%d %d %d %d %s\n", (int)view->geometry.x, (int)view->geometry.y, surface->width,
                surface->height, title != NULL ? title : "");
    }
    fclose(out);
    /* The reader sees the whole list or none of it. */
    rename(partial, path);
}

static void run_command(struct test_seat *test, char *line) {
    struct timespec now;
    weston_compositor_get_time(&now);
    double x, y;
    int code, down;
    char path[command_capacity];
    if (sscanf(line, "motion %lf %lf", &x, &y) == 2) {
        notify_motion_absolute(&test->seat, &now, x, y);
        notify_pointer_frame(&test->seat);
    } else if (sscanf(line, "button %d", &down) == 1) {
        notify_button(&test->seat, &now, BTN_LEFT,
                      down ? WL_POINTER_BUTTON_STATE_PRESSED : WL_POINTER_BUTTON_STATE_RELEASED);
        notify_pointer_frame(&test->seat);
    } else if (sscanf(line, "key %d %d", &code, &down) == 2 && code > 0) {
        notify_key(&test->seat, &now, (uint32_t)code,
                   down ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED,
                   STATE_UPDATE_AUTOMATIC);
    } else if (sscanf(line, "windows %4095s", path) == 1) {
        write_windows(test, path);
    } else {
        weston_log("kd508 test seat: unknown command '%s'\n", line);
    }
}

static int pipe_readable(int fd, uint32_t mask, void *data) {
    (void)mask;
    struct test_seat *test = data;
    for (;;) {
        ssize_t got = read(fd, test->pending + test->pending_length,
                           sizeof test->pending - 1 - test->pending_length);
        if (got <= 0) break;
        test->pending_length += (size_t)got;
        test->pending[test->pending_length] = '\0';
        char *line = test->pending;
        char *end;
        while ((end = strchr(line, '\n')) != NULL) {
            *end = '\0';
            run_command(test, line);
            line = end + 1;
        }
        test->pending_length = strlen(line);
        memmove(test->pending, line, test->pending_length);
        /* A line longer than the buffer is dropped rather than stalling the pipe. */
        if (test->pending_length == sizeof test->pending - 1) test->pending_length = 0;
    }
    return 0;
}

WL_EXPORT int wet_module_init(struct weston_compositor *compositor, int *argc, char *argv[]) {
    (void)argc;
    (void)argv;
    const char *pipe_path = getenv("KD508_WESTON_INPUT");
    if (pipe_path == NULL) {
        weston_log("kd508 test seat: KD508_WESTON_INPUT names no pipe\n");
        return -1;
    }
    struct test_seat *test = calloc(1, sizeof *test);
    if (test == NULL) return -1;
    /* Opened for writing too, so the pipe never reports an end when a writer closes it. */
    test->pipe_fd = open(pipe_path, O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (test->pipe_fd < 0) {
        weston_log("kd508 test seat: cannot open %s: %s\n", pipe_path, strerror(errno));
        free(test);
        return -1;
    }
    test->compositor = compositor;
    weston_seat_init(&test->seat, compositor, "kd508-test");
    weston_seat_init_pointer(&test->seat);
    if (weston_seat_init_keyboard(&test->seat, NULL) < 0) {
        weston_log("kd508 test seat: no keyboard\n");
        return -1;
    }
    wl_event_loop_add_fd(wl_display_get_event_loop(compositor->wl_display), test->pipe_fd,
                         WL_EVENT_READABLE, pipe_readable, test);
    weston_log("kd508 test seat: reading %s\n", pipe_path);
    return 0;
}
