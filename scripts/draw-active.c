/* For the pictures (scripts/screenshot-dialog.sh): waits for the dialog or
 * message box that a program under Wine opens, then has it draw its caption
 * as the active window's. On an X server without a window manager, Wine
 * makes the box the foreground window but draws its caption as inactive.
 * Exits 1 when no box shows within 20 seconds. */
#include <windows.h>

int main(void) {
    for (int tries = 0; tries < 200; ++tries) {
        HWND box = FindWindowA("#32770", NULL); /* the dialog class */
        if (box && IsWindowVisible(box)) {
            Sleep(1000); /* let it settle and paint */
            SendMessageA(box, WM_NCACTIVATE, TRUE, 0);
            return 0;
        }
        Sleep(100);
    }
    return 1;
}
