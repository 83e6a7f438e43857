// sound_files.h: real sound files for tests, made with Debian's sox and lame, a module
// written byte by byte, and a reader for the 16-bit PCM WAV files the program writes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "support/test_files.h"

// A 16-bit stereo 44.1 kHz WAV: a sine of `hertz` at half scale, or silence for 0 Hz.
// Fails the current test when sox is missing or fails.
void MakeToneWav(const std::string& path, double seconds, int hertz);
// The same tone encoded as a 128 kbit/s MP3 by lame (through a WAV made on the side).
void MakeToneMp3(const std::string& path, double seconds, int hertz);
// lame's own decode of an MP3 to WAV: the reference the program's decode is held to.
void DecodeMp3WithLame(const std::string& mp3Path, const std::string& wavPath);
// A four-channel ProTracker module of one pattern that plays one looping sine note.
void MakeModule(const std::string& path);
// A working folder (made the working directory) holding data/tone.mp3 and data/tone.wav,
// a second of a 440 Hz tone each, and data/song.mod, the module above.
std::unique_ptr<WorkingFolder> MakeSoundFolder();

// Puts a short real MP3 (2 s of a 440 Hz tone) at dataFolder/kelvo32.mp3: the soundtrack
// that start-up opens, without which a show ends silently as soon as its clock starts.
void AddShowSoundtrack(const std::string& dataFolder);

struct WavData {
    int channels = 0;
    int rate = 0;
    int bits = 0;
    std::vector<std::int16_t> samples;  // interleaved; 16-bit files only
};
// Reads a PCM WAV file; false when it is not one.
bool ReadWav(const std::string& path, WavData* wav);
