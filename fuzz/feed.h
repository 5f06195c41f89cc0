// Entry points that feed one input's bytes through a reader the way the player calls it, and release
// everything the reader made. The fuzz harnesses and the unit tests of past findings share them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

enum FeedOutcome {
    FEED_REFUSED = 0,  // the reader reported the input and refused it
    FEED_READ = 1,     // the reader took the input (perhaps leaving parts out, with a message)
    FEED_ENDED = 2,    // the reader ended the process, as it does for that input by design
};

typedef FeedOutcome (*FeedFunction)(const uint8_t* bytes, size_t size);

struct Feed {
    const char* name;  // the harness's name: fuzz/corpus/<name>, fuzz/regressions/<name>
    FeedFunction feed;
};

// Every harness, by name; null when there is none of that name.
const Feed* findFeed(const char* name);
extern const Feed kFeeds[];
extern const int kFeedCount;

// The messages the last feed showed, one a line ("Caption: text"), for the tests.
const std::string& feedMessages();

FeedOutcome feedPackage(const uint8_t* bytes, size_t size);
FeedOutcome feedWords(const uint8_t* bytes, size_t size);
FeedOutcome feedBmp(const uint8_t* bytes, size_t size);
FeedOutcome feedTga(const uint8_t* bytes, size_t size);
FeedOutcome feedJpeg(const uint8_t* bytes, size_t size);
FeedOutcome feedTimeline(const uint8_t* bytes, size_t size);
FeedOutcome feedLwo(const uint8_t* bytes, size_t size);
FeedOutcome feedLws(const uint8_t* bytes, size_t size);
FeedOutcome feedEnvelope(const uint8_t* bytes, size_t size);
FeedOutcome feedSetup(const uint8_t* bytes, size_t size);
FeedOutcome feedClipScript(const uint8_t* bytes, size_t size);
FeedOutcome feedTyping(const uint8_t* bytes, size_t size);
