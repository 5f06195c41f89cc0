// The clip script and the typing texts.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "data/package.h"
#include "effects/clip_script.h"
#include "effects/typing/typing.h"
#include "fuzz/feed.h"
#include "fuzz/feed_support.h"
#include "scene/envelope.h"

FeedOutcome feedClipScript(const uint8_t* bytes, size_t size) {
    // The same bytes also stand as an envelope file, so that "load envelope" statements can reach it.
    feedBegin();
    PackageSource sources[2] = {{"Demo/Clips.txt", bytes, static_cast<uint32_t>(size)},
                                {"Demo/Input.env", bytes, static_cast<uint32_t>(size)}};
    std::vector<uint8_t> file = packageBuild(sources, 2, false);
    packageLoadBytes(file.data(), file.size(), "fuzz input");
    static ClipScript script;
    std::memset(static_cast<void*>(&script), 0, sizeof script);
    parseClipScript(fileOpen("Demo/Clips.txt", "r"), "Demo/Clips.txt", &script);
    // Every overlay at its start, middle and end, as the overlay pass places it.
    for (int32_t k = 0; k < script.overlayCount; ++k) {
        const ClipOverlay* o = &script.overlays[k];
        const int32_t times[] = {o->start, o->start / 2 + o->end / 2, o->end};
        for (int32_t t : times) {
            ClipVertex vertices[CLIP_QUAD_VERTICES];
            float alpha;
            if (clipOverlayActive(o, t)) clipOverlayVertices(o, t, vertices, &alpha);
        }
    }
    for (int32_t k = 0; k < script.envelopeCount; ++k) releaseEnvelope(&script.envelopes[k]);
    packageRelease();
    return script.overlayCount > 0 ? FEED_READ : FEED_REFUSED;
}

FeedOutcome feedTyping(const uint8_t* bytes, size_t size) {
    feedPackageOf("Demo/Login.txt", bytes, size);
    // As many entries as the longest text of the production asks for, and some.
    enum { CAPACITY = 4096 };
    TypingEntry* entries = static_cast<TypingEntry*>(std::calloc(CAPACITY, sizeof(TypingEntry)));
    int32_t count = typingReadEntries(fileOpen("Demo/Login.txt", "r"), entries, CAPACITY);
    typingLoginDigits(entries, count, 1234);
    TypingQuad* quads = static_cast<TypingQuad*>(std::calloc(size_t(count) + 1, sizeof(TypingQuad)));
    const int32_t last = count ? entries[count - 1].time : 0;
    const int32_t times[] = {0, 1000, 60000, last < INT32_MAX ? last + 1 : last};
    for (int32_t t : times) typingLayout(entries, count, t, 500.0f, quads);
    std::free(quads);
    std::free(entries);
    packageRelease();
    return count > 0 ? FEED_READ : FEED_REFUSED;
}
