// Tests of the start-up, main loop and shutdown of the real WinMain on the virtual clock.
#include <gtest/gtest.h>

#include <vector>

#include "app/display_settings.h"
#include "app/program_state.h"
#include "platform/headless/headless.h"
#include "support/headless_window.h"
#include "support/sound_files.h"
#include "support/test_files.h"
#include "timeline/effect_sequencer.h"

namespace {

const DWORD kStart = 5000;

class MainLoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::Reset();
        headless::SetClock(kStart);
        AddShowSoundtrack(folder.Data(""));
    }
    void TearDown() override {
        ReleaseProgramObjects();
        headless::Reset();
        quitFlag = 0;
    }
    WorkingFolder folder;
    // Elapsed show time of every frame swapped.
    std::vector<int> frameTimes;
    void RecordFrame() { frameTimes.push_back(static_cast<int>(headless::Clock() - kStart)); }
};

}  // namespace

TEST_F(MainLoopTest, FrameAtShowLengthIsDrawnAndTheNextOneEndsTheShow) {
    const DWORD schedule[] = {kStart + 207100, kStart + 207101, kStart + 300000};
    int result = RunShow([&](int frame) {
        RecordFrame();
        headless::SetClock(schedule[frame - 1]);
    });
    EXPECT_EQ(0, result);
    EXPECT_EQ((std::vector<int>{0, 207100, 207101}), frameTimes);
    EXPECT_EQ(1, quitFlag);
    EXPECT_EQ(1, headless::CallCount("DestroyWindow"));
    EXPECT_EQ(0, headless::CursorCounter());
    EXPECT_EQ(480u, headless::CurrentMode().dmPelsHeight);
}

TEST_F(MainLoopTest, EscapeEndsTheShowWithoutAnotherFrame) {
    int result = RunShow([&](int frame) {
        RecordFrame();
        headless::SetClock(kStart + 16 * frame);
        if (frame == 3) headless::PressKey(VK_ESCAPE);
    });
    EXPECT_EQ(0, result);
    EXPECT_EQ(3u, frameTimes.size());
    EXPECT_EQ(1, headless::CallCount("PostMessageA"));
    EXPECT_EQ(2, headless::CallCount("PostQuitMessage"));
    EXPECT_EQ(0u, headless::QueuedMessageCount());
    EXPECT_EQ(1, headless::CallCount("DestroyWindow"));
}

TEST_F(MainLoopTest, CloseRequestEndsTheShowLikeEscape) {
    int result = RunShow([&](int frame) {
        RecordFrame();
        headless::SetClock(kStart + 16 * frame);
        if (frame == 2) headless::RequestClose();
    });
    EXPECT_EQ(0, result);
    EXPECT_EQ(2u, frameTimes.size());
    EXPECT_EQ(1, headless::CallCount("PostQuitMessage"));
    EXPECT_EQ(1, headless::CallCount("DestroyWindow"));
}

TEST_F(MainLoopTest, OtherKeysAndScreenSaverCommandsChangeNothing) {
    int result = RunShow([&](int frame) {
        RecordFrame();
        headless::SetClock(kStart + 16 * frame);
        if (frame == 1) {
            for (int key : {int('A'), VK_SPACE, VK_RETURN, VK_F4, int('Q')})
                headless::PressKey(key);
            PostMessageA(headless::MainWindow(), WM_SYSCOMMAND, SC_SCREENSAVE, 0);
            PostMessageA(headless::MainWindow(), WM_SYSCOMMAND, SC_MONITORPOWER, 2);
        }
        if (frame == 10) headless::PressKey(VK_ESCAPE);
    });
    EXPECT_EQ(0, result);
    EXPECT_EQ(10u, frameTimes.size());
    EXPECT_EQ(2, headless::CallCount("PostQuitMessage"));
}

TEST_F(MainLoopTest, QueuedMessagesAreHandledOnePerPassBeforeDrawing) {
    int messagesWaitingAtFrame2 = -1;
    RunShow([&](int frame) {
        RecordFrame();
        headless::SetClock(kStart + 16 * frame);
        if (frame == 1) {
            for (int i = 0; i < 5; ++i) headless::PressKey('A' + i);
        }
        if (frame == 2) {
            messagesWaitingAtFrame2 = static_cast<int>(headless::QueuedMessageCount());
            headless::PressKey(VK_ESCAPE);
        }
    });
    EXPECT_EQ(0, messagesWaitingAtFrame2);
    EXPECT_EQ(2u, frameTimes.size());
}

TEST_F(MainLoopTest, ClockWrapDuringTheShowNeitherEndsNorStallsIt) {
    headless::SetClock(0xFFFFFFFFu - 1000);
    const DWORD start = headless::Clock();
    std::vector<int> elapsed;
    int result = RunShow([&](int) {
        elapsed.push_back(static_cast<int>(headless::Clock() - start));
        headless::SetClock(headless::Clock() + 1000);
    });
    EXPECT_EQ(0, result);
    ASSERT_EQ(209u, elapsed.size());
    EXPECT_EQ(0, elapsed.front());
    EXPECT_EQ(208000, elapsed.back());
    for (std::size_t i = 1; i < elapsed.size(); ++i) EXPECT_EQ(1000, elapsed[i] - elapsed[i - 1]);
}

// Loading takes virtual time here, so a start time taken before it would leave the first
// frame late in the show instead of at elapsed 0.
TEST_F(MainLoopTest, StartTimeIsTakenAfterLoading) {
    const DWORD kLookupMs = 10;
    headless::SetFileLookupTime(kLookupMs);
    DWORD clockAtFirstFrame = 0;
    RunShow([&](int frame) {
        if (frame == 1) {
            clockAtFirstFrame = headless::Clock();
            headless::PressKey(VK_ESCAPE);
        }
    });
    ASSERT_NE(nullptr, sequencer);
    // The 13 scenes and 24 pictures were looked for before the first frame.
    EXPECT_GE(clockAtFirstFrame - kStart, (13 + 24) * kLookupMs);
    EXPECT_EQ(clockAtFirstFrame, sequencer->startTime);
}

TEST_F(MainLoopTest, WindowThatCannotBeOpenedEndsTheProgramAfterOneBox) {
    headless::FailCall("wglCreateContext");
    int frames = 0;
    EXPECT_EQ(0, RunShow([&](int) { ++frames; }));
    EXPECT_EQ(0, frames);
    ASSERT_EQ(1u, headless::MessageBoxes().size());
    EXPECT_EQ("Can't Create A GL Rendering Context.", headless::MessageBoxes()[0].text);
    EXPECT_EQ(nullptr, headless::MainWindow());
}

TEST_F(MainLoopTest, RefusedDisplayModeEndsTheProgramSilently) {
    headless::SetRefuseFullScreen(true);
    int frames = 0;
    EXPECT_EQ(0, RunShow([&](int) { ++frames; }));
    EXPECT_EQ(0, frames);
    EXPECT_TRUE(headless::MessageBoxes().empty());
    EXPECT_EQ(0, headless::CallCount("CreateWindowExA"));
}
