// effect_sequencer.h: up to 100 effects, each drawn over a half-open span of show time.
#pragma once

#include <cstdint>

class Effect;

class EffectSequencer {
public:
    static const int kMaxEffects = 100;

    std::uint32_t startTime;  // timeGetTime at the show's start; set by the start-up
    int effectCount;
    Effect* effects[kMaxEffects];  // not owned
    int starts[kMaxEffects];       // ms, inclusive
    int ends[kMaxEffects];         // ms, exclusive

    // Empties the list; startTime is left alone.
    void Clear();
    // Stores the effect and runs its Init; 0 (and no Init) when all slots are taken or
    // the effect is null.
    int Push(Effect* effect, int start, int end);
    // Renders every effect whose span holds now - startTime (mod 2^32, signed), in push order.
    int RenderFrame(std::uint32_t now);
};
