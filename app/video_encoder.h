// A capture's video file through the ffmpeg program: the frames are encoded as they are rendered (raw
// pixels on ffmpeg's standard input), then joined with the soundtrack once its length is known.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "app/child_process.h"

enum VideoContainer { VIDEO_UNKNOWN, VIDEO_MKV, VIDEO_MP4, VIDEO_WEBM };

// The container named by the file's extension (.mkv, .mp4, .webm, any case).
VideoContainer videoContainerOf(const std::string& path);
// Why a video cannot be written at path (empty when it can): an unknown extension, a directory, a
// folder that does not exist or cannot be written.
std::string videoTargetProblem(const std::string& path);

// ffmpeg's arguments for the video pass (bgr24 frames of width x height at fps on its standard input,
// video only, into a Matroska file) and for joining that with the sound into the final container.
std::vector<std::string> videoEncodeArguments(const std::string& ffmpeg, VideoContainer container, int width,
                                              int height, int fps, const std::string& videoOnlyPath);
std::vector<std::string> videoJoinArguments(const std::string& ffmpeg, VideoContainer container,
                                            const std::string& videoOnlyPath, const std::string& wavPath,
                                            const std::string& outputPath);

struct VideoEncoder {
    ChildProgram child;
    int width, height;           // the first frame's size; every frame is sent at it
    std::vector<uint8_t> frame;  // one frame, top row first, rows not padded
};

bool videoStart(VideoEncoder* encoder, const std::vector<std::string>& argv, int width, int height,
                std::string* error);
// Sends one frame given as a 24-bit BMP's pixels (bottom row first, rows padded to 4 bytes); a frame
// of another size is cropped or padded with black. False when ffmpeg has gone.
bool videoWriteFrame(VideoEncoder* encoder, const uint8_t* bmpPixels, int width, int height);
// Ends the stream; true when ffmpeg finished well, else *lastLine is what it said last.
bool videoFinish(VideoEncoder* encoder, std::string* lastLine);
