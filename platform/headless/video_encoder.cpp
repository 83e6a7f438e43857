// video_encoder.cpp: an ffmpeg child fed raw frames on stdin and raw sound on file descriptor 3.
#include "platform/headless/video_encoder.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

extern char** environ;

namespace headless {
namespace {

// ffmpeg's error text is kept up to this size (its end), enough for the lines that matter.
const std::size_t kErrorTextLimit = 4096;

bool WriteAll(int fd, const void* data, std::size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t written = write(fd, bytes, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes += written;
        size -= std::size_t(written);
    }
    return true;
}

void CloseFd(int* fd) {
    if (*fd >= 0) close(*fd);
    *fd = -1;
}

std::string LastLines(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    return text;
}

}  // namespace

VideoEncoder::~VideoEncoder() { Abort(); }

int VideoEncoder::Open(const std::string& videoPath, const VideoSettings& settings,
                       std::vector<std::int16_t> sound, std::string* error) {
    path = videoPath;
    frameBytes = std::size_t(settings.width) * settings.height * 3;
    audio = std::move(sound);
    int video[2], soundPipe[2], errors[2];
    if (pipe2(video, O_CLOEXEC) != 0 || pipe2(soundPipe, O_CLOEXEC) != 0 ||
        pipe2(errors, O_CLOEXEC) != 0) {
        *error = std::string("cannot make pipes for ffmpeg: ") + std::strerror(errno);
        return 0;
    }
    // A write to a pipe whose reader has gone must fail with EPIPE, not end the process:
    // ffmpeg's own exit status and message tell the user what went wrong.
    signal(SIGPIPE, SIG_IGN);

    const std::string size = std::to_string(settings.width) + "x" + std::to_string(settings.height);
    const std::string rate = std::to_string(settings.framesPerSecond);
    // clang-format off
    std::vector<std::string> arguments = {
        settings.ffmpegProgram, "-nostdin", "-hide_banner", "-loglevel", "error", "-y",
        "-f", "rawvideo", "-pix_fmt", "rgb24", "-video_size", size, "-framerate", rate, "-i", "pipe:0",
        "-f", "s16le", "-ar", "44100", "-ac", "2", "-i", "pipe:3",
        "-map", "0:v", "-map", "1:a",
        "-c:v", "libx264", "-preset", settings.preset, "-crf", std::to_string(settings.crf), "-pix_fmt", "yuv420p",
        "-c:a", "aac", "-b:a", "192k", "-movflags", "+faststart", "-f", "mp4", path};
    // clang-format on
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(&argument[0]);
    argv.push_back(nullptr);

    // Standard error first: a pipe end may sit on descriptor 3 before it is replaced.
    // In a process group of its own, so that Ctrl-C at the terminal reaches the caller alone,
    // which then stops ffmpeg and removes the unfinished video.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, errors[1], 2);
    posix_spawn_file_actions_adddup2(&actions, video[0], 0);
    posix_spawn_file_actions_adddup2(&actions, soundPipe[0], 3);
    int spawned = posix_spawnp(&child, settings.ffmpegProgram.c_str(), &actions, &attributes,
                               argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(video[0]);
    close(soundPipe[0]);
    close(errors[1]);
    videoPipe = video[1];
    audioPipe = soundPipe[1];
    errorPipe = errors[0];
    if (spawned != 0) {
        child = -1;
        Close();
        *error = spawned == ENOENT
                     ? "ffmpeg is not installed (no '" + settings.ffmpegProgram + "' on PATH)"
                     : "cannot run " + settings.ffmpegProgram + ": " + std::strerror(spawned);
        return 0;
    }
    pending.resize(frameBytes);
    frameWriter = std::thread(&VideoEncoder::WriteFrames, this);
    audioWriter = std::thread(&VideoEncoder::WriteAudio, this);
    errorReader = std::thread(&VideoEncoder::ReadErrors, this);
    return 1;
}

int VideoEncoder::AddFrame(const std::uint8_t* rgbTopDown) {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return !framePending; });
    if (writeFailed || child < 0) return 0;
    std::memcpy(pending.data(), rgbTopDown, frameBytes);
    framePending = true;
    changed.notify_all();
    return 1;
}

void VideoEncoder::WriteFrames() {
    std::vector<std::uint8_t> writing(frameBytes);
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mutex);
            changed.wait(lock, [this] { return framePending || streamEnded; });
            if (!framePending) break;
            writing.swap(pending);
            framePending = false;
            changed.notify_all();
        }
        if (!WriteAll(videoPipe, writing.data(), writing.size())) {
            std::lock_guard<std::mutex> lock(mutex);
            writeFailed = true;
            break;
        }
    }
    CloseFd(&videoPipe);
}

void VideoEncoder::WriteAudio() {
    // Little-endian bytes whatever the machine's order, a block at a time.
    std::vector<unsigned char> block;
    const std::size_t kBlockSamples = 65536;
    for (std::size_t start = 0; start < audio.size(); start += kBlockSamples) {
        std::size_t end = std::min(audio.size(), start + kBlockSamples);
        block.clear();
        for (std::size_t i = start; i < end; ++i) {
            std::uint16_t sample = static_cast<std::uint16_t>(audio[i]);
            block.push_back(static_cast<unsigned char>(sample & 0xFF));
            block.push_back(static_cast<unsigned char>(sample >> 8));
        }
        if (!WriteAll(audioPipe, block.data(), block.size())) break;
    }
    CloseFd(&audioPipe);
}

void VideoEncoder::ReadErrors() {
    char buffer[1024];
    for (;;) {
        ssize_t got = read(errorPipe, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        errorText.append(buffer, std::size_t(got));
        if (errorText.size() > kErrorTextLimit)
            errorText.erase(0, errorText.size() - kErrorTextLimit);
    }
    CloseFd(&errorPipe);
}

int VideoEncoder::Wait() {
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    child = -1;
    return status;
}

void VideoEncoder::Close() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        streamEnded = true;
        // A writer blocked on a full pipe is freed only by ffmpeg reading or ending.
        framePending = false;
    }
    changed.notify_all();
    if (frameWriter.joinable()) frameWriter.join();
    if (audioWriter.joinable()) audioWriter.join();
    if (errorReader.joinable()) errorReader.join();
    CloseFd(&videoPipe);
    CloseFd(&audioPipe);
    CloseFd(&errorPipe);
}

int VideoEncoder::Finish(std::string* error) {
    if (child < 0) {
        *error = "ffmpeg is not running";
        return 0;
    }
    {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [this] { return !framePending; });
    }
    Close();
    int status = Wait();
    bool whole = !writeFailed && status >= 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (whole) return 1;
    std::string how =
        status >= 0 && WIFEXITED(status)     ? "exit status " + std::to_string(WEXITSTATUS(status))
        : status >= 0 && WIFSIGNALED(status) ? "signal " + std::to_string(WTERMSIG(status))
                                             : "status unknown";
    std::string said = LastLines(errorText);
    *error =
        "ffmpeg failed to write " + path + " (" + how + ")" + (said.empty() ? "" : ": " + said);
    std::remove(path.c_str());
    return 0;
}

void VideoEncoder::Abort() {
    if (child < 0) return;
    kill(child, SIGTERM);
    Close();
    Wait();
    std::remove(path.c_str());
}

}  // namespace headless
