// The display's gamma ramp.
// SDL's X11 back end handles gamma only for DirectColor visuals, so the ramp goes through the
// RandR CRTC gamma on a display connection of our own (also safe to use from a signal handler
// while the main thread waits in a modal loop on SDL's connection).
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <cstdio>
#include <string>

#include "platform/platform.h"

namespace {

std::string gGammaFile;
Display* gDisplay;

Display* display() {
    if (!gDisplay) gDisplay = XOpenDisplay(nullptr);
    return gDisplay;
}

// Resamples a 256-entry channel to the CRTC's size (and back).
unsigned short sample(const uint16_t* channel, int i, int size) {
    if (size == 256) return channel[i];
    return channel[size > 1 ? i * 255 / (size - 1) : 0];
}

bool fileGet(uint16_t* ramp) {
    FILE* f = std::fopen(gGammaFile.c_str(), "rb");
    if (!f) return false;
    unsigned char bytes[GAMMA_RAMP_ENTRIES * 2];
    bool ok = std::fread(bytes, 1, sizeof bytes, f) == sizeof bytes;
    std::fclose(f);
    if (!ok) return false;
    for (int i = 0; i < GAMMA_RAMP_ENTRIES; ++i) ramp[i] = uint16_t(bytes[2 * i] | bytes[2 * i + 1] << 8);
    return true;
}

bool fileSet(const uint16_t* ramp) {
    unsigned char bytes[GAMMA_RAMP_ENTRIES * 2];
    for (int i = 0; i < GAMMA_RAMP_ENTRIES; ++i) {
        bytes[2 * i] = uint8_t(ramp[i]);
        bytes[2 * i + 1] = uint8_t(ramp[i] >> 8);
    }
    std::string temporary = gGammaFile + ".new";
    FILE* f = std::fopen(temporary.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes, 1, sizeof bytes, f) == sizeof bytes;
    ok = std::fclose(f) == 0 && ok;
    return ok && std::rename(temporary.c_str(), gGammaFile.c_str()) == 0;
}

}  // namespace

void platformUseGammaFile(const char* path) { gGammaFile = path ? path : ""; }

// Calls visit(crtc, gammaSize) for every CRTC with a gamma ramp until it returns true; false when
// the display has no RandR gamma at all.
template <typename Visit>
bool forEachGammaCrtc(Display* d, Visit visit) {
    int eventBase, errorBase;
    if (!d || !XRRQueryExtension(d, &eventBase, &errorBase)) return false;
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(d, DefaultRootWindow(d));
    if (!resources) return false;
    bool any = false;
    for (int c = 0; c < resources->ncrtc; ++c) {
        int size = XRRGetCrtcGammaSize(d, resources->crtcs[c]);
        if (size < 2) continue;
        any = true;
        if (visit(resources->crtcs[c], size)) break;
    }
    XRRFreeScreenResources(resources);
    return any;
}

bool platformGetGammaRamp(PlatformWindow*, uint16_t* ramp) {
    if (!gGammaFile.empty()) return fileGet(ramp);
    Display* d = display();
    bool read = false;
    forEachGammaCrtc(d, [&](RRCrtc crtc, int size) {
        XRRCrtcGamma* gamma = XRRGetCrtcGamma(d, crtc);
        if (!gamma) return false;
        for (int i = 0; i < 256; ++i) {
            int k = i * (size - 1) / 255;
            ramp[i] = gamma->red[k];
            ramp[256 + i] = gamma->green[k];
            ramp[512 + i] = gamma->blue[k];
        }
        XRRFreeGamma(gamma);
        read = true;
        return true;  // the first CRTC speaks for the display
    });
    return read;
}

bool platformSetGammaRamp(PlatformWindow*, const uint16_t* ramp) {
    if (!gGammaFile.empty()) return fileSet(ramp);
    Display* d = display();
    bool written = forEachGammaCrtc(d, [&](RRCrtc crtc, int size) {
        XRRCrtcGamma* gamma = XRRAllocGamma(size);
        for (int i = 0; i < size; ++i) {
            gamma->red[i] = sample(ramp, i, size);
            gamma->green[i] = sample(ramp + 256, i, size);
            gamma->blue[i] = sample(ramp + 512, i, size);
        }
        XRRSetCrtcGamma(d, crtc, gamma);
        XRRFreeGamma(gamma);
        return false;  // every CRTC
    });
    if (written) XSync(d, False);
    return written;
}
