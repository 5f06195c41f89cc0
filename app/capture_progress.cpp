#include "app/capture_progress.h"

namespace {

// A terminal line is redrawn at most this often: the drawing must not cost the capture time.
const int32_t kTerminalIntervalMs = 250;

double framesPerSecond(int32_t done, int32_t elapsedMs) {
    return elapsedMs > 0 ? done * 1000.0 / elapsedMs : 0.0;
}

}  // namespace

void captureProgressBegin(CaptureProgress* p, int32_t total, bool terminal, int32_t clockMs) {
    *p = CaptureProgress{total, clockMs, -1, 0, 0, 0, 0, terminal, false};
}

std::string captureProgressText(int32_t done, int32_t total, int32_t demoTime, int32_t elapsedMs) {
    double fps = framesPerSecond(done, elapsedMs);
    int32_t percent = total > 0 ? static_cast<int32_t>(int64_t(done) * 100 / total) : 0;
    char left[32] = "";
    if (fps > 0 && total > done) {
        int64_t seconds = static_cast<int64_t>((total - done) / fps + 0.5);
        std::snprintf(left, sizeof left, "  %lld:%02lld left", static_cast<long long>(seconds / 60),
                      static_cast<long long>(seconds % 60));
    }
    char text[160];
    std::snprintf(text, sizeof text, "frame %d/%d (%d%%)  demo %d:%02d.%03d  %.1f fps%s", done, total, percent,
                  demoTime / 60000, demoTime / 1000 % 60, demoTime % 1000, fps, left);
    return text;
}

namespace {

void drawTerminalLine(CaptureProgress* p, FILE* out, int32_t clockMs) {
    p->shownMs = clockMs;
    p->drawn = p->done;
    std::fprintf(out, "\r%s\x1b[K", captureProgressText(p->done, p->total, p->demoTime, clockMs - p->startMs).c_str());
    p->lineOpen = true;
}

}  // namespace

void captureProgressUpdate(CaptureProgress* p, FILE* out, int32_t done, int32_t demoTime, int32_t clockMs) {
    int32_t elapsed = clockMs - p->startMs;
    p->done = done;
    p->demoTime = demoTime;
    if (p->terminal) {
        if (p->shownMs >= 0 && clockMs - p->shownMs < kTerminalIntervalMs && done != p->total) return;
        drawTerminalLine(p, out, clockMs);
    } else {
        int32_t tenths = p->total > 0 ? static_cast<int32_t>(int64_t(done) * 10 / p->total) : 0;
        if (tenths <= p->tenths) return;
        p->tenths = tenths;
        std::fprintf(out, "%s\n", captureProgressText(done, p->total, demoTime, elapsed).c_str());
    }
    std::fflush(out);
}

void captureProgressCloseLine(CaptureProgress* p, FILE* out, int32_t clockMs) {
    // A run that ends early (Escape, the timeline's last clip) still shows where it ended.
    if (p->terminal && p->drawn != p->done) drawTerminalLine(p, out, clockMs);
    if (p->lineOpen) std::fputc('\n', out);
    p->lineOpen = false;
}

void captureProgressEnd(CaptureProgress* p, FILE* out, int32_t done, int32_t clockMs) {
    int32_t elapsed = clockMs - p->startMs;
    captureProgressCloseLine(p, out, clockMs);
    std::fprintf(out, "velmora: captured %d frames in %.2f s, %.1f frames per second\n", done, elapsed / 1000.0,
                 framesPerSecond(done, elapsed));
    std::fflush(out);
}
