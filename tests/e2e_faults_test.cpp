// End-to-end tests of the real kelvo program where the machine lacks what the show needs,
// or loses it mid-show: no display to show it on, no sound device to play its music.
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/resources/resource_ids.h"
#include "app/win_main.h"
#include "support/live_session.h"

namespace {

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Starts the show from the dialog: Enter for full screen, or the check box first for a
// window; then waits for the show's first frame.
void StartShow(const std::string& display, LiveProgram* program, bool fullScreen) {
    ScreenWindow dialog, show;
    ASSERT_TRUE(program->WaitForWindow(kTitle, 1, kTimeoutMs, &dialog)) << program->Output();
    std::vector<std::string> keys = {"Return"};
    if (!fullScreen) keys = {"Tab", "Tab", "space", "Return"};
    ASSERT_EQ(0, TypeKeys(display, dialog.id, keys));
    ASSERT_TRUE(program->WaitForWindow(kTitle, kShowMinWidth, kTimeoutMs, &show))
        << program->Output();
    ASSERT_TRUE(program->WaitForFirstFrame(kTimeoutMs)) << program->Output();
}

}  // namespace

// Without a display SDL would fall back on a driver that draws into memory and play the
// whole show unseen; the program must instead say why and end at once.
TEST(E2eFaults, NoDisplayEndsAtOnceWithTheReasonOnStderr) {
    LiveProgram program("", {"WAYLAND_DISPLAY="});
    ASSERT_TRUE(program.Started());
    long long started = NowMs();
    int exitCode = -1;
    ASSERT_TRUE(program.WaitForExit(kTimeoutMs, &exitCode)) << program.Output();
    EXPECT_EQ(0, exitCode);
    ExpectQuickerThan(NowMs() - started, 5000, "exit");
    EXPECT_TRUE(
        Contains(program.Output(), KELVO_TITLE ": cannot show the dialog without a display"))
        << program.Output();
    EXPECT_TRUE(Contains(program.Output(), "Cannot open the display")) << program.Output();
    // The viewport probe notes every frame drawn: there must be none.
    EXPECT_EQ("", program.LastViewport());
}

// An ALSA card that does not exist: the sound library cannot start, the music cannot be
// read, and the show ends once it has loaded, since its music cannot play.
TEST(E2eFaults, NoSoundDeviceReportsTheMusicAndEndsAfterLoading) {
    PrivateDisplay display(false);
    ASSERT_TRUE(display.Ready()) << display.Problem();
    LiveProgram program(display.Name(), {"SDL_AUDIODRIVER=alsa", "AUDIODEV=hw:77,0"});
    ASSERT_TRUE(program.Started());
    ScreenWindow dialog;
    // The two music boxes come before the dialog; the wait dismisses them.
    ASSERT_TRUE(program.WaitForWindow(kTitle, 1, kTimeoutMs, &dialog)) << program.Output();
    EXPECT_EQ((std::vector<std::string>{"ERROR!", "ERROR!"}), program.TakeBoxes())
        << program.Output();
    ASSERT_EQ(0, TypeKeys(display.Name(), dialog.id, {"Return"}));
    int exitCode = -1;
    ASSERT_TRUE(program.WaitForExit(kTimeoutMs, &exitCode)) << program.Output();
    EXPECT_EQ(0, exitCode);
    EXPECT_EQ("", program.LastViewport()) << "a frame was drawn without music";
    EXPECT_TRUE(WindowsTitled(display.Name(), kTitle).empty());
    EXPECT_TRUE(program.TakeBoxes().empty()) << program.Output();
}

namespace {

struct DisplayLoss {
    const char* name;
    const char* xvfbScreen;
    bool fullScreen;
    bool glScaling;  // scaled by GL rather than by the X server
};

std::ostream& operator<<(std::ostream& out, const DisplayLoss& loss) { return out << loss.name; }

class E2eDisplayLossTest : public ::testing::TestWithParam<DisplayLoss> {};

}  // namespace

// The X server dies under the show (it crashed, or a remote display's link broke). The
// program must say so and end at once, in full screen as in a window, leaving no process.
TEST_P(E2eDisplayLossTest, DisplayDyingMidShowEndsTheProgramAtOnceWithTheReason) {
    PrivateDisplay display(false, GetParam().xvfbScreen);
    ASSERT_TRUE(display.Ready()) << display.Problem();
    std::vector<std::string> environment;
    if (GetParam().glScaling) environment.push_back("KELVO_SERVER_SCALING=0");
    LiveProgram program(display.Name(), environment);
    ASSERT_TRUE(program.Started());
    StartShow(display.Name(), &program, GetParam().fullScreen);
    if (HasFatalFailure()) return;
    const std::string name = display.Name();

    display.KillServer();
    const long long killed = NowMs();
    int exitCode = -1;
    ASSERT_TRUE(program.WaitForExit(kTimeoutMs, &exitCode))
        << "still running " << kTimeoutMs << " ms after the display died\n"
        << program.Output();
    ExpectQuickerThan(NowMs() - killed, 2000, "exit");
    EXPECT_EQ(1, exitCode) << program.Output();
    EXPECT_TRUE(Contains(program.Output(), "lost the connection to the display " + name))
        << program.Output();
    EXPECT_EQ(std::vector<pid_t>{}, program.ProcessesInWorkDir());
}

INSTANTIATE_TEST_SUITE_P(
    Modes, E2eDisplayLossTest,
    ::testing::Values(DisplayLoss{"Windowed", "640x480x16", false, false},
                      DisplayLoss{"ScaledFullScreen", "1920x1080x24", true, false},
                      DisplayLoss{"ScaledByGlFullScreen", "1920x1080x24", true, true}),
    [](const ::testing::TestParamInfo<DisplayLoss>& info) { return info.param.name; });

namespace {

// The show's clock runs this many times faster, so that it ends about ten seconds in.
constexpr int kClockSpeedUp = 20;
constexpr int kFastShowMs = kShowLength / kClockSpeedUp;

enum class SoundLoss { ServerKilled, ServerFrozen };

std::ostream& operator<<(std::ostream& out, SoundLoss loss) {
    return out << (loss == SoundLoss::ServerKilled ? "Killed" : "Frozen");
}

class E2eSoundLossTest : public ::testing::TestWithParam<SoundLoss> {};

// Waits until the screen has shown `changes` different pictures; how many it saw.
int WatchPictureChange(LiveProgram* program, const std::string& display, int changes) {
    ScreenArea last, now;
    int seen = 0;
    program->WaitUntil(
        [&] {
            if (GrabArea(display, 0, 0, 640, 480, &now) && now.rgb != last.rgb) {
                last = now;
                ++seen;
            }
            return seen > changes;  // the first grab is no change
        },
        kTimeoutMs);
    return seen - 1;
}

}  // namespace

// The sound device goes away mid-show: its sound server is killed (a crash, a restart),
// or stops answering altogether. The music stops; the picture goes on to the show's end,
// and the program ends there as it always does.
TEST_P(E2eSoundLossTest, PictureGoesOnToTheEndAfterTheSoundServerIsLost) {
    PrivateSoundServer sound;
    ASSERT_TRUE(sound.Ready()) << sound.Problem();
    PrivateDisplay display(false);
    ASSERT_TRUE(display.Ready()) << display.Problem();
    std::vector<std::string> environment = FasterClock(kClockSpeedUp);
    ASSERT_FALSE(environment.empty()) << "libfaketime is missing (scripts/install_deps.sh)";
    environment.push_back("SDL_AUDIODRIVER=pulseaudio");
    environment.push_back("PULSE_SERVER=" + sound.Address());
    LiveProgram program(display.Name(), environment);
    ASSERT_TRUE(program.Started());
    const long long started = NowMs();
    StartShow(display.Name(), &program, true);
    if (HasFatalFailure()) return;
    ASSERT_TRUE(program.WaitUntil([&] { return sound.PlayingStreams() > 0; }, kTimeoutMs))
        << "the music does not play on the private sound server\n"
        << program.Output();

    if (GetParam() == SoundLoss::ServerKilled)
        sound.Kill();
    else
        sound.Freeze();
    EXPECT_EQ(3, WatchPictureChange(&program, display.Name(), 3))
        << "the picture stopped when the sound server was lost";
    int exitCode = -1;
    ASSERT_TRUE(program.WaitForExit(kFastShowMs + kTimeoutMs, &exitCode))
        << "still running long after the show's end\n"
        << program.Output();
    EXPECT_EQ(0, exitCode) << program.Output();
    // It ran the show's whole length (the dialog and loading came before the show's clock).
    EXPECT_GE(NowMs() - started, kFastShowMs) << "the show ended early";
    ExpectQuickerThan(NowMs() - started, kFastShowMs + 10000, "show");
    EXPECT_TRUE(program.TakeBoxes().empty()) << program.Output();
}

INSTANTIATE_TEST_SUITE_P(Servers, E2eSoundLossTest,
                         ::testing::Values(SoundLoss::ServerKilled, SoundLoss::ServerFrozen),
                         [](const ::testing::TestParamInfo<SoundLoss>& info) {
                             return info.param == SoundLoss::ServerKilled ? "Killed" : "Frozen";
                         });
