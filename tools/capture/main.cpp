// main.cpp: kelvo-capture: the show rendered offscreen on a virtual clock, to PNG frames or timings.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "tools/capture/capture_options.h"
#include "tools/capture/capture_run.h"
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
    std::error_code failure;
    if (!options.outFolder.empty()) {
        // Made absolute first: the show runs from the data folder.
        options.outFolder = fs::absolute(options.outFolder).string();
        if (!options.videoPath.empty()) options.videoPath = fs::absolute(options.videoPath).string();
        fs::create_directories(options.outFolder, failure);
        if (failure) {
            std::fprintf(stderr, "kelvo-capture: cannot make %s: %s\n", options.outFolder.c_str(),
                         failure.message().c_str());
            return 2;
        }
    }
    if (!options.dataFolder.empty() && chdir(options.dataFolder.c_str()) != 0) {
        std::fprintf(stderr, "kelvo-capture: cannot enter %s\n", options.dataFolder.c_str());
        return 2;
    }

    int result = RunCapture(options);
    // Sound and video are extras: without them the frames still stand, and the exit code
    // stays the program's.
    bool everyFrame = options.atTimes.empty();
    if (result == 0 && everyFrame && !options.outFolder.empty() && WriteSoundtrack(options.outFolder) &&
        !options.videoPath.empty())
        WriteVideo(options.outFolder, options.fps, options.videoPath);
    return result;
}
