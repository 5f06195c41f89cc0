// Keyed curves: shapes, behaviours on both sides, and reading envelope blocks from files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "data/package.h"
#include "scene/envelope.h"
#include "tests/support/test_package.h"

namespace {

EnvelopeKey key(float time, float value, uint32_t shape = SHAPE_TCB) {
    EnvelopeKey k = {};
    k.time = time;
    k.value = value;
    k.shape = shape;
    return k;
}

// Links the keys in order and wraps them in an envelope (the vector must outlive it).
Envelope curve(std::vector<EnvelopeKey>& keys, int32_t pre = BEHAVIOR_CONSTANT, int32_t post = BEHAVIOR_CONSTANT) {
    for (size_t i = 0; i < keys.size(); ++i) {
        keys[i].prev = i ? &keys[i - 1] : nullptr;
        keys[i].next = i + 1 < keys.size() ? &keys[i + 1] : nullptr;
    }
    Envelope e = {keys.empty() ? nullptr : keys.data(), static_cast<int32_t>(keys.size()), pre, post};
    return e;
}

TEST(EnvelopeEval, EmptyIsZeroAndOneKeyIsConstantEverywhere) {
    Envelope empty = {nullptr, 0, 0, 0};
    EXPECT_EQ(evalEnvelope(&empty, 3.0f), 0.0f);
    std::vector<EnvelopeKey> keys = {key(1.0f, 7.5f)};
    Envelope one = curve(keys, BEHAVIOR_RESET, BEHAVIOR_RESET);
    for (float t : {-100.0f, 0.0f, 1.0f, 2.0f, 1e6f}) EXPECT_EQ(evalEnvelope(&one, t), 7.5f) << t;
}

TEST(EnvelopeEval, LinearSteppedAndUnknownShapes) {
    std::vector<EnvelopeKey> keys = {key(0, 1, SHAPE_LINEAR), key(2, 5, SHAPE_LINEAR), key(3, 9, SHAPE_STEPPED),
                                     key(4, 2, 17)};
    Envelope e = curve(keys);
    EXPECT_EQ(evalEnvelope(&e, 0.5f), 2.0f);
    EXPECT_EQ(evalEnvelope(&e, 1.5f), 4.0f);
    // A stepped key holds the previous value until its own time.
    EXPECT_EQ(evalEnvelope(&e, 2.9f), 5.0f);
    EXPECT_EQ(evalEnvelope(&e, 3.0f), 9.0f);
    // A shape the player does not know contributes nothing but the behaviour's offset.
    EXPECT_EQ(evalEnvelope(&e, 3.5f), 0.0f);
    EXPECT_EQ(evalEnvelope(&e, 4.0f), 2.0f);
}

TEST(EnvelopeEval, TcbSplines) {
    // Without neighbours the tangents are the chord scaled by the TCB factors.
    std::vector<EnvelopeKey> plain = {key(0, 0), key(1, 1)};
    Envelope e = curve(plain);
    EXPECT_FLOAT_EQ(evalEnvelope(&e, 0.25f), 0.25f);
    // Full tension flattens both tangents: the smooth step 3t^2 - 2t^3.
    plain[0].tension = plain[1].tension = 1.0f;
    EXPECT_FLOAT_EQ(evalEnvelope(&e, 0.25f), 0.15625f);

    // A peak: the tangent at the middle key is flat, so the first span rises to it with zero slope.
    std::vector<EnvelopeKey> peak = {key(0, 0), key(1, 1), key(2, 0)};
    Envelope p = curve(peak);
    EXPECT_FLOAT_EQ(evalEnvelope(&p, 0.5f), 0.625f);
    EXPECT_FLOAT_EQ(evalEnvelope(&p, 1.5f), 0.625f);
    // Bias -1 at the middle key weights only the chord after it:
    // incoming = ((1 - 0) / (2 - 0)) * (2 * (0 - 1) + 0 * 1) = -1.
    peak[1].bias = -1.0f;
    EXPECT_FLOAT_EQ(evalEnvelope(&p, 0.5f), 0.5f + 0.125f * 1.0f - 0.125f * -1.0f);
}

TEST(EnvelopeEval, HermiteAndBezierUseTheKeyTangents) {
    for (uint32_t shape : {uint32_t(SHAPE_HERMITE), uint32_t(SHAPE_BEZIER)}) {
        std::vector<EnvelopeKey> keys = {key(0, 0, shape), key(1, 1, shape)};
        keys[0].param[1] = 2.0f;  // outgoing of the first key
        keys[1].param[0] = 4.0f;  // incoming of the second key
        Envelope e = curve(keys);
        // h1 0.5, h2 0.5, h3 0.125, h4 -0.125
        EXPECT_FLOAT_EQ(evalEnvelope(&e, 0.5f), 0.5f + 0.125f * 2.0f - 0.125f * 4.0f) << shape;
        // With a key before, the outgoing tangent is scaled by span / (span + previous span).
        std::vector<EnvelopeKey> three = {key(-3, 0, shape), key(0, 0, shape), key(1, 1, shape)};
        three[1].param[1] = 2.0f;
        Envelope f = curve(three);
        EXPECT_FLOAT_EQ(evalEnvelope(&f, 0.5f), 0.5f + 0.125f * 2.0f * 0.25f) << shape;
    }
}

TEST(EnvelopeEval, TwoDimensionalBezier) {
    // Handles a third of the way along a straight line: the curve is the line itself.
    std::vector<EnvelopeKey> keys = {key(0, 0, SHAPE_BEZIER2D), key(3, 6, SHAPE_BEZIER2D)};
    keys[0].param[2] = 1.0f;
    keys[0].param[3] = 2.0f;
    keys[1].param[0] = -1.0f;
    keys[1].param[1] = -2.0f;
    Envelope e = curve(keys);
    for (float t : {0.3f, 1.0f, 1.7f, 2.9f}) EXPECT_NEAR(evalEnvelope(&e, t), 2.0f * t, 0.001f) << t;

    // An ease-in handle bends the curve below the chord.
    keys[1].param[0] = -0.01f;
    keys[1].param[1] = -0.01f;
    keys[0].param[2] = 2.9f;
    keys[0].param[3] = 0.0f;
    EXPECT_LT(evalEnvelope(&e, 1.5f), 3.0f);

    // A key of another shape before a 2D span uses a third of the span and of its outgoing tangent.
    std::vector<EnvelopeKey> mixed = {key(0, 0, SHAPE_HERMITE), key(3, 6, SHAPE_BEZIER2D)};
    mixed[0].param[1] = 6.0f;
    mixed[1].param[0] = -1.0f;
    mixed[1].param[1] = -2.0f;
    Envelope m = curve(mixed);
    EXPECT_NEAR(evalEnvelope(&m, 1.5f), 3.0f, 0.001f);
}

TEST(EnvelopeEval, TwoDimensionalBezierSearchAlwaysEnds) {
    std::vector<EnvelopeKey> keys = {key(0, 0, SHAPE_BEZIER2D), key(1, 1, SHAPE_BEZIER2D)};
    Envelope e = curve(keys);
    // No curve parameter can come within the tolerance of a NaN time.
    float n = evalEnvelope(&e, std::numeric_limits<float>::quiet_NaN());
    EXPECT_GE(n, 0.0f);
    EXPECT_LE(n, 1.0f);
    // Far from zero a float step is coarser than the tolerance.
    std::vector<EnvelopeKey> late = {key(40000, 0, SHAPE_BEZIER2D), key(40001, 1, SHAPE_BEZIER2D)};
    Envelope l = curve(late);
    float v = evalEnvelope(&l, 40000.33f);
    EXPECT_GE(v, 0.0f);
    EXPECT_LE(v, 1.0f);
}

TEST(EnvelopeEval, TinyTwoDimensionalTangentWeightMultipliesInsteadOfDividing) {
    // The tangents show through the linear behaviours.
    std::vector<EnvelopeKey> keys = {key(0, 0, SHAPE_BEZIER2D), key(1, 0, SHAPE_BEZIER2D)};
    keys[0].param[3] = 1e-6f;
    keys[1].param[1] = 1e-6f;
    Envelope e = curve(keys, BEHAVIOR_LINEAR, BEHAVIOR_LINEAR);
    keys[0].param[2] = 0.00001f;
    keys[1].param[0] = -0.00001f;
    EXPECT_FLOAT_EQ(evalEnvelope(&e, -1.0f), -0.1f);
    EXPECT_FLOAT_EQ(evalEnvelope(&e, 2.0f), 0.1f);
    keys[0].param[2] = 0.00002f;
    keys[1].param[0] = 0.00002f;
    EXPECT_FLOAT_EQ(evalEnvelope(&e, -1.0f), -0.05f);
    EXPECT_FLOAT_EQ(evalEnvelope(&e, 2.0f), 0.05f);
}

TEST(EnvelopeEval, ResetConstantAndLinearOnBothSides) {
    std::vector<EnvelopeKey> keys = {key(0, 1, SHAPE_LINEAR), key(2, 3, SHAPE_LINEAR)};
    Envelope e = curve(keys, BEHAVIOR_RESET, BEHAVIOR_RESET);
    EXPECT_EQ(evalEnvelope(&e, -1.0f), 0.0f);
    EXPECT_EQ(evalEnvelope(&e, 3.0f), 0.0f);
    EXPECT_EQ(evalEnvelope(&e, 2.0f), 3.0f);
    e.preBehavior = e.postBehavior = BEHAVIOR_CONSTANT;
    EXPECT_EQ(evalEnvelope(&e, -1.0f), 1.0f);
    EXPECT_EQ(evalEnvelope(&e, 3.0f), 3.0f);
    e.preBehavior = e.postBehavior = BEHAVIOR_LINEAR;
    EXPECT_FLOAT_EQ(evalEnvelope(&e, -1.0f), 0.0f);
    EXPECT_FLOAT_EQ(evalEnvelope(&e, 3.0f), 4.0f);
}

TEST(EnvelopeEval, RepeatOscillateAndOffsetRepeatOnBothSides) {
    std::vector<EnvelopeKey> keys = {key(0, 1, SHAPE_LINEAR), key(2, 3, SHAPE_LINEAR)};
    Envelope e = curve(keys, BEHAVIOR_REPEAT, BEHAVIOR_REPEAT);
    EXPECT_FLOAT_EQ(evalEnvelope(&e, 2.5f), 1.5f);  // the value at 0.5
    EXPECT_FLOAT_EQ(evalEnvelope(&e, -0.5f), 2.5f);
    EXPECT_FLOAT_EQ(evalEnvelope(&e, 6.5f), 1.5f);
    e.preBehavior = e.postBehavior = BEHAVIOR_OSCILLATE;
    EXPECT_FLOAT_EQ(evalEnvelope(&e, 2.5f), 2.5f);   // odd period: mirrored, the value at 1.5
    EXPECT_FLOAT_EQ(evalEnvelope(&e, 4.5f), 1.5f);   // even period: forwards
    EXPECT_FLOAT_EQ(evalEnvelope(&e, -0.5f), 1.5f);  // mirrored before the start too
    e.preBehavior = e.postBehavior = BEHAVIOR_OFFSET_REPEAT;
    EXPECT_FLOAT_EQ(evalEnvelope(&e, 2.5f), 3.5f);
    EXPECT_FLOAT_EQ(evalEnvelope(&e, 4.5f), 5.5f);
    EXPECT_FLOAT_EQ(evalEnvelope(&e, -0.5f), 0.5f);
    // On a key, the key's value plus the periods' offset.
    EXPECT_FLOAT_EQ(evalEnvelope(&e, 4.0f), 5.0f);
    EXPECT_FLOAT_EQ(evalEnvelope(&e, 6.0f), 7.0f);
}

TEST(EnvelopeEval, BehaviourExamplesWithSplines) {
    std::vector<EnvelopeKey> a = {key(0, 0), key(2, 4)};
    Envelope repeat = curve(a, BEHAVIOR_REPEAT, BEHAVIOR_REPEAT);
    EXPECT_EQ(evalEnvelope(&repeat, 2.5f), evalEnvelope(&repeat, 0.5f));
    std::vector<EnvelopeKey> b = {key(0, 0), key(1, 1)};
    Envelope offset = curve(b, BEHAVIOR_OFFSET_REPEAT, BEHAVIOR_OFFSET_REPEAT);
    EXPECT_FLOAT_EQ(evalEnvelope(&offset, 1.5f), 1.5f);
    Envelope oscillate = curve(b, BEHAVIOR_OSCILLATE, BEHAVIOR_OSCILLATE);
    EXPECT_FLOAT_EQ(evalEnvelope(&oscillate, 1.25f), evalEnvelope(&oscillate, 0.75f));
}

TEST(EnvelopeEval, PeriodsCountFromTheFirstKeyWhenItIsNotAtZero) {
    std::vector<EnvelopeKey> keys = {key(1, 10, SHAPE_LINEAR), key(3, 30, SHAPE_LINEAR)};
    Envelope e = curve(keys, BEHAVIOR_REPEAT, BEHAVIOR_REPEAT);
    EXPECT_FLOAT_EQ(evalEnvelope(&e, 3.5f), 15.0f);  // half a second into the next period
    EXPECT_FLOAT_EQ(evalEnvelope(&e, 0.5f), 25.0f);
    e.preBehavior = e.postBehavior = BEHAVIOR_OSCILLATE;
    EXPECT_FLOAT_EQ(evalEnvelope(&e, 3.5f), 25.0f);
    EXPECT_FLOAT_EQ(evalEnvelope(&e, 0.5f), 15.0f);
    e.preBehavior = e.postBehavior = BEHAVIOR_OFFSET_REPEAT;
    EXPECT_FLOAT_EQ(evalEnvelope(&e, 3.5f), 35.0f);
}

TEST(EnvelopeEval, UnknownBehaviourStaysOnTheEndSpans) {
    std::vector<EnvelopeKey> keys = {key(0, 0, SHAPE_LINEAR), key(1, 1, SHAPE_LINEAR), key(2, 3, SHAPE_LINEAR)};
    Envelope e = curve(keys, 9, 9);
    EXPECT_FLOAT_EQ(evalEnvelope(&e, 3.0f), 5.0f);
    EXPECT_FLOAT_EQ(evalEnvelope(&e, -1.0f), -1.0f);
}

// ---- reading ----

class EnvelopeRead : public ::testing::Test {
protected:
    void TearDown() override { packageRelease(); }
    // Loads text as "Demo/a.env" and reads it; returns the messages written.
    std::string load(const std::string& text, Envelope* envelope, bool* ok) {
        loadTestPackage({{"Demo/a.env", text}});
        testing::internal::CaptureStderr();
        *ok = loadEnvelopeFile(envelope, "Demo/a.env");
        return testing::internal::GetCapturedStderr();
    }
};

TEST_F(EnvelopeRead, KeysKeepTheirParametersByShapeAndLinks) {
    Envelope e;
    bool ok = false;
    std::string err = load(
        "{ Envelope\n  6\n"
        "  Key 1.5 0 0 0.1 0.2 0.3 0.4 0.5 0.6\n"
        "  Key 2 1 3 9 9 9 9 9 9\n"
        "  Key 3 2 1 0.7 0.8 0.9 1.1 1.2 1.3\n"
        "  Key 4 3 4 8 8 8 8 8 8\n"
        "  Key 5 4 5 2.1 2.2 2.3 2.4 2.5 2.6\n"
        "  Key 6 5 2 3.1 3.2 3.3 3.4 3.5 3.6\n"
        "  Behaviors 2 4\n}\n",
        &e, &ok);
    ASSERT_TRUE(ok) << err;
    EXPECT_EQ(err, "");
    ASSERT_EQ(e.keyCount, 6);
    EXPECT_EQ(e.preBehavior, 2);
    EXPECT_EQ(e.postBehavior, 4);
    const EnvelopeKey* k = e.keys;
    const float values[6] = {1.5f, 2, 3, 4, 5, 6};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(k[i].prev, i ? &k[i - 1] : nullptr);
        EXPECT_EQ(k[i].next, i < 5 ? &k[i + 1] : nullptr);
        EXPECT_EQ(k[i].value, values[i]) << i;
        EXPECT_FLOAT_EQ(k[i].time, static_cast<float>(i));
    }
    EXPECT_EQ(k[0].shape, 0u);
    EXPECT_FLOAT_EQ(k[0].tension, 0.1f);
    EXPECT_FLOAT_EQ(k[0].continuity, 0.2f);
    EXPECT_FLOAT_EQ(k[0].bias, 0.3f);
    EXPECT_FLOAT_EQ(k[0].param[0], 0.4f);
    EXPECT_FLOAT_EQ(k[0].param[1], 0.5f);
    EXPECT_EQ(k[0].param[2], 0.0f);  // the sixth parameter is dropped
    // Linear and stepped keys read their six numbers and keep none of them.
    EXPECT_EQ(k[1].shape, 3u);
    EXPECT_EQ(k[1].tension, 0.0f);
    EXPECT_EQ(k[1].param[0], 0.0f);
    EXPECT_EQ(k[3].shape, 4u);
    EXPECT_EQ(k[3].bias, 0.0f);
    EXPECT_EQ(k[2].shape, 1u);
    EXPECT_FLOAT_EQ(k[2].param[1], 1.2f);
    EXPECT_EQ(k[4].shape, 5u);
    EXPECT_EQ(k[4].tension, 0.0f);
    EXPECT_FLOAT_EQ(k[4].param[0], 2.1f);
    EXPECT_FLOAT_EQ(k[4].param[3], 2.4f);
    EXPECT_EQ(k[5].shape, 2u);
    EXPECT_FLOAT_EQ(k[5].tension, 3.1f);
    EXPECT_FLOAT_EQ(k[5].param[1], 3.5f);
    EXPECT_FLOAT_EQ(evalEnvelope(&e, 2.0f), 3.0f);
    releaseEnvelope(&e);
    EXPECT_EQ(e.keyCount, 0);
    EXPECT_EQ(evalEnvelope(&e, 2.0f), 0.0f);
}

TEST_F(EnvelopeRead, SceneChannelsAreReadInOrder) {
    const char* text =
        "ObjectMotion\nNumChannels 2\nChannel 0\n{ Envelope\n  1\n  Key 4 0 0 0 0 0 0 0 0\n  Behaviors 1 1\n}\n"
        "Channel 1\n{ Envelope\n  2\n  Key 0 0 3 0 0 0 0 0 0\n  Key 10 1 3 0 0 0 0 0 0\n  Behaviors 1 5\n}\n"
        "ParentItem 10000000\n";
    loadTestPackage({{"Demo/s.lws", text}});
    DemoFile f = fileOpen("Demo/s.lws", "r");
    ASSERT_NE(f, nullptr);
    char word[64];
    ASSERT_EQ(fileScan(f, "%63s", word), 1);  // the motion keyword, as the scene reader leaves it
    Envelope channels[2];
    ASSERT_TRUE(readMotion(channels, 2, f));
    EXPECT_EQ(evalEnvelope(&channels[0], 5.0f), 4.0f);
    EXPECT_FLOAT_EQ(evalEnvelope(&channels[1], 0.5f), 5.0f);
    EXPECT_FLOAT_EQ(evalEnvelope(&channels[1], 2.0f), 20.0f);
    // The reader stops after the last block's closing brace.
    ASSERT_EQ(fileScan(f, "%63s", word), 1);
    EXPECT_STREQ(word, "ParentItem");
    fileClose(f);
    for (Envelope& c : channels) releaseEnvelope(&c);
}

TEST_F(EnvelopeRead, MissingFileIsReportedAndEvaluatesToZero) {
    loadTestPackage({{"Demo/other.env", "{ Envelope 0 Behaviors 1 1 }"}});
    Envelope e;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(loadEnvelopeFile(&e, "Demo/none.env"));
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Demo/none.env"), std::string::npos) << err;
    EXPECT_EQ(e.keyCount, 0);
    EXPECT_EQ(evalEnvelope(&e, 1.0f), 0.0f);
}

TEST_F(EnvelopeRead, AbsurdKeyCountsAreRefusedNamingTheFile) {
    for (const char* count : {"1000000000", "-3", "2147483647", "40"}) {
        SCOPED_TRACE(count);
        Envelope e;
        bool ok = true;
        std::string err = load(std::string("{ Envelope\n  ") + count + "\n  Key 0 0 0 0 0 0 0 0 0\n  Behaviors 1 1\n}\n",
                               &e, &ok);
        EXPECT_FALSE(ok);
        EXPECT_NE(err.find("Demo/a.env"), std::string::npos) << err;
        EXPECT_EQ(e.keyCount, 0);
        EXPECT_EQ(e.keys, nullptr);
    }
}

TEST_F(EnvelopeRead, TruncatedOrEmptyFilesEndTheReadWithAMessage) {
    for (const char* text : {"", "{ Env", "{ Envelope", "{ Envelope 2 Key 1 0 0 0 0 0 0 0 0 Key 2 1 0 0 0 0 0 0 0 ",
                             "{ Envelope 2 Key 1 0 0 0 0 0 0 0 0 Key 2 1 0 0 0 0 0 0 0 Behaviors",
                             "{ Envelope 1 Key 1 0 0 0 0 0 x 0 0 Behaviors 1 1 }"}) {
        SCOPED_TRACE(text);
        Envelope e;
        bool ok = true;
        std::string err = load(text, &e, &ok);
        EXPECT_FALSE(ok);
        EXPECT_NE(err.find("Demo/a.env"), std::string::npos) << err;
        EXPECT_EQ(e.keyCount, 0);
    }
}

TEST_F(EnvelopeRead, AMissingClosingBraceAtTheEndIsHarmless) {
    Envelope e;
    bool ok = false;
    std::string err = load("{ Envelope 1 Key 2.5 0 0 0 0 0 0 0 0 Behaviors 1 1", &e, &ok);
    EXPECT_TRUE(ok) << err;
    EXPECT_EQ(evalEnvelope(&e, 0.0f), 2.5f);
    releaseEnvelope(&e);
    // A later channel that never comes is an error, not a hang.
    loadTestPackage({{"m", "{ Envelope 0 Behaviors 1 1 }"}});
    Envelope two[2];
    testing::internal::CaptureStderr();
    EXPECT_FALSE(readMotion(two, 2, fileOpen("m", "r")));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("\"m\""), std::string::npos);
}

}  // namespace
