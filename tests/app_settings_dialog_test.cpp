// Tests of the settings dialog: its procedure driven through the headless layer as a
// viewer's clicks would drive it, and its template.
#include <gtest/gtest.h>

#include <fstream>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "app/display_settings.h"
#include "app/program_state.h"
#include "app/resources/resource_ids.h"
#include "app/settings_dialog.h"
#include "platform/headless/headless.h"
#include "platform/resources.h"
#include "support/headless_window.h"
#include "support/sound_files.h"
#include "support/test_files.h"

namespace {

class SettingsDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::Reset();
        AddShowSoundtrack(folder.Data(""));
    }
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
    WorkingFolder folder;
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
    const Case cases[] = {{1024, 768, {447, 321}},
                          {640, 480, {255, 177}},
                          {1280, 1024, {575, 449}},
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

namespace {

// The last four comma-separated numbers of a resource-script line: x, y, width, height.
std::vector<int> Rectangle(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream stream(line);
    std::string field;
    while (std::getline(stream, field, ',')) fields.push_back(field);
    std::vector<int> numbers;
    for (std::size_t i = fields.size() >= 4 ? fields.size() - 4 : 0; i < fields.size(); ++i) {
        // The first field of a DIALOG line also holds "IDD_SETTINGS DIALOG".
        std::size_t digits = fields[i].find_last_not_of("0123456789 \t\r");
        numbers.push_back(
            std::atoi(fields[i].c_str() + (digits == std::string::npos ? 0 : digits + 1)));
    }
    return numbers;
}

// The text between the first pair of double quotes.
std::string Quoted(const std::string& line) {
    std::size_t open = line.find('"');
    std::size_t close = open == std::string::npos ? open : line.find('"', open + 1);
    return close == std::string::npos ? "" : line.substr(open + 1, close - open - 1);
}

}  // namespace

// The resource script for the Windows build must describe the same dialog as the table.
TEST(SettingsDialogTemplate, ResourceScriptMatchesTheTable) {
    std::ifstream file(KELVO_SOURCE_DIR "/app/resources/kelvo.rc");
    ASSERT_TRUE(file.is_open());
    const DialogTemplate* form = FindDialogTemplate(MAKEINTRESOURCEA(IDD_SETTINGS));
    ASSERT_NE(nullptr, form);

    std::vector<int> dialogBox;
    std::string caption, font;
    struct Control {
        std::string kind, text;
        std::vector<int> box;
    };
    std::vector<Control> controls;
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream words(line);
        std::string first;
        words >> first;
        if (first == "IDD_SETTINGS") dialogBox = Rectangle(line);
        if (first == "CAPTION") words >> caption;
        if (first == "FONT") font = line.substr(line.find("FONT") + 5);
        if (first == "DEFPUSHBUTTON" || first == "PUSHBUTTON" || first == "CONTROL")
            controls.push_back({first, Quoted(line), Rectangle(line)});
    }
    EXPECT_EQ((std::vector<int>{form->x, form->y, form->cx, form->cy}), dialogBox);
    // Both take the caption from the one title the program has.
    EXPECT_EQ("KELVO_TITLE", caption);
    EXPECT_STREQ("Kelvo Remix by Tarvik", form->caption);
    EXPECT_EQ(std::to_string(form->pointSize) + ", \"" + form->typeface + "\"", font);

    // Controls in template order, each of the same kind, text and rectangle.
    ASSERT_EQ(static_cast<std::size_t>(form->itemCount), controls.size());
    for (int i = 0; i < form->itemCount; ++i) {
        const DialogItemTemplate& item = form->items[i];
        SCOPED_TRACE(item.text);
        EXPECT_EQ(item.text, controls[i].text);
        EXPECT_EQ((std::vector<int>{item.x, item.y, item.cx, item.cy}), controls[i].box);
        const char* kind = (item.style & 0xF) == BS_DEFPUSHBUTTON ? "DEFPUSHBUTTON"
                           : (item.style & 0xF) == BS_PUSHBUTTON  ? "PUSHBUTTON"
                                                                  : "CONTROL";
        EXPECT_EQ(kind, controls[i].kind);
    }
}
