// gl_context.cpp: device contexts, pixel formats and WGL contexts over an EGL context of
// Mesa's surfaceless platform that draws into a framebuffer object of the window's client
// size, 16-bit colour (RGB565) and 16-bit depth (GetDC, ReleaseDC, ChoosePixelFormat,
// SetPixelFormat, wglCreateContext, wglMakeCurrent, wglDeleteContext, SwapBuffers).
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include "platform/gl.h"
#include <GL/glext.h>

#include <algorithm>
#include <cstdio>

#include "platform/headless/headless_local.h"

namespace headless {
namespace detail {
namespace {

// How far SwapBuffers moves the clock when no frame handler is set (ms).
constexpr DWORD kFrameStepWithoutHandler = 16;

struct FramebufferCalls {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer;
};

template <typename Function>
void Load(Function* function, const char* name) {
    *function = reinterpret_cast<Function>(eglGetProcAddress(name));
}

const FramebufferCalls& Calls() {
    static FramebufferCalls calls = [] {
        FramebufferCalls loaded{};
        Load(&loaded.genFramebuffers, "glGenFramebuffers");
        Load(&loaded.bindFramebuffer, "glBindFramebuffer");
        Load(&loaded.deleteFramebuffers, "glDeleteFramebuffers");
        Load(&loaded.genRenderbuffers, "glGenRenderbuffers");
        Load(&loaded.bindRenderbuffer, "glBindRenderbuffer");
        Load(&loaded.deleteRenderbuffers, "glDeleteRenderbuffers");
        Load(&loaded.renderbufferStorage, "glRenderbufferStorage");
        Load(&loaded.framebufferRenderbuffer, "glFramebufferRenderbuffer");
        return loaded;
    }();
    return calls;
}

// The process's one EGL display; EGL_NO_DISPLAY when the platform offers none.
EGLDisplay Display() {
    static EGLDisplay display = [] {
        auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
            eglGetProcAddress("eglGetPlatformDisplayEXT"));
        if (!getPlatformDisplay) return EGL_NO_DISPLAY;
        EGLDisplay opened =
            getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        if (opened == EGL_NO_DISPLAY || !eglInitialize(opened, nullptr, nullptr)) {
            std::fprintf(stderr, "headless: no EGL display (Mesa surfaceless platform)\n");
            return EGL_NO_DISPLAY;
        }
        return opened;
    }();
    return display;
}

// Surfaceless displays offer no window configs; the context needs none
// (EGL_KHR_no_config_context), since it only ever draws into its framebuffer object.
EGLContext CreateEglContext() {
    EGLDisplay display = Display();
    if (display == EGL_NO_DISPLAY || !eglBindAPI(EGL_OPENGL_API)) return EGL_NO_CONTEXT;
    const EGLint contextAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                        EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    return eglCreateContext(display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, contextAttributes);
}

}  // namespace

HDC DeviceContextOf(HWND window) { return reinterpret_cast<HDC>(window); }
HWND WindowOfDeviceContext(HDC dc) { return reinterpret_cast<HWND>(dc); }

void FitFramebuffer(Context& context) {
    Window* window = FindWindow(context.window);
    if (!window) return;
    int width = window->clientWidth > 0 ? window->clientWidth : 1;
    int height = window->clientHeight > 0 ? window->clientHeight : 1;
    const FramebufferCalls& gl = Calls();
    if (!context.framebuffer) {
        gl.genFramebuffers(1, &context.framebuffer);
        gl.genRenderbuffers(1, &context.colorBuffer);
        gl.genRenderbuffers(1, &context.depthBuffer);
    }
    gl.bindFramebuffer(GL_FRAMEBUFFER, context.framebuffer);
    if (width != context.bufferWidth || height != context.bufferHeight) {
        gl.bindRenderbuffer(GL_RENDERBUFFER, context.colorBuffer);
        gl.renderbufferStorage(GL_RENDERBUFFER, Get().colourBits == 24 ? GL_RGB8 : GL_RGB565, width,
                               height);
        gl.bindRenderbuffer(GL_RENDERBUFFER, context.depthBuffer);
        gl.renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, width, height);
        gl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                   context.colorBuffer);
        gl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                                   context.depthBuffer);
        context.bufferWidth = width;
        context.bufferHeight = height;
    }
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
}

void DestroyContext(HGLRC handle) {
    auto found = Get().contexts.find(handle);
    if (found == Get().contexts.end()) return;
    Context& context = found->second;
    EGLDisplay display = Display();
    if (context.framebuffer &&
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context.egl)) {
        const FramebufferCalls& gl = Calls();
        gl.bindFramebuffer(GL_FRAMEBUFFER, 0);
        gl.deleteFramebuffers(1, &context.framebuffer);
        gl.deleteRenderbuffers(1, &context.colorBuffer);
        gl.deleteRenderbuffers(1, &context.depthBuffer);
    }
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(display, context.egl);
    if (Get().currentContext == handle) Get().currentContext = nullptr;
    Get().contexts.erase(found);
}

}  // namespace detail

int MaxFramebufferSize() {
    EGLDisplay display = detail::Display();
    EGLContext current = eglGetCurrentContext();
    EGLContext probe = detail::CreateEglContext();
    if (probe == EGL_NO_CONTEXT) return 0;
    int size = 0;
    if (eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, probe)) {
        GLint viewport[2] = {0, 0};
        GLint renderbuffer = 0;
        glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
        glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
        size = std::min({viewport[0], viewport[1], renderbuffer});
    }
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, current);
    eglDestroyContext(display, probe);
    return size;
}

std::vector<std::uint8_t> ReadPixels(int* width, int* height) {
    std::vector<std::uint8_t> pixels;
    auto found = detail::Get().contexts.find(detail::Get().currentContext);
    if (found == detail::Get().contexts.end()) return pixels;
    int w = found->second.bufferWidth;
    int h = found->second.bufferHeight;
    pixels.resize(static_cast<std::size_t>(w) * h * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    if (width) *width = w;
    if (height) *height = h;
    return pixels;
}

}  // namespace headless

using namespace headless::detail;

HDC GetDC(HWND window) {
    Log("GetDC");
    Window* record = FindWindow(window);
    if (ShouldFail("GetDC") || !record) return nullptr;
    return DeviceContextOf(window);
}

int ReleaseDC(HWND window, HDC dc) {
    Log("ReleaseDC");
    if (ShouldFail("ReleaseDC") || !FindWindow(window) || WindowOfDeviceContext(dc) != window)
        return 0;
    return 1;
}

int ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* request) {
    Log("ChoosePixelFormat");
    if (ShouldFail("ChoosePixelFormat") || !request || !FindWindow(WindowOfDeviceContext(dc)))
        return 0;
    const DWORD needed = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
    if ((request->dwFlags & needed) != needed || request->iPixelType != PFD_TYPE_RGBA) return 0;
    return 1;
}

BOOL SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR*) {
    Log("SetPixelFormat(" + std::to_string(format) + ")");
    Window* record = FindWindow(WindowOfDeviceContext(dc));
    if (ShouldFail("SetPixelFormat") || !record || format != 1) return FALSE;
    if (record->pixelFormat != 0 && record->pixelFormat != format) return FALSE;
    record->pixelFormat = format;
    return TRUE;
}

HGLRC wglCreateContext(HDC dc) {
    Log("wglCreateContext");
    HWND window = WindowOfDeviceContext(dc);
    Window* record = FindWindow(window);
    if (ShouldFail("wglCreateContext") || !record || record->pixelFormat == 0) return nullptr;
    EGLContext egl = CreateEglContext();
    if (egl == EGL_NO_CONTEXT) return nullptr;
    HGLRC handle = NewHandle<HGLRC>();
    Context context;
    context.egl = egl;
    context.window = window;
    Get().contexts[handle] = context;
    return handle;
}

BOOL wglMakeCurrent(HDC dc, HGLRC handle) {
    Log(handle ? "wglMakeCurrent" : "wglMakeCurrent(NULL)");
    if (ShouldFail("wglMakeCurrent")) return FALSE;
    EGLDisplay display = Display();
    if (!dc && !handle) {
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        Get().currentContext = nullptr;
        return TRUE;
    }
    auto found = Get().contexts.find(handle);
    Window* record = FindWindow(WindowOfDeviceContext(dc));
    if (found == Get().contexts.end() || !record || record->pixelFormat == 0) return FALSE;
    Context& context = found->second;
    context.window = WindowOfDeviceContext(dc);
    if (!eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context.egl)) return FALSE;
    Get().currentContext = handle;
    FitFramebuffer(context);
    if (!context.madeCurrentOnce) {
        // A context's first viewport is the client area of the window it is made current on.
        context.madeCurrentOnce = true;
        glViewport(0, 0, context.bufferWidth, context.bufferHeight);
    }
    return TRUE;
}

BOOL wglDeleteContext(HGLRC handle) {
    Log("wglDeleteContext");
    if (ShouldFail("wglDeleteContext") || !Get().contexts.count(handle)) return FALSE;
    DestroyContext(handle);
    return TRUE;
}

BOOL SwapBuffers(HDC dc) {
    Log("SwapBuffers");
    Window* record = FindWindow(WindowOfDeviceContext(dc));
    if (ShouldFail("SwapBuffers") || !record || record->pixelFormat == 0) return FALSE;
    glFinish();
    State& state = Get();
    int frameNumber = ++state.framesSwapped;
    if (state.frameHandler) {
        state.frameHandler(frameNumber);
    } else {
        state.clock += kFrameStepWithoutHandler;
    }
    return TRUE;
}
