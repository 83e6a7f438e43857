// mp3_writer.h: encoding a stereo buffer to an MP3 file with LAME.
#pragma once

#include <string>

#include "tools/assets/synth.h"

namespace assets {

// Encodes pcm (44.1 kHz stereo, samples in [-1, 1]) at a constant bitrate (kbps) and writes it
// to path with a LAME info frame first, which tells decoders the encoder delay and padding so
// the decoded sound starts at the first sample and has the buffer's length.
// Returns 1, or 0 with nothing left at path when encoding or writing fails.
int WriteMp3(const std::string& path, const StereoBuffer& pcm, int kbps);

}  // namespace assets
