// soundtrack.cpp: the captured soundtrack, from what the headless sound layer played.
#include "tools/capture/soundtrack.h"

#include <cstdio>

#include "tools/capture/soundtrack_export.h"

namespace {

const std::uint64_t kRate = 44100;

}  // namespace

std::uint64_t SampleAtFrame(long index, int fps) {
    return (std::uint64_t(index) * kRate + fps / 2) / fps;
}

bool TakeSoundtrack(long first, long end, int fps, long stopAt,
                    std::vector<std::int16_t>* samples) {
    const std::uint64_t from = SampleAtFrame(first, fps);
    const std::uint64_t to = SampleAtFrame(end, fps);
    std::string error;
    if (!capture::SoundtrackSamples(from, to - from, samples, &error)) {
        std::fprintf(stderr, "kelvo-capture: no soundtrack: %s\n", error.c_str());
        return false;
    }
    if (stopAt >= 0) {
        // The show stops its music on that frame; the last frame is held in silence.
        const std::uint64_t stop = SampleAtFrame(stopAt, fps);
        for (std::uint64_t i = stop > from ? stop - from : 0; i < to - from; ++i)
            (*samples)[2 * i] = (*samples)[2 * i + 1] = 0;
    }
    return true;
}

bool WriteSoundtrack(const std::string& outFolder, const std::vector<std::int16_t>& samples) {
    std::string error;
    if (capture::WriteWav(outFolder + "/soundtrack.wav", samples, &error)) return true;
    std::fprintf(stderr, "kelvo-capture: no soundtrack: %s\n", error.c_str());
    return false;
}
