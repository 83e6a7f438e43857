// soundtrack.h: composing and writing "kelvo32.mp3", 144 beats per minute from its first sample.
#pragma once

#include <string>

#include "tools/assets/numbers.h"
#include "tools/assets/synth.h"

namespace assets {

constexpr long kSamplesPerBeat = kSampleRate * 60L / kBeatsPerMinute;
static_assert(kSampleRate * 60L % kBeatsPerMinute == 0, "every beat starts on a sample");
constexpr int kLastBeat = 496;  // the closing hit; the show stops 207.1 s in
constexpr float kFadeStartSeconds = 207.0f;
constexpr float kSoundtrackSeconds = 209.0f;

// The finished mix, kSoundtrackSeconds long, peaks within [-1, 1].
StereoBuffer ComposeSoundtrack();

// Composes the mix and encodes it to path. Returns 1, or 0 when encoding or writing fails.
int WriteSoundtrack(const std::string& path);

}  // namespace assets
