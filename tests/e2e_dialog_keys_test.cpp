// e2e_dialog_keys_test.cpp: the settings dialog's keyboard, as the Windows dialog manager
// handles it: the focus starts on the first tab stop ("Go"), Space presses the focused
// button, Tab moves the focus in template order, Enter presses the focused push button.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/live_session.h"

namespace {

class E2eDialogKeysTest : public ::testing::Test {
protected:
    // Starts the program and types keys into its dialog.
    void TypeIntoDialog(const std::vector<std::string>& keys) {
        ASSERT_TRUE(display.Ready()) << display.Problem();
        program = std::make_unique<LiveProgram>(display.Name());
        ASSERT_TRUE(program->Started());
        ScreenWindow dialog;
        ASSERT_TRUE(program->WaitForWindow(kTitle, 1, kTimeoutMs, &dialog)) << program->Output();
        ASSERT_EQ(0, TypeKeys(display.Name(), dialog.id, keys));
    }

    PrivateDisplay display{false};
    std::unique_ptr<LiveProgram> program;
};

}  // namespace

// "Go" is the first control of the template and a tab stop, so it has the focus.
TEST_F(E2eDialogKeysTest, SpacePressesGoWhichHasTheFocusFirst) {
    TypeIntoDialog({"space"});
    ScreenWindow show;
    ASSERT_TRUE(program->WaitForWindow(kTitle, kShowMinWidth, kTimeoutMs, &show))
        << program->Output();
    // "Full Screen" was left checked.
    EXPECT_EQ(640, show.width);
    EXPECT_EQ(480, show.height);
    // Input is taken once loading is done and the main loop runs.
    ASSERT_TRUE(program->WaitForFirstFrame(kTimeoutMs)) << program->Output();
    ASSERT_EQ(0, RunTool(display.Name(),
                         {"xdotool", "keydown", "--window", std::to_string(show.id), "Escape"}));
    int exitCode = -1;
    ASSERT_TRUE(program->WaitForExit(kTimeoutMs, &exitCode)) << program->Output();
    EXPECT_EQ(0, exitCode);
}

// Tab moves the focus from "Go" to "Quit"; Enter then presses "Quit", not the default button.
TEST_F(E2eDialogKeysTest, EnterPressesTheFocusedPushButton) {
    TypeIntoDialog({"Tab", "Return"});
    int exitCode = -1;
    ASSERT_TRUE(program->WaitForExit(kTimeoutMs, &exitCode)) << program->Output();
    EXPECT_EQ(0, exitCode);
    EXPECT_TRUE(WindowsTitled(display.Name(), kTitle).empty());
}
