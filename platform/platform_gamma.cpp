// The display's gamma ramps, one per CRTC.
// SDL's X11 back end handles gamma only for DirectColor visuals, so the ramps go through the RandR
// CRTC gamma on a display connection of our own (also safe to use from a signal handler while the
// main thread waits in a modal loop on SDL's connection).
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/platform.h"

namespace {

std::string gGammaFile;
const GammaCrtcAccess* gAccess;
Display* gDisplay;
XRRScreenResources* gResources;

// ---- RandR ----

Display* display() {
    if (!gDisplay) gDisplay = XOpenDisplay(nullptr);
    return gDisplay;
}

// The CRTCs as the first query found them: the same list serves the read at start-up and the writes.
XRRScreenResources* resources() {
    Display* d = display();
    int eventBase, errorBase;
    if (!gResources && d && XRRQueryExtension(d, &eventBase, &errorBase))
        gResources = XRRGetScreenResourcesCurrent(d, DefaultRootWindow(d));
    return gResources;
}

int randrCount() {
    XRRScreenResources* r = resources();
    return r ? r->ncrtc : 0;
}

int randrSize(int crtc) { return XRRGetCrtcGammaSize(display(), resources()->crtcs[crtc]); }

bool randrRead(int crtc, uint16_t* entries) {
    XRRCrtcGamma* gamma = XRRGetCrtcGamma(display(), resources()->crtcs[crtc]);
    if (!gamma) return false;
    int size = gamma->size;
    std::memcpy(entries, gamma->red, sizeof entries[0] * size);
    std::memcpy(entries + size, gamma->green, sizeof entries[0] * size);
    std::memcpy(entries + 2 * size, gamma->blue, sizeof entries[0] * size);
    XRRFreeGamma(gamma);
    return true;
}

bool randrWrite(int crtc, const uint16_t* entries) {
    int size = randrSize(crtc);
    XRRCrtcGamma* gamma = XRRAllocGamma(size);
    if (!gamma) return false;
    std::memcpy(gamma->red, entries, sizeof entries[0] * size);
    std::memcpy(gamma->green, entries + size, sizeof entries[0] * size);
    std::memcpy(gamma->blue, entries + 2 * size, sizeof entries[0] * size);
    XRRSetCrtcGamma(display(), resources()->crtcs[crtc], gamma);
    XRRFreeGamma(gamma);
    XSync(display(), False);
    return true;
}

const GammaCrtcAccess kRandr = {randrCount, randrSize, randrRead, randrWrite};

// ---- the gamma file: one CRTC of 256 entries ----

int fileCount() { return 1; }
int fileSize(int) { return 256; }

bool fileRead(int, uint16_t* ramp) {
    FILE* f = std::fopen(gGammaFile.c_str(), "rb");
    if (!f) return false;
    unsigned char bytes[GAMMA_RAMP_ENTRIES * 2];
    bool ok = std::fread(bytes, 1, sizeof bytes, f) == sizeof bytes;
    std::fclose(f);
    if (!ok) return false;
    for (int i = 0; i < GAMMA_RAMP_ENTRIES; ++i) ramp[i] = uint16_t(bytes[2 * i] | bytes[2 * i + 1] << 8);
    return true;
}

bool fileWrite(int, const uint16_t* ramp) {
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

const GammaCrtcAccess kFile = {fileCount, fileSize, fileRead, fileWrite};

const GammaCrtcAccess* access() {
    if (gAccess) return gAccess;
    return gGammaFile.empty() ? &kRandr : &kFile;
}

}  // namespace

void platformUseGammaFile(const char* path) { gGammaFile = path ? path : ""; }
void platformUseGammaAccess(const GammaCrtcAccess* access) { gAccess = access; }

bool platformGetDisplayGamma(DisplayGamma* gamma) {
    const GammaCrtcAccess* a = access();
    gamma->crtcCount = 0;
    int count = a->count();
    for (int c = 0; c < count; ++c) {
        int size = a->size(c);
        // A CRTC without a ramp, or one larger than the record holds, is left as it is.
        if (size < 2 || size > GAMMA_SIZE_CAPACITY) continue;
        if (gamma->crtcCount == GAMMA_CRTC_CAPACITY) {
            std::fprintf(stderr, "velmora: only the gamma of the first %d displays is changed\n", GAMMA_CRTC_CAPACITY);
            break;
        }
        CrtcGamma* crtc = &gamma->crtcs[gamma->crtcCount];
        crtc->size = size;
        if (!a->read(c, crtc->entries)) continue;
        crtc->index = c;
        gamma->crtcCount += 1;
    }
    return gamma->crtcCount > 0;
}

bool platformSetDisplayGamma(const DisplayGamma* gamma) {
    const GammaCrtcAccess* a = access();
    bool written = false;
    int count = a->count();
    for (int k = 0; k < gamma->crtcCount; ++k) {
        const CrtcGamma* crtc = &gamma->crtcs[k];
        // A CRTC that went away or changed its size since the read keeps what it has.
        if (crtc->index >= count || a->size(crtc->index) != crtc->size) continue;
        written = a->write(crtc->index, crtc->entries) || written;
    }
    return written;
}
