// numbers.h: the constants the generator's pictures, scenes and music are all made with.
#pragma once

namespace assets {

constexpr float kPi = 3.14159265f;
// The soundtrack's tempo, from its first sample; the scenes pulse on the same beat.
constexpr int kBeatsPerMinute = 144;

}  // namespace assets
