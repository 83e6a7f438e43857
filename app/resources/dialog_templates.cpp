// dialog_templates.cpp: the dialog templates of the program, as data (kelvo.rc holds the
// same templates as a Windows resource script).
#include "app/resources/resource_ids.h"
#include "platform/resources.h"

namespace {

constexpr DWORD kButton = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
// French (France): the language the templates are stored under.
constexpr WORD kLanguageFrench = 0x040C;

// The settings dialog: "Full Screen" at the left, "Quit" in the middle, "Go" at the right.
const DialogItemTemplate kSettingsItems[] = {
    {kButton | BS_DEFPUSHBUTTON, 129, 15, 50, 14, IDOK, "BUTTON", "Go"},
    {kButton | BS_PUSHBUTTON, 75, 15, 50, 14, IDCANCEL, "BUTTON", "Quit"},
    {kButton | BS_AUTOCHECKBOX, 15, 17, 51, 10, IDC_FULLSCREEN, "BUTTON", "Full Screen"},
};

// clang-format off
const DialogTemplate kSettingsDialog = {
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT | DS_MODALFRAME,
    0,
    0, 0, 186, 39,
    KELVO_TITLE,
    8, "MS Sans Serif",
    kLanguageFrench,
    static_cast<int>(sizeof kSettingsItems / sizeof kSettingsItems[0]),
    kSettingsItems,
};
// clang-format on

}  // namespace

const DialogTemplate* FindDialogTemplate(LPCSTR name) {
    if (!IS_INTRESOURCE(name)) return nullptr;
    switch (reinterpret_cast<std::uintptr_t>(name)) {
    case IDD_SETTINGS: return &kSettingsDialog;
    default: return nullptr;
    }
}
