// stock_resources.cpp: the program's handle and the stock icon and cursor, as every layer
// hands them out. Provides GetModuleHandleA, LoadIconA and LoadCursorA.
#include "platform/win32.h"

namespace {

// Stand-ins for the program and its stock resources: non-null handles nothing else hands out.
char instanceTag, iconTag, cursorTag;

}  // namespace

HINSTANCE GetModuleHandleA(LPCSTR moduleName) {
    if (moduleName) return nullptr;
    return reinterpret_cast<HINSTANCE>(&instanceTag);
}

HICON LoadIconA(HINSTANCE instance, LPCSTR name) {
    if (instance || name != IDI_APPLICATION) return nullptr;
    return reinterpret_cast<HICON>(&iconTag);
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
    if (instance || name != IDC_ARROW) return nullptr;
    return reinterpret_cast<HCURSOR>(&cursorTag);
}
