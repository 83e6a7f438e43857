// headless.h: controls of the headless platform layer, for tests and the capture tool.
//
// The headless layer implements platform/win32.h without a display server: windows are
// records, the rendering context is an EGL (Mesa surfaceless) OpenGL compatibility
// context drawing into a framebuffer object of the window's client size with 16-bit
// colour (RGB565) and 16-bit depth, timeGetTime reads a virtual clock, message boxes are
// recorded (and echoed to stderr unless that is turned off), and every platform call is
// logged and can be made to fail. Everything here runs on the caller's thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/common/mixer_sound.h"
#include "platform/win32.h"

namespace headless {

// Back to a fresh state: clock 0, empty queue, log and boxes, no failures, no frame
// handler, no file lookup time, no dialog answers, 640 x 480 x 16 desktop, no window
// frame. Windows and contexts still open are destroyed.
void Reset();

// The virtual clock that timeGetTime reads (ms, wraps modulo 2^32).
void SetClock(DWORD ms);
DWORD Clock();

// Called by SwapBuffers after the frame is complete and before the swap returns, with the
// number of frames swapped so far (1 for the first). The handler may read pixels, set the
// clock for the next frame and post messages. Without a handler each SwapBuffers moves the
// clock 16 ms, so that a loop without one still reaches the end of the show.
void SetFrameHandler(std::function<void(int frameNumber)> handler);
// How far each lookup of a program file (a scene, a picture, the soundtrack) moves the
// clock, found or not, so that loading takes virtual time as it takes real time; 0 after
// Reset.
void SetFileLookupTime(DWORD ms);

// Makes the named platform call fail (it returns its original failure value) on each of
// its next `times` calls; times < 0 means every call from now on.
void FailCall(const std::string& name, int times = -1);
// Every platform call made since Reset, by name, with its main arguments, e.g.
// "ChangeDisplaySettingsA(640x480x16, CDS_FULLSCREEN)" or "wglDeleteContext".
const std::vector<std::string>& CallLog();
// Logging is on after Reset; a long capture turns it off so that memory stays flat.
void SetCallLogging(bool enabled);
// How many log entries start with name followed by '(' or end of string.
int CallCount(const std::string& name);

// Empties the call log, the recorded message boxes and the sound events without touching
// windows, contexts or the clock (long runs such as fuzzing call it between inputs).
void ClearRecords();
// Message boxes are echoed to stderr as "CAPTION: TEXT" unless this is turned off.
void SetMessageBoxEcho(bool enabled);

struct RecordedBox {
    std::string caption;
    std::string text;
    UINT type;
};
const std::vector<RecordedBox>& MessageBoxes();

// The desktop's mode, which EnumDisplaySettingsA reports and a full-screen request is
// matched against; a request is refused (DISP_CHANGE_BADMODE) unless its size equals it,
// or always when refuseFullScreen is set.
void SetDesktopMode(int width, int height, int bitsPerPixel);
void SetRefuseFullScreen(bool refuse);
// Full-screen requests for fewer bits per pixel than this are refused (DISP_CHANGE_BADMODE),
// as Windows 8 and later refuse modes below 32 bits to programs declared compatible with
// them; 0 (after Reset) refuses none for their depth.
void SetLowestFullScreenBits(int bitsPerPixel);
// The mode the display is in now: the desktop's, or the full-screen one while it is set.
DEVMODEA CurrentMode();
// The cursor's display counter (ShowCursor); 0 or more means shown.
int CursorCounter();

// The client size every new window gets, whatever size it asks for, as a display of that
// size gives a full-screen window (the framebuffer follows it); 0 x 0, the default, gives
// each window the size it asks for (less its frame).
void SetClientSize(int width, int height);
// Colour bits of the framebuffer: 16 (RGB565, the default) or 24 (RGB8).
void SetColourBits(int bits);
// The widest and tallest framebuffer the renderer can draw into and set a viewport on
// (pixels), found with a context of its own; 0 when no context can be made.
int MaxFramebufferSize();

// Frame thickness that windowed (WS_OVERLAPPEDWINDOW) windows lose from their outer size.
void SetWindowFrame(int left, int top, int right, int bottom);

// The show's window (the last one created and not destroyed), or null.
HWND MainWindow();
// Resizes the window's client area as the window system would and sends WM_SIZE;
// 0 x 0 stands for minimising.
void ResizeClient(HWND window, int width, int height);
// Posts a key press (WM_KEYDOWN with a virtual-key code) or a close request
// (WM_SYSCOMMAND SC_CLOSE) to the show's window, as window-system input would arrive.
void PressKey(int virtualKey);
void RequestClose();
// Messages waiting in the queue.
std::size_t QueuedMessageCount();

// Answers the next dialogs: after WM_INITDIALOG the dialog procedure receives
// WM_COMMAND with each id in turn until one of them ends the dialog. With no answers
// set, a dialog is answered with IDOK ("Go").
void SetDialogAnswers(const std::vector<int>& commandIds);
// The dialog's position after its procedure ran (SetWindowPos), and the checked state of
// its controls.
POINT LastDialogPosition();
bool LastDialogTopmost();
int LastDialogCheck(int controlId);

// Reads the current framebuffer as tightly packed RGB bytes, bottom row first.
std::vector<std::uint8_t> ReadPixels(int* width, int* height);

// The virtual times (show clock) of calls made through the sound layer: stream starts and
// stops, recorded by the headless sound implementation.
struct SoundEvent {
    std::string call;
    DWORD clock;
};
const std::vector<SoundEvent>& SoundEvents();
void RecordSoundEvent(const std::string& call);

// The last track that started, with the virtual clock (ms) at its start and at the call
// that silenced it: its own stop, close or free, another start, or FSOUND_Close. The
// capture tool writes the soundtrack from it.
struct Playback {
    bool started = false;
    std::string path;  // resolved file path
    mixer_sound::Kind kind = mixer_sound::Kind::MpegStream;
    DWORD startClock = 0;
    bool stopped = false;
    DWORD stopClock = 0;
};
const Playback& LastPlayback();

}  // namespace headless
