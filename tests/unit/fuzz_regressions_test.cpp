// Inputs the fuzz harnesses found faults with, fed once more through the same entry points: each must
// now be read or refused with its message, and release all it took (the sanitized build checks that).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "base/report.h"
#include "fuzz/feed.h"

namespace {

namespace fs = std::filesystem;

struct Finding {
    const char* harness;
    const char* file;  // under fuzz/regressions/<harness>/
    FeedOutcome outcome;
    const char* message;  // part of what is reported (shown or on standard error); empty: anything
};

const Finding kFindings[] = {
    // A directory record starting one byte past the image: its path was searched beyond the end.
    {"package", "directory_record_past_end.dat", FEED_REFUSED, "the directory is truncated"},
    // A header of 60000 x 60000 pixels over 1.7 KiB of data: 10 GiB asked for before a scanline was read.
    {"jpeg", "header_of_60000_by_60000.jpg", FEED_REFUSED, "JPEG picture of 60000 x 60000 is too large"},
    // 188 bytes declaring 260 x 63491 pixels: the library padded all 16 million of them (over 1 s on
    // a busy machine); decoding now ends where the data does.
    {"jpeg", "cut_short_260_by_63491.jpg", FEED_READ, ""},
    // A collection point after the last clip ends the process, as it must; its node was left behind.
    {"timeline", "collection_after_the_end.txt", FEED_ENDED, ""},
    // A key at 1e301 s (infinite as a float): counting the repeat periods converted NaN to int.
    {"envelope", "key_time_beyond_float.env", FEED_READ, ""},
};

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

const fs::path kRegressions = fs::path(VELMORA_SOURCE_DIR) / "fuzz" / "regressions";

TEST(FuzzRegressions, EachFindingIsReadOrRefusedWithItsMessage) {
    for (const Finding& f : kFindings) {
        SCOPED_TRACE(std::string(f.harness) + "/" + f.file);
        const Feed* feed = findFeed(f.harness);
        ASSERT_NE(feed, nullptr);
        const std::string bytes = readBytes(kRegressions / f.harness / f.file);
        ASSERT_FALSE(bytes.empty());
        ::testing::internal::CaptureStderr();
        FeedOutcome outcome = feed->feed(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        const std::string printed = ::testing::internal::GetCapturedStderr();
        setReportHooks({nullptr, nullptr, nullptr});
        EXPECT_EQ(outcome, f.outcome);
        const std::string reported = feedMessages() + printed;
        EXPECT_NE(reported.find(f.message), std::string::npos) << reported;
    }
}

TEST(FuzzRegressions, EveryRegressionFileHasARow) {
    std::set<std::string> rows;
    for (const Finding& f : kFindings) rows.insert(std::string(f.harness) + "/" + f.file);
    for (const auto& entry : fs::recursive_directory_iterator(kRegressions)) {
        if (!entry.is_regular_file()) continue;
        const std::string name = fs::relative(entry.path(), kRegressions).string();
        EXPECT_TRUE(rows.count(name)) << name << " is not replayed by a test row";
    }
}

}  // namespace
