// random.h: a small seeded random generator whose sequence is the same on every machine.
#pragma once

#include <cstdint>

namespace assets {

// xorshift64*: the standard library's distributions differ between implementations, so the
// generator and its conversions to floats are our own; a seed fixes every value drawn.
class Random {
public:
    explicit Random(uint64_t seed) : state(seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull) {
        if (state == 0) state = 1;
    }

    uint64_t Next() {
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        return state * 0x2545F4914F6CDD1Dull;
    }

    // Uniform in [0, 1).
    float Unit() { return static_cast<float>(Next() >> 40) * (1.0f / 16777216.0f); }
    // Uniform in [low, high).
    float Range(float low, float high) { return low + (high - low) * Unit(); }
    // Uniform integer in [0, count).
    int Below(int count) { return count <= 0 ? 0 : static_cast<int>((Next() >> 33) % count); }

private:
    uint64_t state;
};

}  // namespace assets
