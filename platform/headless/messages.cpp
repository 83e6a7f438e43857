// messages.cpp: the message queue calls over the headless windows (PeekMessageA,
// PostMessageA, PostQuitMessage; the others are shared, platform/common/window_messages.h),
// plus the input a test or the capture tool injects.
#include "platform/common/message_queue.h"
#include "platform/common/window_messages.h"
#include "platform/headless/headless_local.h"

using namespace headless::detail;

WNDPROC WindowProcedureOf(HWND window) {
    Window* record = FindWindow(window);
    return record ? record->procedure : nullptr;
}

BOOL PeekMessageA(MSG* message, HWND, UINT, UINT, UINT removeFlags) {
    return PeekThreadQueue(message, removeFlags);
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Log("PostMessageA(" + std::to_string(message) + ")");
    if (ShouldFail("PostMessageA")) return FALSE;
    return PostToThreadQueue(window, message, wParam, lParam);
}

void PostQuitMessage(int exitCode) {
    Log("PostQuitMessage(" + std::to_string(exitCode) + ")");
    ThreadMessageQueue().PostQuit(exitCode);
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
