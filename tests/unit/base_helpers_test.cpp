#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "base/crt_rand.h"
#include "base/float_byte.h"
#include "base/parallel_slices.h"

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

// Every slice once, whatever the count against the cores: a range dropped or run twice would leave a
// plane of a volume unbuilt or built by two threads at once.
TEST(ForEachSlice, EverySliceExactlyOnce) {
    for (int32_t count : {0, 1, 2, 3, 7, 64, 257}) {
        std::vector<int> visits(size_t(count) + 1, 0);  // one past the end catches an overrun
        forEachSlice(
            count,
            [](int32_t first, int32_t end, void* context) {
                int* v = static_cast<int*>(context);
                for (int32_t k = first; k < end; ++k) ++v[k];
            },
            visits.data());
        for (int32_t k = 0; k < count; ++k) EXPECT_EQ(visits[size_t(k)], 1) << k << " of " << count;
        EXPECT_EQ(visits[size_t(count)], 0) << count;
    }
}
