// live_session.cpp: a private X server, the real program on it, and what tests see of it.
#include "support/live_session.h"
#include "support/sound_files.h"
#include "support/test_files.h"
#include "support/tool_runs.h"
#include "tools/png/png_writer.h"

// Before Xlib, whose macros (None, Bool) clash with GoogleTest's names.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "platform/live/x11/window_manager_check.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <thread>

namespace {

constexpr int kServerStartMs = 10000;
// The captions of the program's message boxes.
const char* const kBoxCaptions[] = {"Error !", "ERROR!", "SHUTDOWN ERROR"};
constexpr int kWindowManagerStartMs = 10000;

#ifdef KELVO_SANITIZE
constexpr bool kSanitizedBuild = true;
#else
constexpr bool kSanitizedBuild = false;
#endif

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Starts a program on the display with SDL's dummy audio driver, then `overrides`.
pid_t Spawn(const std::vector<std::string>& arguments, const std::string& display,
            const std::string& workDir, int outputFd, int keepFd = -1,
            const std::vector<std::string>& overrides = {}) {
    ProgramStart start;
    start.arguments = arguments;
    start.environment = {"DISPLAY=" + display, "SDL_AUDIODRIVER=dummy"};
    start.environment.insert(start.environment.end(), overrides.begin(), overrides.end());
    start.workDir = workDir;
    start.outFd = outputFd;
    start.keepFd = keepFd;
    return StartProgram(start);
}

void Stop(pid_t pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) return;
        SleepMs(10);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

// Windows come and go while the tests look at them; a request about one that has just
// gone fails, which Xlib's default handler would turn into the end of the test process.
int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }

// The displays whose servers this process has killed. Another test's server, in a process
// of its own, may take the same number, and would be killed by that test while a query of
// ours held a connection to it: Xlib would then end this process. So a killed display is
// never asked again.
std::set<std::string>& KilledDisplays() {
    static std::set<std::string> killed;
    return killed;
}

// An X connection for one query; none to a display whose server this process killed.
struct Connection {
    explicit Connection(const std::string& name) {
        XSetErrorHandler(IgnoreXErrors);
        if (!KilledDisplays().count(name)) display = XOpenDisplay(name.c_str());
    }
    ~Connection() {
        if (display) XCloseDisplay(display);
    }
    Display* display = nullptr;
};

std::vector<long> CardinalProperty(Display* display, Window window, const char* name, Atom kind) {
    Atom type;
    int format;
    unsigned long count, remaining;
    unsigned char* data = nullptr;
    std::vector<long> values;
    if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 32, False, kind,
                           &type, &format, &count, &remaining, &data) == Success &&
        format == 32) {
        const long* items = reinterpret_cast<const long*>(data);
        values.assign(items, items + count);
    }
    if (data) XFree(data);
    return values;
}

std::string TitleOf(Display* display, Window window) {
    Atom type;
    int format;
    unsigned long count, remaining;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), 0, 256,
                           False, XInternAtom(display, "UTF8_STRING", False), &type, &format,
                           &count, &remaining, &data) == Success &&
        data)
        title.assign(reinterpret_cast<char*>(data), count);
    if (data) XFree(data);
    if (title.empty()) {
        char* name = nullptr;
        if (XFetchName(display, window, &name) && name) {
            title = name;
            XFree(name);
        }
    }
    return title;
}

void Describe(Display* display, Window window, ScreenWindow* found) {
    XWindowAttributes attributes;
    XGetWindowAttributes(display, window, &attributes);
    Window child;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &found->x, &found->y,
                          &child);
    found->id = window;
    found->width = attributes.width;
    found->height = attributes.height;
    XClassHint hint;
    if (XGetClassHint(display, window, &hint)) {
        found->windowClass = hint.res_class ? hint.res_class : "";
        if (hint.res_name) XFree(hint.res_name);
        if (hint.res_class) XFree(hint.res_class);
    }
    std::vector<long> frame = CardinalProperty(display, window, "_NET_FRAME_EXTENTS", XA_CARDINAL);
    if (frame.size() == 4) {
        found->frameLeft = static_cast<int>(frame[0]);
        found->frameRight = static_cast<int>(frame[1]);
        found->frameTop = static_cast<int>(frame[2]);
        found->frameBottom = static_cast<int>(frame[3]);
    }
    Atom above = XInternAtom(display, "_NET_WM_STATE_ABOVE", False);
    for (long state : CardinalProperty(display, window, "_NET_WM_STATE", XA_ATOM))
        if (static_cast<Atom>(state) == above) found->above = true;
}

void Search(Display* display, Window window, const std::string& title,
            std::vector<ScreenWindow>* found) {
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count)) return;
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, children[i], &attributes) &&
            attributes.map_state == IsViewable && TitleOf(display, children[i]) == title) {
            ScreenWindow item;
            item.title = title;
            Describe(display, children[i], &item);
            found->push_back(item);
        }
        Search(display, children[i], title, found);
    }
    if (children) XFree(children);
}

// Waits until the window manager takes windows on. It names itself on the root window
// before its event loop runs, and a window mapped in between may never be taken on, so a
// probe window is mapped (again, in case its request was lost) until it is.
bool WaitUntilManaging(Display* display) {
    long long deadline = NowMs() + kWindowManagerStartMs;
    while (!live::WindowManagerRunning(display) && NowMs() < deadline) SleepMs(20);
    Window probe = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    bool managed = false;
    while (!managed && NowMs() < deadline) {
        XMapWindow(display, probe);
        XSync(display, False);
        for (int i = 0; i < 10 && !managed; ++i) {
            SleepMs(20);
            managed = live::WindowManaged(display, probe);
        }
    }
    XDestroyWindow(display, probe);
    XSync(display, False);
    return managed;
}

}  // namespace

long long NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

PrivateDisplay::PrivateDisplay(bool windowManager, const std::string& screen) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        problem_ = "no pipe";
        return;
    }
    fcntl(pipeFds[0], F_SETFD, FD_CLOEXEC);
    fcntl(pipeFds[1], F_SETFD, FD_CLOEXEC);
    server_ = Spawn({"Xvfb", "-displayfd", std::to_string(pipeFds[1]), "-screen", "0", screen,
                     "-nolisten", "tcp", "-noreset"},
                    "", "", -1, pipeFds[1]);
    close(pipeFds[1]);
    std::string number;
    pollfd waiting = {pipeFds[0], POLLIN, 0};
    long long deadline = NowMs() + kServerStartMs;
    while (number.find('\n') == std::string::npos && NowMs() < deadline &&
           poll(&waiting, 1, 100) >= 0) {
        char buffer[16];
        if (!(waiting.revents & (POLLIN | POLLHUP))) continue;
        ssize_t got = read(pipeFds[0], buffer, sizeof buffer);
        if (got <= 0) break;
        number.append(buffer, static_cast<std::size_t>(got));
    }
    close(pipeFds[0]);
    if (number.find('\n') == std::string::npos) {
        problem_ = "Xvfb did not start (is it installed? scripts/install_deps.sh)";
        return;
    }
    name_ = ":" + number.substr(0, number.find('\n'));
    if (windowManager) {
        windowManager_ = Spawn({"openbox", "--sm-disable"}, name_, "", -1);
        Connection connection(name_);
        if (!connection.display || !WaitUntilManaging(connection.display)) {
            problem_ = "openbox did not start (scripts/install_deps.sh installs it)";
            return;
        }
    }
    ready_ = true;
}

void PrivateDisplay::HoldWindowManager(bool held) {
    if (windowManager_ > 0) kill(windowManager_, held ? SIGSTOP : SIGCONT);
}

void PrivateDisplay::KillServer() {
    if (server_ <= 0) return;
    KilledDisplays().insert(name_);
    kill(server_, SIGKILL);
    waitpid(server_, nullptr, 0);
    server_ = -1;
}

PrivateDisplay::~PrivateDisplay() {
    HoldWindowManager(false);
    Stop(windowManager_);
    Stop(server_);
}

namespace {

// pactl's answer to a request to the server at address.
ToolRun AskSoundServer(const std::string& address, const std::vector<std::string>& request) {
    ProgramStart start;
    start.arguments = {"pactl"};
    start.arguments.insert(start.arguments.end(), request.begin(), request.end());
    start.environment = {"PULSE_SERVER=" + address};
    return RunProgram(start);
}

}  // namespace

// The server runs without its default script: a null sink to play into and a socket in
// the test's own folder, open to any client. Its runtime and state folders are that
// folder too, so it never meets the machine's own sound server or the user's settings.
PrivateSoundServer::PrivateSoundServer() {
    const std::string socket = folder_ / "native";
    address_ = "unix:" + socket;
    ProgramStart start;
    start.arguments = {"pulseaudio",
                       "-n",
                       "--daemonize=no",
                       "--exit-idle-time=-1",
                       "--use-pid-file=no",
                       "-L",
                       "module-null-sink sink_name=show",
                       "-L",
                       "module-native-protocol-unix auth-anonymous=1 socket=" + socket};
    start.environment = {"HOME=" + folder_.path(),
                         "PULSE_RUNTIME_PATH=" + folder_.path(),
                         "PULSE_STATE_PATH=" + folder_.path(),
                         "XDG_RUNTIME_DIR=" + folder_.path(),
                         "XDG_CONFIG_HOME=" + folder_.path(),
                         "DISPLAY="};
    start.outFd = open((folder_ / "server.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    server_ = StartProgram(start);
    close(start.outFd);
    const long long deadline = NowMs() + kServerStartMs;
    while (NowMs() < deadline && waitpid(server_, nullptr, WNOHANG) == 0) {
        if (AskSoundServer(address_, {"info"}).exitCode == 0) {
            ready_ = true;
            return;
        }
        SleepMs(50);
    }
    problem_ = "pulseaudio did not start (scripts/install_deps.sh installs it): " +
               ReadBytes(folder_ / "server.log");
}

PrivateSoundServer::~PrivateSoundServer() { Kill(); }

int PrivateSoundServer::PlayingStreams() const {
    ToolRun run = AskSoundServer(address_, {"list", "short", "sink-inputs"});
    if (run.exitCode != 0) return -1;
    return static_cast<int>(std::count(run.out.begin(), run.out.end(), '\n'));
}

void PrivateSoundServer::Kill() {
    if (server_ <= 0) return;
    kill(server_, SIGKILL);  // a stopped process ends too
    waitpid(server_, nullptr, 0);
    server_ = -1;
}

void PrivateSoundServer::Freeze() {
    if (server_ > 0) kill(server_, SIGSTOP);
}

std::vector<std::string> FasterClock(int factor) {
    namespace fs = std::filesystem;
    std::vector<fs::path> candidates = {"/usr/lib/faketime/libfaketime.so.1"};
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator("/usr/lib", error))
        candidates.push_back(entry.path() / "faketime" / "libfaketime.so.1");
    for (const fs::path& library : candidates) {
        if (!fs::exists(library, error)) continue;
        // LiveProgram preloads the viewport probe; the clock's library comes after it.
        return {std::string("LD_PRELOAD=") + KELVO_VIEWPORT_PROBE + ":" + library.string(),
                "FAKETIME=+0 x" + std::to_string(factor)};
    }
    return {};
}

std::vector<ScreenWindow> WindowsTitled(const std::string& display, const std::string& title) {
    std::vector<ScreenWindow> found;
    Connection connection(display);
    if (connection.display)
        Search(connection.display, DefaultRootWindow(connection.display), title, &found);
    return found;
}

bool ScreenSize(const std::string& display, int* width, int* height) {
    Connection connection(display);
    if (!connection.display) return false;
    *width = DisplayWidth(connection.display, DefaultScreen(connection.display));
    *height = DisplayHeight(connection.display, DefaultScreen(connection.display));
    return true;
}

unsigned long ScreenArea::At(int x, int y) const {
    std::size_t at = (static_cast<std::size_t>(y) * width + x) * 3;
    auto byte = [&](std::size_t i) {
        return static_cast<unsigned long>(static_cast<unsigned char>(rgb[i]));
    };
    return byte(at) << 16 | byte(at + 1) << 8 | byte(at + 2);
}

bool GrabArea(const std::string& display, int x, int y, int width, int height, ScreenArea* area) {
    Connection connection(display);
    if (!connection.display || width <= 0 || height <= 0) return false;
    Window root = DefaultRootWindow(connection.display);
    XImage* image = XGetImage(connection.display, root, x, y, width, height, AllPlanes, ZPixmap);
    if (!image) return false;
    area->width = width;
    area->height = height;
    area->rgb.clear();
    // A TrueColor screen: each channel is a bit field of the pixel, scaled up to 8 bits.
    auto channel = [](unsigned long pixel, unsigned long mask) {
        if (!mask) return static_cast<char>(0);
        int shift = 0;
        while (!((mask >> shift) & 1)) ++shift;
        unsigned long maximum = mask >> shift;
        return static_cast<char>(((pixel & mask) >> shift) * 255 / maximum);
    };
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            unsigned long pixel = XGetPixel(image, column, row);
            area->rgb.push_back(channel(pixel, image->red_mask));
            area->rgb.push_back(channel(pixel, image->green_mask));
            area->rgb.push_back(channel(pixel, image->blue_mask));
        }
    }
    XDestroyImage(image);
    return true;
}

bool SavePng(const ScreenArea& area, const std::string& path) {
    const std::vector<std::uint8_t> rgb(area.rgb.begin(), area.rgb.end());
    return png_writer::WriteRgb(path, area.width, area.height, rgb);
}

bool RequestClose(const std::string& display, unsigned long window) {
    Connection connection(display);
    if (!connection.display) return false;
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(connection.display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] =
        static_cast<long>(XInternAtom(connection.display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    bool sent = XSendEvent(connection.display, window, False, NoEventMask, &event) != 0;
    XSync(connection.display, False);
    return sent;
}

int RunTool(const std::string& display, const std::vector<std::string>& arguments,
            std::string* output) {
    ProgramStart start;
    start.arguments = arguments;
    start.environment = {"DISPLAY=" + display, "SDL_AUDIODRIVER=dummy"};
    ToolRun run = RunProgram(start);
    if (output) *output = run.out + run.err;
    return run.exitCode;
}

int TypeKeys(const std::string& display, unsigned long window,
             const std::vector<std::string>& keys) {
    std::vector<std::string> command = {"xdotool", "windowfocus", "--sync", std::to_string(window),
                                        "key",     "--delay",     "50"};
    command.insert(command.end(), keys.begin(), keys.end());
    return RunTool(display, command);
}

void ExpectQuickerThan(long long tookMs, long long limitMs, const std::string& what) {
    ::testing::Test::RecordProperty(what + "_ms", std::to_string(tookMs));
    if (kSanitizedBuild) return;
    EXPECT_LT(tookMs, limitMs) << what << " took " << tookMs << " ms";
}

LiveProgram::LiveProgram(const std::string& display, const std::vector<std::string>& environment)
    : display_(display), workDir_(work_.path()) {
    namespace fs = std::filesystem;
    fs::path generated = fs::path(KELVO_BIN_DIR).parent_path() / "data";
    std::error_code error;
    if (fs::is_directory(generated)) {
        fs::create_directory_symlink(generated, fs::path(workDir_) / "data", error);
    } else {
        fs::create_directory(fs::path(workDir_) / "data", error);
        AddShowSoundtrack(workDir_ + "/data");
    }
    int output = open((workDir_ + "/output.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    // The probe is preloaded ahead of the sanitizer runtime in sanitized builds. Leak
    // checking is left to the in-process tests: at exit the live program's GL driver
    // (libGLX_mesa, unloaded by then) reports allocations that no suppression can name.
    const char* sanitizer = std::getenv("ASAN_OPTIONS");
    std::vector<std::string> settings = {
        std::string("LD_PRELOAD=") + KELVO_VIEWPORT_PROBE, "KELVO_VIEWPORT_LOG=viewport.log",
        std::string("ASAN_OPTIONS=") + (sanitizer ? sanitizer : "") +
            ":verify_asan_link_order=0:detect_leaks=0"};
    settings.insert(settings.end(), environment.begin(), environment.end());
    pid_ = Spawn({BuiltProgram("kelvo")}, display_, workDir_, output, -1, settings);
    close(output);
}

LiveProgram::~LiveProgram() {
    if (pid_ > 0 && !ended_) Stop(pid_);
    for (const std::string& caption : boxes_)
        ADD_FAILURE() << "the program showed a \"" << caption << "\" box:\n" << Output();
}

void LiveProgram::Signal(int signalNumber) {
    if (pid_ > 0 && !ended_) kill(pid_, signalNumber);
}

bool LiveProgram::WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
    const long long deadline = NowMs() + timeoutMs;
    do {
        if (condition()) return true;
        DismissBoxes();
        SleepMs(20);
    } while (NowMs() < deadline);
    return condition();
}

bool LiveProgram::WaitForExit(int timeoutMs, int* exitCode) {
    if (pid_ <= 0) return false;
    return ended_ || WaitUntil(
                         [&] {
                             int status = 0;
                             if (waitpid(pid_, &status, WNOHANG) != pid_) return false;
                             ended_ = true;
                             *exitCode =
                                 WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                             return true;
                         },
                         timeoutMs);
}

bool LiveProgram::WaitForWindow(const std::string& title, int minWidth, int timeoutMs,
                                ScreenWindow* found) {
    return WaitUntil(
        [&] {
            for (const ScreenWindow& window : WindowsTitled(display_, title)) {
                if (window.width >= minWidth) {
                    *found = window;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
}

bool LiveProgram::WaitForFirstFrame(int timeoutMs) {
    return WaitUntil([&] { return !LastViewport().empty(); }, timeoutMs);
}

namespace {

// The probe's last line: six numbers, then how the frame was presented.
void ReadLastNote(const std::string& path, std::string* viewport, std::string* presentation) {
    std::ifstream log(path);
    std::string line, last;
    while (std::getline(log, line)) last = line;
    std::size_t howAt = last.rfind(' ');
    *viewport = howAt == std::string::npos ? last : last.substr(0, howAt);
    *presentation = howAt == std::string::npos ? "" : last.substr(howAt + 1);
}

}  // namespace

std::string LiveProgram::LastViewport() const {
    std::string viewport, presentation;
    ReadLastNote(workDir_ + "/viewport.log", &viewport, &presentation);
    return viewport;
}

std::string LiveProgram::LastPresentation() const {
    std::string viewport, presentation;
    ReadLastNote(workDir_ + "/viewport.log", &viewport, &presentation);
    return presentation;
}

void LiveProgram::DismissBoxes() {
    for (const char* caption : kBoxCaptions) {
        for (const ScreenWindow& box : WindowsTitled(display_, caption)) {
            boxes_.push_back(caption);
            RunTool(display_, {"xdotool", "key", "--window", std::to_string(box.id), "Return"});
        }
    }
}

std::vector<pid_t> LiveProgram::ProcessesInWorkDir() const {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path workDir = fs::canonical(workDir_, error);
    std::vector<pid_t> left;
    for (const fs::directory_entry& entry : fs::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        const pid_t pid = static_cast<pid_t>(std::stol(name));
        std::error_code unreadable;  // a process that has just ended
        if (fs::read_symlink(entry.path() / "cwd", unreadable) == workDir) left.push_back(pid);
    }
    return left;
}

std::string LiveProgram::Output() const { return ReadBytes(workDir_ + "/output.txt"); }
