// Bubble plumes: texture, corner attributes, emitters over time and the delayed start.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "base/crt_rand.h"
#include "effects/bubbles/bubbles.h"
#include "scene/effect_slot.h"

namespace {

EffectSlot slotFor(int32_t count, int32_t wrap, float delay) {
    EffectSlot slot = {};
    slot.count = count;
    const int32_t p[] = {0, 0, 0, wrap, 30, 15, 2, 5, 8, 0, 1, 20};
    for (int k = 0; k < 12; ++k) slot.intParams[k] = p[k];
    slot.floatParams[0] = delay;
    slot.reset = 1;
    return slot;
}

void release(BubblesState* s) {
    std::free(s->particles), std::free(s->positions), std::free(s->corners), std::free(s);
}

TEST(Bubbles, TextureCentreAndEdges) {
    std::vector<uint8_t> rgba(BUBBLE_TEXTURE_SIZE * BUBBLE_TEXTURE_SIZE * 4);
    bubbleTexture(rgba.data());
    const uint8_t* centre = &rgba[4 * (128 * BUBBLE_TEXTURE_SIZE + 128)];
    EXPECT_EQ(centre[0], 128);
    EXPECT_EQ(centre[1], 128);
    EXPECT_EQ(centre[2], 255);
    EXPECT_EQ(rgba[3], 0) << "a corner lies outside the sphere";
    // The softened rim: alpha falls off across the sphere's edge rather than stepping.
    int between = 0;
    for (int i = 0; i < BUBBLE_TEXTURE_SIZE; ++i) {
        uint8_t a = rgba[4 * (128 * BUBBLE_TEXTURE_SIZE + i) + 3];
        between += a > 0 && a < 255;
    }
    EXPECT_GE(between, 4);
}

TEST(Bubbles, SameSizesForEverySlotAndADelayedWhale) {
    EffectSlot a = slotFor(200, 40, 3.0f), b = slotFor(200, 40, 3.0f);
    BubblesState* whale = bubblesCreate(&a, BUBBLES_WHALE);
    crtRand();
    BubblesState* other = bubblesCreate(&b, BUBBLES_WHALE);
    ASSERT_TRUE(whale && other);
    for (int k = 0; k < 200 * 16; ++k) ASSERT_EQ(whale->corners[k], other->corners[k]) << k;
    EXPECT_FALSE(bubblesVisible(whale, 3000));
    EXPECT_TRUE(bubblesVisible(whale, 3001));
    // Still until the delay ends; then rising; a reset brings every bubble back to its seeded height.
    bubblesEmit(whale, &a, 0);
    const float start = whale->particles[0].h;
    bubblesEmit(whale, &a, 3000);
    EXPECT_EQ(whale->particles[0].h, start);
    bubblesEmit(whale, &a, 6000);
    EXPECT_GT(whale->particles[0].h, start);
    EXPECT_EQ(whale->positions[1], whale->particles[0].h);
    EXPECT_EQ(whale->positions[3 * 3 + 1], whale->particles[0].h) << "all four corners share the position";
    a.reset = 1;
    bubblesEmit(whale, &a, 100);
    EXPECT_EQ(whale->particles[0].h, start);
    release(whale);
    release(other);
}

TEST(Bubbles, PlumesWrapAtTheirHeightAndKeepTheirPlaceOnReset) {
    EffectSlot slot = slotFor(50, 2, 0.0f);
    BubblesState* s = bubblesCreate(&slot, BUBBLES_PLAIN);
    ASSERT_TRUE(s);
    bubblesEmit(s, &slot, 0);
    float highest = 0.0f;
    for (int32_t t = 0; t < 120000; t += 40) {
        bubblesEmit(s, &slot, t);
        for (int k = 0; k < s->count; ++k) highest = std::fmax(highest, s->particles[k].h);
    }
    EXPECT_LE(highest, 2.0f);
    const float h = s->particles[3].h;
    slot.reset = 1;
    bubblesEmit(s, &slot, 500);
    EXPECT_EQ(s->particles[3].h, h);
    release(s);
    // Zero divisors in the parameters give finite sizes; an absurd count is capped.
    EffectSlot zero = {};
    zero.count = 1 << 20;
    s = bubblesCreate(&zero, BUBBLES_DZIAD);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->count, BUBBLE_MAX_PARTICLES);
    bubblesEmit(s, &zero, 1000);
    for (int k = 0; k < 64; ++k) ASSERT_TRUE(std::isfinite(s->corners[k]) && std::isfinite(s->positions[k]));
    release(s);
}

}  // namespace
