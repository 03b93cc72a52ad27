#include <gtest/gtest.h>

#include "model/element.h"
#include "model/geometry.h"

namespace {

TEST(SchRect, InclusiveEdgesAndRegionCodes) {
    EXPECT_TRUE(SchRect(0, 0, 10, 10).intersects(SchRect(10, 10, 20, 20)));
    EXPECT_FALSE(SchRect(0, 0, 10, 10).intersects(SchRect(11, 0, 20, 10)));
    const SchRect r(0, 0, 10, 10);
    EXPECT_EQ(regionCode(SchPoint(10, 5), r), 0);
    EXPECT_EQ(regionCode(SchPoint(11, 5), r), 4);
    EXPECT_EQ(regionCode(SchPoint(-1, -1), r), 3);
    EXPECT_EQ(regionCode(SchPoint(11, 11), r), 12);
}

TEST(SchRect, NormaliseCentreAndUnite) {
    SchRect r(10, 20, 0, 5);
    r.normalise();
    EXPECT_EQ(r, SchRect(0, 5, 10, 20));
    EXPECT_EQ(SchRect(-3, -3, 0, 0).centre(), SchPoint(-1, -1));
    EXPECT_EQ(SchRect(INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX).centre(),
              SchPoint(INT32_MAX, INT32_MAX));
    SchRect acc = SchRect::emptyAccumulator();
    acc.unite(pickBox(SchPoint(0, 0)));
    EXPECT_EQ(acc, SchRect(-2, -2, 3, 3));
}

TEST(HitScore, FormulaEdgesAndLimits) {
    const SchRect box = pickBox(SchPoint(100, 100));
    EXPECT_EQ(hitScore(SchPoint(100, 100), box), 37);
    EXPECT_EQ(hitScore(SchPoint(99, 100), box), 19);
    EXPECT_EQ(hitScore(SchPoint(98, 100), box), 0);
    EXPECT_EQ(hitScore(SchPoint(103, 100), box), 0);
    EXPECT_EQ(hitScore(SchPoint(50, 50), SchRect(0, 0, 100, 100)), 65);
    const SchRect huge(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX);
    EXPECT_EQ(hitScore(SchPoint(0, 0), huge), 50);  // 2^31 - 1 of 2^32 - 1 gives 7 per axis
    EXPECT_EQ(pickBox(SchPoint(INT32_MAX, INT32_MIN)),
              SchRect(INT32_MAX - 2, INT32_MIN, INT32_MAX, INT32_MIN + 3));
}

// The smallest concrete element: the base class's defaults only.
class PlainElement : public SchElement {
  public:
    int kind() const override { return 99; }
};

TEST(SchElement, DefaultsAndEditing) {
    PlainElement e;
    EXPECT_EQ(e.p1, SchPoint(-1, -1));
    EXPECT_EQ(e.p2, SchPoint(0, 0));
    EXPECT_EQ(e.area(), SchRect(-1, -1, -1, -1));
    EXPECT_FALSE(e.area().intersects(SchRect(0, 0, 1500, 1000)));
    EXPECT_EQ(e.clone(), nullptr);

    struct MoveCase {
        int selection;
        SchPoint p1, p2;
    };
    for (const MoveCase& c : {MoveCase{0, {5, 7}, {15, 17}}, MoveCase{1, {5, 7}, {10, 10}},
                              MoveCase{2, {0, 0}, {15, 17}}, MoveCase{3, {5, 7}, {15, 17}}}) {
        e.p1 = SchPoint(0, 0);
        e.p2 = SchPoint(10, 10);
        e.setSelection(c.selection);
        e.move(5, 7);
        EXPECT_EQ(e.p1, c.p1) << c.selection;
        EXPECT_EQ(e.p2, c.p2) << c.selection;
    }

    e.p1 = SchPoint(10, 0);
    e.p2 = SchPoint(21, 0);
    e.mirror();
    EXPECT_EQ(e.p1, SchPoint(20, 0));
    EXPECT_EQ(e.p2, SchPoint(9, 0));

    e.p1 = SchPoint(10, 0);
    e.p2 = SchPoint(0, 10);
    e.rotateAt(SchPoint(0, 0));
    EXPECT_EQ(e.p1, SchPoint(0, 10));
    EXPECT_EQ(e.p2, SchPoint(-10, 0));

    e.setY2(42);
    EXPECT_EQ(e.p2, SchPoint(-10, 42));

    e.p1 = SchPoint(INT32_MAX, INT32_MIN);
    e.setSelection(1);
    e.move(INT32_MAX, INT32_MIN);
    EXPECT_EQ(e.p1, SchPoint(INT32_MAX, INT32_MIN));
    e.mirrorAt(INT32_MIN);
    EXPECT_EQ(e.p1.x, INT32_MIN);
}

}  // namespace
