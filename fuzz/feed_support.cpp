#include "fuzz/feed_support.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/report.h"
#include "data/package.h"
#include "fuzz/feed.h"

std::jmp_buf gFeedExit;
bool gFeedExitArmed = false;

namespace {

std::string gMessages;

void logMessage(const char* caption, const char* text) {
    // Bounded: a reader that reports every word of a large input must not fill the memory.
    if (gMessages.size() > 65536) return;
    gMessages += caption;
    gMessages += ": ";
    gMessages += text;
    gMessages += '\n';
}

void endProcess(int exitCode) {
    if (gFeedExitArmed) {
        gFeedExitArmed = false;
        std::longjmp(gFeedExit, 1);
    }
    std::fprintf(stderr, "process exit %d outside an armed feed\n", exitCode);
    std::abort();
}

}  // namespace

const std::string& feedMessages() { return gMessages; }

void feedBegin() {
    gMessages.clear();
    gFeedExitArmed = false;
    setReportHooks({logMessage, endProcess, nullptr});
}

void feedPackageOf(const char* path, const uint8_t* bytes, size_t size) {
    feedBegin();
    PackageSource source = {path, bytes, static_cast<uint32_t>(size)};
    std::vector<uint8_t> file = packageBuild(&source, 1, false);
    packageLoadBytes(file.data(), file.size(), "fuzz input");
}

const Feed kFeeds[] = {
    {"package", feedPackage}, {"words", feedWords},       {"bmp", feedBmp},
    {"tga", feedTga},         {"jpeg", feedJpeg},         {"timeline", feedTimeline},
    {"lwo", feedLwo},         {"lws", feedLws},           {"envelope", feedEnvelope},
    {"setup", feedSetup},     {"clip", feedClipScript},   {"typing", feedTyping},
};
const int kFeedCount = sizeof kFeeds / sizeof kFeeds[0];

const Feed* findFeed(const char* name) {
    for (const Feed& f : kFeeds)
        if (std::strcmp(f.name, name) == 0) return &f;
    return nullptr;
}
