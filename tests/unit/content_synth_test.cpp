// The synthesiser's building blocks: a note's pitch, envelope and pan, the echo and the reverb.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "tools/content/noise.h"
#include "tools/content/synth.h"

namespace {

struct Buses {
    std::vector<float> left, right, reverb, echo;
    MixBuses mix;
    explicit Buses(size_t frames) : left(frames), right(frames), reverb(frames), echo(frames) {
        mix = MixBuses{left.data(), right.data(), reverb.data(), echo.data(), frames};
    }
};

Instrument plainSine() {
    Instrument in;
    std::memset(&in, 0, sizeof in);
    std::strcpy(in.name, "sine");
    in.wave = WAVE_SINE;
    in.voices = 1;
    in.attack = 0.0f;
    in.decay = 0.0f;
    in.sustain = 1.0f;
    in.release = 0.1f;
    in.filter = FILTER_LOWPASS;
    in.cutoff = 20000.0f;
    in.bendTime = 0.05f;
    in.volume = 1.0f;
    in.reverb = 0.5f;
    return in;
}

int risingZeroCrossings(const std::vector<float>& s, size_t from, size_t to) {
    int n = 0;
    for (size_t i = from + 1; i < to; ++i) n += s[i - 1] < 0.0f && s[i] >= 0.0f;
    return n;
}

TEST(ContentSynth, NoteHasItsPitchPanAndEnvelope) {
    Instrument in = plainSine();
    in.pan = -1.0f;
    Buses b(SYNTH_RATE * 2);
    renderNote(in, NoteEvent{0.25, 1.0, 0, 69.0f, 1.0f, 1}, &b.mix);  // A4 for one second from 0.25 s
    // 440 cycles in the held second.
    EXPECT_NEAR(risingZeroCrossings(b.left, SYNTH_RATE / 4, SYNTH_RATE * 5 / 4), 440, 1);
    float right = 0.0f, before = 0.0f, after = 0.0f;
    for (size_t i = 0; i < b.left.size(); ++i) {
        right = std::fmax(right, std::fabs(b.right[i]));
        if (i < size_t(SYNTH_RATE / 4)) before = std::fmax(before, std::fabs(b.left[i]));
        if (i > size_t(SYNTH_RATE * 1.36)) after = std::fmax(after, std::fabs(b.left[i]));
    }
    EXPECT_LT(right, 1e-6f);   // panned hard left
    EXPECT_EQ(before, 0.0f);   // nothing before the note
    EXPECT_EQ(after, 0.0f);    // nothing after its release
    EXPECT_NEAR(b.reverb[SYNTH_RATE / 2], b.left[SYNTH_RATE / 2] * 0.5f, 1e-6f);  // the send level
    EXPECT_EQ(b.echo[SYNTH_RATE / 2], 0.0f);
}

TEST(ContentSynth, BendStartsOffPitchAndSettles) {
    Instrument in = plainSine();
    in.bend = -12.0f;  // an octave below at the start
    in.bendTime = 0.05f;
    Buses b(SYNTH_RATE);
    renderNote(in, NoteEvent{0.0, 1.0, 0, 69.0f, 1.0f, 1}, &b.mix);
    int early = risingZeroCrossings(b.left, 0, SYNTH_RATE / 50);                         // first 20 ms
    int late = risingZeroCrossings(b.left, SYNTH_RATE / 2, SYNTH_RATE / 2 + SYNTH_RATE / 50);
    EXPECT_LT(early, 7);          // well under 440 Hz
    EXPECT_NEAR(late, 9, 1);      // 440 Hz: 8.8 cycles in 20 ms
}

TEST(ContentSynth, EchoPingsLeftThenRight) {
    const size_t frames = SYNTH_RATE;
    std::vector<float> send(frames), left(frames), right(frames), reverb(frames);
    send[0] = 1.0f;
    applyEcho(send.data(), frames, 0.1, 0.5f, left.data(), right.data(), reverb.data());
    size_t delay = SYNTH_RATE / 10;
    EXPECT_GT(left[delay], 0.0f);  // first repeat on the left
    EXPECT_EQ(right[delay], 0.0f);
    float firstRight = 0.0f, beforeLeft = 0.0f;
    for (size_t i = 0; i < delay; ++i) beforeLeft = std::fmax(beforeLeft, std::fabs(left[i]));
    for (size_t i = 2 * delay; i < 3 * delay; ++i) firstRight = std::fmax(firstRight, right[i]);
    EXPECT_EQ(beforeLeft, 0.0f);
    EXPECT_GT(firstRight, 0.0f);  // then on the right
    EXPECT_GT(reverb[delay], 0.0f);
}

TEST(ContentSynth, ReverbTailDecaysOnBothSides) {
    const size_t frames = SYNTH_RATE * 4;
    std::vector<float> send(frames), left(frames), right(frames);
    send[0] = 1.0f;
    applyReverb(send.data(), frames, 0.8f, 0.5f, 1.0f, left.data(), right.data());
    auto energy = [](const std::vector<float>& s, size_t from, size_t to) {
        double e = 0.0;
        for (size_t i = from; i < to; ++i) e += double(s[i]) * s[i];
        return e;
    };
    EXPECT_EQ(energy(left, 0, 200), 0.0);  // the shortest path is longer than 200 samples
    double early = energy(left, 0, SYNTH_RATE / 2), late = energy(left, SYNTH_RATE * 3, frames);
    EXPECT_GT(early, 0.0);
    EXPECT_LT(late, early * 0.05);
    EXPECT_GT(energy(right, 0, SYNTH_RATE / 2), 0.0);
    EXPECT_FALSE(left == right);  // the channels differ: a wide image
}

TEST(ContentNoise, RepeatsOverItsPeriodAndDependsOnlyOnItsSeed) {
    for (double x : {0.1, 2.7, 5.5})
        for (double y : {0.3, 3.9}) {
            EXPECT_NEAR(tileNoise(x, y, 6, 4, 9), tileNoise(x + 6.0, y, 6, 4, 9), 1e-12);
            EXPECT_NEAR(tileNoise(x, y, 6, 4, 9), tileNoise(x, y - 4.0, 6, 4, 9), 1e-12);
        }
    EXPECT_NE(tileNoise(0.5, 0.5, 6, 4, 9), tileNoise(0.5, 0.5, 6, 4, 10));
    Rng a = rngSeed(42), b = rngSeed(42);
    for (int i = 0; i < 100; ++i) {
        double u = rngUniform(&a);
        EXPECT_EQ(u, rngUniform(&b));
        EXPECT_GE(u, 0.0);
        EXPECT_LT(u, 1.0);
    }
}

}  // namespace
