// Frames captured from a production: running the player's capture, reading and writing its 24-bit
// BMP files, and telling a picture with something to look at from a black, flat or blown-out one.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/process.h"

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bgr;  // bottom row first, tightly packed
};

bool readPicture(const std::string& path, Picture* picture);
bool writePicture(const std::string& path, const Picture& picture);
// The name of captured frame n in a capture's output folder.
std::string framePath(const std::string& folder, int n);

// The player capturing the production in dataDir into outputDir on the tests' Xvfb, in a window,
// without music or dialogs, with the given options (--start, --frames, --fps, --mode...).
ProcessResult captureProduction(const std::string& dataDir, const std::string& outputDir,
                                const std::vector<std::string>& options, int timeoutMs);

struct PictureStats {
    int colours;        // distinct colours
    double awayShare;   // pixels with a channel more than kAwayTolerance from the commonest colour
    double meanLuma;    // 0-255, Rec. 601 weights
    double whiteShare;  // pixels of pure white
};
PictureStats pictureStats(const Picture& picture);

// Empty when the picture shows a scene; else what is wrong with it, for example
// "flat: 9% away from the commonest colour (15% needed)".
std::string emptyPictureReason(const Picture& picture);
