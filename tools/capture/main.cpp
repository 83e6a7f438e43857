// main.cpp: kelvo-capture: the show rendered offscreen on a virtual clock, to PNG frames or timings.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "tools/capture/capture_options.h"
#include "tools/capture/capture_run.h"
#include "tools/capture/output_folder.h"
#include "tools/capture/soundtrack.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    CaptureOptions options;
    std::string error;
    if (!ParseCaptureOptions(argc, argv, &options, &error)) {
        std::fprintf(stderr, "kelvo-capture: %s\n%s", error.c_str(), CaptureUsage());
        return 2;
    }
    if (options.help) {
        std::fputs(CaptureUsage(), stdout);
        return 0;
    }
    if (!options.videoPath.empty() && !ProgramOnPath("ffmpeg")) {
        std::fprintf(stderr, "kelvo-capture: --video needs ffmpeg, which is not on PATH (Debian package ffmpeg)\n");
        return 2;
    }
    if (!options.outFolder.empty()) {
        // Made absolute first: the show runs from the data folder.
        options.outFolder = fs::absolute(options.outFolder).string();
        if (!options.videoPath.empty()) options.videoPath = fs::absolute(options.videoPath).string();
        // Refused before the show starts: a capture must not render for minutes and then
        // find that it cannot keep anything.
        if (!PrepareOutputFolder(options.outFolder, &error) ||
            (!options.videoPath.empty() &&
             !PrepareOutputFolder(fs::path(options.videoPath).parent_path().string(), &error))) {
            std::fprintf(stderr, "kelvo-capture: %s\n", error.c_str());
            return 2;
        }
    }
    if (!options.dataFolder.empty() && chdir(options.dataFolder.c_str()) != 0) {
        std::fprintf(stderr, "kelvo-capture: cannot enter %s: %s\n", options.dataFolder.c_str(), std::strerror(errno));
        return 2;
    }

    int result = RunCapture(options);
    // The soundtrack (and the video made with it) belong to a capture of every frame. Any
    // output asked for and not written fails the run, so a script cannot mistake it for done.
    if (result != 0 || !options.atTimes.empty() || options.outFolder.empty()) return result;
    if (!WriteSoundtrack(options.outFolder)) return 1;
    if (!options.videoPath.empty() && !WriteVideo(options.outFolder, options.fps, options.videoPath)) return 1;
    return 0;
}
