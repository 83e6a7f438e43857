// settings_dialog.h: the settings dialog before the show: full screen or windowed, Go or Quit.
#pragma once

#include "app/resources/resource_ids.h"
#include "platform/win32.h"

// The procedure of dialog template IDD_SETTINGS. Its outcome is left in
// DisplaySettings::fullScreen and quitFlag; the dialog ends with 1 ("Go") or 0 ("Quit").
INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
