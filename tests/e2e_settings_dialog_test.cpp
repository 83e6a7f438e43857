// End-to-end tests of the settings dialog of the real kelvo program on a private X server
// with a window manager, driven with xdotool as a viewer would.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <memory>
#include <string>
#include <thread>

#include "app/resources/resource_ids.h"
#include "support/live_session.h"

namespace {

// The dialog's client area: 186 x 39 dialog units at 6 x 13 base units.
const int kDialogWidth = 279, kDialogHeight = 63;

// A control's rectangle in the dialog's client area, in pixels (from its dialog units).
struct ControlBox {
    const char* name;
    int x, y, width, height;
};
const ControlBox kControls[] = {
    {"Full Screen", 22, 27, 76, 16},
    {"Quit", 112, 24, 75, 22},
    {"Go", 193, 24, 75, 22},
};

bool IsBackground(unsigned long colour, unsigned long background) {
    auto channel = [](unsigned long c, int shift) { return static_cast<int>((c >> shift) & 0xFF); };
    for (int shift : {0, 8, 16})
        if (std::abs(channel(colour, shift) - channel(background, shift)) > 24) return false;
    return true;
}

class E2eSettingsDialogTest : public ::testing::Test {
protected:
    void StartDialog() {
        ASSERT_TRUE(display.Ready()) << display.Problem();
        if (!program) program = std::make_unique<LiveProgram>(display.Name());
        ASSERT_TRUE(program->Started());
        // The window manager frames and places it; take it as it then stands.
        ASSERT_TRUE(program->WaitUntil(
            [&] { return TitledWindow(1, &dialog) && dialog.frameTop > 0; }, kTimeoutMs))
            << program->Output();
    }
    // Centred on the 640 x 480 screen: the window's corner at (320 - 65, 240 - 63), once
    // the program has moved it in by the frame the window manager added.
    void ExpectCentred() {
        program->WaitUntil(
            [&] {
                return TitledWindow(1, &dialog) && dialog.x - dialog.frameLeft == 255 &&
                       dialog.y - dialog.frameTop == 177;
            },
            kTimeoutMs);
        EXPECT_EQ(255, dialog.x - dialog.frameLeft) << program->Output();
        EXPECT_EQ(177, dialog.y - dialog.frameTop);
    }
    // The program's window at least minWidth wide as it stands now.
    bool TitledWindow(int minWidth, ScreenWindow* found) const {
        for (const ScreenWindow& window : WindowsTitled(display.Name(), kTitle)) {
            if (window.width >= minWidth) {
                *found = window;
                return true;
            }
        }
        return false;
    }
    void Keys(const std::vector<std::string>& keys) {
        ASSERT_EQ(0, TypeKeys(display.Name(), dialog.id, keys));
    }
    // The show's window is framed, smaller than 640 x 480 inside, 640 x 480 outside.
    void ExpectFramedShowWindow() {
        ScreenWindow show;
        ASSERT_TRUE(program->WaitForFirstFrame(kTimeoutMs)) << program->Output();
        // The window manager frames the window round the show's 640 x 480. Until it has taken
        // the window on, the window stands unframed at 640 x 480, which also adds up.
        EXPECT_TRUE(program->WaitUntil(
            [&] {
                return TitledWindow(kShowMinWidth, &show) && show.frameTop > 0 &&
                       show.frameLeft + show.width + show.frameRight == 640 &&
                       show.frameTop + show.height + show.frameBottom == 480;
            },
            kTimeoutMs))
            << program->Output();
        // The viewport at the latest frame follows the client area the frame left.
        const std::string client =
            "0 0 " + std::to_string(show.width) + " " + std::to_string(show.height) + " ";
        program->WaitUntil([&] { return program->LastViewport().rfind(client, 0) == 0; },
                           kTimeoutMs);
        EXPECT_GT(show.frameTop, 0);
        EXPECT_LT(show.width, 640);
        EXPECT_LT(show.height, 480);
        EXPECT_EQ(640, show.frameLeft + show.width + show.frameRight);
        EXPECT_EQ(480, show.frameTop + show.height + show.frameBottom);
        RecordProperty("client_area",
                       std::to_string(show.width) + "x" + std::to_string(show.height));
        // The viewport at the latest frame covers exactly the client area.
        std::string last = program->LastViewport();
        std::istringstream numbers(last);
        int x = -1, y = -1, width = -1, height = -1, drawableWidth = -1, drawableHeight = -1;
        numbers >> x >> y >> width >> height >> drawableWidth >> drawableHeight;
        EXPECT_EQ(0, x) << last;
        EXPECT_EQ(0, y) << last;
        EXPECT_EQ(show.width, width) << last;
        EXPECT_EQ(show.height, height) << last;
        EXPECT_EQ(show.width, drawableWidth) << last;
        EXPECT_EQ(show.height, drawableHeight) << last;
        // Resizing the window resizes the viewport with it.
        ASSERT_EQ(0, RunTool(display.Name(), {"xdotool", "windowsize", "--sync",
                                              std::to_string(show.id), "500", "360"}));
        const std::string resized = "0 0 500 360 500 360";
        program->WaitUntil([&] { return program->LastViewport() == resized; }, kTimeoutMs);
        EXPECT_EQ(resized, program->LastViewport());
        ASSERT_EQ(0, RunTool(display.Name(), {"xdotool", "keydown", "--window",
                                              std::to_string(show.id), "Escape"}));
        int exitCode = -1;
        ASSERT_TRUE(program->WaitForExit(kTimeoutMs, &exitCode)) << program->Output();
        EXPECT_EQ(0, exitCode);
    }

    PrivateDisplay display{true};
    std::unique_ptr<LiveProgram> program;
    ScreenWindow dialog;
};

}  // namespace

TEST_F(E2eSettingsDialogTest, DialogShowsItsCaptionAndThreeControlsOnTop) {
    StartDialog();
    // Spelled out rather than read back from the program's own constant, so a wrong title
    // in the header fails here.
    EXPECT_EQ("Kelvo Remix by Tarvik", dialog.title);
    EXPECT_EQ(kDialogWidth, dialog.width);
    EXPECT_EQ(kDialogHeight, dialog.height);
    // The window manager takes the request to keep it on top a moment after framing it.
    EXPECT_TRUE(
        program->WaitUntil([&] { return TitledWindow(1, &dialog) && dialog.above; }, kTimeoutMs));
    ExpectCentred();

    // Every control draws something (text, frame) inside its own rectangle, and the gaps
    // between them stay empty, so they stand on one row without overlapping.
    ScreenArea client;
    unsigned long background = 0;
    auto marks = [&](const ControlBox& control) {
        int marked = 0;
        for (int y = control.y; y < control.y + control.height; ++y)
            for (int x = control.x; x < control.x + control.width; ++x)
                marked += !IsBackground(client.At(x, y), background);
        return marked;
    };
    program->WaitUntil(
        [&] {
            if (!GrabArea(display.Name(), dialog.x, dialog.y, dialog.width, dialog.height, &client))
                return false;
            background = client.At(2, 2);
            for (const ControlBox& control : kControls)
                if (marks(control) <= 40) return false;
            return true;
        },
        kTimeoutMs);
    ASSERT_EQ(dialog.width, client.width);
    for (const ControlBox& control : kControls) EXPECT_GT(marks(control), 40) << control.name;
    for (int x : {2, 108, 189, 272})
        for (int y = 0; y < kDialogHeight; ++y)
            EXPECT_TRUE(IsBackground(client.At(x, y), background))
                << "column " << x << " row " << y;

    ScreenArea framed;
    ASSERT_TRUE(GrabArea(display.Name(), dialog.x - dialog.frameLeft, dialog.y - dialog.frameTop,
                         dialog.width + dialog.frameLeft + dialog.frameRight,
                         dialog.height + dialog.frameTop + dialog.frameBottom, &framed));
    std::filesystem::path artefacts =
        std::filesystem::path(KELVO_BIN_DIR).parent_path() / "e2e-artefacts";
    std::filesystem::create_directories(artefacts);
    EXPECT_TRUE(SavePng(framed, (artefacts / "settings_dialog.png").string()));

    Keys({"Escape"});
    int exitCode = -1;
    ASSERT_TRUE(program->WaitForExit(kTimeoutMs, &exitCode)) << program->Output();
}

// A window manager that is still starting, or busy, takes the dialog on seconds after it
// was shown; the dialog is centred all the same, once its frame is known.
TEST_F(E2eSettingsDialogTest, DialogIsCentredWhenTheWindowManagerTakesItOnLate) {
    display.HoldWindowManager(true);
    program = std::make_unique<LiveProgram>(display.Name());
    ASSERT_TRUE(program->Started());
    std::this_thread::sleep_for(std::chrono::milliseconds(3000));
    display.HoldWindowManager(false);
    StartDialog();
    ExpectCentred();
    Keys({"Escape"});
    int exitCode = -1;
    ASSERT_TRUE(program->WaitForExit(kTimeoutMs, &exitCode)) << program->Output();
    EXPECT_EQ(0, exitCode);
}

TEST_F(E2eSettingsDialogTest, SpaceThenEnterStartsTheShowInAFramedWindow) {
    StartDialog();
    // The focus starts on "Go"; two tabs bring it to the check box.
    Keys({"Tab", "Tab", "space", "Return"});
    ExpectFramedShowWindow();
}

TEST_F(E2eSettingsDialogTest, ClickOnTheCheckBoxThenEnterStartsTheShowInAFramedWindow) {
    StartDialog();
    ASSERT_EQ(0, RunTool(display.Name(), {"xdotool", "mousemove", "--sync", "--window",
                                          std::to_string(dialog.id), "30", "35", "click", "1"}));
    Keys({"Return"});
    ExpectFramedShowWindow();
}

TEST_F(E2eSettingsDialogTest, EscapeAndTheCloseButtonQuitWithoutAWindow) {
    for (bool closeButton : {false, true}) {
        SCOPED_TRACE(closeButton ? "close button" : "Escape");
        StartDialog();
        if (closeButton)
            ASSERT_TRUE(RequestClose(display.Name(), dialog.id));
        else
            Keys({"Escape"});
        int exitCode = -1;
        bool ended = false;
        bool showWindowSeen = false;
        for (long long deadline = NowMs() + kTimeoutMs; !ended && NowMs() < deadline;) {
            for (const ScreenWindow& window : WindowsTitled(display.Name(), kTitle))
                showWindowSeen |= window.width >= kShowMinWidth;
            ended = program->WaitForExit(10, &exitCode);
        }
        ASSERT_TRUE(ended) << program->Output();
        EXPECT_EQ(0, exitCode);
        EXPECT_FALSE(showWindowSeen);
        program.reset();
    }
}
