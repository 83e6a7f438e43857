// progress_line.cpp: frames done, frames per second and time left, redrawn in place.
#include "tools/capture/progress_line.h"

#include <unistd.h>

namespace {

const std::chrono::milliseconds kRedrawInterval(250);

}  // namespace

ProgressLine::ProgressLine(std::FILE* out)
    : out(out), enabled(isatty(fileno(out)) != 0), started(std::chrono::steady_clock::now()) {}

void ProgressLine::Update(long done, long total) {
    if (!enabled) return;
    auto now = std::chrono::steady_clock::now();
    if (shown && now - lastDrawn < kRedrawInterval && done < total) return;
    lastDrawn = now;
    double seconds = std::chrono::duration<double>(now - started).count();
    double fps = seconds > 0.0 ? done / seconds : 0.0;
    long left = fps > 0.0 && total > done ? long((total - done) / fps + 0.5) : 0;
    // \r returns to the line's start; \033[K clears what a longer earlier line left.
    long spent = long(seconds);
    std::fprintf(out, "\r  frame %ld of %ld  %.1f fps  %ld:%02ld elapsed  %ld:%02ld left\033[K",
                 done, total, fps, spent / 60, spent % 60, left / 60, left % 60);
    std::fflush(out);
    shown = true;
}

void ProgressLine::Finish() {
    if (!shown) return;
    std::fputc('\n', out);
    std::fflush(out);
    shown = false;
}
