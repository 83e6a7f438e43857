// video_encoder.h: frames and a soundtrack piped into ffmpeg as they come, to an MP4 file.
#pragma once

#include <sys/types.h>

#include <condition_variable>
#include <csignal>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace capture {

struct VideoSettings {
    int width = 640;  // pixels; even, as H.264 4:2:0 needs
    int height = 480;
    int framesPerSecond = 60;
    int crf = 18;                     // x264's constant rate factor: lower is better and larger
    std::string preset = "veryfast";  // x264's speed preset
    std::string ffmpegProgram = "ffmpeg";  // looked up on PATH
    // The video as messages name it; empty: the path ffmpeg writes. A caller that has ffmpeg
    // write a temporary file names the file the user asked for here.
    std::string shownName;
};

// One ffmpeg process making an H.264 (yuv420p) + AAC MP4 with +faststart. Raw RGB frames
// go to its standard input and the soundtrack (44.1 kHz 16-bit stereo) to a second pipe,
// each from a thread of its own, so the caller renders the next frame while ffmpeg takes
// the last one. A fourth thread watches ffmpeg: once it has ended, for whatever reason,
// nothing waits on it any more. The file ffmpeg writes belongs to the caller, who keeps or
// removes it.
class VideoEncoder {
public:
    VideoEncoder() = default;
    VideoEncoder(const VideoEncoder&) = delete;
    VideoEncoder& operator=(const VideoEncoder&) = delete;
    // Stops ffmpeg if Finish has not been called.
    ~VideoEncoder();

    // Starts ffmpeg writing path (which it replaces). audio holds the whole soundtrack laid
    // under the frames. 1, or 0 with a message when ffmpeg cannot be started.
    int Open(const std::string& path, const VideoSettings& settings,
             std::vector<std::int16_t> audio, std::string* error);
    // Queues one frame: width x height x 3 bytes of RGB, top row first. Returns at once
    // unless the previous frame is still being written. 1, or 0 once ffmpeg has stopped
    // taking frames or has ended (Finish then tells why).
    int AddFrame(const std::uint8_t* rgbTopDown);
    // Ends the streams and waits for ffmpeg. 1 when the video is whole: every byte was
    // taken and ffmpeg exited 0. Otherwise 0 with ffmpeg's exit status and its error text
    // in *error. When *stop becomes nonzero while ffmpeg finishes, ffmpeg is stopped at
    // once and 0 is returned.
    int Finish(std::string* error, const volatile std::sig_atomic_t* stop = nullptr);
    // Stops ffmpeg at once (a capture that failed elsewhere).
    void Abort();

private:
    void WriteFrames();
    void WriteAudio();
    void ReadErrors();
    void WatchExit();
    bool WriteAll(int fd, const void* data, std::size_t size);
    void NoteWriteFailed();
    void KillGroup();
    // Ends the streams once the last frame is taken and waits for ffmpeg to end; true when
    // *stop made it stop ffmpeg first.
    bool WaitForExit(const volatile std::sig_atomic_t* stop);
    int Wait();
    void Close();

    std::string shownName;
    std::size_t frameBytes = 0;
    pid_t child = -1;
    int videoPipe = -1;
    int audioPipe = -1;
    int errorPipe = -1;
    // Readable once ffmpeg has ended: the watcher closes the other end.
    int endedRead = -1;
    int endedWrite = -1;
    std::vector<std::int16_t> audio;
    std::string errorText;  // what ffmpeg printed on stderr

    // The frame handed over and the one being written swap places.
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::uint8_t> pending;
    bool framePending = false;
    bool streamEnded = false;
    bool writeFailed = false;  // a frame or the sound could not be handed over whole
    bool ffmpegEnded = false;

    std::thread frameWriter;
    std::thread audioWriter;
    std::thread errorReader;
    std::thread exitWatcher;
};

}  // namespace capture
