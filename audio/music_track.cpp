// music_track.cpp: the show's soundtrack through the sound library.
#include "audio/music_track.h"

#include <cstring>

#include "platform/win32.h"

namespace {

const int kMixRate = 44100;  // Hz
const int kSoftwareChannels = 32;
const unsigned int kInitFlags = 0;
// Open modes passed to the library for each stream type.
const unsigned int kMpegStreamMode = 0x29;
const unsigned int kWavStreamMode = 0x2B;

bool IsValidType(SoundType type) {
    return type == SoundType::Module || type == SoundType::MpegStream ||
           type == SoundType::WavStream;
}

}  // namespace

MusicTrack::MusicTrack(const char* path, SoundType soundType)
    : song(nullptr), stream(nullptr), fileName{}, type(soundType) {
    if (!IsValidType(soundType)) ReportError("internal error: not a valid sound type");

    // A path that does not fit is not truncated: a shortened name could open another file.
    // It leaves fileName empty and the open is skipped, which reports the music unreadable.
    const bool pathFits = path != nullptr && std::strlen(path) < sizeof fileName;
    if (pathFits) std::memcpy(fileName, path, std::strlen(path) + 1);

    if ((FSOUND_Init(kMixRate, kSoftwareChannels, kInitFlags) & 0xFF) == 0) {
        ReportError("internal error: can't initialise FMOD");
    }

    switch (type) {
    case SoundType::Module:
        if (pathFits) song = FMUSIC_LoadSong(fileName);
        if (song == nullptr) ReportError("internal error: Can't read music!");
        break;
    case SoundType::MpegStream:
        if (pathFits) stream = FSOUND_Stream_OpenMpeg(fileName, kMpegStreamMode);
        if (stream == nullptr) ReportError("internal error: Can't read music!");
        break;
    case SoundType::WavStream:
        if (pathFits) stream = FSOUND_Stream_OpenWav(fileName, kWavStreamMode);
        if (stream == nullptr) ReportError("internal error: Can't read music!");
        break;
    }
}

int MusicTrack::Play() {
    switch (type) {
    case SoundType::Module:
        return static_cast<signed char>(FMUSIC_PlaySong(song) & 0xFF) == -1 ? 0 : 1;
    case SoundType::MpegStream:
    case SoundType::WavStream: return FSOUND_Stream_Play(FSOUND_FREE, stream) == -1 ? 0 : 1;
    }
    return 1;
}

int MusicTrack::Stop() {
    switch (type) {
    case SoundType::Module: FMUSIC_StopSong(song); break;
    case SoundType::MpegStream:
    case SoundType::WavStream: FSOUND_Stream_Stop(stream); break;
    }
    return 1;
}

int MusicTrack::Free() {
    switch (type) {
    case SoundType::Module: FMUSIC_FreeSong(song); break;
    case SoundType::MpegStream:
    case SoundType::WavStream: FSOUND_Stream_Close(stream); break;
    }
    return 1;
}

void MusicTrack::Close() {
    Free();
    FSOUND_Close();
}

void MusicTrack::ReportError(const char* text) {
    MessageBoxA(nullptr, text, "ERROR!", MB_SYSTEMMODAL | MB_ICONERROR);
}
