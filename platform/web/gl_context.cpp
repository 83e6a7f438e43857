// gl_context.cpp: the canvas's WebGL context behind the WGL calls (GetDC, ReleaseDC,
// ChoosePixelFormat, SetPixelFormat, SwapBuffers, wglCreateContext, wglMakeCurrent,
// wglDeleteContext). SwapBuffers hands the frame to the browser and waits for its next
// animation frame; in the test mode it sets the virtual clock instead and, once the
// frame asked for is drawn, keeps it on screen.
#include "platform/web/gl_backend.h"
#include "platform/web/web_local.h"

using namespace web;

void FlushWebGl();

namespace {

// The device context of a window is the window's handle reinterpreted (CS_OWNDC).
HWND WindowOf(HDC dc) {
    HWND window = reinterpret_cast<HWND>(dc);
    return FindWindow(window) ? window : nullptr;
}

void AfterTestFrame() {
    static int framesShown = 0;
    ++framesShown;
    const DWORD at = static_cast<DWORD>(kelvo_web_test_time());
    // The show draws its first frame at 0 ms; like the capture tool, the frame asked for
    // is the next one, so the scenes' animation (one frame behind) is primed.
    if (framesShown == 1 && at != 0) {
        SetVirtualClock(at);
        return;
    }
    kelvo_web_stay();
}

}  // namespace

HDC GetDC(HWND window) { return FindWindow(window) ? reinterpret_cast<HDC>(window) : nullptr; }
int ReleaseDC(HWND window, HDC dc) { return WindowOf(dc) == window && window ? 1 : 0; }

int ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* request) {
    return WindowOf(dc) && request ? 1 : 0;
}

BOOL SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR*) {
    return WindowOf(dc) && format == 1 ? TRUE : FALSE;
}

BOOL SwapBuffers(HDC dc) {
    if (!WindowOf(dc) || !Get().contextCurrent) return FALSE;
    FlushWebGl();
    kelvo_web_frame_drawn();
    if (TestMode())
        AfterTestFrame();
    else
        kelvo_web_wait_frame();
    Get().lastYield = kelvo_web_clock();
    return TRUE;
}

HGLRC wglCreateContext(HDC dc) {
    if (!WindowOf(dc) || Get().context) return nullptr;
    if (!kelvo_web_gl_create()) return nullptr;
    Get().context = NewHandle<HGLRC>();
    return Get().context;
}

BOOL wglMakeCurrent(HDC dc, HGLRC context) {
    if (!dc && !context) {
        Get().contextCurrent = false;
        return TRUE;
    }
    if (!WindowOf(dc) || !context || context != Get().context) return FALSE;
    Get().contextCurrent = true;
    return TRUE;
}

BOOL wglDeleteContext(HGLRC context) {
    if (!context || context != Get().context) return FALSE;
    Get().context = nullptr;
    Get().contextCurrent = false;
    return TRUE;
}
