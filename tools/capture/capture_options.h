// capture_options.h: the command line of kelvo-capture.
#pragma once

#include <string>
#include <vector>

struct CaptureOptions {
    std::string dataFolder;  // holds data/; empty: the working directory
    std::string outFolder;   // frames go here as frame_NNNNNN.png; empty: none written
    std::string videoPath;   // an MP4 of the frames and the soundtrack; empty: none
    int fps = 60;            // frames per second of show time, when atTimes is empty
    std::vector<int> atTimes;  // elapsed ms of the frames to render, in order; empty: every frame
    bool windowed = false;     // answer the dialog with windowed output
    bool bench = false;        // time the frames and print figures; write nothing
    bool help = false;
};

// Reads argv into options. Returns false with a one-line reason in *error when an argument
// is unknown, lacks its value or has a value out of range.
bool ParseCaptureOptions(int argc, char** argv, CaptureOptions* options, std::string* error);

// The usage text printed by --help and after an error.
const char* CaptureUsage();
