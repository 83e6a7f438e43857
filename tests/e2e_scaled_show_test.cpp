// End-to-end tests of full screen on screens of any size: the real kelvo program covers
// the screen without changing its mode, and shows the headless layer's picture scaled to
// the largest centred 4:3 rectangle, with black bars.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>

#include "app/resources/resource_ids.h"
#include "support/headless_frames.h"
#include "support/live_session.h"

namespace {

// How much of the show's start the screen's frame is searched in: the grab comes about
// half a second after the first frame, later on a loaded machine.
const int kSearchSpanMs = 6000;
// Frames of the same moment differ by colour rounding and by the scaling there and back:
// measured 0.001 to 0.04 on a quiet machine, up to 0.07 on a loaded one, where the live
// frames come far apart. Unrelated frames differ by 0.2 and more.
const double kSameMomentBound = 0.12;

struct Screen {
    const char* xvfbScreen;
    int width, height;
    // The picture's rectangle on the screen.
    int pictureX, pictureY, pictureWidth, pictureHeight;
    // Scaled by GL even though the renderer is a software one, which would have the X
    // server scale it.
    bool glScaling = false;
};

std::ostream& operator<<(std::ostream& out, const Screen& screen) {
    return out << screen.xvfbScreen << (screen.glScaling ? " scaled by GL" : "");
}

class E2eScaledShowTest : public ::testing::TestWithParam<Screen> {
protected:
    void StartShow() {
        ASSERT_TRUE(display.Ready()) << display.Problem();
        std::vector<std::string> environment;
        if (GetParam().glScaling) environment.push_back("KELVO_SERVER_SCALING=0");
        program = std::make_unique<LiveProgram>(display.Name(), environment);
        ASSERT_TRUE(program->Started());
        ASSERT_TRUE(program->WaitForWindow(kTitle, 1, kTimeoutMs, &dialog)) << program->Output();
        ASSERT_EQ(0, TypeKeys(display.Name(), dialog.id, {"Return"}));
    }
    // The show's windows seen now (the dialog is narrower).
    std::vector<ScreenWindow> ShowWindows() const {
        std::vector<ScreenWindow> shows;
        for (const ScreenWindow& window : WindowsTitled(display.Name(), kTitle))
            if (window.width >= kShowMinWidth) shows.push_back(window);
        return shows;
    }
    void EscapeEndsTheShowAndTheScreenKeepsItsSize(const ScreenWindow& show) {
        ASSERT_EQ(0, RunTool(display.Name(), {"xdotool", "keydown", "--window",
                                              std::to_string(show.id), "Escape"}));
        int exitCode = -1;
        ASSERT_TRUE(program->WaitForExit(kTimeoutMs, &exitCode)) << program->Output();
        EXPECT_EQ(0, exitCode) << program->Output();
        ExpectScreenUnchanged();
        EXPECT_TRUE(WindowsTitled(display.Name(), kTitle).empty());
    }
    void ExpectScreenUnchanged() {
        int width = 0, height = 0;
        ASSERT_TRUE(ScreenSize(display.Name(), &width, &height));
        EXPECT_EQ(GetParam().width, width);
        EXPECT_EQ(GetParam().height, height);
    }
    void SaveArtefact(const ScreenArea& area, const std::string& name) {
        std::filesystem::path artefacts =
            std::filesystem::path(KELVO_BIN_DIR).parent_path() / "e2e-artefacts";
        std::filesystem::create_directories(artefacts);
        SavePng(area, (artefacts / name).string());
    }

    PrivateDisplay display{false, GetParam().xvfbScreen};
    std::unique_ptr<LiveProgram> program;
    ScreenWindow dialog;
};

// Whether every pixel of the area outside the rectangle is black.
bool BlackOutside(const ScreenArea& screen, int x0, int y0, int width, int height, int* offending) {
    *offending = 0;
    for (int y = 0; y < screen.height; ++y)
        for (int x = 0; x < screen.width; ++x) {
            bool inside = x >= x0 && x < x0 + width && y >= y0 && y < y0 + height;
            if (!inside && screen.At(x, y) != 0) ++*offending;
        }
    return *offending == 0;
}

bool AllBlack(const ScreenArea& area) {
    return area.rgb.find_first_not_of('\0') == std::string::npos;
}

ScreenArea Crop(const ScreenArea& screen, int x0, int y0, int width, int height) {
    ScreenArea area;
    area.width = width;
    area.height = height;
    for (int y = y0; y < y0 + height; ++y)
        area.rgb.append(screen.rgb, (static_cast<std::size_t>(y) * screen.width + x0) * 3,
                        static_cast<std::size_t>(width) * 3);
    return area;
}

}  // namespace

TEST_P(E2eScaledShowTest, ShowCoversTheScreenWithTheHeadlessPictureScaled) {
    const Screen& screen = GetParam();
    StartShow();
    // The dialog is centred with the desktop's own mode.
    EXPECT_EQ(screen.width / 2 - 65, dialog.x);
    EXPECT_EQ(screen.height / 2 - 63, dialog.y);
    ScreenWindow show;
    ASSERT_TRUE(program->WaitForWindow(kTitle, kShowMinWidth, kTimeoutMs, &show))
        << program->Output();
    ASSERT_TRUE(program->WaitForFirstFrame(kTimeoutMs)) << program->Output();
    // The grab is taken once the show's picture has reached the screen.
    ScreenArea grabbed;
    ASSERT_TRUE(program->WaitUntil(
        [&] {
            return GrabArea(display.Name(), 0, 0, screen.width, screen.height, &grabbed) &&
                   !AllBlack(Crop(grabbed, screen.pictureX, screen.pictureY, screen.pictureWidth,
                                  screen.pictureHeight));
        },
        kTimeoutMs))
        << "the show's picture never reached the screen";

    std::vector<ScreenWindow> shows = ShowWindows();
    ASSERT_EQ(1u, shows.size());
    EXPECT_EQ(0, shows[0].x);
    EXPECT_EQ(0, shows[0].y);
    EXPECT_EQ(screen.width, shows[0].width);
    EXPECT_EQ(screen.height, shows[0].height);
    ExpectScreenUnchanged();
    // The program still sees a 640 x 480 picture: its viewport at the latest frame.
    std::istringstream viewport(program->LastViewport());
    int x = -1, y = -1, width = -1, height = -1;
    viewport >> x >> y >> width >> height;
    EXPECT_EQ(0, x);
    EXPECT_EQ(0, y);
    EXPECT_EQ(640, width);
    EXPECT_EQ(480, height);
    // A scaled picture from Mesa's software renderer is scaled by the X server unless told
    // otherwise; one at its own size is swapped onto the screen as it is.
    bool scaled = screen.pictureWidth != 640;
    EXPECT_EQ(scaled && !screen.glScaling ? "server" : "swap", program->LastPresentation());

    int offending = 0;
    EXPECT_TRUE(BlackOutside(grabbed, screen.pictureX, screen.pictureY, screen.pictureWidth,
                             screen.pictureHeight, &offending))
        << offending << " pixels of the bars are not black";
    ScreenArea picture = ShrinkTo(
        Crop(grabbed, screen.pictureX, screen.pictureY, screen.pictureWidth, screen.pictureHeight),
        640, 480);
    std::string problem;
    FrameMatch match = MatchShowFrame(picture, kSearchSpanMs, &problem);
    ASSERT_GE(match.elapsedMs, 0) << problem;
    RecordProperty("closest_frame_ms", match.elapsedMs);
    RecordProperty("rms_difference", std::to_string(match.difference));
    std::string name = std::string("scaled_show_") + std::to_string(screen.width) + "x" +
                       std::to_string(screen.height);
    if (match.difference > kSameMomentBound) {
        SaveArtefact(grabbed, name + ".png");
        SaveArtefact(picture, name + "_shrunk.png");
    }
    EXPECT_LE(match.difference, kSameMomentBound) << "closest headless frame " << match.elapsedMs
                                                  << " ms; picture saved under build/e2e-artefacts";
    std::printf("closest headless frame %d ms, RMS difference %.4f\n", match.elapsedMs,
                match.difference);

    EscapeEndsTheShowAndTheScreenKeepsItsSize(shows[0]);
}

INSTANTIATE_TEST_SUITE_P(
    Screens, E2eScaledShowTest,
    ::testing::Values(Screen{"1920x1080x24", 1920, 1080, 240, 0, 1440, 1080},
                      Screen{"1024x768x24", 1024, 768, 0, 0, 1024, 768},
                      // Taller than 4:3: the bars are above and below.
                      Screen{"1280x1024x24", 1280, 1024, 0, 32, 1280, 960},
                      Screen{"640x480x16", 640, 480, 0, 0, 640, 480},
                      Screen{"1920x1080x24", 1920, 1080, 240, 0, 1440, 1080, true},
                      Screen{"1280x1024x24", 1280, 1024, 0, 32, 1280, 960, true}),
    [](const ::testing::TestParamInfo<Screen>& info) {
        return std::to_string(info.param.width) + "x" + std::to_string(info.param.height) +
               (info.param.glScaling ? "ScaledByGl" : "");
    });
