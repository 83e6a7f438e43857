// sound.cpp (web): the FMOD subset over Web Audio. The browser decodes the whole file
// (decodeAudioData) when a stream is opened and plays it from its start; the clock that
// timeGetTime reads follows the audio context while it plays. Handles are tokens that are
// never reused. Module songs cannot be decoded by browsers, so FMUSIC_LoadSong finds
// none. In the test mode nothing is decoded or heard: opening only checks the file.
#include "platform/fsound.h"

#include <cstdint>
#include <map>

#include "platform/file_paths.h"
#include "platform/web/web_local.h"

extern "C" {
int kelvo_web_audio_open(int mixRate);
void kelvo_web_audio_close(void);
// Decodes the file at path; waits; the decoded buffer's id, 0 when it cannot be decoded.
int kelvo_web_audio_decode(const char* path);
int kelvo_web_audio_play(int buffer);
void kelvo_web_audio_stop(int buffer);
void kelvo_web_audio_free(int buffer);
}

namespace {

struct Stream {
    int buffer = 0;  // 0 in the test mode
};

struct Sound {
    bool open = false;
    std::map<std::uintptr_t, Stream> streams;
    std::uintptr_t nextToken = 1;
    std::uintptr_t playing = 0;
};

Sound& S() {
    static Sound sound;
    return sound;
}

std::uintptr_t TokenOf(FSOUND_STREAM* stream) { return reinterpret_cast<std::uintptr_t>(stream); }

Stream* Find(FSOUND_STREAM* stream) {
    auto found = S().streams.find(TokenOf(stream));
    return found == S().streams.end() ? nullptr : &found->second;
}

void Halt(std::uintptr_t token) {
    if (S().playing != token || token == 0) return;
    const Stream& stream = S().streams[token];
    if (stream.buffer) kelvo_web_audio_stop(stream.buffer);
    S().playing = 0;
}

FSOUND_STREAM* Open(const char* fileName) {
    char resolved[4096];
    if (!S().open || !fileName || !ResolveProgramPath(fileName, resolved, sizeof resolved))
        return nullptr;
    Stream stream;
    if (!web::TestMode()) {
        stream.buffer = kelvo_web_audio_decode(resolved);
        if (stream.buffer == 0) return nullptr;
    }
    const std::uintptr_t token = S().nextToken++;
    S().streams[token] = stream;
    return reinterpret_cast<FSOUND_STREAM*>(token);
}

}  // namespace

signed char FSOUND_Init(int mixRate, int, unsigned int) {
    if (mixRate < 4000 || mixRate > 192000) return 0;
    if (S().open) return 1;
    if (!web::TestMode() && !kelvo_web_audio_open(mixRate)) return 0;
    S().open = true;
    return 1;
}

void FSOUND_Close(void) {
    if (!S().open) return;
    Halt(S().playing);
    for (const auto& entry : S().streams)
        if (entry.second.buffer) kelvo_web_audio_free(entry.second.buffer);
    S().streams.clear();
    if (!web::TestMode()) kelvo_web_audio_close();
    S().open = false;
}

FSOUND_STREAM* FSOUND_Stream_OpenMpeg(const char* fileName, unsigned int) { return Open(fileName); }
FSOUND_STREAM* FSOUND_Stream_OpenWav(const char* fileName, unsigned int) { return Open(fileName); }

int FSOUND_Stream_Play(int, FSOUND_STREAM* stream) {
    Stream* found = Find(stream);
    if (!found) return -1;
    Halt(S().playing);
    if (found->buffer && !kelvo_web_audio_play(found->buffer)) return -1;
    S().playing = TokenOf(stream);
    return 0;
}

signed char FSOUND_Stream_Stop(FSOUND_STREAM* stream) {
    if (!Find(stream)) return 0;
    Halt(TokenOf(stream));
    return 1;
}

signed char FSOUND_Stream_Close(FSOUND_STREAM* stream) {
    Stream* found = Find(stream);
    if (!found) return 0;
    Halt(TokenOf(stream));
    if (found->buffer) kelvo_web_audio_free(found->buffer);
    S().streams.erase(TokenOf(stream));
    return 1;
}

FMUSIC_MODULE* FMUSIC_LoadSong(const char*) { return nullptr; }
signed char FMUSIC_PlaySong(FMUSIC_MODULE*) { return -1; }
signed char FMUSIC_StopSong(FMUSIC_MODULE*) { return 0; }
signed char FMUSIC_FreeSong(FMUSIC_MODULE*) { return 0; }
