// messages.cpp: the message queue calls over the page's windows (PeekMessageA,
// PostMessageA, PostQuitMessage; the others are shared, platform/common/window_messages.h).
// Keys pressed on the page arrive as WM_KEYDOWN.
#include "platform/common/message_queue.h"
#include "platform/common/window_messages.h"
#include "platform/web/web_local.h"

using namespace web;

namespace {

// A loop that only takes messages (no frames) still lets the browser run this often.
const double kLongestWithoutYield = 50.0;  // ms

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

WNDPROC WindowProcedureOf(HWND window) {
    Window* record = FindWindow(window);
    return record ? record->procedure : nullptr;
}

BOOL PeekMessageA(MSG* message, HWND, UINT, UINT, UINT removeFlags) {
    if (!message) return FALSE;
    GatherInput();
    return PeekThreadQueue(message, removeFlags);
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return PostToThreadQueue(window, message, wParam, lParam);
}

void PostQuitMessage(int exitCode) { ThreadMessageQueue().PostQuit(exitCode); }
