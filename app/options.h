// The player's command line. With no arguments the player behaves as a plain double-click start.
#pragma once
#include <cstdint>
#include <string>

struct Settings;
struct SetupLists;

struct Options {
    bool help;
    bool version;
    bool capture;
    std::string outputDir;  // capture files go here
    bool outputGiven;       // --output was given (a video then writes BMP files too)
    int fps;                // capture frames per demo second
    std::string videoPath;  // encode the capture into this file; empty = none
    bool noWrite;           // capture without reading back or writing anything (for timing)
    int frames;             // stop after this many timed frames; 0 = play to the end
    int32_t startTime;      // demo time of the first timed frame, ms; -1 = not given
    bool noSetup;
    int windowed;           // -1 not given, 0 --fullscreen, 1 --windowed
    int modeWidth, modeHeight;  // 0 = not given
    int samples;            // -1 = not given
    int anisotropy;         // -1 = not given
    int shadowMapSize;      // 0 = not given
    bool noMusic;
    bool loop;
    bool batch;             // never wait for a person: message boxes go to standard error
    bool diagnostics;
    bool passTimes;         // time each pass of every frame and print the shares at the end
    bool frameTimes;        // the same, waiting for the renderer once a frame instead of at every pass
    std::string dataDir;    // where "demo.dat" and "demo.ogg" are
    std::string treeDir;    // an unpacked production played instead of "demo.dat"; empty = none
    std::string gammaFile;  // read and write the gamma ramp here instead of the display
};

// A demo time as milliseconds ("1500") or as the timeline script writes it, m:s:ms ("0:1:500").
bool parseDemoTime(const char* text, int32_t* ms);
// Parses argv; on a bad option writes a one-line error into error and returns false.
bool parseOptions(int argc, char** argv, Options* options, std::string* error);
const char* optionsUsage();
// The setup dialog's choices as the options give them: each option replaces its list's preselected
// item or its box, and the result is read as "Start" reads the dialog.
void applyOptions(const Options* options, const SetupLists* lists, Settings* settings);
