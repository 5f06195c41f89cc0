// Typing texts: from their sources to the timed entries the typing effect reads.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <sstream>
#include <string>

#include "data/package.h"
#include "tests/support/test_package.h"
#include "tools/content/typing_text.h"

namespace {

std::vector<TypingEntry> generate(const std::string& source, std::string* error = nullptr) {
    TypingSettings settings;
    std::string text, message;
    std::vector<TypingEntry> entries;
    bool ok = parseTypingSource(source, &settings, &text, &message) &&
              timeTypingText(settings, text, TYPING_ENTRY_COUNT, &entries, &message);
    if (error) *error = message;
    else EXPECT_TRUE(ok) << message;
    return ok ? entries : std::vector<TypingEntry>();
}

// Reads the file back the way the typing effect does: a time "%d", ":%d", ":%d", then the
// character between quotes.
std::vector<TypingEntry> readAsPlayer(const std::string& file, int count) {
    loadTestPackage({{"Demo/Login.txt", file}});
    DemoFile f = fileOpen("Demo/Login.txt", "rb");
    std::vector<TypingEntry> entries;
    for (int i = 0; i < count; ++i) {
        int m = 0, s = 0, ms = 0;
        char c = 0;
        if (fileScan(f, "%d", &m) != 1 || fileScan(f, ":%d", &s) != 1 || fileScan(f, ":%d", &ms) != 1 ||
            fileScan(f, "\t\t'%c'", &c) != 1)
            break;
        entries.push_back(TypingEntry{ms + 1000 * s + 60000 * m, c});
    }
    return entries;
}

TEST(ContentTyping, LinesTabsAndTiming) {
    std::vector<TypingEntry> e = generate(
        "# a note\n@start 0:1:500\n@interval 50\n@line_pause 300\n@stop_pause 100\n@text\nHi.\n\tx y\n");
    ASSERT_EQ(e.size(), size_t(TYPING_ENTRY_COUNT));
    const char* typed = "Hi.&~x y";
    int expected[] = {1500, 1550, 1600, 1750, 2100, 2150, 2200, 2250};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(e[i].character, typed[i]) << i;
        EXPECT_EQ(e[i].timeMs, expected[i]) << i;
    }
    // The rest are spaces an hour later: never seen, and the cursor stays after the text.
    EXPECT_EQ(e[8].character, ' ');
    EXPECT_EQ(e[8].timeMs, 2250 + TYPING_PAD_DELAY_MS);
    EXPECT_EQ(e.back().timeMs, 2250 + TYPING_PAD_DELAY_MS);
}

TEST(ContentTyping, RefusesWhatThePlayerCannotShow) {
    std::string error;
    generate("@text\n" + std::string(TYPING_ENTRY_COUNT + 1, 'a') + "\n", &error);
    EXPECT_NE(error.find("more than the 527 entries"), std::string::npos);
    generate("@text\ncaf\xc3\xa9\n", &error);
    EXPECT_EQ(error, "line 2: only printable ASCII can be typed");
    generate("@interval 10\n@jitter 10\n@text\nx\n", &error);
    EXPECT_NE(error.find("@jitter"), std::string::npos);
    generate("@speed 3\n@text\nx\n", &error);
    EXPECT_EQ(error, "line 1: cannot read \"@speed 3\"");
}

TEST(ContentTyping, ProductionTextsReadBackInThePlayerFormat) {
    for (const char* name : {"login", "scroll"}) {
        SCOPED_TRACE(name);
        std::ifstream in(std::string(VELMORA_SOURCE_DIR) + "/content/text/" + name + ".txt");
        ASSERT_TRUE(in.good());
        std::stringstream source;
        source << in.rdbuf();
        std::vector<TypingEntry> entries = generate(source.str());
        std::vector<TypingEntry> read = readAsPlayer(formatTypingEntries(entries), TYPING_ENTRY_COUNT);
        ASSERT_EQ(read.size(), size_t(TYPING_ENTRY_COUNT));
        for (int i = 0; i < TYPING_ENTRY_COUNT; ++i) {
            ASSERT_EQ(read[i].timeMs, entries[i].timeMs) << i;
            ASSERT_EQ(read[i].character, entries[i].character) << i;
            if (i > 0) {
                ASSERT_GT(read[i].timeMs, read[i - 1].timeMs) << i;
            }
        }
        if (std::string(name) == "login") {
            // The player writes a fresh number over entries 10 to 14.
            for (int i = 10; i < 15; ++i) EXPECT_TRUE(std::isdigit(read[i].character)) << i;
        }
    }
}

}  // namespace
