// headless_window.cpp: test fixtures on the headless layer.
#include "support/headless_window.h"

#include "app/main_window_proc.h"
#include "app/program_state.h"
#include "audio/music_track.h"
#include "gfx/texture_registry.h"
#include "timeline/effect.h"
#include "timeline/effect_sequencer.h"

void HeadlessTest::SetUp() {
    headless::Reset();
    quitFlag = 0;
    displaySettings = new DisplaySettings();
}

void HeadlessTest::TearDown() {
    headless::Reset();
    delete displaySettings;
    displaySettings = nullptr;
    quitFlag = 0;
}

std::vector<std::string> HeadlessTest::BoxTexts() const {
    std::vector<std::string> texts;
    for (const headless::RecordedBox& box : headless::MessageBoxes()) texts.push_back(box.text);
    return texts;
}

void GlWindowTest::SetUp() {
    HeadlessTest::SetUp();
    displaySettings->fullScreen = 0;
    ASSERT_EQ(1, displaySettings->OpenWindow(GetModuleHandleA(nullptr), MainWindowProc, &window,
                                             &deviceContext, &renderingContext));
}

void GlWindowTest::TearDown() {
    displaySettings->ReleaseWindow(window, deviceContext, renderingContext);
    HeadlessTest::TearDown();
}

Rgb PixelAt(int x, int y) {
    int width = 0, height = 0;
    std::vector<std::uint8_t> pixels = headless::ReadPixels(&width, &height);
    if (x < 0 || y < 0 || x >= width || y >= height) return Rgb{-1, -1, -1};
    std::size_t at = (static_cast<std::size_t>(y) * width + x) * 3;
    return Rgb{pixels[at], pixels[at + 1], pixels[at + 2]};
}

void ReleaseProgramObjects() {
    if (sequencer) {
        for (int i = 0; i < sequencer->effectCount; ++i) delete sequencer->effects[i];
        delete sequencer;
        sequencer = nullptr;
    }
    delete textureRegistry;
    textureRegistry = nullptr;
    delete musicTrack;
    musicTrack = nullptr;
    delete displaySettings;
    displaySettings = nullptr;
}

int RunShow(std::function<void(int frameNumber)> onFrame) {
    ReleaseProgramObjects();
    quitFlag = 0;
    headless::SetFrameHandler(std::move(onFrame));
    return WinMain(GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOW);
}
