#include "app/options.h"

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/capture_timing.h"
#include "app/demo_context.h"
#include "app/setup_lists.h"
#include "app/video_encoder.h"

namespace {

bool parseInt(const char* text, int low, int high, int* value) {
    if (!text || !*text) return false;
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(text, &end, 10);
    if (errno || *end || v < low || v > high) return false;
    *value = static_cast<int>(v);
    return true;
}

bool parseMode(const char* text, int* width, int* height) {
    if (!text) return false;
    const char* x = std::strchr(text, 'x');
    if (!x) return false;
    std::string w(text, x - text);
    return parseInt(w.c_str(), 1, 16384, width) && parseInt(x + 1, 1, 16384, height);
}

bool parseCount(const char* text, int64_t* value) {
    if (!*text || !std::isdigit(static_cast<unsigned char>(*text))) return false;
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(text, &end, 10);
    if (errno || *end) return false;
    *value = v;
    return true;
}

bool isPowerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }

}  // namespace

bool parseDemoTime(const char* text, int32_t* ms) {
    if (!text) return false;
    int64_t part[3] = {0, 0, 0};
    int count = 0;
    std::string rest = text;
    for (;;) {
        size_t colon = rest.find(':');
        if (count == 3 || !parseCount(rest.substr(0, colon).c_str(), &part[count]) || part[count] > INT32_MAX)
            return false;
        ++count;
        if (colon == std::string::npos) break;
        rest.erase(0, colon + 1);
    }
    if (count == 2) return false;
    int64_t total = count == 1 ? part[0] : part[0] * 60000 + part[1] * 1000 + part[2];
    if (total > INT32_MAX) return false;
    *ms = static_cast<int32_t>(total);
    return true;
}

const char* optionsUsage() {
    return "usage: velmora [options]\n"
           "  --capture            write every frame as a BMP file, 25 frames per second of demo time\n"
           "  --output DIR         directory of the captured frames (default \"Output\")\n"
           "  --fps N              frames per second of demo time in a capture, 1 to 240 (default 25)\n"
           "  --video FILE         capture into a video file (.mkv, .mp4, .webm) with its sound, through ffmpeg\n"
           "  --no-write           capture without reading back or writing anything (to time the rendering)\n"
           "  --pass-times         wait for each pass of every frame and print, at the end, each scene's\n"
           "                       milliseconds a frame and the share of shadow map, objects, effects,\n"
           "                       glow and overlays\n"
           "  --frame-times        the same table, waiting for the renderer only at the end of each frame:\n"
           "                       the frames keep their speed, and a pass's share is the time taken to\n"
           "                       send its work\n"
           "  --frames N           stop after N timed frames\n"
           "  --start TIME         begin at this demo time: milliseconds or m:s:ms\n"
           "  --no-setup           skip the setup dialog and take its default choices\n"
           "  --windowed           play in a window\n"
           "  --fullscreen         play full screen (the default)\n"
           "  --mode WxH           screen mode or window size (default 640x480)\n"
           "  --samples N          antialiasing samples (0 = none; default: the highest the display offers,\n"
           "                       none in a capture)\n"
           "  --anisotropy N       anisotropic filtering level (0 = none; default: the device's highest,\n"
           "                       none on a software renderer)\n"
           "  --shadow-map N       shadow map size, a power of two from 16 to 8192 (default 512)\n"
           "  --no-music           play without music\n"
           "  --loop               start again at the end\n"
           "  --batch              never wait for a person: messages go to standard error\n"
           "  --diagnostics        print the graphics driver and the extensions the player needs\n"
           "  --data DIR           directory holding demo.dat and demo.ogg (default: the working directory)\n"
           "  --tree DIR           play the unpacked production in DIR (and its demo.ogg), reloading saved files\n"
           "  --gamma-file FILE    keep the gamma ramp in FILE instead of the display (for tests)\n"
           "  --help               this text\n"
           "  --version            the version, and the commit it was built from\n";
}

bool parseOptions(int argc, char** argv, Options* o, std::string* error) {
    *o = Options();
    o->outputDir = "Output";
    o->dataDir = ".";
    o->windowed = -1;
    o->samples = -1;
    o->anisotropy = -1;
    o->startTime = -1;
    o->fps = CAPTURE_DEFAULT_FPS;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        auto needs = [&](const char* what) {
            *error = "velmora: " + arg + " needs " + what;
            return false;
        };
        auto bad = [&]() {
            *error = std::string("velmora: bad value for ") + arg + ": " + (value ? value : "");
            return false;
        };
        if (arg == "--help" || arg == "-h") o->help = true;
        else if (arg == "--version") o->version = true;
        else if (arg == "--capture") o->capture = true;
        else if (arg == "--no-setup") o->noSetup = true;
        else if (arg == "--windowed") o->windowed = 1;
        else if (arg == "--fullscreen") o->windowed = 0;
        else if (arg == "--no-music") o->noMusic = true;
        else if (arg == "--loop") o->loop = true;
        else if (arg == "--batch") o->batch = true;
        else if (arg == "--diagnostics") o->diagnostics = true;
        else if (arg == "--no-write") o->noWrite = o->capture = true;
        else if (arg == "--pass-times") o->passTimes = true;
        else if (arg == "--frame-times") o->passTimes = o->frameTimes = true;
        else if (arg == "--output" || arg == "--data" || arg == "--gamma-file" || arg == "--tree") {
            if (!value) return needs("a path");
            if (!*value) return bad();
            (arg == "--output" ? o->outputDir : arg == "--data" ? o->dataDir : arg == "--tree" ? o->treeDir : o->gammaFile) =
                value;
            if (arg == "--output") o->outputGiven = true;
            ++i;
        } else if (arg == "--video") {
            if (!value) return needs("a file");
            if (videoContainerOf(value) == VIDEO_UNKNOWN) {
                *error = std::string("velmora: --video ") + value + ": the name must end in .mkv, .mp4 or .webm";
                return false;
            }
            o->videoPath = value;
            o->capture = true;  // a video is always an offline render
            ++i;
        } else if (arg == "--fps") {
            if (!value) return needs("a number");
            if (!parseInt(value, 1, CAPTURE_MAX_FPS, &o->fps)) return bad();
            ++i;
        } else if (arg == "--frames") {
            if (!value) return needs("a number");
            if (!parseInt(value, 1, 100000000, &o->frames)) return bad();
            ++i;
        } else if (arg == "--start") {
            if (!value) return needs("a time");
            if (!parseDemoTime(value, &o->startTime)) return bad();
            ++i;
        } else if (arg == "--mode") {
            if (!value) return needs("WxH");
            if (!parseMode(value, &o->modeWidth, &o->modeHeight)) return bad();
            ++i;
        } else if (arg == "--samples") {
            if (!value) return needs("a number");
            if (!parseInt(value, 0, 64, &o->samples)) return bad();
            ++i;
        } else if (arg == "--anisotropy") {
            if (!value) return needs("a number");
            if (!parseInt(value, 0, 64, &o->anisotropy)) return bad();
            ++i;
        } else if (arg == "--shadow-map") {
            if (!value) return needs("a size");
            if (!parseInt(value, 16, 8192, &o->shadowMapSize) || !isPowerOfTwo(o->shadowMapSize)) return bad();
            ++i;
        } else {
            *error = "velmora: unknown option " + arg + " (see --help)";
            return false;
        }
    }
    return true;
}

void applyOptions(const Options* o, const SetupLists* lists, Settings* s) {
    SetupChoices c = initialSetupChoices(lists);
    char mode[DIALOG_ITEM_LENGTH], samples[DIALOG_ITEM_LENGTH], anisotropy[DIALOG_ITEM_LENGTH],
        shadowMap[DIALOG_ITEM_LENGTH];
    if (o->modeWidth) {
        std::snprintf(mode, sizeof mode, "%dx%d 32 bpp", o->modeWidth, o->modeHeight);
        c.mode = mode;
    }
    if (o->samples >= 0) {
        std::snprintf(samples, sizeof samples, o->samples ? "%d samples" : "none", o->samples);
        c.samples = samples;
    } else if (o->capture) {
        // A capture gives the same frames on every machine: the display's highest count does not decide them.
        c.samples = "none";
    }
    if (o->anisotropy >= 0) {
        std::snprintf(anisotropy, sizeof anisotropy, o->anisotropy ? "x%d" : "none", o->anisotropy);
        c.anisotropy = anisotropy;
    }
    if (o->shadowMapSize) {
        std::snprintf(shadowMap, sizeof shadowMap, "%d x %d", o->shadowMapSize, o->shadowMapSize);
        c.shadowMap = shadowMap;
    }
    // A capture is an offline render: it plays in a window unless full screen is asked for.
    c.windowed = o->windowed >= 0 ? o->windowed == 1 : o->capture;
    c.noMusic = o->noMusic;
    c.loop = o->loop;
    // A display without 640x480 leaves the mode list without selection: the window is 640x480.
    s->width = 640;
    s->height = 480;
    s->colorBits = 32;
    applySetupChoices(&c, lists->modes, lists->modeCount, s);
    s->capture = o->capture ? 1 : 0;
}
