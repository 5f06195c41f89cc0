// demotool pack, list and extract as a production author uses them.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "tests/support/process.h"
#include "tests/support/scratch_dir.h"

namespace {

void makeTree(const std::string& root) {
    mkdir((root + "/Demo").c_str(), 0755);
    mkdir((root + "/Demo/Sub").c_str(), 0755);
    writeFile(root + "/Demo/Skrypt.txt", "init end_init begin end\n");
    writeFile(root + "/Demo/Sub/b.bin", std::string("\0\1\2\3\4", 5));
    writeFile(root + "/Demo/Empty.txt", "");
}

TEST(DemotoolPack, PackListExtractRoundTripsEveryFile) {
    ScratchDir scratch("pack");
    const std::string& dir = scratch.path;
    mkdir((dir + "/src").c_str(), 0755);
    makeTree(dir + "/src");
    for (bool store : {false, true}) {
        SCOPED_TRACE(store ? "stored" : "compressed");
        std::vector<std::string> pack = {DEMOTOOL_BINARY, "pack", dir + "/demo.dat", dir + "/src"};
        if (store) pack.push_back("--store");
        ProcessResult packed = runProcess(pack);
        ASSERT_EQ(packed.exitCode, 0) << packed.err;
        std::string bytes = readFile(dir + "/demo.dat");
        ASSERT_FALSE(bytes.empty());
        EXPECT_EQ(bytes[0] == 'c', !store);

        ProcessResult listed = runProcess({DEMOTOOL_BINARY, "list", dir + "/demo.dat"});
        ASSERT_EQ(listed.exitCode, 0) << listed.err;
        EXPECT_EQ(listed.out, "0 Demo/Empty.txt\n24 Demo/Skrypt.txt\n5 Demo/Sub/b.bin\n");

        std::string out = dir + (store ? "/out-stored" : "/out-packed");
        ProcessResult extracted = runProcess({DEMOTOOL_BINARY, "extract", dir + "/demo.dat", out});
        ASSERT_EQ(extracted.exitCode, 0) << extracted.err;
        EXPECT_EQ(readFile(out + "/Demo/Sub/b.bin"), std::string("\0\1\2\3\4", 5));
        EXPECT_EQ(readFile(out + "/Demo/Skrypt.txt"), "init end_init begin end\n");
        struct stat st;
        ASSERT_EQ(stat((out + "/Demo/Empty.txt").c_str(), &st), 0);
        EXPECT_EQ(st.st_size, 0);
    }
    // The same tree packs to the same bytes.
    std::string first = readFile(dir + "/demo.dat");
    ASSERT_EQ(runProcess({DEMOTOOL_BINARY, "pack", dir + "/again.dat", dir + "/src", "--store"}).exitCode, 0);
    EXPECT_EQ(readFile(dir + "/again.dat"), first);
}

TEST(DemotoolPack, RefusesWhatItCannotUse) {
    ScratchDir scratch("packbad");
    const std::string& dir = scratch.path;
    ProcessResult noDir = runProcess({DEMOTOOL_BINARY, "pack", dir + "/x.dat", dir + "/missing"});
    EXPECT_NE(noDir.exitCode, 0);
    writeFile(dir + "/bad.dat", "c\x01");
    ProcessResult bad = runProcess({DEMOTOOL_BINARY, "list", dir + "/bad.dat"});
    EXPECT_NE(bad.exitCode, 0);
    EXPECT_NE(bad.err.find("bad.dat"), std::string::npos) << bad.err;
    EXPECT_EQ(runProcess({DEMOTOOL_BINARY, "frobnicate"}).exitCode, 2);
    EXPECT_EQ(runProcess({DEMOTOOL_BINARY, "list"}).exitCode, 2);
}

}  // namespace
