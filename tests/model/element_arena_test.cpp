#include "model/element_arena.h"

#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <vector>

#include "model/comment.h"
#include "model/document.h"
#include "model/document_test_files.h"
#include "model/junction.h"

namespace {

// Counts the destructions of its instances.
class CountedJunction : public SchJunction {
  public:
    explicit CountedJunction(int* destroyed = nullptr) : destroyed_(destroyed) {}
    ~CountedJunction() override {
        if (destroyed_ != nullptr) {
            ++*destroyed_;
        }
    }

  private:
    int* destroyed_;
};

TEST(SchElementArena, ElementsLiveInPlaceAndTheirSpaceIsUsedAgain) {
    SchElementArena arena;
    std::vector<SchElementPtr> first;
    for (int i = 0; i < 5000; ++i) {
        first.push_back(i % 2 == 0 ? arena.make<SchJunction>() : arena.make<SchComment>());
    }
    EXPECT_EQ(arena.liveCount(), 5000u);
    const std::size_t reserved = arena.reservedBytes();
    EXPECT_GT(reserved, 0u);
    // Built one after another in the arena's blocks: far fewer blocks than elements.
    EXPECT_LT(reserved, 5000 * 2 * sizeof(SchComment));
    const SchElement* firstPlace = first.front().get();

    first.clear();
    EXPECT_EQ(arena.liveCount(), 0u);
    std::vector<SchElementPtr> second;
    for (int i = 0; i < 5000; ++i) {
        second.push_back(i % 2 == 0 ? arena.make<SchJunction>() : arena.make<SchComment>());
    }
    EXPECT_EQ(second.front().get(), firstPlace);
    EXPECT_EQ(arena.reservedBytes(), reserved);
}

// A drawing of many records that are read and rejected costs no more memory than one record.
TEST(SchElementArena, TheSpaceOfARejectedElementIsTakenByTheNext) {
    SchElementArena arena;
    const SchElementPtr kept = arena.make<SchJunction>();
    const void* place = nullptr;
    for (int i = 0; i < 100000; ++i) {
        SchElementPtr rejected = i % 2 == 0 ? arena.make<SchComment>() : arena.make<SchJunction>();
        if (place == nullptr) {
            place = rejected.get();
        }
        ASSERT_EQ(rejected.get(), place) << i;
    }
    EXPECT_EQ(arena.liveCount(), 1u);
    EXPECT_EQ(arena.reservedBytes(), SchElementArena().reservedBytes() + (std::size_t{1} << 16));
}

// Fails as a text that finds no memory does.
class UnbuildableJunction : public SchJunction {
  public:
    UnbuildableJunction() { throw std::bad_alloc(); }
};

TEST(SchElementArena, AnElementThatCannotBeBuiltGivesItsSpaceBack) {
    SchElementArena arena;
    SchElementPtr first = arena.make<SchJunction>();
    const SchElement* place = first.get();
    EXPECT_THROW(arena.make<UnbuildableJunction>(), std::bad_alloc);
    EXPECT_EQ(arena.liveCount(), 1u);
    first.reset();
    EXPECT_EQ(arena.liveCount(), 0u);
    EXPECT_EQ(arena.make<SchJunction>().get(), place);
}

TEST(SchElementDeleter, DestroysArenaElementsAndDeletesOthers) {
    int destroyed = 0;
    SchElementArena arena;
    {
        const SchElementPtr inArena(arena.make<SchJunction>());
        const SchElementPtr handedOver = std::make_unique<CountedJunction>(&destroyed);
        EXPECT_EQ(arena.liveCount(), 1u);
    }
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(arena.liveCount(), 0u);
}

class SchDocumentArena : public TempDirTest {};

// Elements read by load live in the document's arena; editing them works as on handed-over ones.
TEST_F(SchDocumentArena, LoadedElementsGoThroughCommitAndPurge) {
    SchDocument doc;
    for (int i = 0; i < 3; ++i) {
        auto e = std::make_unique<SchJunction>();
        e->p1 = SchPoint(10 * (i + 1), 10);
        doc.append(std::move(e));
    }
    const std::string path = pathOf("history.ce3");
    ASSERT_EQ(doc.save(path.c_str()), 0);
    ASSERT_EQ(doc.elements.size(), 3u);

    SchElement* old = doc.elements[1].get();
    for (int op = 1; op <= 12; ++op) {
        std::unique_ptr<SchElement> copy = old->clone();
        copy->link = old;
        copy->move(1, 0);
        doc.pending.push_back(std::move(copy));
        ASSERT_TRUE(doc.commit(false));
        old = doc.elements.back().get();
    }
    // The loaded element that the first commit replaced has been purged with its mark; the
    // copies replaced since stay with theirs.
    EXPECT_EQ(doc.elements.size(), 3u + 2 * 12 - 2);
    EXPECT_EQ(doc.elements.front()->p1, SchPoint(10, 10));
    EXPECT_EQ(doc.elements[1]->p1, SchPoint(30, 10));
    EXPECT_EQ(doc.elements.back()->p1, SchPoint(32, 10));
}

}  // namespace
