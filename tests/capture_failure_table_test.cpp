// capture_failure_table_test.cpp: the rows of the failure table (docs/failures.md), end to
// end through kelvo-capture on a copy of the generated show with one file removed or
// damaged: the boxes printed on stderr, the exit code, and which frames are still drawn.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <lib3ds/file.h>
#include <lib3ds/material.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
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
#include "tools/assets/pictures.h"
#include "tools/assets/scene_writer.h"

namespace {

namespace fs = std::filesystem;

// The frames every row captures: "btitre.3ds", "32.3ds", "tube.3ds" (the scene the scene
// rows damage), the first picture flash (picture 1) and "vil.3ds" just after it.
const std::vector<int> kTimes = {1000, 7000, 14000, 60417, 60500};
const char kDamagedScene[] = "tube.3ds";

enum class Frame {
    Same,   // exactly as the untouched show draws it
    Black,  // nothing but the cleared frame
    Drawn,  // something drawn: not black
    None,   // not written
};

// Runs the built kelvo-capture. With a file size limit (bytes), every file the tool writes
// stops growing there and the write fails with EFBIG, as it would on a full disk.
ToolRun RunCapture(const std::vector<std::string>& arguments, long long fileSizeLimit = -1) {
    ProgramStart start;
    start.arguments = {BuiltProgram("kelvo-capture")};
    start.arguments.insert(start.arguments.end(), arguments.begin(), arguments.end());
    start.fileSizeLimit = fileSizeLimit;
    return RunProgram(start);
}

// The lines of stderr that are the program's boxes or the tool's own messages; other
// libraries' notes (libmpg123's on a damaged MP3) are left out.
std::vector<std::string> MessageLines(const std::string& err) {
    std::vector<std::string> lines;
    std::istringstream stream(err);
    std::string line;
    while (std::getline(stream, line))
        for (const char* prefix : {"Error !: ", "ERROR!: ", "SHUTDOWN ERROR: ", "kelvo-capture: "})
            if (line.rfind(prefix, 0) == 0) lines.push_back(line);
    return lines;
}

// A frame's RGB bytes, or empty when the file is missing or unreadable.
std::vector<std::uint8_t> ReadFrame(const fs::path& path) {
    unsigned char* pixels = nullptr;
    int width = 0, height = 0;
    if (!fs::exists(path) || !LoadPngRgb(&pixels, path.string().c_str(), &width, &height))
        return {};
    std::vector<std::uint8_t> rgb;
    for (std::size_t i = 0; i < std::size_t(width) * height; ++i)
        rgb.insert(rgb.end(), pixels + 4 * i, pixels + 4 * i + 3);
    std::free(pixels);
    return rgb;
}

std::string FrameName(int ms) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%06d.png", ms);
    return name;
}

std::string Garbage(std::size_t size) {
    std::string bytes(size, '\0');
    std::uint32_t state = 12345;
    for (char& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = char(state >> 16);
    }
    return bytes;
}

std::string BigEndian(std::uint32_t value, int bytes) {
    std::string out;
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8)
        out.push_back(char((value >> shift) & 0xFF));
    return out;
}

// The picture of an RGB PNG again, as RGBA with opaque alpha or as 16-bit RGB: both hold
// exactly the same colours in another layout than the show's own 8-bit RGB.
std::string Recoded(const std::string& path, bool sixteenBit) {
    unsigned char* pixels = nullptr;
    int width = 0, height = 0;
    if (!LoadPngRgb(&pixels, path.c_str(), &width, &height)) return "";
    std::string rows;
    for (int y = height - 1; y >= 0; --y) {  // the block is bottom row first
        rows.push_back('\0');
        for (int x = 0; x < width; ++x) {
            const unsigned char* p = pixels + (std::size_t(y) * width + x) * 4;
            for (int c = 0; c < 3; ++c)
                rows += sixteenBit ? BigEndian(p[c] * 257u, 2) : std::string(1, char(p[c]));
            if (!sixteenBit) rows.push_back(char(0xFF));
        }
    }
    std::free(pixels);
    uLongf size = compressBound(uLong(rows.size()));
    std::string packed(size, '\0');
    compress(reinterpret_cast<Bytef*>(&packed[0]), &size,
             reinterpret_cast<const Bytef*>(rows.data()), uLong(rows.size()));
    packed.resize(size);
    return testpng::SignatureAndHeader(width, height, sixteenBit ? 16 : 8, sixteenBit ? 2 : 6) +
           testpng::Chunk("IDAT", packed) + testpng::Chunk("IEND", "");
}

enum class SceneFault { NoCamera, NoCameraNode, NoTargetNode };

// A small scene with a lit square, short of one thing the show needs.
std::string SceneWithout(SceneFault fault, const fs::path& path) {
    scene_writer::Scene scene;
    scene_writer::Mesh square;
    square.name = "square";
    square.points = {{-100, 0, -100}, {100, 0, -100}, {100, 0, 100}, {-100, 0, 100}};
    square.faces = {{0, 1, 2, ""}, {0, 2, 3, ""}};
    scene.meshes.push_back(square);
    scene_writer::AddObjectNode(scene, "square");
    if (fault != SceneFault::NoCamera) {
        int cameraNode = scene_writer::AddStillCamera(scene, "Camera01", {0, -10, 0}, {0, 0, 0});
        // The target node follows the camera node.
        if (fault == SceneFault::NoCameraNode)
            scene.nodes.erase(scene.nodes.begin() + cameraNode);
        else
            scene.nodes.erase(scene.nodes.begin() + cameraNode + 1);
    }
    std::string error;
    scene_writer::WriteScene(scene, path.string(), &error);
    return error;
}

class CaptureFailureTable : public ::testing::Test {
protected:
    struct Row {
        std::string what;
        std::function<void()> damage;
        std::vector<std::string> lines;  // the message lines on stderr, in order
        int exitCode;
        std::vector<Frame> frames;  // at kTimes
    };

    void SetUp() override {
        source = GeneratedDataFolder();
        ASSERT_FALSE(source.empty()) << "kelvo-assets failed";
    }

    // A fresh show folder whose data/ links to every generated file.
    void MakeShow() {
        fs::remove_all(show);
        fs::create_directories(show / "data");
        for (const std::string& name : FileNames(source))
            fs::create_symlink(fs::path(source) / name, show / "data" / name);
    }
    void Remove(const std::string& name) { fs::remove(show / "data" / name); }
    void Replace(const std::string& name, const std::string& bytes) {
        Remove(name);
        ASSERT_TRUE(WriteBytes((show / "data" / name).string(), bytes));
    }
    void CutInHalf(const std::string& name) {
        std::string whole = ReadBytes((fs::path(source) / name).string());
        Replace(name, whole.substr(0, whole.size() / 2));
    }

    ToolRun Capture(const fs::path& out, long long fileSizeLimit = -1) {
        std::string times;
        for (int ms : kTimes) times += (times.empty() ? "" : ",") + std::to_string(ms);
        return RunCapture({"--data", show.string(), "--at", times, "--out", out.string()},
                          fileSizeLimit);
    }

    // The untouched show's frames, drawn once per test.
    const std::vector<std::uint8_t>& Baseline(int frame) {
        if (baseline.empty()) {
            MakeShow();
            ToolRun run = Capture(scratch / "baseline");
            EXPECT_EQ(0, run.exitCode) << run.err;
            for (int ms : kTimes)
                baseline.push_back(ReadFrame(scratch / "baseline" / FrameName(ms)));
        }
        return baseline[frame];
    }

    void Check(const Row& row) {
        SCOPED_TRACE(row.what);
        const std::vector<std::uint8_t>& untouched = Baseline(0);
        ASSERT_FALSE(untouched.empty());
        MakeShow();
        row.damage();
        fs::path out = scratch / "frames";
        fs::remove_all(out);
        ToolRun run = Capture(out);
        EXPECT_EQ(row.exitCode, run.exitCode) << run.err;
        EXPECT_EQ(row.lines, MessageLines(run.err)) << run.err;
        for (std::size_t i = 0; i < kTimes.size(); ++i) {
            SCOPED_TRACE(FrameName(kTimes[i]));
            std::vector<std::uint8_t> frame = ReadFrame(out / FrameName(kTimes[i]));
            bool black =
                std::all_of(frame.begin(), frame.end(), [](std::uint8_t v) { return v == 0; });
            switch (row.frames[i]) {
            case Frame::Same: EXPECT_TRUE(!frame.empty() && frame == Baseline(int(i))); break;
            case Frame::Black: EXPECT_TRUE(!frame.empty() && black); break;
            case Frame::Drawn: EXPECT_TRUE(!frame.empty() && !black); break;
            case Frame::None: EXPECT_FALSE(fs::exists(out / FrameName(kTimes[i]))); break;
            }
        }
    }

    // A texture that the first scene names and the other scenes of the captured frames do
    // not, with how many materials of all the scenes name it (each asks for it, and each
    // failed request is reported); empty when there is none.
    std::string TextureOfTheFirstSceneOnly(int* requests) {
        std::map<std::string, int> named;
        std::set<std::string> first, othersDrawn;
        for (const SceneRow& row : kSceneTable) {
            const char* name = row.file;
            Lib3dsFile* file = lib3ds_file_load((fs::path(source) / name).string().c_str());
            if (!file) continue;
            const std::string scene = name;
            for (Lib3dsMaterial* material = file->materials; material; material = material->next) {
                const std::string texture = material->texture1_map.name;
                if (texture.empty()) continue;
                ++named[texture];
                if (scene == kSceneTable[0].file) first.insert(texture);
                if (scene == "32.3ds" || scene == kDamagedScene || scene == "vil.3ds")
                    othersDrawn.insert(texture);
            }
            lib3ds_file_free(file);
        }
        for (const std::string& texture : first) {
            if (othersDrawn.count(texture)) continue;
            *requests = named[texture];
            return texture;
        }
        return "";
    }

    std::string source;
    TempFolder folder;
    fs::path scratch = fs::path(folder.path());
    fs::path show = scratch / "show";
    std::vector<std::vector<std::uint8_t>> baseline;
};

const Frame S = Frame::Same, B = Frame::Black, D = Frame::Drawn, N = Frame::None;

std::vector<std::string> LoadFailure(const std::string& scene) {
    return {"Error !: Load3ds error : Can't load 3ds file data\\" + scene,
            "Error !: load3ds : No file loaded"};
}

}  // namespace

TEST_F(CaptureFailureTable, MissingDataFolderReportsEveryFileAndDrawsNothing) {
    std::vector<std::string> lines = {"ERROR!: internal error: Can't read music!"};
    for (const SceneRow& scene : kSceneTable)
        lines.push_back(std::string("Error !: Load3ds error : Can't load 3ds file data\\") +
                        scene.file);
    for (int n = 1; n <= 24; ++n)
        lines.push_back("Error !: Error : Can't open file data\\chinois" + std::to_string(n) +
                        ".png");
    lines.push_back("kelvo-capture: the show ended early, after 0 of the 5 frames asked for");
    Check(
        {"missing data folder", [&] { fs::remove_all(show / "data"); }, lines, 1, {N, N, N, N, N}});
}

TEST_F(CaptureFailureTable, BadSceneFilesLeaveTheirSpanBlackAndTheShowGoesOn) {
    const std::string scene = kDamagedScene;
    std::string written;
    const Row rows[] = {
        {"missing scene file", [&] { Remove(scene); }, LoadFailure(scene), 0, {S, S, B, S, S}},
        {"empty scene file", [&] { Replace(scene, ""); }, LoadFailure(scene), 0, {S, S, B, S, S}},
        {"scene file cut short", [&] { CutInHalf(scene); }, LoadFailure(scene), 0, {S, S, B, S, S}},
        {"scene file of garbage",
         [&] { Replace(scene, Garbage(5000)); },
         LoadFailure(scene),
         0,
         {S, S, B, S, S}},
        {"scene without a camera",
         [&] {
             Remove(scene);
             written = SceneWithout(SceneFault::NoCamera, show / "data" / scene);
         },
         {"Error !: Load3ds error : no camera", "Error !: load3ds : No file loaded"},
         0,
         {S, S, B, S, S}},
        {"scene without a camera node",
         [&] {
             Remove(scene);
             written = SceneWithout(SceneFault::NoCameraNode, show / "data" / scene);
         },
         {"Error !: load3ds : No camera"},
         0,
         {S, S, B, S, S}},
        {"scene without a target node",
         [&] {
             Remove(scene);
             written = SceneWithout(SceneFault::NoTargetNode, show / "data" / scene);
         },
         {"Error !: load3ds : No target"},
         0,
         {S, S, B, S, S}},
    };
    for (const Row& row : rows) {
        Check(row);
        EXPECT_EQ("", written) << row.what;
    }
}

// The texture rows damage a texture of the first scene that the other captured scenes do
// not use, so their frames stay exactly as they were.
TEST_F(CaptureFailureTable, BadTexturesAndPicturesAreReportedAndTheShowGoesOn) {
    int requests = 0;
    const std::string texture = TextureOfTheFirstSceneOnly(&requests);
    ASSERT_FALSE(texture.empty())
        << "every texture of btitre.3ds is used by another captured scene";
    auto reported = [requests](const std::string& line) {
        return std::vector<std::string>(requests, line);
    };
    const std::string picture = assets::PictureFileName(1);
    auto recoded = [&](const std::string& name, bool sixteenBit) {
        Replace(name, Recoded((fs::path(source) / name).string(), sixteenBit));
    };
    const Row rows[] = {
        {"missing texture",
         [&] { Remove(texture); },
         reported("Error !: Error : Can't open file data\\" + texture),
         0,
         {D, S, S, S, S}},
        {"texture cut short",
         [&] { CutInHalf(texture); },
         reported("Error !: Error LibPNG : can't read structure"),
         0,
         {D, S, S, S, S}},
        {"texture that is no PNG",
         [&] { Replace(texture, Garbage(3000)); },
         {},
         0,
         {D, S, S, S, S}},
        {"RGBA texture", [&] { recoded(texture, false); }, {}, 0, {S, S, S, S, S}},
        {"16-bit RGB texture", [&] { recoded(texture, true); }, {}, 0, {S, S, S, S, S}},
        {"missing picture",
         [&] { Remove(picture); },
         {"Error !: Error : Can't open file data\\chinois1.png"},
         0,
         {S, S, S, D, S}},
        {"picture cut short",
         [&] { CutInHalf(picture); },
         {"Error !: Error LibPNG : can't read structure"},
         0,
         {S, S, S, D, S}},
        {"RGBA picture", [&] { recoded(picture, false); }, {}, 0, {S, S, S, S, S}},
    };
    for (const Row& row : rows) Check(row);
}

// Without its music the show cannot start: it ends once loaded, so no frame is drawn and
// the capture fails. A cut-short MP3 still plays, as far as it goes.
TEST_F(CaptureFailureTable, BadMusicEndsTheShowBeforeItsFirstFrameUnlessItStillPlays) {
    const std::string music = kSoundtrackName;
    const std::vector<std::string> unreadable = {
        "ERROR!: internal error: Can't read music!",
        "kelvo-capture: the show ended early, after 0 of the 5 frames asked for"};
    const Row rows[] = {
        {"missing MP3", [&] { Remove(music); }, unreadable, 1, {N, N, N, N, N}},
        {"empty MP3", [&] { Replace(music, ""); }, unreadable, 1, {N, N, N, N, N}},
        {"MP3 of garbage", [&] { Replace(music, Garbage(20000)); }, unreadable, 1, {N, N, N, N, N}},
        {"MP3 cut short", [&] { CutInHalf(music); }, {}, 0, {S, S, S, S, S}},
    };
    for (const Row& row : rows) Check(row);
}

// A full disk, made real two ways: a file size limit (writes past it fail with EFBIG) and
// the frame's name linked to /dev/full (every write fails with ENOSPC; --overwrite lets the
// capture write through the link). The frame that cannot be written stops the capture and
// is not left behind; the frames before stay whole.
TEST_F(CaptureFailureTable, FullDiskStopsTheCaptureAtTheFrameItCannotWrite) {
    MakeShow();
    const struct {
        bool linkToDevFull;
        rlim_t fileSizeLimit;
        std::string reason;
    } cases[] = {
        // The flash frame (one flat picture) packs small; the scene frame at 1000 ms does not.
        {false, 100000, "File too large"},
        {true, RLIM_INFINITY, "No space left on device"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        fs::path out = scratch / "frames";
        fs::remove_all(out);
        fs::create_directories(out);
        if (c.linkToDevFull) fs::create_symlink("/dev/full", out / "frame_001000.png");
        ToolRun run = RunCapture({"--data", show.string(), "--at", "60417,1000,7000", "--out",
                                  out.string(), "--overwrite"},
                                 c.fileSizeLimit);
        EXPECT_EQ(1, run.exitCode) << run.err;
        EXPECT_EQ((std::vector<std::string>{"kelvo-capture: cannot write " +
                                            (out / "frame_001000.png").string() + ": " + c.reason +
                                            "; capture stopped"}),
                  MessageLines(run.err));
        EXPECT_FALSE(ReadFrame(out / "frame_060417.png").empty());
        EXPECT_EQ((std::vector<std::string>{"frame_060417.png"}), FileNames(out.string()));
        EXPECT_FALSE(fs::is_symlink(out / "frame_001000.png"));
    }
}

TEST_F(CaptureFailureTable, FullDiskForTheSoundtrackFailsTheCapture) {
    MakeShow();
    fs::path out = scratch / "frames";
    // Frames fit in 4 MB; the soundtrack of the whole show (207 s of 16-bit stereo) does not.
    ToolRun run =
        RunCapture({"--data", show.string(), "--fps", "1", "--out", out.string()}, 4000000);
    EXPECT_EQ(1, run.exitCode) << run.err;
    EXPECT_EQ((std::vector<std::string>{"kelvo-capture: no soundtrack: cannot write " +
                                        (out / "soundtrack.wav").string() + ": File too large"}),
              MessageLines(run.err));
    EXPECT_FALSE(fs::exists(out / "soundtrack.wav"));
    EXPECT_EQ(209u, FileNames(out.string()).size());
}
