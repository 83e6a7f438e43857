// soundtrack.cpp: composing and writing "kelvo32.mp3", 144 beats per minute from its first sample.
//
// A minor pentatonic tune over four-bar chord loops. Every beat has a kick; each scene of the
// show gets its own section (instruments, chords, drum pattern) starting on its first beat, and
// the run of picture flashes (beats 145 to 207) gets a chord stab on every beat.
#include "tools/assets/soundtrack.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "demo/flash_table.h"
#include "demo/scene_table.h"
#include "tools/assets/mp3_writer.h"

namespace assets {

namespace {

// The beat nearest to a time of the show (ms).
constexpr int NearestBeat(int ms) { return (ms * kBeatsPerMinute + 30000) / 60000; }

// The beats nearest to the starts of the show's scenes: the music's sections start there.
struct SectionStarts {
    int beats[kSceneRows];
};

constexpr SectionStarts MakeSectionStarts() {
    SectionStarts starts{};
    int startMs = 0;
    for (int i = 0; i < kSceneRows; ++i) {
        starts.beats[i] = NearestBeat(startMs);
        startMs += kSceneTable[i].duration;
    }
    return starts;
}

constexpr SectionStarts kSectionStarts = MakeSectionStarts();

enum class Section {
    Intro,
    Count,
    Tube,
    Tube2,
    Lines,
    City,
    Planes,
    Planes2,
    Void,
    Double,
    Build,
    Wheels,
    Finale
};

static_assert(static_cast<int>(Section::Finale) + 1 == kSceneRows, "a section for every scene");

// The run of picture flashes, a beat each.
constexpr int kFirstFlashBeat = NearestBeat(kFlashTimes[0]);
constexpr int kLastFlashBeat = NearestBeat(kFlashTimes[kFlashCount - 1]);
constexpr float kDrumLevel = 0.8f;
constexpr float kMusicLevel = 1.5f;

struct Chord {
    int bass;              // MIDI note of the bass, around the second octave
    std::vector<int> pad;  // the pad's voicing
};

Chord Transposed(const Chord& chord, int semitones) {
    Chord result = chord;
    result.bass += semitones;
    for (int& note : result.pad) note += semitones;
    return result;
}

const Chord kAm7{45, {57, 60, 64, 67}};
const Chord kFmaj7{41, {53, 57, 60, 64}};
const Chord kC{48, {52, 55, 60, 64}};
const Chord kG{43, {55, 59, 62, 67}};
const Chord kEm7{40, {55, 59, 62, 64}};
const Chord kDm7{38, {53, 57, 60, 62}};
const Chord kAm9{45, {57, 59, 60, 64}};

struct Note {
    float beat;    // from the start of the phrase
    float length;  // beats
    int pitch;     // MIDI
};

// The main theme: four bars over Am7 F C G, then its answer, which comes home to A.
const std::vector<Note> kTheme = {
    {0, 1, 76},        {1, 0.5f, 81},  {1.5f, 0.5f, 79},  {2, 1, 76},  {3, 0.5f, 74},
    {3.5f, 0.5f, 76},  {4, 1.5f, 72},  {5.5f, 0.5f, 69},  {6, 1, 72},  {7, 1, 74},
    {8, 1, 76},        {9, 0.5f, 79},  {9.5f, 0.5f, 81},  {10, 1, 79}, {11, 0.5f, 76},
    {11.5f, 0.5f, 74}, {12, 1.5f, 74}, {13.5f, 0.5f, 72}, {14, 2, 74},
};
const std::vector<Note> kThemeAnswer = {
    {0, 1, 76},    {1, 0.5f, 81},    {1.5f, 0.5f, 79}, {2, 1, 76},  {3, 0.5f, 74}, {3.5f, 0.5f, 76},
    {4, 1.5f, 72}, {5.5f, 0.5f, 69}, {6, 1, 72},       {7, 1, 74},  {8, 1, 76},    {9, 1, 74},
    {10, 1, 72},   {11, 1, 67},      {12, 1, 69},      {13, 1, 72}, {14, 2, 69},
};
// The slow, airy tune of the plane scenes, over Dm7 Am7 Fmaj7 G.
const std::vector<Note> kSkyTune = {
    {0, 2, 74}, {2, 1, 77},  {3, 1, 76},  {4, 3, 72},  {7, 1, 69},
    {8, 2, 72}, {10, 1, 76}, {11, 1, 77}, {12, 3, 79}, {15, 1, 74},
};
// The long lines of the glowing-line scene, over Fmaj7 G Am7 Am7.
const std::vector<Note> kLineTune = {
    {0, 3, 72}, {3, 1, 74}, {4, 3, 76}, {7, 1, 79}, {8, 6, 76}, {14, 2, 74},
};

long At(double beat) { return std::lround(beat * kSamplesPerBeat); }
long Beats(double beats) { return std::lround(beats * kSamplesPerBeat); }

Section SectionOf(int beat) {
    int index = 0;
    for (int i = 0; i < kSceneRows; ++i) {
        if (beat >= kSectionStarts.beats[i]) index = i;
    }
    return static_cast<Section>(index);
}

class Composer {
public:
    Composer()
        : total(static_cast<size_t>(kSoundtrackSeconds * kSampleRate)),
          drums(total),
          music(total),
          echo(total),
          random(144) {}

    StereoBuffer Compose() {
        for (int bar = 0; bar * 4 <= kLastBeat; ++bar) Bar(bar * 4);
        Ending();
        return Mix();
    }

private:
    size_t total;
    // The tonal parts go to music, or to echo when they also feed the ping-pong delay; both
    // and a little of the drums feed the reverb.
    StereoBuffer drums, music, echo;
    Random random;

    static int SectionStart(int beat) {
        int start = 0;
        for (int s : kSectionStarts.beats) {
            if (beat >= s) start = s;
        }
        return start;
    }

    Chord ChordAt(int beat) const {
        const int bar = (beat - SectionStart(beat)) / 4;
        switch (SectionOf(beat)) {
        case Section::Tube2:
        case Section::Double: {
            const Chord loop[] = {kAm7, kEm7, kFmaj7, kG};
            return loop[bar % 4];
        }
        case Section::Lines: {
            const Chord loop[] = {kFmaj7, kG, kAm7, kAm7};
            return loop[bar % 4];
        }
        case Section::Planes:
        case Section::Planes2: {
            const Chord loop[] = {kDm7, kAm7, kFmaj7, kG};
            return loop[bar % 4];
        }
        case Section::Void: return (bar / 4) % 2 ? kFmaj7 : kAm9;
        case Section::Build: return Transposed(kG, 0);
        case Section::Wheels:
        case Section::Finale: {
            const Chord loop[] = {kAm7, kFmaj7, kC, kG};
            return Transposed(loop[bar % 4], 2);
        }
        default: {
            const Chord loop[] = {kAm7, kFmaj7, kC, kG};
            return loop[bar % 4];
        }
        }
    }

    // Adds a phrase that starts at beat `start`, only the notes that begin before `limit`.
    void Phrase(const std::vector<Note>& notes, int start, int shift, float gain, float pan,
                bool pluck, bool echoed) {
        for (const Note& n : notes) {
            const double beat = start + n.beat;
            const int pitch = n.pitch + shift;
            StereoBuffer& bus = echoed ? echo : music;
            if (pluck) {
                AddPluck(bus, At(beat), pitch, gain, pan, random);
            } else {
                AddLead(bus, At(beat), Beats(n.length * 0.92), pitch, gain, pan);
            }
        }
    }

    void Kick(int beat, float gain) { AddKick(drums, At(beat), gain); }

    void Hats(int beat, float gain, bool sixteenths, bool openOffbeat) {
        for (int s = 0; s < 4; ++s) {
            if (!sixteenths && s % 2 == 1) continue;
            if (s == 0) continue;
            if (s == 2 && openOffbeat) {
                AddHat(drums, At(beat + 0.5), gain * 0.9f, true, 0.25f, random);
            } else {
                const float accent = s == 2 ? 1.0f : 0.6f;
                AddHat(drums, At(beat + s * 0.25), gain * accent, false, -0.2f, random);
            }
        }
    }

    void Pad(int beat, int beats, const Chord& chord, float gain, float brightness) {
        AddPad(music, At(beat), Beats(beats), chord.pad, gain, brightness);
    }

    void RollingBass(int beat, const Chord& chord, float gain, float brightness) {
        for (int s = 1; s < 4; ++s) {
            const int pitch = chord.bass + (s == 2 ? 12 : 0);
            AddBass(music, At(beat + s * 0.25), Beats(0.2), pitch, gain, brightness);
        }
    }

    void OffbeatBass(int beat, const Chord& chord, float gain, float brightness) {
        AddBass(music, At(beat + 0.5), Beats(0.4), chord.bass, gain, brightness);
    }

    void Arp(int beat, const Chord& chord, float gain, bool sixteenths, int octave) {
        const int steps = sixteenths ? 4 : 2;
        const int order[] = {0, 2, 1, 3, 2, 1, 3, 0};
        for (int s = 0; s < steps; ++s) {
            const int index = order[((beat % 4) * steps + s) % 8];
            const int pitch = chord.pad[index % chord.pad.size()] + 12 * octave;
            const double at = beat + s * (1.0 / steps);
            const float pan = (s % 2) ? 0.45f : -0.45f;
            AddBlip(echo, At(at), pitch, gain, pan);
        }
    }

    // One bar of four beats starting at beat b0 (a multiple of 4).
    void Bar(int b0) {
        const Section section = SectionOf(b0);
        const int start = SectionStart(b0);
        const int inSection = b0 - start;
        const Chord chord = ChordAt(b0);
        const bool phraseStart = inSection % 16 == 0;

        if (b0 == start && section != Section::Count && section != Section::Build) {
            const float gong =
                section == Section::Intro ? 0.25f : (section == Section::Void ? 0.35f : 0.5f);
            AddGong(drums, At(b0), gong, random);
        }

        for (int beat = b0; beat < b0 + 4 && beat <= kLastBeat; ++beat) {
            const int inBar = beat - b0;
            const bool backbeat = inBar % 2 == 1;
            Kick(beat,
                 section == Section::Void ? 0.75f : (section == Section::Intro ? 0.9f : 1.0f));
            if (beat >= kFirstFlashBeat && beat <= kLastFlashBeat) {
                // The flash run: a bright chord and a clap on each flash.
                std::vector<int> stab = chord.pad;
                for (int& n : stab) n += 12;
                AddStab(music, At(beat), stab, 0.55f);
                AddClap(drums, At(beat), 0.25f, random);
            }
            switch (section) {
            case Section::Intro:
                if (beat >= 8) Hats(beat, 0.12f, false, false);
                break;
            case Section::Count:
                Hats(beat, 0.14f, true, true);
                OffbeatBass(beat, chord, 0.32f, 0.4f);
                if (inBar == 3 && (beat - start) % 8 == 7)
                    AddClap(drums, At(beat + 0.5), 0.35f, random);
                break;
            case Section::Tube:
            case Section::City:
            case Section::Wheels:
                Hats(beat, 0.15f, true, section != Section::Tube);
                RollingBass(beat, chord, 0.3f, section == Section::Tube ? 0.5f : 0.7f);
                if (backbeat) AddSnare(drums, At(beat), 0.5f, random);
                break;
            case Section::Tube2:
            case Section::Double:
                Hats(beat, 0.14f, true, true);
                RollingBass(beat, chord, 0.28f, 0.55f);
                if (backbeat) AddClap(drums, At(beat), 0.55f, random);
                break;
            case Section::Lines:
                Hats(beat, 0.1f, false, true);
                if (inBar == 0) AddBass(music, At(beat), Beats(3.8), chord.bass, 0.3f, 0.25f);
                if (beat >= 136) {
                    // Snare roll into the city: eighths, then sixteenths.
                    const int steps = beat >= 140 ? 4 : 2;
                    for (int s = 0; s < steps; ++s) {
                        const float rise = 0.15f + 0.35f * (beat - 136 + s / float(steps)) / 8.0f;
                        AddSnare(drums, At(beat + s / double(steps)), rise, random);
                    }
                }
                break;
            case Section::Planes:
            case Section::Planes2:
                Hats(beat, 0.1f, true, false);
                if (inBar % 2 == 0) AddBass(music, At(beat), Beats(1.8), chord.bass, 0.3f, 0.3f);
                if (section == Section::Planes2 && backbeat)
                    AddSnare(drums, At(beat), 0.4f, random);
                break;
            case Section::Void: break;
            case Section::Build: {
                const int steps = beat >= start + 8 ? 4 : 2;
                for (int s = 0; s < steps; ++s) {
                    const float rise = 0.15f + 0.4f * (beat - start + s / float(steps)) / 16.0f;
                    AddSnare(drums, At(beat + s / double(steps)), rise, random);
                }
                OffbeatBass(beat, chord, 0.3f, 0.3f + 0.7f * (beat - start) / 16.0f);
                break;
            }
            case Section::Finale:
                Hats(beat, 0.15f, true, true);
                if (beat < kLastBeat) {
                    RollingBass(beat, chord, 0.3f, 0.7f);
                    if (backbeat) {
                        AddSnare(drums, At(beat), 0.45f, random);
                        AddClap(drums, At(beat), 0.3f, random);
                    }
                }
                break;
            }
        }
        if (b0 >= kLastBeat) return;

        // Harmony and tunes, bar by bar.
        switch (section) {
        case Section::Intro:
            Pad(b0, 4, chord, 0.22f, 0.35f);
            if (phraseStart) Phrase(kTheme, b0, -12, 0.3f, -0.3f, true, true);
            break;
        case Section::Count:
            Pad(b0, 4, chord, 0.25f, 0.5f);
            if (inSection == 8) AddRiser(music, At(b0), Beats(8), 0.25f, random);
            break;
        case Section::Tube:
            Pad(b0, 4, chord, 0.2f, 0.4f);
            for (int beat = b0; beat < b0 + 4; ++beat) Arp(beat, chord, 0.12f, true, 1);
            break;
        case Section::Tube2:
            Pad(b0, 4, chord, 0.2f, 0.45f);
            if (phraseStart)
                Phrase(inSection % 32 ? kThemeAnswer : kTheme, b0, 0, 0.45f, 0.2f, true, true);
            break;
        case Section::Lines:
            Pad(b0, 4, chord, 0.3f, 0.6f);
            if (phraseStart) Phrase(kLineTune, b0, 0, 0.35f, 0.0f, false, true);
            for (int beat = b0; beat < b0 + 4; ++beat) Arp(beat, chord, 0.07f, false, 1);
            if (b0 == 128) AddRiser(music, At(b0), Beats(16), 0.3f, random);
            break;
        case Section::City:
            Pad(b0, 4, chord, 0.22f, 0.6f);
            if (phraseStart) {
                const bool answer = (inSection / 16) % 2 == 1;
                Phrase(answer ? kThemeAnswer : kTheme, b0, 0, 0.42f, 0.1f, false, true);
                if (inSection >= 64)
                    Phrase(answer ? kThemeAnswer : kTheme, b0, -12, 0.35f, -0.3f, true, false);
            }
            break;
        case Section::Planes:
        case Section::Planes2:
            Pad(b0, 4, chord, 0.28f, 0.3f);
            for (int beat = b0; beat < b0 + 4; ++beat) {
                const int idx = (beat * 3) % static_cast<int>(chord.pad.size());
                AddPluck(echo, At(beat + 0.5), chord.pad[idx] + 12, 0.22f, beat % 2 ? 0.5f : -0.5f,
                         random);
            }
            if (section == Section::Planes2 && phraseStart) {
                Phrase(kSkyTune, b0, 0, 0.4f, 0.0f, false, true);
            }
            break;
        case Section::Void:
            if (inSection % 16 == 0) {
                AddBass(music, At(b0), Beats(15.5), chord.bass - 12, 0.35f, 0.05f);
                Pad(b0, 16, chord, 0.3f, 0.2f);
            }
            for (int beat = b0; beat < b0 + 4; ++beat) {
                if (random.Unit() < 0.45f) {
                    const int scale[] = {69, 72, 74, 76, 79, 81, 84};
                    const int pitch = scale[random.Below(7)];
                    const float pan = random.Range(-0.8f, 0.8f);
                    AddBell(music, At(beat + 0.5 * random.Below(2)), pitch, 0.14f, pan);
                }
            }
            break;
        case Section::Double:
            Pad(b0, 4, chord, 0.2f, 0.5f);
            if (inSection % 8 == 0) {
                // Call on the left in the plucked string, answer on the right in the lead.
                const std::vector<Note>& tune = (inSection / 8) % 2 ? kThemeAnswer : kTheme;
                std::vector<Note> call(tune.begin(), tune.begin() + 6);
                std::vector<Note> answer;
                for (const Note& n : tune) {
                    if (n.beat >= 8 && n.beat < 12)
                        answer.push_back({n.beat - 4, n.length, n.pitch});
                }
                Phrase(call, b0, 0, 0.45f, -0.6f, true, true);
                Phrase(answer, b0, -12, 0.4f, 0.6f, false, true);
            }
            break;
        case Section::Build:
            Pad(b0, 4, chord, 0.2f + 0.1f * inSection / 16.0f, 0.3f + 0.7f * inSection / 16.0f);
            if (inSection == 0) AddRiser(music, At(b0), Beats(16), 0.35f, random);
            break;
        case Section::Wheels:
            Pad(b0, 4, chord, 0.22f, 0.7f);
            for (int beat = b0; beat < b0 + 4; ++beat) Arp(beat, chord, 0.1f, true, 1);
            if (phraseStart && inSection >= 16) {
                Phrase((inSection / 16) % 2 ? kThemeAnswer : kTheme, b0, 2, 0.4f, 0.1f, false,
                       true);
            }
            break;
        case Section::Finale:
            Pad(b0, 4, chord, 0.24f, 0.65f);
            if (phraseStart) {
                const std::vector<Note>& tune = (inSection / 16) % 2 ? kThemeAnswer : kTheme;
                Phrase(tune, b0, 2, 0.42f, 0.1f, false, true);
                Phrase(tune, b0, 2 - 12, 0.4f, -0.3f, true, false);
            }
            break;
        }
    }

    // The closing hit: the home chord of the finale, ringing out under the fade.
    void Ending() {
        const Chord home = Transposed(kAm7, 2);
        AddGong(drums, At(kLastBeat), 0.7f, random);
        std::vector<int> stab = home.pad;
        for (int& n : stab) n += 12;
        AddStab(music, At(kLastBeat), stab, 0.6f);
        AddPad(music, At(kLastBeat), Beats(6), home.pad, 0.3f, 0.6f);
        AddBass(music, At(kLastBeat), Beats(6), home.bass - 12, 0.4f, 0.2f);
        AddPluck(music, At(kLastBeat), home.pad[0] + 12, 0.45f, 0.0f, random);
    }

    // Kick-driven ducking of the music bus: the tonal parts make room for each kick.
    float Duck(size_t i) const {
        const double beat = static_cast<double>(i) / kSamplesPerBeat;
        const int whole = static_cast<int>(beat);
        if (whole > kLastBeat) return 1.0f;
        const float since = static_cast<float>((beat - whole) * 60.0 / kBeatsPerMinute);
        const float until = static_cast<float>((whole + 1 - beat) * 60.0 / kBeatsPerMinute);
        const float depth = SectionOf(whole) == Section::Void ? 0.3f : 0.55f;
        float amount = std::exp(-since / 0.1f);
        if (whole + 1 <= kLastBeat && until < 0.004f)
            amount = std::max(amount, 1.0f - until / 0.004f);
        return 1.0f - depth * amount;
    }

    StereoBuffer Mix() {
        StereoBuffer master(total);
        {
            StereoBuffer send(total);
            for (size_t i = 0; i < total; ++i) {
                send.left[i] = music.left[i] + echo.left[i] + 0.15f * drums.left[i];
                send.right[i] = music.right[i] + echo.right[i] + 0.15f * drums.right[i];
            }
            AddReverb(send, master, 0.85f, 0.4f, 0.45f);
        }
        AddPingPongDelay(echo, master, Beats(0.75), 0.45f, 0.35f);
        float peak = 1e-6f;
        for (size_t i = 0; i < total; ++i) {
            const float duck = Duck(i);
            master.left[i] +=
                kDrumLevel * drums.left[i] + kMusicLevel * (music.left[i] + echo.left[i]) * duck;
            master.right[i] +=
                kDrumLevel * drums.right[i] + kMusicLevel * (music.right[i] + echo.right[i]) * duck;
            peak = std::max(peak, std::max(std::fabs(master.left[i]), std::fabs(master.right[i])));
        }
        // A gentle saturating limiter, then the fade after the last hit.
        const float drive = 1.4f;
        const float norm = 0.97f / std::tanh(drive);
        const size_t fadeStart = static_cast<size_t>(kFadeStartSeconds * kSampleRate);
        for (size_t i = 0; i < total; ++i) {
            float fade = 1.0f;
            if (i >= fadeStart) {
                const float x = static_cast<float>(i - fadeStart) / (total - fadeStart);
                fade = 0.5f + 0.5f * std::cos(kPi * std::min(1.0f, x));
            }
            master.left[i] = std::tanh(drive * master.left[i] / peak) * norm * fade;
            master.right[i] = std::tanh(drive * master.right[i] / peak) * norm * fade;
        }
        return master;
    }
};

}  // namespace

StereoBuffer ComposeSoundtrack() {
    Composer composer;
    return composer.Compose();
}

int WriteSoundtrack(const std::string& path) {
    const StereoBuffer mix = ComposeSoundtrack();
    return WriteMp3(path, mix, 192);
}

}  // namespace assets
