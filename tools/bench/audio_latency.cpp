// audio_latency.cpp: how long after a play call the first sample of a stream is mixed.
//
// Opens the mixer exactly as the live and Windows builds' sound code does
// (platform/common/sound.cpp), on SDL's own driver choice (set SDL_AUDIODRIVER=dummy where
// there is no sound card), starts a stream that is loud from its first sample many times at
// random moments, and times each start to the mixing of the buffer that holds its first
// sample, that sample's place in the buffer included (tools/bench/mixer_start_latency.h).
// What a sound card adds on top is its own queue, which SDL's ALSA and PulseAudio back ends
// size at one to two mixing buffers.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

#include "tools/bench/mixer_start_latency.h"

namespace {

const int kRate = 44100;
const int kTrials = 200;

// A folder of this run's own under $TMPDIR (or /tmp), so no other file is touched.
std::string MakeProbeFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/kelvo_latency_XXXXXX";
    return mkdtemp(pattern.data()) ? pattern : "";
}

// One second of a full-scale square wave, loud from its first sample.
std::string WriteProbeWav(const std::string& folder) {
    if (folder.empty()) return "";
    const std::string path = folder + "/probe.wav";
    std::vector<std::int16_t> pcm(kRate * 2);
    for (std::size_t i = 0; i < pcm.size(); ++i) pcm[i] = (i / 2 / 50) % 2 ? 20000 : -20000;
    const std::uint32_t bytes = static_cast<std::uint32_t>(pcm.size() * 2);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return "";
    auto put = [file](std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i)
            std::fputc(static_cast<int>((value >> (8 * i)) & 0xFF), file);
    };
    std::fputs("RIFF", file);
    put(36 + bytes, 4);
    std::fputs("WAVEfmt ", file);
    put(16, 4);
    put(1, 2);
    put(2, 2);
    put(kRate, 4);
    put(kRate * 4, 4);
    put(4, 2);
    put(16, 2);
    std::fputs("data", file);
    put(bytes, 4);
    for (std::int16_t sample : pcm) put(static_cast<std::uint16_t>(sample), 2);
    std::fclose(file);
    return path;
}

double Percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(fraction * (values.size() - 1))];
}

}  // namespace

int main() {
    const std::string folder = MakeProbeFolder();
    const std::string probe = WriteProbeWav(folder);
    bench::StartLatency run;
    std::string error = "cannot write the probe WAV file";
    const bool measured =
        !probe.empty() && bench::MeasureStartLatency(probe, kRate, kTrials, &run, &error);
    if (!probe.empty()) std::remove(probe.c_str());
    if (!folder.empty()) rmdir(folder.c_str());
    if (!measured) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const double bufferMs = run.bufferFrames * 1000.0 / kRate;
    const double worst = Percentile(run.delaysMs, 1.0);
    std::printf("driver %s, buffer %d frames = %.1f ms, %d starts\n", run.driver.c_str(),
                run.bufferFrames, bufferMs, kTrials);
    std::printf("play -> first sample mixed: median %.1f ms, p99 %.1f ms, worst %.1f ms\n",
                Percentile(run.delaysMs, 0.5), Percentile(run.delaysMs, 0.99), worst);
    std::printf("with a sound card queueing two more buffers: worst %.1f ms\n",
                worst + 2 * bufferMs);
    return 0;
}
