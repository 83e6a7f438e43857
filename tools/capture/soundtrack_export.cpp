// soundtrack_export.cpp: the soundtrack of a headless run as WAV, and the video mux.
#include "tools/capture/soundtrack_export.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>

#include "platform/headless/headless.h"
#include "platform/common/mixer_sound.h"

extern char** environ;

namespace capture {
namespace {

constexpr std::uint32_t kRate = 44100;
constexpr std::uint32_t kChannels = 2;
constexpr std::uint32_t kBytesPerFrame = kChannels * sizeof(std::int16_t);

void PutLe(std::vector<unsigned char>* out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out->push_back(static_cast<unsigned char>(value >> (8 * i)));
}

std::vector<unsigned char> WavHeader(std::uint32_t dataBytes) {
    std::vector<unsigned char> header;
    auto tag = [&header](const char* fourCc) { header.insert(header.end(), fourCc, fourCc + 4); };
    tag("RIFF");
    PutLe(&header, 36 + dataBytes, 4);
    tag("WAVE");
    tag("fmt ");
    PutLe(&header, 16, 4);
    PutLe(&header, 1, 2);  // PCM
    PutLe(&header, kChannels, 2);
    PutLe(&header, kRate, 4);
    PutLe(&header, kRate * kBytesPerFrame, 4);
    PutLe(&header, kBytesPerFrame, 2);
    PutLe(&header, 16, 2);
    tag("data");
    PutLe(&header, dataBytes, 4);
    return header;
}

// The decoded track laid over `frames` sample frames: cut, padded with silence, or (for a
// song, which repeats) looped.
std::vector<std::int16_t> FitToSpan(const std::vector<std::int16_t>& decoded, std::size_t frames,
                                    bool repeats) {
    std::vector<std::int16_t> span(frames * kChannels, 0);
    const std::size_t length = decoded.size();
    if (length == 0) return span;
    for (std::size_t i = 0; i < span.size(); ++i) {
        if (i < length) {
            span[i] = decoded[i];
        } else if (repeats) {
            span[i] = decoded[i % length];
        } else {
            break;
        }
    }
    return span;
}

// Writes the file whole; 0, or the errno of the first open, write, flush or close that
// failed, after removing what was written so that no cut-off file is left behind.
int WriteFile(const std::string& path, const std::vector<unsigned char>& header,
              const std::vector<std::int16_t>& samples) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return errno ? errno : EIO;
    std::vector<unsigned char> bytes;
    bytes.reserve(samples.size() * 2);
    for (std::int16_t sample : samples) PutLe(&bytes, static_cast<std::uint16_t>(sample), 2);
    int failure = 0;
    auto note = [&failure](bool ok) {
        if (!ok && failure == 0) failure = errno ? errno : EIO;
    };
    errno = 0;
    note(std::fwrite(header.data(), 1, header.size(), file) == header.size());
    if (failure == 0) note(std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size());
    if (failure == 0) note(std::fflush(file) == 0);
    note(std::fclose(file) == 0);
    if (failure != 0) std::remove(path.c_str());
    return failure;
}

}  // namespace

int WriteSoundtrackWav(const std::string& wavPath, std::string* error) {
    const headless::Playback& playback = headless::LastPlayback();
    if (!playback.started) {
        *error = "no music was played, so there is no soundtrack to write";
        return 0;
    }
    const DWORD end = playback.stopped ? playback.stopClock : headless::Clock();
    const std::uint64_t spanMs = static_cast<DWORD>(end - playback.startClock);
    std::vector<std::int16_t> span;
    if (!SoundtrackSamples(0, (spanMs * kRate + 500) / 1000, &span, error)) return 0;
    return WriteWav(wavPath, span, error);
}

int SoundtrackSamples(std::uint64_t firstFrame, std::uint64_t frameCount,
                      std::vector<std::int16_t>* samples, std::string* error) {
    const headless::Playback& playback = headless::LastPlayback();
    if (!playback.started) {
        *error = "no music was played, so there is no soundtrack to write";
        return 0;
    }
    if ((firstFrame + frameCount) * kBytesPerFrame > 0xFFFFFFFFull - 36) {
        *error = "the soundtrack is too long for a WAV file";
        return 0;
    }
    std::vector<std::int16_t> decoded;
    if (!mixer_sound::DecodeFile(playback.path, playback.kind, &decoded, error)) return 0;
    // Past the call that silenced the music there is only silence.
    std::uint64_t played = firstFrame + frameCount;
    if (playback.stopped)
        played =
            (std::uint64_t(static_cast<DWORD>(playback.stopClock - playback.startClock)) * kRate +
             500) /
            1000;
    std::vector<std::int16_t> whole = FitToSpan(decoded, std::min(played, firstFrame + frameCount),
                                                playback.kind == mixer_sound::Kind::Song);
    samples->assign(std::size_t(frameCount * kChannels), 0);
    const std::size_t from = std::size_t(firstFrame * kChannels);
    for (std::size_t i = from; i < whole.size(); ++i) (*samples)[i - from] = whole[i];
    return 1;
}

int WriteWav(const std::string& wavPath, const std::vector<std::int16_t>& samples,
             std::string* error) {
    const std::uint64_t bytes = std::uint64_t(samples.size()) * sizeof(std::int16_t);
    if (bytes > 0xFFFFFFFFull - 36) {
        *error = "the soundtrack is too long for a WAV file";
        return 0;
    }
    if (int failure = WriteFile(wavPath, WavHeader(static_cast<std::uint32_t>(bytes)), samples)) {
        *error = "cannot write " + wavPath + ": " + std::strerror(failure);
        return 0;
    }
    return 1;
}

int MuxVideo(const std::string& frameGlob, int framesPerSecond, const std::string& wavPath,
             const std::string& videoPath, std::string* error, const std::string& ffmpegProgram) {
    if (framesPerSecond <= 0) {
        *error = "a video needs a frame rate above 0";
        return 0;
    }
    const std::string rate = std::to_string(framesPerSecond);
    std::vector<std::string> arguments = {
        ffmpegProgram, "-nostdin", "-hide_banner",  "-loglevel", "error",     "-y",
        "-framerate",  rate,       "-pattern_type", "glob",      "-i",        frameGlob,
        "-i",          wavPath,    "-map",          "0:v",       "-map",      "1:a",
        "-c:v",        "libx264",  "-pix_fmt",      "yuv420p",   "-crf",      "18",
        "-c:a",        "aac",      "-b:a",          "192k",      "-movflags", "+faststart",
        videoPath};
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(&argument[0]);
    argv.push_back(nullptr);

    pid_t child = 0;
    int spawned =
        posix_spawnp(&child, ffmpegProgram.c_str(), nullptr, nullptr, argv.data(), environ);
    if (spawned == ENOENT) {
        *error = "ffmpeg is not installed (no '" + ffmpegProgram + "' on PATH), so " + videoPath +
                 " was not made; install ffmpeg (Debian package ffmpeg) to mux a video";
        return 0;
    }
    if (spawned != 0) {
        *error = "cannot run " + ffmpegProgram + ": " + std::strerror(spawned);
        return 0;
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            *error = std::string("lost track of ffmpeg: ") + std::strerror(errno);
            return 0;
        }
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        *error = "ffmpeg failed to write " + videoPath + " (exit status " +
                 std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + ")";
        return 0;
    }
    return 1;
}

}  // namespace capture
