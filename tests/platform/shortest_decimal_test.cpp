#include "platform/shortest_decimal.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

std::string byToChars(double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

// The snprintf form is what the WebAssembly build writes: it must give to_chars's bytes, which
// the other builds write, for the stretches of texts and for any other finite value.
TEST(ShortestDecimal, PrintfFormEqualsToChars) {
    std::vector<double> values = {0.0,
                                  -0.0,
                                  1.0,
                                  -1.5,
                                  100000.0,
                                  123456.0,
                                  1e-5,
                                  0.0001,
                                  0.1 + 0.2,
                                  1e22,
                                  1e23,
                                  std::numeric_limits<double>::max(),
                                  std::numeric_limits<double>::min(),
                                  std::numeric_limits<double>::denorm_min()};
    for (int n = 1; n <= 300; ++n) {
        for (int d = 1; d <= 300; ++d) {
            values.push_back(static_cast<double>(n) / d);
        }
    }
    for (int e = -30; e <= 30; ++e) {
        values.push_back(std::pow(10.0, e));
        values.push_back(3 * std::pow(10.0, e));
    }
    std::mt19937_64 random(12345);
    while (values.size() < 200000) {
        const double v = std::bit_cast<double>(random());
        if (std::isfinite(v)) {
            values.push_back(v);
        }
    }
    int mismatches = 0;
    for (const double v : values) {
        const std::string expected = byToChars(v);
        if (shortestDecimalByPrintf(v) != expected && ++mismatches <= 5) {
            ADD_FAILURE() << expected << " written as " << shortestDecimalByPrintf(v);
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(ShortestDecimal, AppendsToTheText) {
    std::string out = "scale(";
    appendShortestDecimal(0.75, out);
    appendShortestDecimal(2e-7, out);
    EXPECT_EQ(out, "scale(0.752e-07");
}

}  // namespace
