// messages.cpp: the message queue and window procedure dispatch (PeekMessageA,
// TranslateMessage, DispatchMessageA, PostMessageA, PostQuitMessage, SendMessageA,
// DefWindowProcA), plus the input a test or the capture tool injects.
#include "platform/common/message_queue.h"
#include "platform/headless/headless_local.h"

using namespace headless::detail;

namespace {

MSG MakeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG result{};
    result.hwnd = window;
    result.message = message;
    result.wParam = wParam;
    result.lParam = lParam;
    result.time = Get().clock;
    return result;
}

}  // namespace

BOOL PeekMessageA(MSG* message, HWND, UINT, UINT, UINT removeFlags) {
    if (!message) return FALSE;
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
    Log("PostMessageA(" + std::to_string(message) + ")");
    if (ShouldFail("PostMessageA")) return FALSE;
    if (window && !FindWindow(window)) return FALSE;
    ThreadMessageQueue().Post(MakeMessage(window, message, wParam, lParam));
    return TRUE;
}

void PostQuitMessage(int exitCode) {
    Log("PostQuitMessage(" + std::to_string(exitCode) + ")");
    ThreadMessageQueue().PostQuit(exitCode);
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* record = FindWindow(window);
    if (!record) return 0;
    return record->procedure(window, message, wParam, lParam);
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
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
        (void)lParam;
        return 0;
    }
}

namespace headless {

void PressKey(int virtualKey) {
    ThreadMessageQueue().PostInput(
        MakeMessage(Get().mainWindow, WM_KEYDOWN, static_cast<WPARAM>(virtualKey), 1));
}

void RequestClose() {
    ThreadMessageQueue().PostInput(MakeMessage(Get().mainWindow, WM_SYSCOMMAND, SC_CLOSE, 0));
}

std::size_t QueuedMessageCount() { return ThreadMessageQueue().Size(); }

}  // namespace headless
