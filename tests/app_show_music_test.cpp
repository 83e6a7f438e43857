// Tests of the soundtrack in the real WinMain on the headless layer: opened first, started
// with the show clock, stopped when the show's length has passed, closed at shutdown.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/program_state.h"
#include "platform/headless/headless.h"
#include "support/headless_window.h"
#include "support/sound_files.h"
#include "support/test_files.h"
#include "timeline/effect_sequencer.h"

namespace {

const DWORD kStart = 90000;

class ShowMusicTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::Reset();
        headless::SetClock(kStart);
    }
    void TearDown() override {
        ReleaseProgramObjects();
        headless::Reset();
        quitFlag = 0;
    }
    // Position of the first log entry that starts with `call`, or -1.
    static int LogIndex(const std::string& call) {
        const std::vector<std::string>& log = headless::CallLog();
        for (std::size_t i = 0; i < log.size(); ++i) {
            if (log[i].rfind(call, 0) == 0) return static_cast<int>(i);
        }
        return -1;
    }
    // The music's own boxes; without scene files the show also raises "Error !" boxes.
    static std::vector<std::string> MusicBoxTexts() {
        std::vector<std::string> texts;
        for (const headless::RecordedBox& box : headless::MessageBoxes()) {
            if (box.caption == "ERROR!") texts.push_back(box.text);
        }
        return texts;
    }
    static std::vector<std::string> EventCalls() {
        std::vector<std::string> calls;
        for (const headless::SoundEvent& event : headless::SoundEvents())
            calls.push_back(event.call);
        return calls;
    }
    WorkingFolder folder;
};

}  // namespace

TEST_F(ShowMusicTest, TrackStartsWithTheClockAndStopsOnceInTheFirstFramePastTheEnd) {
    AddShowSoundtrack(folder.Data(""));
    const DWORD schedule[] = {kStart + 100000, kStart + 207100, kStart + 207101, kStart + 207102};
    int frames = 0;
    EXPECT_EQ(0, RunShow([&](int frame) {
                  frames = frame;
                  headless::SetClock(schedule[frame - 1]);
              }));
    EXPECT_EQ(4, frames);
    // Opened before the window, started before the first frame.
    EXPECT_LT(LogIndex("FSOUND_Stream_OpenMpeg(\"data\\kelvo32.mp3\", 41)"),
              LogIndex("CreateWindowExA"));
    EXPECT_LT(LogIndex("FSOUND_Stream_Play"), LogIndex("SwapBuffers"));
    EXPECT_TRUE(MusicBoxTexts().empty());

    ASSERT_EQ((std::vector<std::string>{"FSOUND_Stream_Play", "FSOUND_Stream_Stop"}), EventCalls());
    EXPECT_EQ(sequencer->startTime, headless::SoundEvents()[0].clock);
    EXPECT_EQ(kStart + 207101, headless::SoundEvents()[1].clock);
    EXPECT_EQ(1, headless::CallCount("FSOUND_Stream_Stop"));
    // Shutdown: the window goes first, then the stream and the library.
    EXPECT_LT(LogIndex("DestroyWindow"), LogIndex("FSOUND_Stream_Close"));
    EXPECT_LT(LogIndex("FSOUND_Stream_Close"), LogIndex("FSOUND_Close"));
    EXPECT_EQ(1, headless::CallCount("FSOUND_Close"));
    EXPECT_EQ(nullptr, musicTrack);
}

TEST_F(ShowMusicTest, EscapeEndsTheShowWithoutStopButTheTrackIsClosed) {
    AddShowSoundtrack(folder.Data(""));
    RunShow([&](int frame) {
        headless::SetClock(kStart + 40 * frame);
        if (frame == 2) headless::PressKey(VK_ESCAPE);
    });
    EXPECT_EQ(0, headless::CallCount("FSOUND_Stream_Stop"));
    EXPECT_EQ(1, headless::CallCount("FSOUND_Stream_Close"));
    EXPECT_EQ(1, headless::CallCount("FSOUND_Close"));
    EXPECT_EQ((std::vector<std::string>{"FSOUND_Stream_Play", "FSOUND_Stream_Close"}),
              EventCalls());
    EXPECT_EQ(kStart + 80, headless::SoundEvents()[1].clock);
}

TEST_F(ShowMusicTest, MissingSoundtrackIsReportedAtOnceAndEndsTheShowAtItsStart) {
    int frames = 0;
    EXPECT_EQ(0, RunShow([&](int) { ++frames; }));
    EXPECT_EQ(std::vector<std::string>{"internal error: Can't read music!"}, MusicBoxTexts());
    EXPECT_LT(LogIndex("MessageBoxA(ERROR!"), LogIndex("CreateWindowExA"));
    EXPECT_EQ(0, frames);
    EXPECT_EQ(1, headless::CallCount("FSOUND_Stream_Play"));
    EXPECT_TRUE(headless::SoundEvents().empty());
    // No shutdown step runs: the window is left to the process's end.
    EXPECT_EQ(0, headless::CallCount("DestroyWindow"));
    EXPECT_EQ(0, headless::CallCount("FSOUND_Close"));
}
