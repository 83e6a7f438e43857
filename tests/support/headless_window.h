// headless_window.h: test fixtures on the headless layer: a fresh platform state, the
// program-wide display settings, and a real window with a current GL context.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/display_settings.h"
#include "platform/headless/headless.h"

// Resets the headless layer and the program-wide objects before each test and deletes
// what the test left behind afterwards.
class HeadlessTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The texts of the message boxes shown so far, in order.
    std::vector<std::string> BoxTexts() const;
};

// A test with the show's window open (windowed, 640 x 480 client area unless a frame is
// set) and its rendering context current.
class GlWindowTest : public HeadlessTest {
protected:
    void SetUp() override;
    void TearDown() override;

    HWND window = nullptr;
    HDC deviceContext = nullptr;
    HGLRC renderingContext = nullptr;
};

// The RGB colour of the framebuffer pixel at (x, y), y counted from the bottom.
struct Rgb {
    int r, g, b;
};
Rgb PixelAt(int x, int y);

// Deletes what a run of WinMain leaves for the process's end (the sequencer with its
// effects, the texture registry), so that the next run in the same test binary starts
// clean and leak checkers see nothing.
void ReleaseProgramObjects();

// Runs the real WinMain on the headless layer from a fresh state; onFrame is called on
// every SwapBuffers with the frame number.
int RunShow(std::function<void(int frameNumber)> onFrame);
