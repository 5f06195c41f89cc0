// One libFuzzer harness: FEED_NAME picks the reader (fuzz/CMakeLists.txt builds one per reader).
#include <cstdio>
#include <cstdlib>

#include "fuzz/feed.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    static const Feed* feed = findFeed(FEED_NAME);
    if (!feed) {
        std::fprintf(stderr, "no reader \"%s\"\n", FEED_NAME);
        std::abort();
    }
    feed->feed(bytes, size);
    return 0;
}
