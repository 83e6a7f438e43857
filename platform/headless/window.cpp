// window.cpp: window classes and windows as records (RegisterClassA, CreateWindowExA,
// DestroyWindow, ShowWindow, SetForegroundWindow, SetFocus).
#include <algorithm>

#include "platform/headless/headless_local.h"

namespace headless {
namespace detail {

Window* FindWindow(HWND window) {
    auto found = Get().windows.find(window);
    return found == Get().windows.end() ? nullptr : &found->second;
}

// Drops the record; contexts made for the window stay, bound to no window.
void ForgetWindow(HWND window) {
    for (auto& entry : Get().contexts) {
        if (entry.second.window == window) entry.second.window = nullptr;
    }
    Get().windows.erase(window);
    if (Get().mainWindow == window) Get().mainWindow = nullptr;
}

void DestroyAllWindows() {
    State& state = Get();
    while (!state.contexts.empty()) DestroyContext(state.contexts.begin()->first);
    state.windows.clear();
    state.mainWindow = nullptr;
    state.focusedWindow = nullptr;
}

}  // namespace detail
}  // namespace headless

using namespace headless::detail;

ATOM RegisterClassA(const WNDCLASSA* windowClass) {
    std::string name = windowClass && windowClass->lpszClassName ? windowClass->lpszClassName : "";
    Log("RegisterClassA(" + name + ")");
    if (ShouldFail("RegisterClassA") || !windowClass || !windowClass->lpfnWndProc || name.empty())
        return 0;
    if (Get().classes.count(name)) return 0;
    Get().classes[name] = *windowClass;
    return static_cast<ATOM>(Get().classes.size());
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU, HINSTANCE, LPVOID) {
    std::string name = className ? className : "";
    Log("CreateWindowExA(" + name + ", " + std::to_string(width) + "x" + std::to_string(height) +
        ")");
    auto windowClass = Get().classes.find(name);
    if (ShouldFail("CreateWindowExA") || windowClass == Get().classes.end() || parent ||
        width <= 0 || height <= 0)
        return nullptr;

    Window record;
    record.className = name;
    record.title = windowName ? windowName : "";
    record.procedure = windowClass->second.lpfnWndProc;
    record.style = style;
    record.exStyle = exStyle;
    record.x = x;
    record.y = y;
    record.clientWidth = width;
    record.clientHeight = height;
    if ((style & WS_CAPTION) == WS_CAPTION) {
        State& state = Get();
        record.clientWidth = std::max(0, width - state.frameLeft - state.frameRight);
        record.clientHeight = std::max(0, height - state.frameTop - state.frameBottom);
    }
    if (Get().clientWidth > 0) {
        record.clientWidth = Get().clientWidth;
        record.clientHeight = Get().clientHeight;
    }
    record.visible = (style & WS_VISIBLE) != 0;

    HWND handle = NewHandle<HWND>();
    HWND previousMain = Get().mainWindow;
    Get().windows[handle] = record;
    Get().mainWindow = handle;
    // A procedure that answers WM_CREATE with -1 refuses the window: it goes without
    // WM_DESTROY, as the live layer drops it.
    if (record.procedure(handle, WM_CREATE, 0, 0) == -1) {
        ForgetWindow(handle);
        Get().mainWindow = FindWindow(previousMain) ? previousMain : nullptr;
        return nullptr;
    }
    Window* created = FindWindow(handle);
    if (created) {
        created->procedure(handle, WM_SIZE, SIZE_RESTORED,
                           MAKELPARAM(created->clientWidth, created->clientHeight));
    }
    return handle;
}

BOOL DestroyWindow(HWND window) {
    Log("DestroyWindow");
    Window* record = FindWindow(window);
    if (ShouldFail("DestroyWindow") || !record) return FALSE;
    record->procedure(window, WM_DESTROY, 0, 0);
    ForgetWindow(window);
    return TRUE;
}

BOOL ShowWindow(HWND window, int command) {
    Log("ShowWindow(" + std::to_string(command) + ")");
    Window* record = FindWindow(window);
    if (ShouldFail("ShowWindow") || !record) return FALSE;
    bool wasVisible = record->visible;
    record->visible = command != SW_HIDE;
    return wasVisible ? TRUE : FALSE;
}

BOOL SetForegroundWindow(HWND window) {
    Log("SetForegroundWindow");
    return !ShouldFail("SetForegroundWindow") && FindWindow(window) ? TRUE : FALSE;
}

HWND SetFocus(HWND window) {
    Log("SetFocus");
    if (ShouldFail("SetFocus") || !FindWindow(window)) return nullptr;
    HWND previous = FindWindow(Get().focusedWindow) ? Get().focusedWindow : nullptr;
    Get().focusedWindow = window;
    return previous;
}

namespace headless {

void ResizeClient(HWND window, int width, int height) {
    detail::Window* record = detail::FindWindow(window);
    if (!record) return;
    if (width > 0 && height > 0) {
        record->clientWidth = width;
        record->clientHeight = height;
        for (auto& entry : detail::Get().contexts) {
            if (entry.second.window == window && detail::Get().currentContext == entry.first)
                detail::FitFramebuffer(entry.second);
        }
    }
    WPARAM kind = (width == 0 && height == 0) ? SIZE_MINIMIZED : SIZE_RESTORED;
    record->procedure(window, WM_SIZE, kind, MAKELPARAM(width, height));
}

}  // namespace headless
