// refusal_table.cpp: the rows of the refusal table and the probe output they are read from.
#include "support/refusal_table.h"

#include "app/resources/resource_ids.h"
#include "platform/win32.h"

namespace {

// The lParam bit of a key message that says Alt was held.
constexpr LPARAM kAltHeld = LPARAM(1) << 29;

// An object whose address no layer ever hands out as a handle.
char notAHandle;
HWND UnknownWindow() { return reinterpret_cast<HWND>(&notAHandle); }

LRESULT CALLBACK PlainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK RefusingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) return -1;
    return DefWindowProcA(window, message, wParam, lParam);
}

ATOM Register(const char* className, WNDPROC procedure = PlainProcedure) {
    WNDCLASSA windowClass = {};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = procedure;
    windowClass.lpszClassName = className;
    return RegisterClassA(&windowClass);
}

// A hidden framed window of a class registered under className (each row uses names of
// its own: the live layer keeps its classes for the whole process).
HWND MakeWindow(const char* className, int width = 64, int height = 48, HWND parent = nullptr) {
    Register(className);
    return CreateWindowExA(0, className, "refusal row", WS_OVERLAPPEDWINDOW, 0, 0, width, height,
                           parent, nullptr, GetModuleHandleA(nullptr), nullptr);
}

// Makes a window, lets use refuse or accept something about it, and destroys it.
template <typename Use>
bool WithWindow(const char* className, Use use) {
    HWND window = MakeWindow(className);
    if (!window) return false;
    bool refused = use(window);
    DestroyWindow(window);
    return refused;
}

bool CreateRefused(const char* className, int width, int height) {
    HWND window = MakeWindow(className, width, height);
    if (window) DestroyWindow(window);
    return window == nullptr;
}

PIXELFORMATDESCRIPTOR ShowPixelFormat() {
    PIXELFORMATDESCRIPTOR format = {};
    format.nSize = sizeof format;
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = 16;
    format.cDepthBits = 16;
    return format;
}

// A context made for a window with a pixel format, handed to use with a second window
// that has none.
template <typename Use>
bool WithContextAndBareWindow(const char* className, const char* bareClassName, Use use) {
    HWND window = MakeWindow(className);
    HWND bare = MakeWindow(bareClassName);
    HDC dc = GetDC(window);
    PIXELFORMATDESCRIPTOR format = ShowPixelFormat();
    HGLRC context = nullptr;
    if (SetPixelFormat(dc, ChoosePixelFormat(dc, &format), &format)) context = wglCreateContext(dc);
    bool refused = context && bare ? use(context, GetDC(bare)) : false;
    if (context) wglDeleteContext(context);
    if (bare) DestroyWindow(bare);
    if (window) DestroyWindow(window);
    return refused;
}

// The settings dialog with a procedure that, on WM_INITDIALOG, checks the control whose
// id is initParam and ends the dialog with 1 when it reads back as checked.
INT_PTR CALLBACK CheckingProcedure(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_INITDIALOG) return FALSE;
    int control = static_cast<int>(lParam);
    SendDlgItemMessageA(dialog, control, BM_SETCHECK, BST_CHECKED, 0);
    bool checked = SendDlgItemMessageA(dialog, control, BM_GETCHECK, 0, 0) == BST_CHECKED;
    EndDialog(dialog, checked ? 1 : 2);
    return FALSE;
}

bool CheckRefused(int controlId) {
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SETTINGS), nullptr,
                           CheckingProcedure, controlId) != 1;
}

DEVMODEA DesktopSizedMode() {
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
    mode.dmPelsWidth = 640;
    mode.dmPelsHeight = 480;
    mode.dmBitsPerPel = 16;
    return mode;
}

const std::vector<RefusalRow> kRows = {
    // The program and its stock resources.
    {"GetModuleHandleA(NULL)", [] { return GetModuleHandleA(nullptr) == nullptr; }, false},
    {"GetModuleHandleA with a module name", [] { return GetModuleHandleA("kelvo.exe") == nullptr; },
     true},
    {"LoadIconA(NULL, IDI_APPLICATION)",
     [] { return LoadIconA(nullptr, IDI_APPLICATION) == nullptr; }, false},
    {"LoadIconA with an instance",
     [] { return LoadIconA(GetModuleHandleA(nullptr), IDI_APPLICATION) == nullptr; }, true},
    {"LoadIconA of another icon",
     [] { return LoadIconA(nullptr, MAKEINTRESOURCEA(32513)) == nullptr; }, true},
    {"LoadIconA by a string name", [] { return LoadIconA(nullptr, "KELVO") == nullptr; }, true},
    {"LoadCursorA(NULL, IDC_ARROW)", [] { return LoadCursorA(nullptr, IDC_ARROW) == nullptr; },
     false},
    {"LoadCursorA with an instance",
     [] { return LoadCursorA(GetModuleHandleA(nullptr), IDC_ARROW) == nullptr; }, true},
    {"LoadCursorA of another cursor",
     [] { return LoadCursorA(nullptr, MAKEINTRESOURCEA(32513)) == nullptr; }, true},

    // Window classes.
    {"RegisterClassA(NULL)", [] { return RegisterClassA(nullptr) == 0; }, true},
    {"RegisterClassA without a procedure",
     [] { return Register("refusal no procedure", nullptr) == 0; }, true},
    {"RegisterClassA without a name", [] { return Register(nullptr) == 0; }, true},
    {"RegisterClassA with an empty name", [] { return Register("") == 0; }, true},
    {"RegisterClassA of a name taken",
     [] { return Register("refusal taken") == 0 || Register("refusal taken") == 0; }, true},

    // Windows.
    {"CreateWindowExA of a registered class",
     [] { return CreateRefused("refusal proper window", 64, 48); }, false},
    {"CreateWindowExA of an unknown class",
     [] {
         return CreateWindowExA(0, "refusal never registered", "", WS_OVERLAPPEDWINDOW, 0, 0, 64,
                                48, nullptr, nullptr, nullptr, nullptr) == nullptr;
     },
     true},
    {"CreateWindowExA with a width of 0", [] { return CreateRefused("refusal zero width", 0, 48); },
     true},
    {"CreateWindowExA with a negative height",
     [] { return CreateRefused("refusal negative height", 64, -1); }, true},
    {"CreateWindowExA with a parent window",
     [] {
         return WithWindow("refusal parent", [](HWND parent) {
             HWND child = MakeWindow("refusal child", 32, 24, parent);
             if (child) DestroyWindow(child);
             return child == nullptr;
         });
     },
     true},
    {"CreateWindowExA whose WM_CREATE answers -1",
     [] {
         Register("refusal refusing", RefusingProcedure);
         HWND window = CreateWindowExA(0, "refusal refusing", "", WS_OVERLAPPEDWINDOW, 0, 0, 64, 48,
                                       nullptr, nullptr, nullptr, nullptr);
         if (window) DestroyWindow(window);
         return window == nullptr;
     },
     true},
    {"DestroyWindow of a window already destroyed",
     [] {
         HWND window = MakeWindow("refusal destroyed twice");
         return window && DestroyWindow(window) && !DestroyWindow(window);
     },
     true},
    {"ShowWindow of an unknown window", [] { return !ShowWindow(UnknownWindow(), SW_SHOW); }, true},
    {"SetForegroundWindow of an unknown window",
     [] { return !SetForegroundWindow(UnknownWindow()); }, true},
    {"SetFocus of an unknown window", [] { return SetFocus(UnknownWindow()) == nullptr; }, true},
    {"SetWindowPos of an unknown window",
     [] { return !SetWindowPos(UnknownWindow(), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE); }, true},

    // Device contexts, pixel formats and GL contexts.
    {"GetDC of an unknown window", [] { return GetDC(UnknownWindow()) == nullptr; }, true},
    {"ReleaseDC of another window's DC",
     [] {
         return WithWindow("refusal release one", [](HWND one) {
             return WithWindow("refusal release other",
                               [one](HWND other) { return ReleaseDC(one, GetDC(other)) == 0; });
         });
     },
     true},
    {"ChoosePixelFormat of the show's format",
     [] {
         return WithWindow("refusal proper format", [](HWND window) {
             PIXELFORMATDESCRIPTOR format = ShowPixelFormat();
             return ChoosePixelFormat(GetDC(window), &format) == 0;
         });
     },
     false},
    {"ChoosePixelFormat without OpenGL",
     [] {
         return WithWindow("refusal format without gl", [](HWND window) {
             PIXELFORMATDESCRIPTOR format = ShowPixelFormat();
             format.dwFlags &= ~static_cast<DWORD>(PFD_SUPPORT_OPENGL);
             return ChoosePixelFormat(GetDC(window), &format) == 0;
         });
     },
     true},
    {"ChoosePixelFormat without a request",
     [] {
         return WithWindow("refusal format without request", [](HWND window) {
             return ChoosePixelFormat(GetDC(window), nullptr) == 0;
         });
     },
     true},
    {"SetPixelFormat of a format never offered",
     [] {
         return WithWindow("refusal format never offered", [](HWND window) {
             PIXELFORMATDESCRIPTOR format = ShowPixelFormat();
             return !SetPixelFormat(GetDC(window), 2, &format);
         });
     },
     true},
    {"SwapBuffers before SetPixelFormat",
     [] {
         return WithWindow("refusal swap without format",
                           [](HWND window) { return !SwapBuffers(GetDC(window)); });
     },
     true},
    {"wglCreateContext before SetPixelFormat",
     [] {
         return WithWindow("refusal context without format",
                           [](HWND window) { return wglCreateContext(GetDC(window)) == nullptr; });
     },
     true},
    {"wglMakeCurrent on a window without a pixel format",
     [] {
         return WithContextAndBareWindow("refusal context window", "refusal bare window",
                                         [](HGLRC context, HDC bare) {
                                             bool refused = !wglMakeCurrent(bare, context);
                                             wglMakeCurrent(nullptr, nullptr);
                                             return refused;
                                         });
     },
     true},
    {"wglMakeCurrent of a null context with a DC",
     [] {
         return WithWindow("refusal null context",
                           [](HWND window) { return !wglMakeCurrent(GetDC(window), nullptr); });
     },
     true},
    {"wglMakeCurrent(NULL, NULL)", [] { return !wglMakeCurrent(nullptr, nullptr); }, false},
    {"wglDeleteContext of a context already deleted",
     [] {
         return WithContextAndBareWindow(
             "refusal deleted context", "refusal deleted bare", [](HGLRC context, HDC) {
                 return wglDeleteContext(context) && !wglDeleteContext(context);
             });
     },
     true},

    // Display modes.
    {"ChangeDisplaySettingsA(NULL, 0)",
     [] { return ChangeDisplaySettingsA(nullptr, 0) != DISP_CHANGE_SUCCESSFUL; }, false},
    {"ChangeDisplaySettingsA of a mode without CDS_FULLSCREEN",
     [] {
         DEVMODEA mode = DesktopSizedMode();
         return ChangeDisplaySettingsA(&mode, 0) != DISP_CHANGE_SUCCESSFUL;
     },
     true},
    {"EnumDisplaySettingsA of the current mode",
     [] {
         DEVMODEA mode = {};
         mode.dmSize = sizeof mode;
         return !EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode);
     },
     false},
    {"EnumDisplaySettingsA of a named display",
     [] {
         DEVMODEA mode = {};
         mode.dmSize = sizeof mode;
         return !EnumDisplaySettingsA("\\\\.\\DISPLAY2", ENUM_CURRENT_SETTINGS, &mode);
     },
     true},
    {"EnumDisplaySettingsA without a mode record",
     [] { return !EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, nullptr); }, true},

    // Messages.
    {"PeekMessageA without a message record",
     [] { return !PeekMessageA(nullptr, nullptr, 0, 0, PM_REMOVE); }, true},
    {"PostMessageA to an unknown window",
     [] { return !PostMessageA(UnknownWindow(), WM_NULL, 0, 0); }, true},
    {"DefWindowProcA of Alt+F4",
     [] {
         return WithWindow("refusal alt f4", [](HWND window) {
             DefWindowProcA(window, WM_SYSKEYDOWN, VK_F4, kAltHeld);
             // The window is still there when the key did not close it.
             return GetDC(window) != nullptr;
         });
     },
     false},
    {"DefWindowProcA of F4 without Alt",
     [] {
         return WithWindow("refusal f4 without alt", [](HWND window) {
             DefWindowProcA(window, WM_SYSKEYDOWN, VK_F4, 0);
             return GetDC(window) != nullptr;
         });
     },
     true},

    // Dialogs.
    {"DialogBoxParamA of a missing template",
     [] {
         return DialogBoxParamA(nullptr, MAKEINTRESOURCEA(4711), nullptr, CheckingProcedure,
                                IDC_FULLSCREEN) == -1;
     },
     true},
    {"DialogBoxParamA without a procedure",
     [] {
         return DialogBoxParamA(nullptr, MAKEINTRESOURCEA(IDD_SETTINGS), nullptr, nullptr, 0) == -1;
     },
     true},
    {"SendDlgItemMessageA BM_SETCHECK on the check box",
     [] { return CheckRefused(IDC_FULLSCREEN); }, false},
    {"SendDlgItemMessageA BM_SETCHECK on a push button", [] { return CheckRefused(IDOK); }, true},
    {"SendDlgItemMessageA BM_SETCHECK on a missing control", [] { return CheckRefused(4711); },
     true},
    {"SendDlgItemMessageA to a window that is no dialog",
     [] {
         return WithWindow("refusal not a dialog", [](HWND window) {
             SendDlgItemMessageA(window, IDC_FULLSCREEN, BM_SETCHECK, BST_CHECKED, 0);
             return SendDlgItemMessageA(window, IDC_FULLSCREEN, BM_GETCHECK, 0, 0) != BST_CHECKED;
         });
     },
     true},
    {"EndDialog of a window that is no dialog",
     [] {
         return WithWindow("refusal end no dialog",
                           [](HWND window) { return !EndDialog(window, 1); });
     },
     true},
};

const std::string kLinePrefix = "row ";

}  // namespace

const std::vector<RefusalRow>& RefusalRows() { return kRows; }

const char* OutcomeName(bool refused) { return refused ? "refused" : "accepted"; }

std::string RefusalLine(const RefusalRow& row, bool refused) {
    return kLinePrefix + row.name + ": " + OutcomeName(refused);
}

std::vector<std::string> OutcomesIn(const std::string& output) {
    std::vector<std::string> outcomes;
    for (const RefusalRow& row : kRows) {
        const std::string head = kLinePrefix + row.name + ": ";
        std::string outcome = "missing";
        for (std::size_t at = 0; at < output.size();) {
            std::size_t end = output.find('\n', at);
            if (end == std::string::npos) end = output.size();
            const std::string line = output.substr(at, end - at);
            if (line.compare(0, head.size(), head) == 0)
                outcome = outcome == "missing" ? line.substr(head.size()) : "twice";
            at = end + 1;
        }
        outcomes.push_back(outcome);
    }
    return outcomes;
}
