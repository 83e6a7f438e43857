// capture_run.cpp: drives the show through the headless layer's clock and frame handler.
#include "tools/capture/capture_run.h"

// The platform header comes first, as <windows.h> must come before the GL headers.
#include "platform/win32.h"

#include <GL/gl.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/program_state.h"
#include "demo/scene_player.h"
#include "platform/headless/headless.h"
#include "timeline/effect_sequencer.h"
#include "tools/capture/frame_png.h"
#include "tools/capture/frame_stats.h"
#include "tools/capture/progress_line.h"

namespace {

// The show's length (ms), used only to tell how many frames a full capture has; the show
// itself decides when it ends.
const int kShowLengthMs = 207100;
// The settings dialog's "Full Screen" check box: pressing it once unchecks it.
const int kFullScreenCheckBox = 1033;
// The frame at which --bench notes the peak memory, to compare with the end.
const int kMemoryMarkFrame = 1000;

using Clock = std::chrono::steady_clock;

double MsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Elapsed time of the frame at index i (0 for the first) at fps frames per second.
int FrameTime(long i, int fps) { return int((std::int64_t(i) * 1000 + fps / 2) / fps); }

long TotalFrames(const CaptureOptions& options) {
    if (!options.atTimes.empty()) return long(options.atTimes.size()) + (options.atTimes[0] != 0 ? 1 : 0);
    long frames = 1;
    while (FrameTime(frames - 1, options.fps) <= kShowLengthMs) ++frames;
    return frames;  // up to and including the first frame past the show's length
}

const ScenePlayer* FindScenePlayer() {
    if (!sequencer) return nullptr;
    for (int i = 0; i < sequencer->effectCount; ++i)
        if (const ScenePlayer* player = dynamic_cast<const ScenePlayer*>(sequencer->effects[i])) return player;
    return nullptr;
}

class Capture {
public:
    explicit Capture(const CaptureOptions& options)
        : options(options), total(TotalFrames(options)), progress(stderr), runStarted(Clock::now()) {}

    void OnFrame(int frameNumber);
    void Finish();
    bool Failed() const { return failed || endedEarly; }

private:
    bool WriteFrame(int elapsed);
    void ScheduleNext(int frameNumber, std::uint32_t start);

    const CaptureOptions& options;
    long total;
    ProgressLine progress;
    Clock::time_point runStarted;
    Clock::time_point lastFrameEnd;
    std::unique_ptr<FrameStats> stats;
    std::string rendererName;  // read while the context exists
    std::size_t atTimesUsed = 0;
    std::size_t listedFramesDrawn = 0;
    int lastElapsed = -1;       // of the last frame drawn; -1 before the first
    bool endRequested = false;  // the tool pressed Escape itself
    bool failed = false;        // a frame could not be written
    bool endedEarly = false;    // the show ended before its length and before the tool ended it
};

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

    // The show always draws its first frame at 0 ms; with --at it counts only when listed.
    bool listed = options.atTimes.empty() || frameNumber > 1 || options.atTimes[0] == 0;
    if (frameNumber == 1 && !options.atTimes.empty() && options.atTimes[0] == 0) atTimesUsed = 1;
    if (listed) ++listedFramesDrawn;
    if (listed && !options.outFolder.empty() && !WriteFrame(elapsed)) {
        failed = true;
        endRequested = true;
        headless::PressKey(VK_ESCAPE);
        return;
    }
    ScheduleNext(frameNumber, start);
    progress.Update(frameNumber, total);
    lastFrameEnd = Clock::now();
}

bool Capture::WriteFrame(int elapsed) {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb = headless::ReadPixels(&width, &height);
    char name[32];
    std::snprintf(name, sizeof name, "/frame_%06d.png", elapsed);
    std::string path = options.outFolder + name;
    std::string reason;
    if (WriteFramePng(path, width, height, rgb, &reason)) return true;
    progress.Finish();
    std::fprintf(stderr, "kelvo-capture: cannot write %s: %s; capture stopped\n", path.c_str(), reason.c_str());
    return false;
}

void Capture::ScheduleNext(int frameNumber, std::uint32_t start) {
    if (options.atTimes.empty()) {
        headless::SetClock(start + std::uint32_t(FrameTime(frameNumber, options.fps)));
    } else if (atTimesUsed < options.atTimes.size()) {
        headless::SetClock(start + std::uint32_t(options.atTimes[atTimesUsed++]));
    } else {
        endRequested = true;
        headless::PressKey(VK_ESCAPE);
    }
}

void Capture::Finish() {
    progress.Finish();
    // The show ends by itself only past its length. Ending sooner, it never ran (its music
    // could not start): the frames asked for are missing, and the capture has failed.
    endedEarly = !failed && !endRequested && lastElapsed <= kShowLengthMs;
    std::size_t asked = options.atTimes.empty() ? std::size_t(total) : options.atTimes.size();
    if (endedEarly)
        std::fprintf(stderr, "kelvo-capture: the show ended early, after %zu of the %zu frames asked for\n",
                     listedFramesDrawn, asked);
    // A listed time past the show's end draws that frame, and the show then ends itself.
    else if (!failed && listedFramesDrawn < options.atTimes.size())
        std::fprintf(stderr, "kelvo-capture: the show ended after %zu of the %zu frames asked for\n",
                     listedFramesDrawn, options.atTimes.size());
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
    if (options.windowed)
        headless::SetDialogAnswers({kFullScreenCheckBox, IDOK});
    else
        headless::SetDialogAnswers({IDOK});

    Capture capture(options);
    headless::SetFrameHandler([&capture](int frameNumber) { capture.OnFrame(frameNumber); });
    int result = WinMain(GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOW);
    capture.Finish();
    headless::SetFrameHandler(nullptr);
    return capture.Failed() ? 1 : result;
}
