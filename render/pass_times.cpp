#include "render/pass_times.h"

#include <GL/gl.h>

#include <chrono>

#include "scene/scene.h"

namespace {

double now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

PassTimesRow* rowOf(PassTimes* times, const Scene* scene) {
    for (int32_t k = 0; k < times->rowCount; ++k)
        if (times->rows[k].scene == scene) return &times->rows[k];
    if (times->rowCount >= PASS_TIMES_SCENES) return nullptr;
    PassTimesRow* row = &times->rows[times->rowCount++];
    *row = PassTimesRow{scene, 0, {}};
    return row;
}

}  // namespace

int32_t switchPass(PassTimes* times, int32_t pass) {
    if (!times) return FRAME_PASS_NONE;
    const int32_t previous = times->current;
    if (!times->on) return previous;
    if (!times->waitOncePerFrame || pass == FRAME_PASS_NONE) glFinish();
    const double t = now();
    if (previous >= 0 && previous < FRAME_PASS_COUNT && times->since > 0)
        if (PassTimesRow* row = rowOf(times, times->scene)) row->seconds[previous] += t - times->since;
    times->current = pass;
    times->since = t;
    return previous;
}

void beginPassFrame(PassTimes* times, const Scene* scene) {
    if (!times->on) return;
    times->scene = scene;  // the last frame ended with no pass running: nothing to charge
    if (PassTimesRow* row = rowOf(times, scene)) ++row->frames;
}

void clearPassTimes(PassTimes* times) {
    times->rowCount = 0;
    times->current = FRAME_PASS_NONE;
}

void printPassTimes(const PassTimes* times, FILE* out) {
    std::fprintf(out, "%-10s %7s %9s %7s %7s %7s %7s %8s\n", "scene", "frames", "ms/frame", "shadow", "objects",
                 "effects", "glow", "overlays");
    for (int32_t k = 0; k < times->rowCount; ++k) {
        const PassTimesRow& row = times->rows[k];
        if (row.frames == 0) continue;
        double total = 0;
        for (double s : row.seconds) total += s;
        std::fprintf(out, "%-10.10s %7lld %9.2f", row.scene ? row.scene->name : "?", static_cast<long long>(row.frames),
                     1000.0 * total / double(row.frames));
        for (double s : row.seconds) std::fprintf(out, " %6.1f%%", total > 0 ? 100.0 * s / total : 0.0);
        std::fprintf(out, "\n");
    }
}
