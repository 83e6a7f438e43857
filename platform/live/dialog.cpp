// dialog.cpp: modal dialogs from the program's dialog templates, shown with FLTK.
// Provides DialogBoxParamA, EndDialog and SendDlgItemMessageA, and SetWindowPos on dialogs.
// What FLTK leaves to Xlib (opening the display, the frame, staying on top, the frame's
// position) is in x11/dialog_placement.cpp.
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

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "platform/live/live_local.h"
#include "platform/live/x11/dialog_placement_local.h"
#include "platform/resources.h"

namespace {

// Pixels per 4 horizontal and per 8 vertical dialog units.
constexpr int kBaseUnitX = 6;
constexpr int kBaseUnitY = 13;
// Label size in pixels for the 8-point dialog font (8 pt at 96 dots per inch).
constexpr int kFontSize = 11;
constexpr DWORD kButtonKindMask = 0x0F;

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
    live::FramePlacement placement;
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
    dialog->placement.window = dialog->window.get();
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

INT_PTR RunModal(Dialog* dialog) {
    dialog->window->show();
    live::UseDialogFrame(dialog->window.get());
    if (dialog->positioned) live::PlaceFrame(&dialog->placement);
    if (dialog->topmost) live::KeepOnTop(dialog->window.get());
    SetInitialFocus(dialog);
    while (!dialog->ended && dialog->window->shown()) Fl::wait();
    live::StopPlacingFrame(&dialog->placement);
    lastDialogCentre = {dialog->window->x() + dialog->window->w() / 2,
                        dialog->window->y() + dialog->window->h() / 2};
    dialog->window->hide();
    // The dialog is off the screen before the caller opens anything else.
    Fl::check();
    live::SyncDialogDisplay();
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
        dialog->placement.x = x;
        dialog->placement.y = y;
        dialog->window->position(x, y);
        if (dialog->window->shown()) live::PlaceFrame(&dialog->placement);
    }
    if (insertAfter == HWND_TOPMOST) {
        dialog->topmost = true;
        if (dialog->window->shown()) live::KeepOnTop(dialog->window.get());
    }
    return true;
}

}  // namespace live

INT_PTR DialogBoxParamA(HINSTANCE, LPCSTR templateName, HWND, DLGPROC procedure, LPARAM initParam) {
    const DialogTemplate* form = FindDialogTemplate(templateName);
    if (!form || !procedure) return -1;
    if (!live::OpenDialogDisplay()) {
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
