// audio_latency.cpp: how long after a play call the first sample of a stream is mixed.
//
// Opens the mixer exactly as the live sound layer does (platform/common/mixer_sound) on
// SDL's own driver choice (set SDL_AUDIODRIVER=dummy where there is no sound card), starts
// a stream that is loud from its first sample many times at random moments, and times
// each start to the mixing of the buffer that holds its first sample, that sample's place
// in the buffer included. What a sound card adds on top is its own queue, which SDL's
// ALSA and PulseAudio back ends size at one to two mixing buffers.
#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "platform/common/mixer_sound.h"

namespace {

const int kRate = 44100;
const int kTrials = 200;

std::atomic<bool> armed{false};
std::atomic<std::uint64_t> mixedAt{0};
std::atomic<int> firstFrameInBuffer{0};

// Runs on SDL's audio thread after each buffer is mixed.
void SDLCALL AfterMix(void*, Uint8* stream, int length) {
    if (!armed.load()) return;
    const std::int16_t* samples = reinterpret_cast<const std::int16_t*>(stream);
    for (int i = 0; i < length / 2; ++i) {
        if (samples[i] == 0) continue;
        firstFrameInBuffer = i / mixer_sound::kChannels;
        mixedAt = SDL_GetPerformanceCounter();
        armed = false;
        return;
    }
}

// One second of a full-scale square wave, loud from its first sample.
std::string WriteProbeWav() {
    const std::string path = "/tmp/kelvo_latency_probe.wav";
    std::vector<std::int16_t> pcm(kRate * 2);
    for (std::size_t i = 0; i < pcm.size(); ++i) pcm[i] = (i / 2 / 50) % 2 ? 20000 : -20000;
    const std::uint32_t bytes = static_cast<std::uint32_t>(pcm.size() * 2);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return "";
    auto put = [file](std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i) std::fputc(static_cast<int>((value >> (8 * i)) & 0xFF), file);
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
    const std::string probe = WriteProbeWav();
    if (probe.empty() || !mixer_sound::OpenDevice(kRate, nullptr)) {
        std::fprintf(stderr, "cannot open the audio device: %s\n", SDL_GetError());
        return 1;
    }
    FSOUND_STREAM* stream = mixer_sound::OpenStream(probe.c_str(), mixer_sound::Kind::WavStream);
    mixer_sound::Track* track = mixer_sound::FindStream(stream);
    if (track == nullptr) {
        std::fprintf(stderr, "cannot open %s: %s\n", probe.c_str(), Mix_GetError());
        return 1;
    }
    Mix_SetPostMix(AfterMix, nullptr);
    const double ticksPerMs = SDL_GetPerformanceFrequency() / 1000.0;
    std::mt19937 random(7);
    std::vector<double> delays;
    for (int trial = 0; trial < kTrials; ++trial) {
        SDL_Delay(std::uniform_int_distribution<int>(1, 25)(random));
        armed = true;
        const std::uint64_t start = SDL_GetPerformanceCounter();
        Mix_PlayMusic(track->music, 0);
        while (armed.load()) SDL_Delay(1);
        delays.push_back((mixedAt.load() - start) / ticksPerMs + firstFrameInBuffer * 1000.0 / kRate);
        Mix_HaltMusic();
    }
    Mix_SetPostMix(nullptr, nullptr);
    const std::string driver = SDL_GetCurrentAudioDriver() ? SDL_GetCurrentAudioDriver() : "?";
    mixer_sound::CloseDevice();

    const double bufferMs = mixer_sound::kBufferFrames * 1000.0 / kRate;
    const double worst = Percentile(delays, 1.0);
    std::printf("driver %s, buffer %d frames = %.1f ms, %d starts\n", driver.c_str(),
                mixer_sound::kBufferFrames, bufferMs, kTrials);
    std::printf("play -> first sample mixed: median %.1f ms, p99 %.1f ms, worst %.1f ms\n",
                Percentile(delays, 0.5), Percentile(delays, 0.99), worst);
    std::printf("with a sound card queueing two more buffers: worst %.1f ms\n", worst + 2 * bufferMs);
    return 0;
}
