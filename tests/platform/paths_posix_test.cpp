#include <gtest/gtest.h>

#include <string_view>
#include <utility>
#include <vector>

#include "platform/paths.h"

namespace {

TEST(PathRules, OnlySlashSeparatesAndNothingPrecedesTheRoot) {
    EXPECT_TRUE(isPathSeparator('/'));
    for (const char c : {'\\', ':', '.', '\0'}) {
        EXPECT_FALSE(isPathSeparator(c)) << int(c);
    }
    const std::vector<std::pair<std::string_view, std::size_t>> cases = {
        {"", 0},    {"/", 1},        {"x.ce2", 0},   {"/work/x.ce2", 6},
        {"a//", 3}, {"a\\b.ce2", 0}, {"C:x.ce2", 0}, {"//srv/share/x", 12},
    };
    for (const auto& [path, start] : cases) {
        EXPECT_EQ(rootPrefixLength(path), 0u) << path;
        EXPECT_EQ(finalComponentStart(path), start) << path;
    }
}

}  // namespace
