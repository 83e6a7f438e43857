// bench_window.h: the show's window opened on the headless layer as start-up opens it, for the
// benchmarks.
#pragma once

#include "platform/win32.h"

#include "app/display_settings.h"
#include "app/main_window_proc.h"
#include "app/program_state.h"

struct BenchWindow {
    HWND window = nullptr;
    HDC deviceContext = nullptr;
    HGLRC renderingContext = nullptr;
};

// Opens a windowed 640 x 480 show window with its context current; false when it cannot.
inline bool OpenBenchWindow(BenchWindow* opened) {
    displaySettings = new DisplaySettings();
    displaySettings->fullScreen = 0;
    return displaySettings->OpenWindow(GetModuleHandleA(nullptr), MainWindowProc, &opened->window,
                                       &opened->deviceContext, &opened->renderingContext) != 0;
}
