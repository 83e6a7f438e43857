// End-to-end tests of the real kelvo program on SDL video drivers other than X11 (Wayland,
// macOS): the live layer's X11 parts are then left unused, not failing. SDL's offscreen
// driver, named on purpose, stands for such a driver here; FLTK's dialog still needs the
// X server, and after the dialog the show uses it no more.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "app/win_main.h"
#include "support/live_session.h"

namespace {

// The show's clock runs this many times faster, so that it ends about ten seconds in.
constexpr int kClockSpeedUp = 20;
constexpr int kFastShowMs = kShowLength / kClockSpeedUp;
// Larger than the show's picture, so that full screen scales it.
constexpr char kScreen[] = "1024x768x24";

struct DriverRun {
    const char* name;
    const char* videoDriver;
    bool fullScreen;
    const char* x11Calls;  // what the X11 calls probe notes, in order
};

std::ostream& operator<<(std::ostream& out, const DriverRun& run) { return out << run.name; }

class E2eVideoDriverTest : public ::testing::TestWithParam<DriverRun> {};

// The environment of a show on a faster clock, with the X11 calls probe preloaded too.
std::vector<std::string> Environment(const DriverRun& run) {
    std::vector<std::string> environment = FasterClock(kClockSpeedUp);
    const std::string preload = "LD_PRELOAD=";
    for (std::string& entry : environment)
        if (entry.compare(0, preload.size(), preload) == 0)
            entry.insert(preload.size(), std::string(KELVO_X11_CALLS_PROBE) + ":");
    environment.push_back(std::string("SDL_VIDEODRIVER=") + run.videoDriver);
    environment.push_back("KELVO_X11_CALLS_LOG=x11_calls.log");
    return environment;
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

bool IsX11(const DriverRun& run) { return std::strcmp(run.videoDriver, "x11") == 0; }

}  // namespace

// The show plays to its end and the program ends with 0, in a window and full screen.
// With the X11 driver the display-loss handler is installed, and full screen has the X
// server scale the picture (Mesa's software renderer). With another driver neither starts,
// no window of the show reaches the X server, and the X server may even go away once the
// dialog has closed.
TEST_P(E2eVideoDriverTest, ShowPlaysToItsEndAndTheX11PartsStartOnlyOnX11) {
    const DriverRun& run = GetParam();
    PrivateDisplay display(false, kScreen);
    ASSERT_TRUE(display.Ready()) << display.Problem();
    std::vector<std::string> environment = Environment(run);
    ASSERT_FALSE(environment.empty()) << "libfaketime is missing (scripts/install_deps.sh)";
    LiveProgram program(display.Name(), environment);
    ASSERT_TRUE(program.Started());
    const long long started = NowMs();
    ScreenWindow dialog;
    ASSERT_TRUE(program.WaitForWindow(kTitle, 1, kTimeoutMs, &dialog)) << program.Output();
    std::vector<std::string> keys = {"Return"};
    if (!run.fullScreen) keys = {"Tab", "Tab", "space", "Return"};
    ASSERT_EQ(0, TypeKeys(display.Name(), dialog.id, keys));
    ASSERT_TRUE(program.WaitForFirstFrame(kTimeoutMs)) << program.Output();

    // The program still sees a 640 x 480 picture.
    std::istringstream viewport(program.LastViewport());
    int x = -1, y = -1, width = -1, height = -1;
    viewport >> x >> y >> width >> height;
    EXPECT_EQ(640, width);
    EXPECT_EQ(480, height);
    ScreenWindow show;
    if (IsX11(run)) {
        ASSERT_TRUE(program.WaitForWindow(kTitle, kShowMinWidth, kTimeoutMs, &show))
            << program.Output();
        EXPECT_EQ(run.fullScreen ? "server" : "swap", program.LastPresentation());
    } else {
        EXPECT_FALSE(program.WaitForWindow(kTitle, kShowMinWidth, 500, &show))
            << "the show's window reached the X server";
        EXPECT_EQ("swap", program.LastPresentation());
        display.KillServer();
    }

    int exitCode = -1;
    // Windowed on the offscreen driver the faster clock gains less: the show took 35 s
    // instead of 12 on a loaded machine.
    ASSERT_TRUE(program.WaitForExit(kFastShowMs + 4 * kTimeoutMs, &exitCode))
        << "still running long after the show's end\n"
        << program.Output();
    EXPECT_EQ(0, exitCode) << program.Output();
    EXPECT_GE(NowMs() - started, kFastShowMs) << "the show ended early\n" << program.Output();
    EXPECT_EQ(run.x11Calls, ReadFile(program.WorkDir() + "/x11_calls.log"));
    EXPECT_TRUE(program.TakeBoxes().empty()) << program.Output();
}

INSTANTIATE_TEST_SUITE_P(
    Drivers, E2eVideoDriverTest,
    ::testing::Values(DriverRun{"OffscreenWindowed", "offscreen", false, ""},
                      DriverRun{"OffscreenFullScreen", "offscreen", true, ""},
                      DriverRun{"X11Windowed", "x11", false, "XSetIOErrorHandler\n"},
                      DriverRun{"X11FullScreen", "x11", true,
                                "XSetIOErrorHandler\nXRenderSetPictureTransform\n"}),
    [](const ::testing::TestParamInfo<DriverRun>& info) { return info.param.name; });
