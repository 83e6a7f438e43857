// headless_local.h: the state shared by the files of the headless layer.
#pragma once

#include <EGL/egl.h>
#include "platform/gl.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/resources.h"
#include "platform/win32.h"

namespace headless {
namespace detail {

struct Window {
    std::string className;
    std::string title;
    WNDPROC procedure = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = 0;
    int y = 0;
    int clientWidth = 0;
    int clientHeight = 0;
    bool visible = false;
    bool topmost = false;
    int pixelFormat = 0;
};

struct Context {
    EGLContext egl = EGL_NO_CONTEXT;
    HWND window = nullptr;
    GLuint framebuffer = 0;
    GLuint colorBuffer = 0;
    GLuint depthBuffer = 0;
    int bufferWidth = 0;
    int bufferHeight = 0;
    bool madeCurrentOnce = false;
};

struct Dialog {
    const DialogTemplate* form = nullptr;
    bool ended = false;
    INT_PTR result = 0;
    std::map<int, int> checks;
    POINT position{0, 0};
    bool topmost = false;
};

struct State {
    DWORD clock = 0;
    DWORD fileLookupTime = 0;
    int framesSwapped = 0;
    std::function<void(int)> frameHandler;
    std::map<std::string, int> failures;
    bool logging = true;
    bool echoBoxes = true;
    std::vector<std::string> log;
    std::vector<RecordedBox> boxes;
    std::vector<SoundEvent> soundEvents;
    DEVMODEA desktopMode{};
    bool fullScreenActive = false;
    DEVMODEA fullScreenMode{};
    bool refuseFullScreen = false;
    int lowestFullScreenBits = 0;
    int cursorCounter = 0;
    int frameLeft = 0, frameTop = 0, frameRight = 0, frameBottom = 0;
    int clientWidth = 0, clientHeight = 0;  // every window's client size; 0: as asked
    int colourBits = 16;
    std::map<std::string, WNDCLASSA> classes;
    std::map<HWND, Window> windows;
    std::map<HGLRC, Context> contexts;
    HGLRC currentContext = nullptr;
    HWND mainWindow = nullptr;
    HWND focusedWindow = nullptr;  // the window SetFocus was last given
    std::uintptr_t nextHandle = 0x1000;
    std::vector<int> dialogAnswers;
    std::map<HWND, Dialog> dialogs;
    Dialog lastDialog;
};

State& Get();

// Appends a call to the log.
void Log(const std::string& entry);
// True when the named call was made to fail; consumes one failure.
bool ShouldFail(const std::string& name);
// A fresh handle value of any handle type.
template <typename Handle>
Handle NewHandle() {
    return reinterpret_cast<Handle>(Get().nextHandle++);
}

Window* FindWindow(HWND window);
// The device context of a window is the window's handle reinterpreted (CS_OWNDC).
HDC DeviceContextOf(HWND window);
HWND WindowOfDeviceContext(HDC dc);

// Sized to the window's client area; called when the context is made current or the
// window is resized.
void FitFramebuffer(Context& context);
void DestroyContext(HGLRC handle);
void DestroyAllWindows();
void ResetDisplayMode();
// Closes the sound library if a test left it open and forgets the last playback.
void ResetSound();

}  // namespace detail
}  // namespace headless
