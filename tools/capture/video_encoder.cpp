// video_encoder.cpp: an ffmpeg child fed raw frames on stdin and raw sound on file descriptor 3.
#include "tools/capture/video_encoder.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

extern char** environ;

namespace capture {
namespace {

// ffmpeg's error text is kept up to this size (its end), enough for the lines that matter.
const std::size_t kErrorTextLimit = 4096;
// How often Finish looks at the caller's stop flag while ffmpeg finishes the file.
const std::chrono::milliseconds kStopCheck(100);
// How long ffmpeg may go on running after it stopped taking the streams.
const std::chrono::seconds kGraceAfterRefusal(2);

void CloseFd(int* fd) {
    if (*fd >= 0) close(*fd);
    *fd = -1;
}

// Waits until fd is ready for events or ffmpeg has ended (endedFd readable). True when fd is
// ready and ffmpeg still runs.
bool WaitReady(int fd, short events, int endedFd) {
    pollfd fds[2] = {{fd, events, 0}, {endedFd, POLLIN, 0}};
    while (poll(fds, 2, -1) < 0)
        if (errno != EINTR) return false;
    return fds[1].revents == 0;
}

std::string LastLines(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    return text;
}

std::string HowItEnded(int status, bool tookEverything) {
    if (status < 0) return "status unknown";
    if (WIFSIGNALED(status)) return "signal " + std::to_string(WTERMSIG(status));
    if (WEXITSTATUS(status) == 0 && !tookEverything) return "exit status 0 before the input's end";
    return "exit status " + std::to_string(WEXITSTATUS(status));
}

// Four pipes, all closed on exec; the ends this process writes (or reads errors from) do not
// block, so that a thread waiting on ffmpeg also sees it end.
bool MakePipes(int video[2], int sound[2], int errors[2], int ended[2]) {
    int* all[] = {video, sound, errors, ended};
    for (int i = 0; i < 4; ++i) {
        if (pipe2(all[i], O_CLOEXEC) == 0) continue;
        for (int k = 0; k < i; ++k) close(all[k][0]), close(all[k][1]);
        return false;
    }
    for (int fd : {video[1], sound[1], errors[0]}) fcntl(fd, F_SETFL, O_NONBLOCK);
    return true;
}

}  // namespace

VideoEncoder::~VideoEncoder() { Abort(); }

int VideoEncoder::Open(const std::string& videoPath, const VideoSettings& settings,
                       std::vector<std::int16_t> sound, std::string* error) {
    shownName = settings.shownName.empty() ? videoPath : settings.shownName;
    frameBytes = std::size_t(settings.width) * settings.height * 3;
    audio = std::move(sound);
    int video[2], soundPipe[2], errors[2], ended[2];
    if (!MakePipes(video, soundPipe, errors, ended)) {
        *error = std::string("cannot make pipes for ffmpeg: ") + std::strerror(errno);
        return 0;
    }
    // A write to a pipe whose reader has gone must fail with EPIPE, not end the process:
    // ffmpeg's own exit status and message tell the user what went wrong.
    signal(SIGPIPE, SIG_IGN);

    const std::string size = std::to_string(settings.width) + "x" + std::to_string(settings.height);
    const std::string rate = std::to_string(settings.framesPerSecond);
    // -y: the caller may have made the file ffmpeg is to write, to claim its name.
    // clang-format off
    std::vector<std::string> arguments = {
        settings.ffmpegProgram, "-nostdin", "-hide_banner", "-loglevel", "error", "-y",
        "-f", "rawvideo", "-pix_fmt", "rgb24", "-video_size", size, "-framerate", rate, "-i", "pipe:0",
        "-f", "s16le", "-ar", "44100", "-ac", "2", "-i", "pipe:3",
        "-map", "0:v", "-map", "1:a",
        "-c:v", "libx264", "-preset", settings.preset, "-crf", std::to_string(settings.crf), "-pix_fmt", "yuv420p",
        "-c:a", "aac", "-b:a", "192k", "-movflags", "+faststart", "-f", "mp4", videoPath};
    // clang-format on
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(&argument[0]);
    argv.push_back(nullptr);

    // Standard error first: a pipe end may sit on descriptor 3 before it is replaced.
    // In a process group of its own, so that Ctrl-C at the terminal reaches the caller alone,
    // which then stops ffmpeg and whatever it started.
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
    endedRead = ended[0];
    endedWrite = ended[1];
    if (spawned != 0) {
        child = -1;
        Close();
        *error = spawned == ENOENT
                     ? "ffmpeg is not installed (no '" + settings.ffmpegProgram + "' on PATH)"
                     : "cannot run " + settings.ffmpegProgram + ": " + std::strerror(spawned);
        return 0;
    }
    pending.resize(frameBytes);
    exitWatcher = std::thread(&VideoEncoder::WatchExit, this);
    frameWriter = std::thread(&VideoEncoder::WriteFrames, this);
    audioWriter = std::thread(&VideoEncoder::WriteAudio, this);
    errorReader = std::thread(&VideoEncoder::ReadErrors, this);
    return 1;
}

int VideoEncoder::AddFrame(const std::uint8_t* rgbTopDown) {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return !framePending || writeFailed || ffmpegEnded; });
    if (writeFailed || ffmpegEnded || child < 0) return 0;
    std::memcpy(pending.data(), rgbTopDown, frameBytes);
    framePending = true;
    changed.notify_all();
    return 1;
}

bool VideoEncoder::WriteAll(int fd, const void* data, std::size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t written = write(fd, bytes, size);
        if (written > 0) {
            bytes += written;
            size -= std::size_t(written);
        } else if (written < 0 && errno == EINTR) {
            continue;
        } else if (written < 0 && errno == EAGAIN && WaitReady(fd, POLLOUT, endedRead)) {
            continue;
        } else {
            return false;  // EPIPE: ffmpeg closed its input; or ffmpeg has ended
        }
    }
    return true;
}

void VideoEncoder::NoteWriteFailed() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        writeFailed = true;
    }
    changed.notify_all();
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
            NoteWriteFailed();
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
        if (!WriteAll(audioPipe, block.data(), block.size())) {
            NoteWriteFailed();
            break;
        }
    }
    CloseFd(&audioPipe);
}

// Reads until ffmpeg closes stderr, or has ended and nothing more is there: a process it
// left behind may hold the pipe open.
void VideoEncoder::ReadErrors() {
    char buffer[1024];
    for (;;) {
        ssize_t got = read(errorPipe, buffer, sizeof buffer);
        if (got > 0) {
            errorText.append(buffer, std::size_t(got));
            if (errorText.size() > kErrorTextLimit)
                errorText.erase(0, errorText.size() - kErrorTextLimit);
            continue;
        }
        if (got == 0 || (errno != EINTR && errno != EAGAIN)) break;
        if (errno == EAGAIN && !WaitReady(errorPipe, POLLIN, endedRead)) {
            pollfd more = {errorPipe, POLLIN, 0};
            if (poll(&more, 1, 0) <= 0) break;
        }
    }
    CloseFd(&errorPipe);
}

// Sees ffmpeg end without reaping it, so that its pid (and process group) stay its own
// until Wait.
void VideoEncoder::WatchExit() {
    siginfo_t info;
    while (waitid(P_PID, id_t(child), &info, WEXITED | WNOWAIT) < 0 && errno == EINTR) {
    }
    {
        std::lock_guard<std::mutex> lock(mutex);
        ffmpegEnded = true;
    }
    changed.notify_all();
    CloseFd(&endedWrite);
}

// ffmpeg and anything it started: they share its process group.
void VideoEncoder::KillGroup() {
    if (child > 0) kill(-child, SIGKILL);
}

int VideoEncoder::Wait() {
    if (exitWatcher.joinable()) exitWatcher.join();
    KillGroup();  // what ffmpeg left running
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            status = -1;
            break;
        }
    }
    child = -1;
    return status;
}

void VideoEncoder::Close() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        streamEnded = true;
    }
    changed.notify_all();
    if (frameWriter.joinable()) frameWriter.join();
    if (audioWriter.joinable()) audioWriter.join();
    if (errorReader.joinable()) errorReader.join();
    CloseFd(&videoPipe);
    CloseFd(&audioPipe);
    CloseFd(&errorPipe);
    CloseFd(&endedRead);
    CloseFd(&endedWrite);
}

bool VideoEncoder::WaitForExit(const volatile std::sig_atomic_t* stop) {
    auto stopWanted = [stop] { return stop != nullptr && *stop != 0; };
    std::unique_lock<std::mutex> lock(mutex);
    while (framePending && !writeFailed && !ffmpegEnded && !stopWanted())
        changed.wait_for(lock, kStopCheck);
    streamEnded = true;
    changed.notify_all();
    // ffmpeg finishes the file once both streams have ended. One that stopped taking them
    // yet still runs is given a moment to say why, then stopped.
    const auto giveUp = std::chrono::steady_clock::now() + kGraceAfterRefusal;
    bool stopped = false, killed = false;
    while (!ffmpegEnded) {
        stopped = stopped || stopWanted();
        const bool wedged = writeFailed && std::chrono::steady_clock::now() > giveUp;
        if (!killed && (stopped || wedged)) {
            KillGroup();
            killed = true;
        }
        changed.wait_for(lock, kStopCheck);
    }
    return stopped;
}

int VideoEncoder::Finish(std::string* error, const volatile std::sig_atomic_t* stop) {
    if (child < 0) {
        *error = "ffmpeg is not running";
        return 0;
    }
    const bool stopped = WaitForExit(stop);
    Close();
    const int status = Wait();
    const bool tookEverything = !writeFailed && !stopped;
    if (tookEverything && status >= 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0) return 1;
    if (stopped) {
        *error = "stopped before ffmpeg finished " + shownName;
        return 0;
    }
    const std::string said = LastLines(errorText);
    *error = "ffmpeg failed to write " + shownName + " (" + HowItEnded(status, tookEverything) +
             ")" + (said.empty() ? "" : ": " + said);
    return 0;
}

void VideoEncoder::Abort() {
    if (child < 0) return;
    KillGroup();
    Close();
    Wait();
}

}  // namespace capture
