// Tests of the music track over the headless sound layer, with real MP3, WAV and module
// files; the layer opens and decodes them with SDL2_mixer on its dummy driver.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "audio/music_track.h"
#include "platform/headless/headless.h"
#include "support/headless_window.h"
#include "support/sound_files.h"
#include "support/test_files.h"

namespace {

const UINT kErrorBox = MB_SYSTEMMODAL | MB_ICONERROR;

class MusicTrackTest : public HeadlessTest {
protected:
    static void SetUpTestSuite() { folder = MakeSoundFolder(); }
    static void TearDownTestSuite() { folder.reset(); }
    // The sound library's calls in the log, in order.
    static std::vector<std::string> SoundCalls() {
        std::vector<std::string> calls;
        for (const std::string& entry : headless::CallLog()) {
            if (entry.rfind("FSOUND_", 0) == 0 || entry.rfind("FMUSIC_", 0) == 0) {
                calls.push_back(entry);
            }
        }
        return calls;
    }
    static void ExpectOneErrorBox(const std::string& text) {
        ASSERT_EQ(1u, headless::MessageBoxes().size());
        EXPECT_EQ("ERROR!", headless::MessageBoxes()[0].caption);
        EXPECT_EQ(text, headless::MessageBoxes()[0].text);
        EXPECT_EQ(kErrorBox, headless::MessageBoxes()[0].type);
    }
    static std::unique_ptr<WorkingFolder> folder;
};

std::unique_ptr<WorkingFolder> MusicTrackTest::folder;

struct Kind {
    SoundType type;
    const char* path;
    const char* open;  // the open call and its arguments as logged, handle aside
    const char* play;
    const char* stop;
    const char* free;
};

const Kind kKinds[] = {
    {SoundType::MpegStream, "data\\tone.mp3", "FSOUND_Stream_OpenMpeg(\"data\\tone.mp3\", 41)",
     "FSOUND_Stream_Play(-1, ", "FSOUND_Stream_Stop(", "FSOUND_Stream_Close("},
    {SoundType::WavStream, "data\\tone.wav", "FSOUND_Stream_OpenWav(\"data\\tone.wav\", 43)",
     "FSOUND_Stream_Play(-1, ", "FSOUND_Stream_Stop(", "FSOUND_Stream_Close("},
    {SoundType::Module, "data\\song.mod", "FMUSIC_LoadSong(\"data\\song.mod\")", "FMUSIC_PlaySong(",
     "FMUSIC_StopSong(", "FMUSIC_FreeSong("},
};

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

TEST_F(MusicTrackTest, EachKindOpensPlaysStopsAndClosesThroughItsOwnCalls) {
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(kind.path);
        headless::Reset();
        headless::SetClock(7000);
        MusicTrack track(kind.path, kind.type);
        EXPECT_STREQ(kind.path, track.fileName);
        EXPECT_EQ(kind.type, track.type);
        EXPECT_EQ(kind.type == SoundType::Module, track.song != nullptr);
        EXPECT_EQ(kind.type != SoundType::Module, track.stream != nullptr);
        EXPECT_EQ(1, track.Play());
        headless::SetClock(9000);
        EXPECT_EQ(1, track.Stop());
        track.Close();

        EXPECT_TRUE(headless::MessageBoxes().empty());
        std::vector<std::string> calls = SoundCalls();
        ASSERT_EQ(6u, calls.size());
        EXPECT_EQ("FSOUND_Init(44100, 32, 0)", calls[0]);
        EXPECT_EQ(kind.open, calls[1]);
        EXPECT_TRUE(StartsWith(calls[2], kind.play)) << calls[2];
        EXPECT_TRUE(StartsWith(calls[3], kind.stop)) << calls[3];
        EXPECT_TRUE(StartsWith(calls[4], kind.free)) << calls[4];
        EXPECT_EQ("FSOUND_Close", calls[5]);
        ASSERT_EQ(2u, headless::SoundEvents().size());
        EXPECT_EQ(7000u, headless::SoundEvents()[0].clock);
        EXPECT_EQ(9000u, headless::SoundEvents()[1].clock);
    }
}

TEST_F(MusicTrackTest, UnreadableMusicGivesOneBoxAndPlayIsRefused) {
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(kind.path);
        headless::Reset();
        MusicTrack track("data\\missing.mp3", kind.type);
        ExpectOneErrorBox("internal error: Can't read music!");
        EXPECT_EQ(nullptr, track.song);
        EXPECT_EQ(nullptr, track.stream);
        EXPECT_EQ(0, track.Play());
        // The null handle still goes to the library, which refuses it quietly.
        EXPECT_EQ(1, track.Stop());
        track.Close();
        EXPECT_EQ(1u, headless::MessageBoxes().size());
        EXPECT_EQ(6u, SoundCalls().size());
        EXPECT_TRUE(headless::SoundEvents().empty());
    }
}

TEST_F(MusicTrackTest, InvalidTypeInitialisesTheLibraryButPlaysNothing) {
    for (int value : {0, 4, -1}) {
        SCOPED_TRACE(value);
        headless::Reset();
        MusicTrack track("data\\tone.mp3", static_cast<SoundType>(value));
        ExpectOneErrorBox("internal error: not a valid sound type");
        EXPECT_EQ(value, static_cast<int>(track.type));
        EXPECT_STREQ("data\\tone.mp3", track.fileName);
        EXPECT_EQ(1, track.Play());
        EXPECT_EQ(1, track.Stop());
        EXPECT_EQ(1, track.Free());
        track.Close();
        EXPECT_EQ((std::vector<std::string>{"FSOUND_Init(44100, 32, 0)", "FSOUND_Close"}),
                  SoundCalls());
        EXPECT_TRUE(headless::SoundEvents().empty());
    }
}

TEST_F(MusicTrackTest, LibraryThatCannotStartIsReportedAndTheOpenStillTried) {
    headless::FailCall("FSOUND_Init");
    MusicTrack track("data\\tone.mp3", SoundType::MpegStream);
    // Without a device nothing can be opened, as with a sound card that will not start.
    EXPECT_EQ((std::vector<std::string>{"internal error: can't initialise FMOD",
                                        "internal error: Can't read music!"}),
              BoxTexts());
    EXPECT_EQ(1, headless::CallCount("FSOUND_Stream_OpenMpeg"));
    EXPECT_EQ(0, track.Play());
    track.Close();
}

TEST_F(MusicTrackTest, RefusalsToPlayReachTheTrackForEveryKind) {
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(kind.path);
        headless::Reset();
        MusicTrack track(kind.path, kind.type);
        headless::FailCall(kind.type == SoundType::Module ? "FMUSIC_PlaySong"
                                                          : "FSOUND_Stream_Play");
        EXPECT_EQ(0, track.Play());
        EXPECT_TRUE(headless::MessageBoxes().empty()) << "a refusal to play shows no box";
        track.Close();
    }
}

TEST_F(MusicTrackTest, PathThatDoesNotFitIsRefusedWithoutCopyingOrOpening) {
    // "data\" + name + ".mp3": 49 characters fit with the terminator, 50 do not.
    const std::string fits = std::string(40, 'f');
    const std::string tooLong = std::string(41, 'l');
    WriteBytes(folder->Data(fits + ".mp3"), ReadBytes(folder->Data("tone.mp3")));
    WriteBytes(folder->Data(tooLong + ".mp3"), ReadBytes(folder->Data("tone.mp3")));
    const std::string fitting = "data\\" + fits + ".mp3";
    const std::string overlong = "data\\" + tooLong + ".mp3";
    ASSERT_EQ(49u, fitting.size());
    {
        MusicTrack track(fitting.c_str(), SoundType::MpegStream);
        EXPECT_TRUE(headless::MessageBoxes().empty());
        EXPECT_EQ(fitting, track.fileName);
        EXPECT_EQ(1, track.Play());
        track.Close();
    }
    headless::Reset();
    MusicTrack track(overlong.c_str(), SoundType::MpegStream);
    ExpectOneErrorBox("internal error: Can't read music!");
    EXPECT_STREQ("", track.fileName);
    // type follows fileName: a copy past the field would have overwritten it.
    EXPECT_EQ(SoundType::MpegStream, track.type);
    EXPECT_EQ(0, headless::CallCount("FSOUND_Stream_OpenMpeg"));
    EXPECT_EQ(0, track.Play());
    track.Close();
}
