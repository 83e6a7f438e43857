// mp3_stream_fuzzer.cpp: any bytes as the soundtrack: the sound layer's stream open and
// a decode of what it opened.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/common/mixer_sound.h"
#include "platform/fsound.h"
#include "platform/headless/headless.h"

namespace {

std::string inputPath;

bool WriteInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(inputPath.c_str(), "wb");
    if (!file) return false;
    bool written = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char pattern[] = "/tmp/kelvo_mp3_fuzz_XXXXXX";
    int descriptor = mkstemp(pattern);
    if (descriptor < 0) std::abort();
    close(descriptor);
    inputPath = pattern;
    headless::SetMessageBoxEcho(false);
    headless::SetCallLogging(false);
    if ((FSOUND_Init(44100, 32, 0) & 0xFF) == 0) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!WriteInput(data, size)) return 0;
    FSOUND_STREAM* stream = FSOUND_Stream_OpenMpeg(inputPath.c_str(), 0x29);
    if (stream) {
        FSOUND_Stream_Play(-1, stream);
        std::vector<std::int16_t> samples;
        std::string error;
        mixer_sound::DecodeFile(inputPath, mixer_sound::Kind::MpegStream, &samples, &error);
        FSOUND_Stream_Stop(stream);
        FSOUND_Stream_Close(stream);
    }
    headless::ClearRecords();
    return 0;
}
