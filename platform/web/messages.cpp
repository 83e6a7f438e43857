// messages.cpp: the message queue and window procedure dispatch (PeekMessageA,
// TranslateMessage, DispatchMessageA, PostMessageA, PostQuitMessage, SendMessageA,
// DefWindowProcA). Keys pressed on the page arrive as WM_KEYDOWN.
#include "platform/common/message_queue.h"
#include "platform/web/web_local.h"

using namespace web;

namespace {

// A loop that only takes messages (no frames) still lets the browser run this often.
const double kLongestWithoutYield = 50.0;  // ms

MSG MakeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG result{};
    result.hwnd = window;
    result.message = message;
    result.wParam = wParam;
    result.lParam = lParam;
    result.time = timeGetTime();
    return result;
}

void GatherInput() {
    if (kelvo_web_clock() - Get().lastYield > kLongestWithoutYield) {
        kelvo_web_yield();
        Get().lastYield = kelvo_web_clock();
    }
    while (int key = kelvo_web_take_key()) {
        if (Get().mainWindow)
            ThreadMessageQueue().PostInput(
                MakeMessage(Get().mainWindow, WM_KEYDOWN, static_cast<WPARAM>(key), 1));
    }
}

}  // namespace

BOOL PeekMessageA(MSG* message, HWND, UINT, UINT, UINT removeFlags) {
    if (!message) return FALSE;
    GatherInput();
    if (!(removeFlags & PM_REMOVE)) return ThreadMessageQueue().Size() > 0 ? TRUE : FALSE;
    return ThreadMessageQueue().Take(message) ? TRUE : FALSE;
}

BOOL TranslateMessage(const MSG* message) {
    return message && message->message == WM_KEYDOWN ? TRUE : FALSE;
}

LRESULT DispatchMessageA(const MSG* message) {
    if (!message) return 0;
    Window* window = FindWindow(message->hwnd);
    if (!window) return 0;
    return window->procedure(message->hwnd, message->message, message->wParam, message->lParam);
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window && !FindWindow(window)) return FALSE;
    ThreadMessageQueue().Post(MakeMessage(window, message, wParam, lParam));
    return TRUE;
}

void PostQuitMessage(int exitCode) { ThreadMessageQueue().PostQuit(exitCode); }

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* record = FindWindow(window);
    if (!record) return 0;
    return record->procedure(window, message, wParam, lParam);
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) SendMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    case WM_SYSKEYDOWN:
        if (wParam == VK_F4) SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    default:
        return 0;
    }
}
