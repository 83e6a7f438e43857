// End-to-end test of the soundtrack in the real kelvo program: SDL's disk audio driver
// writes what the mixer plays to a file while the show runs on a private X server.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/resources/resource_ids.h"
#include "app/win_main.h"
#include "support/live_session.h"
#include "support/sound_files.h"

namespace {

const char kTitle[] = KELVO_TITLE;
const int kShowMinWidth = 400;
const int kTimeoutMs = 15000;
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
    ASSERT_EQ(0, RunTool(display.Name(), {"xdotool", "windowfocus", "--sync",
                                          std::to_string(dialog.id), "key", "Return"}));
    ASSERT_TRUE(program.WaitForWindow(kTitle, kShowMinWidth, kTimeoutMs, &show)) << program.Output();
    SleepMs(2500);
    ASSERT_EQ(0, RunTool(display.Name(), {"xdotool", "key", "--window", std::to_string(show.id),
                                          "Escape"}));
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
    auto firstSound = std::find_if(mixed.begin(), mixed.end(), [](std::int16_t s) { return s != 0; });
    ASSERT_NE(mixed.end(), firstSound) << "the driver wrote only silence";
    const std::size_t start = static_cast<std::size_t>(firstSound - mixed.begin()) & ~std::size_t(1);
    ASSERT_GE(mixed.size() - start, 2 * kRate) << "less than a second of the track was played";
    // The reference may start with samples that round to 0: align on its first sound too.
    const std::size_t offset = static_cast<std::size_t>(
        std::find_if(reference.samples.begin(), reference.samples.end(),
                     [](std::int16_t s) { return s != 0; }) - reference.samples.begin()) & ~std::size_t(1);
    int worst = 0;
    for (std::size_t i = 0; i < 2 * kRate && offset + i < reference.samples.size(); ++i) {
        worst = std::max(worst, std::abs(mixed[start + i] - reference.samples[offset + i]));
    }
    EXPECT_LE(worst, 2) << "the first second played differs from the decoded MP3";
}
