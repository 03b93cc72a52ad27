#include <gtest/gtest.h>

#include "model/part_library.h"

namespace {

class PartRegistry : public ::testing::Test {
  protected:
    void TearDown() override { clearPartLibraries(); }
};

PartLibrary libraryOf(std::initializer_list<const char*> names) {
    PartLibrary library;
    for (const char* n : names) {
        library.parts.push_back(LibraryPart{n, {1, 1}, 1, {}});
    }
    return library;
}

TEST_F(PartRegistry, LookupOrderCaseAndIndexes) {
    const PartLibrary first = libraryOf({"R", "Gate"});
    const PartLibrary second = libraryOf({"gate", "Op-Amp"});
    const PartLibrary extra = libraryOf({"Xtal", "OP-AMP"});
    EXPECT_EQ(findLibraryPart("R", nullptr, nullptr, nullptr), nullptr);  // empty registry
    ASSERT_TRUE(registerPartLibrary(&first));
    ASSERT_TRUE(registerPartLibrary(&second));
    EXPECT_EQ(partLibraryCount(), 2);

    struct Case {
        const char* name;
        const PartLibrary* extra;
        const LibraryPart* found;
        int library, part;
    };
    const Case cases[] = {
        {"GATE", nullptr, &first.parts[1], 0, 1},  // the first match wins
        {"op-amp", &extra, &second.parts[1], 1, 1},
        {"xTAL", &extra, &extra.parts[0], 2, 0},  // the extra library counts as index 2
        {"Xtal", nullptr, nullptr, -1, -1},
        {"Gat", nullptr, nullptr, -1, -1},  // whole names only
        {"Gates", nullptr, nullptr, -1, -1},
        {"", nullptr, nullptr, -1, -1},
        {nullptr, &extra, nullptr, -1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name != nullptr ? c.name : "(null)");
        int library = -1;
        int part = -1;
        EXPECT_EQ(findLibraryPart(c.name, &library, &part, c.extra), c.found);
        EXPECT_EQ(library, c.library);
        EXPECT_EQ(part, c.part);
        EXPECT_EQ(findLibraryPart(c.name, nullptr, nullptr, c.extra), c.found);
    }
}

TEST_F(PartRegistry, HoldsSixteenAndClears) {
    const PartLibrary library = libraryOf({"P"});
    EXPECT_FALSE(registerPartLibrary(nullptr));
    for (int i = 0; i < kMaxPartLibraries; ++i) {
        EXPECT_TRUE(registerPartLibrary(&library));
    }
    EXPECT_FALSE(registerPartLibrary(&library));
    EXPECT_EQ(partLibraryCount(), kMaxPartLibraries);
    const PartLibrary extra = libraryOf({"Q"});
    int index = -1;
    EXPECT_EQ(findLibraryPart("q", &index, nullptr, &extra), &extra.parts[0]);
    EXPECT_EQ(index, kMaxPartLibraries);

    clearPartLibraries();
    EXPECT_EQ(partLibraryCount(), 0);
    EXPECT_EQ(findLibraryPart("P", nullptr, nullptr, nullptr), nullptr);
}

}  // namespace
