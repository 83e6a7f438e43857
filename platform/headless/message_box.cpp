// message_box.cpp: MessageBoxA, recorded, echoed to stderr unless echo is off, and
// answered OK.
#include <cstdio>

#include "platform/headless/headless_local.h"

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
    const char* safeCaption = caption ? caption : "Error";
    const char* safeText = text ? text : "";
    headless::detail::Log(std::string("MessageBoxA(") + safeCaption + ": " + safeText + ")");
    headless::detail::Get().boxes.push_back({safeCaption, safeText, type});
    if (headless::detail::Get().echoBoxes) {
        std::fprintf(stderr, "%s: %s\n", safeCaption, safeText);
        std::fflush(stderr);
    }
    return IDOK;
}
