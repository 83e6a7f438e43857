// synth.h: the instruments and effects the soundtrack is made of, rendered sample by sample.
//
// Every voice adds itself into a stereo buffer at a sample offset; nothing is streamed, so the
// whole track is a sum of independent notes and the result is the same on every run. Times are
// in samples at kSampleRate, pitches in MIDI note numbers (69 is A 440 Hz), gains linear.
#pragma once

#include <cstddef>
#include <vector>

#include "tools/assets/random.h"

namespace assets {

constexpr int kSampleRate = 44100;

// Equal-power gains for a pan position (-1 left, 0 centre, 1 right).
struct PanGains {
    float left, right;
    explicit PanGains(float pan);
};

struct StereoBuffer {
    std::vector<float> left, right;

    explicit StereoBuffer(size_t samples) : left(samples, 0.0f), right(samples, 0.0f) {}
    size_t Size() const { return left.size(); }
    void AddPanned(long i, float value, PanGains pan) {
        AddStereo(i, value * pan.left, value * pan.right);
    }
    void AddStereo(long i, float l, float r) {
        if (i >= 0 && static_cast<size_t>(i) < left.size()) {
            left[i] += l;
            right[i] += r;
        }
    }
};

float MidiToHz(float note);

// Drums.
void AddKick(StereoBuffer& out, long at, float gain);
void AddSnare(StereoBuffer& out, long at, float gain, Random& random);
void AddClap(StereoBuffer& out, long at, float gain, Random& random);
void AddHat(StereoBuffer& out, long at, float gain, bool open, float pan, Random& random);
// A long metallic crash with a low body, for the starts of big sections.
void AddGong(StereoBuffer& out, long at, float gain, Random& random);
// Filtered noise that swells over length samples and stops dead at its end.
void AddRiser(StereoBuffer& out, long at, long length, float gain, Random& random);

// Pitched voices.
// Saw and sub bass through a resonant low-pass; brightness 0..1 opens the filter.
void AddBass(StereoBuffer& out, long at, long length, float note, float gain, float brightness);
// Detuned saws per note, slow attack and release, spread across the stereo field.
void AddPad(StereoBuffer& out, long at, long length, const std::vector<int>& notes, float gain,
            float brightness);
// A plucked string (Karplus-Strong), bright attack and a long ringing decay.
void AddPluck(StereoBuffer& out, long at, float note, float gain, float pan, Random& random);
// A singing lead: detuned saws and a square, delayed vibrato, low-pass.
void AddLead(StereoBuffer& out, long at, long length, float note, float gain, float pan);
// A glassy FM bell.
void AddBell(StereoBuffer& out, long at, float note, float gain, float pan);
// A short square arpeggio note.
void AddBlip(StereoBuffer& out, long at, float note, float gain, float pan);
// A short, bright chord hit.
void AddStab(StereoBuffer& out, long at, const std::vector<int>& notes, float gain);

// Effects: read a send buffer and add the wet signal into out.
void AddReverb(const StereoBuffer& send, StereoBuffer& out, float size, float damping, float wet);
void AddPingPongDelay(const StereoBuffer& send, StereoBuffer& out, long delay, float feedback,
                      float wet);

}  // namespace assets
