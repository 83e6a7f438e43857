// main_window_proc.h: the window procedure of the show's window.
#pragma once

#include "platform/win32.h"

// Escape and a close of the window end the show; WM_SIZE resizes the viewport; the
// screen saver and monitor power-off are held off; other keys are ignored.
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
