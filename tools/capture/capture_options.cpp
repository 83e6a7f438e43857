// capture_options.cpp: parsing kelvo-capture's command line.
#include "tools/capture/capture_options.h"

#include "app/win_main.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sstream>

namespace {

// The largest elapsed time accepted by --at: far past the show's end, still an int.
const long kMaxAtTime = 100000000;
const long kMaxFps = 1000;
// Sizes are checked against the renderer's own limit before the show starts; this only
// keeps the numbers sane.
const long kMaxSide = 65536;
const char* const kPresets[] = {"ultrafast", "superfast", "veryfast", "faster",  "fast",
                                "medium",    "slow",      "slower",   "veryslow"};

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

// "WxH": two whole numbers, each even and above 0 (H.264's 4:2:0 halves both).
bool ParseSize(const std::string& text, int* width, int* height) {
    std::size_t x = text.find('x');
    long w = 0, h = 0;
    if (x == std::string::npos || !ParseNumber(text.substr(0, x), 2, kMaxSide, &w) ||
        !ParseNumber(text.substr(x + 1), 2, kMaxSide, &h) || w % 2 != 0 || h % 2 != 0)
        return false;
    *width = int(w);
    *height = int(h);
    return true;
}

bool KnownPreset(const std::string& name) {
    for (const char* preset : kPresets)
        if (name == preset) return true;
    return false;
}

// The options that only make sense together, or never do.
bool CheckCombinations(const CaptureOptions& options, bool fpsGiven, bool spanGiven,
                       std::string* error) {
    if (fpsGiven && !options.atTimes.empty()) {
        *error = "--fps and --at cannot be combined";
        return false;
    }
    if (spanGiven && !options.atTimes.empty()) {
        *error = "--from and --to go with a frame rate, not --at";
        return false;
    }
    if (options.toMs >= 0 && options.fromMs >= options.toMs) {
        *error = "--from must come before --to";
        return false;
    }
    if (!options.videoPath.empty() && !options.atTimes.empty()) {
        *error = "--video needs a frame rate, not --at";
        return false;
    }
    if (options.bench && (!options.outFolder.empty() || !options.videoPath.empty())) {
        *error = "--bench writes nothing; leave out --out and --video";
        return false;
    }
    return true;
}

struct ParseState {
    bool fpsGiven = false;
    bool spanGiven = false;
};

// "--name=value" into its name and value; false (and both left alone) for anything else.
bool SplitJoinedValue(std::string* name, std::string* value) {
    const std::size_t equals = name->find('=');
    if (name->rfind("--", 0) != 0 || equals == std::string::npos) return false;
    *value = name->substr(equals + 1);
    name->erase(equals);
    return true;
}

bool TakesValue(const std::string& name) {
    for (const char* option : {"--data", "--out", "--video", "--fps", "--at", "--size", "--from",
                               "--to", "--crf", "--preset"})
        if (name == option) return true;
    return false;
}

bool IsFlag(const std::string& name) {
    for (const char* flag : {"--windowed", "--bench", "--overwrite", "--help", "-h"})
        if (name == flag) return true;
    return false;
}

void ApplyFlag(const std::string& name, CaptureOptions* options) {
    if (name == "--windowed") options->windowed = true;
    if (name == "--bench") options->bench = true;
    if (name == "--overwrite") options->overwrite = true;
    if (name == "--help" || name == "-h") options->help = true;
}

bool ApplyNumber(const std::string& name, const std::string& value, CaptureOptions* options,
                 ParseState* state, std::string* error) {
    long number = 0;
    if (name == "--fps") {
        if (!ParseNumber(value, 1, kMaxFps, &number)) {
            *error = "--fps takes a whole number from 1 to 1000";
            return false;
        }
        options->fps = int(number);
        state->fpsGiven = true;
    } else if (name == "--crf") {
        if (!ParseNumber(value, 0, 51, &number)) {
            *error = "--crf takes a whole number from 0 to 51";
            return false;
        }
        options->crf = int(number);
    } else {
        if (!ParseNumber(value, 0, kShowLength, &number)) {
            *error = name + " takes an elapsed time in ms within the show, 0 to " +
                     std::to_string(kShowLength);
            return false;
        }
        (name == "--from" ? options->fromMs : options->toMs) = int(number);
        state->spanGiven = true;
    }
    return true;
}

bool ApplyValue(const std::string& name, const std::string& value, CaptureOptions* options,
                ParseState* state, std::string* error) {
    if (name == "--data") {
        options->dataFolder = value;
    } else if (name == "--out") {
        options->outFolder = value;
    } else if (name == "--video") {
        options->videoPath = value;
    } else if (name == "--at") {
        if (!ParseTimes(value, &options->atTimes)) {
            *error = "--at takes elapsed times in ms, separated by commas (0 to 100000000)";
            return false;
        }
    } else if (name == "--size") {
        if (!ParseSize(value, &options->width, &options->height)) {
            *error = "--size takes WIDTHxHEIGHT, both even and above 0, such as 1920x1080";
            return false;
        }
    } else if (name == "--preset") {
        options->preset = value;
        if (!KnownPreset(value)) {
            *error =
                "--preset takes one of ultrafast, superfast, veryfast, faster, fast, medium, "
                "slow, slower, veryslow";
            return false;
        }
    } else {
        return ApplyNumber(name, value, options, state, error);
    }
    return true;
}

}  // namespace

const char* CaptureUsage() {
    static const std::string usage =
        "usage: kelvo-capture [--data DIR] [--fps N [--from MS] [--to MS] | --at MS[,MS...]] "
        "[--size WxH]\n"
        "                     [--out DIR] [--video FILE [--crf N] [--preset NAME]] [--overwrite]\n"
        "                     [--windowed] [--bench]\n"
        "  Runs the show on an offscreen OpenGL context with a virtual clock. A value may\n"
        "  also follow its option after '=', as in --fps=30.\n"
        "  --data DIR   folder that holds data/ (default: the working directory)\n"
        "  --fps N      render every frame from the show's start to its end at N frames\n"
        "               per second of show time (default 60)\n"
        "  --at MS,...  render one frame at each elapsed time listed, in order; the show's\n"
        "               first frame (0 ms) is always drawn, and written only when listed\n"
        "  --from MS    with a frame rate, capture only the frames from MS (elapsed, 0 to " +
        std::to_string(kShowLength) + ")\n" +
        "  --to MS      ... up to, not including, MS (default: to the show's end)\n"
        "  --size WxH   frame size, both even (default 640x480): the show is rendered at the\n"
        "               largest 4:3 size that fits, centred between black bars\n"
        "  --out DIR    write each rendered frame as DIR/frame_NNNNNN.png (elapsed ms), and\n"
        "               with a frame rate the music as DIR/soundtrack.wav\n"
        "  --video FILE encode the frames and the soundtrack as they render into an MP4\n"
        "               (H.264 + AAC, needs ffmpeg); with or without --out\n"
        "  --crf N      the video's x264 quality, 0 to 51, lower is better (default 18)\n"
        "  --preset P   the video's x264 speed preset, ultrafast to veryslow (default veryfast)\n"
        "  --overwrite  replace files already at the paths the capture writes (the video,\n"
        "               frames, soundtrack.wav); without it they are refused before rendering\n"
        "  --windowed   answer the settings dialog with windowed output (default: full screen)\n"
        "  --bench      write nothing; print frame times per scene, load time and peak memory\n"
        "  Message boxes are printed to stderr as 'CAPTION: TEXT' and answered OK.\n";
    return usage.c_str();
}

bool ParseCaptureOptions(int argc, char** argv, CaptureOptions* options, std::string* error) {
    ParseState state;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        std::string name = argument, value;
        const bool joined = SplitJoinedValue(&name, &value);
        if (IsFlag(name)) {
            if (joined) {
                *error = name + " takes no value";
                return false;
            }
            ApplyFlag(name, options);
            continue;
        }
        if (!TakesValue(name)) {
            *error = "unknown argument " + argument;
            return false;
        }
        if (!joined && i + 1 >= argc) {
            *error = name + " needs a value";
            return false;
        }
        if (!joined) value = argv[++i];
        if (!ApplyValue(name, value, options, &state, error)) return false;
    }
    return CheckCombinations(*options, state.fpsGiven, state.spanGiven, error);
}
