// assets_soundtrack_test.cpp: the generated "kelvo32.mp3", decoded by libmpg123 (the decoder
// the music layer's SDL2_mixer plays MP3 with): its length, rate and beat.
#include <gtest/gtest.h>
#include <mpg123.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "app/win_main.h"
#include "demo/flash_table.h"
#include "support/generated_data.h"

namespace {

struct Decoded {
    long rate = 0;
    int channels = 0;
    std::vector<float> mono;  // the two channels averaged
};

// Decodes with libmpg123's defaults, as the music layer's decoder does (the LAME info frame's
// encoder delay and padding are honoured).
bool Decode(const std::string& path, Decoded* out) {
    mpg123_init();
    int error = 0;
    mpg123_handle* handle = mpg123_new(nullptr, &error);
    if (!handle) return false;
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_FORCE_FLOAT, 0.0);
    bool ok = mpg123_open(handle, path.c_str()) == MPG123_OK;
    int encoding = 0;
    ok = ok && mpg123_getformat(handle, &out->rate, &out->channels, &encoding) == MPG123_OK;
    ok = ok && encoding == MPG123_ENC_FLOAT_32 && out->channels > 0;
    std::vector<float> buffer(16384);
    while (ok) {
        size_t bytes = 0;
        const int result = mpg123_read(handle, reinterpret_cast<unsigned char*>(buffer.data()),
                                       buffer.size() * sizeof(float), &bytes);
        const size_t frames = bytes / sizeof(float) / out->channels;
        for (size_t i = 0; i < frames; ++i) {
            float sum = 0.0f;
            for (int c = 0; c < out->channels; ++c) sum += buffer[i * out->channels + c];
            out->mono.push_back(sum / out->channels);
        }
        if (result == MPG123_DONE) break;
        if (result != MPG123_OK && result != MPG123_NEW_FORMAT) ok = false;
    }
    mpg123_close(handle);
    mpg123_delete(handle);
    return ok;
}

// Loudness per millisecond: RMS over the 10 ms that start there.
std::vector<float> Envelope(const Decoded& sound) {
    const size_t window = static_cast<size_t>(sound.rate / 100);
    std::vector<float> envelope;
    for (size_t ms = 0;; ++ms) {
        const size_t start = ms * static_cast<size_t>(sound.rate) / 1000;
        if (start + window > sound.mono.size()) break;
        double sum = 0.0;
        for (size_t i = start; i < start + window; ++i) sum += sound.mono[i] * sound.mono[i];
        envelope.push_back(static_cast<float>(std::sqrt(sum / window)));
    }
    return envelope;
}

// The millisecond of the loudest moment within 80 ms either side of t.
int PeakNear(const std::vector<float>& envelope, int t) {
    int best = t;
    for (int ms = std::max(0, t - 80); ms <= t + 80 && ms < static_cast<int>(envelope.size());
         ++ms) {
        if (envelope[ms] > envelope[best]) best = ms;
    }
    return best;
}

class Soundtrack : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const std::string folder = GeneratedDataFolder();
        decoded = std::make_unique<Decoded>();
        decodedOk = !folder.empty() && Decode(folder + "/" + kSoundtrackName, decoded.get());
    }
    static void TearDownTestSuite() { decoded.reset(); }
    void SetUp() override { ASSERT_TRUE(decodedOk) << "kelvo32.mp3 does not decode"; }

    static std::unique_ptr<Decoded> decoded;
    static bool decodedOk;
};

std::unique_ptr<Decoded> Soundtrack::decoded;
bool Soundtrack::decodedOk = false;

}  // namespace

TEST_F(Soundtrack, DecodesToStereoAt44100HzForTheWholeShow) {
    EXPECT_EQ(44100, decoded->rate);
    EXPECT_EQ(2, decoded->channels);
    EXPECT_GE(decoded->mono.size(), static_cast<size_t>(207.1 * 44100));
}

TEST_F(Soundtrack, LoudestOnTheFirstSixteenBeatsAndOnEveryFlash) {
    const std::vector<float> envelope = Envelope(*decoded);
    std::vector<int> instants;
    for (int beat = 0; beat < 16; ++beat)
        instants.push_back(static_cast<int>(std::lround(beat * 60000.0 / 144.0)));
    instants.insert(instants.end(), std::begin(kFlashTimes), std::end(kFlashTimes));
    for (int t : instants) EXPECT_NEAR(t, PeakNear(envelope, t), 20) << "instant " << t << " ms";
}

TEST_F(Soundtrack, FadesOutAfterTheShow) {
    const std::vector<float> envelope = Envelope(*decoded);
    ASSERT_GT(envelope.size(), 208500u);
    float show = 0.0f, tail = 0.0f;
    for (int ms = 200000; ms < 207000; ++ms) show = std::max(show, envelope[ms]);
    for (int ms = 208500; ms < static_cast<int>(envelope.size()); ++ms)
        tail = std::max(tail, envelope[ms]);
    EXPECT_GT(show, 0.1f);
    EXPECT_LT(tail, show * 0.1f);
}
