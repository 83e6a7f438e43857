// capture_video_test.cpp: kelvo-capture's video, frame sizes and spans, end to end on the
// generated show: what ffprobe and ffmpeg read back from the MP4, HD frames against the
// show's own 640 x 480, spans against captures from the show's start, refused arguments.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "demo/flash_table.h"
#include "gfx/png_reader.h"
#include "support/generated_data.h"
#include "support/png_test_files.h"
#include "support/sound_files.h"
#include "support/test_files.h"
#include "support/tool_runs.h"

namespace {

namespace fs = std::filesystem;

// A capture that hangs fails its test after this long instead of at ctest's limit.
const double kCaptureTimeout = 60;
// Seconds from ffmpeg's end to the capture's: a frame or two, with room for a busy machine.
const double kEndAfterFfmpeg = 2.5;

double SecondsSinceEpoch() {
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// An RGB image, top row first.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
    const std::uint8_t* At(int x, int y) const { return &rgb[(std::size_t(y) * width + x) * 3]; }
};

Image ReadPng(const fs::path& path) {
    Image image;
    unsigned char* pixels = nullptr;
    if (!LoadPngRgb(&pixels, path.string().c_str(), &image.width, &image.height)) return Image{};
    // The reader gives 4-byte pixels, bottom row first.
    for (int y = image.height - 1; y >= 0; --y)
        for (int x = 0; x < image.width; ++x) {
            const unsigned char* p = pixels + (std::size_t(y) * image.width + x) * 4;
            image.rgb.insert(image.rgb.end(), p, p + 3);
        }
    std::free(pixels);
    return image;
}

// Over luma (BT.601 weights), as video quality is usually told: H.264 keeps a quarter of the
// chroma samples (4:2:0), so thin saturated lines lose colour by design.
double Psnr(const Image& a, const Image& b) {
    if (a.rgb.size() != b.rgb.size() || a.rgb.empty()) return 0.0;
    double sum = 0.0;
    for (std::size_t i = 0; i + 2 < a.rgb.size(); i += 3) {
        double d = 0.299 * (double(a.rgb[i]) - b.rgb[i]) +
                   0.587 * (double(a.rgb[i + 1]) - b.rgb[i + 1]) +
                   0.114 * (double(a.rgb[i + 2]) - b.rgb[i + 2]);
        sum += d * d;
    }
    double mse = sum / double(a.rgb.size() / 3);
    return mse == 0.0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

// Averages the part of image inside (left, top, width x height) down to outWidth x outHeight.
Image ScaleDown(const Image& image, int left, int top, int width, int height, int outWidth,
                int outHeight) {
    Image out;
    out.width = outWidth;
    out.height = outHeight;
    for (int y = 0; y < outHeight; ++y)
        for (int x = 0; x < outWidth; ++x) {
            int x0 = left + x * width / outWidth, x1 = left + (x + 1) * width / outWidth;
            int y0 = top + y * height / outHeight, y1 = top + (y + 1) * height / outHeight;
            for (int c = 0; c < 3; ++c) {
                long sum = 0;
                for (int v = y0; v < y1; ++v)
                    for (int u = x0; u < x1; ++u) sum += image.At(u, v)[c];
                out.rgb.push_back(std::uint8_t(sum / ((x1 - x0) * (y1 - y0))));
            }
        }
    return out;
}

std::string FrameName(int ms) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%06d.png", ms);
    return name;
}

class CaptureVideo : public ::testing::Test {
protected:
    void SetUp() override {
        std::string data = GeneratedDataFolder();
        ASSERT_FALSE(data.empty()) << "kelvo-assets failed";
        show = fs::path(data).parent_path();
    }

    // Runs the built kelvo-capture on the generated show; with path set, PATH is that.
    // A timeout in seconds kills a capture that runs longer (ToolRun::timedOut).
    ToolRun Capture(const std::vector<std::string>& arguments, const std::string& path = "",
                    double timeout = 0) {
        ProgramStart start;
        start.arguments = {BuiltProgram("kelvo-capture"), "--data", show.string()};
        start.arguments.insert(start.arguments.end(), arguments.begin(), arguments.end());
        if (!path.empty()) start.environment = {"PATH=" + path};
        start.timeoutSeconds = timeout;
        return RunProgram(start);
    }

    // The video's streams as ffprobe reads them (frames counted by decoding): for "video" and
    // "audio", each key=value of the stream.
    std::map<std::string, std::map<std::string, std::string>> Probe(const fs::path& video) {
        ProgramStart start;
        start.arguments = {
            "ffprobe",
            "-v",
            "error",
            "-count_frames",
            "-show_entries",
            "stream=codec_type,codec_name,pix_fmt,width,height,r_frame_rate,nb_read_frames,"
            "duration:format_tags=major_brand",
            "-of",
            "compact=p=0",
            video.string()};
        const ToolRun run = RunProgram(start);
        std::map<std::string, std::map<std::string, std::string>> streams;
        if (run.exitCode != 0) return streams;
        std::istringstream lines(run.out);
        for (std::string line; std::getline(lines, line);) {
            std::map<std::string, std::string> fields;
            std::istringstream parts(line);
            for (std::string part; std::getline(parts, part, '|');) {
                std::size_t eq = part.find('=');
                if (eq != std::string::npos) fields[part.substr(0, eq)] = part.substr(eq + 1);
            }
            if (fields.count("codec_type")) streams[fields["codec_type"]] = fields;
        }
        return streams;
    }

    static bool Ffmpeg(const std::vector<std::string>& arguments) {
        ProgramStart start;
        start.arguments = {"ffmpeg", "-v", "error", "-y"};
        start.arguments.insert(start.arguments.end(), arguments.begin(), arguments.end());
        return RunProgram(start).exitCode == 0;
    }

    // Every frame of the video, decoded.
    std::vector<Image> DecodeFrames(const fs::path& video, int width, int height) {
        const std::string raw = folder / "frames.rgb";
        std::vector<Image> frames;
        if (!Ffmpeg({"-i", video.string(), "-f", "rawvideo", "-pix_fmt", "rgb24", raw}))
            return frames;
        std::string bytes = ReadBytes(raw);
        const std::size_t size = std::size_t(width) * height * 3;
        for (std::size_t at = 0; at + size <= bytes.size(); at += size)
            frames.push_back(
                {width, height,
                 std::vector<std::uint8_t>(bytes.begin() + at, bytes.begin() + at + size)});
        return frames;
    }

    // The video's sound, decoded to 44.1 kHz 16-bit stereo.
    std::vector<std::int16_t> DecodeSound(const fs::path& video) {
        const std::string wav = folder / "sound.wav";
        WavData data;
        if (!Ffmpeg({"-i", video.string(), "-vn", "-ar", "44100", "-ac", "2", wav}) ||
            !ReadWav(wav, &data))
            return {};
        return data.samples;
    }

    fs::path show;
    TempFolder folder;
    fs::path scratch = fs::path(folder.path());
};

// The vil.3ds span opens at 60000 ms and its first flash shows from 60417 to 60490 ms: at
// 20 fps the video holds the scene's first frame, scene frames and flash frames.
TEST_F(CaptureVideo, VideoHoldsTheFramesAndSoundAskedFor) {
    const int fps = 20, from = 60000, to = 61000;
    const fs::path video = scratch / "span.mp4";
    ToolRun run = Capture({"--fps", std::to_string(fps), "--from", std::to_string(from), "--to",
                           std::to_string(to), "--video", video.string()});
    ASSERT_EQ(0, run.exitCode) << run.err;
    EXPECT_NE(std::string::npos, run.err.find("captured 20 frames of 640x480")) << run.err;

    auto streams = Probe(video);
    auto& picture = streams["video"];
    auto& sound = streams["audio"];
    EXPECT_EQ("h264", picture["codec_name"]);
    EXPECT_EQ("yuv420p", picture["pix_fmt"]);
    EXPECT_EQ("640", picture["width"]);
    EXPECT_EQ("480", picture["height"]);
    EXPECT_EQ("20/1", picture["r_frame_rate"]);
    EXPECT_EQ("20", picture["nb_read_frames"]);
    EXPECT_EQ("aac", sound["codec_name"]);
    const double length = (to - from) / 1000.0;
    EXPECT_NEAR(length, std::atof(picture["duration"].c_str()), 0.5 / fps);
    EXPECT_NEAR(length, std::atof(sound["duration"].c_str()), 1.0 / fps);
    // +faststart: the index comes before the media data.
    std::string head = ReadBytes(video.string()).substr(0, 4096);
    EXPECT_LT(head.find("moov"), head.find("mdat"));

    // Against --at frames of the same moments, drawn without the video: the scene's first
    // frame, a scene frame, the flash, the scene after it. Each frame shows the pose the
    // frame before it evaluated, so each is listed after the frame before it at this rate.
    const std::vector<int> moments = {60000, 60300, 60450, 60700};
    const std::string list = "60000,60250,60300,60450,60650,60700";
    ASSERT_EQ(0, Capture({"--at", list, "--out", (scratch / "at").string()}).exitCode);
    std::vector<Image> frames = DecodeFrames(video, 640, 480);
    ASSERT_EQ(20u, frames.size());
    for (int ms : moments) {
        SCOPED_TRACE(ms);
        Image still = ReadPng(scratch / "at" / FrameName(ms));
        const Image& decoded = frames[std::size_t((ms - from) * fps / 1000)];
        EXPECT_GE(Psnr(still, decoded), 35.0);
        // ... and far closer than to the frame a tenth of a second away (below 21 dB).
        const Image& other = frames[std::size_t((ms - from) * fps / 1000 + 2)];
        EXPECT_GT(Psnr(still, decoded), Psnr(still, other) + 10.0);
    }
}

// The flash at 60416 ms comes with a chord stab in the generated soundtrack: in the video,
// the first frame that shows the picture and the stab's onset lie within one frame.
TEST_F(CaptureVideo, FlashAndItsStabLandTogether) {
    const int fps = 20, from = 59000;
    const fs::path video = scratch / "sync.mp4";
    ASSERT_EQ(0, Capture({"--fps", std::to_string(fps), "--from", std::to_string(from), "--to",
                          "61000", "--video", video.string()})
                     .exitCode);
    std::vector<Image> frames = DecodeFrames(video, 640, 480);
    std::vector<std::int16_t> sound = DecodeSound(video);
    ASSERT_EQ(40u, frames.size());
    ASSERT_GE(sound.size(), std::size_t(2 * 44100));

    // The picture: the first frame that stands apart from both its neighbours while they,
    // both scene frames, resemble each other (scene frames 50 ms apart: about 20 dB; a
    // picture against them: about 13 dB).
    std::size_t pictureFrame = 1;
    while (pictureFrame + 1 < frames.size() &&
           Psnr(frames[pictureFrame - 1], frames[pictureFrame + 1]) -
                   std::max(Psnr(frames[pictureFrame - 1], frames[pictureFrame]),
                            Psnr(frames[pictureFrame], frames[pictureFrame + 1])) <
               4.0)
        ++pictureFrame;
    // The stab: the 10 ms window whose loudness rises most over the 10 ms before it, in the
    // second around the flash.
    const int window = 441;
    auto loudness = [&sound](std::size_t start) {
        double sum = 0.0;
        for (std::size_t i = start * 2; i < (start + window) * 2 && i < sound.size(); ++i)
            sum += std::fabs(sound[i]);
        return sum;
    };
    std::size_t onset = 0;
    double rise = -1.0;
    for (std::size_t start = 44100; start + window < 44100 * 2 - window; start += window / 4) {
        double r = loudness(start) - loudness(start - window);
        if (r > rise) rise = r, onset = start;
    }
    const double pictureAt = double(pictureFrame) / fps;
    const double stabAt = double(onset) / 44100.0;
    EXPECT_NEAR(double(kFlashTimes[0] - from) / 1000.0, stabAt, 1.0 / fps)
        << "the stab is not where the show puts it";
    EXPECT_NEAR(pictureAt, stabAt, 1.0 / fps) << "picture at frame " << pictureFrame;
}

// 1920 x 1080 renders the show at 1440 x 1080 between black bars; scaled down, each frame is
// the 640 x 480 frame of the same moment.
TEST_F(CaptureVideo, HdFramesAreTheShowsFramesInFinerPixels) {
    const std::string list = "3000,30000,60450,150000";
    ASSERT_EQ(0, Capture({"--at", list, "--out", (scratch / "small").string()}).exitCode);
    ToolRun run =
        Capture({"--at", list, "--size", "1920x1080", "--out", (scratch / "hd").string()});
    ASSERT_EQ(0, run.exitCode) << run.err;
    std::vector<Image> small;
    for (int ms : {3000, 30000, 60450, 150000})
        small.push_back(ReadPng(scratch / "small" / FrameName(ms)));
    int k = 0;
    for (int ms : {3000, 30000, 60450, 150000}) {
        SCOPED_TRACE(ms);
        Image hd = ReadPng(scratch / "hd" / FrameName(ms));
        ASSERT_EQ(1920, hd.width);
        ASSERT_EQ(1080, hd.height);
        long lit = 0;
        for (int y = 0; y < 1080; y += 3)
            for (int x : {0, 100, 239, 1680, 1800, 1919})
                lit += hd.At(x, y)[0] + hd.At(x, y)[1] + hd.At(x, y)[2];
        EXPECT_EQ(0, lit) << "the bars are not black";
        Image down = ScaleDown(hd, 240, 0, 1440, 1080, 640, 480);
        const double same = Psnr(down, small[k]);
        // Thin lines and edges are where the sizes differ: about 27 dB here, against 12 dB or
        // less between different moments.
        EXPECT_GE(same, 22.0);
        // Any other moment is further away than filtering ever puts the same one.
        for (std::size_t other = 0; other < small.size(); ++other)
            if (int(other) != k) {
                EXPECT_GT(same, Psnr(down, small[other]) + 3.0) << "against frame " << other;
            }
        ++k;
    }

    // A frame taller than 4:3 puts the bars above and below.
    ASSERT_EQ(0,
              Capture({"--at", "3000", "--size", "480x640", "--out", (scratch / "tall").string()})
                  .exitCode);
    Image tall = ReadPng(scratch / "tall" / FrameName(3000));
    ASSERT_EQ(480, tall.width);
    ASSERT_EQ(640, tall.height);
    long bars = 0;
    for (int y : {0, 139, 500, 639})
        for (int x = 0; x < 480; ++x)
            bars += tall.At(x, y)[0] + tall.At(x, y)[1] + tall.At(x, y)[2];
    EXPECT_EQ(0, bars);
    EXPECT_GE(Psnr(ScaleDown(tall, 0, 140, 480, 360, 480, 360),
                   ScaleDown(small[0], 0, 0, 640, 480, 480, 360)),
              22.0);
}

// A span's frames are the whole show's: 65000 ms is a flash frame at 4 fps, so the span from
// 65250 ms must be primed from the scene frame before it. Its soundtrack is the same stretch
// of the whole one.
TEST_F(CaptureVideo, SpanFramesAndSoundAreTheWholeShows) {
    ASSERT_TRUE(kFlashTimes[11] < 65000 && 65000 < kFlashTimes[11] + kFlashWindow);
    ASSERT_EQ(
        0,
        Capture({"--fps", "4", "--to", "65750", "--out", (scratch / "whole").string()}).exitCode);
    for (const auto& span : {std::pair<int, int>{10000, 10750}, {65250, 65750}}) {
        SCOPED_TRACE(span.first);
        const fs::path out = scratch / ("span" + std::to_string(span.first));
        ToolRun run = Capture({"--fps", "4", "--from", std::to_string(span.first), "--to",
                               std::to_string(span.second), "--out", out.string()});
        ASSERT_EQ(0, run.exitCode) << run.err;
        std::vector<std::string> expected;
        for (int ms = span.first; ms < span.second; ms += 250) expected.push_back(FrameName(ms));
        expected.push_back("soundtrack.wav");
        EXPECT_EQ(expected, FileNames(out.string()));
        for (int ms = span.first; ms < span.second; ms += 250)
            EXPECT_EQ(ReadBytes((scratch / "whole" / FrameName(ms)).string()),
                      ReadBytes((out / FrameName(ms)).string()))
                << FrameName(ms);

        WavData whole, part;
        ASSERT_TRUE(ReadWav((scratch / "whole" / "soundtrack.wav").string(), &whole));
        ASSERT_TRUE(ReadWav((out / "soundtrack.wav").string(), &part));
        const std::size_t first = std::size_t(span.first) * 44100 / 1000 * 2;
        ASSERT_EQ(std::size_t(span.second - span.first) * 44100 / 1000 * 2, part.samples.size());
        EXPECT_TRUE(
            std::equal(part.samples.begin(), part.samples.end(), whole.samples.begin() + first));
    }
}

TEST_F(CaptureVideo, BadArgumentsAreRefusedAndLeaveNoFile) {
    const std::string video = (scratch / "v.mp4").string();
    const std::vector<std::vector<std::string>> usage = {
        {"--size", "641x480"},
        {"--size", "640x0"},
        {"--size", "0x0"},
        {"--size", "640"},
        {"--size", "x480"},
        {"--size", "-640x480"},
        {"--size", "32768x24576"},
        {"--from", "5000", "--to", "5000"},
        {"--from", "6000", "--to", "5000"},
        {"--to", "207101"},
        {"--from", "-1"},
        {"--from", "1001", "--to", "1010"},  // no frame at 60 fps
        {"--at", "100", "--from", "50"},
        {"--crf", "52"},
        {"--preset", "quick"},
        {"--bench", "--video", video},
    };
    for (auto arguments : usage) {
        arguments.insert(arguments.end(), {"--video", video});
        std::string shown;
        for (const std::string& a : arguments) shown += a + " ";
        SCOPED_TRACE(shown);
        ToolRun run = Capture(arguments);
        EXPECT_EQ(2, run.exitCode);
        EXPECT_EQ(0u, run.err.find("kelvo-capture: ")) << run.err;
        EXPECT_EQ(run.err.find('\n') + 1, run.err.find("usage: kelvo-capture")) << run.err;
        EXPECT_FALSE(fs::exists(video));
    }

    // An output the video cannot have: one line, exit 2, before the show starts.
    fs::create_directories(scratch / "folder.mp4");
    for (const std::string& path :
         {std::string("/proc/v.mp4"), (scratch / "folder.mp4").string()}) {
        ToolRun run = Capture({"--to", "500", "--video", path});
        EXPECT_EQ(2, run.exitCode);
        EXPECT_EQ(1, std::count(run.err.begin(), run.err.end(), '\n')) << run.err;
        EXPECT_NE(std::string::npos, run.err.find(fs::path(path).parent_path().string()))
            << run.err;
    }
    EXPECT_TRUE(fs::is_directory(scratch / "folder.mp4"));
}

// ffmpeg stand-ins on PATH that fail at every stage: at once, after a moment without reading,
// after some frames, during the soundtrack, killed while a process it started holds the
// pipes, and with exit status 0 before the input's end. Their exit status and words reach
// stderr, the capture ends within moments of theirs, and no video is left.
TEST_F(CaptureVideo, FfmpegFailuresAreReportedAndTheVideoRemoved) {
    const fs::path bin = scratch / "bin";
    fs::create_directories(bin);
    const struct {
        const char* what;
        const char* script;
        const char* words;
        const char* status;
    } cases[] = {
        {"refuses", "echo 'Unknown encoder libx264' >&2; exit 1\n", "Unknown encoder libx264",
         "(exit status 1)"},
        {"dies half way",
         "for last; do :; done; head -c 3000000 > \"$last\"; echo 'Conversion failed!' >&2; exit "
         "69\n",
         "Conversion failed!", "(exit status 69)"},
        {"refuses a moment later", "sleep 1; echo 'Unknown encoder libx264' >&2; exit 1\n",
         "Unknown encoder libx264", "(exit status 1)"},
        {"stops reading frames, then exits",
         "head -c 3000000 >/dev/null; sleep 1; echo 'Conversion failed!' >&2; exit 69\n",
         "Conversion failed!", "(exit status 69)"},
        {"exits during the soundtrack",
         "head -c 100000 <&3 >/dev/null; sleep 1; echo 'Error while decoding stream #1:0' >&2; "
         "exit 1\n",
         "Error while decoding stream #1:0", "(exit status 1)"},
        {"killed, leaving a process on its pipes",
         "sleep 30 & head -c 2000000 >/dev/null; echo 'Killed' >&2; kill -KILL $$\n", "Killed",
         "(signal 9)"},
        {"exits 0 after a few frames", "head -c 3000000 >/dev/null; exit 0\n", "",
         "(exit status 0 before the input's end)"},
    };
    const std::string path = bin.string() + ":/usr/bin:/bin";
    const fs::path ended = scratch / "ffmpeg-ended";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // The stand-in notes when it ends: on exit, or just before it kills itself.
        std::string script = std::string(c.script);
        script.insert(
            script.rfind(script.find("kill -KILL") != std::string::npos ? "kill" : "exit"),
            "date +%s.%N > '" + ended.string() + "'; ");
        ASSERT_TRUE(WriteBytes((bin / "ffmpeg").string(), "#!/bin/sh\n" + script));
        fs::permissions(bin / "ffmpeg", fs::perms::owner_all);
        fs::remove(ended);
        fs::remove_all(scratch / "frames");
        const fs::path video = scratch / "v.mp4";
        ToolRun run = Capture({"--fps", "10", "--to", "3000", "--video", video.string(), "--out",
                               (scratch / "frames").string()},
                              path, kCaptureTimeout);
        const double toolEnded = SecondsSinceEpoch();
        ASSERT_FALSE(run.timedOut)
            << "the capture was still running after " << kCaptureTimeout << " s\n"
            << run.err;
        EXPECT_EQ(1, run.exitCode);
        EXPECT_NE(std::string::npos,
                  run.err.find("kelvo-capture: no video: ffmpeg failed to write " + video.string() +
                               " " + c.status + (*c.words ? ": " : "") + c.words))
            << run.err;
        EXPECT_LT(toolEnded - std::atof(ReadBytes(ended.string()).c_str()), kEndAfterFfmpeg);
        EXPECT_FALSE(fs::exists(video));
        EXPECT_FALSE(fs::exists(scratch / "frames" / "soundtrack.wav"));
        EXPECT_EQ(std::vector<std::string>{"ffmpeg-ended"}, FileNames(scratch.string()))
            << "the file ffmpeg wrote is left";
    }
}

}  // namespace
