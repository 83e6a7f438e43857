// effect.h: the interface of everything the sequencer draws.
#pragma once

class Effect {
public:
    virtual ~Effect();
    // Draws one frame. elapsed: ms since the show's start; start: the effect's span start
    // as pushed. Returns 1 when done.
    virtual int Render(int elapsed, int start);
    // One-time set-up, run by the push. Returns 1 on success.
    virtual int Init();
};
