// Tests of the sound library layer (platform/fsound.h) as the headless layer provides it:
// the same SDL2_mixer opening code as the live layer, on the dummy driver.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/fsound.h"
#include "platform/headless/headless.h"
#include "support/headless_window.h"
#include "support/sound_files.h"
#include "support/test_files.h"

namespace {

class SoundLayerTest : public HeadlessTest {
protected:
    static void SetUpTestSuite() {
        folder = MakeSoundFolder();
        WriteBytes(folder->Data("empty.mp3"), "");
        WriteBytes(folder->Data("garbage.mp3"), std::string(4000, '\x5a'));
        const std::string mp3 = ReadBytes(folder->Data("tone.mp3"));
        WriteBytes(folder->Data("truncated.mp3"), mp3.substr(0, mp3.size() / 3));
    }
    static void TearDownTestSuite() { folder.reset(); }
    void SetUp() override {
        HeadlessTest::SetUp();
        ASSERT_EQ(1, FSOUND_Init(44100, 32, 0));
    }
    static std::unique_ptr<WorkingFolder> folder;
};

std::unique_ptr<WorkingFolder> SoundLayerTest::folder;

enum class Opener { Mpeg, Wav, Song };

bool Opens(Opener opener, const char* path) {
    switch (opener) {
    case Opener::Mpeg: {
        FSOUND_STREAM* stream = FSOUND_Stream_OpenMpeg(path, 0x29);
        return stream != nullptr && FSOUND_Stream_Close(stream) == 1;
    }
    case Opener::Wav: {
        FSOUND_STREAM* stream = FSOUND_Stream_OpenWav(path, 0x2B);
        return stream != nullptr && FSOUND_Stream_Close(stream) == 1;
    }
    case Opener::Song: {
        FMUSIC_MODULE* song = FMUSIC_LoadSong(path);
        return song != nullptr && FMUSIC_FreeSong(song) == 1;
    }
    }
    return false;
}

}  // namespace

TEST_F(SoundLayerTest, EachCallOpensItsOwnKindOfFileAndNothingElse) {
    struct Case {
        Opener opener;
        const char* path;
        bool opens;
    };
    const Case cases[] = {
        {Opener::Mpeg, "data\\tone.mp3", true},
        {Opener::Mpeg, "data\\tone.wav", false},
        {Opener::Mpeg, "data\\truncated.mp3", true},
        {Opener::Mpeg, "data\\empty.mp3", false},
        {Opener::Mpeg, "data\\garbage.mp3", false},
        {Opener::Mpeg, "data\\missing.mp3", false},
        {Opener::Mpeg, "data", false},
        {Opener::Mpeg, "", false},
        {Opener::Mpeg, nullptr, false},
        {Opener::Wav, "data\\tone.wav", true},
        {Opener::Wav, "data\\tone.mp3", false},
        {Opener::Wav, "data\\empty.mp3", false},
        {Opener::Song, "data\\song.mod", true},
        {Opener::Song, "data\\empty.mp3", false},
        {Opener::Song, "data\\missing.mod", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.opens, Opens(c.opener, c.path))
            << "opener " << static_cast<int>(c.opener) << " on " << (c.path ? c.path : "null");
    }
}

TEST_F(SoundLayerTest, ProgramPathsAreTranslatedWithTheCaseOfWindows) {
    EXPECT_TRUE(Opens(Opener::Mpeg, "data\\TONE.MP3"));
    EXPECT_TRUE(Opens(Opener::Wav, "DATA\\Tone.wav"));
    EXPECT_TRUE(Opens(Opener::Song, "data/song.mod"));
}

TEST_F(SoundLayerTest, NullUnknownFreedAndStaleHandlesAreRefused) {
    FSOUND_STREAM* closed = FSOUND_Stream_OpenMpeg("data\\tone.mp3", 0x29);
    ASSERT_NE(nullptr, closed);
    ASSERT_EQ(1, FSOUND_Stream_Close(closed));
    FMUSIC_MODULE* freed = FMUSIC_LoadSong("data\\song.mod");
    ASSERT_NE(nullptr, freed);
    ASSERT_EQ(1, FMUSIC_FreeSong(freed));
    // A handle of the other kind: the stream's token passed as a song and back.
    FSOUND_STREAM* open = FSOUND_Stream_OpenWav("data\\tone.wav", 0x2B);
    ASSERT_NE(nullptr, open);
    FMUSIC_MODULE* song = FMUSIC_LoadSong("data\\song.mod");
    ASSERT_NE(nullptr, song);
    int on_stack = 0;

    FSOUND_STREAM* badStreams[] = {nullptr, closed, reinterpret_cast<FSOUND_STREAM*>(&on_stack),
                                   reinterpret_cast<FSOUND_STREAM*>(song)};
    for (FSOUND_STREAM* stream : badStreams) {
        EXPECT_EQ(-1, FSOUND_Stream_Play(FSOUND_FREE, stream));
        EXPECT_EQ(0, FSOUND_Stream_Stop(stream));
        EXPECT_EQ(0, FSOUND_Stream_Close(stream));
    }
    FMUSIC_MODULE* badSongs[] = {nullptr, freed, reinterpret_cast<FMUSIC_MODULE*>(&on_stack),
                                 reinterpret_cast<FMUSIC_MODULE*>(open)};
    for (FMUSIC_MODULE* badSong : badSongs) {
        EXPECT_EQ(-1, FMUSIC_PlaySong(badSong));
        EXPECT_EQ(0, FMUSIC_StopSong(badSong));
        EXPECT_EQ(0, FMUSIC_FreeSong(badSong));
    }
    EXPECT_TRUE(headless::SoundEvents().empty());

    // Closing the library frees what is still open: those handles are refused too.
    FSOUND_Close();
    ASSERT_EQ(1, FSOUND_Init(44100, 32, 0));
    EXPECT_EQ(-1, FSOUND_Stream_Play(FSOUND_FREE, open));
    EXPECT_EQ(-1, FMUSIC_PlaySong(song));
}

TEST_F(SoundLayerTest, NothingOpensWithoutTheLibraryAndBadRatesAreRefused) {
    FSOUND_Close();
    EXPECT_EQ(nullptr, FSOUND_Stream_OpenMpeg("data\\tone.mp3", 0x29));
    EXPECT_EQ(nullptr, FMUSIC_LoadSong("data\\song.mod"));
    for (int rate : {0, -44100, 3999, 192001}) EXPECT_EQ(0, FSOUND_Init(rate, 32, 0)) << rate;
    EXPECT_EQ(1, FSOUND_Init(44100, 32, 0));
    EXPECT_EQ(1, FSOUND_Init(44100, 32, 0)) << "a second init leaves the open library alone";
    EXPECT_NE(nullptr, FMUSIC_LoadSong("data\\song.mod"));
}

TEST_F(SoundLayerTest, StartsAndStopsAreRecordedOnTheVirtualClock) {
    FSOUND_STREAM* stream = FSOUND_Stream_OpenMpeg("data\\tone.mp3", 0x29);
    FMUSIC_MODULE* song = FMUSIC_LoadSong("data\\song.mod");
    headless::SetClock(1000);
    EXPECT_EQ(0, FSOUND_Stream_Play(FSOUND_FREE, stream));
    headless::SetClock(1500);
    EXPECT_EQ(1, FSOUND_Stream_Stop(stream));
    headless::SetClock(2000);
    EXPECT_EQ(1, FMUSIC_PlaySong(song));
    headless::SetClock(2600);
    EXPECT_EQ(1, FMUSIC_FreeSong(song));
    headless::FailCall("FSOUND_Stream_Play", 1);
    EXPECT_EQ(-1, FSOUND_Stream_Play(FSOUND_FREE, stream));
    headless::FailCall("FMUSIC_PlaySong", 1);
    EXPECT_EQ(-1, FMUSIC_PlaySong(song));

    const std::vector<headless::SoundEvent>& events = headless::SoundEvents();
    ASSERT_EQ(4u, events.size());
    EXPECT_EQ("FSOUND_Stream_Play", events[0].call);
    EXPECT_EQ(1000u, events[0].clock);
    EXPECT_EQ("FSOUND_Stream_Stop", events[1].call);
    EXPECT_EQ(1500u, events[1].clock);
    EXPECT_EQ("FMUSIC_PlaySong", events[2].call);
    EXPECT_EQ(2000u, events[2].clock);
    EXPECT_EQ("FMUSIC_FreeSong", events[3].call);
    EXPECT_EQ(2600u, events[3].clock);
}
