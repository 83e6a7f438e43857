// dialog.cpp: DialogBoxParamA answered by a script: WM_INITDIALOG, then WM_COMMAND with
// each scripted control id, as clicks and keys would send them (EndDialog,
// SendDlgItemMessageA, SetWindowPos).
#include "platform/headless/headless_local.h"

using namespace headless::detail;

namespace {

constexpr DWORD kButtonKindMask = 0x0F;

// True when the dialog's template has an automatic check box with this id.
bool IsCheckBox(const Dialog& dialog, int controlId) {
    for (int i = 0; dialog.form && i < dialog.form->itemCount; ++i) {
        const DialogItemTemplate& item = dialog.form->items[i];
        if (item.id == controlId) return (item.style & kButtonKindMask) == BS_AUTOCHECKBOX;
    }
    return false;
}

// A click on an automatic check box flips its mark before the command arrives.
void ClickControl(Dialog& dialog, int controlId) {
    if (!IsCheckBox(dialog, controlId)) return;
    int& check = dialog.checks[controlId];
    check = check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
}

}  // namespace

INT_PTR DialogBoxParamA(HINSTANCE, LPCSTR templateName, HWND, DLGPROC procedure, LPARAM initParam) {
    std::string name = IS_INTRESOURCE(templateName)
                           ? std::to_string(reinterpret_cast<std::uintptr_t>(templateName))
                           : std::string(templateName ? templateName : "");
    Log("DialogBoxParamA(" + name + ")");
    const DialogTemplate* form = FindDialogTemplate(templateName);
    if (ShouldFail("DialogBoxParamA") || !procedure || !form) return -1;

    HWND handle = NewHandle<HWND>();
    Get().dialogs[handle] = Dialog{};
    Get().dialogs[handle].form = form;
    procedure(handle, WM_INITDIALOG, 0, initParam);

    std::vector<int> answers = Get().dialogAnswers;
    if (answers.empty()) answers.push_back(IDOK);
    for (int controlId : answers) {
        Dialog& dialog = Get().dialogs[handle];
        if (dialog.ended) break;
        ClickControl(dialog, controlId);
        procedure(handle, WM_COMMAND, MAKEWPARAM(controlId, 0), 0);
    }
    Dialog finished = Get().dialogs[handle];
    Get().dialogs.erase(handle);
    Get().lastDialog = finished;
    // A procedure that never ends its dialog would wait for the viewer forever; here it
    // has had all its answers, so the dialog is dismissed as a failed one.
    return finished.ended ? finished.result : -1;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
    Log("EndDialog(" + std::to_string(result) + ")");
    auto found = Get().dialogs.find(dialog);
    if (found == Get().dialogs.end()) return FALSE;
    found->second.ended = true;
    found->second.result = result;
    return TRUE;
}

LRESULT SendDlgItemMessageA(HWND dialog, int controlId, UINT message, WPARAM wParam, LPARAM) {
    auto found = Get().dialogs.find(dialog);
    if (found == Get().dialogs.end() || !IsCheckBox(found->second, controlId)) return 0;
    if (message == BM_SETCHECK) {
        found->second.checks[controlId] = wParam == BST_CHECKED ? BST_CHECKED : BST_UNCHECKED;
        return 0;
    }
    if (message == BM_GETCHECK) {
        auto check = found->second.checks.find(controlId);
        return check == found->second.checks.end() ? BST_UNCHECKED : check->second;
    }
    return 0;
}

BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags) {
    Log("SetWindowPos(" + std::to_string(x) + ", " + std::to_string(y) + ")");
    if (ShouldFail("SetWindowPos")) return FALSE;
    auto dialog = Get().dialogs.find(window);
    if (dialog != Get().dialogs.end()) {
        if (!(flags & SWP_NOMOVE)) dialog->second.position = POINT{x, y};
        if (insertAfter == HWND_TOPMOST) dialog->second.topmost = true;
        return TRUE;
    }
    Window* record = FindWindow(window);
    if (!record) return FALSE;
    if (!(flags & SWP_NOMOVE)) {
        record->x = x;
        record->y = y;
    }
    if (insertAfter == HWND_TOPMOST) record->topmost = true;
    (void)width;
    (void)height;
    return TRUE;
}
