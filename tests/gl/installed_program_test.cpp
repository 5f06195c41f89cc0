// The programs as `cmake --install` lays them out under a prefix, run from there.
#include <gtest/gtest.h>
#include <zlib.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/support/ci.h"
#include "tests/support/process.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/xvfb.h"

namespace {

// The text of a gzip file; empty when it cannot be read.
std::string readGzip(const std::string& path) {
    std::string text;
    gzFile file = gzopen(path.c_str(), "rb");
    if (!file) return text;
    char chunk[4096];
    for (int n; (n = gzread(file, chunk, sizeof chunk)) > 0;) text.append(chunk, n);
    gzclose(file);
    return text;
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// One install for the whole suite: it copies the production and the manual pages.
class InstalledProgram : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        prefix = new ScratchDir("installed");
        install = new ProcessResult(
            runProcess({VELMORA_CMAKE, "--install", VELMORA_BUILD_DIR, "--prefix", prefix->path}, {}, 120000));
    }
    static void TearDownTestSuite() {
        delete install;
        delete prefix;
    }
    void SetUp() override { ASSERT_EQ(install->exitCode, 0) << install->out << install->err; }
    static std::string at(const std::string& path) { return prefix->path + "/" + path; }

    static ScratchDir* prefix;
    static ProcessResult* install;
    ScratchDir work{"installed-run"};  // the working directory of each run
};
ScratchDir* InstalledProgram::prefix;
ProcessResult* InstalledProgram::install;

TEST_F(InstalledProgram, CapturesAFrameOfTheInstalledSampleAndListsItsPackage) {
    if (sharedXvfb()->display.empty()) SKIP_OUTSIDE_CI("Xvfb cannot be started");
    ProcessResult capture = runProcess({at("bin/velmora"), "--capture", "--frames", "1", "--fps", "1", "--mode",
                                        "160x120", "--no-music", "--data", at("share/velmora"), "--output", "frames"},
                                       {"DISPLAY=" + sharedXvfb()->display, "SDL_AUDIODRIVER=dummy"}, 120000, work.path);
    ASSERT_EQ(capture.exitCode, 0) << capture.err;
    EXPECT_EQ(readFile(work.path + "/frames/demo00000.bmp").size(), 14u + 40u + 160u * 120u * 3u);

    ProcessResult list = runProcess({at("bin/demotool"), "list", at("share/velmora/demo.dat")});
    EXPECT_EQ(list.exitCode, 0) << list.err;
    EXPECT_TRUE(contains(list.out, " Demo/Skrypt.txt\n")) << list.out;
}

TEST_F(InstalledProgram, BothProgramsPrintTheProjectVersion) {
    for (const char* program : {"velmora", "demotool"}) {
        ProcessResult r = runProcess({at(std::string("bin/") + program), "--version"});
        EXPECT_EQ(r.exitCode, 0) << program;
        EXPECT_EQ(r.out.rfind(std::string(program) + " " VELMORA_VERSION, 0), 0u) << r.out;
        EXPECT_EQ(r.out.find('\n'), r.out.size() - 1) << "one line: " << r.out;
    }
}

// The pages are written from --help: an option the help lists and the page lacks is a stale page.
TEST_F(InstalledProgram, ManualPagesListEveryOptionOfTheHelp) {
    const struct {
        const char* program;
        const char* page;
    } pages[] = {{"velmora", "share/man/man6/velmora.6.gz"}, {"demotool", "share/man/man1/demotool.1.gz"}};
    for (const auto& p : pages) {
        std::string page = readGzip(at(p.page));
        if (page.empty()) SKIP_OUTSIDE_CI(std::string("no manual page (is help2man installed?): ") + p.page);
        ProcessResult help = runProcess({at(std::string("bin/") + p.program), "--help"});
        std::istringstream words(help.out);
        int options = 0;
        for (std::string word; words >> word;) {
            size_t first = word.find("--"), last = word.find_last_not_of("]),.");
            if (first == std::string::npos || last == std::string::npos || last < first + 2) continue;
            word = word.substr(first, last + 1 - first);
            ++options;
            std::string roff;  // the page writes each hyphen as \-
            for (char c : word) roff += c == '-' ? std::string("\\-") : std::string(1, c);
            EXPECT_TRUE(contains(page, roff)) << p.page << " lacks " << word;
        }
        EXPECT_GT(options, 0) << help.out;
    }
}

TEST_F(InstalledProgram, DesktopEntryPlaysTheInstalledSample) {
    std::string entry = readFile(at("share/applications/velmora.desktop"));
    EXPECT_TRUE(contains(entry, "\nExec=" + at("bin/velmora") + " --data " + at("share/velmora") + "\n")) << entry;
    EXPECT_TRUE(contains(entry, "\nIcon=velmora\n")) << entry;
    EXPECT_EQ(readFile(at("share/icons/hicolor/256x256/apps/velmora.png")).substr(1, 3), "PNG");
    EXPECT_TRUE(contains(readFile(at("share/doc/velmora/README.md")), "## Installing"));
}

// Started where there is no production, the player keeps its message and exit code and says where it
// looked and where the sample is; a damaged package gets no such line.
TEST_F(InstalledProgram, WithoutAProductionThePlayerPointsAtTheSample) {
    ProcessResult missing = runProcess({at("bin/velmora"), "--batch"}, {}, 60000, work.path);
    EXPECT_EQ(missing.exitCode, 3);
    EXPECT_TRUE(contains(missing.err, "Error: The data package \"./demo.dat\" cannot be opened.\n")) << missing.err;
    EXPECT_TRUE(contains(missing.err, "looked for demo.dat in " + work.path + ";")) << missing.err;
    EXPECT_TRUE(contains(missing.err, "--data " + at("share/velmora") + ")\n")) << missing.err;

    writeFile(work.path + "/demo.dat", "damaged");
    ProcessResult damaged = runProcess({at("bin/velmora"), "--batch"}, {}, 60000, work.path);
    EXPECT_EQ(damaged.exitCode, 3);
    EXPECT_FALSE(contains(damaged.err, "looked for")) << damaged.err;
}

}  // namespace
