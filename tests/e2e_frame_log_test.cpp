// End-to-end tests of the live program's frame log (KELVO_FRAME_TIMES_LOG), the hook of
// the frame-time benchmark: one line a frame, written whole at exit or not at all.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/live_session.h"

namespace {

// The show runs at least this long before Escape ends it.
constexpr int kPlayMs = 1500;

// What the working directory holds besides the program's data, its output and the probe's log.
std::vector<std::string> OtherEntries(const std::string& workDir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(workDir)) {
        std::string name = entry.path().filename().string();
        if (name != "data" && name != "output.txt" && name != "viewport.log") names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Starts the show in a window, lets it play, and ends it with Escape; the exit code.
int PlayAWhile(const std::string& display, LiveProgram* program) {
    ScreenWindow dialog, show;
    EXPECT_TRUE(program->WaitForWindow(kTitle, 1, kTimeoutMs, &dialog)) << program->Output();
    EXPECT_EQ(0, TypeKeys(display, dialog.id, {"Tab", "Tab", "space", "Return"}));
    EXPECT_TRUE(program->WaitForWindow(kTitle, kShowMinWidth, kTimeoutMs, &show))
        << program->Output();
    EXPECT_TRUE(program->WaitForFirstFrame(kTimeoutMs)) << program->Output();
    const long long firstFrame = NowMs();
    program->WaitUntil([&] { return NowMs() - firstFrame >= kPlayMs; }, kPlayMs + 1000);
    EXPECT_EQ(
        0, RunTool(display, {"xdotool", "keydown", "--window", std::to_string(show.id), "Escape"}));
    int exitCode = -1;
    EXPECT_TRUE(program->WaitForExit(kTimeoutMs, &exitCode)) << program->Output();
    return exitCode;
}

}  // namespace

TEST(E2eFrameLog, EachFrameAfterTheFirstIsOneLineOfItsTimes) {
    PrivateDisplay display(false);
    ASSERT_TRUE(display.Ready()) << display.Problem();
    LiveProgram program(display.Name(), {"KELVO_FRAME_TIMES_LOG=frames.log"});
    ASSERT_TRUE(program.Started());
    EXPECT_EQ(0, PlayAWhile(display.Name(), &program)) << program.Output();

    // Nothing but the log is left: no temporary file beside it.
    EXPECT_EQ(std::vector<std::string>{"frames.log"}, OtherEntries(program.WorkDir()));
    std::ifstream log(program.WorkDir() + "/frames.log");
    std::string line;
    double lastAt = 0.0, sumOfIntervals = 0.0;
    int lines = 0;
    while (std::getline(log, line)) {
        std::istringstream fields(line);
        double at = -1, sinceLast = -1, cpu = -1;
        std::string extra;
        ASSERT_TRUE(fields >> at >> sinceLast >> cpu) << "line " << lines + 1 << ": " << line;
        EXPECT_FALSE(fields >> extra) << "line " << lines + 1 << ": " << line;
        EXPECT_GT(at, lastAt) << "line " << lines + 1;
        EXPECT_GT(sinceLast, 0.0);
        EXPECT_GE(cpu, 0.0);
        sumOfIntervals += sinceLast;
        lastAt = at;
        ++lines;
    }
    // Frames were noted for the time it played, each as the interval since the one before,
    // the first (the one the times count from) left out.
    EXPECT_GE(lines, 10);
    EXPECT_GE(lastAt, kPlayMs);
    EXPECT_NEAR(lastAt, sumOfIntervals, 0.01 * lines);
}

// A log that cannot be written is reported, and the show ends as it would without it.
TEST(E2eFrameLog, AnUnwritableLogIsReportedAndLeavesNothing) {
    PrivateDisplay display(false);
    ASSERT_TRUE(display.Ready()) << display.Problem();
    LiveProgram program(display.Name(), {"KELVO_FRAME_TIMES_LOG=missing/frames.log"});
    ASSERT_TRUE(program.Started());
    EXPECT_EQ(0, PlayAWhile(display.Name(), &program)) << program.Output();
    EXPECT_NE(std::string::npos,
              program.Output().find("frame times: cannot write missing/frames.log"))
        << program.Output();
    EXPECT_EQ(std::vector<std::string>{}, OtherEntries(program.WorkDir()));
}
