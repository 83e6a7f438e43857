// messages.cpp: the thread's message queue fed from SDL's events. Provides PeekMessageA,
// PostMessageA and PostQuitMessage (the others are shared, platform/common/window_messages.h).
#include "platform/common/message_queue.h"
#include "platform/common/window_messages.h"
#include "platform/live/live_local.h"

namespace {

// Win32 virtual-key codes that win32.h does not name.
constexpr WPARAM kVkPause = 0x13, kVkCapital = 0x14, kVkPrior = 0x21, kVkNext = 0x22, kVkEnd = 0x23,
                 kVkHome = 0x24, kVkInsert = 0x2D, kVkDelete = 0x2E, kVkNumpad0 = 0x60,
                 kVkMultiply = 0x6A, kVkAdd = 0x6B, kVkSubtract = 0x6D, kVkDecimal = 0x6E,
                 kVkDivide = 0x6F;

// The virtual-key code of an SDL key, or 0 for keys the show has no code for.
WPARAM VirtualKey(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12) return VK_F1 + (key - SDLK_F1);
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return kVkNumpad0 + 1 + (key - SDLK_KP_1);
    switch (key) {
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_TAB: return VK_TAB;
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_UP: return VK_UP;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LALT:
    case SDLK_RALT: return VK_MENU;
    case SDLK_PAUSE: return kVkPause;
    case SDLK_CAPSLOCK: return kVkCapital;
    case SDLK_PAGEUP: return kVkPrior;
    case SDLK_PAGEDOWN: return kVkNext;
    case SDLK_END: return kVkEnd;
    case SDLK_HOME: return kVkHome;
    case SDLK_INSERT: return kVkInsert;
    case SDLK_DELETE: return kVkDelete;
    case SDLK_KP_0: return kVkNumpad0;
    case SDLK_KP_MULTIPLY: return kVkMultiply;
    case SDLK_KP_PLUS: return kVkAdd;
    case SDLK_KP_MINUS: return kVkSubtract;
    case SDLK_KP_PERIOD: return kVkDecimal;
    case SDLK_KP_DIVIDE: return kVkDivide;
    default: return 0;
    }
}

// The lParam bits that mark a repeat and a release.
constexpr LPARAM kPreviousStateBit = LPARAM(1) << 30;
constexpr LPARAM kTransitionBit = LPARAM(1) << 31;

MSG MessageFor(live::Window* window, UINT message, WPARAM wParam, LPARAM lParam) {
    return MakeMessage(live::HandleOf(window), message, wParam, lParam);
}

void QueueKey(const SDL_KeyboardEvent& key) {
    live::Window* window = live::FindWindowBySdlId(key.windowID);
    WPARAM virtualKey = VirtualKey(key.keysym.sym);
    if (!window || !virtualKey) return;
    // As on Windows, a key pressed with Alt held is a system key (Alt+F4 closes).
    bool alt = (key.keysym.mod & KMOD_ALT) != 0;
    bool down = key.type == SDL_KEYDOWN;
    UINT message = alt ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
    LPARAM lParam = 1 | (LPARAM(key.keysym.scancode & 0xFF) << 16);
    if (alt) lParam |= kKeyContextBit;
    if (key.repeat || !down) lParam |= kPreviousStateBit;
    if (!down) lParam |= kTransitionBit;
    ThreadMessageQueue().PostInput(MessageFor(window, message, virtualKey, lParam));
}

void HandleWindowEvent(const SDL_WindowEvent& event) {
    live::Window* window = live::FindWindowBySdlId(event.windowID);
    if (!window) return;
    switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE:
        ThreadMessageQueue().PostInput(MessageFor(window, WM_SYSCOMMAND, SC_CLOSE, 0));
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED: live::ReportClientSize(window, false); break;
    case SDL_WINDOWEVENT_MINIMIZED: live::ReportClientSize(window, true); break;
    case SDL_WINDOWEVENT_FOCUS_GAINED: live::SendToWindow(window, WM_ACTIVATE, WA_ACTIVE, 0); break;
    case SDL_WINDOWEVENT_FOCUS_LOST: live::SendToWindow(window, WM_ACTIVATE, WA_INACTIVE, 0); break;
    default: break;
    }
}

// Moves what the window system has for the program into the queue; resizes and focus
// changes are sent to the window procedure on the spot, as Windows sends them.
void PumpWindowSystem() {
    live::HandlePendingTermination();
    if (!live::VideoStarted()) return;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_KEYDOWN || event.type == SDL_KEYUP)
            QueueKey(event.key);
        else if (event.type == SDL_WINDOWEVENT)
            HandleWindowEvent(event.window);
    }
}

}  // namespace

WNDPROC WindowProcedureOf(HWND window) {
    live::Window* record = live::FindWindow(window);
    return record ? record->procedure : nullptr;
}

BOOL PeekMessageA(MSG* message, HWND, UINT, UINT, UINT removeFlags) {
    PumpWindowSystem();
    return PeekThreadQueue(message, removeFlags);
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return PostToThreadQueue(window, message, wParam, lParam);
}

void PostQuitMessage(int exitCode) { ThreadMessageQueue().PostQuit(exitCode); }
