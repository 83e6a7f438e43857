// capture_tool_test.cpp: kelvo-capture end to end on a small show made by the test.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/win_main.h"
#include "demo/scene_table.h"
#include "gfx/png_reader.h"
#include "support/generated_data.h"
#include "support/png_test_files.h"
#include "support/sound_files.h"
#include "support/test_files.h"
#include "support/tool_runs.h"
#include "support/video_probe.h"
#include "tools/assets/pictures.h"
#include "tools/assets/scene_writer.h"

namespace {

namespace fs = std::filesystem;

struct Colour {
    int r, g, b;
};

// Scenes are told apart by the colour of the square that fills their view.
Colour SceneColour(int slot) {
    switch (slot) {
    case 0: return {255, 0, 0};
    case 1: return {0, 255, 0};
    case 5: return {0, 0, 255};
    default: return {128, 128, 128};
    }
}

// Picture n: top half (10 n, 255 - 10 n, 255), bottom half the same with blue 0.
Colour PictureColour(int n, bool top) { return {10 * n, 255 - 10 * n, top ? 255 : 0}; }

void WriteSolidPng(const std::string& path, int size, Colour top, Colour bottom) {
    std::vector<std::uint8_t> rgb;
    for (int y = 0; y < size; ++y) {
        Colour c = y < size / 2 ? top : bottom;
        for (int x = 0; x < size; ++x)
            rgb.insert(rgb.end(), {std::uint8_t(c.r), std::uint8_t(c.g), std::uint8_t(c.b)});
    }
    ASSERT_TRUE(testpng::WriteRgb(path, size, size, rgb));
}

// A still camera "Camera01" looking at a textured square that fills its whole view.
void WriteScene(const std::string& path, const std::string& texture) {
    scene_writer::Scene scene;
    scene.materials.push_back({"paint", texture});
    scene_writer::Mesh square;
    square.name = "square";
    square.points = {{-100, 0, -100}, {100, 0, -100}, {100, 0, 100}, {-100, 0, 100}};
    square.texels = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    square.faces = {{0, 1, 2, "paint"}, {0, 2, 3, "paint"}};
    scene.meshes.push_back(square);
    scene_writer::AddObjectNode(scene, "square");
    scene_writer::AddStillCamera(scene, "Camera01", {0, -10, 0}, {0, 0, 0});
    std::string error;
    ASSERT_EQ(scene_writer::WriteScene(scene, path, &error), 1) << error;
}

class CaptureTool : public ::testing::Test {
protected:
    // The show's data folder: 13 scenes, 24 pictures and a short soundtrack, without the
    // files named in missing.
    void MakeShow(const std::vector<std::string>& missing = {}) {
        fs::create_directories(show / "data");
        auto wanted = [&](const std::string& name) {
            for (const std::string& m : missing)
                if (m == name) return false;
            return true;
        };
        for (int i = 0; i < kSceneRows; ++i) {
            std::string texture = "paint" + std::to_string(i) + ".png";
            WriteSolidPng((show / "data" / texture).string(), 4, SceneColour(i), SceneColour(i));
            if (wanted(kSceneTable[i].file))
                WriteScene((show / "data" / kSceneTable[i].file).string(), texture);
        }
        for (int n = 1; n <= 24; ++n)
            WriteSolidPng((show / "data" / assets::PictureFileName(n)).string(), 64,
                          PictureColour(n, true), PictureColour(n, false));
        MakeToneMp3((show / "data" / kSoundtrackName).string(), 1.0, 440);
    }

    // Runs the built kelvo-capture with arguments split as a shell splits them.
    ToolRun Capture(const std::string& arguments) {
        return RunShell(BuiltProgram("kelvo-capture") + " " + arguments);
    }

    static int CountLines(const std::string& text, const std::string& line) {
        std::istringstream stream(text);
        std::string each;
        int count = 0;
        while (std::getline(stream, each)) count += each == line;
        return count;
    }

    // The frame's pixel at (x, y), y from the bottom.
    static Colour FramePixel(const std::vector<std::uint8_t>& block, int width, int x, int y) {
        const std::uint8_t* p = &block[(std::size_t(y) * width + x) * 4];
        return {p[0], p[1], p[2]};
    }

    TempFolder folder;
    fs::path show = fs::path(folder.path()) / "show";
    fs::path scratch = fs::path(folder.path());
};

::testing::AssertionResult Near(Colour actual, Colour expected) {
    if (std::abs(actual.r - expected.r) <= 8 && std::abs(actual.g - expected.g) <= 8 &&
        std::abs(actual.b - expected.b) <= 8)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "(" << actual.r << ", " << actual.g << ", " << actual.b << ") is not (" << expected.r
           << ", " << expected.g << ", " << expected.b << ")";
}

// The channel that stands out in a lit, textured square of one of the scene colours.
int BrightestChannel(Colour c) { return c.r > c.g && c.r > c.b ? 0 : c.g > c.b ? 1 : 2; }

TEST_F(CaptureTool, AtFramesShowTheirSceneOrPicture) {
    MakeShow();
    fs::path out = scratch / "frames";
    ToolRun run = Capture("--data " + show.string() + " --at 1000,7000,60417,60500 --out " +
                          out.string() + " --windowed");
    ASSERT_EQ(run.exitCode, 0) << run.err;

    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(out))
        if (entry.path().extension() == ".png") names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"frame_001000.png", "frame_007000.png",
                                               "frame_060417.png", "frame_060500.png"}));

    const struct {
        const char* name;
        int brightest;  // of a scene frame; -1 for the picture
    } frames[] = {{"frame_001000.png", 0},
                  {"frame_007000.png", 1},
                  {"frame_060417.png", -1},
                  {"frame_060500.png", 2}};
    for (const auto& f : frames) {
        SCOPED_TRACE(f.name);
        unsigned char* pixels = nullptr;
        int width = 0, height = 0;
        ASSERT_EQ(LoadPngRgb(&pixels, (out / f.name).string().c_str(), &width, &height), 1);
        std::vector<std::uint8_t> block(pixels, pixels + std::size_t(width) * height * 4);
        std::free(pixels);
        ASSERT_EQ(width, 640);
        ASSERT_EQ(height, 480);
        if (f.brightest >= 0) {
            Colour centre = FramePixel(block, width, 320, 240);
            EXPECT_EQ(BrightestChannel(centre), f.brightest);
            EXPECT_GT(std::max({centre.r, centre.g, centre.b}), 100);
        } else {
            // Away from the edges, which linear filtering blends with the opposite edge.
            for (int x : {20, 320, 619}) {
                EXPECT_TRUE(Near(FramePixel(block, width, x, 459), PictureColour(1, true)));
                EXPECT_TRUE(Near(FramePixel(block, width, x, 20), PictureColour(1, false)));
            }
        }
    }
}

TEST_F(CaptureTool, MessageBoxesGoToStderrOnceEach) {
    MakeShow({"tube.3ds"});
    ToolRun run = Capture("--data " + show.string() + " --at 14000,15000,16000");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(CountLines(run.err, "Error !: Load3ds error : Can't load 3ds file data\\tube.3ds"), 1)
        << run.err;
    EXPECT_EQ(CountLines(run.err, "Error !: load3ds : No file loaded"), 1) << run.err;
}

TEST_F(CaptureTool, FrameRateCapturesEveryFrameToTheShowsEnd) {
    MakeShow();
    fs::path out = scratch / "frames";
    ToolRun run = Capture("--data " + show.string() + " --fps 1 --out " + out.string());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    int frames = 0;
    for (const auto& entry : fs::directory_iterator(out))
        frames += entry.path().extension() == ".png";
    // One a second from 0, up to the first frame past the show's 207.1 s, which ends it.
    EXPECT_EQ(frames, 209);
    EXPECT_TRUE(fs::exists(out / "frame_000000.png"));
    EXPECT_TRUE(fs::exists(out / "frame_208000.png"));
}

TEST_F(CaptureTool, ListedTimesPastTheEndStopWithTheShow) {
    MakeShow();
    fs::path out = scratch / "frames";
    ToolRun run =
        Capture("--data " + show.string() + " --at 0,208000,209000 --out " + out.string());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(fs::exists(out / "frame_000000.png"));
    EXPECT_TRUE(fs::exists(out / "frame_208000.png"));
    EXPECT_FALSE(fs::exists(out / "frame_209000.png"));
    EXPECT_EQ(
        CountLines(run.err, "kelvo-capture: the show ended after 2 of the 3 frames asked for"), 1)
        << run.err;
}

TEST_F(CaptureTool, BenchPrintsFiguresAndWritesNothing) {
    MakeShow();
    ToolRun run = Capture("--data " + show.string() + " --bench --fps 2");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    for (const char* expected : {"load time", "btitre.3ds", "roulet3.3ds", "picture flashes",
                                 "whole show", "peak resident memory"})
        EXPECT_NE(run.out.find(expected), std::string::npos) << expected << " in\n" << run.out;
    for (const auto& entry : fs::directory_iterator(scratch))
        EXPECT_NE(entry.path().extension(), ".png") << entry.path();
}

TEST_F(CaptureTool, BadArgumentsAreRefusedWithTheUsage) {
    for (const char* arguments :
         {"--frobnicate", "--fps 0", "--fps x", "--at 5,,6", "--at", "--at -1", "--fps 30 --at 100",
          "--bench --out frames", "--video v.mp4 --at 100"}) {
        SCOPED_TRACE(arguments);
        ToolRun run = Capture(arguments);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_NE(run.err.find("usage: kelvo-capture"), std::string::npos);
    }
}

// The data folder is left empty: had the show started, its boxes would be on stderr.
TEST_F(CaptureTool, UnwritableOutputIsRefusedBeforeTheShowStarts) {
    fs::create_directories(show);
    const std::string file = (scratch / "file").string();
    ASSERT_TRUE(WriteBytes(file, "x"));
    const std::string frames = (scratch / "frames").string();
    const struct {
        std::string arguments;
        std::string folder;  // the one the message names
    } cases[] = {
        {"--at 0 --out /proc", "/proc"},  // takes no new file, not even from root
        {"--at 0 --out /proc/kelvo-frames", "/proc/kelvo-frames"},  // cannot be made
        {"--at 0 --out " + file, file},
        {"--at 0 --out " + file + "/frames", file + "/frames"},
        {"--fps 1 --out " + frames + " --video /proc/show.mp4", "/proc"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        ToolRun run = Capture("--data " + show.string() + " " + c.arguments);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_EQ(run.err.rfind("kelvo-capture: ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find(c.folder + ": "), std::string::npos) << run.err;
    }
}

TEST_F(CaptureTool, VideoWithoutFfmpegIsRefusedBeforeTheShowStarts) {
    fs::create_directories(show);
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", scratch.c_str(), 1);  // a folder without ffmpeg
    ToolRun run =
        Capture("--data " + show.string() + " --fps 1 --out " + (scratch / "frames").string() +
                " --video " + (scratch / "show.mp4").string());
    setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(
        run.err,
        "kelvo-capture: --video needs ffmpeg, which is not on PATH (Debian package ffmpeg)\n");
    EXPECT_FALSE(fs::exists(scratch / "frames"));
}

// Frames and soundtrack.wav the run would write are refused when already there, naming the
// first in writing order, before anything renders; frames of other moments are no obstacle;
// --overwrite replaces them.
TEST_F(CaptureTool, FilesTheRunWouldWriteAreRefusedUnlessOverwriteIsGiven) {
    MakeShow();
    const fs::path out = scratch / "frames";
    fs::create_directories(out);
    const std::vector<std::string> own = {"frame_001500.png", "frame_002000.png",
                                          "frame_003000.png", "soundtrack.wav"};
    for (const std::string& name : own) ASSERT_TRUE(WriteBytes((out / name).string(), name));
    auto untouched = [&](const std::vector<std::string>& names) {
        for (const std::string& name : names)
            if (ReadBytes((out / name).string()) != name) return false;
        return true;
    };
    const std::string span =
        "--data " + show.string() + " --fps 1 --from 1000 --to 4000 --out " + out.string();

    ToolRun frames = Capture(span);
    EXPECT_EQ(frames.exitCode, 2);
    EXPECT_EQ(frames.err, "kelvo-capture: " + (out / "frame_002000.png").string() +
                              " already exists; pass --overwrite to replace it\n");
    fs::remove(out / "frame_002000.png");
    fs::remove(out / "frame_003000.png");
    ToolRun soundtrack = Capture(span);
    EXPECT_EQ(soundtrack.exitCode, 2);
    EXPECT_EQ(soundtrack.err, "kelvo-capture: " + (out / "soundtrack.wav").string() +
                                  " already exists; pass --overwrite to replace it\n");
    EXPECT_EQ(FileNames(out.string()),
              (std::vector<std::string>{"frame_001500.png", "soundtrack.wav"}));
    EXPECT_TRUE(untouched({"frame_001500.png", "soundtrack.wav"}));

    // --at writes no soundtrack, and these frames are not in the folder.
    ToolRun others = Capture("--data " + show.string() + " --at 1000,2000 --out " + out.string());
    EXPECT_EQ(others.exitCode, 0) << others.err;
    EXPECT_TRUE(untouched({"frame_001500.png", "soundtrack.wav"}));

    ToolRun replaced = Capture(span + " --overwrite");
    EXPECT_EQ(replaced.exitCode, 0) << replaced.err;
    EXPECT_EQ(FileNames(out.string()),
              (std::vector<std::string>{"frame_001000.png", "frame_001500.png", "frame_002000.png",
                                        "frame_003000.png", "soundtrack.wav"}));
    EXPECT_TRUE(untouched({"frame_001500.png"}));
    WavData wav;
    EXPECT_TRUE(ReadWav((out / "soundtrack.wav").string(), &wav));
    unsigned char* pixels = nullptr;
    int width = 0, height = 0;
    EXPECT_EQ(LoadPngRgb(&pixels, (out / "frame_002000.png").string().c_str(), &width, &height), 1);
    std::free(pixels);
}

// Every option takes its value after '=' too, as the installed launcher passes --data=DIR;
// a flag given a value is refused.
TEST_F(CaptureTool, OptionValuesMayFollowAnEqualsSign) {
    MakeShow();
    const fs::path out = scratch / "frames";
    ToolRun run = Capture("--data=" + show.string() +
                          " --fps=1 --from=1000 --to=3000 --size=320x240 --out=" + out.string() +
                          " --windowed");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(FileNames(out.string()),
              (std::vector<std::string>{"frame_001000.png", "frame_002000.png", "soundtrack.wav"}));
    unsigned char* pixels = nullptr;
    int width = 0, height = 0;
    ASSERT_EQ(LoadPngRgb(&pixels, (out / "frame_001000.png").string().c_str(), &width, &height), 1);
    std::free(pixels);
    EXPECT_EQ(width, 320);
    EXPECT_EQ(height, 240);

    ToolRun at = Capture("--data=" + show.string() + " --at=0,1000 --out=" + out.string() + "/at");
    ASSERT_EQ(at.exitCode, 0) << at.err;
    EXPECT_EQ(FileNames((out / "at").string()),
              (std::vector<std::string>{"frame_000000.png", "frame_001000.png"}));

    for (const char* arguments : {"--windowed=yes", "--overwrite=1", "--fps=0",
                                  "--crf=", "--size=640", "--preset=quick", "--frobnicate=1"}) {
        SCOPED_TRACE(arguments);
        ToolRun refused = Capture(arguments);
        EXPECT_EQ(refused.exitCode, 2);
        EXPECT_EQ(refused.err.find("kelvo-capture: "), 0u) << refused.err;
        EXPECT_NE(refused.err.find("usage: kelvo-capture"), std::string::npos);
    }
    EXPECT_EQ(Capture("--windowed=yes").err.find("kelvo-capture: --windowed takes no value\n"), 0u);
}

// The installed launcher, pointed at the built tool and a data folder: only a real --data
// option (either form) replaces the installed data; a value that reads "--data" does not.
TEST_F(CaptureTool, LauncherAddsTheDataUnlessARealDataOptionIsGiven) {
    MakeShow();
    const fs::path empty = scratch / "empty";
    fs::create_directories(empty);
    auto launcher = [&](const std::string& name, const fs::path& installedData) {
        std::string script =
            ReadBytes(std::string(KELVO_SOURCE_DIR) + "/packaging/kelvo-remix-capture");
        const std::string toolLine = "tool=/usr/lib/games/kelvo-remix/kelvo-capture\n";
        const std::string dataLine = "data=/usr/share/games/kelvo-remix\n";
        EXPECT_NE(script.find(toolLine), std::string::npos);
        EXPECT_NE(script.find(dataLine), std::string::npos);
        script.replace(script.find(toolLine), toolLine.size(),
                       "tool=" + BuiltProgram("kelvo-capture") + "\n");
        script.replace(script.find(dataLine), dataLine.size(),
                       "data=" + installedData.string() + "\n");
        const std::string path = (scratch / name).string();
        EXPECT_TRUE(WriteBytes(path, script));
        fs::permissions(path, fs::perms::owner_all);
        return path;
    };
    const std::string installed = launcher("installed", show);
    const std::string elsewhere = launcher("elsewhere", empty);
    const struct {
        std::string command;
        std::string written;  // in the case's working folder, when the show's data was read
    } cases[] = {
        {installed + " --at 0 --out --data", "--data/frame_000000.png"},
        {installed + " --fps 1 --to 1000 --video --data", "--data"},
        {elsewhere + " --data=" + show.string() + " --at 0 --out equals",
         "equals/frame_000000.png"},
        {elsewhere + " --data " + show.string() + " --at 0 --out spaced",
         "spaced/frame_000000.png"},
    };
    int caseNumber = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        const fs::path work = scratch / ("work" + std::to_string(++caseNumber));
        fs::create_directories(work);
        ToolRun run = RunShell("cd " + work.string() + " && " + c.command);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_TRUE(fs::exists(work / c.written));
    }
}

TEST_F(CaptureTool, OutputFolderWithoutWritePermissionIsRefused) {
    if (geteuid() == 0)
        GTEST_SKIP()
            << "root writes through permission bits; UnwritableOutputIsRefusedBeforeTheShowStarts "
               "takes the same path with /proc";
    fs::path locked = scratch / "locked";
    fs::create_directories(locked);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    ToolRun run = Capture("--at 0 --out " + locked.string());
    ToolRun under = Capture("--at 0 --out " + (locked / "frames").string());
    fs::permissions(locked, fs::perms::owner_all);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, "kelvo-capture: cannot write in the output folder " + locked.string() +
                           ": Permission denied\n");
    EXPECT_EQ(under.exitCode, 2);
    EXPECT_EQ(under.err, "kelvo-capture: cannot make the output folder " +
                             (locked / "frames").string() + ": Permission denied\n");
}

}  // namespace

TEST_F(CaptureTool, FrameRateCaptureWritesTheSoundtrackAndTheVideo) {
    MakeShow();
    fs::path out = scratch / "frames";
    fs::path video = scratch / "show.mp4";
    ToolRun run = Capture("--data " + show.string() + " --fps 1 --out " + out.string() +
                          " --video " + video.string());
    ASSERT_EQ(run.exitCode, 0) << run.err;

    // The soundtrack lies under every frame, from the first (show time 0) to the end of the
    // one past the show's length, which stops the music and is held for its second in silence.
    WavData soundtrack;
    ASSERT_TRUE(ReadWav((out / "soundtrack.wav").string(), &soundtrack));
    EXPECT_EQ(soundtrack.channels, 2);
    EXPECT_EQ(soundtrack.rate, 44100);
    const double seconds = soundtrack.samples.size() / 2 / 44100.0;
    EXPECT_EQ(seconds, 209.0) << "captured span: frames 0 to 208000 ms at 1 fps";
    for (std::size_t i = 2 * 44100 * 208; i < soundtrack.samples.size(); ++i)
        ASSERT_EQ(0, soundtrack.samples[i]) << "sample frame " << i / 2;

    DecodeMp3WithLame((show / "data" / kSoundtrackName).string(),
                      (scratch / "reference.wav").string());
    WavData reference;
    ASSERT_TRUE(ReadWav((scratch / "reference.wav").string(), &reference));
    ASSERT_GE(reference.samples.size(), std::size_t(2 * 44100));
    int worst = 0;
    for (std::size_t i = 0; i < std::size_t(2 * 44100); ++i)
        worst = std::max(worst, std::abs(soundtrack.samples[i] - reference.samples[i]));
    EXPECT_LE(worst, 2) << "the first second differs from lame's decode of the show's MP3";

    const VideoSummary summary = ProbeVideo(video.string());
    ASSERT_TRUE(summary.read) << summary.streams;
    EXPECT_TRUE(summary.HasCodec("h264")) << summary.streams;
    EXPECT_TRUE(summary.HasCodec("aac")) << summary.streams;
    EXPECT_NEAR(summary.seconds, 209.0, 1.5) << summary.streams;
}
