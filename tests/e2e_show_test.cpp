// End-to-end tests of the real kelvo program on a private X server: the show's window,
// and the ways out of the show.
#include <gtest/gtest.h>

#include <signal.h>

#include <memory>
#include <string>
#include <vector>

#include "app/resources/resource_ids.h"
#include "support/live_session.h"

namespace {

class E2eShowTest : public ::testing::Test {
protected:
    explicit E2eShowTest(bool windowManager = false) : display(windowManager) {}

    // Starts the program, answers the dialog with Enter (full screen) and waits for the
    // show's window.
    void StartShow(const std::vector<std::string>& environment = {}) {
        ASSERT_TRUE(display.Ready()) << display.Problem();
        program = std::make_unique<LiveProgram>(display.Name(), environment);
        ASSERT_TRUE(program->Started());
        ScreenWindow dialog;
        ASSERT_TRUE(program->WaitForWindow(kTitle, 1, kTimeoutMs, &dialog)) << program->Output();
        ASSERT_EQ(0, TypeKeys(display.Name(), dialog.id, {"Return"}));
        ASSERT_TRUE(program->WaitForWindow(kTitle, kShowMinWidth, kTimeoutMs, &show))
            << program->Output();
        // Input is taken once loading is done and the main loop runs.
        ASSERT_TRUE(program->WaitForFirstFrame(kTimeoutMs)) << program->Output();
    }
    // Waits for the program's end and checks the exit code and the time it took.
    void ExpectQuickExit(long long since) {
        int exitCode = -1;
        ASSERT_TRUE(program->WaitForExit(kTimeoutMs, &exitCode)) << program->Output();
        ExpectQuickerThan(NowMs() - since, 1000, "exit");
        EXPECT_EQ(0, exitCode) << program->Output();
        int width = 0, height = 0;
        ASSERT_TRUE(ScreenSize(display.Name(), &width, &height));
        EXPECT_EQ(640, width);
        EXPECT_EQ(480, height);
        EXPECT_TRUE(WindowsTitled(display.Name(), kTitle).empty());
    }

    PrivateDisplay display;
    std::unique_ptr<LiveProgram> program;
    ScreenWindow show;
};

// The same, with a window manager that moves the focus between windows.
class E2eShowWithWindowManagerTest : public E2eShowTest {
protected:
    E2eShowWithWindowManagerTest() : E2eShowTest(true) {}
};

}  // namespace

TEST_F(E2eShowTest, FullScreenWindowCoversTheScreenAndEscapeEndsTheShow) {
    StartShow();
    EXPECT_EQ("Kelvo Remix by Tarvik", show.title);  // spelled out, as the dialog's caption
    EXPECT_EQ(0, show.x);
    EXPECT_EQ(0, show.y);
    EXPECT_EQ(640, show.width);
    EXPECT_EQ(480, show.height);
    long long pressed = NowMs();
    ASSERT_EQ(0, RunTool(display.Name(),
                         {"xdotool", "keydown", "--window", std::to_string(show.id), "Escape"}));
    ExpectQuickExit(pressed);
}

// Where the GL driver cannot draw offscreen (forced here), full screen changes the
// display's mode instead; a screen with a 640 x 480 mode takes it.
TEST_F(E2eShowTest, WithoutOffscreenDrawingTheExactModeShowsTheShow) {
    StartShow({"KELVO_NO_OFFSCREEN=1"});
    EXPECT_EQ(0, show.x);
    EXPECT_EQ(0, show.y);
    EXPECT_EQ(640, show.width);
    EXPECT_EQ(480, show.height);
    ASSERT_EQ(0, RunTool(display.Name(),
                         {"xdotool", "keydown", "--window", std::to_string(show.id), "Escape"}));
    ExpectQuickExit(NowMs());
}

TEST_F(E2eShowTest, OtherKeysDoNotEndTheShow) {
    StartShow();
    ASSERT_EQ(0, RunTool(display.Name(), {"xdotool", "key", "--window", std::to_string(show.id),
                                          "space", "Return", "q", "F4"}));
    int exitCode = -1;
    EXPECT_FALSE(program->WaitForExit(700, &exitCode)) << program->Output();
    EXPECT_EQ(1u, WindowsTitled(display.Name(), kTitle).size());
}

TEST_F(E2eShowTest, CloseRequestEndsTheShow) {
    StartShow();
    long long requested = NowMs();
    ASSERT_TRUE(RequestClose(display.Name(), show.id));
    ExpectQuickExit(requested);
}

TEST_F(E2eShowTest, TerminationSignalEndsTheShowAtOnce) {
    for (int signalNumber : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signalNumber);
        StartShow();
        long long sent = NowMs();
        program->Signal(signalNumber);
        int exitCode = -1;
        ASSERT_TRUE(program->WaitForExit(kTimeoutMs, &exitCode)) << program->Output();
        // The desktop is put back first, then the signal ends the process as it would have.
        EXPECT_EQ(128 + signalNumber, exitCode);
        ExpectQuickerThan(NowMs() - sent, 1000, "signal_exit");
        int width = 0, height = 0;
        ASSERT_TRUE(ScreenSize(display.Name(), &width, &height));
        EXPECT_EQ(640, width);
        EXPECT_EQ(480, height);
        program.reset();
    }
}

// Where full screen has to change the display's mode (no offscreen drawing, forced here),
// a screen without a 640 x 480 mode refuses the request: no box, no window.
TEST(E2eShowRefusedMode, WithoutOffscreenDrawingARefusedModeEndsQuietly) {
    PrivateDisplay display(false, "1024x768x16");
    ASSERT_TRUE(display.Ready()) << display.Problem();
    LiveProgram program(display.Name(), {"KELVO_NO_OFFSCREEN=1"});
    ScreenWindow dialog;
    ASSERT_TRUE(program.WaitForWindow(kTitle, 1, kTimeoutMs, &dialog)) << program.Output();
    // The dialog is centred on the screen's mode: (1024 / 2 - 65, 768 / 2 - 63).
    EXPECT_EQ(447, dialog.x);
    EXPECT_EQ(321, dialog.y);
    ASSERT_EQ(0, TypeKeys(display.Name(), dialog.id, {"Return"}));
    int exitCode = -1;
    bool showWindowSeen = false;
    bool ended = false;
    for (long long deadline = NowMs() + kTimeoutMs; !ended && NowMs() < deadline;) {
        for (const ScreenWindow& window : WindowsTitled(display.Name(), kTitle))
            showWindowSeen |= window.width >= kShowMinWidth;
        ended = program.WaitForExit(10, &exitCode);
    }
    ASSERT_TRUE(ended) << program.Output();
    EXPECT_EQ(0, exitCode);
    EXPECT_FALSE(showWindowSeen);
    int width = 0, height = 0;
    ASSERT_TRUE(ScreenSize(display.Name(), &width, &height));
    EXPECT_EQ(1024, width);
    EXPECT_EQ(768, height);
}

// Alt+Tab to another window leaves the show full screen and playing.
TEST_F(E2eShowWithWindowManagerTest, LosingTheFocusNeitherMinimisesNorStopsTheShow) {
    StartShow();
    ASSERT_EQ(0, RunTool(display.Name(),
                         {"xdotool", "windowactivate", "--sync", std::to_string(show.id)}));
    // Another client's window takes the focus; it goes away by itself after 20 s.
    ASSERT_EQ(
        0, RunTool(display.Name(), {"sh", "-c", "xmessage -timeout 20 other >/dev/null 2>&1 &"}));
    std::vector<ScreenWindow> others;
    ASSERT_TRUE(program->WaitUntil(
        [&] { return !(others = WindowsTitled(display.Name(), "xmessage")).empty(); }, kTimeoutMs))
        << "the other window never appeared";
    ASSERT_EQ(0, RunTool(display.Name(),
                         {"xdotool", "windowactivate", "--sync", std::to_string(others[0].id)}));
    std::string active;
    ASSERT_EQ(0, RunTool(display.Name(), {"xdotool", "getactivewindow"}, &active));
    EXPECT_EQ(std::to_string(others[0].id), active.substr(0, active.find('\n')));

    // Still there, still covering the screen, and its picture still moves (the other,
    // small window stays as it is).
    std::vector<ScreenWindow> shows = WindowsTitled(display.Name(), kTitle);
    ASSERT_EQ(1u, shows.size());
    EXPECT_EQ(640, shows[0].width);
    EXPECT_EQ(480, shows[0].height);
    ScreenArea before, now;
    ASSERT_TRUE(GrabArea(display.Name(), 0, 0, 640, 480, &before));
    EXPECT_TRUE(program->WaitUntil(
        [&] { return GrabArea(display.Name(), 0, 0, 640, 480, &now) && now.rgb != before.rgb; },
        kTimeoutMs))
        << "the show's picture stopped when it lost the focus";
    int exitCode = -1;
    EXPECT_FALSE(program->WaitForExit(0, &exitCode)) << program->Output();

    // Back to the show, where Escape ends it as before.
    ASSERT_EQ(0, RunTool(display.Name(),
                         {"xdotool", "windowactivate", "--sync", std::to_string(show.id)}));
    ASSERT_EQ(0, RunTool(display.Name(),
                         {"xdotool", "keydown", "--window", std::to_string(show.id), "Escape"}));
    ExpectQuickExit(NowMs());
}
