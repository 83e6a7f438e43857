// live_session.h: end-to-end fixtures: a private X server (Xvfb, optionally with the
// openbox window manager), the real kelvo program running on it, and what the tests
// observe of the screen from outside.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

#include "app/resources/resource_ids.h"
#include "support/test_files.h"

// The program's windows carry the show's title. Windows at least kShowMinWidth wide are
// the show's (the dialog is narrower). No step the tests wait for takes longer than
// kTimeoutMs.
inline constexpr char kTitle[] = KELVO_TITLE;
inline constexpr int kShowMinWidth = 400;
inline constexpr int kTimeoutMs = 15000;

// A private X server with one screen (640 x 480 x 16 unless told), for one test. Each test has its
// own, so tests run in parallel and never touch the developer's display.
class PrivateDisplay {
public:
    // Starts Xvfb and, with windowManager, openbox; Ready() tells whether both came up.
    explicit PrivateDisplay(bool windowManager, const std::string& screen = "640x480x16");
    ~PrivateDisplay();
    PrivateDisplay(const PrivateDisplay&) = delete;
    PrivateDisplay& operator=(const PrivateDisplay&) = delete;

    bool Ready() const { return ready_; }
    // Why it is not ready.
    const std::string& Problem() const { return problem_; }
    // The DISPLAY value, e.g. ":12".
    const std::string& Name() const { return name_; }
    // Stops or resumes the window manager's process, as a busy or still-starting one
    // that takes no window on for a while.
    void HoldWindowManager(bool held);
    // Kills the X server at once, as a crash or a lost remote display would end it.
    void KillServer();

private:
    pid_t server_ = -1;
    pid_t windowManager_ = -1;
    std::string name_;
    std::string problem_;
    bool ready_ = false;
};

// A private PulseAudio server with a null sink (no sound card needed) and a socket of its own,
// for one test; programs play on it with SDL_AUDIODRIVER=pulseaudio and PULSE_SERVER=Address().
class PrivateSoundServer {
public:
    PrivateSoundServer();
    ~PrivateSoundServer();
    PrivateSoundServer(const PrivateSoundServer&) = delete;
    PrivateSoundServer& operator=(const PrivateSoundServer&) = delete;

    bool Ready() const { return ready_; }
    const std::string& Problem() const { return problem_; }
    // The PULSE_SERVER value, e.g. "unix:/tmp/.../native".
    const std::string& Address() const { return address_; }
    // How many streams play on the server now (its sink inputs); -1 when it cannot be asked.
    int PlayingStreams() const;
    // Kills the server, as a crash or a restart does: its clients' connections break.
    void Kill();
    // Stops the server's process: its clients' connections stay open and nothing answers.
    void Freeze();

private:
    TempFolder folder_;
    pid_t server_ = -1;
    std::string address_;
    std::string problem_;
    bool ready_ = false;
};

// A top-level window as the X server sees it; sizes and positions in pixels.
struct ScreenWindow {
    unsigned long id = 0;
    std::string title;
    std::string windowClass;
    int x = 0, y = 0;           // the client area's top-left corner on the screen
    int width = 0, height = 0;  // the client area
    // The frame the window manager put around it (_NET_FRAME_EXTENTS), 0 without one.
    int frameLeft = 0, frameRight = 0, frameTop = 0, frameBottom = 0;
    bool above = false;  // _NET_WM_STATE_ABOVE
};

// The viewable windows with this title, searched through the whole window tree.
std::vector<ScreenWindow> WindowsTitled(const std::string& display, const std::string& title);
// The screen's current size.
bool ScreenSize(const std::string& display, int* width, int* height);
// The pixels of a part of the screen as 8-bit RGB, rows top first.
struct ScreenArea {
    int width = 0, height = 0;
    std::string rgb;
    // The colour at (x, y) as 0xRRGGBB.
    unsigned long At(int x, int y) const;
};
bool GrabArea(const std::string& display, int x, int y, int width, int height, ScreenArea* area);
// Writes the pixels to a PNG file; false when it cannot.
bool SavePng(const ScreenArea& area, const std::string& path);
// Asks the window to close as a window manager's close button does (WM_DELETE_WINDOW).
bool RequestClose(const std::string& display, unsigned long window);

// Runs a tool such as xdotool on the display to its end; returns its exit code, and what
// it wrote (stdout, then stderr) in output.
int RunTool(const std::string& display, const std::vector<std::string>& arguments,
            std::string* output = nullptr);
// Gives the window the input focus, waits until it has it, and types the keys (xdotool
// key names) into it 50 ms apart; xdotool's exit code.
int TypeKeys(const std::string& display, unsigned long window,
             const std::vector<std::string>& keys);

// The kelvo program, started in a fresh working directory whose data folder is the
// generated one (build/data, scripts/make_data.sh) when it exists, else one holding only
// a short soundtrack. Message boxes it shows are dismissed and reported as a test failure
// when the program object goes. It plays on SDL's dummy audio driver unless `environment`
// ("NAME=value" entries, which replace the test's own variables of those names) says
// otherwise. The viewport probe (tests/probes) is loaded into it to see its frames.
class LiveProgram {
public:
    explicit LiveProgram(const std::string& display,
                         const std::vector<std::string>& environment = {});
    ~LiveProgram();  // kills the program if it still runs
    LiveProgram(const LiveProgram&) = delete;
    LiveProgram& operator=(const LiveProgram&) = delete;

    bool Started() const { return pid_ > 0; }
    // Checks condition until it holds, for up to timeoutMs, dismissing boxes meanwhile;
    // whether it held.
    bool WaitUntil(const std::function<bool()>& condition, int timeoutMs);
    // Sends the program a signal.
    void Signal(int signalNumber);
    // Waits up to timeoutMs for the program to end. true with its exit code (or 128 +
    // signal) when it ended.
    bool WaitForExit(int timeoutMs, int* exitCode);
    // Waits up to timeoutMs for a viewable window titled title, at least minWidth wide.
    bool WaitForWindow(const std::string& title, int minWidth, int timeoutMs, ScreenWindow* found);
    // Waits up to timeoutMs for the show's first frame (its main loop runs then).
    bool WaitForFirstFrame(int timeoutMs);
    // The latest frame's viewport and drawable size, "X Y WIDTH HEIGHT DRAWABLE_W DRAWABLE_H"
    // as the viewport probe noted it; empty before the first frame.
    std::string LastViewport() const;
    // How the latest frame was presented: "swap" (a buffer swap) or "server" (the X server
    // scaled the picture); empty before the first frame.
    std::string LastPresentation() const;
    // What the program wrote on stderr and stdout so far.
    std::string Output() const;
    // Closes any message box the program shows (pressing its OK button) and records its
    // caption; the waits above do this as they poll, so a box never blocks a test.
    void DismissBoxes();
    // The captions of the boxes dismissed so far.
    const std::vector<std::string>& Boxes() const { return boxes_; }
    // The same, handed to a test that expects them: they are then no failure.
    std::vector<std::string> TakeBoxes() {
        std::vector<std::string> taken;
        taken.swap(boxes_);
        return taken;
    }
    // The program's working directory (its data folder is WorkDir() + "/data").
    const std::string& WorkDir() const { return workDir_; }
    // The processes whose working directory is the program's: the program while it runs,
    // and any process it started that is still there.
    std::vector<pid_t> ProcessesInWorkDir() const;

private:
    std::string display_;
    TempFolder work_;
    std::string workDir_;
    pid_t pid_ = -1;
    bool ended_ = false;
    std::vector<std::string> boxes_;
};

// Environment entries for LiveProgram that run the program's clock `factor` times faster
// (libfaketime), so that a test sees the whole show in a fraction of its length; empty
// when libfaketime is not installed (scripts/install_deps.sh installs it).
std::vector<std::string> FasterClock(int factor);

// Milliseconds on a monotonic clock.
long long NowMs();

// Checks that something measured on the wall clock took less than limitMs, except in a
// sanitized build, which runs the program several times slower than the one that ships;
// records the time as the test's property "<what>_ms" either way.
void ExpectQuickerThan(long long tookMs, long long limitMs, const std::string& what);
