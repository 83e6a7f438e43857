// main.cpp: kelvo-capture: the show rendered offscreen on a virtual clock, to PNG frames, a
// video or timings.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/headless/headless.h"
#include "tools/capture/capture_options.h"
#include "tools/capture/capture_run.h"
#include "tools/capture/frame_layout.h"
#include "tools/capture/frame_times.h"
#include "tools/capture/output_folder.h"
#include "tools/capture/output_guard.h"

namespace fs = std::filesystem;

namespace {

int Refuse(const std::string& reason) {
    std::fprintf(stderr, "kelvo-capture: %s\n%s", reason.c_str(), CaptureUsage());
    return 2;
}

// What can only be checked against the renderer and the frame rate: the size fits the
// renderer and the span holds a frame.
bool CheckAgainstTheRenderer(const CaptureOptions& options, std::string* error) {
    if (options.atTimes.empty() && SpanFrameCount(options) <= 0) {
        *error = "--from " + std::to_string(options.fromMs) + " --to " +
                 std::to_string(options.toMs) + " holds no frame at " +
                 std::to_string(options.fps) + " fps";
        return false;
    }
    if (options.width == kShowWidth && options.height == kShowHeight) return true;
    const int largest = headless::MaxFramebufferSize();
    FrameLayout layout = FitShow(options.width, options.height);
    if (largest <= 0 || layout.showWidth > largest || layout.showHeight > largest) {
        *error = "--size " + std::to_string(options.width) + "x" + std::to_string(options.height) +
                 " is larger than the renderer draws (" + std::to_string(largest) +
                 " pixels a side at most)";
        return false;
    }
    return true;
}

// Made absolute (the show runs from the data folder) and checked before the show starts:
// a capture must not render for minutes and then find that it cannot keep anything, nor
// write over what is already there.
bool PrepareOutputs(CaptureOptions* options, std::string* error) {
    if (!options->videoPath.empty()) {
        options->videoPath = fs::absolute(options->videoPath).string();
        if (fs::is_directory(options->videoPath)) {
            *error = "the video " + options->videoPath + " is a folder";
            return false;
        }
    }
    if (!options->outFolder.empty()) options->outFolder = fs::absolute(options->outFolder).string();
    if (!CheckNothingIsOverwritten(*options, error)) return false;
    if (!options->videoPath.empty() &&
        !PrepareOutputFolder(fs::path(options->videoPath).parent_path().string(), error))
        return false;
    return options->outFolder.empty() || PrepareOutputFolder(options->outFolder, error);
}

}  // namespace

int main(int argc, char** argv) {
    CaptureOptions options;
    std::string error;
    if (!ParseCaptureOptions(argc, argv, &options, &error)) return Refuse(error);
    if (options.help) {
        std::fputs(CaptureUsage(), stdout);
        return 0;
    }
    if (!CheckAgainstTheRenderer(options, &error)) return Refuse(error);
    if (!options.videoPath.empty() && !ProgramOnPath("ffmpeg")) {
        std::fprintf(
            stderr,
            "kelvo-capture: --video needs ffmpeg, which is not on PATH (Debian package ffmpeg)\n");
        return 2;
    }
    if (!PrepareOutputs(&options, &error)) {
        std::fprintf(stderr, "kelvo-capture: %s\n", error.c_str());
        return 2;
    }
    if (!options.dataFolder.empty() && chdir(options.dataFolder.c_str()) != 0) {
        std::fprintf(stderr, "kelvo-capture: cannot enter %s: %s\n", options.dataFolder.c_str(),
                     std::strerror(errno));
        return 2;
    }
    return RunCapture(options);
}
