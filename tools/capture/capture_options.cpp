// capture_options.cpp: parsing kelvo-capture's command line.
#include "tools/capture/capture_options.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sstream>

namespace {

// The largest elapsed time accepted by --at: far past the show's end, still an int.
const long kMaxAtTime = 100000000;
const long kMaxFps = 1000;

bool ParseNumber(const std::string& text, long low, long high, long* value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    long parsed = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || parsed < low || parsed > high) return false;
    *value = parsed;
    return true;
}

bool ParseTimes(const std::string& list, std::vector<int>* times) {
    std::stringstream stream(list);
    std::string item;
    times->clear();
    while (std::getline(stream, item, ',')) {
        long value = 0;
        if (!ParseNumber(item, 0, kMaxAtTime, &value)) return false;
        times->push_back(int(value));
    }
    return !times->empty() && list.back() != ',';
}

}  // namespace

const char* CaptureUsage() {
    return "usage: kelvo-capture [--data DIR] [--fps N | --at MS[,MS...]] [--out DIR [--video FILE]] [--windowed]\n"
           "                     [--bench]\n"
           "  Runs the show on an offscreen OpenGL context with a virtual clock.\n"
           "  --data DIR   folder that holds data/ (default: the working directory)\n"
           "  --fps N      render every frame from the show's start to its end at N frames\n"
           "               per second of show time (default 60)\n"
           "  --at MS,...  render one frame at each elapsed time listed, in order; the show's\n"
           "               first frame (0 ms) is always drawn, and written only when listed\n"
           "  --out DIR    write each rendered frame as DIR/frame_NNNNNN.png (elapsed ms), and\n"
           "               with --fps the music as DIR/soundtrack.wav\n"
           "  --video FILE mux the frames and the soundtrack into an MP4 (needs ffmpeg)\n"
           "  --windowed   answer the settings dialog with windowed output (default: full screen)\n"
           "  --bench      write nothing; print frame times per scene, load time and peak memory\n"
           "  Message boxes are printed to stderr as 'CAPTION: TEXT' and answered OK.\n";
}

bool ParseCaptureOptions(int argc, char** argv, CaptureOptions* options, std::string* error) {
    bool fpsGiven = false;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        bool takesValue = argument == "--data" || argument == "--out" || argument == "--video" ||
                          argument == "--fps" || argument == "--at";
        if (takesValue && i + 1 >= argc) {
            *error = argument + " needs a value";
            return false;
        }
        if (argument == "--data") {
            options->dataFolder = argv[++i];
        } else if (argument == "--out") {
            options->outFolder = argv[++i];
        } else if (argument == "--video") {
            options->videoPath = argv[++i];
        } else if (argument == "--fps") {
            long fps = 0;
            if (!ParseNumber(argv[++i], 1, kMaxFps, &fps)) {
                *error = "--fps takes a whole number from 1 to 1000";
                return false;
            }
            options->fps = int(fps);
            fpsGiven = true;
        } else if (argument == "--at") {
            if (!ParseTimes(argv[++i], &options->atTimes)) {
                *error = "--at takes elapsed times in ms, separated by commas (0 to 100000000)";
                return false;
            }
        } else if (argument == "--windowed") {
            options->windowed = true;
        } else if (argument == "--bench") {
            options->bench = true;
        } else if (argument == "--help" || argument == "-h") {
            options->help = true;
        } else {
            *error = "unknown argument " + argument;
            return false;
        }
    }
    if (fpsGiven && !options->atTimes.empty()) {
        *error = "--fps and --at cannot be combined";
        return false;
    }
    if (!options->videoPath.empty() && (options->outFolder.empty() || !options->atTimes.empty())) {
        *error = "--video needs --out and a frame rate, not --at";
        return false;
    }
    if (options->bench && !options->outFolder.empty()) {
        *error = "--bench writes no frames; leave out --out";
        return false;
    }
    return true;
}
