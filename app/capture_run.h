// One capture from its first frame to its end: the frames to BMP files and to the video encoder, the
// progress line, and at the end the soundtrack and the finished video file.
#pragma once
#include <cstdint>
#include <string>

struct DemoContext;

struct CaptureConfig {
    std::string framesDir;   // BMP files go here; empty = none
    std::string soundDir;    // "demo.wav" goes here; empty = a temporary file beside the video
    std::string videoPath;   // empty = no video
    std::string ffmpegPath;  // the encoder, found on PATH before anything was rendered
    std::string musicPath;   // the music to decode; empty = a silent soundtrack
    int32_t start;           // demo time of frame 0
    int32_t musicOrigin;     // demo time of the music's first sample: the timeline's start
    int32_t fps;
    int32_t plannedFrames;   // for the progress line
    bool write;              // false: frames are only rendered, nothing is read back or written
};

void captureRunConfigure(const CaptureConfig& config);
// After a captured frame is drawn. False when the video encoder has gone (the capture should end).
bool captureRunFrame(DemoContext* context, int32_t demoTime);
// After the last frame: the soundtrack, the video, the summary line. Returns 0, or EXIT_VIDEO after
// saying what went wrong.
int captureRunFinish();
