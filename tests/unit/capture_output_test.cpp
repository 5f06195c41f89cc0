// A capture's clock, soundtrack, progress report and the way frames reach a child encoder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "app/capture_progress.h"
#include "app/capture_timing.h"
#include "app/child_process.h"
#include "app/soundtrack.h"
#include "app/video_encoder.h"
#include "tests/support/music_samples.h"
#include "tests/support/process.h"
#include "tests/support/scratch_dir.h"
#include "tools/content/ogg_encode.h"

namespace {

TEST(CaptureClock, FramesAreShownAtStartPlusWholeMillisecondsOfTheirRate) {
    const struct {
        int32_t fps, start, frame, time;
    } cases[] = {
        {25, 0, 0, 0},        {25, 0, 25, 1000},      {25, 0, 7, 280},        {30, 0, 1, 33},
        {30, 0, 2, 66},       {30, 0, 3, 100},        {50, 0, 3, 60},         {60, 0, 1, 16},
        {60, 0, 59, 983},     {60, 0, 60, 1000},      {25, 61500, 1, 61540},  {30, 1000, 4, 1133},
        {50, 999, 1, 1019},   {60, 5000, 7, 5116},    {240, 0, 240 * 3600, 3600000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(captureFrameTime(c.start, c.frame, c.fps), c.time) << c.fps << " fps frame " << c.frame;

    const struct {
        int32_t start, end, fps, limit, frames;
    } planned[] = {
        {0, 960, 25, 0, 25}, {0, 1000, 25, 0, 26}, {0, 960, 50, 0, 49}, {500, 960, 60, 0, 28},
        {0, 960, 25, 10, 10}, {960, 960, 30, 0, 1}, {961, 960, 30, 0, 0},
    };
    for (const auto& p : planned)
        EXPECT_EQ(capturePlannedFrames(p.start, p.end, p.fps, p.limit), p.frames) << p.start << ".." << p.end;

    // round(frames * 44100 / fps), halves up.
    const int64_t sound[][3] = {{50, 50, 44100}, {25, 25, 44100}, {1, 30, 1470}, {7, 240, 1286},
                                {1, 200, 221},   {3, 7, 18900},   {0, 60, 0}};
    for (const auto& s : sound)
        EXPECT_EQ(soundtrackSampleFrames(int32_t(s[0]), int32_t(s[1])), s[2]) << s[0] << "@" << s[1];
}

// A music file of one second at the given rate: a sweep left, its negative right.
std::string writeTestMusic(const std::string& dir, int rate) {
    std::vector<float> left(static_cast<size_t>(rate)), right(left.size());
    for (size_t i = 0; i < left.size(); ++i) {
        left[i] = 0.5f * std::sin(0.0002f * float(i) * float(i) / float(rate));
        right[i] = -left[i];
    }
    Bytes ogg;
    std::string error;
    EXPECT_TRUE(encodeOggVorbis(left.data(), right.data(), left.size(), rate, 0.3f, 7, OggTags{}, &ogg, &error));
    std::string path = dir + "/music.ogg";
    writeFile(path, std::string(ogg.begin(), ogg.end()));
    return path;
}

uint32_t le32(const std::string& s, size_t at) {
    return uint32_t(uint8_t(s[at])) | uint32_t(uint8_t(s[at + 1])) << 8 | uint32_t(uint8_t(s[at + 2])) << 16 |
           uint32_t(uint8_t(s[at + 3])) << 24;
}
int16_t sampleAt(const std::string& wav, size_t frame, int channel) {
    size_t at = WAV_HEADER_SIZE + frame * 4 + size_t(channel) * 2;
    return int16_t(uint16_t(uint8_t(wav[at])) | uint16_t(uint8_t(wav[at + 1])) << 8);
}

TEST(Soundtrack, IsTheDecodersOwnSamplesFromTheStartThenSilence) {
    ScratchDir dir("soundtrack");
    std::string music = writeTestMusic(dir.path, 44100);
    int channels = 0;
    std::vector<int16_t> decoded = decodeMusic(music, &channels);
    ASSERT_EQ(channels, 2);
    ASSERT_EQ(decoded.size(), 2u * 44100u);

    // 50 frames at 50 fps from 500 ms: half a second of music, then half a second past its end.
    std::string note, error, wavPath = dir.path + "/demo.wav";
    ASSERT_TRUE(writeSoundtrack(music, wavPath, 500, soundtrackSampleFrames(50, 50), &note, &error)) << error;
    EXPECT_TRUE(note.empty()) << note;
    std::string wav = readFile(wavPath);
    ASSERT_EQ(wav.size(), size_t(WAV_HEADER_SIZE) + 44100u * 4u);
    EXPECT_EQ(le32(wav, 4), 36u + 44100u * 4u);
    EXPECT_EQ(le32(wav, 40), 44100u * 4u);
    size_t mismatches = 0;
    for (size_t k = 0; k < 22050; ++k)
        for (int c = 0; c < 2; ++c) mismatches += sampleAt(wav, k, c) != decoded[(22050 + k) * 2 + size_t(c)];
    EXPECT_EQ(mismatches, 0u);
    size_t loud = 0;
    for (size_t k = 22050; k < 44100; ++k) loud += sampleAt(wav, k, 0) != 0 || sampleAt(wav, k, 1) != 0;
    EXPECT_EQ(loud, 0u);

    // Half a second before the music begins: silence, then the music from its first sample.
    ASSERT_TRUE(writeSoundtrack(music, wavPath, -500, 44100, &note, &error)) << error;
    wav = readFile(wavPath);
    ASSERT_EQ(wav.size(), size_t(WAV_HEADER_SIZE) + 44100u * 4u);
    loud = mismatches = 0;
    for (size_t k = 0; k < 22050; ++k) loud += sampleAt(wav, k, 0) != 0 || sampleAt(wav, k, 1) != 0;
    for (size_t k = 0; k < 22050; ++k)
        for (int c = 0; c < 2; ++c) mismatches += sampleAt(wav, 22050 + k, c) != decoded[k * 2 + size_t(c)];
    EXPECT_EQ(loud, 0u);
    EXPECT_EQ(mismatches, 0u);
}

TEST(Soundtrack, OtherRatesAreResampledAndMissingMusicIsSilence) {
    ScratchDir dir("soundtrack-rate");
    std::string music = writeTestMusic(dir.path, 22050);
    int channels = 0;
    std::vector<int16_t> decoded = decodeMusic(music, &channels);
    ASSERT_EQ(decoded.size(), 2u * 22050u);
    std::string note, error, wavPath = dir.path + "/demo.wav";
    ASSERT_TRUE(writeSoundtrack(music, wavPath, 100, 4410, &note, &error)) << error;
    std::string wav = readFile(wavPath);
    ASSERT_EQ(wav.size(), size_t(WAV_HEADER_SIZE) + 4410u * 4u);
    // Output frame k is music frame (4410 + k) / 2: exact on even frames, between two on odd ones.
    for (size_t k = 0; k < 4410; k += 2) {
        size_t source = (4410 + k) / 2;
        ASSERT_EQ(sampleAt(wav, k, 1), decoded[source * 2 + 1]) << k;
        int16_t low = decoded[source * 2], high = decoded[(source + 1) * 2];
        int16_t between = sampleAt(wav, k + 1, 0);
        ASSERT_TRUE((between >= low && between <= high) || (between <= low && between >= high)) << k;
    }

    ASSERT_TRUE(writeSoundtrack(dir.path + "/none.ogg", wavPath, 0, 100, &note, &error));
    EXPECT_NE(note.find("none.ogg"), std::string::npos);
    wav = readFile(wavPath);
    EXPECT_EQ(wav, wav.substr(0, WAV_HEADER_SIZE) + std::string(400, '\0'));
    EXPECT_FALSE(writeSoundtrack(music, dir.path + "/no/such/folder/demo.wav", 0, 100, &note, &error));
    EXPECT_NE(error.find("demo.wav"), std::string::npos);
}

std::vector<std::string> progressLines(bool terminal, int32_t total, int32_t frames) {
    FILE* out = std::tmpfile();
    CaptureProgress progress;
    captureProgressBegin(&progress, total, terminal, 0);
    for (int32_t n = 1; n <= frames; ++n) captureProgressUpdate(&progress, out, n, n * 40, n * 100);
    captureProgressEnd(&progress, out, frames, frames * 100);
    std::rewind(out);
    std::vector<std::string> lines;
    char line[4096];
    while (std::fgets(line, sizeof line, out)) lines.push_back(line);
    std::fclose(out);
    return lines;
}

TEST(CaptureProgress, ATenthAtATimeWithoutATerminalOneLineOnIt) {
    EXPECT_EQ(captureProgressText(120, 250, 4800, 6000), "frame 120/250 (48%)  demo 0:04.800  20.0 fps  0:07 left");
    EXPECT_EQ(captureProgressText(250, 250, 61040, 12500), "frame 250/250 (100%)  demo 1:01.040  20.0 fps");

    std::vector<std::string> plain = progressLines(false, 95, 95);
    ASSERT_EQ(plain.size(), 11u);
    EXPECT_EQ(plain[0].rfind("frame 10/95 (10%)", 0), 0u) << plain[0];
    EXPECT_EQ(plain[9].rfind("frame 95/95 (100%)", 0), 0u) << plain[9];
    EXPECT_EQ(plain[10], "velmora: captured 95 frames in 9.50 s, 10.0 frames per second\n");

    // On a terminal: one line redrawn in place at most every 250 ms (frames 1, 4, .., 28 of 100 ms
    // each), and where the run ended, 30 of 40, before the summary.
    std::vector<std::string> live = progressLines(true, 40, 30);
    ASSERT_EQ(live.size(), 2u);
    EXPECT_EQ(live[0].front(), '\r');
    EXPECT_EQ(std::count(live[0].begin(), live[0].end(), '\r'), 11);
    EXPECT_NE(live[0].find("frame 30/40"), std::string::npos);
    EXPECT_EQ(live[1].rfind("velmora: captured 30 frames", 0), 0u);
}

TEST(VideoEncoder, FramesGoTopRowFirstUnpaddedAtTheFirstFramesSize) {
    ScratchDir dir("video-pipe");
    std::string sh;
    ASSERT_TRUE(findProgram("sh", &sh));
    std::string stream = dir.path + "/stream";
    VideoEncoder encoder;
    std::string error;
    ASSERT_TRUE(videoStart(&encoder, {sh, "-c", "cat > '" + stream + "'; echo done >&2; exit 3"}, 3, 2, &error))
        << error;
    // A 3 x 2 BMP: rows of 9 bytes padded to 12, bottom row first.
    std::vector<uint8_t> bmp(24, 0xEE);
    for (int i = 0; i < 9; ++i) {
        bmp[size_t(i)] = uint8_t(i);             // bottom row
        bmp[size_t(12 + i)] = uint8_t(100 + i);  // top row
    }
    ASSERT_TRUE(videoWriteFrame(&encoder, bmp.data(), 3, 2));
    // A later frame of another size is cropped to the first's, and padded with black.
    std::vector<uint8_t> narrow(8, 0x55);  // 2 x 1: 6 bytes padded to 8
    ASSERT_TRUE(videoWriteFrame(&encoder, narrow.data(), 2, 1));
    std::string lastLine;
    EXPECT_FALSE(videoFinish(&encoder, &lastLine));
    EXPECT_EQ(lastLine, "done");
    std::string expected;
    for (int i = 0; i < 9; ++i) expected += char(100 + i);
    for (int i = 0; i < 9; ++i) expected += char(i);
    expected += std::string(6, '\x55') + std::string(12, '\0');
    EXPECT_EQ(readFile(stream), expected);

    // An encoder that has gone makes the next frame fail instead of ending the player: frames larger
    // than the pipe holds meet the closed end.
    ASSERT_TRUE(videoStart(&encoder, {sh, "-c", "exit 0"}, 400, 300, &error));
    std::vector<uint8_t> large(400 * 3 * 300);
    bool written = true;
    for (int i = 0; i < 20 && written; ++i) written = videoWriteFrame(&encoder, large.data(), 400, 300);
    EXPECT_FALSE(written);
    EXPECT_TRUE(videoFinish(&encoder, &lastLine));
}

}  // namespace
