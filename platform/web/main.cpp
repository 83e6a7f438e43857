// main.cpp: the process entry of the web program; hands control to WinMain and shows
// the page's ended state when it returns.
#include "platform/web/web_local.h"

int main() {
    char commandLine[] = "";
    const int result = WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOW);
    kelvo_web_show_ended();
    return result;
}
