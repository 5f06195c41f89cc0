#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "data/package.h"
#include "tests/support/test_package.h"

namespace {

std::string readAll(DemoFile f) {
    std::string out;
    char buffer[7];
    size_t n;
    while ((n = fileRead(buffer, 1, sizeof buffer, f)) > 0) out.append(buffer, n);
    return out;
}

const TestFiles kFiles = {
    {"Demo/Skrypt.txt", "init end_init"},
    {"Demo\\Sub\\Obj.lwo", std::string("\0\1\2\3", 4)},
    {"Demo/Empty.txt", ""},
    {"Demo/case.txt", "lower"},
    {"Demo/Case.txt", "upper"},
};

class PackageTest : public ::testing::Test {
protected:
    void TearDown() override { packageRelease(); }
};

TEST_F(PackageTest, StoredAndCompressedImagesGiveTheSameDirectoryAndContents) {
    for (bool compress : {false, true}) {
        SCOPED_TRACE(compress ? "compressed" : "stored");
        loadTestPackage(kFiles, compress);
        const DataPackage* pk = package();
        ASSERT_EQ(pk->entryCount, kFiles.size());
        for (uint32_t i = 0; i < pk->entryCount; ++i) {
            std::string expected = kFiles[i].first;
            for (char& c : expected)
                if (c == '\\') c = '/';
            EXPECT_EQ(pk->entries[i].name, expected);
            DemoFile f = fileOpen(expected.c_str(), "rb");
            ASSERT_NE(f, nullptr);
            EXPECT_EQ(readAll(f), kFiles[i].second);
            fileClose(f);
        }
    }
}

TEST_F(PackageTest, NamesAreMatchedExactlyAfterBackslashesBecomeSlashes) {
    loadTestPackage(kFiles);
    EXPECT_NE(fileOpen("Demo/Sub/Obj.lwo", "rb"), nullptr);
    EXPECT_EQ(fileOpen("Demo\\Sub\\Obj.lwo", "rb"), nullptr);
    DemoFile lower = fileOpen("Demo/case.txt", "r");
    DemoFile upper = fileOpen("Demo/Case.txt", "r");
    ASSERT_NE(lower, nullptr);
    ASSERT_NE(upper, nullptr);
    EXPECT_NE(lower, upper);
    EXPECT_EQ(readAll(upper), "upper");
    EXPECT_EQ(fileOpen("demo/case.txt", "r"), nullptr);
    EXPECT_EQ(fileOpen("Demo/Missing.txt", "r"), nullptr);
}

TEST_F(PackageTest, EmptyEntryReadsNothingAndScansEndOfFile) {
    loadTestPackage(kFiles);
    DemoFile f = fileOpen("Demo/Empty.txt", "r");
    ASSERT_NE(f, nullptr);
    char buffer[4];
    EXPECT_EQ(fileRead(buffer, 1, 4, f), 0u);
    char word[32] = "unchanged";
    EXPECT_EQ(fileScan(f, "%31s", word), EOF);
    EXPECT_STREQ(word, "unchanged");
}

TEST_F(PackageTest, HandlesShareOneCursorAndClosingRewinds) {
    loadTestPackage({{"a.txt", "0123456789"}});
    DemoFile first = fileOpen("a.txt", "rb");
    char buffer[4] = {};
    ASSERT_EQ(fileRead(buffer, 1, 3, first), 3u);
    DemoFile second = fileOpen("a.txt", "rb");
    EXPECT_EQ(first, second);
    ASSERT_EQ(fileRead(buffer, 1, 3, second), 3u);
    EXPECT_EQ(std::string(buffer, 3), "345");
    fileClose(first);
    ASSERT_EQ(fileRead(buffer, 1, 3, second), 3u);
    EXPECT_EQ(std::string(buffer, 3), "012");
}

TEST_F(PackageTest, ReadsCountBytesAndNeverPassTheEntry) {
    loadTestPackage({{"a", "abcdefgh"}, {"b", "XYZ"}});
    DemoFile f = fileOpen("a", "rb");
    char buffer[16] = {};
    EXPECT_EQ(fileRead(buffer, 3, 2, f), 6u);  // bytes, not items
    EXPECT_EQ(fileRead(buffer, 4, 4, f), 2u);  // short read at the end
    EXPECT_EQ(std::string(buffer, 2), "gh");
    EXPECT_EQ(fileRead(buffer, 1, 1, f), 0u);
}

TEST_F(PackageTest, SeekOriginsAndClamping) {
    loadTestPackage({{"a", "abcdefgh"}, {"b", "XYZ"}});
    DemoFile f = fileOpen("a", "rb");
    char c = 0;
    EXPECT_EQ(fileSeek(f, 2, 0), 0);
    fileRead(&c, 1, 1, f);
    EXPECT_EQ(c, 'c');
    EXPECT_EQ(fileSeek(f, 2, 1), 0);
    fileRead(&c, 1, 1, f);
    EXPECT_EQ(c, 'f');
    EXPECT_EQ(fileSeek(f, -1, 2), 0);
    fileRead(&c, 1, 1, f);
    EXPECT_EQ(c, 'h');
    EXPECT_EQ(fileSeek(f, 0, 2), 0);
    EXPECT_EQ(fileRead(&c, 1, 1, f), 0u);
    // Past the end: clamped to the end, reported with 1; the next entry is never reached.
    EXPECT_EQ(fileSeek(f, 5, 2), 1);
    EXPECT_EQ(fileRead(&c, 1, 1, f), 0u);
    // Before the start: clamped to the start.
    EXPECT_EQ(fileSeek(f, -100, 1), 0);
    fileRead(&c, 1, 1, f);
    EXPECT_EQ(c, 'a');
    // An unknown origin leaves the cursor.
    EXPECT_EQ(fileSeek(f, 3, 7), 0);
    fileRead(&c, 1, 1, f);
    EXPECT_EQ(c, 'b');
}

TEST_F(PackageTest, StreamIsACopyPositionedAtTheCursorThatOutlivesThePackage) {
    loadTestPackage({{"a", "hello world"}});
    DemoFile f = fileOpen("a", "rb");
    fileSeek(f, 6, 0);
    FILE* stream = fileStream(f);
    ASSERT_NE(stream, nullptr);
    packageRelease();
    char word[16] = {};
    ASSERT_EQ(std::fscanf(stream, "%15s", word), 1);
    EXPECT_STREQ(word, "world");
    std::rewind(stream);
    ASSERT_EQ(std::fscanf(stream, "%15s", word), 1);
    EXPECT_STREQ(word, "hello");
    std::fclose(stream);
    EXPECT_EQ(fileOpen("a", "rb"), nullptr);
}

// Packages a user may meet in the wild: each is refused with a message and leaves nothing loaded.
std::vector<unsigned char> bytesOf(const std::string& s) { return {s.begin(), s.end()}; }

void put32(std::vector<unsigned char>* v, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) (*v)[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

TEST_F(PackageTest, MalformedPackagesAreRefused) {
    std::vector<unsigned char> good = buildTestPackage({{"a", "abc"}, {"b", "de"}});
    struct Case {
        const char* what;
        std::vector<unsigned char> bytes;
    };
    std::vector<Case> cases;
    cases.push_back({"empty file", {}});
    cases.push_back({"no directory count", {'s', 1, 0}});
    std::vector<unsigned char> truncated(good.begin(), good.begin() + 12);
    cases.push_back({"truncated directory", truncated});
    std::vector<unsigned char> manyEntries = good;
    put32(&manyEntries, 1, 0x10000000);
    cases.push_back({"entry count beyond the image", manyEntries});
    std::vector<unsigned char> longSize = good;
    put32(&longSize, 1 + 4 + 1 + 2 + 16, 1000);  // first record's size
    cases.push_back({"sizes past the image", longSize});
    std::vector<unsigned char> longName = bytesOf(std::string("s") + std::string("\1\0\0\0", 4) + '\0' +
                                                  std::string(300, 'n') + std::string(21, '\0'));
    cases.push_back({"path of 300 bytes", longName});
    cases.push_back({"compressed header cut", {'c', 1, 2}});
    std::vector<unsigned char> garbage = {'c', 16, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8};
    cases.push_back({"data that does not inflate", garbage});
    std::vector<unsigned char> compressed = buildTestPackage({{"a", "abc"}}, true);
    std::vector<unsigned char> wrongSize = compressed;
    put32(&wrongSize, 1, static_cast<uint32_t>(compressed.size()));  // smaller than the image? larger
    uint32_t real = compressed[1] | compressed[2] << 8 | compressed[3] << 16 | compressed[4] << 24;
    put32(&wrongSize, 1, real + 5);
    cases.push_back({"inflates to another size", wrongSize});
    std::vector<unsigned char> huge = compressed;
    put32(&huge, 1, 0xFFFFFFF0u);
    cases.push_back({"impossible declared size", huge});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ::testing::internal::CaptureStderr();
        EXPECT_FALSE(packageLoadBytes(c.bytes.data(), c.bytes.size(), "demo.dat"));
        std::string message = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(message.find("Error: "), std::string::npos) << message;
        EXPECT_NE(message.find("demo.dat"), std::string::npos) << message;
        EXPECT_EQ(package()->entryCount, 0u);
        EXPECT_EQ(fileOpen("a", "rb"), nullptr);
    }
}

TEST_F(PackageTest, MissingPackageFileIsReportedByName) {
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(packageLoad("/nonexistent/demo.dat"));
    std::string message = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(message.find("/nonexistent/demo.dat"), std::string::npos) << message;
}

TEST_F(PackageTest, PathOf255BytesIsTheLongestAccepted) {
    std::string name(255, 'p');
    loadTestPackage({{name, "x"}});
    EXPECT_NE(fileOpen(name.c_str(), "rb"), nullptr);
    EXPECT_TRUE(buildTestPackage({{std::string(256, 'p'), "x"}}).empty());
}

}  // namespace
