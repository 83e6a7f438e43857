// soundtrack_export.h: the soundtrack of a headless run as a WAV file, and a video of the
// captured frames with that soundtrack.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace capture {

// Writes what the last playback would have sounded like, from its start to the call that
// silenced it (or to the virtual clock now, if it still plays), as a 44.1 kHz 16-bit
// stereo WAV file: the decoded track, cut at the stop, followed by silence if it ends
// before, repeated if it is a song. 1 on success; 0 with a message when nothing was
// played, the file cannot be decoded again or the WAV cannot be written whole (the message
// then names the file and the system's reason, and the partial file is removed).
int WriteSoundtrackWav(const std::string& wavPath, std::string* error);

// The sample frames firstFrame to firstFrame + frameCount (44.1 kHz 16-bit stereo,
// interleaved; frame 0 is the music's start) of what the last playback sounds like: the
// decoded track, silence after its stop (when it has stopped) or past its end, repeated if
// it is a song. 1 on success; 0 with a message when nothing was played or the file cannot
// be decoded again.
int SoundtrackSamples(std::uint64_t firstFrame, std::uint64_t frameCount,
                      std::vector<std::int16_t>* samples, std::string* error);

// Writes 44.1 kHz 16-bit stereo samples as a WAV file, whole or not at all: 1, or 0 with a
// message naming the file and the system's reason (the partial file is removed).
int WriteWav(const std::string& wavPath, const std::vector<std::int16_t>& samples,
             std::string* error);

// Muxes PNG frames (a glob pattern such as "DIR/frame_*.png", taken in name order at
// framesPerSecond) and a WAV file into an H.264 + AAC MP4 with the ffmpeg program (looked
// up on PATH unless ffmpegProgram names it). 1 on success; 0 with a message otherwise,
// one that says so plainly when ffmpeg is not installed.
int MuxVideo(const std::string& frameGlob, int framesPerSecond, const std::string& wavPath,
             const std::string& videoPath, std::string* error,
             const std::string& ffmpegProgram = "ffmpeg");

}  // namespace capture
