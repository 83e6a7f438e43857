// mixer_start_latency.h: a measurement for the audio latency benchmark: how long after a
// play call the mixer mixes the first sample of a stream, with the mixer opened exactly as
// the sound layers open it (platform/common/mixer_sound.h).
#pragma once

#include <string>
#include <vector>

namespace bench {

struct StartLatency {
    std::string driver;            // the audio driver SDL chose
    int rate = 0;                  // mixing rate (Hz)
    int bufferFrames = 0;          // sample frames per mixing buffer
    std::vector<double> delaysMs;  // one per start: play call to first sample mixed
};

// Opens the device on SDL's own driver choice (SDL_AUDIODRIVER included) at rate Hz,
// opens the WAV file at wavPath, which must be loud from its first sample, and starts it
// `starts` times at random moments 1 to 25 ms apart. Each delay runs from the play call
// to the mixing of the buffer holding the first sample, that sample's place in the buffer
// included. The device is closed again before the call returns. false with a message in
// error when the device or the file cannot be opened.
bool MeasureStartLatency(const std::string& wavPath, int rate, int starts, StartLatency* result,
                         std::string* error);

}  // namespace bench
