// settings_dialog.cpp: the settings dialog's procedure.
#include "app/settings_dialog.h"

#include "app/display_settings.h"
#include "app/program_state.h"

namespace {

// Screen pixels from the display's centre to the dialog's top-left corner, whatever the
// dialog's real size.
constexpr int kCentreOffsetX = 65;
constexpr int kCentreOffsetY = 63;

INT_PTR InitDialog(HWND dialog) {
    displaySettings->fullScreen = 1;
    SendDlgItemMessageA(dialog, IDC_FULLSCREEN, BM_SETCHECK, BST_CHECKED, 0);
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    if (EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) {
        int x = static_cast<int>(mode.dmPelsWidth) / 2 - kCentreOffsetX;
        int y = static_cast<int>(mode.dmPelsHeight) / 2 - kCentreOffsetY;
        SetWindowPos(dialog, HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE);
    } else {
        // Without the mode the dialog stays where it is rather than going off screen.
        SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    }
    // FALSE: the procedure leaves the keyboard focus to the dialog.
    return FALSE;
}

}  // namespace

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return InitDialog(dialog);
    if (message != WM_COMMAND) return FALSE;
    switch (LOWORD(wParam)) {
    case IDOK: EndDialog(dialog, 1); return TRUE;
    case IDCANCEL:
        quitFlag = 1;
        EndDialog(dialog, 0);
        return TRUE;
    case IDC_FULLSCREEN: displaySettings->fullScreen = 1 - displaySettings->fullScreen; return TRUE;
    default: return FALSE;
    }
}
