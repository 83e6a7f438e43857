// resources.h: the program's resources as the platform layer finds them by id, as
// FindResource does on Windows. The program defines them (app/resources/); on Windows the
// same templates come from the resource script instead.
#pragma once

#include "platform/win32.h"

// One control of a dialog template. Positions and sizes are in dialog units.
struct DialogItemTemplate {
    DWORD style;  // WS_* and the kind (BS_*)
    short x, y, cx, cy;
    WORD id;
    const char* windowClass;  // the system class, e.g. "BUTTON"
    const char* text;
};

// A dialog template: the window and its controls in tab order.
struct DialogTemplate {
    DWORD style;  // WS_* and DS_*
    DWORD exStyle;
    short x, y, cx, cy;  // dialog units
    const char* caption;
    WORD pointSize;  // the dialog font (DS_SETFONT)
    const char* typeface;
    WORD language;  // Windows language id the template is stored under
    int itemCount;
    const DialogItemTemplate* items;
};

// The dialog template stored under name (an id made with MAKEINTRESOURCEA), or null.
const DialogTemplate* FindDialogTemplate(LPCSTR name);
