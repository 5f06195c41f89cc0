#include "app/video_encoder.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>

#include "app/capture.h"

namespace {

std::string lowerExtension(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

}  // namespace

VideoContainer videoContainerOf(const std::string& path) {
    std::string ext = lowerExtension(path);
    if (ext == ".mkv") return VIDEO_MKV;
    if (ext == ".mp4") return VIDEO_MP4;
    if (ext == ".webm") return VIDEO_WEBM;
    return VIDEO_UNKNOWN;
}

std::string videoTargetProblem(const std::string& path) {
    if (videoContainerOf(path) == VIDEO_UNKNOWN) return path + " does not end in .mkv, .mp4 or .webm";
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) return path + " is a directory";
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (folder.empty()) folder = ".";
    if (!std::filesystem::is_directory(folder, error)) return "the folder " + folder.string() + " does not exist";
    if (access(folder.c_str(), W_OK) != 0) return "the folder " + folder.string() + " cannot be written";
    if (std::filesystem::exists(path, error) && access(path.c_str(), W_OK) != 0) return path + " cannot be written";
    return std::string();
}

std::vector<std::string> videoEncodeArguments(const std::string& ffmpeg, VideoContainer container, int width,
                                              int height, int fps, const std::string& videoOnlyPath) {
    std::vector<std::string> args = {ffmpeg, "-hide_banner", "-nostats", "-loglevel", "error", "-y",
                                     "-f", "rawvideo", "-pixel_format", "bgr24",
                                     "-video_size", std::to_string(width) + "x" + std::to_string(height),
                                     "-framerate", std::to_string(fps), "-i", "pipe:0",
                                     // 4:2:0 chroma needs even sizes: a black column or row where odd.
                                     "-vf", "pad=ceil(iw/2)*2:ceil(ih/2)*2", "-pix_fmt", "yuv420p"};
    if (container == VIDEO_WEBM)
        args.insert(args.end(), {"-c:v", "libvpx-vp9", "-deadline", "good", "-cpu-used", "4", "-row-mt", "1",
                                 "-crf", "30", "-b:v", "0"});
    else
        args.insert(args.end(), {"-c:v", "libx264", "-preset", "veryfast", "-crf", "18"});
    args.insert(args.end(), {"-f", "matroska", videoOnlyPath});
    return args;
}

std::vector<std::string> videoJoinArguments(const std::string& ffmpeg, VideoContainer container,
                                            const std::string& videoOnlyPath, const std::string& wavPath,
                                            const std::string& outputPath) {
    std::vector<std::string> args = {ffmpeg, "-hide_banner", "-nostats", "-loglevel", "error", "-y",
                                     "-i", videoOnlyPath, "-i", wavPath, "-map", "0:v", "-map", "1:a",
                                     "-c:v", "copy"};
    if (container == VIDEO_WEBM) args.insert(args.end(), {"-c:a", "libopus", "-b:a", "160k"});
    else args.insert(args.end(), {"-c:a", "aac", "-b:a", "192k"});
    if (container == VIDEO_MP4) args.insert(args.end(), {"-movflags", "+faststart"});
    args.insert(args.end(), {"-f", container == VIDEO_MKV ? "matroska" : container == VIDEO_MP4 ? "mp4" : "webm",
                             outputPath});
    return args;
}

bool videoStart(VideoEncoder* encoder, const std::vector<std::string>& argv, int width, int height,
                std::string* error) {
    encoder->width = width;
    encoder->height = height;
    encoder->frame.assign(static_cast<size_t>(width) * height * 3, 0);
    return childStart(&encoder->child, argv, true, error);
}

bool videoWriteFrame(VideoEncoder* encoder, const uint8_t* bmpPixels, int width, int height) {
    size_t outRow = static_cast<size_t>(encoder->width) * 3;
    size_t inRow = static_cast<size_t>(bmpRowSize(width));
    size_t copy = static_cast<size_t>(std::min(width, encoder->width)) * 3;
    int rows = std::min(height, encoder->height);
    if (width != encoder->width || height != encoder->height) std::fill(encoder->frame.begin(), encoder->frame.end(), 0);
    // The BMP's bottom row is the picture's last.
    for (int y = 0; y < rows; ++y)
        std::memcpy(&encoder->frame[static_cast<size_t>(y) * outRow], bmpPixels + static_cast<size_t>(height - 1 - y) * inRow,
                    copy);
    return childWrite(&encoder->child, encoder->frame.data(), encoder->frame.size());
}

bool videoFinish(VideoEncoder* encoder, std::string* lastLine) {
    return childFinish(&encoder->child, lastLine) == 0;
}
