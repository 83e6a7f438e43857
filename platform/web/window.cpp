// window.cpp: the show's window is the page's canvas (RegisterClassA, CreateWindowExA,
// DestroyWindow, ShowWindow, SetForegroundWindow, SetFocus), and the state shared by the
// layer's files.
#include "platform/web/web_local.h"

namespace web {

State& Get() {
    static State state;
    return state;
}

Window* FindWindow(HWND window) {
    auto found = Get().windows.find(window);
    return found == Get().windows.end() ? nullptr : &found->second;
}

bool TestMode() {
    static const bool testMode = kelvo_web_test_time() >= 0;
    return testMode;
}

namespace {
DWORD virtualClock = 0;
}

DWORD VirtualClock() { return virtualClock; }
void SetVirtualClock(DWORD ms) { virtualClock = ms; }

}  // namespace web

using namespace web;

// The canvas's size: the show's window is always 640 x 480 pixels of drawing buffer.
static const int kCanvasWidth = 640;
static const int kCanvasHeight = 480;

ATOM RegisterClassA(const WNDCLASSA* windowClass) {
    if (!windowClass || !windowClass->lpfnWndProc || !windowClass->lpszClassName) return 0;
    std::string name = windowClass->lpszClassName;
    if (name.empty() || Get().classes.count(name)) return 0;
    Get().classes[name] = *windowClass;
    return static_cast<ATOM>(Get().classes.size());
}

// The page has one canvas, so one show window at a time; the client area is the
// canvas whatever size was asked for.
HWND CreateWindowExA(DWORD, LPCSTR className, LPCSTR, DWORD style, int, int, int, int, HWND, HMENU,
                     HINSTANCE, LPVOID) {
    auto windowClass = Get().classes.find(className ? className : "");
    if (windowClass == Get().classes.end() || Get().mainWindow) return nullptr;
    // The show's window comes before its scenes load and its clock starts. The music the
    // program opened before its dialog has been loading meanwhile, and has to be ready by
    // then, as an opened stream is on the desktop. (A program that ends at its dialog opens
    // no window, and so does not wait.)
    FinishOpeningSounds();
    HWND handle = NewHandle<HWND>();
    Window record;
    record.procedure = windowClass->second.lpfnWndProc;
    record.style = style;
    Get().windows[handle] = record;
    Get().mainWindow = handle;
    record.procedure(handle, WM_CREATE, 0, 0);
    if (FindWindow(handle))
        record.procedure(handle, WM_SIZE, SIZE_RESTORED, MAKELPARAM(kCanvasWidth, kCanvasHeight));
    if (style & WS_VISIBLE) ShowWindow(handle, SW_SHOW);
    return FindWindow(handle) ? handle : nullptr;
}

BOOL DestroyWindow(HWND window) {
    Window* record = FindWindow(window);
    if (!record) return FALSE;
    WNDPROC procedure = record->procedure;
    procedure(window, WM_DESTROY, 0, 0);
    Get().windows.erase(window);
    if (Get().mainWindow == window) {
        Get().mainWindow = nullptr;
        kelvo_web_hide_canvas();
    }
    return TRUE;
}

BOOL ShowWindow(HWND window, int command) {
    Window* record = FindWindow(window);
    if (!record) return FALSE;
    const bool wasVisible = record->visible;
    record->visible = command != SW_HIDE;
    if (record->visible && !wasVisible)
        kelvo_web_show_canvas((record->style & WS_POPUP) && Get().fullScreenMode ? 1 : 0);
    if (!record->visible && wasVisible) kelvo_web_hide_canvas();
    return wasVisible ? TRUE : FALSE;
}

BOOL SetForegroundWindow(HWND window) { return FindWindow(window) ? TRUE : FALSE; }
HWND SetFocus(HWND window) { return FindWindow(window) ? window : nullptr; }
