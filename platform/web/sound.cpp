// sound.cpp (web): the FMOD subset over Web Audio. The browser decodes the whole file
// (decodeAudioData) and plays it from its start; the clock that timeGetTime reads follows
// the audio context while it plays. Handles are tokens that are never reused. Module songs
// cannot be decoded by browsers, so FMUSIC_LoadSong finds none. In the test mode nothing
// is decoded or heard: opening only checks the file.
//
// Opening a stream waits only for the server's answer: a file it does not have is refused
// at once, as on the desktop, while the download and decoding of one it has go on in the
// background. The program opens its music before its dialog, so the dialog is up while
// the music loads; FinishOpeningSounds, called as the show's window opens, waits for the
// rest.
#include "platform/fsound.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>
#include <string>

#include "platform/web/web_local.h"

extern "C" {
int kelvo_web_audio_open(int mixRate);
void kelvo_web_audio_close(void);
// Asks the server for the file at path and waits for its answer: 0 when it has no such
// file; otherwise the id of a buffer whose download and decoding go on (with decode set),
// or 1 (without).
int kelvo_web_audio_begin(const char* path, int decode);
// Waits until every buffer begun is decoded or has failed.
void kelvo_web_audio_settle(void);
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

// Begins the file a program path names, under the rules of the web file lookup: '/' for
// '\\', and a name the server does not have asked for once more in lower case.
int BeginTrack(const char* fileName) {
    std::string path(fileName);
    std::replace(path.begin(), path.end(), '\\', '/');
    const int decode = web::TestMode() ? 0 : 1;
    const int track = kelvo_web_audio_begin(path.c_str(), decode);
    if (track) return track;
    std::string lower = path;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower == path ? 0 : kelvo_web_audio_begin(lower.c_str(), decode);
}

FSOUND_STREAM* Open(const char* fileName) {
    if (!S().open || !fileName) return nullptr;
    const int track = BeginTrack(fileName);
    if (track == 0) return nullptr;
    Stream stream;
    stream.buffer = web::TestMode() ? 0 : track;
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
    if (found->buffer) web::FinishOpeningSounds();  // a stream plays once it is all there
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

namespace web {

void FinishOpeningSounds() {
    if (!TestMode()) kelvo_web_audio_settle();
}

}  // namespace web
