#include <gtest/gtest.h>

#include <cmath>

#include "base/crt_rand.h"
#include "base/float_byte.h"

TEST(CrtRand, SequencesMatchTheProductionsCLibrary) {
    crtSrand(0);
    const int32_t fromZero[] = {38, 7719, 21238, 2437, 8855};
    for (int32_t expected : fromZero) EXPECT_EQ(crtRand(), expected);
    crtSrand(1);
    EXPECT_EQ(crtRand(), 41);  // the first draw of an unseeded program
}

TEST(FloatToByte, EveryInputHasADefinedByte) {
    const struct {
        float in;
        uint8_t out;
    } cases[] = {{0.0f, 0}, {127.9f, 127}, {254.99f, 254}, {255.0f, 255}, {256.0f, 255}, {1e30f, 255},
                 {-0.5f, 0}, {-1e30f, 0}, {NAN, 0}, {INFINITY, 255}, {-INFINITY, 0}};
    for (const auto& c : cases) EXPECT_EQ(floatToByte(c.in), c.out) << c.in;
}
