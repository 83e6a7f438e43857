// dialog.cpp: DialogBoxParamA as an HTML form built from the template's controls, driven
// through the dialog procedure as on the desktop: WM_INITDIALOG, then WM_COMMAND with the
// id of each control used (EndDialog, SendDlgItemMessageA, and SetWindowPos for the
// dialog and the window). In the test mode the form is answered with the full-screen box
// cleared and "Go".
#include <vector>

#include "platform/resources.h"
#include "platform/web/web_local.h"

using namespace web;

namespace {

// Kinds of control the page knows.
const int kPushButton = 0;
const int kCheckBox = 1;
const int kLabel = 2;

struct OpenDialog {
    HWND handle = nullptr;
    bool ended = false;
    INT_PTR result = 0;
};
OpenDialog current;

int KindOf(const DialogItemTemplate& item) {
    const DWORD kind = item.style & 0xF;
    if (item.windowClass && std::string(item.windowClass) == "BUTTON")
        return kind == BS_AUTOCHECKBOX ? kCheckBox : kPushButton;
    return kLabel;
}

// The test mode's answers: every check box clicked if checked (windowed output), then Go.
std::vector<int> TestAnswers(const DialogTemplate& dialog) {
    std::vector<int> answers;
    for (int i = 0; i < dialog.itemCount; ++i) {
        const DialogItemTemplate& item = dialog.items[i];
        if (KindOf(item) == kCheckBox && kelvo_web_dialog_get_check(item.id)) {
            kelvo_web_dialog_set_check(item.id, 0);
            answers.push_back(item.id);
        }
    }
    answers.push_back(IDOK);
    return answers;
}

}  // namespace

INT_PTR DialogBoxParamA(HINSTANCE, LPCSTR templateName, HWND, DLGPROC procedure, LPARAM initParam) {
    const DialogTemplate* dialog = FindDialogTemplate(templateName);
    if (!procedure || !dialog || current.handle) return -1;
    kelvo_web_dialog_open(dialog->caption ? dialog->caption : "");
    for (int i = 0; i < dialog->itemCount; ++i) {
        const DialogItemTemplate& item = dialog->items[i];
        kelvo_web_dialog_add(item.id, KindOf(item), item.x, item.text ? item.text : "");
    }
    current = OpenDialog{NewHandle<HWND>(), false, 0};
    procedure(current.handle, WM_INITDIALOG, 0, initParam);

    std::vector<int> answers;
    if (TestMode()) answers = TestAnswers(*dialog);
    std::size_t answered = 0;
    while (!current.ended) {
        int controlId;
        if (TestMode()) {
            // A procedure that does not end the dialog after its answers is dismissed.
            if (answered == answers.size()) break;
            controlId = answers[answered++];
        } else {
            controlId = kelvo_web_dialog_wait();
        }
        procedure(current.handle, WM_COMMAND, MAKEWPARAM(controlId, 0), 0);
    }
    kelvo_web_dialog_close();
    const INT_PTR result = current.ended ? current.result : -1;
    current = OpenDialog{};
    return result;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
    if (!dialog || dialog != current.handle) return FALSE;
    current.ended = true;
    current.result = result;
    return TRUE;
}

LRESULT SendDlgItemMessageA(HWND dialog, int controlId, UINT message, WPARAM wParam, LPARAM) {
    if (!dialog || dialog != current.handle) return 0;
    if (message == BM_SETCHECK) kelvo_web_dialog_set_check(controlId, wParam == BST_CHECKED);
    if (message == BM_GETCHECK)
        return kelvo_web_dialog_get_check(controlId) ? BST_CHECKED : BST_UNCHECKED;
    return 0;
}

// The form is centred on the page; its position request is accepted and not acted upon.
BOOL SetWindowPos(HWND window, HWND, int, int, int, int, UINT) {
    return window && (window == current.handle || FindWindow(window)) ? TRUE : FALSE;
}
