// dialog.cpp: modal dialogs from the program's dialog templates, shown with FLTK.
// Provides DialogBoxParamA, EndDialog and SendDlgItemMessageA, and SetWindowPos on dialogs.
//
// Controls are placed by converting dialog units with the base units of the 8-point
// dialog font (6 x 13 pixels). As the Windows dialog manager does, the keyboard focus
// starts on the first tab stop, Enter presses the push button that has the focus (the
// default button when no push button has it), Space presses or toggles the focused
// control, and Escape and the close button send IDCANCEL.
#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Return_Button.H>
#include <FL/x.H>
#include <X11/Xatom.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "platform/live/live_local.h"
#include "platform/live/window_frame_local.h"
#include "platform/live/window_manager_check.h"
#include "platform/resources.h"

namespace {

// Pixels per 4 horizontal and per 8 vertical dialog units.
constexpr int kBaseUnitX = 6;
constexpr int kBaseUnitY = 13;
// Label size in pixels for the 8-point dialog font (8 pt at 96 dots per inch).
constexpr int kFontSize = 11;
constexpr DWORD kButtonKindMask = 0x0F;
// How often, and for how long, a shown dialog looks whether a window manager has taken it
// on, so that its frame can be placed. A window manager that is still starting (a demo run
// from a session's autostart) may take seconds.
constexpr double kManageCheckSeconds = 0.02;
constexpr Uint32 kManageTimeoutMs = 30000;

int PixelsX(int units) { return units * kBaseUnitX / 4; }
int PixelsY(int units) { return units * kBaseUnitY / 8; }

struct Control {
    Fl_Button* widget;
    WORD id;
    DWORD kind;
};

struct Dialog {
    std::unique_ptr<Fl_Double_Window> window;
    std::vector<Control> controls;
    DLGPROC procedure = nullptr;
    bool ended = false;
    INT_PTR result = 0;
    bool topmost = false;
    bool positioned = false;  // SetWindowPos gave the frame's top-left corner
    int x = 0, y = 0;
    Uint32 placedAt = 0;  // when the frame's position was last asked for
};

// The centre of the last dialog when it closed: the show's full-screen window opens on
// the display it was on.
SDL_Point lastDialogCentre = {-1, -1};

std::vector<Dialog*>& OpenDialogs() {
    static std::vector<Dialog*> dialogs;
    return dialogs;
}

HWND HandleOf(Dialog* dialog) { return reinterpret_cast<HWND>(dialog); }

Dialog* FindDialog(HWND handle) {
    for (Dialog* dialog : OpenDialogs())
        if (HandleOf(dialog) == handle) return dialog;
    return nullptr;
}

Control* FindControl(Dialog* dialog, int id) {
    for (Control& control : dialog->controls)
        if (control.id == id) return &control;
    return nullptr;
}

void SendCommand(Dialog* dialog, WORD id, Fl_Widget* control) {
    if (dialog->ended) return;
    dialog->procedure(HandleOf(dialog), WM_COMMAND, MAKEWPARAM(id, 0),
                      reinterpret_cast<LPARAM>(control));
}

void OnControl(Fl_Widget* widget, void* data) {
    auto* dialog = static_cast<Dialog*>(data);
    for (Control& control : dialog->controls)
        if (control.widget == widget) SendCommand(dialog, control.id, widget);
}

// FLTK calls the window's callback for Escape and for the window manager's close button.
void OnWindow(Fl_Widget*, void* data) {
    SendCommand(static_cast<Dialog*>(data), IDCANCEL, nullptr);
}

Fl_Button* MakeButton(const DialogItemTemplate& item) {
    int x = PixelsX(item.x), y = PixelsY(item.y), w = PixelsX(item.cx), h = PixelsY(item.cy);
    switch (item.style & kButtonKindMask) {
    case BS_DEFPUSHBUTTON: return new Fl_Return_Button(x, y, w, h, item.text);
    case BS_AUTOCHECKBOX: return new Fl_Check_Button(x, y, w, h, item.text);
    default: return new Fl_Button(x, y, w, h, item.text);
    }
}

bool IsPushButton(DWORD kind) { return kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON; }

// The dialog's window. Enter goes to the focused push button before FLTK offers it to
// the default (return) button as a shortcut.
class DialogWindow : public Fl_Double_Window {
public:
    DialogWindow(int width, int height, const char* caption)
        : Fl_Double_Window(width, height, caption) {}

    int handle(int event) override {
        if (event == FL_KEYBOARD && IsEnterKey(Fl::event_key()) && PressFocusedPushButton())
            return 1;
        return Fl_Double_Window::handle(event);
    }

private:
    static bool IsEnterKey(int key) { return key == FL_Enter || key == FL_KP_Enter; }

    bool PressFocusedPushButton() {
        auto* dialog = static_cast<Dialog*>(user_data());
        if (!dialog) return false;
        for (Control& control : dialog->controls) {
            if (control.widget == Fl::focus() && IsPushButton(control.kind)) {
                control.widget->do_callback();
                return true;
            }
        }
        return false;
    }
};

void Build(Dialog* dialog, const DialogTemplate& form) {
    dialog->window.reset(new DialogWindow(PixelsX(form.cx), PixelsY(form.cy), form.caption));
    dialog->window->begin();
    for (int i = 0; i < form.itemCount; ++i) {
        const DialogItemTemplate& item = form.items[i];
        Fl_Button* widget = MakeButton(item);
        widget->labelsize(kFontSize);
        widget->callback(OnControl, dialog);
        if (!(item.style & WS_TABSTOP)) widget->clear_visible_focus();
        if (!(item.style & WS_VISIBLE)) widget->hide();
        dialog->controls.push_back(Control{widget, item.id, item.style & kButtonKindMask});
    }
    dialog->window->end();
    dialog->window->set_modal();
    dialog->window->callback(OnWindow, dialog);
}

// The keyboard focus starts on the first visible tab stop in template order, as the
// Windows dialog manager gives it when the dialog is activated (also when the procedure
// answered WM_INITDIALOG with FALSE and set no focus itself).
void SetInitialFocus(Dialog* dialog) {
    for (Control& control : dialog->controls) {
        if (control.widget->visible() && control.widget->visible_focus()) {
            control.widget->take_focus();
            return;
        }
    }
}

// Keeps the dialog above other windows: raised now, and marked "above" for the window
// manager (EWMH _NET_WM_STATE_ABOVE) where one runs.
void KeepOnTop(Fl_Window* window) {
    Window xid = fl_xid(window);
    if (!xid) return;
    XRaiseWindow(fl_display, xid);
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = xid;
    event.xclient.message_type = XInternAtom(fl_display, "_NET_WM_STATE", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = 1;  // add the state
    event.xclient.data.l[1] =
        static_cast<long>(XInternAtom(fl_display, "_NET_WM_STATE_ABOVE", False));
    event.xclient.data.l[3] = 1;  // asked by an application
    XSendEvent(fl_display, DefaultRootWindow(fl_display), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(fl_display);
}

void SetAtoms(Window xid, const char* property, const std::vector<Atom>& atoms) {
    std::vector<long> values(atoms.begin(), atoms.end());
    XChangeProperty(fl_display, xid, XInternAtom(fl_display, property, False), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<unsigned char*>(values.data()),
                    static_cast<int>(values.size()));
}

// Asks for a dialog's frame: a caption with a close button, no minimise or maximise
// button, no resizing (Motif hints and the EWMH dialog type). Window managers that only
// read these when they take a window on keep their usual frame.
void UseDialogFrame(Fl_Window* window) {
    Window xid = fl_xid(window);
    if (!xid) return;
    enum : long { kFunctions = 1, kDecorations = 2, kFunctionMove = 4, kFunctionClose = 32 };
    enum : long { kDecorationBorder = 2, kDecorationTitle = 8, kDecorationMenu = 16 };
    long hints[5] = {kFunctions | kDecorations, kFunctionMove | kFunctionClose,
                     kDecorationBorder | kDecorationTitle | kDecorationMenu, 0, 0};
    Atom motif = XInternAtom(fl_display, "_MOTIF_WM_HINTS", False);
    XChangeProperty(fl_display, xid, motif, motif, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(hints), 5);
    SetAtoms(xid, "_NET_WM_WINDOW_TYPE",
             {XInternAtom(fl_display, "_NET_WM_WINDOW_TYPE_DIALOG", False)});
}

// FLTK places the client area where it is told; the position given to SetWindowPos is
// the frame's, so the client area moves in by the frame a window manager added. That
// frame is known only once the window manager has taken the window on, which is checked
// again shortly until it has: the dialog runs meanwhile.
void PlaceFrameOnceManaged(void* data) {
    Dialog* dialog = static_cast<Dialog*>(data);
    Window xid = fl_xid(dialog->window.get());
    if (!xid || !live::WindowManagerRunning(fl_display)) return;
    if (!live::WindowManaged(fl_display, xid)) {
        if (SDL_GetTicks() - dialog->placedAt < kManageTimeoutMs)
            Fl::add_timeout(kManageCheckSeconds, PlaceFrameOnceManaged, data);
        return;
    }
    live::FrameExtents frame;
    if (!live::ReadFrameExtents(fl_display, xid, &frame)) return;
    dialog->window->position(dialog->x + frame.left, dialog->y + frame.top);
    Fl::flush();
    XSync(fl_display, False);
}

void PlaceFrame(Dialog* dialog) {
    if (!dialog->positioned) return;
    Fl::remove_timeout(PlaceFrameOnceManaged, dialog);
    dialog->placedAt = SDL_GetTicks();
    PlaceFrameOnceManaged(dialog);
}

// FLTK ends the process when it cannot open its display, so the display is opened here.
bool OpenFltkDisplay() {
    if (fl_display) return true;
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    fl_open_display(display);
    return true;
}

INT_PTR RunModal(Dialog* dialog) {
    dialog->window->show();
    UseDialogFrame(dialog->window.get());
    PlaceFrame(dialog);
    if (dialog->topmost) KeepOnTop(dialog->window.get());
    SetInitialFocus(dialog);
    while (!dialog->ended && dialog->window->shown()) Fl::wait();
    Fl::remove_timeout(PlaceFrameOnceManaged, dialog);
    lastDialogCentre = {dialog->window->x() + dialog->window->w() / 2,
                        dialog->window->y() + dialog->window->h() / 2};
    dialog->window->hide();
    // The dialog is off the screen before the caller opens anything else.
    Fl::check();
    XSync(fl_display, False);
    return dialog->ended ? dialog->result : -1;
}

}  // namespace

namespace live {

bool LastDialogCentre(SDL_Point* centre) {
    if (lastDialogCentre.x < 0) return false;
    *centre = lastDialogCentre;
    return true;
}

bool SetDialogPos(HWND window, HWND insertAfter, int x, int y, UINT flags) {
    Dialog* dialog = FindDialog(window);
    if (!dialog) return false;
    if (!(flags & SWP_NOMOVE)) {
        dialog->positioned = true;
        dialog->x = x;
        dialog->y = y;
        dialog->window->position(x, y);
        if (dialog->window->shown()) PlaceFrame(dialog);
    }
    if (insertAfter == HWND_TOPMOST) {
        dialog->topmost = true;
        if (dialog->window->shown()) KeepOnTop(dialog->window.get());
    }
    return true;
}

}  // namespace live

INT_PTR DialogBoxParamA(HINSTANCE, LPCSTR templateName, HWND, DLGPROC procedure, LPARAM initParam) {
    const DialogTemplate* form = FindDialogTemplate(templateName);
    if (!form || !procedure) return -1;
    if (!OpenFltkDisplay()) {
        std::fprintf(stderr, "%s: cannot show the dialog without a display\n",
                     form->caption ? form->caption : "Dialog");
        return -1;
    }
    Dialog dialog;
    dialog.procedure = procedure;
    Build(&dialog, *form);
    OpenDialogs().push_back(&dialog);
    WPARAM firstControl =
        dialog.controls.empty() ? 0 : reinterpret_cast<WPARAM>(dialog.controls.front().widget);
    procedure(HandleOf(&dialog), WM_INITDIALOG, firstControl, initParam);
    INT_PTR result = dialog.ended ? dialog.result : RunModal(&dialog);
    auto& dialogs = OpenDialogs();
    dialogs.erase(std::remove(dialogs.begin(), dialogs.end(), &dialog), dialogs.end());
    return result;
}

BOOL EndDialog(HWND handle, INT_PTR result) {
    Dialog* dialog = FindDialog(handle);
    if (!dialog) return FALSE;
    dialog->ended = true;
    dialog->result = result;
    return TRUE;
}

LRESULT SendDlgItemMessageA(HWND handle, int controlId, UINT message, WPARAM wParam, LPARAM) {
    Dialog* dialog = FindDialog(handle);
    Control* control = dialog ? FindControl(dialog, controlId) : nullptr;
    if (!control || control->kind != BS_AUTOCHECKBOX) return 0;
    if (message == BM_SETCHECK) control->widget->value(wParam == BST_CHECKED ? 1 : 0);
    if (message == BM_GETCHECK) return control->widget->value() ? BST_CHECKED : BST_UNCHECKED;
    return 0;
}
