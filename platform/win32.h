// win32.h: the subset of the Win32, WGL and multimedia-timer API that the show calls.
//
// On Windows this header is <windows.h> itself. Elsewhere it declares the same names,
// types, constants and meanings, implemented by a platform layer: platform/live (SDL2 and
// FLTK), platform/headless (offscreen EGL, virtual clock, recorded message boxes) or
// platform/web (the browser). platform/README.md lists which file of each layer supplies
// which call.
// Each declaration states which behaviour of the original call is kept.
#pragma once

#if defined(_WIN32)
#include <windows.h>
#else

#include <cstddef>
#include <cstdint>

#define WINAPI
#define CALLBACK

typedef int BOOL;
typedef unsigned int UINT;
typedef std::uint32_t DWORD;
typedef std::uint16_t WORD;
typedef std::uint8_t BYTE;
typedef std::int32_t LONG;
typedef std::int16_t SHORT;
typedef std::intptr_t INT_PTR;
typedef std::intptr_t LONG_PTR;
typedef std::uintptr_t UINT_PTR;
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;
typedef std::uint16_t ATOM;
typedef char CHAR;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef void* LPVOID;

struct HWND__;
struct HDC__;
struct HGLRC__;
struct HINSTANCE__;
struct HICON__;
struct HCURSOR__;
struct HBRUSH__;
struct HMENU__;
typedef HWND__* HWND;
typedef HDC__* HDC;
typedef HGLRC__* HGLRC;
typedef HINSTANCE__* HINSTANCE;
typedef HICON__* HICON;
typedef HCURSOR__* HCURSOR;
typedef HBRUSH__* HBRUSH;
typedef HMENU__* HMENU;

#define TRUE 1
#define FALSE 0

#define LOWORD(l) ((WORD)(((std::uintptr_t)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((std::uintptr_t)(l)) >> 16) & 0xffff))
#define MAKELONG(lo, hi) ((LONG)(((WORD)(lo)) | (((DWORD)((WORD)(hi))) << 16)))
#define MAKEWPARAM(lo, hi) ((WPARAM)(DWORD)MAKELONG(lo, hi))
#define MAKELPARAM(lo, hi) ((LPARAM)(DWORD)MAKELONG(lo, hi))
#define MAKEINTRESOURCEA(i) ((LPSTR)((std::uintptr_t)((WORD)(i))))
#define MAKEINTRESOURCE MAKEINTRESOURCEA
#define IS_INTRESOURCE(r) ((((std::uintptr_t)(r)) >> 16) == 0)

typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);
typedef INT_PTR(CALLBACK* DLGPROC)(HWND, UINT, WPARAM, LPARAM);

struct POINT {
    LONG x;
    LONG y;
};

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};

struct WNDCLASSA {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
};

// The display-mode fields the show uses; the rest of the original record is not kept.
struct DEVMODEA {
    BYTE dmDeviceName[32];
    WORD dmSpecVersion;
    WORD dmDriverVersion;
    WORD dmSize;
    WORD dmDriverExtra;
    DWORD dmFields;
    DWORD dmBitsPerPel;
    DWORD dmPelsWidth;
    DWORD dmPelsHeight;
    DWORD dmDisplayFlags;
    DWORD dmDisplayFrequency;
};

struct PIXELFORMATDESCRIPTOR {
    WORD nSize;
    WORD nVersion;
    DWORD dwFlags;
    BYTE iPixelType;
    BYTE cColorBits;
    BYTE cRedBits;
    BYTE cRedShift;
    BYTE cGreenBits;
    BYTE cGreenShift;
    BYTE cBlueBits;
    BYTE cBlueShift;
    BYTE cAlphaBits;
    BYTE cAlphaShift;
    BYTE cAccumBits;
    BYTE cAccumRedBits;
    BYTE cAccumGreenBits;
    BYTE cAccumBlueBits;
    BYTE cAccumAlphaBits;
    BYTE cDepthBits;
    BYTE cStencilBits;
    BYTE cAuxBuffers;
    BYTE iLayerType;
    BYTE bReserved;
    DWORD dwLayerMask;
    DWORD dwVisibleMask;
    DWORD dwDamageMask;
};

// Window messages.
#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_SIZE 0x0005
#define WM_ACTIVATE 0x0006
#define WM_SETFOCUS 0x0007
#define WM_KILLFOCUS 0x0008
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_SYSKEYDOWN 0x0104
#define WM_SYSKEYUP 0x0105
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_SYSCOMMAND 0x0112

#define SIZE_RESTORED 0
#define SIZE_MINIMIZED 1
#define SIZE_MAXIMIZED 2

#define WA_INACTIVE 0
#define WA_ACTIVE 1

#define SC_CLOSE 0xF060
#define SC_SCREENSAVE 0xF140
#define SC_MONITORPOWER 0xF170

// Virtual-key codes.
#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_F1 0x70
#define VK_F4 0x73

#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001

// Window class and window styles.
#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002
#define CS_OWNDC 0x0020

#define WS_OVERLAPPED 0x00000000L
#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_VISIBLE 0x10000000L
#define WS_CLIPSIBLINGS 0x04000000L
#define WS_CLIPCHILDREN 0x02000000L
#define WS_CAPTION 0x00C00000L
#define WS_SYSMENU 0x00080000L
#define WS_THICKFRAME 0x00040000L
#define WS_MINIMIZEBOX 0x00020000L
#define WS_MAXIMIZEBOX 0x00010000L
#define WS_TABSTOP 0x00010000L
#define WS_OVERLAPPEDWINDOW \
    (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)
#define WS_EX_WINDOWEDGE 0x00000100L
#define WS_EX_APPWINDOW 0x00040000L

// Dialogs and buttons.
#define DS_SETFONT 0x40L
#define DS_MODALFRAME 0x80L
#define BS_PUSHBUTTON 0x00000000L
#define BS_DEFPUSHBUTTON 0x00000001L
#define BS_AUTOCHECKBOX 0x00000003L
#define BM_GETCHECK 0x00F0
#define BM_SETCHECK 0x00F1
#define BST_UNCHECKED 0x0000
#define BST_CHECKED 0x0001
#define IDOK 1
#define IDCANCEL 2

#define HWND_TOP ((HWND)0)
#define HWND_TOPMOST ((HWND)(LONG_PTR)-1)
#define SWP_NOSIZE 0x0001
#define SWP_NOMOVE 0x0002
#define SWP_NOZORDER 0x0004
#define SWP_SHOWWINDOW 0x0040

#define SW_HIDE 0
#define SW_SHOW 5

// Display modes.
#define CDS_FULLSCREEN 0x00000004
#define DISP_CHANGE_SUCCESSFUL 0
#define DISP_CHANGE_RESTART 1
#define DISP_CHANGE_FAILED (-1)
#define DISP_CHANGE_BADMODE (-2)
#define DM_BITSPERPEL 0x00040000L
#define DM_PELSWIDTH 0x00080000L
#define DM_PELSHEIGHT 0x00100000L
#define DM_DISPLAYFREQUENCY 0x00400000L
#define ENUM_CURRENT_SETTINGS ((DWORD)-1)

// Pixel formats.
#define PFD_DOUBLEBUFFER 0x00000001
#define PFD_DRAW_TO_WINDOW 0x00000004
#define PFD_SUPPORT_OPENGL 0x00000020
#define PFD_TYPE_RGBA 0
#define PFD_MAIN_PLANE 0

// Message boxes.
#define MB_OK 0x00000000L
#define MB_ICONERROR 0x00000010L
#define MB_ICONINFORMATION 0x00000040L
#define MB_SYSTEMMODAL 0x00001000L

#define IDI_APPLICATION MAKEINTRESOURCEA(32512)
#define IDC_ARROW MAKEINTRESOURCEA(32512)

// Entry point of the program, defined by the application. The platform calls it once.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);

// The handle of the running program for a null name.
// Limitation: a module name is refused (null); the program has no other module.
HINSTANCE GetModuleHandleA(LPCSTR moduleName);

// Registers a window class by name; 0 for a null class, a class without a procedure or
// a name, or a name already taken.
// Limitation: only the procedure is used; styles, icon, cursor and brush are not acted
// upon (every window has its own device context, as with CS_OWNDC).
ATOM RegisterClassA(const WNDCLASSA* windowClass);
// The stock application icon and arrow cursor: non-null handles for IDI_APPLICATION and
// IDC_ARROW with a null instance.
// Limitation: any other name, and any instance, is refused (null).
HICON LoadIconA(HINSTANCE instance, LPCSTR name);
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);

// With CDS_FULLSCREEN: sets full screen at the mode's size (the live layer takes a missing
// width or height from the desktop, the headless layer refuses it). Where the live layer can draw
// offscreen, the desktop keeps its mode and the full-screen window shows the 640 x 480 picture
// scaled up to it; elsewhere the display changes, when the full-screen window is shown, to a mode
// of exactly that size, and DISP_CHANGE_BADMODE comes back when the display offers none. With a
// null mode: back to the desktop's own mode, whatever the flags. The desktop mode and the cursor
// are back at process exit whatever happens. The web layer takes any size and shows its canvas,
// scaled at 4:3, in the browser's own full screen; there a null mode wants flags 0.
// Limitation: the bit depth is requested of the GL context, not the desktop; a mode without
// CDS_FULLSCREEN returns DISP_CHANGE_FAILED.
LONG ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags);
// ENUM_CURRENT_SETTINGS on the primary display: its current width, height and depth;
// FALSE without a mode record.
// Limitation: a device name (another display) is refused; mode numbers from 0 list the
// display's modes in the live layer only, the headless and web layers refuse them.
BOOL EnumDisplaySettingsA(LPCSTR deviceName, DWORD modeNumber, DEVMODEA* mode);
// Hides or shows the cursor over the show's window; returns the new display counter.
// The cursor shows while the counter is 0 or more.
int ShowCursor(BOOL show);

// Creates a top-level window of a registered class, hidden unless WS_VISIBLE. Sends
// WM_CREATE and then WM_SIZE with the client size before it returns. With WS_POPUP the
// window covers the display when a full-screen mode is active; with WS_OVERLAPPEDWINDOW
// the given size is the outer size, frame and caption included. Null for an unknown
// class, or when the procedure answers WM_CREATE with -1.
// Limitation: child windows are refused (null with a parent), and so is a width or
// height of 0 or less; a window refused by WM_CREATE gets no WM_DESTROY; the menu,
// instance and creation parameter are not acted upon.
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID param);
// Sends WM_DESTROY, then destroys the window; FALSE for an unknown window.
BOOL DestroyWindow(HWND window);
// Hides the window with SW_HIDE and shows it with any other command; TRUE when it was
// visible before, FALSE when it was hidden or the window is unknown.
// Limitation: the other show commands (minimise, maximise...) only show the window.
BOOL ShowWindow(HWND window, int command);
// Brings the window in front of the others; FALSE for an unknown window.
// Limitation: nothing keeps a program in the background from taking the foreground.
BOOL SetForegroundWindow(HWND window);
// Gives the window the keyboard focus; returns the window SetFocus gave it to before
// (null when none, or when that window is gone), and null for an unknown window.
// Limitation: focus taken by other means (a click, the dialog) is not reported.
HWND SetFocus(HWND window);
// Moves a window or the dialog, and resizes a window; HWND_TOPMOST keeps it above other
// windows. FALSE for an unknown window.
// Limitation: a dialog and a scaled full-screen window keep their size (the latter its
// place too); the other insert-after values leave the stacking order alone; the headless
// layer records the position only, and the web layer does not act on it.
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags);

// The window's own device context (CS_OWNDC): the same handle for the window's whole
// life; null for an unknown window.
HDC GetDC(HWND window);
// 1 when dc is the window's device context, 0 otherwise; the context stays usable, as a
// CS_OWNDC context does.
int ReleaseDC(HWND window, HDC dc);

// Pixel formats: one double-buffered RGBA format (1) with at least 16 colour and 16 depth
// bits, chosen for any request that draws to a window with OpenGL in RGBA; 0 otherwise.
// Limitation: the requested bit counts are not matched.
int ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* request);
// Sets the window's pixel format once; FALSE for an unknown device context, a format
// other than 1, or a window that already has another.
// Limitation: the descriptor is not read.
BOOL SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR* request);
// Shows the back buffer; FALSE for an unknown device context or a window without a pixel
// format. The headless layer hands the frame to its frame handler (headless.h).
BOOL SwapBuffers(HDC dc);

// An OpenGL compatibility-profile (fixed-function) context for the window's device
// context, not made current; null for an unknown device context or a window without a
// pixel format.
HGLRC wglCreateContext(HDC dc);
// Binds the context to the calling thread and the window of dc; (NULL, NULL) unbinds the
// current one. FALSE for an unknown context or device context, or a window without a
// pixel format.
// Limitation: a null context with a device context is refused, where Windows ignores the
// device context and unbinds.
BOOL wglMakeCurrent(HDC dc, HGLRC context);
// Deletes the context, unbinding it first when it is current; FALSE for an unknown or
// already deleted context.
BOOL wglDeleteContext(HGLRC context);

// A modal box; returns the button pressed. Where no box can be shown (no display), the
// caption and text go to stderr as "CAPTION: TEXT" and the call returns IDOK.
// Limitation: the box has only an OK button; MB_SYSTEMMODAL and the owner are not acted
// upon.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// Takes one message from the thread's queue without waiting; FALSE when there is none.
// Window-system input is gathered here: keys arrive as WM_KEYDOWN with virtual-key codes,
// a request to close the window as WM_SYSCOMMAND SC_CLOSE.
// Limitation: the window and range filters are ignored; with PM_NOREMOVE the call only
// tells whether a message is waiting and does not copy it.
BOOL PeekMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags);
// TRUE for key messages, FALSE for others, as on Windows.
// Limitation: no WM_CHAR is added for character keys; the show needs none.
BOOL TranslateMessage(const MSG* message);
// Calls the window procedure of the message's window; 0 for a message without a window.
LRESULT DispatchMessageA(const MSG* message);
// Queues a message; messages come out in the order they were posted. FALSE for a window
// that is neither null nor open.
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Queues WM_QUIT behind the messages already posted.
void PostQuitMessage(int exitCode);
// Calls the window procedure at once and returns its result; 0 for an unknown window.
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Default handling: WM_SYSCOMMAND SC_CLOSE and Alt+F4 (WM_SYSKEYDOWN VK_F4 with the Alt
// bit, 29, of lParam set) become WM_CLOSE, WM_CLOSE destroys the window; everything else
// returns 0.
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Milliseconds from a fixed start, 32 bits wide, wrapping modulo 2^32.
DWORD timeGetTime(void);

// Runs a modal dialog from a template of the program's resources (platform/resources.h);
// returns the value given to EndDialog, or -1 when the template or the procedure is
// missing or the dialog cannot be shown. The keyboard focus starts on the first visible
// tab stop in template order; Enter presses the focused push button (the default button
// when the focus is on another control), Space presses or toggles the focused control,
// Escape and the close button send WM_COMMAND IDCANCEL. The headless layer answers with
// the commands it was given (headless.h) instead of keys.
// Limitation: the template's typeface is not used; the instance and owner are not acted
// upon.
INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC procedure,
                        LPARAM initParam);
// Ends the dialog once its procedure returns; FALSE for a window that is no open dialog.
BOOL EndDialog(HWND dialog, INT_PTR result);
// BM_SETCHECK and BM_GETCHECK on the automatic check boxes of a dialog; 0 for any other
// control or message, or a window that is no open dialog.
LRESULT SendDlgItemMessageA(HWND dialog, int controlId, UINT message, WPARAM wParam, LPARAM lParam);

#endif
