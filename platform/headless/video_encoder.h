// video_encoder.h: frames and a soundtrack piped into ffmpeg as they come, to an MP4 file.
#pragma once

#include <sys/types.h>

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace headless {

struct VideoSettings {
    int width = 640;  // pixels; even, as H.264 4:2:0 needs
    int height = 480;
    int framesPerSecond = 60;
    int crf = 18;                     // x264's constant rate factor: lower is better and larger
    std::string preset = "veryfast";  // x264's speed preset
    std::string ffmpegProgram = "ffmpeg";  // looked up on PATH
};

// One ffmpeg process making an H.264 (yuv420p) + AAC MP4 with +faststart. Raw RGB frames
// go to its standard input and the soundtrack (44.1 kHz 16-bit stereo) to a second pipe,
// each from a thread of its own, so the caller renders the next frame while ffmpeg takes
// the last one. A video that is not finished whole is removed.
class VideoEncoder {
public:
    VideoEncoder() = default;
    VideoEncoder(const VideoEncoder&) = delete;
    VideoEncoder& operator=(const VideoEncoder&) = delete;
    // Stops ffmpeg and removes the file if Finish has not succeeded.
    ~VideoEncoder();

    // Starts ffmpeg writing path (replacing a file there). audio holds the whole soundtrack
    // laid under the frames. 1, or 0 with a message when ffmpeg cannot be started.
    int Open(const std::string& path, const VideoSettings& settings,
             std::vector<std::int16_t> audio, std::string* error);
    // Queues one frame: width x height x 3 bytes of RGB, top row first. Returns at once
    // unless the previous frame is still being written. 1, or 0 once ffmpeg has stopped
    // taking frames (Finish then tells why).
    int AddFrame(const std::uint8_t* rgbTopDown);
    // Ends the streams and waits for ffmpeg. 1 when the video is whole; otherwise 0 with
    // ffmpeg's exit status and its error text in *error, and the file is removed.
    int Finish(std::string* error);
    // Stops ffmpeg at once and removes the file (a capture that failed elsewhere).
    void Abort();

private:
    void WriteFrames();
    void WriteAudio();
    void ReadErrors();
    int Wait();
    void Close();

    std::string path;
    std::size_t frameBytes = 0;
    pid_t child = -1;
    int videoPipe = -1;
    int audioPipe = -1;
    int errorPipe = -1;
    std::vector<std::int16_t> audio;
    std::string errorText;  // what ffmpeg printed on stderr

    // The frame handed over and the one being written swap places.
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::uint8_t> pending;
    bool framePending = false;
    bool streamEnded = false;
    bool writeFailed = false;

    std::thread frameWriter;
    std::thread audioWriter;
    std::thread errorReader;
};

}  // namespace headless
