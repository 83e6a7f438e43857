// headless_frames.h: finding the moment of a frame seen on a screen among the frames the
// headless layer draws (kelvo-capture), by their colour difference.
#pragma once

#include <string>
#include <vector>

#include "support/live_session.h"
#include "support/test_files.h"

// An area of the screen shrunk to the show's 640 x 480: each pixel is the mean of the
// screen pixels whose centres fall in it.
ScreenArea ShrinkTo(const ScreenArea& area, int width, int height);

// The normalised RMS difference of two pictures of the same size (0 same, 1 opposite),
// over the three colours, as ImageMagick's "compare -metric RMSE" prints it in brackets.
double RmsDifference(const ScreenArea& a, const ScreenArea& b);

struct FrameMatch {
    int elapsedMs = -1;  // -1: no frame could be compared
    double difference = 1.0;
};

// Renders the show's frames at the listed elapsed times with kelvo-capture (the generated
// data folder, full screen) into a fresh folder, and finds the one closest to the picture.
// The frames stay on disk while the object lives, to be matched again.
class HeadlessFrames {
public:
    explicit HeadlessFrames(const std::vector<int>& elapsedMs);
    ~HeadlessFrames();
    HeadlessFrames(const HeadlessFrames&) = delete;
    HeadlessFrames& operator=(const HeadlessFrames&) = delete;

    bool Rendered() const { return rendered_; }
    const std::string& Problem() const { return problem_; }
    FrameMatch Closest(const ScreenArea& picture) const;
    // The frame at elapsed ms as a picture, top row first; empty when missing.
    ScreenArea Frame(int elapsedMs) const;

private:
    TempFolder scratch_;
    std::string folder_;
    std::vector<int> elapsedMs_;
    bool rendered_ = false;
    std::string problem_;
};

// The frame on the screen matches the headless frame of the same moment: the closest of
// frames 40 ms apart over the first `spanMs` of the show, then of frames 2 ms apart round
// it.
FrameMatch MatchShowFrame(const ScreenArea& picture, int spanMs, std::string* problem);
