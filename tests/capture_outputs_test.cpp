// capture_outputs_test.cpp: kelvo-capture --video never destroys what it did not write: a
// file already at the video's path is refused unless --overwrite allows it, and kept when
// the capture fails; devices and FIFOs are refused; a capture stopped by a signal, caught or
// not, leaves no video under the name asked for. End to end on the generated show, with the
// real ffmpeg behind a wrapper that notes its pid, to see when it has ended.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "support/generated_data.h"
#include "support/test_files.h"
#include "support/tool_runs.h"
#include "support/video_probe.h"

namespace {

namespace fs = std::filesystem;

// A capture that hangs fails its test after this long instead of at ctest's limit.
const double kTimeout = 60;

bool StartsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}

// The files ffmpeg writes before they are whole: ".NAME.XXXXXX.part" beside the video.
std::vector<std::string> PartFiles(const fs::path& folder) {
    std::vector<std::string> parts;
    for (const std::string& name : FileNames(folder.string()))
        if (name.size() > 5 && name.compare(name.size() - 5, 5, ".part") == 0)
            parts.push_back(name);
    return parts;
}

// True once the process is gone or a zombie.
bool Ended(pid_t pid) {
    if (kill(pid, 0) != 0) return true;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const std::size_t close = line.rfind(')');
    return close == std::string::npos || line.substr(close + 2, 1) == "Z";
}

bool WaitFor(const std::function<bool()>& condition, double seconds) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > limit) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

class CaptureOutputs : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string data = GeneratedDataFolder();
        ASSERT_FALSE(data.empty()) << "kelvo-assets failed";
        show = fs::path(data).parent_path();
        fs::create_directories(bin);
        fs::create_directories(out);
    }

    // Puts an ffmpeg on PATH made of script (a /bin/sh body).
    void StandIn(const std::string& script) {
        ASSERT_TRUE(WriteBytes((bin / "ffmpeg").string(), "#!/bin/sh\n" + script));
        fs::permissions(bin / "ffmpeg", fs::perms::owner_all);
    }

    // The real ffmpeg, which writes its pid to ffmpegPid first.
    void WrappedFfmpeg() {
        StandIn("echo $$ > '" + ffmpegPid.string() + "'\n/usr/bin/ffmpeg \"$@\"\n");
    }

    ProgramStart Start(const std::vector<std::string>& arguments) const {
        ProgramStart start;
        start.arguments = {BuiltProgram("kelvo-capture"), "--data", show.string()};
        start.arguments.insert(start.arguments.end(), arguments.begin(), arguments.end());
        start.environment = {"PATH=" + bin.string() + ":/usr/bin:/bin"};
        start.timeoutSeconds = kTimeout;
        return start;
    }

    ToolRun Capture(const std::vector<std::string>& arguments) {
        return RunProgram(Start(arguments));
    }

    // Starts a long capture, waits until it has written frames into the video, then sends
    // it signal. Returns the capture's exit code (-1: still running after kTimeout) and
    // leaves the wrapped ffmpeg's pid in *ffmpeg.
    int CaptureStoppedBy(int signal, pid_t* ffmpeg) {
        WrappedFfmpeg();
        const pid_t pid = StartProgram(Start(
            {"--fps", "10", "--to", "30000", "--video", video.string(), "--out", out.string()}));
        const bool rendering =
            WaitFor([this] { return fs::exists(out / "frame_001000.png"); }, kTimeout);
        *ffmpeg = std::atoi(ReadBytes(ffmpegPid.string()).c_str());
        kill(pid, signal);
        const int exitCode = WaitForProgram(pid, kTimeout);
        if (exitCode < 0) kill(-pid, SIGKILL), WaitForProgram(pid, 0);
        EXPECT_TRUE(rendering);
        EXPECT_GT(*ffmpeg, 0);
        return exitCode;
    }

    fs::path show;
    TempFolder folder;
    fs::path scratch = fs::path(folder.path());
    fs::path bin = scratch / "bin";
    fs::path out = scratch / "frames";
    fs::path video = scratch / "show.mp4";
    fs::path ffmpegPid = scratch / "bin" / "ffmpeg.pid";
};

TEST_F(CaptureOutputs, AnExistingVideoIsRefusedUnlessOverwriteAllowsIt) {
    WrappedFfmpeg();
    ASSERT_TRUE(WriteBytes(video.string(), "the user's own video"));
    ToolRun refused = Capture({"--to", "500", "--video", video.string(), "--out", out.string()});
    EXPECT_EQ(2, refused.exitCode);
    EXPECT_EQ(
        "kelvo-capture: " + video.string() + " already exists; pass --overwrite to replace it\n",
        refused.err);
    EXPECT_TRUE(ReadBytes(video.string()) == "the user's own video");
    EXPECT_FALSE(fs::exists(ffmpegPid)) << "ffmpeg was started";
    EXPECT_TRUE(FileNames(out.string()).empty()) << "frames were rendered";

    ToolRun replaced = Capture({"--to", "500", "--video", video.string(), "--overwrite"});
    ASSERT_EQ(0, replaced.exitCode) << replaced.err;
    const VideoSummary summary = ProbeVideo(video.string());
    EXPECT_TRUE(summary.HasCodec("h264")) << summary.streams;
    EXPECT_NEAR(0.5, summary.seconds, 0.1) << summary.streams;
    EXPECT_EQ(std::vector<std::string>{"show.mp4"}, FileNames(scratch.string()));
}

// The file ffmpeg writes is a new one beside the video, renamed onto it only when ffmpeg has
// taken everything and exited 0; a failure removes that file alone.
TEST_F(CaptureOutputs, AFailedCaptureKeepsTheFileItWasToReplace) {
    ASSERT_TRUE(WriteBytes(video.string(), "the user's own video"));
    const struct {
        const char* what;
        const char* script;
    } cases[] = {
        {"refuses", "echo 'Unknown encoder libx264' >&2; exit 1\n"},
        {"writes, then fails",
         "for last; do :; done; head -c 3000000 > \"$last\"; echo 'Conversion failed!' >&2; "
         "exit 69\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        StandIn(c.script);
        ToolRun run = Capture({"--to", "2000", "--video", video.string(), "--overwrite"});
        ASSERT_FALSE(run.timedOut) << run.err;
        EXPECT_EQ(1, run.exitCode);
        EXPECT_NE(std::string::npos,
                  run.err.find("kelvo-capture: no video: ffmpeg failed to write " + video.string() +
                               " (exit status "))
            << run.err;
        EXPECT_TRUE(ReadBytes(video.string()) == "the user's own video");
        EXPECT_EQ(std::vector<std::string>{"show.mp4"}, FileNames(scratch.string()));
    }
}

// A device or FIFO would be replaced by the rename, or block ffmpeg for ever: refused before
// the show starts, --overwrite or not. A link leading to one counts as one.
TEST_F(CaptureOutputs, DevicesAndFifosAreNeverAVideo) {
    WrappedFfmpeg();
    const fs::path fifo = scratch / "fifo.mp4";
    const fs::path link = scratch / "null.mp4";
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0644));
    fs::create_symlink("/dev/null", link);
    for (const fs::path& path : {fifo, link})
        for (bool overwrite : {false, true}) {
            SCOPED_TRACE(path.string() + (overwrite ? " --overwrite" : ""));
            std::vector<std::string> arguments = {"--to", "500", "--video", path.string()};
            if (overwrite) arguments.push_back("--overwrite");
            ToolRun run = Capture(arguments);
            ASSERT_FALSE(run.timedOut);
            EXPECT_EQ(2, run.exitCode);
            EXPECT_EQ("kelvo-capture: the video " + path.string() +
                          " is not a regular file (a device, FIFO or socket); name a file\n",
                      run.err);
            EXPECT_FALSE(fs::exists(ffmpegPid)) << "ffmpeg was started";
        }
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_EQ("/dev/null", fs::read_symlink(link).string());
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

// Ctrl-C, a termination request, a closed terminal and Ctrl-\ stop the capture at its next
// frame: ffmpeg is stopped, its file removed, and the tool exits 1.
TEST_F(CaptureOutputs, SignalsStopTheCaptureAndLeaveNoVideo) {
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        SCOPED_TRACE(strsignal(signal));
        fs::remove_all(out);
        fs::remove(ffmpegPid);
        pid_t ffmpeg = 0;
        EXPECT_EQ(1, CaptureStoppedBy(signal, &ffmpeg));
        EXPECT_TRUE(ffmpeg > 0 && WaitFor([ffmpeg] { return Ended(ffmpeg); }, kTimeout));
        EXPECT_FALSE(fs::exists(video));
        EXPECT_TRUE(PartFiles(scratch).empty());
    }
}

// A capture killed outright cannot stop ffmpeg, which then sees its input end and finishes
// the file: under its temporary name, never under the video's.
TEST_F(CaptureOutputs, AKilledCaptureLeavesNoVideoUnderItsName) {
    pid_t ffmpeg = 0;
    EXPECT_EQ(128 + SIGKILL, CaptureStoppedBy(SIGKILL, &ffmpeg));
    ASSERT_TRUE(ffmpeg > 0 && WaitFor([ffmpeg] { return Ended(ffmpeg); }, kTimeout));
    EXPECT_FALSE(fs::exists(video));
    const std::vector<std::string> parts = PartFiles(scratch);
    ASSERT_EQ(1u, parts.size());
    EXPECT_TRUE(StartsWith(parts[0], ".show.mp4.")) << parts[0];
}

}  // namespace
