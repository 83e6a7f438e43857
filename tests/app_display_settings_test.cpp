// Tests of the output window's opening, release and resizing on the headless layer.
#include "platform/gl.h"
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/display_settings.h"
#include "app/main_window_proc.h"
#include "app/program_state.h"
#include "support/headless_window.h"

namespace {

class OpenWindowTest : public HeadlessTest {
protected:
    int Open() {
        return displaySettings->OpenWindow(GetModuleHandleA(nullptr), MainWindowProc, &window,
                                           &deviceContext, &renderingContext);
    }
    // The release calls logged after the named failing call, in order.
    std::vector<std::string> ReleaseCallsAfter(const std::string& failingCall) const {
        static const char* const kReleaseCalls[] = {"ChangeDisplaySettingsA(NULL",
                                                    "ShowCursor(TRUE)",
                                                    "wglMakeCurrent(NULL)",
                                                    "wglDeleteContext",
                                                    "ReleaseDC",
                                                    "DestroyWindow"};
        const std::vector<std::string>& log = headless::CallLog();
        auto failed = std::find_if(log.begin(), log.end(), [&](const std::string& entry) {
            return entry.compare(0, failingCall.size(), failingCall) == 0;
        });
        std::vector<std::string> calls;
        for (auto it = failed == log.end() ? log.end() : failed + 1; it != log.end(); ++it) {
            for (const char* release : kReleaseCalls) {
                if (it->compare(0, std::string(release).size(), release) == 0) calls.push_back(*it);
            }
            if (it->compare(0, 11, "MessageBoxA") == 0) calls.push_back("box");
        }
        return calls;
    }

    HWND window = nullptr;
    HDC deviceContext = nullptr;
    HGLRC renderingContext = nullptr;
};

}  // namespace

TEST_F(OpenWindowTest, FullScreenOpensAtSixForty) {
    ASSERT_EQ(1, Open());
    EXPECT_NE(nullptr, window);
    EXPECT_NE(nullptr, deviceContext);
    EXPECT_NE(nullptr, renderingContext);
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_EQ(1, headless::CallCount("ChangeDisplaySettingsA"));
    EXPECT_EQ("ChangeDisplaySettingsA(640x480x16, CDS_FULLSCREEN)", headless::CallLog()[1]);
    EXPECT_LT(headless::CursorCounter(), 0);
    EXPECT_EQ(640, displaySettings->width);
    EXPECT_EQ(480, displaySettings->height);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(640, viewport[2]);
    EXPECT_EQ(480, viewport[3]);

    EXPECT_EQ(1, displaySettings->ReleaseWindow(window, deviceContext, renderingContext));
    EXPECT_EQ(0, headless::CursorCounter());
    EXPECT_EQ(480u, headless::CurrentMode().dmPelsHeight);
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_EQ(nullptr, headless::MainWindow());
}

TEST_F(OpenWindowTest, EachFailingStepShowsOneBoxAfterReleasingWhatItMade) {
    struct Case {
        const char* failingCall;
        const char* text;
        std::vector<std::string> releases;
    } cases[] = {
        {"RegisterClassA", "Failed To Register The Window Class.", {"box"}},
        {"CreateWindowExA",
         "Window Creation Error",
         {"ChangeDisplaySettingsA(NULL, 0)", "ShowCursor(TRUE)", "box"}},
        {"GetDC",
         "Can't Create A GL Device Context.",
         {"ChangeDisplaySettingsA(NULL, 0)", "ShowCursor(TRUE)", "DestroyWindow", "box"}},
        {"ChoosePixelFormat",
         "Can't Find A Suitable PixelFormat.",
         {"ChangeDisplaySettingsA(NULL, 0)", "ShowCursor(TRUE)", "ReleaseDC", "DestroyWindow",
          "box"}},
        {"SetPixelFormat",
         "Can't Set The PixelFormat.",
         {"ChangeDisplaySettingsA(NULL, 0)", "ShowCursor(TRUE)", "ReleaseDC", "DestroyWindow",
          "box"}},
        {"wglCreateContext",
         "Can't Create A GL Rendering Context.",
         {"ChangeDisplaySettingsA(NULL, 0)", "ShowCursor(TRUE)", "ReleaseDC", "DestroyWindow",
          "box"}},
        {"wglMakeCurrent",
         "Can't Activate The GL Rendering Context.",
         {"ChangeDisplaySettingsA(NULL, 0)", "ShowCursor(TRUE)", "wglDeleteContext", "ReleaseDC",
          "DestroyWindow", "box"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failingCall);
        headless::Reset();
        displaySettings->fullScreen = 1;
        // Only the first call fails, so that the release's own unbinding goes through.
        headless::FailCall(c.failingCall, 1);
        EXPECT_EQ(0, Open());
        ASSERT_EQ(1u, headless::MessageBoxes().size());
        EXPECT_EQ(c.text, headless::MessageBoxes()[0].text);
        EXPECT_EQ("Error !", headless::MessageBoxes()[0].caption);
        EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), headless::MessageBoxes()[0].type);
        std::vector<std::string> releases = ReleaseCallsAfter(c.failingCall);
        // The failed wglMakeCurrent is followed by the release's own unbinding.
        releases.erase(std::remove(releases.begin(), releases.end(), "wglMakeCurrent(NULL)"),
                       releases.end());
        EXPECT_EQ(c.releases, releases);
        EXPECT_EQ(nullptr, headless::MainWindow());
        if (std::string(c.failingCall) != "RegisterClassA") {
            EXPECT_EQ(0, headless::CursorCounter());
            EXPECT_EQ(480u, headless::CurrentMode().dmPelsHeight);
        }
    }
}

TEST_F(OpenWindowTest, RefusedModeShowsNothingAndOpensNoWindow) {
    // On a 16-bit desktop there is no other depth to try; on a 32-bit one both are refused.
    for (int desktopBits : {16, 32}) {
        SCOPED_TRACE(desktopBits);
        headless::Reset();
        headless::SetDesktopMode(640, 480, desktopBits);
        headless::SetRefuseFullScreen(true);
        EXPECT_EQ(0, Open());
        EXPECT_TRUE(BoxTexts().empty());
        EXPECT_EQ(desktopBits == 16 ? 1 : 2, headless::CallCount("ChangeDisplaySettingsA"));
        EXPECT_EQ(0, headless::CallCount("CreateWindowExA"));
        EXPECT_EQ(0, headless::CallCount("ShowCursor"));
        EXPECT_EQ(nullptr, headless::MainWindow());
        EXPECT_EQ(static_cast<DWORD>(desktopBits), headless::CurrentMode().dmBitsPerPel);
    }
}

// A system that refuses modes below 32 bits per pixel gets the same size again at the
// desktop's depth, and the show opens as usual.
TEST_F(OpenWindowTest, RefusedSixteenBitModeIsRetriedAtTheDesktopDepth) {
    headless::SetDesktopMode(1920, 1080, 32);
    headless::SetLowestFullScreenBits(32);
    ASSERT_EQ(1, Open());
    EXPECT_TRUE(BoxTexts().empty());
    std::vector<std::string> requests;
    for (const std::string& entry : headless::CallLog())
        if (entry.compare(0, 22, "ChangeDisplaySettingsA") == 0) requests.push_back(entry);
    EXPECT_EQ((std::vector<std::string>{"ChangeDisplaySettingsA(640x480x16, CDS_FULLSCREEN)",
                                        "ChangeDisplaySettingsA(640x480x32, CDS_FULLSCREEN)"}),
              requests);
    EXPECT_EQ(640u, headless::CurrentMode().dmPelsWidth);
    EXPECT_EQ(32u, headless::CurrentMode().dmBitsPerPel);
    EXPECT_LT(headless::CursorCounter(), 0);
    EXPECT_NE(nullptr, headless::MainWindow());
    displaySettings->ReleaseWindow(window, deviceContext, renderingContext);
    EXPECT_EQ(1920u, headless::CurrentMode().dmPelsWidth);
    EXPECT_EQ(0, headless::CursorCounter());
}

TEST_F(OpenWindowTest, WindowedModeRequestsNoModeAndKeepsTheCursor) {
    displaySettings->fullScreen = 0;
    headless::SetWindowFrame(3, 22, 3, 3);
    ASSERT_EQ(1, Open());
    EXPECT_EQ(0, headless::CallCount("ChangeDisplaySettingsA"));
    EXPECT_EQ(0, headless::CallCount("ShowCursor"));
    EXPECT_EQ(634, displaySettings->width);
    EXPECT_EQ(455, displaySettings->height);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(634, viewport[2]);
    EXPECT_EQ(455, viewport[3]);
    displaySettings->ReleaseWindow(window, deviceContext, renderingContext);
    EXPECT_EQ(0, headless::CallCount("ChangeDisplaySettingsA"));
}

TEST_F(OpenWindowTest, FailingReleaseStepsEachShowAShutdownBoxAndGoOn) {
    ASSERT_EQ(1, Open());
    headless::FailCall("wglMakeCurrent");
    headless::FailCall("wglDeleteContext");
    headless::FailCall("ReleaseDC");
    headless::FailCall("DestroyWindow");
    EXPECT_EQ(1, displaySettings->ReleaseWindow(window, deviceContext, renderingContext));
    EXPECT_EQ((std::vector<std::string>{
                  "Release Of DC And RC Failed.", "Release Rendering Context Failed.",
                  "Release Device Context Failed.", "Could Not Release hWnd."}),
              BoxTexts());
    for (const headless::RecordedBox& box : headless::MessageBoxes()) {
        EXPECT_EQ("SHUTDOWN ERROR", box.caption);
        EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONINFORMATION), box.type);
    }
    EXPECT_EQ(0, headless::CursorCounter());
}

TEST_F(OpenWindowTest, ReleaseWithNoHandlesInWindowedModeDoesNothing) {
    displaySettings->fullScreen = 0;
    EXPECT_EQ(1, displaySettings->ReleaseWindow(nullptr, nullptr, nullptr));
    EXPECT_TRUE(headless::CallLog().empty());
}

TEST_F(OpenWindowTest, ResizeStoresTheSizeAndSetsTheViewport) {
    displaySettings->fullScreen = 0;
    ASSERT_EQ(1, Open());
    struct Case {
        int width, height;
    } cases[] = {{320, 200}, {0, 0}, {800, 600}};
    for (const Case& c : cases) {
        headless::ResizeClient(window, c.width, c.height);
        EXPECT_EQ(c.width, displaySettings->width);
        EXPECT_EQ(c.height, displaySettings->height);
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(c.width, viewport[2]);
        EXPECT_EQ(c.height, viewport[3]);
    }
    displaySettings->ReleaseWindow(window, deviceContext, renderingContext);
}
