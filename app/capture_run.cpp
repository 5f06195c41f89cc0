#include "app/capture_run.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "app/capture.h"
#include "app/capture_progress.h"
#include "app/capture_timing.h"
#include "app/shutdown.h"
#include "app/soundtrack.h"
#include "app/video_encoder.h"
#include "platform/platform.h"

namespace {

struct CaptureRun {
    CaptureConfig config;
    int32_t frames;  // frames captured so far
    CaptureProgress progress;
    VideoEncoder video;
    bool videoStarted, videoFailed;
    std::string videoOnlyPath;
};

CaptureRun gRun;

// A fresh empty file named like pattern ("dir/.velmora-XXXXXX.ext") for ffmpeg to overwrite.
std::string temporaryBeside(const std::string& path, const char* extension) {
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::string pattern = (folder.empty() ? std::string(".") : folder.string()) + "/.velmora-XXXXXX" + extension;
    int fd = mkstemps(&pattern[0], static_cast<int>(std::char_traits<char>::length(extension)));
    if (fd < 0) return std::string();
    close(fd);
    return pattern;
}

bool startVideo(int width, int height) {
    CaptureRun& r = gRun;
    VideoContainer container = videoContainerOf(r.config.videoPath);
    std::string error;
    r.videoOnlyPath = temporaryBeside(r.config.videoPath, ".mkv");
    if (r.videoOnlyPath.empty()) {
        std::fprintf(stderr, "velmora: no temporary file beside %s\n", r.config.videoPath.c_str());
        return false;
    }
    std::vector<std::string> args =
        videoEncodeArguments(r.config.ffmpegPath, container, width, height, r.config.fps, r.videoOnlyPath);
    if (!videoStart(&r.video, args, width, height, &error)) {
        std::fprintf(stderr, "velmora: %s\n", error.c_str());
        return false;
    }
    return true;
}

void removeFile(const std::string& path) {
    if (path.empty()) return;
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}

}  // namespace

void captureRunConfigure(const CaptureConfig& config) {
    gRun = CaptureRun();
    gRun.config = config;
}

bool captureRunFrame(DemoContext* context, int32_t demoTime) {
    CaptureRun& r = gRun;
    if (r.frames == 0) captureProgressBegin(&r.progress, r.config.plannedFrames, isatty(2) != 0, platformClockMs());
    bool ok = true;
    if (r.config.write) {
        const uint8_t* pixels = nullptr;
        const BmpInfoHeader* header = captureReadBack(context, &pixels);
        if (!r.config.framesDir.empty()) captureWriteBmp(r.config.framesDir, r.frames);
        if (!r.config.videoPath.empty() && !r.videoFailed) {
            if (!r.videoStarted) {
                r.videoStarted = true;
                r.videoFailed = !startVideo(header->width, header->height);
            }
            if (!r.videoFailed) r.videoFailed = !videoWriteFrame(&r.video, pixels, header->width, header->height);
            ok = !r.videoFailed;
        }
    }
    r.frames += 1;
    captureProgressUpdate(&r.progress, stderr, r.frames, demoTime, platformClockMs());
    return ok;
}

namespace {

// The soundtrack and the finished video; the exit code.
int finishOutputs() {
    CaptureRun& r = gRun;
    int code = EXIT_OK;
    std::string lastLine;
    if (r.videoStarted && r.video.child.pid > 0 && !videoFinish(&r.video, &lastLine)) r.videoFailed = true;
    if (r.videoFailed) {
        std::fprintf(stderr, "velmora: ffmpeg failed: %s\n", lastLine.empty() ? "(it said nothing)" : lastLine.c_str());
        code = EXIT_VIDEO;
    }

    // The soundtrack lasts exactly as long as the frames written.
    bool video = !r.config.videoPath.empty() && r.videoStarted && !r.videoFailed;
    std::string wavPath = r.config.soundDir.empty() ? (video ? temporaryBeside(r.config.videoPath, ".wav") : "")
                                                    : r.config.soundDir + "/demo.wav";
    if (video && wavPath.empty()) {
        std::fprintf(stderr, "velmora: no temporary file beside %s for the sound\n", r.config.videoPath.c_str());
        code = EXIT_VIDEO;
        video = false;
    }
    if (!wavPath.empty()) {
        std::string note, error;
        if (!writeSoundtrack(r.config.musicPath, wavPath, r.config.start - r.config.musicOrigin,
                             soundtrackSampleFrames(r.frames, r.config.fps), &note, &error)) {
            std::fprintf(stderr, "velmora: %s\n", error.c_str());
            code = EXIT_VIDEO;
            video = false;
        } else if (!note.empty()) {
            std::fprintf(stderr, "velmora: %s\n", note.c_str());
        }
    }
    if (video) {
        ChildProgram join;
        std::string error;
        std::vector<std::string> args = videoJoinArguments(r.config.ffmpegPath, videoContainerOf(r.config.videoPath),
                                                           r.videoOnlyPath, wavPath, r.config.videoPath);
        if (!childStart(&join, args, false, &error)) {
            std::fprintf(stderr, "velmora: %s\n", error.c_str());
            code = EXIT_VIDEO;
        } else if (childFinish(&join, &lastLine) != 0) {
            std::fprintf(stderr, "velmora: ffmpeg failed: %s\n", lastLine.empty() ? "(it said nothing)" : lastLine.c_str());
            code = EXIT_VIDEO;
        }
    }
    removeFile(r.videoOnlyPath);
    if (r.config.soundDir.empty()) removeFile(wavPath);
    return code;
}

}  // namespace

int captureRunFinish() {
    CaptureRun& r = gRun;
    if (r.frames > 0) captureProgressCloseLine(&r.progress, stderr, platformClockMs());
    int code = r.config.write ? finishOutputs() : EXIT_OK;
    // The summary's time includes the sound and the video's completion: all the capture costs.
    if (r.frames > 0) captureProgressEnd(&r.progress, stderr, r.frames, platformClockMs());
    return code;
}
