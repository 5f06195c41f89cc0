#include "app/overlay_line.h"

#include <cstdio>

namespace {

char gMessage[256];

const char* orNone(const char* text) { return text && *text ? text : "-"; }

}  // namespace

void formatDemoTime(int32_t ms, char* out, size_t size) {
    const char* sign = ms < 0 ? "-" : "";
    const int64_t t = ms < 0 ? -int64_t(ms) : ms;
    std::snprintf(out, size, "%s%lld:%02lld:%03lld", sign, static_cast<long long>(t / 60000),
                  static_cast<long long>(t / 1000 % 60), static_cast<long long>(t % 1000));
}

void formatOverlayLine(const OverlayInfo& info, char* out, size_t size) {
    char time[32];
    formatDemoTime(info.demoTime, time, sizeof time);
    std::snprintf(out, size, "%s  %s  %s  clip %d/%d  %.1f fps%s%s%s%s", time, orNone(info.scene),
                  orNone(info.camera), info.clip, info.clipCount, static_cast<double>(info.fps),
                  info.paused ? "  paused" : "", info.loopClip ? "  loop" : "",
                  info.message && *info.message ? "  " : "", info.message ? info.message : "");
}

void setOverlayMessage(const char* message) {
    std::snprintf(gMessage, sizeof gMessage, "%s", message ? message : "");
}

const char* overlayMessage() { return gMessage; }
