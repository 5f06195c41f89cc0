// Typing text: reading entries, the login number, glyph quads and the cursor.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "effects/typing/typing.h"
#include "tests/support/test_package.h"

namespace {

std::vector<TypingEntry> entries(const std::string& text, int32_t capacity) {
    loadTestPackage({{"Demo/Login.txt", text}});
    DemoFile file = fileOpen("Demo/Login.txt", "rb");
    EXPECT_NE(file, nullptr);
    std::vector<TypingEntry> out(capacity);
    out.resize(typingReadEntries(file, out.data(), capacity));
    fileClose(file);
    return out;
}

TEST(Typing, ReadsOnlyWhatTheFileHolds) {
    std::vector<TypingEntry> e = entries("0:1:0\t\t'A'\n0:1:200 ' '\n0:2:0\t'&'\n0:2:5\t\t'~'\n", 527);
    ASSERT_EQ(e.size(), 4u);
    EXPECT_EQ(e[0].time, 1000);
    EXPECT_EQ(e[0].character, 'A');
    EXPECT_EQ(e[1].character, ' ');
    EXPECT_EQ(e[3].time, 2005);
    EXPECT_EQ(entries("0:1:0 'A'\n0:1:", 10).size(), 1u);
}

TEST(Typing, LoginDigitsFromTheSeed) {
    std::vector<TypingEntry> e(16);
    for (TypingEntry& x : e) x.character = 'x';
    typingLoginDigits(e.data(), 16, 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&e[10].character), 1), "3");
    std::string digits;
    for (int k = 10; k < 15; ++k) digits += char(e[k].character);
    EXPECT_EQ(digits, "39875");
    EXPECT_EQ(e[9].character, 'x');
    EXPECT_EQ(e[15].character, 'x');
    typingLoginDigits(e.data(), 12, 7);  // a short text keeps what it has
}

TEST(Typing, GlyphQuadsLinesAndCursor) {
    const TypingEntry text[] = {{100, 'A', {}}, {200, '&', {}}, {300, 'B', {}}, {400, 0xF0, {}}, {500, 'C', {}}};
    TypingQuad q[6];
    // An entry due exactly now is not drawn yet.
    EXPECT_EQ(typingLayout(text, 5, 100, 3500, q), 0);
    ASSERT_EQ(typingLayout(text, 5, 101, 3500, q), 1);
    // 'A' is glyph 32: column 15, row 1 of the atlas, in the first cell.
    EXPECT_FLOAT_EQ(q[0].texCoord[0][0], 16.0f / 17);
    EXPECT_FLOAT_EQ(q[0].texCoord[1][0], 15.0f / 17);
    EXPECT_FLOAT_EQ(q[0].texCoord[0][1], 1.0f - 1.0f / 6);
    EXPECT_FLOAT_EQ(q[0].texCoord[2][1], 1.0f - 2.0f / 6);
    EXPECT_FLOAT_EQ(q[0].position[0][0], 0.0f);
    EXPECT_FLOAT_EQ(q[0].position[1][0], 0.2f);
    EXPECT_FLOAT_EQ(q[0].position[1][1], 0.2f);
    // A glyph outside the atlas takes its column and draws nothing; 'C' lands after it on line 1.
    ASSERT_EQ(typingLayout(text, 5, 1000, 3500, q), 3);
    EXPECT_FLOAT_EQ(q[2].position[0][0], -0.4f);
    EXPECT_FLOAT_EQ(q[2].position[2][1], -0.28333333f);
    // The cursor: after the delay, in odd 400 ms periods, one column after the last character.
    EXPECT_EQ(typingLayout(text, 5, 3600, 3500, q), 4);
    EXPECT_FLOAT_EQ(q[3].position[0][0], -0.6f);
    EXPECT_FLOAT_EQ(q[3].texCoord[0][1], 0.5f);
    EXPECT_EQ(typingLayout(text, 5, 3200, 3500, q), 3);
    EXPECT_EQ(typingLayout(text, 5, 2000, 3500, q), 3);
    // Nothing typed yet: the cursor alone at column 0.
    const TypingEntry late[] = {{9000, 'A', {}}};
    ASSERT_EQ(typingLayout(late, 1, 3600, 3500, q), 1);
    EXPECT_FLOAT_EQ(q[0].position[0][0], 0.0f);
}

}  // namespace
