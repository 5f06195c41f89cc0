// The score reader, the synthesiser and the Ogg Vorbis encoding of the production's music.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/platform.h"
#include "tools/content/ogg_encode.h"
#include "tools/content/synth.h"

namespace {

const char* const kShortScore =
    "title Test\n"
    "tempo 120\n"
    "meter 4\n"
    "tail 0.5\n"
    "instrument lead wave=saw voices=2 detune=10 release=0.1 cutoff=2000\n"
    "instrument hiss wave=noise decay=0.05 sustain=0 filter=bandpass cutoff=1 keytrack=1\n"
    "pattern tune lead 2   # eighth notes\n"
    "  A3 - C#4 . | v0.5 E4+A4 - - -\n"
    "end\n"
    "pattern ticks hiss 4\n"
    "  C8 . C8 .\n"
    "end\n"
    "at 1 tune\n"
    "at 2 tune x2 +12 v0.5\n"
    "at 1 ticks x4\n";

Score parse(const std::string& text) {
    Score score;
    std::string error;
    EXPECT_TRUE(parseScore(text, &score, &error)) << error;
    return score;
}

std::string parseError(const std::string& text) {
    Score score;
    std::string error;
    EXPECT_FALSE(parseScore(text, &score, &error));
    return error;
}

TEST(ContentScore, PatternsBecomeTimedNotes) {
    Score s = parse(kShortScore);
    ASSERT_EQ(s.instrumentCount, 2);
    EXPECT_EQ(s.title, "Test");
    // Bar 1: A3 held two steps, C#4, the chord; bar 2 twice, an octave up at half velocity; 4 ticks.
    ASSERT_EQ(s.notes.size(), 4u + 8u + 8u);
    const NoteEvent& a3 = s.notes[0];
    EXPECT_DOUBLE_EQ(a3.start, 0.0);
    EXPECT_DOUBLE_EQ(a3.length, 0.5);  // two eighths at 120 bpm
    EXPECT_FLOAT_EQ(a3.pitch, 57.0f);
    EXPECT_FLOAT_EQ(s.notes[1].pitch, 61.0f);  // the sharp is not a comment
    EXPECT_DOUBLE_EQ(s.notes[1].start, 0.5);
    EXPECT_DOUBLE_EQ(s.notes[2].length, 1.0);  // chord held four steps
    EXPECT_FLOAT_EQ(s.notes[2].velocity, 0.5f);
    const NoteEvent& repeat = s.notes[8];  // second repeat of bar 2
    EXPECT_DOUBLE_EQ(repeat.start, 2.0 + 2.0);
    EXPECT_FLOAT_EQ(repeat.pitch, 69.0f);
    EXPECT_FLOAT_EQ(repeat.velocity, 0.5f);
    EXPECT_DOUBLE_EQ(s.musicEnd, 6.0);
    EXPECT_DOUBLE_EQ(scoreDuration(s), 6.5);
}

TEST(ContentScore, MistakesNameTheirLine) {
    EXPECT_EQ(parseError("tempo 120\npattern p nobody 1\n C4\nend\n"), "line 2: no instrument named \"nobody\"");
    EXPECT_EQ(parseError("instrument a\npattern p a 1\n C4 H4\nend\nat 1 p\n"), "line 3: bad note \"H4\"");
    EXPECT_EQ(parseError("instrument a\npattern p a 1\n C4\n"), "line 3: pattern \"p\" has no end");
    EXPECT_EQ(parseError("instrument a volume=9\n"), "line 1: volume out of range");
    EXPECT_EQ(parseError("instrument a\npattern p a 1\n C4\nend\nat 1 q\n"), "line 5: no pattern named \"q\"");
    EXPECT_EQ(parseError("instrument a\n"), "line 1: the score places no notes");
}

TEST(ContentMusic, ShortPieceEncodesDecodesAndRepeatsByteForByte) {
    Score s = parse(kShortScore);
    Bytes first, second;
    size_t frames = 0;
    for (Bytes* out : {&first, &second}) {
        std::vector<float> left, right;
        renderScore(s, 0.0, &left, &right);
        frames = left.size();
        float peak = 0.0f;
        for (size_t i = 0; i < left.size(); ++i) peak = std::fmax(peak, std::fmax(std::fabs(left[i]), std::fabs(right[i])));
        EXPECT_NEAR(peak, s.master.gain, 1e-4);
        std::string error;
        ASSERT_TRUE(encodeOggVorbis(left.data(), right.data(), left.size(), SYNTH_RATE, 0.2f, MUSIC_STREAM_SERIAL,
                                    OggTags{s.title, s.artist}, out, &error))
            << error;
    }
    EXPECT_EQ(frames, size_t(std::ceil(6.5 * SYNTH_RATE)));
    ASSERT_GT(first.size(), 4u);
    EXPECT_EQ(std::string(first.begin(), first.begin() + 4), "OggS");
    EXPECT_TRUE(first == second);

    DecodedAudio decoded;
    std::string error;
    ASSERT_TRUE(decodeOggVorbis(first, &decoded, &error)) << error;
    EXPECT_EQ(decoded.channels, 2);
    EXPECT_EQ(decoded.rate, SYNTH_RATE);
    EXPECT_EQ(decoded.frames, int64_t(frames));
    EXPECT_GT(decoded.peak, 0.5);

    Bytes damaged(first.begin(), first.begin() + 40);
    EXPECT_FALSE(decodeOggVorbis(damaged, &decoded, &error));

    // The player's own music path (SDL_mixer) takes the stream, on the silent audio driver.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_TRUE(platformAudioOpen());
    EXPECT_TRUE(platformMusicCreate(first.data(), first.size()));
    platformMusicFree();
    EXPECT_FALSE(platformMusicCreate(damaged.data(), damaged.size()));
    platformAudioClose();
}

TEST(ContentMusic, ProductionScoreLastsLongerThanTheTimeline) {
    std::ifstream in(std::string(VELMORA_SOURCE_DIR) + "/content/music/score.txt");
    ASSERT_TRUE(in.good());
    std::stringstream text;
    text << in.rdbuf();
    Score s = parse(text.str());
    EXPECT_GE(s.musicEnd, 100.0);
    EXPECT_LE(scoreDuration(s), 130.0);  // and stays a modest download
    EXPECT_GE(s.instrumentCount, 4);
}

}  // namespace
