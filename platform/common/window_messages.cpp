// window_messages.cpp: the message calls that work the same over every layer's windows.
// Provides TranslateMessage, DispatchMessageA, SendMessageA and DefWindowProcA.
#include "platform/common/window_messages.h"

#include "platform/common/message_queue.h"

MSG MakeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG result{};
    result.hwnd = window;
    result.message = message;
    result.wParam = wParam;
    result.lParam = lParam;
    result.time = timeGetTime();
    return result;
}

BOOL PeekThreadQueue(MSG* message, UINT removeFlags) {
    if (!message) return FALSE;
    if (!(removeFlags & PM_REMOVE)) return ThreadMessageQueue().Size() > 0 ? TRUE : FALSE;
    return ThreadMessageQueue().Take(message) ? TRUE : FALSE;
}

BOOL PostToThreadQueue(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window && !WindowProcedureOf(window)) return FALSE;
    ThreadMessageQueue().Post(MakeMessage(window, message, wParam, lParam));
    return TRUE;
}

BOOL TranslateMessage(const MSG* message) {
    if (!message) return FALSE;
    switch (message->message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP: return TRUE;
    default: return FALSE;
    }
}

LRESULT DispatchMessageA(const MSG* message) {
    if (!message) return 0;
    return SendMessageA(message->hwnd, message->message, message->wParam, message->lParam);
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC procedure = WindowProcedureOf(window);
    return procedure ? procedure(window, message, wParam, lParam) : 0;
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SYSCOMMAND:
        // The low four bits of a system command are the system's own.
        if ((wParam & 0xFFF0) == SC_CLOSE) return SendMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    case WM_SYSKEYDOWN:
        if (wParam == VK_F4 && (lParam & kKeyContextBit))
            return SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    case WM_CLOSE: DestroyWindow(window); return 0;
    default: return 0;
    }
}
