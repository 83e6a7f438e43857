// video_probe.cpp: ffprobe's reading of a video's codecs and duration.
#include "support/video_probe.h"

#include <cstdlib>

#include "support/tool_runs.h"

bool VideoSummary::HasCodec(const std::string& name) const {
    return streams.find("codec_name=" + name + "\n") != std::string::npos;
}

VideoSummary ProbeVideo(const std::string& path) {
    ProgramStart start;
    start.arguments = {
        "ffprobe", "-v",           "error", "-show_entries", "stream=codec_name:format=duration",
        "-of",     "default=nw=1", path};
    const ToolRun run = RunProgram(start);
    VideoSummary summary;
    summary.read = run.exitCode == 0;
    summary.streams = run.out + run.err;
    const std::size_t at = run.out.find("duration=");
    if (at != std::string::npos) summary.seconds = std::atof(run.out.c_str() + at + 9);
    return summary;
}
