#include "tests/support/frame_pictures.h"

#include <cstdio>
#include <cstring>
#include <unordered_map>

#include "tests/support/xvfb.h"

namespace {

// What a frame with something to look at has, at 160 x 120. An empty shot (black, one flat colour
// with a dot or a light cone on it, or blown out to white) misses at least one; the darkest and
// plainest shots of the sample production clear each by a wide margin.
const int kMinColours = 100;
const double kMinAwayShare = 0.15;
const int kAwayTolerance = 24;  // a channel this far from the commonest colour is detail, not noise
const double kMinMeanLuma = 8.0;
const double kMaxWhiteShare = 0.40;

uint32_t u32(const std::string& b, size_t at) {
    uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

void put32(std::string* b, uint32_t v) { b->append(reinterpret_cast<const char*>(&v), 4); }
void put16(std::string* b, uint16_t v) { b->append(reinterpret_cast<const char*>(&v), 2); }

size_t rowBytes(int width) { return (size_t(width) * 3 + 3) & ~size_t(3); }

std::string percent(double share) {
    char text[32];
    std::snprintf(text, sizeof text, "%.0f%%", share * 100.0);
    return text;
}

}  // namespace

bool readPicture(const std::string& path, Picture* picture) {
    const std::string b = readFile(path);
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return false;
    const int32_t width = int32_t(u32(b, 18)), height = int32_t(u32(b, 22));
    const uint16_t bits = uint16_t(uint8_t(b[28]) | uint8_t(b[29]) << 8);
    const size_t offset = u32(b, 10), row = rowBytes(width);
    if (bits != 24 || width <= 0 || height <= 0 || b.size() < offset + row * size_t(height)) return false;
    picture->width = width;
    picture->height = height;
    picture->bgr.resize(size_t(width) * size_t(height) * 3);
    for (int y = 0; y < height; ++y)
        std::memcpy(&picture->bgr[size_t(y) * size_t(width) * 3], b.data() + offset + size_t(y) * row,
                    size_t(width) * 3);
    return true;
}

bool writePicture(const std::string& path, const Picture& picture) {
    const size_t row = rowBytes(picture.width), image = row * size_t(picture.height);
    std::string b = "BM";
    put32(&b, uint32_t(54 + image));
    put32(&b, 0);
    put32(&b, 54);
    put32(&b, 40);
    put32(&b, uint32_t(picture.width));
    put32(&b, uint32_t(picture.height));
    put16(&b, 1);
    put16(&b, 24);
    for (int k = 0; k < 6; ++k) put32(&b, k == 1 ? uint32_t(image) : 0);
    for (int y = 0; y < picture.height; ++y) {
        b.append(reinterpret_cast<const char*>(&picture.bgr[size_t(y) * size_t(picture.width) * 3]),
                 size_t(picture.width) * 3);
        b.append(row - size_t(picture.width) * 3, '\0');
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(b.data(), 1, b.size(), file) == b.size();
    return std::fclose(file) == 0 && written;
}

std::string framePath(const std::string& folder, int n) {
    char name[32];
    std::snprintf(name, sizeof name, "/demo%05d.bmp", n);
    return folder + name;
}

ProcessResult captureProduction(const std::string& dataDir, const std::string& outputDir,
                                const std::vector<std::string>& options, int timeoutMs) {
    std::vector<std::string> argv = {VELMORA_BINARY, "--capture", "--windowed", "--no-music", "--batch",
                                     "--data",       dataDir,     "--output",   outputDir};
    argv.insert(argv.end(), options.begin(), options.end());
    return runProcess(argv, {"DISPLAY=" + sharedXvfb()->display, "SDL_AUDIODRIVER=dummy"}, timeoutMs, outputDir);
}

PictureStats pictureStats(const Picture& picture) {
    const size_t pixels = size_t(picture.width) * size_t(picture.height);
    std::unordered_map<uint32_t, size_t> counts;
    double luma = 0;
    size_t white = 0;
    for (size_t p = 0; p < pixels; ++p) {
        const uint8_t* c = &picture.bgr[p * 3];
        ++counts[uint32_t(c[0]) | uint32_t(c[1]) << 8 | uint32_t(c[2]) << 16];
        luma += 0.114 * c[0] + 0.587 * c[1] + 0.299 * c[2];
        if (c[0] == 255 && c[1] == 255 && c[2] == 255) ++white;
    }
    PictureStats s = {int(counts.size()), 0, 0, 0};
    if (!pixels) return s;
    uint32_t commonest = 0;
    size_t most = 0;
    for (const auto& entry : counts)
        if (entry.second > most || (entry.second == most && entry.first < commonest)) {
            commonest = entry.first;
            most = entry.second;
        }
    size_t away = 0;
    for (const auto& entry : counts)
        for (int shift = 0; shift < 24; shift += 8) {
            const int d = int(entry.first >> shift & 0xFF) - int(commonest >> shift & 0xFF);
            if (d > kAwayTolerance || d < -kAwayTolerance) {
                away += entry.second;
                break;
            }
        }
    s.awayShare = double(away) / double(pixels);
    s.meanLuma = luma / double(pixels);
    s.whiteShare = double(white) / double(pixels);
    return s;
}

std::string emptyPictureReason(const Picture& picture) {
    const PictureStats s = pictureStats(picture);
    std::string reasons;
    auto add = [&](const std::string& reason) { reasons += (reasons.empty() ? "" : ", ") + reason; };
    char text[96];
    if (s.meanLuma < kMinMeanLuma) {
        std::snprintf(text, sizeof text, "black: mean luma %.1f (%.0f needed)", s.meanLuma, kMinMeanLuma);
        add(text);
    }
    if (s.colours < kMinColours) add("flat: " + std::to_string(s.colours) + " colours (" + std::to_string(kMinColours) + " needed)");
    if (s.awayShare < kMinAwayShare)
        add("flat: " + percent(s.awayShare) + " away from the commonest colour (" + percent(kMinAwayShare) + " needed)");
    if (s.whiteShare > kMaxWhiteShare)
        add("blown out: " + percent(s.whiteShare) + " pure white (at most " + percent(kMaxWhiteShare) + ")");
    return reasons;
}
