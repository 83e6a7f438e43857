// video_probe.h: what ffprobe reads of a video file the show's tools wrote.
#pragma once

#include <string>

struct VideoSummary {
    bool read = false;    // ffprobe ran and succeeded
    std::string streams;  // "codec_name=..." and "duration=..." lines, for messages
    double seconds = -1;  // the container's duration
    bool HasCodec(const std::string& name) const;
};
VideoSummary ProbeVideo(const std::string& path);
