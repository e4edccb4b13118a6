/* A program written for Windows: its entry is WinMain, not main. On Windows it builds as it
 * stands; on Linux the runtime's main() calls it, which works from C because WinMain has C
 * linkage there as on Windows. It draws one circle and ends after its first event. */
#include <kd508.h>

#ifdef _WIN32
#include <windows.h>
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous_instance, LPSTR command_line, int show_mode)
#else
int WinMain(void* instance, void* previous_instance, char* command_line, int show_mode)
#endif
{
    int x, y;
    char key;
    KD508_open(instance, previous_instance, command_line, show_mode);
    KD508_logging(0);
    KD508_clear();
    KD508_circle(KD508_BLUE, 0, 0, 40);
    while (KD508_await_event(&x, &y, &key) != KD508_QUIT) {
    }
    KD508_close();
    return 0;
}
