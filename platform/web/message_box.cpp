// message_box.cpp: MessageBoxA as a box over the page with the caption, the text and an
// OK button; also written to the browser's console as "CAPTION: TEXT". In the test mode
// nobody answers boxes, so they stay on the page without stopping the show.
#include "platform/web/web_local.h"

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT) {
    kelvo_web_message_box(caption ? caption : "", text ? text : "");
    return IDOK;
}
