// sound_files.h: real sound files for tests, made with Debian's sox and lame, a module
// written byte by byte, and a reader for the 16-bit PCM WAV files the program writes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A 16-bit stereo 44.1 kHz WAV: a sine of `hertz` at half scale, or silence for 0 Hz.
// Fails the current test when sox is missing or fails.
void MakeToneWav(const std::string& path, double seconds, int hertz);
// The same tone encoded as a 128 kbit/s MP3 by lame (through a WAV made on the side).
void MakeToneMp3(const std::string& path, double seconds, int hertz);
// lame's own decode of an MP3 to WAV: the reference the program's decode is held to.
void DecodeMp3WithLame(const std::string& mp3Path, const std::string& wavPath);
// A four-channel ProTracker module of one pattern that plays one looping sine note.
void MakeModule(const std::string& path);
// Writes bytes as they are (empty, garbage and truncated files).
void WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);

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

// A fresh folder under the test temporary directory, removed with its contents at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }
    // path() + "/" + name
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// A temporary folder made the working directory, with an empty data/ folder in it, as the
// show expects to find its files; the previous working directory comes back at the end.
// Folders can nest: each restores the directory that was current when it was made.
class WorkingFolder : public TempFolder {
public:
    WorkingFolder();
    ~WorkingFolder();
    // path() + "/data/" + name
    std::string Data(const std::string& name) const;

private:
    std::string previous_;
};
