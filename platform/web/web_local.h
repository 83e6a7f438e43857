// web_local.h: the state shared by the files of the web layer, and the page's functions
// (platform/web/kelvo_web.js) that it calls.
//
// The program runs on the browser's main thread. Calls marked "waits" suspend the program
// (Asyncify) and give the browser its turn until the page resumes it, so the program's
// blocking loops (the dialog, message boxes, the main loop) run unchanged.
#pragma once

#include <map>
#include <string>

#include "platform/win32.h"

extern "C" {
// The show time of the ?at= test hook (ms), or -1 for a normal run.
double kelvo_web_test_time(void);
// Milliseconds since the page opened, following the audio clock while music plays.
double kelvo_web_clock(void);
// Waits for the browser's next animation frame; the frame drawn so far is shown.
void kelvo_web_wait_frame(void);
// Waits for a moment's turn of the browser (input events, timers), no frame.
void kelvo_web_yield(void);
// Waits forever: the page keeps the last frame on screen.
void kelvo_web_stay(void);
// The next key pressed on the page as a virtual-key code, or 0 when none is waiting.
int kelvo_web_take_key(void);
// Fetches the page's file at path (below the page's data/ folder) into the in-memory file
// system at the same path; waits; 1 when the server had it, at most 64 MB of it.
int kelvo_web_fetch(const char* path);

void kelvo_web_dialog_open(const char* caption);
// x: the control's position in the template, which orders the form's controls.
void kelvo_web_dialog_add(int controlId, int kind, int x, const char* text);
void kelvo_web_dialog_set_check(int controlId, int checked);
int kelvo_web_dialog_get_check(int controlId);
// Waits for the viewer to use a control; returns its id (Enter IDOK, Escape IDCANCEL).
int kelvo_web_dialog_wait(void);
void kelvo_web_dialog_close(void);

// Shows a box over the page and writes "CAPTION: TEXT" to the console; waits for OK.
void kelvo_web_message_box(const char* caption, const char* text);

// Shows the canvas; full screen fills the screen with it at 4:3 between black bars.
void kelvo_web_show_canvas(int fullScreen);
void kelvo_web_leave_full_screen(void);
void kelvo_web_hide_canvas(void);
// The page after the program has returned.
void kelvo_web_show_ended(void);
// Called after each frame with its show time, for the page's frame-time measurement.
void kelvo_web_frame_drawn(void);
}

namespace web {

struct Window {
    WNDPROC procedure = nullptr;
    DWORD style = 0;
    bool visible = false;
};

struct State {
    std::map<std::string, WNDCLASSA> classes;
    std::map<HWND, Window> windows;
    HWND mainWindow = nullptr;
    bool fullScreenMode = false;
    bool contextCurrent = false;
    HGLRC context = nullptr;
    int cursorCounter = 0;
    double lastYield = 0;  // kelvo_web_clock() when the browser last had its turn
    std::uintptr_t nextHandle = 0x1000;
};

State& Get();
Window* FindWindow(HWND window);

template <typename Handle>
Handle NewHandle() {
    return reinterpret_cast<Handle>(Get().nextHandle++);
}

// True in the ?at= test mode: virtual clock, no sound, dialog answered.
bool TestMode();
// The test mode's clock: 0 until the first frame is shown, then the time asked for.
DWORD VirtualClock();
void SetVirtualClock(DWORD ms);
// Waits until the streams opened so far are downloaded and decoded, or have failed; one
// that failed then refuses to play.
void FinishOpeningSounds();

}  // namespace web
