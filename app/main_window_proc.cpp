// main_window_proc.cpp: the window procedure of the show's window.
#include "app/main_window_proc.h"

#include "app/display_settings.h"
#include "app/program_state.h"

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
    case WM_DESTROY:
    case WM_ACTIVATE: return 0;
    case WM_SIZE: displaySettings->Resize(LOWORD(lParam), HIWORD(lParam)); return 0;
    case WM_CLOSE: PostQuitMessage(0); return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) {
            PostMessageA(window, WM_CLOSE, 0, 0);
            PostQuitMessage(0);
        }
        return 0;
    case WM_SYSCOMMAND:
        // Compared whole: the low four bits of these commands are not masked off.
        if (wParam == SC_SCREENSAVE || wParam == SC_MONITORPOWER) return 0;
        break;
    default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
