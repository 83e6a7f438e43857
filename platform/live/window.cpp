// window.cpp: window classes and windows over SDL2 windows.
// Provides RegisterClassA, CreateWindowExA, DestroyWindow, ShowWindow,
// SetForegroundWindow, SetFocus and SetWindowPos.
#include <algorithm>
#include <map>
#include <vector>

#include "platform/live/live_local.h"
#include "platform/live/x11/server_scaling_local.h"
#include "platform/live/x11/window_frame_local.h"

namespace {

struct WindowClass {
    WNDPROC procedure;
};

std::map<std::string, WindowClass>& Classes() {
    static std::map<std::string, WindowClass> classes;
    return classes;
}

// Never destroyed: the desktop guard's exit handler walks it after static objects made
// later than the handler's registration are gone (a return from WinMain with the window
// still open, as when the music cannot start).
std::vector<live::Window*>& OpenWindows() {
    static std::vector<live::Window*>* windows = new std::vector<live::Window*>();
    return *windows;
}

bool IsFramed(DWORD style) { return (style & WS_CAPTION) == WS_CAPTION; }

Uint32 SdlFlagsFor(const live::Window& window) {
    Uint32 flags = SDL_WINDOW_OPENGL;
    DWORD style = window.style;
    if (!(style & WS_VISIBLE)) flags |= SDL_WINDOW_HIDDEN;
    if (window.fullScreen) return flags | SDL_WINDOW_FULLSCREEN;
    // Borderless, over the whole display, in the desktop's mode. Made at the display's
    // size too, since without a window manager nobody enlarges it.
    if (window.scaled) return flags | SDL_WINDOW_BORDERLESS | SDL_WINDOW_FULLSCREEN_DESKTOP;
    if (!IsFramed(style)) flags |= SDL_WINDOW_BORDERLESS;
    if (style & WS_THICKFRAME) flags |= SDL_WINDOW_RESIZABLE;
    return flags;
}

void Forget(live::Window* window) {
    auto& windows = OpenWindows();
    windows.erase(std::remove(windows.begin(), windows.end(), window), windows.end());
    window->serverScaler.reset();  // its X resources go before the window
    if (window->sdlWindow) SDL_DestroyWindow(window->sdlWindow);
    delete window;
}

}  // namespace

namespace live {

Window* FindWindow(HWND handle) {
    for (Window* window : OpenWindows())
        if (HandleOf(window) == handle) return window;
    return nullptr;
}

Window* FindWindowBySdlId(Uint32 windowId) {
    for (Window* window : OpenWindows())
        if (SDL_GetWindowID(window->sdlWindow) == windowId) return window;
    return nullptr;
}

HWND HandleOf(Window* window) { return reinterpret_cast<HWND>(window); }

Window* FindWindowByDc(HDC dc) { return FindWindow(reinterpret_cast<HWND>(dc)); }

HDC DcOf(Window* window) { return reinterpret_cast<HDC>(window); }

LRESULT SendToWindow(Window* window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!window || !window->procedure) return 0;
    return window->procedure(HandleOf(window), message, wParam, lParam);
}

void ReportClientSize(Window* window, bool minimised) {
    int width = 0, height = 0;
    if (!minimised) SDL_GetWindowSize(window->sdlWindow, &width, &height);
    // The program sees the picture's size, whatever the display's.
    if (!minimised && window->scaled) {
        width = window->pictureWidth;
        height = window->pictureHeight;
    }
    if (width == window->clientWidth && height == window->clientHeight) return;
    window->clientWidth = width;
    window->clientHeight = height;
    WPARAM kind = minimised                                                        ? SIZE_MINIMIZED
                  : (SDL_GetWindowFlags(window->sdlWindow) & SDL_WINDOW_MAXIMIZED) ? SIZE_MAXIMIZED
                                                                                   : SIZE_RESTORED;
    SendToWindow(window, WM_SIZE, kind, MAKELPARAM(width, height));
}

void FitClientIntoOuterSize(Window* window) {
    if (window->fullScreen || window->scaled || window->frameApplied || !IsFramed(window->style))
        return;
    FrameExtents frame;
    if (!ReadFrameExtents(window->sdlWindow, &frame)) return;
    window->frameApplied = true;
    int width = std::max(1, window->outerWidth - frame.left - frame.right);
    int height = std::max(1, window->outerHeight - frame.top - frame.bottom);
    SDL_SetWindowSize(window->sdlWindow, width, height);
}

}  // namespace live

ATOM RegisterClassA(const WNDCLASSA* windowClass) {
    static ATOM nextAtom = 0xC000;
    if (!windowClass || !windowClass->lpfnWndProc || !windowClass->lpszClassName ||
        !*windowClass->lpszClassName)
        return 0;
    auto inserted =
        Classes().emplace(windowClass->lpszClassName, WindowClass{windowClass->lpfnWndProc});
    return inserted.second ? nextAtom++ : 0;
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU, HINSTANCE, LPVOID) {
    auto found = className ? Classes().find(className) : Classes().end();
    if (found == Classes().end() || parent || width <= 0 || height <= 0) return nullptr;
    if (!live::StartVideo()) return nullptr;

    auto* window = new live::Window;
    window->className = className;
    window->procedure = found->second.procedure;
    window->style = style;
    window->exStyle = exStyle;
    window->outerWidth = width;
    window->outerHeight = height;
    SDL_DisplayMode mode;
    window->fullScreen = (style & WS_POPUP) && live::FullScreenModeSet(&mode);
    window->scaled = (style & WS_POPUP) && !window->fullScreen &&
                     live::ScaledModeSet(&window->pictureWidth, &window->pictureHeight);
    if (window->fullScreen) {
        width = mode.w;
        height = mode.h;
    }
    SDL_Rect bounds;
    if (window->scaled && SDL_GetDisplayBounds(live::ShowDisplay(), &bounds) == 0) {
        x = bounds.x;
        y = bounds.y;
        width = bounds.w;
        height = bounds.h;
    }
    window->sdlWindow =
        SDL_CreateWindow(windowName ? windowName : "", x, y, width, height, SdlFlagsFor(*window));
    if (!window->sdlWindow) {
        delete window;
        return nullptr;
    }
    if (window->fullScreen) SDL_SetWindowDisplayMode(window->sdlWindow, &mode);
    if (window->scaled) window->serverScaler = live::MakeServerScaler(window->sdlWindow);
    OpenWindows().push_back(window);
    HWND handle = live::HandleOf(window);

    // The client area shrinks by the frame before the window is first shown, as the
    // window manager reports it, so that WM_SIZE brings the final client size.
    live::FitClientIntoOuterSize(window);
    if (live::SendToWindow(window, WM_CREATE, 0, 0) == -1) {
        Forget(window);
        return nullptr;
    }
    live::ReportClientSize(window, false);
    return handle;
}

BOOL DestroyWindow(HWND handle) {
    live::Window* window = live::FindWindow(handle);
    if (!window) return FALSE;
    live::SendToWindow(window, WM_DESTROY, 0, 0);
    // The procedure may have destroyed the window itself meanwhile.
    if (live::FindWindow(handle) == window) Forget(window);
    return TRUE;
}

BOOL ShowWindow(HWND handle, int command) {
    live::Window* window = live::FindWindow(handle);
    if (!window) return FALSE;
    BOOL wasVisible = (SDL_GetWindowFlags(window->sdlWindow) & SDL_WINDOW_SHOWN) ? TRUE : FALSE;
    if (command == SW_HIDE) {
        SDL_HideWindow(window->sdlWindow);
        return wasVisible;
    }
    SDL_ShowWindow(window->sdlWindow);
    // Without an earlier answer from the window manager the frame is known only now.
    if (!window->frameApplied) {
        live::FitClientIntoOuterSize(window);
        live::ReportClientSize(window, false);
    }
    return wasVisible;
}

BOOL SetForegroundWindow(HWND handle) {
    live::Window* window = live::FindWindow(handle);
    if (!window) return FALSE;
    SDL_RaiseWindow(window->sdlWindow);
    return TRUE;
}

HWND SetFocus(HWND handle) {
    static HWND focused = nullptr;
    live::Window* window = live::FindWindow(handle);
    if (!window) return nullptr;
    SDL_SetWindowInputFocus(window->sdlWindow);
    HWND previous = live::FindWindow(focused) ? focused : nullptr;
    focused = handle;
    return previous;
}

BOOL SetWindowPos(HWND handle, HWND insertAfter, int x, int y, int width, int height, UINT flags) {
    if (live::SetDialogPos(handle, insertAfter, x, y, flags)) return TRUE;
    live::Window* window = live::FindWindow(handle);
    if (!window) return FALSE;
    // A scaled full-screen window keeps covering its display.
    if (!(flags & SWP_NOMOVE) && !window->scaled) SDL_SetWindowPosition(window->sdlWindow, x, y);
    if (!(flags & SWP_NOSIZE) && width > 0 && height > 0 && !window->scaled) {
        SDL_SetWindowSize(window->sdlWindow, width, height);
        live::ReportClientSize(window, false);
    }
    if (insertAfter == HWND_TOPMOST) SDL_SetWindowAlwaysOnTop(window->sdlWindow, SDL_TRUE);
    if (flags & SWP_SHOWWINDOW) ShowWindow(handle, SW_SHOW);
    return TRUE;
}

namespace live {

void LeaveFullScreen() {
    for (Window* window : OpenWindows()) {
        if (!window->fullScreen) continue;
        SDL_SetWindowFullscreen(window->sdlWindow, 0);
        window->fullScreen = false;
    }
}

}  // namespace live
