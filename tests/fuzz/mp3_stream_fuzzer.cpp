// mp3_stream_fuzzer.cpp: any bytes as the soundtrack: the sound layer's stream open and
// a decode of what it opened.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/common/mixer_sound.h"
#include "platform/fsound.h"
#include "fuzz_input.h"
#include "platform/headless/headless.h"

namespace {

std::string inputPath;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    inputPath = MakeFuzzInputFile("kelvo_mp3_fuzz_");
    headless::SetMessageBoxEcho(false);
    headless::SetCallLogging(false);
    if ((FSOUND_Init(44100, 32, 0) & 0xFF) == 0) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!WriteFuzzInput(inputPath, data, size)) return 0;
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
