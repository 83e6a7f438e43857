// synth.cpp: the instruments and effects the soundtrack is made of, rendered sample by sample.
#include "tools/assets/synth.h"

#include <algorithm>
#include <cmath>

#include "tools/assets/numbers.h"

namespace assets {

namespace {

constexpr float kTwoPi = 2.0f * kPi;
constexpr float kDt = 1.0f / kSampleRate;

long Seconds(float s) { return static_cast<long>(s * kSampleRate); }

// Zavalishin's topology-preserving state-variable filter: stable under fast cutoff changes.
// The coefficients are recomputed every 16 samples; cutoff sweeps are far slower than that.
struct Svf {
    float ic1 = 0.0f, ic2 = 0.0f;
    float low = 0.0f, band = 0.0f, high = 0.0f;
    float g = 0.0f, k = 2.0f, a1 = 1.0f;
    int countdown = 0;

    void Run(float input, float cutoff, float resonance) {
        if (--countdown < 0) {
            countdown = 15;
            g = std::tan(kPi * std::min(cutoff, 0.45f * kSampleRate) * kDt);
            k = 2.0f - 2.0f * resonance;
            a1 = 1.0f / (1.0f + g * (g + k));
        }
        const float v3 = input - ic2;
        const float v1 = a1 * ic1 + g * a1 * v3;
        const float v2 = ic2 + g * v1;
        ic1 = 2.0f * v1 - ic1;
        ic2 = 2.0f * v2 - ic2;
        low = v2;
        band = v1;
        high = input - k * v1 - v2;
    }
};

// Band-limited saw: the naive ramp with a polynomial correction at each wrap.
float PolyBlep(float t, float dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0f;
    }
    if (t > 1.0f - dt) {
        t = (t - 1.0f) / dt;
        return t * t + t + t + 1.0f;
    }
    return 0.0f;
}

struct SawOsc {
    float phase = 0.0f;
    float Next(float hz) {
        const float dt = hz * kDt;
        float value = 2.0f * phase - 1.0f - PolyBlep(phase, dt);
        phase += dt;
        if (phase >= 1.0f) phase -= 1.0f;
        return value;
    }
};

struct SquareOsc {
    float phase = 0.0f;
    float Next(float hz) {
        const float dt = hz * kDt;
        float value = phase < 0.5f ? 1.0f : -1.0f;
        value += PolyBlep(phase, dt);
        float shifted = phase + 0.5f;
        if (shifted >= 1.0f) shifted -= 1.0f;
        value -= PolyBlep(shifted, dt);
        phase += dt;
        if (phase >= 1.0f) phase -= 1.0f;
        return value;
    }
};

// Attack, decay to sustain, hold for length, release.
float Adsr(long i, long length, float attack, float decay, float sustain, float release) {
    const float t = i * kDt;
    const float gate = length * kDt;
    float level;
    if (t < attack) {
        level = t / attack;
    } else if (t < attack + decay) {
        level = 1.0f - (1.0f - sustain) * (t - attack) / decay;
    } else {
        level = sustain;
    }
    if (t > gate) {
        const float held = std::min(level, gate < attack ? gate / attack : level);
        level = held * std::max(0.0f, 1.0f - (t - gate) / release);
    }
    return level;
}

}  // namespace

PanGains::PanGains(float pan) {
    const float angle = (pan + 1.0f) * 0.25f * kPi;
    left = std::cos(angle) * 1.41421356f;
    right = std::sin(angle) * 1.41421356f;
}

float MidiToHz(float note) { return 440.0f * std::pow(2.0f, (note - 69.0f) / 12.0f); }

void AddKick(StereoBuffer& out, long at, float gain) {
    const long length = Seconds(0.45f);
    float phase = 0.0f;
    for (long i = 0; i < length; ++i) {
        const float t = i * kDt;
        const float hz = 46.0f + 150.0f * std::exp(-t / 0.025f) + 60.0f * std::exp(-t / 0.004f);
        phase += hz * kDt;
        // A hard hit that falls away fast, over a shorter boom: the loudest moment of each
        // beat is its first few milliseconds.
        const float level = 0.7f * std::exp(-t / 0.045f) + 0.3f * std::exp(-t / 0.22f);
        const float body = std::sin(kTwoPi * phase) * level;
        const float click = std::exp(-t / 0.002f) * 0.5f;
        const float attack = std::min(1.0f, t / 0.0008f);
        const float value = std::tanh(1.8f * (body + click)) * attack * gain;
        out.AddStereo(at + i, value, value);
    }
}

void AddSnare(StereoBuffer& out, long at, float gain, Random& random) {
    const long length = Seconds(0.3f);
    Svf filter;
    float phase = 0.0f;
    for (long i = 0; i < length; ++i) {
        const float t = i * kDt;
        phase += (175.0f + 60.0f * std::exp(-t / 0.01f)) * kDt;
        const float tone = std::sin(kTwoPi * phase) * std::exp(-t / 0.05f) * 0.6f;
        filter.Run(random.Range(-1.0f, 1.0f), 5200.0f, 0.2f);
        const float noise = (filter.band * 1.5f + filter.high * 0.5f) * std::exp(-t / 0.09f);
        out.AddPanned(at + i, (tone + noise) * gain, PanGains(-0.05f));
    }
}

void AddClap(StereoBuffer& out, long at, float gain, Random& random) {
    const long length = Seconds(0.35f);
    Svf filter;
    for (long i = 0; i < length; ++i) {
        const float t = i * kDt;
        // Three quick slaps, then the room.
        float envelope = std::exp(-t / 0.11f) * 0.6f;
        for (int k = 0; k < 3; ++k) {
            const float tk = t - k * 0.009f;
            if (tk >= 0.0f) envelope = std::max(envelope, std::exp(-tk / 0.004f));
        }
        filter.Run(random.Range(-1.0f, 1.0f), 1400.0f, 0.55f);
        out.AddPanned(at + i, filter.band * envelope * gain * 1.6f, PanGains(0.1f));
    }
}

void AddHat(StereoBuffer& out, long at, float gain, bool open, float pan, Random& random) {
    const PanGains gains(pan);
    const float decay = open ? 0.16f : 0.028f;
    const long length = Seconds(decay * 6.0f);
    Svf filter;
    // A few detuned squares under the noise give the metallic ring.
    const float ratios[] = {1.0f, 1.342f, 1.2312f, 1.6532f, 1.9523f, 2.1523f};
    float phases[6] = {0, 0, 0, 0, 0, 0};
    for (long i = 0; i < length; ++i) {
        const float t = i * kDt;
        float metal = 0.0f;
        for (int k = 0; k < 6; ++k) {
            phases[k] += 410.0f * ratios[k] * kDt;
            phases[k] -= std::floor(phases[k]);
            metal += phases[k] < 0.5f ? 1.0f : -1.0f;
        }
        filter.Run(metal * 0.15f + random.Range(-1.0f, 1.0f), 8000.0f, 0.1f);
        out.AddPanned(at + i, filter.high * std::exp(-t / decay) * gain, gains);
    }
}

void AddGong(StereoBuffer& out, long at, float gain, Random& random) {
    const long length = Seconds(4.0f);
    const float partials[] = {1.0f, 1.47f, 2.09f, 2.56f, 3.12f, 4.07f, 5.31f};
    const float decays[] = {2.5f, 1.8f, 1.4f, 1.1f, 0.8f, 0.6f, 0.4f};
    Svf filter;
    for (long i = 0; i < length; ++i) {
        const float t = i * kDt;
        float l = 0.0f, r = 0.0f;
        for (int k = 0; k < 7; ++k) {
            const float v =
                std::sin(kTwoPi * 88.0f * partials[k] * t * (1.0f + 0.003f * std::exp(-t))) *
                std::exp(-t / decays[k]) / (1.0f + k * 0.5f);
            (k % 2 ? l : r) += v;
        }
        filter.Run(random.Range(-1.0f, 1.0f), 3000.0f + 5000.0f * std::exp(-t / 0.3f), 0.3f);
        const float noise = filter.band * std::exp(-t / 0.7f) * 0.7f;
        const float attack = std::min(1.0f, t / 0.002f);
        out.AddStereo(at + i, (l + noise) * gain * attack, (r + noise) * gain * attack);
    }
}

void AddRiser(StereoBuffer& out, long at, long length, float gain, Random& random) {
    Svf left, right;
    for (long i = 0; i < length; ++i) {
        const float x = static_cast<float>(i) / length;
        const float cutoff = 300.0f * std::pow(40.0f, x);
        left.Run(random.Range(-1.0f, 1.0f), cutoff, 0.7f);
        right.Run(random.Range(-1.0f, 1.0f), cutoff * 1.05f, 0.7f);
        const float level = x * x * gain;
        out.AddStereo(at + i, left.band * level, right.band * level);
    }
}

void AddBass(StereoBuffer& out, long at, long length, float note, float gain, float brightness) {
    const long total = length + Seconds(0.08f);
    const float hz = MidiToHz(note);
    SawOsc saw;
    Svf filter;
    float subPhase = 0.0f;
    for (long i = 0; i < total; ++i) {
        const float t = i * kDt;
        const float envelope = Adsr(i, length, 0.004f, 0.15f, 0.75f, 0.06f);
        const float cutoff =
            hz * (1.5f + 10.0f * brightness * (0.35f + 0.65f * std::exp(-t / 0.09f)));
        filter.Run(saw.Next(hz), cutoff, 0.55f);
        subPhase += hz * kDt;
        const float sub = std::sin(kTwoPi * subPhase);
        const float value = std::tanh(1.4f * (filter.low * 0.7f + sub * 0.6f)) * envelope * gain;
        out.AddStereo(at + i, value, value);
    }
}

void AddPad(StereoBuffer& out, long at, long length, const std::vector<int>& notes, float gain,
            float brightness) {
    const float release = 0.6f;
    const long total = length + Seconds(release);
    const float detune[] = {-0.11f, 0.0f, 0.12f};
    const float pans[] = {-0.7f, 0.0f, 0.7f};
    const float level = gain / std::sqrt(static_cast<float>(notes.size()) * 3.0f);
    int voiceIndex = 0;
    for (int note : notes) {
        for (int d = 0; d < 3; ++d, ++voiceIndex) {
            SawOsc saw;
            saw.phase = static_cast<float>((voiceIndex * 37) % 100) / 100.0f;
            Svf filter;
            const float hz = MidiToHz(note + detune[d]);
            const PanGains gains(pans[(d + voiceIndex) % 3]);
            float cutoff = 0.0f;
            for (long i = 0; i < total; ++i) {
                const float t = i * kDt;
                const float envelope = Adsr(i, length, 0.35f, 0.5f, 0.85f, release);
                if ((i & 15) == 0)
                    cutoff =
                        400.0f + 2600.0f * brightness * (0.8f + 0.2f * std::sin(kTwoPi * 0.3f * t));
                filter.Run(saw.Next(hz), cutoff, 0.2f);
                out.AddPanned(at + i, filter.low * envelope * level, gains);
            }
        }
    }
}

void AddPluck(StereoBuffer& out, long at, float note, float gain, float pan, Random& random) {
    const PanGains gains(pan);
    // The loop is N samples of line, half a sample of averaging and a first-order all-pass
    // that supplies the remaining fraction, so high notes stay in tune.
    const float period = kSampleRate / MidiToHz(note);
    const int size = std::max(2, static_cast<int>(period - 1.0f));
    const float fraction = period - size - 0.5f;
    const float c = (1.0f - fraction) / (1.0f + fraction);
    std::vector<float> line(size);
    float previous = 0.0f;
    float mean = 0.0f;
    for (float& v : line) {
        const float n = random.Range(-1.0f, 1.0f);
        v = 0.7f * n + 0.3f * previous;
        previous = n;
        mean += v;
    }
    // The loop keeps any offset forever; the string must swing about zero.
    mean /= static_cast<float>(line.size());
    for (float& v : line) v -= mean;
    const long length = Seconds(2.2f);
    int index = 0;
    float lastOut = 0.0f, apIn = 0.0f, apOut = 0.0f;
    for (long i = 0; i < length; ++i) {
        const float current = line[index];
        const float average = 0.5f * (current + lastOut);
        const float tuned = c * average + apIn - c * apOut;
        apIn = average;
        apOut = tuned;
        line[index] = 0.997f * tuned;
        lastOut = current;
        if (++index == size) index = 0;
        const float attack = std::min(1.0f, i / 40.0f);
        out.AddPanned(at + i, current * gain * attack, gains);
    }
}

void AddLead(StereoBuffer& out, long at, long length, float note, float gain, float pan) {
    const PanGains gains(pan);
    const long total = length + Seconds(0.25f);
    const float hz = MidiToHz(note);
    SawOsc a, b;
    SquareOsc c;
    b.phase = 0.37f;
    Svf filter;
    for (long i = 0; i < total; ++i) {
        const float t = i * kDt;
        const float vibrato = 1.0f + 0.006f * std::sin(kTwoPi * 5.5f * t) *
                                         std::min(1.0f, std::max(0.0f, (t - 0.15f) * 4.0f));
        const float envelope = Adsr(i, length, 0.01f, 0.2f, 0.7f, 0.2f);
        const float raw = a.Next(hz * vibrato * 1.004f) + b.Next(hz * vibrato * 0.996f) +
                          0.5f * c.Next(hz * 0.5f * vibrato);
        filter.Run(raw, hz * 3.0f + 2500.0f * std::exp(-t / 0.3f), 0.35f);
        out.AddPanned(at + i, filter.low * envelope * gain * 0.4f, gains);
    }
}

void AddBell(StereoBuffer& out, long at, float note, float gain, float pan) {
    const PanGains gains(pan);
    const long length = Seconds(3.0f);
    const float hz = MidiToHz(note);
    for (long i = 0; i < length; ++i) {
        const float t = i * kDt;
        const float index = 3.0f * std::exp(-t / 0.4f);
        const float modulator = std::sin(kTwoPi * hz * 3.5f * t) * index;
        const float value = std::sin(kTwoPi * hz * t + modulator) * std::exp(-t / 0.9f) *
                            std::min(1.0f, t / 0.002f);
        out.AddPanned(at + i, value * gain, gains);
    }
}

void AddBlip(StereoBuffer& out, long at, float note, float gain, float pan) {
    const PanGains gains(pan);
    const long length = Seconds(0.22f);
    const float hz = MidiToHz(note);
    SquareOsc osc;
    Svf filter;
    for (long i = 0; i < length; ++i) {
        const float t = i * kDt;
        filter.Run(osc.Next(hz), 600.0f + 5000.0f * std::exp(-t / 0.04f), 0.3f);
        const float envelope = std::exp(-t / 0.06f) * std::min(1.0f, t / 0.001f);
        out.AddPanned(at + i, filter.low * envelope * gain, gains);
    }
}

void AddStab(StereoBuffer& out, long at, const std::vector<int>& notes, float gain) {
    const long length = Seconds(0.3f);
    const float level = gain / std::sqrt(static_cast<float>(notes.size()));
    int k = 0;
    for (int note : notes) {
        SawOsc l, r;
        r.phase = 0.5f;
        Svf fl, fr;
        const float hz = MidiToHz(static_cast<float>(note));
        for (long i = 0; i < length; ++i) {
            const float t = i * kDt;
            const float envelope = std::exp(-t / 0.07f) * std::min(1.0f, t / 0.0015f);
            const float cutoff = 900.0f + 7000.0f * std::exp(-t / 0.05f);
            fl.Run(l.Next(hz * 0.997f), cutoff, 0.3f);
            fr.Run(r.Next(hz * 1.003f), cutoff, 0.3f);
            out.AddStereo(at + i, fl.low * envelope * level, fr.low * envelope * level);
        }
        ++k;
    }
}

namespace {

struct Comb {
    std::vector<float> line;
    size_t index = 0;
    float store = 0.0f;
    explicit Comb(size_t size) : line(size, 0.0f) {}
    float Run(float input, float feedback, float damping) {
        const float output = line[index];
        store = output * (1.0f - damping) + store * damping;
        line[index] = input + store * feedback;
        if (++index == line.size()) index = 0;
        return output;
    }
};

struct Allpass {
    std::vector<float> line;
    size_t index = 0;
    explicit Allpass(size_t size) : line(size, 0.0f) {}
    float Run(float input) {
        const float delayed = line[index];
        const float output = delayed - input;
        line[index] = input + delayed * 0.5f;
        if (++index == line.size()) index = 0;
        return output;
    }
};

}  // namespace

void AddReverb(const StereoBuffer& send, StereoBuffer& out, float size, float damping, float wet) {
    // Freeverb's tunings; the right channel's lines are a little longer for width.
    const size_t combSizes[] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
    const size_t allpassSizes[] = {556, 441, 341, 225};
    const size_t spread = 23;
    std::vector<Comb> combsL, combsR;
    std::vector<Allpass> allpassL, allpassR;
    for (size_t s : combSizes) {
        combsL.emplace_back(s);
        combsR.emplace_back(s + spread);
    }
    for (size_t s : allpassSizes) {
        allpassL.emplace_back(s);
        allpassR.emplace_back(s + spread);
    }
    const float feedback = 0.7f + 0.28f * size;
    for (size_t i = 0; i < send.Size(); ++i) {
        const float input = (send.left[i] + send.right[i]) * 0.015f;
        float l = 0.0f, r = 0.0f;
        for (size_t k = 0; k < combsL.size(); ++k) {
            l += combsL[k].Run(input, feedback, damping);
            r += combsR[k].Run(input, feedback, damping);
        }
        for (size_t k = 0; k < allpassL.size(); ++k) {
            l = allpassL[k].Run(l);
            r = allpassR[k].Run(r);
        }
        out.left[i] += l * wet;
        out.right[i] += r * wet;
    }
}

void AddPingPongDelay(const StereoBuffer& send, StereoBuffer& out, long delay, float feedback,
                      float wet) {
    std::vector<float> lineL(delay, 0.0f), lineR(delay, 0.0f);
    float toneL = 0.0f, toneR = 0.0f;
    size_t index = 0;
    for (size_t i = 0; i < send.Size(); ++i) {
        const float echoL = lineL[index], echoR = lineR[index];
        // Each echo crosses to the other side and loses some top end.
        toneL += 0.35f * (echoR - toneL);
        toneR += 0.35f * (echoL - toneR);
        lineL[index] = (send.left[i] + send.right[i]) * 0.5f + toneL * feedback;
        lineR[index] = toneR * feedback;
        if (++index == static_cast<size_t>(delay)) index = 0;
        out.left[i] += echoL * wet;
        out.right[i] += echoR * wet;
    }
}

}  // namespace assets
