// End-to-end tests of the real kelvo program where the machine lacks what the show needs:
// no display to show it on, no sound device to play its music.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/resources/resource_ids.h"
#include "support/live_session.h"

namespace {

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
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
