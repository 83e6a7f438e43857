// capture_options.h: the command line of kelvo-capture.
#pragma once

#include <string>
#include <vector>

#include "app/display_settings.h"

struct CaptureOptions {
    std::string dataFolder;    // holds data/; empty: the working directory
    std::string outFolder;     // frames go here as frame_NNNNNN.png; empty: none written
    std::string videoPath;     // an MP4 of the frames and the soundtrack; empty: none
    int fps = 60;              // frames per second of show time, when atTimes is empty
    std::vector<int> atTimes;  // elapsed ms of the frames to render, in order; empty: every frame
    int width = kShowWidth;    // of the frames written; the show fills the largest 4:3 part
    int height = kShowHeight;
    int fromMs = 0;                   // with a frame rate: the frames from this elapsed time ...
    int toMs = -1;                    // ... up to, not including, this one; -1: to the show's end
    int crf = 18;                     // the video's x264 quality (lower: better, larger)
    std::string preset = "veryfast";  // the video's x264 speed preset
    bool windowed = false;            // answer the dialog with windowed output
    bool bench = false;               // time the frames and print figures; write nothing
    bool overwrite = false;           // replace files already at the paths the capture writes
    bool help = false;
};

// Reads argv into options. An option's value follows it as the next argument or after '='
// (--fps 30 or --fps=30). Returns false with a one-line reason in *error when an argument
// is unknown, lacks its value, has a value out of range or does not go with another.
bool ParseCaptureOptions(int argc, char** argv, CaptureOptions* options, std::string* error);

// The usage text printed by --help and after an error.
const char* CaptureUsage();
