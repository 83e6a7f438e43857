// sound_files.cpp: real sound files for tests.
#include "support/sound_files.h"

#include "support/test_files.h"
#include "support/tool_runs.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/win_main.h"

namespace {

void Run(const std::string& command) {
    const ToolRun run = RunShell(command);
    ASSERT_EQ(0, run.exitCode) << "failed: " << command << "\n" << run.out << run.err;
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

std::uint32_t Le32(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

std::uint16_t Le16(const std::string& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      (static_cast<unsigned char>(bytes[at + 1]) << 8));
}

void PutBe16(std::string* out, unsigned value) {
    out->push_back(static_cast<char>(value >> 8));
    out->push_back(static_cast<char>(value & 0xFF));
}

}  // namespace

void MakeToneWav(const std::string& path, double seconds, int hertz) {
    std::string synth = hertz > 0 ? "synth " + std::to_string(seconds) + " sine " +
                                        std::to_string(hertz) + " vol 0.5"
                                  : "trim 0 " + std::to_string(seconds);
    Run("sox -q -n -r 44100 -c 2 -b 16 -e signed-integer " + Quoted(path) + " " + synth);
}

void MakeToneMp3(const std::string& path, double seconds, int hertz) {
    const std::string wav = path + ".source.wav";
    MakeToneWav(wav, seconds, hertz);
    Run("lame --quiet -b 128 " + Quoted(wav) + " " + Quoted(path));
    std::remove(wav.c_str());
}

void DecodeMp3WithLame(const std::string& mp3Path, const std::string& wavPath) {
    Run("lame --quiet --decode " + Quoted(mp3Path) + " " + Quoted(wavPath));
}

void MakeModule(const std::string& path) {
    const unsigned kSampleBytes = 2048;
    const unsigned kPeriod = 428;  // C-2
    std::string mod("kelvo test", 10);
    mod.resize(20, '\0');
    for (int sample = 0; sample < 31; ++sample) {
        std::string header(22, '\0');
        unsigned words = sample == 0 ? kSampleBytes / 2 : 0;
        PutBe16(&header, words);
        header.push_back(0);                        // finetune
        header.push_back(sample == 0 ? 64 : 0);     // volume
        PutBe16(&header, 0);                        // loop start
        PutBe16(&header, sample == 0 ? words : 1);  // loop length (1: none)
        mod += header;
    }
    mod.push_back(1);    // one position
    mod.push_back(127);  // restart byte
    mod += std::string(128, '\0');
    mod += "M.K.";
    std::string pattern(1024, '\0');
    pattern[0] = static_cast<char>((1 & 0xF0) | (kPeriod >> 8));
    pattern[1] = static_cast<char>(kPeriod & 0xFF);
    pattern[2] = static_cast<char>((1 & 0x0F) << 4);
    mod += pattern;
    for (unsigned i = 0; i < kSampleBytes; ++i) {
        mod.push_back(static_cast<char>(std::lround(100 * std::sin(i * 2 * M_PI / 32))));
    }
    WriteBytes(path, mod);
}

std::unique_ptr<WorkingFolder> MakeSoundFolder() {
    auto folder = std::make_unique<WorkingFolder>();
    MakeToneMp3(folder->Data("tone.mp3"), 1.0, 440);
    MakeToneWav(folder->Data("tone.wav"), 1.0, 440);
    MakeModule(folder->Data("song.mod"));
    return folder;
}

void AddShowSoundtrack(const std::string& dataFolder) {
    static const TempFolder cache;  // made once per test program, removed at its end
    const std::string made = cache / "kelvo32.mp3";
    if (ReadBytes(made).empty()) MakeToneMp3(made, 2.0, 440);
    std::error_code error;
    std::filesystem::copy_file(made, dataFolder + "/" + kSoundtrackName,
                               std::filesystem::copy_options::overwrite_existing, error);
    ASSERT_FALSE(error) << "cannot copy the soundtrack into " << dataFolder;
}

bool ReadWav(const std::string& path, WavData* wav) {
    const std::string bytes = ReadBytes(path);
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0) {
        return false;
    }
    bool haveFormat = false;
    for (std::size_t at = 12; at + 8 <= bytes.size();) {
        const std::string id = bytes.substr(at, 4);
        const std::size_t size = Le32(bytes, at + 4);
        const std::size_t body = at + 8;
        if (size > bytes.size() - body) return false;
        if (id == "fmt " && size >= 16) {
            if (Le16(bytes, body) != 1) return false;
            wav->channels = Le16(bytes, body + 2);
            wav->rate = static_cast<int>(Le32(bytes, body + 4));
            wav->bits = Le16(bytes, body + 14);
            haveFormat = true;
        } else if (id == "data" && haveFormat) {
            if (wav->bits != 16) return true;
            wav->samples.resize(size / 2);
            for (std::size_t i = 0; i < wav->samples.size(); ++i) {
                wav->samples[i] = static_cast<std::int16_t>(Le16(bytes, body + 2 * i));
            }
            return true;
        }
        at = body + size + (size & 1);
    }
    return false;
}
