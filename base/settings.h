// The display and device settings: chosen by the options and the setup dialog, completed by the device
// probe, read by every layer that loads or draws.
#pragma once
#include <cstdint>

struct Settings {
    int32_t fullscreen;
    int32_t noMusic;
    int32_t width;
    int32_t height;
    int32_t clientWidth;
    int32_t clientHeight;
    int32_t screenWidth;
    int32_t screenHeight;
    int32_t colorBits;
    int32_t depthBits;
    int32_t shadowMapSize;
    int32_t anisotropy;
    int32_t maxAnisotropy;
    int32_t maxTextureUnits;       // fixed-function units
    int32_t maxTextureImageUnits;  // units a fragment program samples (at least maxTextureUnits)
    int32_t maxTextureCoords;      // coordinate sets a vertex program passes on
    int32_t samples;
    int32_t textureMode;  // 0 plain, 1 sixteen-bit, 2 compressed internal formats
    int32_t refreshRate;
    int32_t capture;
    int32_t loop;  // the viewer's choice, which replaces the timeline script's at start-up
};

// The settings of a run with no options and no dialog.
void resetSettings(Settings* settings);
