// Tests of the capture tool's soundtrack export of a headless run: the WAV of what played,
// and the video mux.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/fsound.h"
#include "platform/headless/headless.h"
#include "tools/capture/soundtrack_export.h"
#include "support/headless_window.h"
#include "support/sound_files.h"
#include "support/test_files.h"
#include "support/video_probe.h"

namespace {

const int kRate = 44100;

class SoundtrackExportTest : public HeadlessTest {
protected:
    static void SetUpTestSuite() {
        folder = std::make_unique<WorkingFolder>();
        MakeToneMp3(folder->Data("tone.mp3"), 3.0, 440);
        DecodeMp3WithLame(folder->Data("tone.mp3"), folder->Data("reference.wav"));
        MakeModule(folder->Data("song.mod"));
    }
    static void TearDownTestSuite() { folder.reset(); }
    // Plays the file from clock `start` to `stop` and writes the soundtrack.
    static WavData Export(bool song, DWORD start, DWORD stop) {
        EXPECT_EQ(1, FSOUND_Init(44100, 32, 0));
        FSOUND_STREAM* stream = nullptr;
        FMUSIC_MODULE* module = nullptr;
        headless::SetClock(start);
        if (song) {
            module = FMUSIC_LoadSong("data\\song.mod");
            EXPECT_EQ(1, FMUSIC_PlaySong(module));
        } else {
            stream = FSOUND_Stream_OpenMpeg("data\\tone.mp3", 0x29);
            EXPECT_EQ(0, FSOUND_Stream_Play(FSOUND_FREE, stream));
        }
        headless::SetClock(stop);
        if (song) {
            FMUSIC_StopSong(module);
        } else {
            FSOUND_Stream_Stop(stream);
        }
        headless::SetClock(stop + 5000);  // later calls do not lengthen the soundtrack
        FSOUND_Close();
        std::string error;
        EXPECT_EQ(1, capture::WriteSoundtrackWav(folder->Data("soundtrack.wav"), &error)) << error;
        WavData wav;
        EXPECT_TRUE(ReadWav(folder->Data("soundtrack.wav"), &wav));
        EXPECT_EQ(2, wav.channels);
        EXPECT_EQ(kRate, wav.rate);
        EXPECT_EQ(16, wav.bits);
        return wav;
    }
    static std::unique_ptr<WorkingFolder> folder;
};

std::unique_ptr<WorkingFolder> SoundtrackExportTest::folder;

std::size_t Frames(const WavData& wav) { return wav.samples.size() / 2; }

double RmsOf(const WavData& wav, std::size_t fromFrame, std::size_t toFrame) {
    double sum = 0;
    for (std::size_t i = fromFrame * 2; i < toFrame * 2; ++i)
        sum += double(wav.samples[i]) * wav.samples[i];
    return std::sqrt(sum / double((toFrame - fromFrame) * 2));
}

}  // namespace

TEST_F(SoundtrackExportTest, SpanFromStartToStopMatchesTheDecodedMp3) {
    WavData wav = Export(false, 10000, 12500);
    EXPECT_EQ(std::size_t(2.5 * kRate), Frames(wav));

    WavData reference;
    ASSERT_TRUE(ReadWav(folder->Data("reference.wav"), &reference));
    ASSERT_GE(Frames(reference), std::size_t(kRate));
    int worst = 0;
    for (std::size_t i = 0; i < std::size_t(2 * kRate); ++i) {
        worst = std::max(worst, std::abs(wav.samples[i] - reference.samples[i]));
    }
    EXPECT_LE(worst, 2) << "the first second differs from lame's own decode";
    EXPECT_GT(RmsOf(wav, 0, kRate), 5000.0);
}

TEST_F(SoundtrackExportTest, StreamThatEndsBeforeTheStopIsFollowedBySilence) {
    WavData wav = Export(false, 0, 4000);
    ASSERT_EQ(std::size_t(4 * kRate), Frames(wav));
    EXPECT_GT(RmsOf(wav, 2 * kRate, 3 * kRate - 100), 5000.0);
    EXPECT_EQ(0.0, RmsOf(wav, 3 * kRate + 100, 4 * kRate));
}

TEST_F(SoundtrackExportTest, SongRepeatsUntilItIsStopped) {
    WavData wav = Export(true, 0, 20000);
    ASSERT_EQ(std::size_t(20 * kRate), Frames(wav));
    // The module's one pattern lasts under 8 s: its sound comes round again after it.
    EXPECT_GT(RmsOf(wav, 0, kRate), 1000.0);
    EXPECT_GT(RmsOf(wav, 16 * kRate, 17 * kRate), 1000.0);
}

TEST_F(SoundtrackExportTest, NoPlaybackMeansNoSoundtrack) {
    std::string error;
    EXPECT_EQ(0, capture::WriteSoundtrackWav(folder->Data("none.wav"), &error));
    EXPECT_NE(std::string::npos, error.find("no music was played")) << error;
    EXPECT_EQ(nullptr, std::fopen(folder->Data("none.wav").c_str(), "rb"));
}

TEST_F(SoundtrackExportTest, VideoCarriesFramesAndSoundtrack) {
    Export(false, 0, 2000);
    // Ten 64 x 48 frames at 5 fps: two seconds, like the soundtrack.
    for (int i = 0; i < 10; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "frame_%06d.ppm", i * 200);
        std::string ppm = "P6 64 48 255\n" + std::string(64 * 48 * 3, char(i * 25));
        WriteBytes(folder->Data(name), ppm);
    }
    std::string error;
    ASSERT_EQ(1, capture::MuxVideo(folder->Data("frame_*.ppm"), 5, folder->Data("soundtrack.wav"),
                                   folder->Data("show.mp4"), &error))
        << error;
    const VideoSummary summary = ProbeVideo(folder->Data("show.mp4"));
    ASSERT_TRUE(summary.read) << summary.streams;
    EXPECT_TRUE(summary.HasCodec("h264")) << summary.streams;
    EXPECT_TRUE(summary.HasCodec("aac")) << summary.streams;
    EXPECT_NEAR(2.0, summary.seconds, 0.1) << summary.streams;
}

TEST_F(SoundtrackExportTest, MissingFfmpegIsSaidPlainly) {
    std::string error;
    EXPECT_EQ(0, capture::MuxVideo(folder->Data("frame_*.ppm"), 5, folder->Data("soundtrack.wav"),
                                   folder->Data("never.mp4"), &error, "kelvo-no-such-ffmpeg"));
    EXPECT_NE(std::string::npos, error.find("ffmpeg is not installed")) << error;
    EXPECT_NE(std::string::npos, error.find("never.mp4")) << error;
}
