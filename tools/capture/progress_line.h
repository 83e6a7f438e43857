// progress_line.h: one self-updating status line on a terminal while a long capture runs.
#pragma once

#include <chrono>
#include <cstdio>

class ProgressLine {
public:
    // Shows nothing unless out is a terminal.
    explicit ProgressLine(std::FILE* out);
    // Frames done of total; redrawn a few times a second at most.
    void Update(long done, long total);
    // Ends the line so that what follows starts on a fresh one.
    void Finish();

private:
    std::FILE* out;
    bool enabled;
    bool shown = false;
    std::chrono::steady_clock::time_point started;
    std::chrono::steady_clock::time_point lastDrawn;
};
