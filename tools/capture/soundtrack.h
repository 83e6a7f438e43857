// soundtrack.h: the show's sound under the captured frames, as kelvo-capture records it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The sound sample (44.1 kHz) at which frame `index` of a capture at fps frames per second
// begins, counted from the music's start (show time 0).
std::uint64_t SampleAtFrame(long index, int fps);

// What the music plays under frames first to end - 1 (frame indices at fps), silent from
// frame stopAt on when it is 0 or more (the frame that stops the music). Returns false after
// a message on stderr when there is no soundtrack to take.
bool TakeSoundtrack(long first, long end, int fps, long stopAt, std::vector<std::int16_t>* samples);

// Writes samples as outFolder/soundtrack.wav. Returns false after a message on stderr.
bool WriteSoundtrack(const std::string& outFolder, const std::vector<std::int16_t>& samples);
