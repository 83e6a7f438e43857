// End-to-end test of the soundtrack in the real kelvo program: SDL's disk audio driver
// writes what the mixer plays to a file while the show runs on a private X server.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/win_main.h"
#include "support/live_session.h"
#include "support/sound_files.h"
#include "support/test_files.h"

namespace {

const std::size_t kRate = 44100;

std::vector<std::int16_t> ReadRawPcm(const std::string& path) {
    const std::string bytes = ReadBytes(path);
    std::vector<std::int16_t> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<std::int16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                               (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    }
    return samples;
}

// The first stereo frame with sound in it (its left sample's index), or the end.
std::size_t FirstSound(const std::vector<std::int16_t>& samples) {
    const auto first =
        std::find_if(samples.begin(), samples.end(), [](std::int16_t s) { return s != 0; });
    return first == samples.end()
               ? samples.size()
               : static_cast<std::size_t>(first - samples.begin()) & ~std::size_t(1);
}

std::size_t SamplesFromFirstSound(const std::vector<std::int16_t>& samples) {
    return samples.size() - FirstSound(samples);
}

}  // namespace

TEST(E2eSoundtrack, ShowPlaysTheDecodedSoundtrackThroughTheAudioDriver) {
    PrivateDisplay display(false);
    ASSERT_TRUE(display.Ready()) << display.Problem();
    TempFolder folder;
    const std::string diskFile = folder / "mixed.raw";
    LiveProgram program(display.Name(), {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + diskFile});
    ASSERT_TRUE(program.Started());
    ScreenWindow dialog, show;
    ASSERT_TRUE(program.WaitForWindow(kTitle, 1, kTimeoutMs, &dialog)) << program.Output();
    ASSERT_EQ(0, TypeKeys(display.Name(), dialog.id, {"Return"}));
    ASSERT_TRUE(program.WaitForWindow(kTitle, kShowMinWidth, kTimeoutMs, &show))
        << program.Output();
    // The show plays until the driver has written a second of the track after its first sound.
    EXPECT_TRUE(program.WaitUntil(
        [&] { return SamplesFromFirstSound(ReadRawPcm(diskFile)) >= 2 * kRate; }, kTimeoutMs))
        << "less than a second of the track was played";
    ASSERT_EQ(0, RunTool(display.Name(),
                         {"xdotool", "key", "--window", std::to_string(show.id), "Escape"}));
    int exitCode = -1;
    ASSERT_TRUE(program.WaitForExit(kTimeoutMs, &exitCode)) << program.Output();
    EXPECT_EQ(0, exitCode) << program.Output();

    DecodeMp3WithLame(program.WorkDir() + "/data/" + kSoundtrackName, folder / "reference.wav");
    WavData reference;
    ASSERT_TRUE(ReadWav(folder / "reference.wav", &reference));
    ASSERT_EQ(2, reference.channels);
    ASSERT_GE(reference.samples.size(), 2 * kRate);

    // Silence from the device's opening at start-up until the show's clock starts.
    const std::vector<std::int16_t> mixed = ReadRawPcm(diskFile);
    const std::size_t start = FirstSound(mixed);
    ASSERT_NE(mixed.size(), start) << "the driver wrote only silence";
    ASSERT_GE(mixed.size() - start, 2 * kRate) << "less than a second of the track was played";
    // The reference may start with samples that round to 0: align on its first sound too.
    const std::size_t offset = FirstSound(reference.samples);
    int worst = 0;
    for (std::size_t i = 0; i < 2 * kRate && offset + i < reference.samples.size(); ++i) {
        worst = std::max(worst, std::abs(mixed[start + i] - reference.samples[offset + i]));
    }
    EXPECT_LE(worst, 2) << "the first second played differs from the decoded MP3";
}
