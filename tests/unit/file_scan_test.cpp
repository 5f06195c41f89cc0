// The token reader must behave exactly as the C library's formatted input on the same text.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "data/package.h"
#include "tests/support/ci.h"
#include "tests/support/test_package.h"

namespace {

struct Step {
    const char* format;
    char kind;  // 's' word, 'd' int, 'f' float
};

// Runs the same conversions through fileScan and through sscanf-on-a-stream and compares each.
void compareWithStdio(const std::string& text, const std::vector<Step>& steps) {
    SCOPED_TRACE("text: \"" + text + "\"");
    loadTestPackage({{"t", text}});
    DemoFile f = fileOpen("t", "r");
    ASSERT_NE(f, nullptr);
    FILE* reference = fmemopen(const_cast<char*>(text.data()), text.size() ? text.size() : 1, "r");
    if (text.empty()) std::fgetc(reference);  // an empty stream: already at its end
    for (size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(std::string("step ") + std::to_string(i) + " " + steps[i].format);
        char wordA[64] = "-", wordB[64] = "-";
        int intA = -7, intB = -7;
        float floatA = -7.0f, floatB = -7.0f;
        void* a = steps[i].kind == 's' ? static_cast<void*>(wordA)
                  : steps[i].kind == 'd' ? static_cast<void*>(&intA) : static_cast<void*>(&floatA);
        void* b = steps[i].kind == 's' ? static_cast<void*>(wordB)
                  : steps[i].kind == 'd' ? static_cast<void*>(&intB) : static_cast<void*>(&floatB);
        int got = fileScan(f, steps[i].format, a);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
        int want = std::fscanf(reference, steps[i].format, b);
#pragma GCC diagnostic pop
        EXPECT_EQ(got, want);
        EXPECT_STREQ(wordA, wordB);
        EXPECT_EQ(intA, intB);
        EXPECT_EQ(floatA, floatB);
    }
    std::fclose(reference);
    packageRelease();
}

TEST(FileScan, WordsIntegersColonsAndFloatsBehaveAsTheCLibrary) {
    compareWithStdio("set global start 0:10:250 end", {{"%63s", 's'}, {"%63s", 's'}, {"%63s", 's'},
                                                        {"%d", 'd'}, {":%d", 'd'}, {":%d", 'd'},
                                                        {"%63s", 's'}, {"%63s", 's'}});
    // Blanks before a colon: ":%d" does not match and leaves the target alone.
    compareWithStdio("1 : 30 : 250", {{"%d", 'd'}, {":%d", 'd'}, {"%63s", 's'}, {"%d", 'd'}});
    compareWithStdio("1: 30", {{"%d", 'd'}, {":%d", 'd'}});
    compareWithStdio("  -12.5e1 0.25 .5 abc", {{"%f", 'f'}, {"%f", 'f'}, {"%f", 'f'}, {"%f", 'f'},
                                                {"%63s", 's'}});
    compareWithStdio("42abc", {{"%d", 'd'}, {"%63s", 's'}, {"%d", 'd'}});
    compareWithStdio("", {{"%63s", 's'}, {"%d", 'd'}});
    compareWithStdio("   \n\t ", {{"%d", 'd'}, {"%63s", 's'}});
    compareWithStdio("word", {{"%63s", 's'}, {"%63s", 's'}, {"%f", 'f'}});
}

TEST(FileScan, ScanningAndReadingShareTheCursor) {
    loadTestPackage({{"t", "alpha beta"}});
    DemoFile f = fileOpen("t", "r");
    char word[16];
    ASSERT_EQ(fileScan(f, "%15s", word), 1);
    char c = 0;
    ASSERT_EQ(fileRead(&c, 1, 1, f), 1u);
    EXPECT_EQ(c, ' ');
    ASSERT_EQ(fileScan(f, "%15s", word), 1);
    EXPECT_STREQ(word, "beta");
    fileClose(f);
    ASSERT_EQ(fileScan(f, "%15s", word), 1);
    EXPECT_STREQ(word, "alpha");
    packageRelease();
}

TEST(FileScan, NumbersUseADecimalPointWhateverTheLocale) {
    const char* candidates[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "pl_PL.UTF-8"};
    const char* found = nullptr;
    for (const char* name : candidates)
        if (std::setlocale(LC_NUMERIC, name)) {
            found = name;
            break;
        }
    if (!found) SKIP_OUTSIDE_CI("no decimal-comma locale (scripts/install-deps.sh makes de_DE.UTF-8)");
    loadTestPackage({{"t", "0.25"}});
    float value = 0;
    EXPECT_EQ(fileScan(fileOpen("t", "r"), "%f", &value), 1);
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(value, 0.25f);
    packageRelease();
}

}  // namespace
