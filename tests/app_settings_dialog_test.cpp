// Tests of the settings dialog: its procedure driven through the headless layer as a
// viewer's clicks would drive it, and its template.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "app/display_settings.h"
#include "app/program_state.h"
#include "app/settings_dialog.h"
#include "platform/headless/headless.h"
#include "platform/resources.h"
#include "support/headless_window.h"

namespace {

class SettingsDialogTest : public ::testing::Test {
protected:
    void SetUp() override { headless::Reset(); }
    void TearDown() override {
        ReleaseProgramObjects();
        headless::Reset();
        quitFlag = 0;
    }
    // Runs the whole program with the viewer's answers to the dialog; the show, if it
    // starts, ends at its first frame.
    int RunWithAnswers(const std::vector<int>& answers) {
        headless::Reset();
        headless::SetDialogAnswers(answers);
        return RunShow([&](int) {
            shownFullScreen = headless::CurrentMode().dmPelsWidth == 640 &&
                              headless::CallCount("ChangeDisplaySettingsA") == 1;
            headless::PressKey(VK_ESCAPE);
        });
    }
    bool shownFullScreen = false;
};

}  // namespace

TEST_F(SettingsDialogTest, ClicksOnTheCheckBoxChooseTheOutput) {
    struct Case {
        std::vector<int> answers;
        int fullScreen;
        int check;
    };
    const Case cases[] = {
        {{IDOK}, 1, BST_CHECKED},
        {{IDC_FULLSCREEN, IDOK}, 0, BST_UNCHECKED},
        {{IDC_FULLSCREEN, IDC_FULLSCREEN, IDOK}, 1, BST_CHECKED},
        {{IDC_FULLSCREEN, 4711, IDOK}, 0, BST_UNCHECKED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.answers));
        headless::Reset();
        headless::SetDialogAnswers(c.answers);
        quitFlag = 0;
        DisplaySettings settings;
        settings.fullScreen = 0;  // the dialog starts from full screen whatever came before
        displaySettings = &settings;
        INT_PTR result = DialogBoxParamA(nullptr, MAKEINTRESOURCEA(IDD_SETTINGS), nullptr,
                                         SettingsDialogProc, 0);
        displaySettings = nullptr;
        EXPECT_EQ(1, result);
        EXPECT_EQ(c.fullScreen, settings.fullScreen);
        EXPECT_EQ(c.check, headless::LastDialogCheck(IDC_FULLSCREEN));
        EXPECT_EQ(0, quitFlag);
    }
}

TEST_F(SettingsDialogTest, GoStartsTheShowInTheChosenOutput) {
    EXPECT_EQ(0, RunWithAnswers({IDOK}));
    EXPECT_TRUE(shownFullScreen);
    EXPECT_EQ(1, headless::CallCount("CreateWindowExA"));

    EXPECT_EQ(0, RunWithAnswers({IDC_FULLSCREEN, IDOK}));
    EXPECT_FALSE(shownFullScreen);
    EXPECT_EQ(0, headless::CallCount("ChangeDisplaySettingsA"));
    EXPECT_EQ(1, headless::CallCount("CreateWindowExA"));
}

TEST_F(SettingsDialogTest, QuitEndsTheProgramBeforeAnyWindow) {
    for (const std::vector<int>& answers :
         {std::vector<int>{IDCANCEL}, std::vector<int>{IDC_FULLSCREEN, IDCANCEL}}) {
        EXPECT_EQ(0, RunWithAnswers(answers));
        EXPECT_EQ(1, quitFlag);
        EXPECT_EQ(0, headless::CallCount("RegisterClassA"));
        EXPECT_EQ(0, headless::CallCount("CreateWindowExA"));
        EXPECT_EQ(0, headless::CallCount("ChangeDisplaySettingsA"));
        EXPECT_EQ(nullptr, headless::MainWindow());
    }
}

TEST_F(SettingsDialogTest, DialogIsCentredOnTheCurrentModeAndTopmost) {
    struct Case {
        int width, height;
        POINT corner;
    };
    const Case cases[] = {{1024, 768, {447, 321}}, {640, 480, {255, 177}}, {1280, 1024, {575, 449}},
                          {641, 481, {255, 177}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        headless::Reset();
        headless::SetDesktopMode(c.width, c.height, 32);
        DisplaySettings settings;
        displaySettings = &settings;
        DialogBoxParamA(nullptr, MAKEINTRESOURCEA(IDD_SETTINGS), nullptr, SettingsDialogProc, 0);
        displaySettings = nullptr;
        EXPECT_EQ(c.corner.x, headless::LastDialogPosition().x);
        EXPECT_EQ(c.corner.y, headless::LastDialogPosition().y);
        EXPECT_TRUE(headless::LastDialogTopmost());
    }
}

TEST_F(SettingsDialogTest, OtherMessagesAndCommandsAreLeftToTheSystem) {
    DisplaySettings settings;
    displaySettings = &settings;
    HWND dialog = reinterpret_cast<HWND>(&settings);
    for (UINT message : {UINT(WM_CLOSE), UINT(WM_KEYDOWN), UINT(WM_SIZE), UINT(WM_NULL)})
        EXPECT_EQ(FALSE, SettingsDialogProc(dialog, message, IDCANCEL, 0));
    EXPECT_EQ(FALSE, SettingsDialogProc(dialog, WM_COMMAND, 3, 0));
    // The notification code in the high word is not looked at.
    EXPECT_EQ(TRUE, SettingsDialogProc(dialog, WM_COMMAND, MAKEWPARAM(IDC_FULLSCREEN, 5), 0));
    EXPECT_EQ(0, settings.fullScreen);
    EXPECT_EQ(0, quitFlag);
    displaySettings = nullptr;
}

TEST_F(SettingsDialogTest, MissingTemplateFailsTheDialog) {
    DisplaySettings settings;
    displaySettings = &settings;
    EXPECT_EQ(-1, DialogBoxParamA(nullptr, MAKEINTRESOURCEA(102), nullptr, SettingsDialogProc, 0));
    EXPECT_EQ(-1, DialogBoxParamA(nullptr, "SETTINGS", nullptr, SettingsDialogProc, 0));
    displaySettings = nullptr;
    EXPECT_EQ(nullptr, FindDialogTemplate(MAKEINTRESOURCEA(0)));
}

// The resource script for the Windows build must describe the same dialog as the table.
TEST(SettingsDialogTemplate, ResourceScriptMatchesTheTable) {
    std::ifstream file(KELVO_SOURCE_DIR "/app/resources/kelvo.rc");
    ASSERT_TRUE(file.is_open());
    std::stringstream text;
    text << file.rdbuf();
    const std::string script = text.str();

    const DialogTemplate* form = FindDialogTemplate(MAKEINTRESOURCEA(IDD_SETTINGS));
    ASSERT_NE(nullptr, form);
    std::smatch match;
    ASSERT_TRUE(std::regex_search(script, match,
                                  std::regex(R"(IDD_SETTINGS DIALOG (\d+), (\d+), (\d+), (\d+))")));
    EXPECT_EQ(form->x, std::stoi(match[1]));
    EXPECT_EQ(form->y, std::stoi(match[2]));
    EXPECT_EQ(form->cx, std::stoi(match[3]));
    EXPECT_EQ(form->cy, std::stoi(match[4]));
    EXPECT_NE(std::string::npos, script.find("CAPTION \"" + std::string(form->caption) + "\""));
    EXPECT_NE(std::string::npos, script.find("FONT " + std::to_string(form->pointSize) + ", \"" +
                                             form->typeface + "\""));

    // Controls in template order: the text, then x, y, width, height as the last four numbers.
    std::regex control(R"(^\s*(DEFPUSHBUTTON|PUSHBUTTON|CONTROL)\s+\"([^\"]*)\".*?(\d+), (\d+), (\d+), (\d+)\s*$)");
    std::istringstream lines(script);
    std::string line;
    std::vector<std::vector<std::string>> found;
    while (std::getline(lines, line)) {
        std::smatch m;
        if (std::regex_match(line, m, control))
            found.push_back({m[1], m[2], m[3], m[4], m[5], m[6]});
    }
    ASSERT_EQ(static_cast<std::size_t>(form->itemCount), found.size());
    for (int i = 0; i < form->itemCount; ++i) {
        const DialogItemTemplate& item = form->items[i];
        SCOPED_TRACE(item.text);
        EXPECT_EQ(item.text, found[i][1]);
        EXPECT_EQ(item.x, std::stoi(found[i][2]));
        EXPECT_EQ(item.y, std::stoi(found[i][3]));
        EXPECT_EQ(item.cx, std::stoi(found[i][4]));
        EXPECT_EQ(item.cy, std::stoi(found[i][5]));
        const char* kind = (item.style & 0xF) == BS_DEFPUSHBUTTON ? "DEFPUSHBUTTON"
                           : (item.style & 0xF) == BS_PUSHBUTTON  ? "PUSHBUTTON"
                                                                   : "CONTROL";
        EXPECT_EQ(kind, found[i][0]);
    }
}
