// window_messages.h: the message calls every layer shares (TranslateMessage,
// DispatchMessageA, SendMessageA, DefWindowProcA, and the checks of PeekMessageA and
// PostMessageA), written over the one hook each layer supplies for its windows.
#pragma once

#include "platform/win32.h"

// Supplied by each layer: the procedure of one of its open windows; null for an unknown
// handle.
WNDPROC WindowProcedureOf(HWND window);

// A message for window stamped with the current timeGetTime.
MSG MakeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// PeekMessageA on the thread's queue once the layer has gathered its input.
BOOL PeekThreadQueue(MSG* message, UINT removeFlags);
// PostMessageA on the thread's queue: FALSE for a window that is neither null nor open.
BOOL PostToThreadQueue(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The lParam bit of a key message that tells Alt was held.
constexpr LPARAM kKeyContextBit = LPARAM(1) << 29;
