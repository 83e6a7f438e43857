// effect_sequencer.cpp: the list of effects and their spans of show time.
#include "timeline/effect_sequencer.h"

#include "timeline/effect.h"

void EffectSequencer::Clear() { effectCount = 0; }

int EffectSequencer::Push(Effect* effect, int start, int end) {
    if (effectCount >= kMaxEffects || !effect) return 0;
    effects[effectCount] = effect;
    starts[effectCount] = start;
    ends[effectCount] = end;
    // An effect whose set-up fails stays in the list and is rendered like any other.
    effect->Init();
    ++effectCount;
    return 1;
}

int EffectSequencer::RenderFrame(std::uint32_t now) {
    // The difference modulo 2^32 read as signed, so a wrap of the clock changes nothing.
    int elapsed = static_cast<int>(now - startTime);
    for (int i = 0; i < effectCount; ++i) {
        if (starts[i] <= elapsed && elapsed < ends[i]) effects[i]->Render(elapsed, starts[i]);
    }
    return 1;
}
