// capture_run.cpp: drives the show through the headless layer's clock and frame handler.
#include "tools/capture/capture_run.h"

#include "platform/win32.h"

#include "platform/gl.h"

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/display_settings.h"
#include "app/program_state.h"
#include "app/resources/resource_ids.h"
#include "app/win_main.h"
#include "demo/flash_table.h"
#include "demo/scene_player.h"
#include "platform/headless/headless.h"
#include "tools/capture/video_encoder.h"
#include "timeline/effect_sequencer.h"
#include "tools/capture/frame_layout.h"
#include "tools/capture/frame_stats.h"
#include "tools/capture/frame_times.h"
#include "tools/capture/pending_file.h"
#include "tools/capture/progress_line.h"
#include "tools/capture/soundtrack.h"
#include "tools/png/png_writer.h"

namespace {

// Set by Ctrl-C, a termination request, a closed terminal (hangup) or Ctrl-\: the capture
// stops at the next frame, or while ffmpeg finishes, and removes what it had not finished.
volatile std::sig_atomic_t interrupted = 0;

void NoteInterruption(int) { interrupted = 1; }

// The frame at which --bench notes the peak memory, to compare with the end.
const int kMemoryMarkFrame = 1000;
// Colour bits of frames rendered larger than the show's own 640 x 480, which keep its 16: at
// HD sizes the soft glows spread each 16-bit step over several pixels, and the bands show.
const int kLargeFrameColourBits = 24;

using Clock = std::chrono::steady_clock;

double MsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

bool FlashShownAt(int elapsed) {
    for (int k = 0; k < kFlashCount; ++k)
        if (kFlashTimes[k] < elapsed && elapsed < kFlashTimes[k] + kFlashWindow) return true;
    return false;
}

// Each frame shows the animation pose that the frame before it evaluated, and a flash
// frame evaluates none. A span starting at `first` is therefore primed from the last frame
// before it that drew a scene: from there on, the frames drawn are the whole show's own.
long PrimingStart(long first, int fps) {
    long i = first - 1;
    while (i > 0 && FlashShownAt(FrameTime(i, fps))) --i;
    return i < 1 ? 1 : i;
}

const ScenePlayer* FindScenePlayer() {
    if (!sequencer) return nullptr;
    for (int i = 0; i < sequencer->effectCount; ++i)
        if (const ScenePlayer* player = dynamic_cast<const ScenePlayer*>(sequencer->effects[i]))
            return player;
    return nullptr;
}

std::string Duration(double seconds) {
    char text[32];
    long whole = long(seconds);
    std::snprintf(text, sizeof text, "%ld:%04.1f", whole / 60, seconds - double(whole / 60 * 60));
    return text;
}

class Capture {
public:
    explicit Capture(const CaptureOptions& options);

    void OnFrame(int frameNumber);
    void Finish();
    bool Failed() const { return failed || endedEarly; }

private:
    bool ByRate() const { return options.atTimes.empty(); }
    bool WantsSoundtrack() const {
        return ByRate() && (!options.outFolder.empty() || !options.videoPath.empty());
    }
    bool StartOutputs();
    bool EmitFrame(int elapsed);
    void ScheduleNext(std::uint32_t start);
    void Stop();
    bool FinishOutputs();
    bool FinishVideo();
    void PrintSummary() const;

    const CaptureOptions& options;
    FrameLayout layout;
    // With a frame rate: frames first to end - 1 are written; 0 is always drawn first.
    long first = 0;
    long end = 0;
    bool endsWithShow = true;  // end is the frame past the show's length, which ends it
    long index = 0;            // of the frame just drawn
    long framesWritten = 0;
    ProgressLine progress;
    Clock::time_point runStarted;
    Clock::time_point lastFrameEnd;
    std::unique_ptr<FrameStats> stats;
    std::string rendererName;  // read while the context exists
    std::vector<std::int16_t> soundtrack;
    PendingFile videoFile;  // what ffmpeg writes, renamed to the video when whole
    capture::VideoEncoder video;
    std::vector<std::uint8_t> frame;  // width x height, top row first
    std::size_t atTimesUsed = 0;
    std::size_t listedFramesDrawn = 0;
    int lastElapsed = -1;       // of the last frame drawn; -1 before the first
    bool endRequested = false;  // the tool pressed Escape itself
    bool failed = false;        // an output could not be written
    bool videoBroken = false;   // ffmpeg stopped taking frames
    bool endedEarly = false;    // the show ended before its length and before the tool ended it
};

Capture::Capture(const CaptureOptions& options)
    : options(options),
      layout(FitShow(options.width, options.height)),
      progress(stderr),
      runStarted(Clock::now()) {
    if (ByRate()) {
        SpanFrames(options, &first, &end);
        endsWithShow = options.toMs < 0;
    }
}

bool Capture::StartOutputs() {
    if (WantsSoundtrack() &&
        !TakeSoundtrack(first, end, options.fps, endsWithShow ? end - 1 : -1, &soundtrack))
        return false;
    if (options.videoPath.empty()) return true;
    capture::VideoSettings settings;
    settings.width = layout.width;
    settings.height = layout.height;
    settings.framesPerSecond = options.fps;
    settings.crf = options.crf;
    settings.preset = options.preset;
    settings.shownName = options.videoPath;
    std::string error;
    if (videoFile.Create(options.videoPath, &error) &&
        video.Open(videoFile.Path(), settings, soundtrack, &error))
        return true;
    std::fprintf(stderr, "kelvo-capture: no video: %s\n", error.c_str());
    return false;
}

void Capture::OnFrame(int frameNumber) {
    Clock::time_point now = Clock::now();
    std::uint32_t start = sequencer->startTime;
    int elapsed = int(headless::Clock() - start);
    lastElapsed = elapsed;
    if (options.bench) {
        if (frameNumber == 1) {
            const GLubyte* renderer = glGetString(GL_RENDERER);
            rendererName = renderer ? reinterpret_cast<const char*>(renderer) : "unknown";
            stats.reset(new FrameStats(FindScenePlayer()));
            stats->SetLoadTime(MsBetween(runStarted, now));
        } else {
            stats->AddFrame(elapsed, MsBetween(lastFrameEnd, now));
        }
        if (frameNumber == kMemoryMarkFrame) stats->NotePeakMemory();
    }
    if (interrupted) {
        progress.Finish();
        std::fprintf(stderr, "kelvo-capture: interrupted; capture stopped\n");
        Stop();
        return;
    }
    if (frameNumber == 1 && !StartOutputs()) {
        Stop();
        return;
    }

    // The show always draws its first frame at 0 ms; with --at it counts only when listed,
    // with a frame rate only inside the span.
    bool listed = ByRate() ? index >= first : frameNumber > 1 || options.atTimes[0] == 0;
    if (frameNumber == 1 && !ByRate() && options.atTimes[0] == 0) atTimesUsed = 1;
    if (listed) ++listedFramesDrawn;
    if (listed && !EmitFrame(elapsed)) {
        Stop();
        return;
    }
    ScheduleNext(start);
    progress.Update(framesWritten, ByRate() ? end - first : long(options.atTimes.size()));
    lastFrameEnd = Clock::now();
}

bool Capture::EmitFrame(int elapsed) {
    if (options.outFolder.empty() && options.videoPath.empty()) return true;
    int width = 0, height = 0;
    std::vector<std::uint8_t> rendered = headless::ReadPixels(&width, &height);
    PlaceShow(layout, rendered, &frame);
    ++framesWritten;
    if (!options.videoPath.empty() && !video.AddFrame(frame.data())) {
        videoBroken = true;  // ffmpeg's own words come when it is waited for
        return false;
    }
    if (options.outFolder.empty()) return true;
    char name[32];
    std::snprintf(name, sizeof name, "/frame_%06d.png", elapsed);
    std::string path = options.outFolder + name;
    std::string reason;
    // Fast compression: frames are many and large, and their size matters less than time.
    png_writer::Options fast;
    fast.fast = true;
    if (png_writer::WriteRgb(path, layout.width, layout.height, frame, fast, &reason)) return true;
    progress.Finish();
    std::fprintf(stderr, "kelvo-capture: cannot write %s: %s; capture stopped\n", path.c_str(),
                 reason.c_str());
    return false;
}

void Capture::Stop() {
    failed = true;
    endRequested = true;
    headless::PressKey(VK_ESCAPE);
}

void Capture::ScheduleNext(std::uint32_t start) {
    if (ByRate()) {
        long next =
            index + 1 < first ? std::max(index + 1, PrimingStart(first, options.fps)) : index + 1;
        if (!endsWithShow && next >= end) {
            endRequested = true;
            headless::PressKey(VK_ESCAPE);
            return;
        }
        index = next;
        headless::SetClock(start + std::uint32_t(FrameTime(index, options.fps)));
    } else if (atTimesUsed < options.atTimes.size()) {
        headless::SetClock(start + std::uint32_t(options.atTimes[atTimesUsed++]));
    } else {
        endRequested = true;
        headless::PressKey(VK_ESCAPE);
    }
}

bool Capture::FinishOutputs() {
    std::string error;
    if (failed || endedEarly) {
        if (videoBroken && !video.Finish(&error))
            std::fprintf(stderr, "kelvo-capture: no video: %s\n", error.c_str());
        video.Abort();
        videoFile.Discard();
        return false;
    }
    if (!options.videoPath.empty() && !FinishVideo()) return false;
    if (WantsSoundtrack() && !options.outFolder.empty() &&
        !WriteSoundtrack(options.outFolder, soundtrack))
        return false;
    return true;
}

bool Capture::FinishVideo() {
    std::string error;
    if (!video.Finish(&error, &interrupted)) {
        if (interrupted)
            std::fprintf(stderr, "kelvo-capture: interrupted; capture stopped\n");
        else
            std::fprintf(stderr, "kelvo-capture: no video: %s\n", error.c_str());
        videoFile.Discard();
        return false;
    }
    if (videoFile.Commit(options.overwrite, &error)) return true;
    std::fprintf(stderr, "kelvo-capture: no video: %s\n", error.c_str());
    return false;
}

void Capture::PrintSummary() const {
    double seconds = MsBetween(runStarted, Clock::now()) / 1000.0;
    std::fprintf(stderr, "captured %ld frame%s of %dx%d in %s", framesWritten,
                 framesWritten == 1 ? "" : "s", layout.width, layout.height,
                 Duration(seconds).c_str());
    if (ByRate() && framesWritten > 0)
        std::fprintf(stderr, ", %.2fx real time", seconds / (double(framesWritten) / options.fps));
    std::fputc('\n', stderr);
}

void Capture::Finish() {
    progress.Finish();
    // The show ends by itself only past its length. Ending sooner, it never ran (its music
    // could not start): the frames asked for are missing, and the capture has failed.
    endedEarly = !failed && !endRequested && lastElapsed <= kShowLength;
    std::size_t asked = ByRate() ? std::size_t(end - first) : options.atTimes.size();
    if (endedEarly)
        std::fprintf(stderr,
                     "kelvo-capture: the show ended early, after %zu of the %zu frames asked for\n",
                     listedFramesDrawn, asked);
    // A listed time past the show's end draws that frame, and the show then ends itself.
    else if (!failed && listedFramesDrawn < options.atTimes.size())
        std::fprintf(stderr,
                     "kelvo-capture: the show ended after %zu of the %zu frames asked for\n",
                     listedFramesDrawn, options.atTimes.size());
    if (!FinishOutputs()) {
        failed = true;
        return;
    }
    if (framesWritten > 0) PrintSummary();
    if (!options.bench) return;
    if (!stats) {
        std::printf("no frame was drawn\n");
        return;
    }
    std::printf("renderer: %s\n", rendererName.c_str());
    stats->Print(stdout, kMemoryMarkFrame);
}

}  // namespace

int RunCapture(const CaptureOptions& options) {
    headless::Reset();
    // The call log would grow by every platform call of every frame.
    headless::SetCallLogging(false);
    // For windowed output the "Full Screen" check box is pressed once, which unchecks it.
    if (options.windowed)
        headless::SetDialogAnswers({IDC_FULLSCREEN, IDOK});
    else
        headless::SetDialogAnswers({IDOK});
    // The show's window gets the 4:3 part of the frame as its client area, whatever size
    // it asks for: its own WM_SIZE handling then sets the viewport.
    FrameLayout layout = FitShow(options.width, options.height);
    headless::SetClientSize(layout.showWidth, layout.showHeight);
    if (layout.showWidth > kShowWidth || layout.showHeight > kShowHeight)
        headless::SetColourBits(kLargeFrameColourBits);

    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) std::signal(signal, NoteInterruption);
    Capture capture(options);
    headless::SetFrameHandler([&capture](int frameNumber) { capture.OnFrame(frameNumber); });
    int result = WinMain(GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOW);
    capture.Finish();
    headless::SetFrameHandler(nullptr);
    return capture.Failed() ? 1 : result;
}
